// The dialogue over an in-memory system: the ends of a run.
#include "dialogue/dialogue.h"

#include <gtest/gtest.h>

#include "memory_system.h"
#include "probe/fp_env.h"
#include "run_modes.h"

namespace {

namespace dialogue = ulpscope::dialogue;
namespace probe = ulpscope::probe;

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
