// Formatted records: a constant layout carried out over an ordered list of items.
//
//   render_scientific_field(0.1, 22, 15, 'D')   -> " 1.000000000000000D-01"
//   render_scientific_field(5e-324, 22, 15, 'D') -> " 4.940656458412465-324"
//   render_general_field(0.5, 23, 16)           -> " 0.5000000000000000    "
//   render_general_field(1e16, 23, 16)          -> " 1.0000000000000000E+16"
//   render_integer_field(-1021, 5)              -> "-1021"
//
// A layout is constexpr data read by one interpreter, `write_formatted_record`.
// A record ends at the furthest column written; a data field or item stop with
// no item left ends the record there. Every numeric field has scale 1.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "textio/record.h"

namespace ulpscope::textio {

enum class layout_op : std::uint8_t {
  text_field,        // width 0: as wide as its item
  integer_field,     // width, or the run-time width
  scientific_field,  // width, digits after the point, exponent letter
  general_field,     // width, digits
  column_tab,        // column (1-based)
  record_break,
  line_hold,
  item_stop,
  literal_text,
  repeat_begin,  // count; the items up to the matching repeat_end, count times
  repeat_end,
};

inline constexpr std::int16_t runtime_width = -1;

struct layout_item {
  layout_op op;
  std::int16_t width = 0;   // field width, tab column or repeat count
  std::int16_t digits = 0;  // digits of a scientific or general field
  char letter = 'D';        // exponent letter of a scientific field
  std::string_view literal = {};
};

using layout = std::span<const layout_item>;

namespace fmt {
constexpr layout_item text() { return {layout_op::text_field}; }
constexpr layout_item text(std::int16_t width) { return {layout_op::text_field, width}; }
constexpr layout_item integer(std::int16_t width) { return {layout_op::integer_field, width}; }
constexpr layout_item scientific(std::int16_t width, std::int16_t digits, char letter = 'D') {
  return {layout_op::scientific_field, width, digits, letter};
}
constexpr layout_item general(std::int16_t width, std::int16_t digits) {
  return {layout_op::general_field, width, digits};
}
constexpr layout_item tab(std::int16_t column) { return {layout_op::column_tab, column}; }
constexpr layout_item record_break() { return {layout_op::record_break}; }
constexpr layout_item hold() { return {layout_op::line_hold}; }
constexpr layout_item item_stop() { return {layout_op::item_stop}; }
constexpr layout_item literal(std::string_view text) { return {layout_op::literal_text, 0, 0, 'D', text}; }
constexpr layout_item repeat(std::int16_t count) { return {layout_op::repeat_begin, count}; }
constexpr layout_item end_repeat() { return {layout_op::repeat_end}; }
}  // namespace fmt

// Carries out `shape` over `items`, handing each finished record to `sink`.
// `width_now` is the run-time width, read when an integer field asks for it.
void write_formatted_record(record_sink& sink, layout shape, std::span<const item> items,
                            std::int32_t width_now = 0);

// Each writes exactly its field's characters to `out` (w of them; a text field
// without width: the text's length) and returns how many it wrote.
std::size_t render_text_field(std::string_view text, int width, char* out);  // width 0: none
std::size_t render_integer_field(std::int32_t value, int width, char* out);
std::size_t render_scientific_field(double value, int width, int digits, char letter, char* out);
std::size_t render_general_field(double value, int width, int digits, char* out);

// Convenience for tests and tools: the same fields as strings.
std::string scientific_field(double value, int width, int digits, char letter = 'D');
std::string general_field(double value, int width, int digits);

}  // namespace ulpscope::textio
