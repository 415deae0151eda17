// Faults made real: the tool killed mid-sweep, a full disk, a reader that has
// gone, standard streams closed at start, unreadable input, lines of 100 MB.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <initializer_list>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

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

  for (const std::size_t kill_at : std::initializer_list<std::size_t>{1000, 100000, 1000000, whole.size() / 2}) {
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

// The file-size limit falls inside the first record, exactly at the end of a
// record, inside a held probe record, and anywhere: the file always ends with
// the last whole record below the limit.
TEST(Faults, FullDiskIs38AndKeepsEveryRecordBefore) {
  e2e::scratch_folder complete_folder;
  ASSERT_EQ(e2e::run_tool({.input = long_sweep, .folder = complete_folder.path()}).status, 0);
  const std::string whole = e2e::read_file(complete_folder / "k.rez");
  const auto ends = record_ends(whole);
  const std::size_t record_end = *ends.lower_bound(5000);
  const std::size_t inside_probe = whole.find("\r\nx1:", 7000) + 2 + 20;

  for (const std::size_t limit : {std::size_t{1}, record_end, inside_probe, std::size_t{10000}}) {
    e2e::scratch_folder folder;
    const auto run = e2e::run_tool(
        {.input = long_sweep, .folder = folder.path(), .file_size_limit = static_cast<long>(limit)});
    EXPECT_EQ(run.status, 38) << "limit " << limit;
    EXPECT_EQ(run.errors, diagnostic(38, "error during write, unit 1, file " + (folder / "k.rez").string()));
    const std::string part = e2e::read_file(folder / "k.rez");
    EXPECT_EQ(part.size(), *std::prev(ends.upper_bound(limit))) << "limit " << limit;
    EXPECT_EQ(whole.compare(0, part.size(), part), 0) << "limit " << limit;
  }
}

// A results file on descriptor 0, 1 or 2 would take answers, prompts or a
// diagnostic; the last case ends with one while standard error is closed.
TEST(Faults, ClosedStreamsAtStartNeverBecomeTheResultsFile) {
  struct closed_case {
    bool input, output, errors;
    const char* answers;
    int status;
  };
  const closed_case cases[] = {{false, true, false, "c\n1 1 1\nn\n", 0},
                               {false, false, true, "c\n1 1 1\nn\n", 0},
                               {true, false, false, "c\n1 1 1\nn\n", 24},
                               {false, true, true, "c\n1 1 1\nn\n", 0},
                               {false, false, true, "c\n1 1 1\ny\n1 2 abc\n", 59}};
  for (const auto& c : cases) {
    e2e::scratch_folder folder;
    const auto run = e2e::run_tool({.input = c.answers, .folder = folder.path(), .close_input = c.input,
                                    .close_output = c.output, .close_errors = c.errors});
    EXPECT_EQ(run.status, c.status) << c.answers;
    if (c.input) continue;  // nothing to read: no name, no file
    const std::string file = e2e::read_file(folder / "c.rez");
    EXPECT_EQ(file.find("Input"), std::string::npos) << "a prompt went into the results file";
    EXPECT_EQ(file.find("severe"), std::string::npos) << "a diagnostic went into the results file";
    EXPECT_EQ(file.substr(0, 33), " Model: x =s*2^exponent*fractie\r\n");
  }
}

// A folder cannot be read, nor can a descriptor open for writing only.
TEST(Faults, UnreadableInputIs24) {
  for (const bool write_only : {false, true}) {
    e2e::scratch_folder folder;
    e2e::run_options options{.folder = folder.path(), .input_write_only = write_only};
    if (!write_only) options.input_path = folder.path();
    const auto run = e2e::run_tool(options);
    EXPECT_EQ(run.status, 24) << (write_only ? "write-only" : "folder");
    EXPECT_EQ(run.errors, diagnostic(24, "end-of-file during read, unit -4, file CONIN$"));
  }
}

// Lines of 100 MB without a line feed, piped in: the name line, a range
// answer whose first value has 100 MB of digits, and a last line that never
// ends. The reader streams them, so the peak memory is that of a short run.
TEST(Faults, HundredMegabyteLinesAreReadInBoundedMemory) {
  constexpr std::size_t megabyte = 1 << 20;
  const std::string blanks(megabyte, ' ');
  const std::string zeros(megabyte, '0');
  struct long_line_case {
    const char* what;
    std::string input;
    std::vector<e2e::input_piece> stream;
    int status;
  };
  const long_line_case cases[] = {
      {"name line", "m", {{blanks, 100}, {"\n1 1 1\nn\n"}}, 0},
      {"range answer", "m\n1.", {{zeros, 100}, {" 1 1\nn\n"}}, 0},
      {"unended line", "m\n1 1", {{blanks, 100}}, 24},
  };
  e2e::scratch_folder short_folder;
  const auto short_run = e2e::run_tool({.input = "m\n1 1 1\nn\n", .folder = short_folder.path()});
  ASSERT_EQ(short_run.status, 0) << short_run.errors;
  const std::string short_file = e2e::read_file(short_folder / "m.rez");

  for (const auto& c : cases) {
    e2e::scratch_folder folder;
    const auto run = e2e::run_tool({.input = c.input, .folder = folder.path(), .input_stream = c.stream});
    EXPECT_EQ(run.status, c.status) << c.what << ": " << run.errors;
    if (c.status == 0) {
      EXPECT_EQ(e2e::read_file(folder / "m.rez"), short_file) << c.what;
    }
    // Far below the 100 MB a stored line would take.
    EXPECT_LT(run.peak_memory_kb, short_run.peak_memory_kb + 16 * 1024) << c.what;
  }
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
