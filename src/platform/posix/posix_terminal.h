// The controlling terminal: the key wait at the end of a run and the console
// interrupts. Private to the POSIX system.
//
// The key wait may change the terminal's settings; every end of the process
// that these handlers see (SIGINT, SIGQUIT, SIGHUP, SIGTERM) and every stop
// (SIGTSTP) puts them back first.
#pragma once

namespace ulpscope::platform {

// Returns once a key press is pending on the controlling terminal, leaving it
// there; at once where there is no terminal to wait on (no /dev/tty, or the
// process is not in its foreground process group).
void wait_for_key_on_terminal();

// Control-C (SIGINT), control-BREAK (SIGQUIT, status 1) and window close
// (SIGHUP, status 2) end the run with their diagnostic, control-C by SIGINT
// itself; SIGTERM ends it by its default action and SIGTSTP stops it, all
// with the terminal restored and the status line erased. A signal ignored at
// start stays ignored.
void install_console_interrupts();

// The terminal hung up under a read or a write of the console: the run ends
// as by SIGHUP, whether or not that signal ever comes.
[[noreturn]] void end_by_hang_up();

// The run ends on its own path now: the console events stay blocked until
// the process has ended, so they can neither add a diagnostic nor change the
// exit status.
void hold_console_events();

}  // namespace ulpscope::platform
