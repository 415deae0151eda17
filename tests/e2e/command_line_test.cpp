// The command line: --help and --version answered at once, anything else
// refused; none of them starts the dialogue, reads, creates a file or waits.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pty_session.h"
#include "run_tool.h"

namespace {

constexpr std::string_view usage_error_tail = "' (usage: ulpscope [--help | --version])\n";

struct argument_case {
  const char* argument;
  int status;
  const char* shown_start;  // the start of what the terminal shows
};

constexpr argument_case argument_cases[] = {
    {"--help", 0, "Usage: ulpscope [--help | --version]\r\n"},
    {"-h", 0, "Usage: ulpscope [--help | --version]\r\n"},
    {"--version", 0, "ulpscope " ULPSCOPE_VERSION "\r\n"},
    {"-V", 0, "ulpscope " ULPSCOPE_VERSION "\r\n"},
    {"--verbose", 2, "ulpscope: unexpected argument '--verbose' (usage:"},
    {"results", 2, "ulpscope: unexpected argument 'results' (usage:"},
};

TEST(CommandLine, AtATerminalIsAnsweredWithoutARun) {
  for (const argument_case& test : argument_cases) {
    SCOPED_TRACE(test.argument);
    e2e::scratch_folder folder;
    e2e::pty_options options;
    options.command = {ULPSCOPE_BINARY, test.argument};
    options.folder = folder.path();
    e2e::pty_session session(options);
    const auto end = session.wait_for_exit();
    ASSERT_TRUE(end) << "the tool waited: " << testing::PrintToString(session.screen());
    EXPECT_EQ(end->status, test.status);
    const std::string& screen = session.screen();
    EXPECT_TRUE(screen.starts_with(test.shown_start)) << testing::PrintToString(screen);
    EXPECT_EQ(screen.find("Input file name"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "a file was created";
    EXPECT_EQ(session.take_pending_input(), "");
  }
}

TEST(CommandLine, AnswersGoToOutputAndRefusalsToErrors) {
  e2e::scratch_folder folder;
  const auto version = e2e::run_tool({.input = "t\n1 1 1\nn\n", .folder = folder.path(), .command = {ULPSCOPE_BINARY, "-V"}});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.output, "ulpscope " ULPSCOPE_VERSION "\n");
  EXPECT_EQ(version.errors, "");

  const auto help = e2e::run_tool({.folder = folder.path(), .command = {ULPSCOPE_BINARY, "--help"}});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("\nSee man ulpscope.\n"), std::string::npos) << help.output;
  EXPECT_NE(help.output.find("SIGINT"), std::string::npos) << "the help does not say how control-C ends";
  EXPECT_EQ(help.errors, "");

  // A known option with more after it is refused by what follows it.
  const auto extra = e2e::run_tool({.folder = folder.path(), .command = {ULPSCOPE_BINARY, "--help", "t"}});
  EXPECT_EQ(extra.status, 2);
  EXPECT_EQ(extra.output, "");
  EXPECT_EQ(extra.errors, "ulpscope: unexpected argument 't" + std::string(usage_error_tail));
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
