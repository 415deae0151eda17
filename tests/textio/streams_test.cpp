// Streams over an in-memory system: replacement of the file, one write per
// record, and the numbered diagnostic of every failure.
#include "textio/streams.h"

#include <gtest/gtest.h>

#include "memory_system.h"

namespace {

using namespace ulpscope::textio;
using test_support::memory_system;
using ulpscope::platform::open_error;

std::string field(const std::string& name) { return name + std::string(260 - name.size(), ' '); }

// Runs `body` with fresh streams and returns the status it ended with (0 if it returned).
template <typename body_type>
int run(memory_system& system, body_type body) {
  streams io(system);
  try {
    body(io);
    return 0;
  } catch (const process_end& end) {
    return end.status;
  }
}

TEST(Streams, DiagnosticLine) {
  EXPECT_EQ(severe_diagnostic(severe::end_of_input, -4, "CONIN$"),
            "ulpscope: severe (24): end-of-file during read, unit -4, file CONIN$\r\n");
  EXPECT_EQ(severe_diagnostic(severe::read_only_file, 1, "/a/b.rez"),
            "ulpscope: severe (47): write to READONLY file, unit 1, file /a/b.rez\r\n");
}

TEST(Streams, FirstRecordReplacesTheOldContentAndEachRecordIsOneWrite) {
  memory_system system;
  system.files["t.rez"].content = "old old old old old\r\n";
  const int status = run(system, [](streams& io) {
    io.open_results_file(field("t.rez"));
    io.results().write_record("one\r\n");
    io.results().write_record("two");
    io.results().write_record(" more\r\n");
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(system.files["t.rez"].content, "one\r\ntwo more\r\n");
  EXPECT_EQ(system.file_writes, (std::vector<std::string>{"one\r\n", "two", " more\r\n"}));
}

TEST(Streams, ReadOnlyFileFailsAtTheFirstRecordAndStaysUnchanged) {
  memory_system system;
  system.files["r.rez"] = {"keep\n", true, 0};
  const int status = run(system, [](streams& io) {
    io.open_results_file(field("r.rez"));
    io.results().write_record("x\r\n");
  });
  EXPECT_EQ(status, 47);
  EXPECT_EQ(system.errors, "ulpscope: severe (47): write to READONLY file, unit 1, file /mem/r.rez\r\n");
  EXPECT_EQ(system.files["r.rez"].content, "keep\n");
}

TEST(Streams, RefusedOpensByReason) {
  struct refusal_case {
    open_error reason;
    int status;
    const char* text;
  };
  const refusal_case cases[] = {
      {open_error::access_denied, 9, "permission to access file denied"},
      {open_error::not_found, 29, "file not found"},
      {open_error::no_device, 42, "no such device"},
      {open_error::bad_name, 43, "file name specification error"},
      {open_error::other, 30, "open failure"},
  };
  for (const auto& c : cases) {
    memory_system system;
    system.refusals["f.rez"] = c.reason;
    EXPECT_EQ(run(system, [](streams& io) { io.open_results_file(field("f.rez")); }), c.status);
    EXPECT_EQ(system.errors, "ulpscope: severe (" + std::to_string(c.status) + "): " + c.text +
                                 ", unit 1, file /mem/f.rez\r\n");
  }
}

TEST(Streams, NamesRefusedBeforeAnyOpen) {
  const std::string cut = std::string(253, 'a') + ".rez";  // the first 256 end in ".re"
  for (const std::string& name : {cut, std::string("a\0b.rez", 7)}) {
    memory_system system;
    EXPECT_EQ(run(system, [&](streams& io) { io.open_results_file(field(name.substr(0, 260))); }), 43);
    EXPECT_TRUE(system.files.empty());
  }
}

// An empty or blank base name gives the field ".rez", which names a file.
TEST(Streams, EmptyBaseNameOpensDotRez) {
  memory_system system;
  const int status = run(system, [](streams& io) {
    io.open_results_file(field(".rez"));
    io.results().write_record("one\r\n");
  });
  EXPECT_EQ(status, 0) << system.errors;
  EXPECT_EQ(system.files[".rez"].content, "one\r\n");
}

// The old content goes right after the first record, not later: a write that
// fails just after it leaves that record and nothing of the old file.
TEST(Streams, OldContentIsCutRightAfterTheFirstRecord) {
  memory_system system;
  system.files["c.rez"].content = std::string(100, 'o') + "\r\n";
  system.file_bytes_left = 5;  // exactly the first record
  const int status = run(system, [](streams& io) {
    io.open_results_file(field("c.rez"));
    io.results().write_record("one\r\n");
    io.results().write_record("two\r\n");
  });
  EXPECT_EQ(status, 38);
  EXPECT_EQ(system.files["c.rez"].content, "one\r\n");
}

TEST(Streams, FullDiskIs38AndKeepsWhatWasWritten) {
  memory_system system;
  system.file_bytes_left = 8;
  const int status = run(system, [](streams& io) {
    io.open_results_file(field("d.rez"));
    io.results().write_record("12345\r\n");
    io.results().write_record("67890\r\n");
  });
  EXPECT_EQ(status, 38);
  EXPECT_EQ(system.errors, "ulpscope: severe (38): error during write, unit 1, file /mem/d.rez\r\n");
  EXPECT_EQ(system.files["d.rez"].content, "12345\r\n");
}

TEST(Streams, ConsoleWriteFailureIs38OnConout) {
  memory_system system;
  system.console_fails = true;
  EXPECT_EQ(run(system, [](streams& io) { io.console().write_record("prompt"); }), 38);
  EXPECT_EQ(system.errors, "ulpscope: severe (38): error during write, unit -1, file CONOUT$\r\n");
}

TEST(Streams, ConAndNulDevices) {
  memory_system system;
  run(system, [](streams& io) {
    io.open_results_file(field("Con.rez"));  // device names match in any case
    io.results().write_record("to the console\r\n");
  });
  EXPECT_EQ(system.output, "to the console\r\n");
  EXPECT_TRUE(system.files.empty());

  memory_system discarding;
  run(discarding, [](streams& io) {
    io.open_results_file(field("NUL.rez"));
    io.results().write_record("gone\r\n");
  });
  EXPECT_TRUE(discarding.files.empty());
  EXPECT_EQ(discarding.output, "");
}

TEST(Streams, ReadFailuresByStatus) {
  struct read_case {
    const char* input;
    int status;
  };
  const read_case cases[] = {{"", 24}, {"1 2", 24}, {"1 2 abc\n", 59}, {"1 2 1e400\n", 64}, {"1 2 3\n", 0}};
  for (const auto& c : cases) {
    memory_system system;
    system.input = c.input;
    double values[3] = {0, 0, 0};
    EXPECT_EQ(run(system, [&](streams& io) { io.read_doubles(values); }), c.status) << c.input;
  }
}

}  // namespace
