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

#include <array>
#include <cstdint>
#include <cstring>
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
// Through a remembering_sink, the fields share its field_memo.
void write_formatted_record(record_sink& sink, layout shape, std::span<const item> items,
                            std::int32_t width_now = 0);

// The texts of the scientific and general fields rendered lately, by the
// value's bits and the field. A field's text is a function of those alone, so
// a remembered text is the one rendering again would give. A sweep shows many
// values twice (x2 = x, x3 = x, x1 - x = u) and the same u for a whole binade.
class field_memo {
 public:
  static constexpr int max_width = 24;  // wider fields are not remembered

  // The remembered text (`width` characters) of `field` for `value`, or nullptr.
  const char* find(double value, const layout_item& field, int width) const;
  void remember(double value, const layout_item& field, int width, const char* text);

 private:
  struct entry {
    std::uint64_t bits = 0;
    std::uint32_t field = 0;  // 0: empty
    std::array<char, max_width> text{};
  };
  std::array<entry, 32> entries_{};
};

// A destination that passes every record on to `destination` and lends its
// field_memo to write_formatted_record, so that the records written through it
// render each value once per field. Holds no record: it adds no buffering.
class remembering_sink final : public record_sink {
 public:
  explicit remembering_sink(record_sink& destination) : destination_(destination) {}
  void write_record(std::string_view bytes) override { destination_.write_record(bytes); }
  field_memo* memo() override { return &memo_; }

 private:
  record_sink& destination_;
  field_memo memo_;
};

// Each writes exactly its field's characters to `out` (w of them; a text field
// without width: the text's length) and returns how many it wrote.
std::size_t render_text_field(std::string_view text, int width, char* out);  // width 0: none
std::size_t render_integer_field(std::int32_t value, int width, char* out);
std::size_t render_scientific_field(double value, int width, int digits, char letter, char* out);
std::size_t render_general_field(double value, int width, int digits, char* out);

namespace detail {

// Copies and blank fills of a few bytes, inline. A record of a sweep is built
// right after the write of the one before it, when little of the C library
// is still in the caches, and its pieces are a few bytes each.
inline void copy_bytes(char* out, const char* in, std::size_t size) {
  for (; size >= 8; size -= 8, in += 8, out += 8) std::memcpy(out, in, 8);
  if ((size & 4) != 0) {
    std::memcpy(out, in, 4);
    out += 4;
    in += 4;
  }
  if ((size & 2) != 0) {
    std::memcpy(out, in, 2);
    out += 2;
    in += 2;
  }
  if ((size & 1) != 0) *out = *in;
}

inline void fill_blanks(char* out, std::size_t size) {
  constexpr char blanks[] = "        ";
  for (; size >= 8; size -= 8, out += 8) std::memcpy(out, blanks, 8);
  copy_bytes(out, blanks, size);
}

}  // namespace detail

// Convenience for tests and tools: the same fields as strings.
std::string scientific_field(double value, int width, int digits, char letter = 'D');
std::string general_field(double value, int width, int digits);

}  // namespace ulpscope::textio
