// The pseudo-terminal harness: posix_openpt, a new session on the slave side,
// and the program started in it the way a terminal and its shell would.
//
// The child does everything between fork and exec with plain system calls on
// data prepared before the fork; the parent reads the screen with poll and a
// deadline, never blocking without one.
#include "pty_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace e2e {
namespace {

using clock_type = std::chrono::steady_clock;
constexpr auto patience = std::chrono::seconds(5);
constexpr auto pause_between_looks = std::chrono::milliseconds(10);

// Calls `look` until it is true or the patience runs out.
template <typename look_type>
bool eventually(look_type look, clock_type::duration how_long = patience) {
  const auto deadline = clock_type::now() + how_long;
  for (;;) {
    if (look()) return true;
    if (clock_type::now() >= deadline) return false;
    std::this_thread::sleep_for(pause_between_looks);
  }
}

// What the child needs, all of it ready before the fork.
struct child_plan {
  std::vector<char*> argv;
  const char* slave_name;
  const char* folder;
  const char* errors_path;  // or nullptr
  const pty_options* options;
  int report_fd;  // where a job-control leader reports the program's id
  int master_fd;  // closed at once: a leader that never execs would hold it open
};

[[noreturn]] void fail_in_child() { _exit(127); }

void reset_signals(const std::vector<int>& ignored) {
  for (int signal_number = 1; signal_number < NSIG; ++signal_number) {
    if (signal_number != SIGKILL && signal_number != SIGSTOP) signal(signal_number, SIG_DFL);
  }
  for (const int signal_number : ignored) signal(signal_number, SIG_IGN);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

void attach_terminal(const child_plan& plan) {
  if (setsid() < 0) fail_in_child();
  const int flags = plan.options->controlling_terminal ? O_RDWR : O_RDWR | O_NOCTTY;
  const int slave = open(plan.slave_name, flags);
  if (slave < 0) fail_in_child();
  if (plan.options->controlling_terminal && ioctl(slave, TIOCSCTTY, 0) != 0) fail_in_child();
  for (int fd = 0; fd < 3; ++fd) dup2(slave, fd);
  if (slave > 2) close(slave);
  if (plan.errors_path != nullptr) {
    const int errors = open(plan.errors_path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (errors < 0) fail_in_child();
    dup2(errors, 2);
    close(errors);
  }
}

[[noreturn]] void exec_program(const child_plan& plan) {
  if (plan.options->close_input) close(0);
  if (plan.options->close_output) close(1);
  execv(plan.argv[0], plan.argv.data());
  fail_in_child();
}

// The job of a leader that passes SIGHUP on, as an interactive shell does.
volatile pid_t job_to_pass_on = -1;

void pass_hang_up_on(int) { kill(job_to_pass_on, SIGHUP); }

// Like a job-control shell: the program gets a process group of its own and
// the terminal's foreground before it starts; the leader waits for it and
// ends the way it ended.
[[noreturn]] void lead_job(const child_plan& plan) {
  int go[2];
  if (pipe(go) != 0) fail_in_child();
  const pid_t program = fork();
  if (program < 0) fail_in_child();
  if (program == 0) {
    close(go[1]);
    setpgid(0, 0);
    char ready = 0;
    if (read(go[0], &ready, 1) != 1) fail_in_child();
    close(go[0]);
    exec_program(plan);
  }
  close(go[0]);
  setpgid(program, program);
  using hang_up_leader = pty_options::hang_up_leader;
  if (plan.options->leader_on_hang_up == hang_up_leader::survives) signal(SIGHUP, SIG_IGN);
  if (plan.options->leader_on_hang_up == hang_up_leader::passes_on) {
    job_to_pass_on = program;
    signal(SIGHUP, pass_hang_up_on);
  }
  if (plan.options->foreground && tcsetpgrp(0, program) != 0) fail_in_child();
  if (write(plan.report_fd, &program, sizeof program) != sizeof program) fail_in_child();
  close(plan.report_fd);
  if (write(go[1], "", 1) != 1) fail_in_child();
  close(go[1]);
  int status = 0;
  while (waitpid(program, &status, 0) < 0) {
    if (errno != EINTR) fail_in_child();
  }
  if (WIFSIGNALED(status)) {
    signal(WTERMSIG(status), SIG_DFL);
    raise(WTERMSIG(status));
  }
  _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 127);
}

[[noreturn]] void run_child(const child_plan& plan) {
  close(plan.master_fd);
  attach_terminal(plan);
  if (chdir(plan.folder) != 0) fail_in_child();
  reset_signals(plan.options->ignored_signals);
  if (plan.options->own_process_group) {
    // Job control at a terminal: a stop is not discarded, as it would be in
    // the orphaned process group of a session leader.
    lead_job(plan);
  }
  exec_program(plan);
}

int open_master(std::string& slave_name) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) throw std::runtime_error("posix_openpt");
  const char* name = ptsname(master);
  if (name == nullptr) throw std::runtime_error("ptsname");
  slave_name = name;
  return master;
}

}  // namespace

