// Correctly rounded decimal digits of a double, and the number texts built
// from them that the formatted fields and the list number field share.
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
// once (ties to even), whatever flush-to-zero and denormals-are-zero say. Up
// to 18 digits come from integer arithmetic on the bits; the library call that
// takes every other case clears both modes for its own duration and restores
// them.
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
  std::array<char, max_decimal_digits> digits{};  // '0'..'9'

  bool is_zero() const { return count == 0; }
  // Digit i (0-based); digits past the end are zeros.
  char digit(int i) const { return i >= 0 && i < count ? digits[static_cast<std::size_t>(i)] : '0'; }
};

// The kind of a double and its sign, read from the bits so that
// denormals-are-zero cannot make a subnormal look like zero.
enum class double_class : std::uint8_t { not_a_number, infinity, zero, finite };
double_class classify_double(double value);
bool sign_bit_set(double value);

// Requires: value finite and nonzero (either sign, subnormals included).
// significant: 1 <= n <= max_decimal_digits; the result has exactly n digits.
// after_point: n >= 0 and 1 <= max_significant <= max_decimal_digits. The value
//   is rounded to min(max_significant, E0 + n) significant digits, E0 being the
//   decimal exponent of the unrounded value; a nonzero result has exactly
//   min(max_significant, exponent + n) digits (trailing zeros included), so its
//   last digit is the n-th after the point unless the cap cut it.
// Arguments outside these ranges are clamped into them.
rounded_decimal decimal_digits(double value, digit_mode mode, int n,
                               int max_significant = max_decimal_digits);

// Which form a general field or a list number field takes for a finite
// nonzero value: `places` and `max_significant` give its decision digits,
// `digits` is the field's count of significant digits d.
//   choose_number_form(0.5, 16, 18, 23)   -> positional, k = 0
//   choose_number_form(1e15, 16, 18, 23)  -> positional, k = 16
//   choose_number_form(0.05, 16, 18, 23)  -> exponent form
struct number_form {
  bool positional = false;
  int integer_digits = 0;  // k, for the positional form
};
number_form choose_number_form(double value, int digits, int places, int max_significant);

// How the exponent of an exponent-form text is written.
enum class exponent_style : std::uint8_t {
  letter_then_two_digits,    // "D+05", and from |X| = 100 on "+100" (no letter)
  letter_then_three_digits,  // "E+005", always
};

// Requires: 0 <= after_point < max_decimal_digits; `out` has room for
// after_point + 9 characters. Writes [-]d.ddd<exponent> for `value` rounded to
// after_point + 1 significant digits and returns its length.
//   write_exponent_text(0.1, 15, 'D', letter_then_two_digits, out)
//       -> "1.000000000000000D-01"
//   write_exponent_text(5e-324, 15, 'D', letter_then_two_digits, out)
//       -> "4.940656458412465-324"
//   write_exponent_text(-0.05, 15, 'E', letter_then_three_digits, out)
//       -> "-5.000000000000000E-002"
std::size_t write_exponent_text(double value, int after_point, char letter, exponent_style style, char* out);

// Requires: 0 <= places < max_decimal_digits; `out` has room for
// max_decimal_digits + places + 3 characters. Writes [-]iii.fff for `value`
// rounded to `places` digits after the point ("0" before the point when the
// integer part is zero, left out when `leading_zero` is false) and returns its
// length. Meant for values whose integer part has at most max_decimal_digits
// digits, which the positional forms guarantee.
//   write_positional_text(0.125, 15, true, out)   -> "0.125000000000000"
//   write_positional_text(1e15, 0, true, out)     -> "1000000000000000."
std::size_t write_positional_text(double value, int places, bool leading_zero, char* out);

// The text of a general field or a list number field before its alignment:
// the form choose_number_form(value, digits, places, max_significant) gives,
// and the text write_positional_text(value, digits - k, true, out) or
// write_exponent_text(value, digits, letter, style, out) writes for it. One
// conversion serves both the form and the text where the fast path can take
// it. Requires: value finite and nonzero; `out` as for both writers.
//   write_number_text(0.5, 16, 18, 23, 'E', letter_then_two_digits, out)
//       -> positional, k = 0, "0.5000000000000000"
//   write_number_text(0.05, 16, 18, 23, 'E', letter_then_two_digits, out)
//       -> exponent form, "5.0000000000000003E-02"
struct number_text {
  number_form form;
  std::size_t length = 0;
};
number_text write_number_text(double value, int digits, int places, int max_significant, char letter,
                              exponent_style style, char* out);

}  // namespace ulpscope::textio
