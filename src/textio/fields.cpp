// The field renderers: text, integer, scientific and general fields.
//
// The one fact to know: the number fields take their digits from
// decimal_digits and their texts from the one number-text builder
// (number_text.h); what is left here is where a text stands in its field.
// NaN and Infinity are read from the bits, so the run modes cannot hide a
// subnormal as zero.
#include "textio/fields.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "probe/double_bits.h"
#include "textio/byte_copy.h"
#include "textio/decimal.h"
#include "textio/number_text.h"

namespace ulpscope::textio {
namespace {

using detail::exponent_style;
using detail::number_text_size;
using probe::double_class;

// `text` right-aligned in `width` columns, or asterisks when it does not fit.
std::size_t right_align(std::string_view text, int width, char* out) {
  if (width <= 0) return 0;
  const auto columns = static_cast<std::size_t>(width);
  if (text.size() > columns) return detail::fill_asterisks(out, width);
  const std::size_t blanks = columns - text.size();
  detail::fill_blanks(out, blanks);
  detail::copy_bytes(out + blanks, text.data(), text.size());
  return columns;
}

// `text` from the field's first column, then blanks (NaN and Infinity of the
// scientific field start in its second column, after a blank).
std::size_t left_align(std::string_view text, int width, char* out) {
  if (width <= 0) return 0;
  const auto columns = static_cast<std::size_t>(width);
  if (text.size() > columns) return detail::fill_asterisks(out, width);
  std::memcpy(out, text.data(), text.size());
  std::memset(out + text.size(), ' ', columns - text.size());
  return columns;
}

// The positional form of the general field: right-aligned in the first w - 4
// columns, four blanks after it.
std::size_t place_positional(std::string_view text, int width, char* out) {
  if (width < 4 || text.empty() || text.size() > static_cast<std::size_t>(width - 4)) {
    return detail::fill_asterisks(out, width);
  }
  right_align(text, width - 4, out);
  detail::fill_blanks(out + (width - 4), 4);
  return static_cast<std::size_t>(width);
}

}  // namespace

std::size_t render_text_field(std::string_view text, int width, char* out) {
  if (width <= 0) {
    detail::copy_bytes(out, text.data(), text.size());
    return text.size();
  }
  const auto columns = static_cast<std::size_t>(width);
  if (text.size() >= columns) {
    std::memcpy(out, text.data(), columns);
    return columns;
  }
  return right_align(text, width, out);
}

std::size_t render_integer_field(std::int32_t value, int width, char* out) {
  std::array<char, 12> text;
  char* end = text.data() + text.size();
  char* at = end;
  // The magnitude as unsigned, so the most negative value keeps its ten digits.
  std::uint32_t magnitude =
      value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  do {
    *--at = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--at = '-';
  return right_align({at, static_cast<std::size_t>(end - at)}, width, out);
}

std::size_t render_scientific_field(double value, int width, int digits, char letter, char* out) {
  const int after_point = std::clamp(digits, 0, max_decimal_digits - 1);
  const probe::double_bits fields(value);
  // Step 1: NaN and the infinities start in the field's second column.
  switch (fields.kind()) {
    case double_class::not_a_number: return left_align(" NaN", width, out);
    case double_class::infinity: return left_align(fields.negative() ? " -Infinity" : " Infinity", width, out);
    case double_class::zero: {
      // Step 2: zero of either sign, no scale, no minus sign.
      std::array<char, number_text_size> text;
      char* at = text.data();
      *at++ = '0';
      *at++ = '.';
      at = std::fill_n(at, after_point, '0');
      *at++ = letter;
      at = std::copy_n("+00", 3, at);
      return right_align({text.data(), static_cast<std::size_t>(at - text.data())}, width, out);
    }
    default: break;
  }
  // Step 3: d + 1 significant digits, one before the point.
  std::array<char, number_text_size> text;
  const std::size_t length =
      detail::write_exponent_text(decimal_digits(value, digit_mode::significant, after_point + 1), letter,
                                  exponent_style::letter_then_two_digits, text.data());
  return right_align({text.data(), length}, width, out);
}

std::size_t render_general_field(double value, int width, int digits, char* out) {
  // The decision digits need digits + places <= max_decimal_digits.
  const int significant = std::clamp(digits, 1, max_decimal_digits / 2 - 1);
  const probe::double_bits fields(value);
  // Step 1: NaN and the infinities, right-aligned in the whole field.
  switch (fields.kind()) {
    case double_class::not_a_number: return right_align("NaN", width, out);
    case double_class::infinity: return right_align(fields.negative() ? "-Infinity" : "Infinity", width, out);
    case double_class::zero: {
      // Step 2: "0." and d - 1 zeros in the positional place, no minus sign.
      std::array<char, number_text_size> text{'0', '.'};
      std::fill_n(text.data() + 2, significant - 1, '0');
      return place_positional({text.data(), static_cast<std::size_t>(significant + 1)}, width, out);
    }
    default: break;
  }
  // Step 3: the form from the decision digits and its text. Past d + places
  // significant digits the cap no longer matters: a value that large takes
  // the exponent form anyway.
  const int places = std::max(17, significant + 2);
  const detail::number_shape shape{significant, places, std::clamp(width, 1, significant + places), 'E',
                                   exponent_style::letter_then_two_digits};
  std::array<char, number_text_size> text;
  const detail::number_text shown = detail::write_number_text(value, shape, text.data());
  // Step 4: the exponent form stands in the whole field.
  if (!shown.form.positional) return right_align({text.data(), shown.length}, width, out);
  // Step 5: the positional form, in the first w - 4 columns. The "0" before
  // the point goes only when the text would not fit with it.
  std::string_view positional{text.data(), shown.length};
  if (shown.form.integer_digits == 0 && shown.length + 4 > static_cast<std::size_t>(std::max(width, 0))) {
    char* zero = text.data() + (text[0] == '-' ? 1 : 0);
    std::memmove(zero, zero + 1, shown.length - static_cast<std::size_t>(zero + 1 - text.data()));
    positional.remove_suffix(1);
  }
  return place_positional(positional, width, out);
}

std::string scientific_field(double value, int width, int digits, char letter) {
  std::string field(static_cast<std::size_t>(std::max(width, 0)), ' ');
  field.resize(render_scientific_field(value, width, digits, letter, field.data()));
  return field;
}

std::string general_field(double value, int width, int digits) {
  std::string field(static_cast<std::size_t>(std::max(width, 0)), ' ');
  field.resize(render_general_field(value, width, digits, field.data()));
  return field;
}

}  // namespace ulpscope::textio
