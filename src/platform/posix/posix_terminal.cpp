// The controlling terminal: the key wait at the end of a run, and the signals
// that stand for the console events (control-C, control-BREAK, window close)
// and for the terminal's job control.
//
// The one fact to know: the key wait changes the terminal's settings (no line
// mode, no echo) and every way out of the process must put them back. So the
// wait and the signal handlers share a little state, below; the wait changes
// it only while those signals are blocked, and the handlers use nothing but
// async-signal-safe calls.
#include "platform/posix/posix_terminal.h"
#include "platform/posix/posix_screen.h"
#include "platform/shared.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string_view>

namespace ulpscope::platform {
namespace {

// The state shared with the signal handlers; the only mutable globals of the
// tool, and the platform layer is the one place allowed to have them.
//   key_wait_terminal: the descriptor of /dev/tty while a key wait runs, else -1.
//   terminal_in_wait_mode: the terminal has the wait's settings now and must
//     get `line_mode_settings` (the settings found when the wait began) back.
volatile sig_atomic_t key_wait_terminal = -1;
volatile sig_atomic_t terminal_in_wait_mode = 0;
termios line_mode_settings{};

using detail::console_event;

struct console_signal {
  int signal_number;
  console_event event;
};

constexpr std::array console_signals{
    console_signal{SIGINT, console_event::control_c},
    console_signal{SIGQUIT, console_event::control_break},
    console_signal{SIGHUP, console_event::window_close},
};

// Blocked while any of the handlers runs and while the wait changes the shared
// state. SIGTTOU too, so that putting the settings back never stops the process.
constexpr std::array guarded_signals{SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGTSTP, SIGCONT, SIGTTOU};

sigset_t guarded_signal_set() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal_number : guarded_signals) sigaddset(&set, signal_number);
  return set;
}

// Blocks the guarded signals for its lifetime.
class signal_guard {
 public:
  signal_guard() {
    const sigset_t blocked = guarded_signal_set();
    sigprocmask(SIG_BLOCK, &blocked, &previous_);
  }
  ~signal_guard() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  signal_guard(const signal_guard&) = delete;
  signal_guard& operator=(const signal_guard&) = delete;

 private:
  sigset_t previous_;
};

// Character mode without echo; a pending byte is enough for poll, and nothing
// reads it. ISIG stays, so control-C and control-\ still raise their signals.
termios wait_mode_of(const termios& line_mode) {
  termios wait_mode = line_mode;
  wait_mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  wait_mode.c_cc[VMIN] = 1;
  wait_mode.c_cc[VTIME] = 0;
  return wait_mode;
}

bool in_foreground(int terminal) { return tcgetpgrp(terminal) == getpgrp(); }

// The functions below run in signal handlers too: async-signal-safe only.

void restore_line_mode() {
  if (key_wait_terminal < 0 || !terminal_in_wait_mode) return;
  tcsetattr(key_wait_terminal, TCSANOW, &line_mode_settings);
  terminal_in_wait_mode = 0;
}

// The wait mode holds only while the process is in the terminal's foreground:
// a job continued in the background gives the terminal back to its shell.
void follow_foreground() {
  if (key_wait_terminal < 0) return;
  if (!in_foreground(key_wait_terminal)) {
    restore_line_mode();
    return;
  }
  if (terminal_in_wait_mode) return;
  const termios wait_mode = wait_mode_of(line_mode_settings);
  if (tcsetattr(key_wait_terminal, TCSANOW, &wait_mode) == 0) terminal_in_wait_mode = 1;
}

void set_handler(int signal_number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_mask = guarded_signal_set();
  action.sa_flags = SA_RESTART;
  sigaction(signal_number, &action, nullptr);
}

void unblock(int signal_number) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal_number);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

