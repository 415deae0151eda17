// The texts of the number fields built from the exact reference of
// exact_decimal.h, for the random checks and the fuzzers of the renderers:
// slow, simple, written from the rules of the fields and nothing else.
//
//   expected_scientific(0.1, 22, 15, 'D') -> " 1.000000000000000D-01"
//   expected_general(0.5, 23, 16)         -> " 0.5000000000000000    "
//   expected_list(0x1p-52)                -> "  2.220446049250313E-016"
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "exact_decimal.h"
#include "probe/double_bits.h"

namespace test_support {

// The most digits a conversion gives.
inline constexpr int max_digits = 80;

inline std::string right_aligned(const std::string& text, int width) {
  if (width <= 0) return "";
  const auto columns = static_cast<std::size_t>(width);
  return text.size() > columns ? std::string(columns, '*') : std::string(columns - text.size(), ' ') + text;
}

inline std::string left_aligned(const std::string& text, int width) {
  if (width <= 0) return "";
  const auto columns = static_cast<std::size_t>(width);
  return text.size() > columns ? std::string(columns, '*') : text + std::string(columns - text.size(), ' ');
}

inline char digit_at(const expected_digits& rounded, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < rounded.digits.size()
             ? rounded.digits[static_cast<std::size_t>(index)]
             : '0';
}

inline std::string two_or_three_digits(int magnitude, bool three) {
  std::string text = three ? std::to_string(magnitude / 100) : "";
  return text + static_cast<char>('0' + magnitude / 10 % 10) + static_cast<char>('0' + magnitude % 10);
}

// [-]d.ddd then the exponent: the letter, a sign and two digits, but from
// |X| = 100 on a sign and three digits without the letter; or, with
// `three_always`, the letter, a sign and three digits.
inline std::string exponent_text(const exact_decimal& exact, bool negative, int after_point, char letter,
                          bool three_always) {
  const expected_digits rounded = reference_significant(exact, after_point + 1);
  std::string text = negative ? "-" : "";
  text += digit_at(rounded, 0);
  text += '.';
  text += rounded.digits.substr(1);
  const int x = rounded.exponent - 1;
  const int magnitude = x < 0 ? -x : x;
  if (three_always || magnitude <= 99) text += letter;
  text += x < 0 ? '-' : '+';
  return text + two_or_three_digits(magnitude, three_always || magnitude >= 100);
}

// [-]iii.fff rounded to `places` digits after the point; empty when the
// integer part has digits beyond the 80 a conversion gives.
inline std::string positional_text(const exact_decimal& exact, bool negative, int places, bool leading_zero) {
  const expected_digits rounded =
      reference_after_point(exact, places, max_digits);
  const int e = rounded.zero ? 0 : rounded.exponent;
  if (e + places > max_digits) return "";
  std::string text = negative ? "-" : "";
  if (e <= 0 && leading_zero) text += '0';
  for (int i = 0; i < e; ++i) text += digit_at(rounded, i);
  text += '.';
  for (int j = 1; j <= places; ++j) text += digit_at(rounded, e + j - 1);
  return text;
}

// The decision digits rounded (half up) to d significant digits: the
// positional form with k integer digits when their decimal exponent k lies
// in [0, d], else the exponent form (k < 0).
inline int positional_integer_digits(const exact_decimal& exact, int d, int places, int cap) {
  const expected_digits decision = reference_after_point(exact, places, cap);
  if (decision.zero) return -1;
  bool carries = digit_at(decision, d) >= '5';
  for (int i = 0; i < d && carries; ++i) carries = digit_at(decision, i) == '9';
  const int k = decision.exponent + (carries ? 1 : 0);
  return k >= 0 && k <= d ? k : -1;
}

enum class kind { nan, infinity, zero, finite };

inline kind kind_of(double value) {
  switch (ulpscope::probe::double_bits(value).kind()) {
    case ulpscope::probe::double_class::not_a_number: return kind::nan;
    case ulpscope::probe::double_class::infinity: return kind::infinity;
    case ulpscope::probe::double_class::zero: return kind::zero;
    default: return kind::finite;
  }
}

inline std::string expected_scientific(double value, int width, int digits, char letter) {
  const int after_point = std::clamp(digits, 0, max_digits - 1);
  const bool negative = ulpscope::probe::double_bits(value).negative();
  switch (kind_of(value)) {
    case kind::nan: return left_aligned(" NaN", width);
    case kind::infinity: return left_aligned(negative ? " -Infinity" : " Infinity", width);
    case kind::zero:
      return right_aligned("0." + std::string(static_cast<std::size_t>(after_point), '0') + letter + "+00", width);
    case kind::finite: break;
  }
  const exact_decimal exact = exact_value(value);
  return right_aligned(exponent_text(exact, negative, after_point, letter, false), width);
}

// A positional text right-aligned in the first w - 4 columns, four blanks after.
inline std::string placed_positional(const std::string& text, int width) {
  if (width < 4 || text.empty() || text.size() > static_cast<std::size_t>(width - 4))
    return std::string(static_cast<std::size_t>(std::max(width, 0)), '*');
  return right_aligned(text, width - 4) + "    ";
}

inline std::string expected_general(double value, int width, int digits) {
  const int d = std::clamp(digits, 1, max_digits / 2 - 1);
  const bool negative = ulpscope::probe::double_bits(value).negative();
  switch (kind_of(value)) {
    case kind::nan: return right_aligned("NaN", width);
    case kind::infinity: return right_aligned(negative ? "-Infinity" : "Infinity", width);
    case kind::zero: return placed_positional("0." + std::string(static_cast<std::size_t>(d - 1), '0'), width);
    case kind::finite: break;
  }
  const exact_decimal exact = exact_value(value);
  const int places = std::max(17, d + 2);
  const int k = positional_integer_digits(exact, d, places, std::clamp(width, 1, d + places));
  if (k < 0) return right_aligned(exponent_text(exact, negative, d, 'E', false), width);
  std::string text = positional_text(exact, negative, d - k, true);
  // The "0" before the point goes only when the text would not fit with it.
  if (k == 0 && text.size() + 4 > static_cast<std::size_t>(std::max(width, 0)))
    text = positional_text(exact, negative, d, false);
  return placed_positional(text, width);
}

inline std::string expected_list(double value) {
  const bool negative = ulpscope::probe::double_bits(value).negative();
  std::string field(24, ' ');
  const auto place = [&field](const std::string& text, std::size_t column) {
    field.replace(column, text.size(), text);
  };
  switch (kind_of(value)) {
    case kind::nan: place("NaN", 1); return field;
    case kind::infinity: place(negative ? "-Infinity" : "Infinity", 1); return field;
    case kind::zero: place("0.000000000000000E+000", 2); return field;
    case kind::finite: break;
  }
  const exact_decimal exact = exact_value(value);
  const int k = positional_integer_digits(exact, 15, 17, 24);
  if (k >= 0) {
    const std::string text = positional_text(exact, negative, 15 - k, true);
    place(text, 19 - text.size());  // ends in column 19
  } else {
    const std::string text = exponent_text(exact, negative, 15, 'E', true);
    place(text, field.size() - text.size());
  }
  return field;
}

}  // namespace test_support
