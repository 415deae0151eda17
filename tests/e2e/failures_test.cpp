// Every failure ends the run with one diagnostic line and its number as status.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>

#include "run_tool.h"

namespace {

std::string diagnostic(int number, const std::string& text) {
  return "ulpscope: severe (" + std::to_string(number) + "): " + text + "\r\n";
}

struct end_of_input_case {
  const char* input;
  friend std::ostream& operator<<(std::ostream& out, const end_of_input_case& c) {
    return out << testing::PrintToString(std::string(c.input));
  }
};

class EndOfInput : public testing::TestWithParam<end_of_input_case> {};

TEST_P(EndOfInput, IsError24) {
  e2e::scratch_folder folder;
  const auto run = e2e::run_tool({.input = GetParam().input, .folder = folder.path()});
  EXPECT_EQ(run.status, 24);
  EXPECT_EQ(run.errors, diagnostic(24, "end-of-file during read, unit -4, file CONIN$"));
}

INSTANTIATE_TEST_SUITE_P(AtEachPrompt, EndOfInput,
                         testing::Values(end_of_input_case{""}, end_of_input_case{"e\n"},
                                         end_of_input_case{"e\n1 1"}, end_of_input_case{"e\n1 1 1\n"},
                                         end_of_input_case{"e\n1 1 1\ny\n"}));

TEST(Failures, EndOfInputKeepsTheRecordsOfFinishedRanges) {
  e2e::scratch_folder folder;
  const auto run = e2e::run_tool({.input = "k\n1 1 1\n", .folder = folder.path()});
  EXPECT_EQ(run.status, 24);
  const std::string file = e2e::read_file(folder / "k.rez");
  EXPECT_EQ(file.substr(file.size() - 56), "x2: 1.000000000000000D+00  0.5000000000000000    x2 =x\r\n");
}

TEST(Failures, ReadOnlyFileIs47AndStaysUnchanged) {
  e2e::scratch_folder folder;
  const auto path = folder / "ro.rez";
  e2e::write_file(path, "keep me\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  const auto run = e2e::run_tool({.input = "ro\n1 1 1\nn\n", .folder = folder.path()});
  EXPECT_EQ(run.status, 47);
  EXPECT_EQ(run.errors, diagnostic(47, "write to READONLY file, unit 1, file " + path.string()));
  EXPECT_EQ(e2e::read_file(path), "keep me\n");
}

TEST(Failures, MissingFolderIs29WithTheFullPath) {
  e2e::scratch_folder folder;
  const auto run = e2e::run_tool({.input = "no/such\n", .folder = folder.path()});
  EXPECT_EQ(run.status, 29);
  EXPECT_EQ(run.errors, diagnostic(29, "file not found, unit 1, file " + (folder / "no/such.rez").string()));
}

TEST(Failures, FolderOfThatNameIs9AndStaysAsItWas) {
  e2e::scratch_folder folder;
  std::filesystem::create_directory(folder / "d.rez");
  e2e::write_file(folder / "d.rez" / "inside", "keep me\n");
  const auto run = e2e::run_tool({.input = "d\n", .folder = folder.path()});
  EXPECT_EQ(run.status, 9);
  EXPECT_EQ(run.errors, diagnostic(9, "permission to access file denied, unit 1, file " + (folder / "d.rez").string()));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "d.rez"));
  EXPECT_EQ(e2e::read_file(folder / "d.rez" / "inside"), "keep me\n");
}

// Names that would open some other file than "<base name>.rez" are refused
// before anything is touched: the file each would have reached is there
// beforehand and unchanged afterwards, and nothing is added beside it.
struct bad_name_case {
  const char* what;
  std::string base;
  std::string at_stake;  // relative path of the file the name would reach
  friend std::ostream& operator<<(std::ostream& out, const bad_name_case& c) { return out << c.what; }
};

// Every path below `folder`, with the content of each file.
std::map<std::string, std::string> folder_contents(const std::filesystem::path& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    contents[entry.path().string()] = entry.is_regular_file() ? e2e::read_file(entry.path()) : "<folder>";
  return contents;
}

class BadNames : public testing::TestWithParam<bad_name_case> {};

