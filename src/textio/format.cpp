// The layout interpreter of formatted records (the field renderers are in fields.cpp).
//
// A record is built in one buffer and handed to its sink whole: the columns
// from 1 to the furthest one written, then CR LF unless a line hold came.
// Columns a tab skips hold blanks only if something is written after them,
// which is why "x2 =x" stays five characters although its layout tabs to 14.
// The buffer lives on the stack (512 characters, far more than any record of
// the tool) and moves to the heap only for a longer record, so nothing is cut.
// With a field memo, a number field whose value that field showed before
// copies the text from the memo instead of rendering it.
#include "textio/format.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "textio/byte_copy.h"
#include "textio/field_memo.h"
#include "textio/fields.h"

namespace ulpscope::textio {
namespace {

// Field widths beyond this are taken as this; no layout comes near it.
constexpr int max_field_width = 32767;

// ---- The record being built ----------------------------------------------

class record_buffer {
 public:
  record_buffer() = default;
  record_buffer(const record_buffer&) = delete;
  record_buffer& operator=(const record_buffer&) = delete;

  // Room for `width` characters at the position, and for the terminator
  // after them; the columns skipped since the furthest one written become
  // blanks. So the furthest column always leaves room for the terminator.
  char* field_at_position(std::size_t width) {
    const std::size_t start = position_ - 1;
    const std::size_t needed = start + width + record_terminator.size();
    if (needed > capacity_) grow(needed);
    if (start > furthest_) detail::fill_blanks(data_ + furthest_, start - furthest_);
    return data_ + start;
  }

  void advance(std::size_t written) {
    position_ += written;
    if (written > 0) furthest_ = std::max(furthest_, position_ - 1);
  }

  void move_to_column(int column) { position_ = static_cast<std::size_t>(std::max(column, 1)); }
  void hold() { held_ = true; }

  // Hands the record to `sink` and starts the next one.
  void deliver(record_sink& sink) {
    std::size_t length = furthest_;
    if (!held_) {
      std::memcpy(data_ + length, record_terminator.data(), record_terminator.size());
      length += record_terminator.size();
    }
    sink.write_record({data_, length});
    position_ = 1;
    furthest_ = 0;
    held_ = false;
  }

 private:
  // Only for a record longer than any the tool writes.
  [[gnu::cold]] void grow(std::size_t size) {
    const std::size_t grown = std::max(size, 2 * capacity_);
    if (data_ == inline_storage_.data()) grown_storage_.assign(data_, furthest_);
    grown_storage_.resize(grown, ' ');
    data_ = grown_storage_.data();
    capacity_ = grown;
  }

  std::array<char, 512> inline_storage_;
  std::string grown_storage_;
  char* data_ = inline_storage_.data();
  std::size_t capacity_ = inline_storage_.size();
  std::size_t position_ = 1;  // column of the next character
  std::size_t furthest_ = 0;  // last column written; 0 for none
  bool held_ = false;
};

// ---- The interpreter ------------------------------------------------------

struct layout_run {
  layout_run(record_sink& destination, std::span<const item> all_items, std::int32_t width, field_memo* fields)
      : sink(destination), items(all_items), width_now(width), memo(fields) {}

