// Line reading over a byte source. Only the unread part of the buffer is kept,
// so memory stays the same whatever the length of a line.
#include "textio/console_input.h"

#include <cstring>

namespace ulpscope::textio {

bool console_input::ensure(std::size_t count) {
  while (end_ - begin_ < count) {
    if (input_ended_) return false;
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    const std::size_t got = source_.read(buffer_.data() + end_, buffer_.size() - end_);
    if (got == 0) {
      input_ended_ = true;
      return false;
    }
    end_ += got;
  }
  return true;
}

int console_input::look() {
  if (line_ended_) return end_of_line;
  if (!ensure(1)) {
    line_ended_ = true;  // a last line without LF still counts as a line
    return end_of_line;
  }
  const auto byte = static_cast<unsigned char>(buffer_[begin_]);
  if (byte == '\n') {
    ++begin_;
    line_ended_ = true;
    return end_of_line;
  }
  // A CR belongs to the line unless an LF follows it.
  if (byte == '\r' && ensure(2) && buffer_[begin_ + 1] == '\n') {
    begin_ += 2;
    line_ended_ = true;
    return end_of_line;
  }
  return byte;
}

bool console_input::start_line() {
  while (in_line_ && next() != end_of_line) {
  }
  line_ended_ = false;
  in_line_ = ensure(1);
  return in_line_;
}

int console_input::peek() { return look(); }

int console_input::next() {
  const int byte = look();
  if (byte != end_of_line) ++begin_;
  return byte;
}

}  // namespace ulpscope::textio