pty_session::pty_session(const pty_options& options) {
  std::string slave_name;
  master_ = open_master(slave_name);
  own_slave_ = open(slave_name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (own_slave_ < 0) throw std::runtime_error("open slave");
  if (options.adjust_settings != nullptr) {
    termios start{};
    if (tcgetattr(own_slave_, &start) != 0) throw std::runtime_error("tcgetattr");
    options.adjust_settings(start);
    if (tcsetattr(own_slave_, TCSANOW, &start) != 0) throw std::runtime_error("tcsetattr");
  }

  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  std::vector<std::string> arguments = options.command;
  const std::string folder = options.folder.string();
  const std::string errors_path = options.errors_path ? options.errors_path->string() : std::string{};
  child_plan plan{{}, slave_name.c_str(), folder.c_str(), options.errors_path ? errors_path.c_str() : nullptr,
                  &options, report[1], master_};
  for (auto& argument : arguments) plan.argv.push_back(argument.data());
  plan.argv.push_back(nullptr);

  leader_ = fork();
  if (leader_ < 0) throw std::runtime_error("fork");
  if (leader_ == 0) run_child(plan);
  close(report[1]);
  program_ = leader_;
  if (options.own_process_group) {
    pid_t program = -1;
    const bool reported = read(report[0], &program, sizeof program) == sizeof program;
    program_ = reported ? program : -1;
  }
  close(report[0]);
}

pty_session::~pty_session() {
  if (!exit_ && running()) {
    if (program_ > 0 && program_ != leader_) kill(program_, SIGKILL);
    kill(leader_, SIGKILL);
    waitpid(leader_, nullptr, 0);
  }
  if (master_ >= 0) close(master_);
  close(own_slave_);
}

void pty_session::type(std::string_view keys) {
  while (!keys.empty()) {
    const ssize_t written = write(master_, keys.data(), keys.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("typing on the terminal");
    }
    keys.remove_prefix(static_cast<std::size_t>(written));
  }
}

void pty_session::read_screen(int timeout_ms) {
  if (master_ < 0) return;
  pollfd watched{master_, POLLIN, 0};
  if (poll(&watched, 1, timeout_ms) <= 0) return;
  char buffer[4096];
  const ssize_t got = read(master_, buffer, sizeof buffer);
  if (got > 0) screen_.append(buffer, static_cast<std::size_t>(got));
}

bool pty_session::wait_for_screen(std::string_view text) {
  return wait_for_screen(text, std::chrono::duration_cast<std::chrono::seconds>(patience));
}

bool pty_session::wait_for_screen(std::string_view text, std::chrono::seconds how_long) {
  const bool found = eventually(
      [&] {
        read_screen(0);
        return screen_.find(text, matched_) != std::string::npos;
      },
      how_long);
  if (found) matched_ = screen_.find(text, matched_) + text.size();
  return found;
}

const std::string& pty_session::screen() {
  while (master_ >= 0) {
    const std::size_t before = screen_.size();
    read_screen(0);
    if (screen_.size() == before) break;
  }
  return screen_;
}

termios pty_session::settings() const {
  termios now{};
  if (tcgetattr(own_slave_, &now) != 0) throw std::runtime_error("tcgetattr");
  return now;
}

bool pty_session::wait_for_line_mode(bool canonical) const {
  return wait_for_line_mode(canonical, std::chrono::duration_cast<std::chrono::seconds>(patience));
}

bool pty_session::wait_for_line_mode(bool canonical, std::chrono::seconds how_long) const {
  return eventually([&] { return ((settings().c_lflag & ICANON) != 0) == canonical; }, how_long);
}

std::string pty_session::take_pending_input() {
  // Out of line mode, a read takes a partial line too; VMIN 0 and VTIME 0 make
  // it return at once with what there is.
  const termios line_mode = settings();
  termios at_once = line_mode;
  at_once.c_lflag &= ~static_cast<tcflag_t>(ICANON);
  at_once.c_cc[VMIN] = 0;
  at_once.c_cc[VTIME] = 0;
  if (tcsetattr(own_slave_, TCSANOW, &at_once) != 0) throw std::runtime_error("tcsetattr");
  std::string pending;
  char buffer[256];
  for (ssize_t got; (got = read(own_slave_, buffer, sizeof buffer)) > 0;) pending.append(buffer, static_cast<std::size_t>(got));
  tcsetattr(own_slave_, TCSANOW, &line_mode);
  return pending;
}

char pty_session::program_state() const {
  std::ifstream stat("/proc/" + std::to_string(program_) + "/stat");
  std::string line;
  std::getline(stat, line);
  // pid (command) state ...: the command may hold blanks and parentheses.
  const auto end_of_command = line.rfind(')');
  return end_of_command == std::string::npos || end_of_command + 2 >= line.size() ? '?' : line[end_of_command + 2];
}

bool pty_session::wait_for_program_state(char state) const {
  return eventually([&] { return program_state() == state; });
}

bool pty_session::running() {
  if (exit_) return false;
  int status = 0;
  rusage usage{};
  const pid_t ended = wait4(leader_, &status, WNOHANG, &usage);
  if (ended != leader_) return true;
  pty_exit result;
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  const auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6; };
  result.cpu_seconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  exit_ = result;
  return false;
}

