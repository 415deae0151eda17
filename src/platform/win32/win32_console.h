// The console itself: the key wait at the end of a run and the console
// control events. Private to the Win32 system.
//
// Both look at the console the process is attached to, never at its standard
// handles: with every stream redirected there may be no console at all, and
// then the wait is over at once and no control event ever arrives.
#pragma once

#include <string_view>

namespace ulpscope::platform {

// Returns once a key press is pending on the console keyboard (CONIN$),
// leaving it there; at once where the process has no console.
void wait_for_key_on_console();

// Control-C (STATUS_CONTROL_C_EXIT), control-BREAK (1) and closing the
// console window (2) end the run with their diagnostic. Control-C stays
// ignored when the process was started with it ignored, as the system
// decides that on its own.
void install_console_event_handler();

// Bookkeeping after each write to standard output and each read from
// standard input, so that a diagnostic after a held prompt on the console
// starts a line of its own.
void note_console_output(std::string_view written);
void note_console_input(std::string_view read);

// One diagnostic line on standard error, after a line break where a held
// prompt on the console left the cursor.
void write_diagnostic(std::string_view line);

// The run ends on its own path now; a console event that comes later adds
// no diagnostic and changes no status (one that came first ends the process,
// and this waits for it).
void hold_console_events();

}  // namespace ulpscope::platform
