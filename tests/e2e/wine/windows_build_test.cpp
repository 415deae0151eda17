// The 64-bit Windows build, ulpscope.exe, run under wine with its answers
// piped in: first the same answers given to it and to this build, whose
// results files, console output, statuses and diagnostics must be the same
// bytes; then the checks of a piped run that mean something on Windows.
//
// The one fact to know: wine shows the Linux root as drive Z:, so a file
// /tmp/x/t.rez is Z:\tmp\x\t.rez in a diagnostic of ulpscope.exe. With its
// streams piped the program has no console, so the key wait ends at once
// (every piped run below that reaches it ends with status 0). At a
// pseudo-terminal wine makes a console of the terminal, where the key wait
// and control-C are tested last; control-BREAK and closing the window have no
// way through wine's console from a terminal, and are left to the Linux suite.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "pty_session.h"
#include "run_tool.h"
#include "same_bytes.h"

namespace {

namespace fs = std::filesystem;

e2e::run_result run_windows_build(e2e::run_options options) {
  options.command = {ULPSCOPE_WINE, ULPSCOPE_WINDOWS_BINARY};
  options.environment = {"WINEPREFIX=" ULPSCOPE_WINE_PREFIX, "WINEDEBUG=-all"};
  return e2e::run_tool(options);
}

class WindowsBuild : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(ULPSCOPE_WINDOWS_BINARY)) << "build the 64-bit Windows target first";
    ASSERT_TRUE(fs::exists(fs::path(ULPSCOPE_WINE_PREFIX) / "drive_c")) << "run the test wine_prefix_setup first";
  }
};

// The full path of `path` as a Windows program under wine shows it.
std::string windows_path(const fs::path& path) {
  std::string shown = "Z:" + fs::canonical(path).string();
  std::replace(shown.begin(), shown.end(), '/', '\\');
  return shown;
}

// Linux diagnostics with the paths below `linux_folder` written as ulpscope.exe
// shows them below `windows_folder`.
std::string as_shown_on_windows(std::string errors, const fs::path& linux_folder, const fs::path& windows_folder) {
  const std::string linux_prefix = fs::canonical(linux_folder).string();
  const std::string windows_prefix = windows_path(windows_folder);
  for (auto at = errors.find(linux_prefix); at != std::string::npos; at = errors.find(linux_prefix, at)) {
    errors.replace(at, linux_prefix.size(), windows_prefix);
    at += windows_prefix.size();
    for (auto line_end = errors.find("\r\n", at); at < line_end && at < errors.size(); ++at)
      if (errors[at] == '/') errors[at] = '\\';
  }
  return errors;
}

const e2e::foreign_build windows_build{"windows", run_windows_build, as_shown_on_windows};

class SameBytes : public WindowsBuild, public testing::WithParamInterface<e2e::comparison_case> {};

TEST_P(SameBytes, AsTheLinuxBuild) {
  const auto linux_run = e2e::expect_same_bytes(windows_build, GetParam().answers);
  EXPECT_EQ(linux_run.status, GetParam().own_status) << linux_run.errors;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SameBytes, testing::ValuesIn(e2e::comparison_cases()),
    [](const testing::TestParamInfo<e2e::comparison_case>& param_info) { return param_info.param.name; });

std::string diagnostic(int number, const std::string& text) {
  return "ulpscope: severe (" + std::to_string(number) + "): " + text + "\r\n";
}

TEST_F(WindowsBuild, WorkedExampleOnTheConsole) {
  e2e::scratch_folder folder;
  const auto run = run_windows_build({.input = "t\n1, 1, 1\ny\n-1 -1 1\nn\n", .folder = folder.path()});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.output,
            "Input file name (NO extension):  Input xStart, xEnd (0=stop), xStep: \r\n"
            " Another Range? (Y,y / char): Input xStart, xEnd (0=stop), xStep: \r\n"
            " Another Range? (Y,y / char):\r\nFisier de rezultate: t.rez\r\n\r\nApasa orice tasta\r\n");
  const std::string file = e2e::read_file(folder / "t.rez");
  EXPECT_NE(file.find("\r\nx1:-9.999999999999998D-01 -0.9999999999999998    x1 >x        x1-x =  "
                      "2.220446049250313D-16\r\n"),
            std::string::npos)
      << file;
}

// The open's refusals, as Windows reports them, with the path as Windows shows it.
struct refusal_case {
  const char* name;
  std::string base_name;
  void (*prepare)(const fs::path& folder);
  int number;
  std::string text;
  std::string shown;  // the name shown; empty: the full path of "<base name>.rez" in the folder
  friend std::ostream& operator<<(std::ostream& out, const refusal_case& c) { return out << c.base_name; }
};

std::vector<refusal_case> refusal_cases() {
  return {
      {"MissingFolderIs29", "no/such", nullptr, 29, "file not found", ""},
      {"FolderOfThatNameIs9", "d", [](const fs::path& folder) { fs::create_directory(folder / "d.rez"); }, 9,
       "permission to access file denied", ""},
      // Q: is no drive of a fresh prefix.
      {"MissingDriveIs42", "q:\\x", nullptr, 42, "no such device", "q:\\x.rez"},
      {"InvalidCharacterIs43", "a<b", nullptr, 43, "file name specification error", ""},
      {"WildcardIs43", "a*b", nullptr, 43, "file name specification error", ""},
  };
}

