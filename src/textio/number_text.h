// The number texts of the scientific, general and list number fields, built
// once from the digits decimal_digits gives: the form choice, the exponent
// text and the positional text. Private to textio's renderers.
//
//   write_exponent_text(decimal_digits(0.1, significant, 16), 'D', two, out)
//       -> "1.000000000000000D-01"
//   write_exponent_text(decimal_digits(5e-324, significant, 16), 'D', two, out)
//       -> "4.940656458412465-324"
//   write_positional_text(decimal_digits(0.125, after_point, 15), 15, out)
//       -> "0.125000000000000"
//   write_number_text(0.5, {16, 18, 23, 'E', two}, out)  -> positional, k = 0, "0.5000000000000000"
//   write_number_text(1e15, {16, 18, 23, 'E', two}, out) -> positional, k = 16, "1000000000000000."
//   write_number_text(0.05, {16, 18, 23, 'E', two}, out) -> exponent form, "5.0000000000000003E-02"
#pragma once

#include <cstddef>
#include <cstdint>

#include "textio/decimal.h"

namespace ulpscope::textio::detail {

// Long enough for any number text: every digit decimal_digits can give, a
// sign, a point, an exponent, and the zeros of a positional text.
inline constexpr std::size_t number_text_size = 2 * max_decimal_digits + 16;

// How the exponent of an exponent-form text is written.
enum class exponent_style : std::uint8_t {
  letter_then_two_digits,    // "D+05", and from |X| = 100 on "+100" (no letter)
  letter_then_three_digits,  // "E+005", always
};

// Requires: `rounded` nonzero, from decimal_digits(value, significant, d + 1);
// `out` has number_text_size characters. Writes [-]d.ddd<exponent> and
// returns its length.
std::size_t write_exponent_text(const rounded_decimal& rounded, char letter, exponent_style style, char* out);

// Requires: `rounded` from decimal_digits(value, after_point, places) with
// places < max_decimal_digits; `out` has number_text_size characters. Writes
// [-]iii.fff with "0" before the point when the integer part is zero and
// returns its length; 0 when the integer part has more digits than a
// rounding holds (never for the positional forms the fields choose).
std::size_t write_positional_text(const rounded_decimal& rounded, int places, char* out);

// A general field or a list number field: its count of significant digits d,
// its decision digits (`places` after the point, at most `max_significant`),
// and how its exponent form is written.
struct number_shape {
  int digits;
  int places;
  int max_significant;
  char letter;
  exponent_style style;
};

// Which form a value takes, from its decision digits
// (decimal_digits(value, after_point, places, max_significant)).
struct number_form {
  bool positional = false;
  int integer_digits = 0;  // k, for the positional form
};
number_form choose_number_form(const rounded_decimal& decision, int digits);

// The form choose_number_form gives and its text: the positional text with
// d - k places, or the exponent text with d + 1 significant digits.
// Requires: value finite and nonzero; 1 <= shape.digits < max_decimal_digits.
struct number_text {
  number_form form;
  std::size_t length = 0;
};
number_text write_number_text(double value, const number_shape& shape, char* out);

}  // namespace ulpscope::textio::detail
