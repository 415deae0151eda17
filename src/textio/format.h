// Formatted records: a constant layout carried out over an ordered list of items.
//
//   write_formatted_record(sink, {record_break(), text()}, {text_item("ab")})
//       -> sink gets "\r\n", then "ab\r\n"
//   write_formatted_record(sink, {text(), tab(14), text(), item_stop(), scientific(22, 15)},
//                          {text_item("x2 =x")})
//       -> sink gets "x2 =x\r\n" (the tab writes nothing, the item stop ends the record)
//
// A layout is constexpr data read by one interpreter, `write_formatted_record`.
// The fields themselves are rendered by textio/fields.h.
// A record ends at the furthest column written; a data field or item stop with
// no item left ends the record there. Every numeric field has scale 1.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "textio/record.h"

namespace ulpscope::textio {

class field_memo;  // textio/field_memo.h

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

// The layout items by name, for constant layouts:
//   {layout_items::text(), layout_items::scientific(22, 15), layout_items::hold()}
namespace layout_items {
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
}  // namespace layout_items

// Carries out `shape` over `items`, handing each finished record to `sink`.
// `width_now` is the run-time width, read when an integer field asks for it.
// With a `memo`, a number field whose text the memo holds copies it instead of
// rendering it again, and every number field rendered is remembered there.
void write_formatted_record(record_sink& sink, layout shape, std::span<const item> items,
                            std::int32_t width_now = 0, field_memo* memo = nullptr);

}  // namespace ulpscope::textio
