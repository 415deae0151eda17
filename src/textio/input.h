// Reading the console answers.
//
//   read_console_text(in, name)          "t" -> "t" and 259 blanks
//   read_console_doubles(in, {xs, xe, xd}) "1,,0.5" -> 1.0, unchanged, 0.5
//
// Each read starts with a new line and drops the rest of the last line it
// looked at. Nothing here ends the process: a read returns how it went and the
// caller reports the failure.
#pragma once

#include <span>

#include "textio/console_input.h"

namespace ulpscope::textio {

enum class read_status {
  ok,
  end_of_input,      // 24: the input ended before the read was complete
  syntax_error,      // 59: the answer cannot be read in free form
  conversion_error,  // 64: a value that is not a double, or too large for one
};

// The first out.size() bytes of the next line, blank-filled; nothing trimmed.
read_status read_console_text(console_input& in, std::span<char> out);

// Free-form read of `values` in order. A value the answer leaves out (a null
// value, a slash) keeps what it held before.
read_status read_console_doubles(console_input& in, std::span<double> values);

}  // namespace ulpscope::textio