std::optional<pty_exit> pty_session::wait_for_exit() { return wait_for_exit(std::chrono::duration_cast<std::chrono::seconds>(patience)); }

std::optional<pty_exit> pty_session::wait_for_exit(std::chrono::seconds how_long) {
  eventually(
      [&] {
        read_screen(0);
        return !running();
      },
      how_long);
  return exit_;
}

void pty_session::hang_up() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

bool same_settings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
         std::equal(std::begin(a.c_cc), std::end(a.c_cc), std::begin(b.c_cc)) && cfgetispeed(&a) == cfgetispeed(&b) &&
         cfgetospeed(&a) == cfgetospeed(&b);
}

std::string as_shown(std::string_view written) {
  std::string shown;
  for (const char c : written) {
    if (c == '\n') shown += '\r';
    shown += c;
  }
  return shown;
}

}  // namespace e2e

namespace e2e {

std::string rendered_screen(std::string_view shown) {
  std::vector<std::string> lines(1);
  std::size_t row = 0;
  std::size_t column = 0;
  for (std::size_t at = 0; at < shown.size(); ++at) {
    const char c = shown[at];
    if (c == '\r') {
      column = 0;
    } else if (c == '\n') {
      if (++row == lines.size()) lines.emplace_back();
    } else if (shown.substr(at, 3) == "\x1b[K") {
      if (lines[row].size() > column) lines[row].resize(column);
      at += 2;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      continue;  // shows nothing, as an echoed control character without ECHOCTL
    } else {
      std::string& line = lines[row];
      if (line.size() <= column) line.resize(column + 1, ' ');
      line[column++] = c;
    }
  }
  std::string screen;
  for (std::size_t k = 0; k < lines.size(); ++k) screen += (k == 0 ? "" : "\n") + lines[k];
  return screen;
}

}  // namespace e2e
