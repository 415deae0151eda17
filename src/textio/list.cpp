// List records: the line is built from the items alone, by the list rules.
//
// The one fact to know: a list record starts with one blank, but a double is
// a 24-character field whose own leading blanks stand in for both that blank
// and the separator, and two texts are joined with nothing between them. Lines
// are 80 characters; the tool's longest list record has 38, so the wrapping
// onto continuation lines below exists for completeness.
#include "textio/list.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "probe/double_bits.h"
#include "textio/byte_copy.h"
#include "textio/number_text.h"

namespace ulpscope::textio {
namespace {

// Positional texts stand right-aligned in the first 19 columns of the field.
constexpr int positional_columns = 19;
// 15 significant digits in positional form; decision digits rounded to 17
// places after the point, at most 24 significant ones.
constexpr detail::number_shape list_number_shape{15, 17, 24, 'E', detail::exponent_style::letter_then_three_digits};

class list_line {
 public:
  explicit list_line(record_sink& sink) : sink_(sink) {}

  int remaining() const { return list_line_width - length_; }
  bool empty() const { return length_ == 0; }
  bool holds_only_leading_blank() const { return length_ == 1 && !leading_blank_pending_; }

  void place(std::string_view bytes) {
    detail::copy_bytes(buffer_.data() + length_, bytes.data(), bytes.size());
    length_ += static_cast<int>(bytes.size());
  }

  // The blank that starts a line, placed before its first text.
  void place_leading_blank() {
    place(" ");
    leading_blank_pending_ = false;
  }

  // Writes the line with its terminator and starts a continuation line.
  void end_line() {
    place(record_terminator);
    sink_.write_record({buffer_.data(), static_cast<std::size_t>(length_)});
    length_ = 0;
    leading_blank_pending_ = true;
    previous_was_double_ = false;
  }

  void place_text(std::string_view text);
  void place_double(double value);

  // A record without items is one blank.
  void finish() {
    if (empty()) place(" ");
    end_line();
  }

 private:
  void cut_text(std::string_view text);

  record_sink& sink_;
  std::array<char, list_line_width + record_terminator.size()> buffer_;
  int length_ = 0;
  bool leading_blank_pending_ = true;
  bool previous_was_double_ = false;
};

void list_line::place_text(std::string_view text) {
  const auto fits = [&] { return text.size() <= static_cast<std::size_t>(remaining()); };
  // Step 1: the leading blank, then a separator after a double only.
  if (leading_blank_pending_ && fits()) place_leading_blank();
  if (previous_was_double_ && remaining() > 0) place(" ");
  previous_was_double_ = false;
  // Step 2: the text as it is, a TAB included.
  if (fits()) {
    place(text);
    return;
  }
  // Step 3: a text that does not fit goes on a line of its own, cut if need be.
  if (!empty() && !holds_only_leading_blank()) end_line();
  cut_text(text);
}

// Fills lines to 80 columns (a leading blank and 79 bytes) until the rest of
// the text fits after a leading blank.
void list_line::cut_text(std::string_view text) {
  while (true) {
    if (leading_blank_pending_) place_leading_blank();
    if (text.size() <= static_cast<std::size_t>(remaining())) break;
    const auto piece = static_cast<std::size_t>(remaining());
    place(text.substr(0, piece));
    text.remove_prefix(piece);
    end_line();
  }
  place(text);
}

void list_line::place_double(double value) {
  // The field goes whole on a line.
  if (list_number_width > remaining()) end_line();
  std::array<char, list_number_width> field;
  format_list_double(value, field.data());
  place({field.data(), field.size()});
  leading_blank_pending_ = false;
  previous_was_double_ = true;
}

// `text` placed at `column` (0-based) of the blank field `out`.
void place_in_field(std::string_view text, std::size_t column, char* out) {
  detail::copy_bytes(out + column, text.data(), text.size());
}

}  // namespace

void write_list_record(record_sink& sink, std::span<const item> items) {
  list_line line(sink);
  for (const item& entry : items) {
    switch (entry.type) {
      case item::kind::text: line.place_text(entry.text); break;
      case item::kind::real: line.place_double(entry.real); break;
      // Not written in list form by the tool; shown as the double of the
      // same value, which is exact for every 32-bit integer.
      case item::kind::integer: line.place_double(static_cast<double>(entry.integer)); break;
    }
  }
  line.finish();
}

void format_list_double(double value, char* out) {
  std::memset(out, ' ', list_number_width);
  const probe::double_bits fields(value);
  // Step 1: NaN, the infinities and zero, each one fixed text.
  switch (fields.kind()) {
    case probe::double_class::not_a_number: return place_in_field("NaN", 1, out);
    case probe::double_class::infinity: return place_in_field(fields.negative() ? "-Infinity" : "Infinity", 1, out);
    case probe::double_class::zero: return place_in_field("0.000000000000000E+000", 2, out);
    default: break;
  }
  // Step 2: the form from the decision digits, and its text.
  std::array<char, detail::number_text_size> text;
  const detail::number_text shown = detail::write_number_text(value, list_number_shape, text.data());
  // Step 3: a positional text (16 or 17 characters, one more with "-") ends
  // in column 19; an exponent text (16 significant digits, "E", sign and
  // three exponent digits) ends in the last column.
  const std::size_t columns = shown.form.positional ? positional_columns : list_number_width;
  place_in_field({text.data(), shown.length}, columns - shown.length, out);
}

std::string format_list_double(double value) {
  std::string field(list_number_width, ' ');
  format_list_double(value, field.data());
  return field;
}

}  // namespace ulpscope::textio
