// The records of one x as the sweep writes them, for an x no range reaches
// through a results file of its own: a NaN x.
#include "dialogue/sweep.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "recording_sink.h"
#include "run_modes.h"

namespace {

using Sweep = test_support::RunModes;

// Both probes of a NaN are unordered, which the less records report; x3 is
// not reported, since x2 > x is false.
TEST_F(Sweep, NaNXGivesTheLessRecords) {
  test_support::recording_sink sink;
  ulpscope::textio::field_memo memo;
  const double u = ulpscope::dialogue::write_x_records(sink, std::numeric_limits<double>::quiet_NaN(), 0x1p-53, memo);
  EXPECT_EQ(u, 0x1p-53);
  const std::string nan_probe = " NaN" + std::string(18 + 1 + 20, ' ') + "NaN";
  const std::string nan_difference = " NaN" + std::string(20, ' ');
  const std::string expected = "\r\n"
                               "x: " + nan_probe + "0" + std::string(11, ' ') + " 1.110223024625157D-16\r\n"
                               " \r\n"
                               "x1:" + nan_probe + " x1 <x;\tx1-x =" + nan_difference + "\r\n"
                               "x2:" + nan_probe + " x2 <x;\tx2-x =" + nan_difference + "\r\n";
  EXPECT_EQ(sink.joined(), expected);
}

}  // namespace
