// The console itself: the key wait at the end of a run and the console
// control events. Private to the Win32 system.
//
// Both look at the console the process is attached to, never at its standard
// handles: with every stream redirected there may be no console at all, and
// then the wait is over at once and no control event ever arrives.
#pragma once

namespace ulpscope::platform {

// Returns once a key press is pending on the console keyboard (CONIN$),
// leaving it there; at once where the process has no console.
void wait_for_key_on_console();

// Control-C (status 0), control-BREAK (1) and closing the console window (2)
// end the run with their diagnostic. Control-C stays ignored when the process
// was started with it ignored, as the system decides that on its own.
void install_console_event_handler();

}  // namespace ulpscope::platform
