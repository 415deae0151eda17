// The status line and the start of diagnostics on a POSIX terminal.
//
// The status line is drawn as CR, the text and erase-line, and erased as CR
// and erase-line; it is marked shown before it is written, so that a signal
// handler that ends the process in between erases it rather than leave it.
// A process outside the terminal's foreground never writes either (with
// TOSTOP set the write would stop it): there the line is only forgotten.
#include "platform/posix/posix_screen.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/shared.h"

namespace ulpscope::platform {
namespace {

// Shared with the signal handlers; set once at start, or by one write each.
volatile sig_atomic_t input_terminal = 0;
volatile sig_atomic_t output_terminal = 0;
volatile sig_atomic_t error_terminal = 0;
volatile sig_atomic_t status_line_shown = 0;
volatile sig_atomic_t console_line_held = 0;

constexpr std::string_view erase_line = "\r\x1b[K";
constexpr std::size_t assumed_width = 80;

void write_error_bytes(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = write(STDERR_FILENO, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;
    done += static_cast<std::size_t>(count);
  }
}

bool error_in_foreground() { return tcgetpgrp(STDERR_FILENO) == getpgrp(); }

// The columns of the terminal; one is kept free, so the line never wraps.
std::size_t usable_width() {
  winsize size{};
  const std::size_t columns =
      ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : assumed_width;
  return columns - 1;
}

}  // namespace

void note_standard_descriptors() {
  input_terminal = isatty(STDIN_FILENO);
  output_terminal = isatty(STDOUT_FILENO);
  error_terminal = isatty(STDERR_FILENO);
}

bool input_is_terminal() { return input_terminal != 0; }
bool output_is_terminal() { return output_terminal != 0; }

void note_console_output(std::string_view written) {
  if (output_terminal && !written.empty()) console_line_held = written.back() != '\n';
}

void note_console_input(std::string_view read) {
  if (!input_terminal || read.empty() || read.back() != '\n') return;
  // Without echo the Enter leaves the cursor where it was.
  termios settings{};
  if (tcgetattr(STDIN_FILENO, &settings) == 0 && (settings.c_lflag & (ECHO | ECHONL)) != 0) console_line_held = 0;
}

bool terminal_hung_up(int fd) {
  pollfd watched{fd, 0, 0};
  return poll(&watched, 1, 0) > 0 && (watched.revents & POLLHUP) != 0;
}

void erase_status_line() {
  if (!status_line_shown) return;
  status_line_shown = 0;
  if (error_in_foreground()) write_error_bytes(erase_line);
}

void write_diagnostic(std::string_view line) {
  const int saved_errno = errno;
  erase_status_line();
  if (error_terminal && console_line_held) write_error_bytes(detail::line_break);
  console_line_held = 0;
  write_error_bytes(line);
  errno = saved_errno;
}

bool status_line_possible() { return error_terminal != 0; }

void show_status_line(std::string_view text) {
  if (!error_terminal) return;
  // Beside a held prompt (answers from a file) the line would overwrite the
  // prompt, and erasing it would take the prompt away.
  if (console_line_held || !error_in_foreground()) {
    status_line_shown = 0;
    return;
  }
  std::string line = "\r";
  line.append(text.substr(0, std::min(text.size(), usable_width())));
  line.append("\x1b[K");
  status_line_shown = 1;
  write_error_bytes(line);
}

}  // namespace ulpscope::platform
