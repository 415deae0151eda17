// The tool at a terminal, in a sweep long enough to show its status line,
// and at its ends: control-C, the terminal hanging up, control-D. What a
// person sees is compared as a rendered screen (CR, LF and erase-line
// interpreted), so a status line that was erased leaves no trace in it.
//
// The one fact to know: a hang-up races with the signals it causes, so those
// tests repeat a run several times; each run takes a fraction of a second.
#include <signal.h>
#include <termios.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "pty_session.h"
#include "run_tool.h"

namespace {

using e2e::pty_options;
using e2e::pty_session;
using hang_up_leader = pty_options::hang_up_leader;

constexpr std::string_view name_prompt = "Input file name (NO extension): ";
constexpr std::string_view range_prompt = " Input xStart, xEnd (0=stop), xStep: ";
constexpr std::string_view another_range_prompt = " Another Range? (Y,y / char):";
constexpr std::string_view key_message = "Apasa orice tasta";
constexpr std::string_view control_c_diagnostic = "ulpscope: error (200): program aborting due to control-C event";
constexpr std::string_view window_close_diagnostic =
    "ulpscope: error (200): program aborting due to window-CLOSE event\r\n";
constexpr std::string_view end_of_input_diagnostic =
    "ulpscope: severe (24): end-of-file during read, unit -4, file CONIN$";

// What only the status line shows: "... x (12.3%), 4.5 MB, 37.1 kx/s, 0:01 left".
constexpr std::string_view status_mark = "x/s, ";
constexpr auto sweep_patience = std::chrono::seconds(120);

pty_options tool_in(const e2e::scratch_folder& folder) {
  pty_options options;
  options.folder = folder.path();
  return options;
}

std::string shell_quoted(std::string_view text) {
  std::string quoted(1, '\'');
  quoted += text;
  quoted += '\'';
  return quoted;
}

std::size_t count_of(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// A sweep from 1 by 1e-7 of `count` x: "1 <end> 1e-7".
std::string range_of(long count) {
  char end[32];
  std::snprintf(end, sizeof end, "%.7f", 1.0 + static_cast<double>(count) * 1e-7);
  return "1 " + std::string(end) + " 1e-7";
}

// A range that sweeps into the null device (base name nul) for about four
// seconds on this machine, whatever its speed: sized by a piped sweep of
// 200,000 x timed first. The status line needs one second to show and a
// quarter more to be redrawn, so a trial slowed threefold by other work still
// leaves room for both.
const std::string& sweep_of_seconds() {
  static const std::string range = [] {
    constexpr long trial = 200'000;
    e2e::scratch_folder folder;
    const auto start = std::chrono::steady_clock::now();
    const auto run = e2e::run_tool({.input = "nul\n" + range_of(trial) + "\nn\n", .folder = folder.path()});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.status, 0) << run.errors;
    const double wanted = 4.0 / std::max(took.count(), 1e-3) * static_cast<double>(trial);
    return range_of(static_cast<long>(std::clamp(wanted, 200'000.0, 100'000'000.0)));
  }();
  return range;
}

struct typed_run {
  std::string screen;  // as the terminal received it
  std::optional<e2e::pty_exit> end;
};

// The sweep typed at the terminal, to its normal end.
typed_run type_sweep_of_seconds(pty_options options) {
  pty_session session(options);
  typed_run run;
  EXPECT_TRUE(session.wait_for_screen(name_prompt));
  session.type("nul\r");
  EXPECT_TRUE(session.wait_for_screen(range_prompt));
  session.type(sweep_of_seconds() + "\r");
  EXPECT_TRUE(session.wait_for_screen(another_range_prompt, sweep_patience));
  session.type("n\r");
  EXPECT_TRUE(session.wait_for_screen(key_message));
  EXPECT_TRUE(session.wait_for_line_mode(false));
  session.type("k");
  run.end = session.wait_for_exit();
  run.screen = session.screen();
  return run;
}

TEST(TerminalProgress, LongSweepShowsAStatusLineAndLeavesTheScreenAsWithoutIt) {
  e2e::scratch_folder folder;
  const typed_run at_terminal = type_sweep_of_seconds(tool_in(folder));
  pty_options to_file = tool_in(folder);
  to_file.errors_path = folder / "errors";
  const typed_run without = type_sweep_of_seconds(to_file);

  ASSERT_TRUE(at_terminal.end && without.end);
  EXPECT_EQ(at_terminal.end->status, 0);
  EXPECT_EQ(without.end->status, 0);
  EXPECT_GE(count_of(at_terminal.screen, status_mark), 2u) << "no status line redrawn in place";
  EXPECT_EQ(count_of(without.screen, status_mark), 0u);
  EXPECT_EQ(e2e::read_file(folder / "errors"), "");
  EXPECT_EQ(e2e::rendered_screen(at_terminal.screen), e2e::rendered_screen(without.screen));
}

// Answers from a file and prompts to another, so that only standard error
// is at the terminal: the status line shows in the foreground only.
TEST(TerminalProgress, ShownInTheForegroundOnly) {
  for (const bool foreground : {true, false}) {
    SCOPED_TRACE(foreground ? "foreground" : "background");
    e2e::scratch_folder folder;
    e2e::write_file(folder / "answers", "nul\n" + sweep_of_seconds() + "\nn\n");
    pty_options options = tool_in(folder);
    options.own_process_group = true;
    options.foreground = foreground;
    options.command = {"/bin/sh", "-c", "exec " + shell_quoted(ULPSCOPE_BINARY) + " <answers >prompts"};
    pty_session session(options);
    if (foreground) {
      ASSERT_TRUE(session.wait_for_screen(status_mark, sweep_patience));
      ASSERT_TRUE(session.wait_for_line_mode(false, sweep_patience)) << "no key wait";
      session.type("k");
    }
    const auto end = session.wait_for_exit(sweep_patience);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, 0);
    EXPECT_EQ(count_of(session.screen(), status_mark) > 0, foreground);
    EXPECT_EQ(e2e::rendered_screen(session.screen()), "");
    EXPECT_NE(e2e::read_file(folder / "prompts").find(key_message), std::string::npos);
  }
}

// A file cut by an interrupt ends with a whole record (a held probe record,
// which its comparison would have continued, included), and is what a run
// that went on would have written up to there: the same bytes as a piped
// sweep of the same x that goes a little further.
void expect_whole_records(const std::string& file) {
  const auto last_line = file.substr(file.rfind("\r\n") + 2);
  EXPECT_TRUE(last_line.empty() || std::regex_match(last_line, std::regex("x[123]: +[^ ]+ +[^ ]+ *")))
      << "the file ends inside a record: " << testing::PrintToString(last_line);
  const long x_written = static_cast<long>(count_of(file, "\r\nx:  "));
  e2e::scratch_folder folder;
  const auto run = e2e::run_tool({.input = "s\n" + range_of(x_written + 2) + "\nn\n", .folder = folder.path()});
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string further = e2e::read_file(folder / "s.rez");
  ASSERT_LE(file.size(), further.size());
  EXPECT_TRUE(further.compare(0, file.size(), file) == 0) << "not what the sweep writes";
}

// With ECHOCTL off the terminal echoes control-C as a byte that shows
// nothing, so the screen does not depend on when that echo comes.
void plain_control_characters(termios& settings) { settings.c_lflag &= ~static_cast<tcflag_t>(ECHOCTL); }

TEST(TerminalEnd, ControlCInASweepErasesTheStatusLineAndEndsBySigint) {
  // 10,000,001 x: far more than a machine sweeps before control-C comes.
  constexpr std::string_view long_range = "1 2 1e-7";
  e2e::scratch_folder folder;
  pty_options options = tool_in(folder);
  options.adjust_settings = plain_control_characters;
  pty_session session(options);
  const termios before = session.settings();
  ASSERT_TRUE(session.wait_for_screen(name_prompt));
  session.type("s\r");
  ASSERT_TRUE(session.wait_for_screen(range_prompt));
  session.type(std::string(long_range) + "\r");
  ASSERT_TRUE(session.wait_for_screen(status_mark, sweep_patience)) << "no status line";
  session.type("\x03");

  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->signal, SIGINT);
  EXPECT_EQ(e2e::rendered_screen(session.screen()), std::string(name_prompt) + "s\n" + std::string(range_prompt) +
                                                        std::string(long_range) + "\n" +
                                                        std::string(control_c_diagnostic) + "\n");
  EXPECT_TRUE(e2e::same_settings(session.settings(), before));
  expect_whole_records(e2e::read_file(folder / "s.rez"));
}

TEST(TerminalEnd, ControlCBelowAShellEndsTheJobBySigint) {
  // The shell sees the job die of SIGINT, and so stops a loop of runs.
  e2e::scratch_folder folder;
  pty_options options = tool_in(folder);
  options.own_process_group = true;
  options.errors_path = folder / "errors";
  pty_session session(options);
  ASSERT_TRUE(session.wait_for_screen(name_prompt));
  session.type("\x03");
  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->signal, SIGINT);
  EXPECT_EQ(e2e::read_file(folder / "errors"), std::string(control_c_diagnostic) + "\r\n");
}

enum class reading { name, range, key_wait };

// Brings the run to `place` and hangs the terminal up there.
void hang_up_at(pty_session& session, reading place) {
  ASSERT_TRUE(session.wait_for_screen(name_prompt));
  if (place != reading::name) {
    session.type("h\r");
    ASSERT_TRUE(session.wait_for_screen(range_prompt));
  }
  if (place == reading::key_wait) {
    session.type("1 1 1\r");
    ASSERT_TRUE(session.wait_for_screen(another_range_prompt));
    session.type("n\r");
    ASSERT_TRUE(session.wait_for_screen(key_message));
    ASSERT_TRUE(session.wait_for_line_mode(false));
  }
  session.hang_up();
}

struct hang_up_case {
  const char* name;
  bool own_process_group;
  hang_up_leader leader;
};

constexpr hang_up_case hang_up_cases[] = {
    {"the tool leads the session", false, hang_up_leader::dies},
    {"below a shell that survives the hang-up", true, hang_up_leader::survives},
    {"below a shell that passes SIGHUP on", true, hang_up_leader::passes_on},
};

TEST(TerminalEnd, HangUpIsOneWindowCloseEveryTime) {
  constexpr int runs = 12;
  for (const hang_up_case& test : hang_up_cases) {
    for (int run = 0; run < runs; ++run) {
      const reading place = run % 4 == 3 ? reading::key_wait : run % 2 == 0 ? reading::name : reading::range;
      SCOPED_TRACE(std::string(test.name) + ", run " + std::to_string(run));
      e2e::scratch_folder folder;
      pty_options options = tool_in(folder);
      options.errors_path = folder / "errors";
      options.own_process_group = test.own_process_group;
      options.leader_on_hang_up = test.leader;
      pty_session session(options);
      hang_up_at(session, place);
      const auto end = session.wait_for_exit();
      ASSERT_TRUE(end);
      EXPECT_EQ(end->signal, 0);
      EXPECT_EQ(end->status, 2);
      EXPECT_EQ(e2e::read_file(folder / "errors"), window_close_diagnostic);
    }
  }
}

TEST(TerminalEnd, DiagnosticAfterAHeldPromptStartsALineOfItsOwn) {
  // Control-D at the name prompt, and answers from a file that end while the
  // range prompt, which nothing echoed after, holds the line.
  e2e::scratch_folder folder;
  e2e::write_file(folder / "answers", "f\n");
  const struct {
    const char* name;
    std::vector<std::string> command;
    const char* keys;
    std::string screen;
  } cases[] = {
      {"control-D", {ULPSCOPE_BINARY}, "\x04", std::string(name_prompt) + "\n" + std::string(end_of_input_diagnostic) + "\n"},
      {"answers from a file",
       {"/bin/sh", "-c", "exec " + shell_quoted(ULPSCOPE_BINARY) + " <answers"},
       "",
       std::string(name_prompt) + std::string(range_prompt) + "\n" + std::string(end_of_input_diagnostic) + "\n"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    pty_options options = tool_in(folder);
    options.command = test.command;
    pty_session session(options);
    ASSERT_TRUE(session.wait_for_screen(name_prompt));
    session.type(test.keys);
    const auto end = session.wait_for_exit();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, 24);
    EXPECT_EQ(e2e::rendered_screen(session.screen()), test.screen);
  }
}

}  // namespace
