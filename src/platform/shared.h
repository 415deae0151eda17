// What both system layers share: the ends of the process for the console
// events, and how a results-file name is matched against device names.
// Private to src/platform/.
//
// The handlers that use the endings run in signal or event context, so this
// is constant data and pure functions only.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "platform/platform.h"

namespace ulpscope::platform::detail {

enum class console_event { control_c, control_break, window_close };

struct console_event_end {
  std::string_view diagnostic;  // one line for standard error, written in one piece
  int status;                   // the exit status (control-C: a shell's 128 + SIGINT, should the signal not end it)
  // Control-C ends the process the way the system ends an interrupted program
  // (by SIGINT, or with STATUS_CONTROL_C_EXIT), never with a status that a
  // shell or a script would take for success.
  bool ends_as_interrupted;
};

inline constexpr std::array<console_event_end, 3> console_event_ends{{
    {"ulpscope: error (200): program aborting due to control-C event\r\n", 130, true},
    {"ulpscope: error (200): program aborting due to control-BREAK event\r\n", 1, false},
    {"ulpscope: error (200): program aborting due to window-CLOSE event\r\n", 2, false},
}};

// Where a held prompt leaves the cursor on a terminal, this goes first, so
// that a diagnostic starts a screen line of its own.
inline constexpr std::string_view line_break = "\r\n";

constexpr const console_event_end& end_of(console_event event) {
  return console_event_ends[static_cast<std::size_t>(event)];
}

constexpr bool equal_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// CON and NUL, in any case, on every system.
constexpr device console_or_null_device(std::string_view name) {
  if (equal_ignoring_case(name, "con")) return device::console_output;
  if (equal_ignoring_case(name, "nul")) return device::null_device;
  return device::none;
}

}  // namespace ulpscope::platform::detail