  record_sink& sink;
  std::span<const item> items;
  std::int32_t width_now;
  field_memo* memo;  // nullptr: every field is rendered
  std::size_t next_item = 0;
  record_buffer record;
};

int field_width(const layout_item& field, std::int32_t width_now) {
  const std::int32_t width = field.width == runtime_width ? width_now : field.width;
  return static_cast<int>(std::clamp<std::int32_t>(width, 0, max_field_width));
}

bool kind_fits(layout_op op, item::kind kind) {
  switch (op) {
    case layout_op::text_field: return kind == item::kind::text;
    case layout_op::integer_field: return kind == item::kind::integer;
    default: return kind == item::kind::real;
  }
}

// A scientific or general field, from the memo when it has the text.
std::size_t render_number_field(field_memo* memo, const layout_item& field, double value, int width,
                                char* out) {
  if (memo != nullptr) {
    if (const char* known = memo->find(value, field, width)) {
      detail::copy_bytes(out, known, static_cast<std::size_t>(width));
      return static_cast<std::size_t>(width);
    }
  }
  const std::size_t written = field.op == layout_op::scientific_field
                                  ? render_scientific_field(value, width, field.digits, field.letter, out)
                                  : render_general_field(value, width, field.digits, out);
  if (memo != nullptr && written == static_cast<std::size_t>(width)) memo->remember(value, field, width, out);
  return written;
}

// One data field for one item. An item of another kind than the field's
// cannot be shown and fills the field with asterisks, like a value too wide.
void write_data_field(layout_run& run, const layout_item& field, const item& value) {
  const int width = field_width(field, run.width_now);
  if (!kind_fits(field.op, value.type)) {
    run.record.advance(detail::fill_asterisks(run.record.field_at_position(static_cast<std::size_t>(width)), width));
    return;
  }
  const std::size_t room =
      field.op == layout_op::text_field && width == 0 ? value.text.size() : static_cast<std::size_t>(width);
  char* out = run.record.field_at_position(room);
  std::size_t written = 0;
  switch (field.op) {
    case layout_op::text_field: written = render_text_field(value.text, width, out); break;
    case layout_op::integer_field: written = render_integer_field(value.integer, width, out); break;
    default: written = render_number_field(run.memo, field, value.real, width, out); break;
  }
  run.record.advance(written);
}

bool is_data_field(layout_op op) {
  return op == layout_op::text_field || op == layout_op::integer_field || op == layout_op::scientific_field ||
         op == layout_op::general_field;
}

// The index of the repeat_end that closes the group opened at `begin`, or the
// layout's size when it is never closed (the group then runs to the end).
std::size_t matching_repeat_end(layout shape, std::size_t begin) {
  int depth = 0;
  for (std::size_t i = begin + 1; i < shape.size(); ++i) {
    if (shape[i].op == layout_op::repeat_begin) ++depth;
    if (shape[i].op == layout_op::repeat_end && depth-- == 0) return i;
  }
  return shape.size();
}

// Carries out `shape`; false when a data field or item stop found no item
// left, which ends the record there.
bool carry_out(layout_run& run, layout shape) {
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const layout_item& step = shape[i];
    const bool items_left = run.next_item < run.items.size();
    if (is_data_field(step.op)) {
      if (!items_left) return false;
      write_data_field(run, step, run.items[run.next_item++]);
      continue;
    }
    switch (step.op) {
      case layout_op::literal_text: {
        detail::copy_bytes(run.record.field_at_position(step.literal.size()), step.literal.data(),
                           step.literal.size());
        run.record.advance(step.literal.size());
        break;
      }
      case layout_op::column_tab: run.record.move_to_column(step.width); break;
      case layout_op::record_break: run.record.deliver(run.sink); break;
      case layout_op::item_stop:
        if (!items_left) return false;
        break;
      case layout_op::line_hold: run.record.hold(); break;
      case layout_op::repeat_begin: {
        const std::size_t end = matching_repeat_end(shape, i);
        const layout inner = shape.subspan(i + 1, end - i - 1);
        for (int round = 0; round < step.width; ++round) {
          if (!carry_out(run, inner)) return false;
        }
        i = end;
        break;
      }
      default: break;  // a repeat_end without its beginning closes nothing
    }
  }
  return true;
}

}  // namespace

void write_formatted_record(record_sink& sink, layout shape, std::span<const item> items,
                            std::int32_t width_now, field_memo* memo) {
  layout_run run(sink, items, width_now, memo);
  carry_out(run, shape);  // out of items or out of layout: either way the record ends
  run.record.deliver(sink);
}

}  // namespace ulpscope::textio
