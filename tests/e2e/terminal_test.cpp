// The tool at a terminal: the key wait, the console interrupts and the
// terminal's settings, through a pseudo-terminal of the test's own.
//
// The one fact to know: the wait is seen from outside by the terminal's line
// mode, which the tool switches off only while it waits; so "it waits" is
// checked by that switch, never by the clock.
#include <signal.h>
#include <termios.h>

#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "pty_session.h"
#include "run_tool.h"

namespace {

using e2e::as_shown;
using e2e::pty_options;
using e2e::pty_session;

constexpr std::string_view name_prompt = "Input file name (NO extension): ";
constexpr std::string_view range_prompt = " Input xStart, xEnd (0=stop), xStep: ";
constexpr std::string_view another_range_prompt = " Another Range? (Y,y / char):";
constexpr std::string_view key_message = "Apasa orice tasta";

pty_options tool_in(const e2e::scratch_folder& folder) {
  pty_options options;
  options.folder = folder.path();
  return options;
}

// Settings a person may have chosen: the tool must give these back, not its
// idea of a usual terminal. VMIN and VTIME do not matter in line mode.
void unusual_settings(termios& settings) {
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOCTL);
  settings.c_cc[VMIN] = 5;
  settings.c_cc[VTIME] = 7;
}

// Types the answers of one range, "<name>\r1 1 1\r", up to the another-range prompt.
void answer_one_range(pty_session& session, std::string_view name) {
  ASSERT_TRUE(session.wait_for_screen(name_prompt));
  session.type(std::string(name) + "\r");
  ASSERT_TRUE(session.wait_for_screen(range_prompt));
  session.type("1 1 1\r");
  ASSERT_TRUE(session.wait_for_screen(another_range_prompt));
}

// Answers one range and closes the run; returns once the key wait has begun.
void reach_key_wait(pty_session& session, std::string_view name) {
  answer_one_range(session, name);
  session.type("n\r");
  ASSERT_TRUE(session.wait_for_screen(key_message));
  ASSERT_TRUE(session.wait_for_line_mode(false)) << "the key wait never switched the line mode off";
}

// The results file of the same run made through a pipe, from start to end.
std::string results_file_of_whole_run(std::string_view name) {
  e2e::scratch_folder folder;
  e2e::run_options options;
  options.input = std::string(name) + "\n1 1 1\nn\n";
  options.folder = folder.path();
  const e2e::run_result run = e2e::run_tool(options);
  EXPECT_EQ(run.status, 0) << run.errors;
  return e2e::read_file(folder / (std::string(name) + ".rez"));
}

std::string shell_quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

TEST(TerminalKeyWait, TypedRunWaitsForAKeyAndLeavesItForTheShell) {
  e2e::scratch_folder folder;
  pty_options options = tool_in(folder);
  options.command = {"/bin/sh", "-c",
                     shell_quoted(ULPSCOPE_BINARY) + R"(; echo "<exit $?>"; read -r key; echo "<key [$key]>")"};
  pty_session session(options);
  const termios before = session.settings();

  reach_key_wait(session, "typed");
  const termios waiting = session.settings();
  EXPECT_EQ(waiting.c_lflag & (ICANON | ECHO | ISIG), static_cast<tcflag_t>(ISIG));
  EXPECT_EQ(session.screen().find("<exit"), std::string::npos) << "the run ended before a key was pressed";

  session.type("k");
  ASSERT_TRUE(session.wait_for_screen("<exit 0>"));
  session.type("\r");
  ASSERT_TRUE(session.wait_for_screen("<key [k]>")) << "the key was taken from the terminal";
  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->status, 0);
  EXPECT_TRUE(e2e::same_settings(session.settings(), before));

  // Prompts, the answers as the terminal echoed them, the closing messages;
  // the key itself was typed without echo.
  const std::string dialogue = std::string(name_prompt) + "typed\r\n" + std::string(range_prompt) + "1 1 1\r\n" +
                               as_shown("\r\n" + std::string(another_range_prompt)) + "n\r\n" +
                               as_shown("\r\nFisier de rezultate: typed.rez\r\n\r\nApasa orice tasta\r\n");
  EXPECT_EQ(session.screen(), dialogue + "<exit 0>\r\n\r\n<key [k]>\r\n");
}

