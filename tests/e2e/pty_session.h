// Runs a program on a pseudo-terminal of its own, as a person at a terminal
// would: keys typed on the master side, the screen read back from it.
//
// The one fact to know: the harness keeps a descriptor of its own on the
// terminal (the slave side), so the terminal outlives the program: its
// settings and its pending input can still be read after the program ends.
// Every wait has a timeout, so a program that hangs fails the test instead of
// hanging it.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

struct pty_options {
  std::vector<std::string> command{ULPSCOPE_BINARY};  // program and arguments
  std::filesystem::path folder;                       // its working directory
  // false: the terminal is on descriptors 0, 1 and 2, but the program's new
  // session has no controlling terminal.
  bool controlling_terminal = true;
  // As a job-control shell runs a job: the program in a foreground process
  // group of its own, below a session leader that waits for it. Otherwise the
  // program is the session leader.
  bool own_process_group = false;
  bool foreground = true;  // with its own process group: false leaves the job in the background
  // With its own process group: what the leader does on SIGHUP. It dies of
  // it by default; a shell that owns the session may survive the hang-up, or
  // pass the signal on to its job as it goes.
  enum class hang_up_leader { dies, survives, passes_on };
  hang_up_leader leader_on_hang_up = hang_up_leader::dies;
  std::optional<std::filesystem::path> errors_path;  // standard error to this file
  std::vector<int> ignored_signals;                  // ignored when the program starts
  bool close_input = false;                          // start with descriptor 0 closed
  bool close_output = false;                         // start with descriptor 1 closed
  void (*adjust_settings)(termios&) = nullptr;       // changes the terminal's settings before the start
};

struct pty_exit {
  int status = -1;           // exit status, or -1 when a signal ended it
  int signal = 0;            // the signal that ended it, if any
  double cpu_seconds = 0.0;  // user and system time of the whole run
};

class pty_session {
 public:
  explicit pty_session(const pty_options& options);
  ~pty_session();  // ends a program still running (by its id) and closes the terminal
  pty_session(const pty_session&) = delete;
  pty_session& operator=(const pty_session&) = delete;

  // Bytes as the keyboard sends them: "\r" for Enter, "\x03" for control-C.
  void type(std::string_view keys);
  // Reads the screen until `text` appears after the previous match; false on timeout.
  bool wait_for_screen(std::string_view text);
  bool wait_for_screen(std::string_view text, std::chrono::seconds patience);
  // Everything the program has shown so far.
  const std::string& screen();

  termios settings() const;
  // Waits until the terminal's line mode is `canonical`; false on timeout.
  bool wait_for_line_mode(bool canonical) const;
  bool wait_for_line_mode(bool canonical, std::chrono::seconds patience) const;
  // Reads, as the next reader of the terminal would, the bytes typed and not
  // yet read by anyone, whole lines or not. Requires: the program has ended.
  std::string take_pending_input();

  // The program itself (in a job of its own: not the session leader).
  pid_t program_id() const { return program_; }
  // Reads the program's state from /proc: 'T' when stopped, for example.
  char program_state() const;
  bool wait_for_program_state(char state) const;

  bool running();
  std::optional<pty_exit> wait_for_exit();
  // The same with a patience of its own, for a run that takes seconds.
  std::optional<pty_exit> wait_for_exit(std::chrono::seconds patience);
  // Closes the master side: the terminal hangs up, as when its window closes.
  void hang_up();

 private:
  void read_screen(int timeout_ms);

  int master_ = -1;
  int own_slave_ = -1;
  pid_t leader_ = -1;   // the child of the harness, the session leader
  pid_t program_ = -1;  // the program run
  std::string screen_;
  std::size_t matched_ = 0;
  std::optional<pty_exit> exit_;
};

// The same settings in every field a program can change.
bool same_settings(const termios& a, const termios& b);

// How the terminal shows what a program writes: each LF as CR LF.
std::string as_shown(std::string_view written);

// The screen that `shown` leaves, line by line: CR goes to the start of the
// line, LF down one line, ESC [ K erases to the end of the line, other
// control bytes show nothing, and every other byte is put at the cursor.
// Lines are joined by "\n".
std::string rendered_screen(std::string_view shown);

}  // namespace e2e
