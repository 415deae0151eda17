// Faults made real: the tool killed mid-sweep, a full disk, a reader that has
// gone, standard streams closed at start, unreadable input.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "run_tool.h"

namespace {

using namespace std::chrono_literals;

std::string diagnostic(int number, const std::string& text) {
  return "ulpscope: severe (" + std::to_string(number) + "): " + text + "\r\n";
}

// Offsets at which a record of `file` ends: after each CR LF, and after each
// held probe record (49 characters from the start of a line "x1:", "x2:", "x3:").
std::set<std::size_t> record_ends(const std::string& file) {
  std::set<std::size_t> ends{0};
  std::size_t line_start = 0;
  for (std::size_t at = file.find("\r\n"); at != std::string::npos; at = file.find("\r\n", at + 2)) {
    const std::string_view line(file.data() + line_start, at - line_start);
    if (line.size() > 49 && line[0] == 'x' && line[2] == ':') ends.insert(line_start + 49);
    ends.insert(at + 2);
    line_start = at + 2;
  }
  return ends;
}

constexpr const char* long_sweep = "k\n1 60000 1\nn\n";

TEST(Faults, KilledMidSweepLeavesAPrefixEndingAtARecord) {
  e2e::scratch_folder complete_folder;
  const auto complete = e2e::run_tool({.input = long_sweep, .folder = complete_folder.path()});
  ASSERT_EQ(complete.status, 0) << complete.errors;
  const std::string whole = e2e::read_file(complete_folder / "k.rez");
  const auto ends = record_ends(whole);

  for (const std::size_t kill_at : {1000ul, 100000ul, 1000000ul, whole.size() / 2}) {
    e2e::scratch_folder folder;
    const auto path = folder / "k.rez";
    const auto run = e2e::run_tool({.input = long_sweep, .folder = folder.path(), .while_running = [&](pid_t pid) {
      const auto give_up = std::chrono::steady_clock::now() + 20s;
      std::error_code missing;
      while (std::filesystem::file_size(path, missing) < kill_at && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(1ms);
      ::kill(pid, SIGKILL);
    }});
    EXPECT_EQ(run.signal, SIGKILL);
    const std::string part = e2e::read_file(path);
    EXPECT_EQ(whole.compare(0, part.size(), part), 0) << "not a prefix at " << part.size();
    EXPECT_TRUE(ends.count(part.size())) << "cut inside a record at " << part.size();
  }
}

TEST(Faults, FullDiskIs38AndKeepsEveryRecordBefore) {
  e2e::scratch_folder folder;
  const auto run = e2e::run_tool({.input = long_sweep, .folder = folder.path(), .file_size_limit = 10000});
  EXPECT_EQ(run.status, 38);
  EXPECT_EQ(run.errors, diagnostic(38, "error during write, unit 1, file " + (folder / "k.rez").string()));
  const std::string part = e2e::read_file(folder / "k.rez");
  EXPECT_LE(part.size(), 10000u);
  e2e::scratch_folder complete_folder;
  e2e::run_tool({.input = long_sweep, .folder = complete_folder.path()});
  const std::string whole = e2e::read_file(complete_folder / "k.rez");
  EXPECT_EQ(whole.compare(0, part.size(), part), 0);
  EXPECT_TRUE(record_ends(whole).count(part.size()));
}

TEST(Faults, ClosedStreamsAtStartNeverBecomeTheResultsFile) {
  struct closed_case {
    bool input, output, errors;
    int status;
  };
  const closed_case cases[] = {{false, true, false, 0}, {false, false, true, 0}, {true, false, false, 24},
                               {false, true, true, 0}};
  for (const auto& c : cases) {
    e2e::scratch_folder folder;
    const auto run = e2e::run_tool({.input = "c\n1 1 1\nn\n", .folder = folder.path(), .close_input = c.input,
                                    .close_output = c.output, .close_errors = c.errors});
    EXPECT_EQ(run.status, c.status);
    if (c.input) continue;  // nothing to read: no name, no file
    const std::string file = e2e::read_file(folder / "c.rez");
    EXPECT_EQ(file.find("Input"), std::string::npos) << "a prompt went into the results file";
    EXPECT_EQ(file.substr(0, 33), " Model: x =s*2^exponent*fractie\r\n");
  }
}

TEST(Faults, InputThatIsAFolderIs24) {
  e2e::scratch_folder folder;
  const auto run = e2e::run_tool({.folder = folder.path(), .input_path = folder.path()});
  EXPECT_EQ(run.status, 24);
  EXPECT_EQ(run.errors, diagnostic(24, "end-of-file during read, unit -4, file CONIN$"));
}

}  // namespace

namespace {

TEST(Faults, OutputToAReaderThatHasGoneIs38NotASignal) {
  e2e::scratch_folder folder;
  const auto run = e2e::run_tool({.input = "p\n1 1 1\nn\n", .folder = folder.path(), .output_to_closed_pipe = true});
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.status, 38);
  EXPECT_EQ(run.errors, "ulpscope: severe (38): error during write, unit -1, file CONOUT$\r\n");
}

}  // namespace