// An empty answer at the name prompt is a name all the same: the results go
// to ".rez", exactly as the same answers through a pipe put them there.
TEST(TerminalKeyWait, EmptyNameWritesDotRez) {
  e2e::scratch_folder folder;
  pty_session session(tool_in(folder));
  reach_key_wait(session, "");
  EXPECT_NE(session.screen().find(as_shown("\r\nFisier de rezultate: .rez\r\n")), std::string::npos) << session.screen();
  session.type("k");
  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->status, 0);
  EXPECT_EQ(e2e::read_file(folder / ".rez"), results_file_of_whole_run(""));
}

TEST(TerminalKeyWait, TypeAheadEndsTheWaitAtOnceAndStaysPending) {
  e2e::scratch_folder folder;
  pty_session session(tool_in(folder));
  const termios before = session.settings();
  answer_one_range(session, "ahead");
  session.type("n\rx");  // the x typed right after the Enter, before the wait begins

  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end) << "the typed-ahead key did not end the wait";
  EXPECT_EQ(end->status, 0);
  EXPECT_TRUE(e2e::same_settings(session.settings(), before));
  EXPECT_EQ(session.take_pending_input(), "x");
}

TEST(TerminalKeyWait, WaitsOnTheTerminalWhenTheAnswersComeFromAFile) {
  e2e::scratch_folder folder;
  e2e::write_file(folder / "answers", "filed\n1 1 1\nn\n");
  pty_options options = tool_in(folder);
  options.command = {"/bin/sh", "-c", "exec " + shell_quoted(ULPSCOPE_BINARY) + " <answers"};
  pty_session session(options);
  ASSERT_TRUE(session.wait_for_screen(key_message));
  ASSERT_TRUE(session.wait_for_line_mode(false)) << "no key wait on the terminal";
  ASSERT_TRUE(session.running());
  session.type("k");

  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->status, 0);
  EXPECT_EQ(session.take_pending_input(), "k");
}

TEST(TerminalKeyWait, UsesNoProcessorTimeWhileWaiting) {
  e2e::scratch_folder folder;
  pty_session session(tool_in(folder));
  reach_key_wait(session, "idle");
  std::this_thread::sleep_for(std::chrono::seconds(1));
  ASSERT_TRUE(session.running());
  session.type("k");

  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->status, 0);
  // A wait that spins takes about the whole second; the run itself takes milliseconds.
  EXPECT_LT(end->cpu_seconds, 0.2);
}

// Without a keyboard of its own the run ends after the key message, without a key.
void expect_run_ends_without_key(pty_session& session, const e2e::scratch_folder& folder, std::string_view name) {
  ASSERT_TRUE(session.wait_for_screen(key_message));
  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end) << "the run waited without a keyboard";
  EXPECT_EQ(end->status, 0);
  EXPECT_EQ(e2e::read_file(folder / (std::string(name) + ".rez")), results_file_of_whole_run(name));
}

TEST(TerminalKeyWait, WithoutAControllingTerminalTheRunEndsAtOnce) {
  // Standard input is still a terminal, so a wait on it would hang.
  e2e::scratch_folder folder;
  pty_options options = tool_in(folder);
  options.controlling_terminal = false;
  pty_session session(options);
  answer_one_range(session, "alone");
  session.type("n\r");
  expect_run_ends_without_key(session, folder, "alone");
}

TEST(TerminalKeyWait, InABackgroundJobTheRunEndsAtOnce) {
  // A background job that touched the terminal's settings would be stopped.
  e2e::scratch_folder folder;
  e2e::write_file(folder / "answers", "behind\n1 1 1\nn\n");
  pty_options options = tool_in(folder);
  options.own_process_group = true;
  options.foreground = false;
  options.command = {"/bin/sh", "-c", "exec " + shell_quoted(ULPSCOPE_BINARY) + " <answers"};
  pty_session session(options);
  expect_run_ends_without_key(session, folder, "behind");
}

struct interrupt_case {
  const char* name;
  bool in_key_wait;   // else at the second range prompt
  const char* keys;   // typed; nullptr: the terminal hangs up
  const char* event;  // as the diagnostic names it
  int status;         // -1: ended by SIGINT, so that no shell takes it for success
};

constexpr interrupt_case interrupt_cases[] = {
    {"control-C at the range prompt", false, "\x03", "control-C", -1},
    {"control-\\ at the range prompt", false, "\x1c", "control-BREAK", 1},
    {"hang-up at the range prompt", false, nullptr, "window-CLOSE", 2},
    {"control-C in the key wait", true, "\x03", "control-C", -1},
    {"control-\\ in the key wait", true, "\x1c", "control-BREAK", 1},
    {"hang-up in the key wait", true, nullptr, "window-CLOSE", 2},
};

