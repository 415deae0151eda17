// The dialogue over an in-memory system: the results-file name field, and the
// ends of a run.
#include "dialogue/dialogue.h"

#include <gtest/gtest.h>

#include "memory_system.h"
#include "probe/fp_env.h"
#include "run_modes.h"

namespace {

namespace dialogue = ulpscope::dialogue;
namespace probe = ulpscope::probe;

dialogue::name_field as_field(const std::string& text) {
  dialogue::name_field field;
  field.fill(' ');
  std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
  return field;
}

std::string content(const dialogue::name_field& field) {
  const std::string text(field.begin(), field.end());
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

TEST(ResultsFileField, FromTheBaseName) {
  struct field_case {
    std::string base;
    std::string expected;
  };
  const field_case cases[] = {
      {"t", "t.rez"},
      {"t   ", "t.rez"},
      {"  t", "  t.rez"},
      {"", ".rez"},
      {std::string(256, 'a'), std::string(256, 'a') + ".rez"},
      {std::string(257, 'a'), std::string(257, 'a') + ".re"},
      {std::string(259, 'a'), std::string(259, 'a') + "."},
      {std::string(260, 'a'), std::string(260, 'a')},
  };
  for (const auto& c : cases) EXPECT_EQ(content(dialogue::results_file_field(as_field(c.base))), c.expected);
}

using Runs = test_support::RunModes;

TEST_F(Runs, NormalEndWaitsForAKeyOnceAndImmediateStopDoesNot) {
  test_support::memory_system ended;
  ended.input = "t\n1 1 1\nn\n";
  EXPECT_EQ(dialogue::run(ended), 0);
  EXPECT_EQ(ended.key_waits, 1);

  test_support::memory_system stopped;
  stopped.input = "t\n1 0 1\n";
  EXPECT_EQ(dialogue::run(stopped), 0);
  EXPECT_EQ(stopped.key_waits, 0);
  EXPECT_EQ(stopped.output, "Input file name (NO extension):  Input xStart, xEnd (0=stop), xStep: ");
}

TEST_F(Runs, EveryRecordIsOneWriteOfWholeLinesOrAHeldProbe) {
  test_support::memory_system system;
  system.input = "t\n-1 1 1\nn\n";
  ASSERT_EQ(dialogue::run(system), 0);
  std::string joined;
  for (const auto& write : system.file_writes) joined += write;
  EXPECT_EQ(joined, system.files["t.rez"].content);
  for (const auto& write : system.file_writes) {
    const bool held_probe = write.size() == 49 && write[0] == 'x' && write[2] == ':';
    const bool whole_line = write.size() >= 2 && write.substr(write.size() - 2) == "\r\n";
    EXPECT_TRUE(held_probe || whole_line) << write;
  }
}

TEST_F(Runs, ARangeAnswerThatLeavesTheStepOutKeepsThePreviousStep) {
  test_support::memory_system system;
  system.input = "t\n1 2 1\ny\n5 6 /\nn\n";
  ASSERT_EQ(dialogue::run(system), 0);
  const std::string& file = system.files["t.rez"].content;
  EXPECT_NE(file.find("x:  5.000000000000000D+00"), std::string::npos);
  EXPECT_NE(file.find("x:  6.000000000000000D+00"), std::string::npos);
}

}  // namespace
