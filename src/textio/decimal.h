// decimal_digits: correctly rounded decimal digits of a double, the one
// conversion every number field of the tool goes through.
//
//   decimal_digits(0.1, digit_mode::significant, 16)
//       -> "1000000000000000" x 10^0        (0.1000000000000000)
//   decimal_digits(0x1p-24, digit_mode::significant, 16)
//       -> "5960464477539062" x 10^-7       (exact tie 5.9604644775390625e-8, to even)
//   decimal_digits(0.5, digit_mode::after_point, 18, 23)
//       -> "500000000000000000" x 10^0      (18 places, 18 digits)
//   decimal_digits(1.0e300, digit_mode::after_point, 17, 24)
//       -> "100000000000000005250476" x 10^301   (the 24-digit cap decides)
//   decimal_digits(4.0e-18, digit_mode::after_point, 17, 24)
//       -> zero (count 0)                   (below half a unit of the 17th place)
//   decimal_digits(-5e-324, digit_mode::significant, 3)
//       -> negative, "494" x 10^-323
//
// The one fact to know: the digits come from the exact binary value, rounded
// once (ties to even), whatever flush-to-zero and denormals-are-zero say. An
// integer fast path takes up to 18 digits when it can decide the rounding; an
// exact library path takes every other case.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ulpscope::textio {

inline constexpr int max_decimal_digits = 80;

enum class digit_mode : std::uint8_t {
  significant,  // n significant digits
  after_point,  // n digits after the decimal point, capped at a number of significant digits
};

// value = 0.d1 d2 ... d(count) x 10^exponent, d1 nonzero. A rounding that
// gives zero (only possible with after_point) has count 0 and exponent 0.
struct rounded_decimal {
  bool negative = false;
  std::int32_t exponent = 0;
  std::int32_t count = 0;
  std::array<char, max_decimal_digits> digits;  // '0'..'9'; only the first `count` are set

  bool is_zero() const { return count == 0; }
  // Digit i (0-based); digits past either end are zeros.
  char digit(int i) const { return i >= 0 && i < count ? digits[static_cast<std::size_t>(i)] : '0'; }
};

// Requires: value finite and nonzero (either sign, subnormals included).
// significant: 1 <= n <= max_decimal_digits; the result has exactly n digits.
// after_point: n >= 0 and 1 <= max_significant <= max_decimal_digits. The value
//   is rounded to min(max_significant, E0 + n) significant digits, E0 being the
//   decimal exponent of the unrounded value; a nonzero result has exactly
//   min(max_significant, exponent + n) digits (trailing zeros included), so its
//   last digit is the n-th after the point unless the cap cut it.
// Arguments outside these ranges are clamped into them.
rounded_decimal decimal_digits(double value, digit_mode mode, int n, int max_significant = max_decimal_digits);

}  // namespace ulpscope::textio
