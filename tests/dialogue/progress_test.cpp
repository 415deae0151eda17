// The figures of the status line: integers only, scaled and cut, never
// dividing by zero at the start of a sweep.
#include <gtest/gtest.h>

#include "dialogue/progress.h"

namespace {

using ulpscope::dialogue::status_text;

struct status_case {
  std::int64_t done, count;
  std::uint64_t bytes;
  std::int64_t elapsed_ms;
  const char* text;
};

constexpr status_case status_cases[] = {
    {4096, 80001, 1175552, 1000, "4096 of 80001 x (5.1%), 1.1 MB, 4.0 kx/s, 0:18 left"},
    {1234567, 10000001, 354320729, 2000, "1234567 of 10000001 x (12.3%), 354.3 MB, 617.2 kx/s, 0:14 left"},
    {8192, 1000000001, 2351104, 1250, "8192 of 1000000001 x (0.0%), 2.3 MB, 6.5 kx/s, 42:23:06 left"},
    {2147483647, 2147483647, 616327806689, 3600000, "2147483647 of 2147483647 x (100.0%), 616.3 GB, 596.5 kx/s, 0:00 left"},
    {999, 1000, 999, 1, "999 of 1000 x (99.9%), 999 B, 999.0 kx/s, 0:00 left"},
    {0, 5, 0, 0, "0 of 5 x (0.0%), 0 B"},
};

TEST(StatusText, ShowsDoneCountPercentBytesRateAndTimeLeft) {
  for (const status_case& c : status_cases) {
    EXPECT_EQ(status_text({c.done, c.count, c.bytes, c.elapsed_ms}), c.text);
  }
}

}  // namespace