// Writes the event's diagnostic, restores the terminal and ends: control-C by
// SIGINT itself, the others with their status. _exit and the signal's default
// action close every descriptor, the results file among them. Runs with the
// guarded signals blocked, so no other console event can come in between.
[[noreturn]] void end_with(console_event event) {
  const detail::console_event_end& end = detail::end_of(event);
  write_diagnostic(end.diagnostic);
  restore_line_mode();
  if (end.ends_as_interrupted) {
    set_handler(SIGINT, SIG_DFL);
    raise(SIGINT);
    unblock(SIGINT);  // the default action ends the process here
  }
  _exit(end.status);
}

void on_console_event(int signal_number) {
  for (const console_signal& known : console_signals) {
    if (known.signal_number == signal_number) end_with(known.event);
  }
}

void on_terminate(int signal_number) {
  erase_status_line();
  restore_line_mode();
  set_handler(signal_number, SIG_DFL);
  raise(signal_number);
  unblock(signal_number);  // the default action ends the process here
}

// Stops with the terminal as it was; on the way back the wait mode returns if
// the process is in the foreground (also when the stop never happened, as in
// an orphaned process group, where the default action of SIGTSTP is nothing).
void on_stop(int signal_number) {
  const int saved_errno = errno;
  erase_status_line();
  restore_line_mode();
  set_handler(signal_number, SIG_DFL);
  raise(signal_number);
  unblock(signal_number);  // stopped here until SIGCONT
  set_handler(signal_number, on_stop);
  follow_foreground();
  errno = saved_errno;
}

void on_continue(int) {
  const int saved_errno = errno;
  follow_foreground();
  errno = saved_errno;
}

struct signal_handling {
  int signal_number;
  void (*handler)(int);
};

constexpr std::array signal_handlings{
    signal_handling{SIGINT, on_console_event},  signal_handling{SIGQUIT, on_console_event},
    signal_handling{SIGHUP, on_console_event},  signal_handling{SIGTERM, on_terminate},
    signal_handling{SIGTSTP, on_stop},          signal_handling{SIGCONT, on_continue},
};

// A signal that the process was started with ignored (nohup, a background job
// without job control) stays ignored.
bool ignored_at_start(int signal_number) {
  struct sigaction current {};
  return sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

// Blocks in poll until a byte is pending, across the interruptions of job
// control; ends when the wait mode has been given up. A terminal that hangs
// up meanwhile ends the run as a closed window, also where no SIGHUP comes
// (a shell above the tool owns the session and survives the hang-up).
void block_until_key_pending(int terminal) {
  for (;;) {
    pollfd watched{terminal, POLLIN, 0};
    const int ready = poll(&watched, 1, -1);
    if (ready > 0 && (watched.revents & (POLLHUP | POLLERR)) != 0) end_by_hang_up();
    if (ready > 0) return;
    if (ready < 0 && errno != EINTR) return;
    if (!terminal_in_wait_mode) return;
  }
}

void wait_on_terminal(int terminal) {
  termios line_mode{};
  if (tcgetattr(terminal, &line_mode) != 0) return;
  {
    const signal_guard guard;
    line_mode_settings = line_mode;
    key_wait_terminal = terminal;
    follow_foreground();
  }
  if (terminal_in_wait_mode) block_until_key_pending(terminal);
  const signal_guard guard;
  restore_line_mode();
  key_wait_terminal = -1;
}

}  // namespace

void wait_for_key_on_terminal() {
  // Step 1: the console keyboard is the controlling terminal, never standard input.
  const int terminal = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (terminal < 0) return;
  // Step 2: without a keyboard that is ours to read, the wait is over at once.
  if (isatty(terminal) && in_foreground(terminal)) wait_on_terminal(terminal);
  close(terminal);
}

void end_by_hang_up() {
  const sigset_t blocked = guarded_signal_set();
  sigprocmask(SIG_BLOCK, &blocked, nullptr);
  end_with(console_event::window_close);
}

void hold_console_events() {
  sigset_t set;
  sigemptyset(&set);
  for (const console_signal& known : console_signals) sigaddset(&set, known.signal_number);
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

void install_console_interrupts() {
  for (const signal_handling& handling : signal_handlings) {
    if (!ignored_at_start(handling.signal_number)) set_handler(handling.signal_number, handling.handler);
  }
}

}  // namespace ulpscope::platform