class Refusals : public WindowsBuild, public testing::WithParamInterface<refusal_case> {};

TEST_P(Refusals, EndWithTheirNumberAndTouchNothing) {
  e2e::scratch_folder folder;
  if (GetParam().prepare) GetParam().prepare(folder.path());
  const auto before = e2e::files_in(folder.path());
  const auto run = run_windows_build({.input = GetParam().base_name + "\n1 1 1\nn\n", .folder = folder.path()});
  std::string shown = GetParam().shown;
  if (shown.empty()) {
    shown = windows_path(folder.path()) + "\\" + GetParam().base_name + ".rez";
    std::replace(shown.begin(), shown.end(), '/', '\\');
  }
  EXPECT_EQ(run.status, GetParam().number);
  EXPECT_EQ(run.errors, diagnostic(GetParam().number, GetParam().text + ", unit 1, file " + shown));
  EXPECT_EQ(e2e::files_in(folder.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Names, Refusals, testing::ValuesIn(refusal_cases()),
                         [](const testing::TestParamInfo<refusal_case>& param_info) { return param_info.param.name; });

// The read-only attribute is obeyed even where wine's host would let the
// superuser write, so this runs as root too.
TEST_F(WindowsBuild, ReadOnlyFileIs47AndStaysUnchanged) {
  e2e::scratch_folder folder;
  const auto path = folder / "ro.rez";
  e2e::write_file(path, "keep me\n");
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const auto run = run_windows_build({.input = "ro\n1 1 1\nn\n", .folder = folder.path()});
  EXPECT_EQ(run.status, 47);
  EXPECT_EQ(run.errors, diagnostic(47, "write to READONLY file, unit 1, file " + windows_path(path)));
  EXPECT_EQ(e2e::read_file(path), "keep me\n");
}

TEST_F(WindowsBuild, EndOfInputIs24OnConin) {
  e2e::scratch_folder folder;
  const auto run = run_windows_build({.input = "e\n1 1 1\n", .folder = folder.path()});
  EXPECT_EQ(run.status, 24);
  EXPECT_EQ(run.errors, diagnostic(24, "end-of-file during read, unit -4, file CONIN$"));
  const std::string file = e2e::read_file(folder / "e.rez");
  EXPECT_EQ(file.substr(file.size() - 56), "x2: 1.000000000000000D+00  0.5000000000000000    x2 =x\r\n");
}

// SetEndOfFile after the first record: nothing of the older file remains.
TEST_F(WindowsBuild, ReplacesALongerExistingFile) {
  e2e::scratch_folder folder;
  std::string old;
  for (int line = 0; line < 10000; ++line) old += "old line " + std::to_string(line) + "\r\n";
  e2e::write_file(folder / "r.rez", old);
  const auto run = run_windows_build({.input = "r\n1 1 1\nn\n", .folder = folder.path()});
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string file = e2e::read_file(folder / "r.rez");
  EXPECT_EQ(file.find("old line"), std::string::npos);
  EXPECT_EQ(file.substr(0, 33), " Model: x =s*2^exponent*fractie\r\n");
  EXPECT_EQ(file.substr(file.size() - 73), std::string(71, '-') + "\r\n");
}

// The device names, in any case: CON is standard output, NUL discards; no
// file is made for either.
TEST_F(WindowsBuild, ConAndNulMakeNoFile) {
  for (const char* base_name : {"con", "Con", "nul", "NuL"}) {
    e2e::scratch_folder folder;
    const auto run = run_windows_build({.input = std::string(base_name) + "\n1 1 1\nn\n", .folder = folder.path()});
    EXPECT_EQ(run.status, 0) << base_name << ": " << run.errors;
    EXPECT_TRUE(fs::is_empty(folder.path())) << base_name;
    EXPECT_NE(run.output.find(std::string("Fisier de rezultate: ") + base_name + ".rez\r\n"), std::string::npos);
    const bool to_console = (base_name[0] | 0x20) == 'c';
    EXPECT_EQ(run.output.find(" Model: x =s*2^exponent*fractie\r\n") != std::string::npos, to_console) << base_name;
  }
}

// The command line is answered alike, with nothing read or created.
TEST_F(WindowsBuild, AnswersTheCommandLineAsThisBuildDoes) {
  for (const char* argument : {"--help", "-V", "--verbose"}) {
    SCOPED_TRACE(argument);
    e2e::scratch_folder linux_folder, windows_folder;
    const auto linux_run = e2e::run_tool({.input = "t\n1 1 1\nn\n", .folder = linux_folder.path(),
                                          .command = {ULPSCOPE_BINARY, argument}});
    e2e::run_options options{.input = "t\n1 1 1\nn\n", .folder = windows_folder.path()};
    options.command = {ULPSCOPE_WINE, ULPSCOPE_WINDOWS_BINARY, argument};
    options.environment = {"WINEPREFIX=" ULPSCOPE_WINE_PREFIX, "WINEDEBUG=-all"};
    const auto windows_run = e2e::run_tool(options);
    EXPECT_EQ(windows_run.status, linux_run.status);
    EXPECT_EQ(windows_run.output, linux_run.output);
    EXPECT_EQ(windows_run.errors, linux_run.errors);
    EXPECT_TRUE(fs::is_empty(windows_folder.path()));
  }
}

// At a pseudo-terminal: the console of wine, with standard error to a file.
e2e::pty_options at_console(const e2e::scratch_folder& folder) {
  e2e::pty_options options;
  options.command = {"/usr/bin/env", "WINEPREFIX=" ULPSCOPE_WINE_PREFIX, "WINEDEBUG=-all", ULPSCOPE_WINE,
                     ULPSCOPE_WINDOWS_BINARY};
  options.folder = folder.path();
  options.errors_path = folder / "errors";
  return options;
}

constexpr const char* control_c_diagnostic = "ulpscope: error (200): program aborting due to control-C event\r\n";

// Control-C ends ulpscope.exe with STATUS_CONTROL_C_EXIT (0xC000013A), as
// Windows ends a console program that control-C stopped; wine hands the
// low byte of that status on as its own exit status.
constexpr int control_c_status_under_wine = 0xC000013A & 0xFF;

// Wine's console takes the terminal out of line mode when the program first
// reads from it; keys typed before that would be cooked by the terminal.
void wait_for_first_read(e2e::pty_session& session) {
  ASSERT_TRUE(session.wait_for_screen("extension):"));
  ASSERT_TRUE(session.wait_for_line_mode(false)) << "wine's console never took the terminal";
}

// Wine's console draws the screen by differences, so a blank may come as a
// cursor movement: the screen is matched by words without blanks.
void answer_one_range(e2e::pty_session& session, const char* name, const char* last_keys) {
  wait_for_first_read(session);
  session.type(std::string(name) + "\r");
  ASSERT_TRUE(session.wait_for_screen("xStep:")) << testing::PrintToString(session.screen());
  session.type("1 1 1\r");
  ASSERT_TRUE(session.wait_for_screen("char):")) << testing::PrintToString(session.screen());
  session.type(last_keys);
}

// Control-C is the one event that shows the run was still waiting: the wait
// ends by the event's diagnostic, not by itself.
TEST_F(WindowsBuild, KeyWaitLastsUntilControlC) {
  e2e::scratch_folder folder;
  e2e::pty_session session(at_console(folder));
  answer_one_range(session, "w", "n\r");
  ASSERT_TRUE(session.wait_for_screen("tasta"));
  session.type("\x03");
  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->status, control_c_status_under_wine);
  EXPECT_EQ(e2e::read_file(folder / "errors"), control_c_diagnostic);
  const std::string file = e2e::read_file(folder / "w.rez");
  EXPECT_EQ(file.substr(file.size() - 73), std::string(71, '-') + "\r\n");
}

// A key with a character and one without (the cursor key, which the terminal
// sends as an escape sequence), typed during the wait or ahead of it.
struct key_case {
  const char* name;
  const char* last_keys;    // after the another-range prompt
  const char* key_in_wait;  // typed once the key message is shown; empty: none
  friend std::ostream& operator<<(std::ostream& out, const key_case& c) { return out << c.name; }
};

class KeyWait : public WindowsBuild, public testing::WithParamInterface<key_case> {};

TEST_P(KeyWait, EndsWithStatusZero) {
  e2e::scratch_folder folder;
  e2e::pty_session session(at_console(folder));
  answer_one_range(session, "k", GetParam().last_keys);
  if (*GetParam().key_in_wait != '\0') {
    ASSERT_TRUE(session.wait_for_screen("tasta"));
    session.type(GetParam().key_in_wait);
  }
  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end) << "the key did not end the wait";
  EXPECT_EQ(end->status, 0);
  EXPECT_EQ(e2e::read_file(folder / "errors"), "");
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyWait,
                         testing::Values(key_case{"Letter", "n\r", "k"}, key_case{"CursorUp", "n\r", "\x1b[A"},
                                         key_case{"FunctionKey", "n\r", "\x1b[15~"},
                                         key_case{"TypedAhead", "n\rx", ""}),
                         [](const testing::TestParamInfo<key_case>& param_info) { return param_info.param.name; });

// Control-C while the dialogue waits in a console read.
TEST_F(WindowsBuild, ControlCAtThePromptEndsAsInterrupted) {
  e2e::scratch_folder folder;
  e2e::pty_session session(at_console(folder));
  wait_for_first_read(session);
  session.type("\x03");
  const auto end = session.wait_for_exit();
  ASSERT_TRUE(end);
  EXPECT_EQ(end->status, control_c_status_under_wine);
  EXPECT_EQ(e2e::read_file(folder / "errors"), control_c_diagnostic);
}

}  // namespace
