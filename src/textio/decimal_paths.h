// The two ways decimal_digits rounds a magnitude, behind its one entry in
// decimal.cpp: the integer fast path (decimal_fast.cpp), which answers only
// when it can decide the rounding, and the exact library path
// (decimal_exact.cpp), which answers every case. Private to textio.
//
//   round_fast(0.1, {significant, 16})   -> true, "1000000000000000" x 10^0
//   round_fast(0.1, {significant, 20})   -> false (more digits than it takes)
//   round_exactly(5e-324, {significant, 3}) -> "494" x 10^-323
#pragma once

#include <bit>

#include "probe/double_bits.h"
#include "textio/decimal.h"

namespace ulpscope::textio::detail {

// A request of decimal_digits, its arguments already clamped into range.
struct digit_request {
  digit_mode mode;
  int n;                // significant digits, or places after the point
  int max_significant;  // the cap of an after_point request
};

// The decimal exponent E0 of the unrounded value (10^(E0-1) <= |value| < 10^E0)
// is this guess or one less: floor(b * log10 2) + 1, with b the binary
// exponent (2^(b-1) <= |value| < 2^b); exact for |b| <= 1100.
// Requires: value finite and nonzero.
inline int decimal_exponent_guess(probe::double_bits value) {
  const int significant_bits = static_cast<int>(std::bit_width(value.significand()));
  const int binary_exponent = value.scale() + significant_bits;
  return ((binary_exponent * 78913) >> 18) + 1;
}

// Both require: magnitude finite, nonzero and positive. The sign is the
// caller's. True with `out` set when the fast path decides the rounding.
bool round_fast(double magnitude, const digit_request& request, rounded_decimal& out);
rounded_decimal round_exactly(double magnitude, const digit_request& request);

}  // namespace ulpscope::textio::detail
