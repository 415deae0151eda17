// Bit-level decomposition of binary64 and the probe arithmetic of one x.
#include "probe/probe.h"

#include <bit>
#include <cmath>
#include <cstdlib>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ULPSCOPE_HAVE_SSE2 1
#endif

namespace ulpscope::probe {
namespace {

constexpr std::uint64_t sign_mask = 1ull << 63;
constexpr std::uint64_t exponent_mask = 0x7FFull << 52;
constexpr std::uint64_t quiet_bit = 1ull << 51;
constexpr int fraction_biased_exponent = 1022;  // puts |fraction| in [0.5, 1)

constexpr int biased_exponent(std::uint64_t bits) { return static_cast<int>((bits >> 52) & 0x7FF); }

constexpr bool is_normal_field(int biased) { return biased != 0 && biased != 0x7FF; }

}  // namespace

std::int32_t exponent(double x) noexcept {
  const int biased = biased_exponent(std::bit_cast<std::uint64_t>(x));
  return is_normal_field(biased) ? biased - fraction_biased_exponent : 0;
}

double fraction(double x) noexcept {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  const int biased = biased_exponent(bits);
  if (is_normal_field(biased)) {
    const std::uint64_t replaced =
        (bits & ~exponent_mask) | (static_cast<std::uint64_t>(fraction_biased_exponent) << 52);
    return std::bit_cast<double>(replaced);
  }
  const bool is_nan = biased == 0x7FF && (bits & ~(sign_mask | exponent_mask)) != 0;
  return is_nan ? std::bit_cast<double>(bits | quiet_bit) : x;
}

double ULP(double x) noexcept {
  // Step 1: n = exponent(x) - 53 lies in -1074..971, since exponent(x) >= -1021.
  const int n = exponent(x) - 53;
  // Step 2: 2^n as bits: a normal power, a subnormal power, or (below -1074) zero.
  if (n >= -1022) return std::bit_cast<double>(static_cast<std::uint64_t>(n + 1023) << 52);
  if (n >= -1074) return std::bit_cast<double>(1ull << (n + 1074));
  return 0.0;
}

probes make_probes(double x, double u) noexcept {
  const double h = u * 0.5;
  const double q = u * 0.25;
  return {u + x, h + x, q + x};
}

ordering compare(double probe, double x) noexcept {
  if (probe == x) return ordering::equal;
  if (probe > x) return ordering::greater;
  if (probe < x) return ordering::less;
  return ordering::unordered;
}

std::int32_t digit_count(std::int32_t n) noexcept {
  if (n == 0) return 1;
  // |n| rounded to single precision (rounding to nearest is symmetric), from
  // a 32-bit conversion: 32-bit x86 converts a 64-bit integer on the x87 unit.
  const float magnitude = std::fabs(static_cast<float>(n));
  const float digits = std::log10(magnitude) + 1.0f;
  return static_cast<std::int32_t>(digits) + (n < 0 ? 1 : 0);
}

std::int32_t truncate_to_int32(double q) noexcept {
#ifdef ULPSCOPE_HAVE_SSE2
  return _mm_cvttsd_si32(_mm_set_sd(q));
#else
  // The processor's answer for values a plain cast may not take.
  if (!(q > -2147483649.0 && q < 2147483648.0)) return INT32_MIN;
  return static_cast<std::int32_t>(q);
#endif
}

}  // namespace ulpscope::probe
