// What the terminal shows besides the dialogue's own records: the status line
// of a long sweep, and where a diagnostic has to start. Private to the POSIX
// system.
//
// The signal handlers write diagnostics too, so everything here that they
// call is async-signal-safe, and the state it keeps is sig_atomic_t.
#pragma once

#include <string_view>

namespace ulpscope::platform {

// Looks once, at start, at which standard descriptors are terminals.
void note_standard_descriptors();

bool input_is_terminal();
bool output_is_terminal();

// Bookkeeping after each write to standard output and each read from
// standard input: a held prompt on the terminal leaves the cursor after it
// until a line typed at the terminal (whose Enter the terminal echoes)
// answers it.
void note_console_output(std::string_view written);
void note_console_input(std::string_view read);

// True when the terminal on `fd` has hung up (its other side is gone).
bool terminal_hung_up(int fd);

// Async-signal-safe: erases the status line if it is shown.
void erase_status_line();
// Async-signal-safe: one diagnostic line on standard error, on a screen line
// of its own, after the status line is erased.
void write_diagnostic(std::string_view line);

// The status line: true where standard error is a terminal.
bool status_line_possible();
// Draws `text` in place, cut to the terminal's width; nothing while the
// process is not in the terminal's foreground or the cursor stands after a
// held prompt.
void show_status_line(std::string_view text);

}  // namespace ulpscope::platform