TEST(TerminalInterrupt, EndsWithItsDiagnosticStatusRecordsAndSettings) {
  const std::string whole_file = results_file_of_whole_run("t");
  const std::string separator = std::string(71, '-') + "\r\n";
  ASSERT_TRUE(whole_file.ends_with(separator));
  const std::string file_before_second_range = whole_file.substr(0, whole_file.size() - separator.size());

  for (const interrupt_case& test : interrupt_cases) {
    SCOPED_TRACE(test.name);
    e2e::scratch_folder folder;
    pty_options options = tool_in(folder);
    options.errors_path = folder / "errors";
    options.adjust_settings = unusual_settings;
    pty_session session(options);
    const termios before = session.settings();
    if (test.in_key_wait) {
      reach_key_wait(session, "t");
    } else {
      answer_one_range(session, "t");
      session.type("y\r");
      ASSERT_TRUE(session.wait_for_screen(range_prompt));
    }
    if (test.keys != nullptr) session.type(test.keys);
    if (test.keys == nullptr) session.hang_up();

    const auto end = session.wait_for_exit();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->signal, test.status == -1 ? SIGINT : 0);
    EXPECT_EQ(end->status, test.status);
    EXPECT_EQ(e2e::read_file(folder / "errors"),
              "ulpscope: error (200): program aborting due to " + std::string(test.event) + " event\r\n");
    EXPECT_EQ(e2e::read_file(folder / "t.rez"), test.in_key_wait ? whole_file : file_before_second_range);
    // After a hang-up there is no terminal left to look at.
    if (test.keys != nullptr) {
      EXPECT_TRUE(e2e::same_settings(session.settings(), before));
    }
  }
}

TEST(TerminalInterrupt, IgnoredAtStartStaysIgnored) {
  // As under nohup or in a background job without job control.
  e2e::scratch_folder folder;
  pty_options options = tool_in(folder);
  options.errors_path = folder / "errors";
  options.ignored_signals = {SIGINT, SIGQUIT};
  pty_session session(options);
  const termios before = session.settings();
  reach_key_wait(session, "calm");
  session.type("\x03\x1ck");

  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->status, 0);
  EXPECT_EQ(e2e::read_file(folder / "errors"), "");
  EXPECT_TRUE(e2e::same_settings(session.settings(), before));
  EXPECT_EQ(session.take_pending_input(), "k");
}

TEST(TerminalJobControl, StopInTheKeyWaitRestoresTheTerminalAndContinueWaitsAgain) {
  e2e::scratch_folder folder;
  pty_options options = tool_in(folder);
  options.own_process_group = true;
  options.adjust_settings = unusual_settings;
  pty_session session(options);
  const termios before = session.settings();
  reach_key_wait(session, "job");

  session.type("\x1a");  // control-Z
  ASSERT_TRUE(session.wait_for_program_state('T'));
  EXPECT_TRUE(e2e::same_settings(session.settings(), before)) << "stopped with the terminal in the wait's settings";
  ASSERT_EQ(kill(session.program_id(), SIGCONT), 0);
  ASSERT_TRUE(session.wait_for_line_mode(false)) << "continued without the wait's settings";
  ASSERT_TRUE(session.running());

  session.type("k");
  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->status, 0);
  EXPECT_TRUE(e2e::same_settings(session.settings(), before));
  EXPECT_EQ(session.take_pending_input(), "k");
}

TEST(TerminalJobControl, TerminateInTheKeyWaitRestoresTheTerminalAndDiesOfIt) {
  e2e::scratch_folder folder;
  pty_options options = tool_in(folder);
  options.adjust_settings = unusual_settings;
  pty_session session(options);
  const termios before = session.settings();
  reach_key_wait(session, "end");

  ASSERT_EQ(kill(session.program_id(), SIGTERM), 0);
  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->signal, SIGTERM);
  EXPECT_TRUE(e2e::same_settings(session.settings(), before));
}

TEST(TerminalConsole, AClosedStandardStreamFallsBackToTheTerminal) {
  for (const bool input_closed : {true, false}) {
    SCOPED_TRACE(input_closed ? "standard input closed" : "standard output closed");
    e2e::scratch_folder folder;
    pty_options options = tool_in(folder);
    options.close_input = input_closed;
    options.close_output = !input_closed;
    pty_session session(options);
    reach_key_wait(session, "back");
    session.type("k");

    const auto end = session.wait_for_exit();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, 0);
    EXPECT_EQ(e2e::read_file(folder / "back.rez"), results_file_of_whole_run("back"));
  }
}

}  // namespace