TEST_P(BadNames, Are43AndTouchNothing) {
  e2e::scratch_folder folder;
  const std::string& at_stake = GetParam().at_stake;
  std::filesystem::create_directories((folder / at_stake).parent_path());
  e2e::write_file(folder / at_stake, "an older file\n");
  const auto before = folder_contents(folder.path());
  const auto run = e2e::run_tool({.input = GetParam().base + "\n", .folder = folder.path()});
  EXPECT_EQ(run.status, 43);
  EXPECT_EQ(run.errors.rfind("ulpscope: severe (43): file name specification error, unit 1, file ", 0), 0u)
      << run.errors;
  EXPECT_EQ(folder_contents(folder.path()), before);
}

// A name cut into its extension would open the cut name (the folder keeps
// the last part short enough to exist); a NUL byte the name before it.
INSTANTIATE_TEST_SUITE_P(Names, BadNames,
                         testing::Values(bad_name_case{"cut in the extension", "s/" + std::string(251, 'a'),
                                                       "s/" + std::string(251, 'a') + ".re"},
                                         bad_name_case{"cut before the extension", "s/" + std::string(298, 'b'),
                                                       "s/" + std::string(254, 'b')},
                                         bad_name_case{"NUL byte", std::string("a\0b", 3), "a"}));

// 250 characters in a folder "s/", with ".rez", make 256: the longest name
// the open uses whole. Its last part is short enough for the file system, so
// the file is written; one character more is refused before any open.
TEST(Failures, LongestNameThatKeepsItsExtensionIsAccepted) {
  e2e::scratch_folder folder;
  std::filesystem::create_directory(folder / "s");
  const std::string longest = "s/" + std::string(250, 'c');
  const auto run = e2e::run_tool({.input = longest + "\n1 1 1\nn\n", .folder = folder.path()});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.output.find("Fisier de rezultate: " + longest + ".rez\r\n"), std::string::npos);
  const std::string file = e2e::read_file(folder / (longest + ".rez"));
  EXPECT_EQ(file.rfind(" Model: x =s*2^exponent*fractie\r\n", 0), 0u);
  EXPECT_NE(file.find("x:  1.000000000000000D+00"), std::string::npos);

  const auto one_more = e2e::run_tool({.input = longest + "c\n1 1 1\nn\n", .folder = folder.path()});
  EXPECT_EQ(one_more.status, 43);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "s"), {}), 1);
}

// An empty or all-blank base name names the file ".rez".
TEST(Failures, EmptyBaseNameWritesDotRez) {
  for (const std::string base : {"", "   "}) {
    e2e::scratch_folder folder;
    const auto run = e2e::run_tool({.input = base + "\n1 1 1\nn\n", .folder = folder.path()});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.output.find("\r\nFisier de rezultate: .rez\r\n"), std::string::npos) << run.output;
    EXPECT_EQ(e2e::read_file(folder / ".rez").rfind(" Model: x =s*2^exponent*fractie\r\n", 0), 0u);
  }
}

}  // namespace

namespace {

// A bad range answer after a finished range: the diagnostic, its number, and
// the records of the finished range still in the file.
struct bad_answer_case {
  const char* answer;
  int status;
  const char* text;
  friend std::ostream& operator<<(std::ostream& out, const bad_answer_case& c) {
    return out << testing::PrintToString(std::string(c.answer));
  }
};

class BadAnswers : public testing::TestWithParam<bad_answer_case> {};

TEST_P(BadAnswers, EndWithTheirDiagnosticAndKeepEarlierRanges) {
  e2e::scratch_folder folder;
  const auto run = e2e::run_tool({.input = std::string("b\n1 1 1\ny\n") + GetParam().answer + "\n", .folder = folder.path()});
  EXPECT_EQ(run.status, GetParam().status);
  EXPECT_EQ(run.errors, diagnostic(GetParam().status, std::string(GetParam().text) + ", unit -4, file CONIN$"));
  const std::string file = e2e::read_file(folder / "b.rez");
  EXPECT_EQ(file.substr(file.size() - 56), "x2: 1.000000000000000D+00  0.5000000000000000    x2 =x\r\n");
}

INSTANTIATE_TEST_SUITE_P(Answers, BadAnswers,
                         testing::Values(bad_answer_case{"1 2 abc", 59, "list-directed I/O syntax error"},
                                         bad_answer_case{"1..5", 59, "list-directed I/O syntax error"},
                                         bad_answer_case{"1,2,T", 64, "input conversion error"},
                                         bad_answer_case{"1e400", 64, "input conversion error"},
                                         bad_answer_case{"1 2", 24, "end-of-file during read"}));

}  // namespace
