// The probe kernel: what a sweep computes for one x.
//
//   exponent(1.0) -> 1     fraction(1.0) -> 0.5     ULP(1.0) -> 2^-52
//   exponent(0.1) -> -3    fraction(0.1) -> 0.8
//   digit_count(-1021) -> 5
//
// Decomposition and ulp work on the bits of the double, so they give the same
// answer whatever the floating-point modes are. The probes and comparisons are
// ordinary double operations and run under the run modes (probe/fp_env.h):
// that is the point of the tool.
#pragma once

#include <cstdint>

namespace ulpscope::probe {

// x = fraction(x) * 2^exponent(x) with 0.5 <= |fraction| < 1 for normal x.
// Zero, subnormals, infinities and NaNs give exponent 0 and fraction x (a NaN
// made quiet): a subnormal counts as zero, as denormals-are-zero makes it.
std::int32_t exponent(double x) noexcept;
double fraction(double x) noexcept;

// 2^(exponent(x) - 53), rounded once with gradual underflow (never flushed).
double ULP(double x) noexcept;

struct probes {
  double x1;  // x + u
  double x2;  // x + u/2
  double x3;  // x + u/4
};

// Requires: the run modes are on (the results depend on them).
probes make_probes(double x, double u) noexcept;

enum class ordering { equal, greater, less, unordered };

// IEEE comparison of a probe with x, under the current modes.
ordering compare(double probe, double x) noexcept;

// Characters of the decimal form of n, minus sign included, computed through a
// single-precision log10 as the tool always has: exact for -1073..1024.
std::int32_t digit_count(std::int32_t n) noexcept;

// Truncation toward zero; NaN, infinities and values outside the int32 range
// give -2147483648 (the processor's answer, without undefined behaviour).
std::int32_t truncate_to_int32(double q) noexcept;

}  // namespace ulpscope::probe
