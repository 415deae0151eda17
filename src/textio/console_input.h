// Console input as lines of bytes, read through a fixed buffer so that a line
// of any length is streamed, never stored.
//
// A line is the bytes up to the next LF; the LF, and a CR right before it, are
// not part of the line. A last line without LF before the end of input is a
// line too. Every read of the dialogue starts with `start_line`, which first
// drops what is left of the line before.
#pragma once

#include <array>
#include <cstddef>

namespace ulpscope::textio {

// Where the bytes come from: the console, or a string in tests and fuzzers.
class byte_source {
 public:
  virtual ~byte_source() = default;
  // Up to `size` bytes; 0 means the input has ended (or cannot be read).
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

class console_input {
 public:
  static constexpr int end_of_line = -1;

  explicit console_input(byte_source& source) : source_(source) {}

  // Drops the rest of the current line and starts the next one.
  // False when the input ends before a new line begins.
  bool start_line();

  // The next byte of the current line (0..255), or end_of_line.
  int next();
  // The same byte, left in place.
  int peek();

 private:
  // Makes `count` unread bytes available, unless the input ends first.
  bool ensure(std::size_t count);
  // The byte at the cursor; at LF or CR LF, marks the line as ended.
  int look();

  byte_source& source_;
  std::array<char, 65536> buffer_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool in_line_ = false;     // a line has been started and not left
  bool line_ended_ = false;  // its end (LF or end of input) has been reached
  bool input_ended_ = false;
};

}  // namespace ulpscope::textio
