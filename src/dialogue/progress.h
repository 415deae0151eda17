// A sign of life in a long sweep: after about a second, one status line on
// standard error at a terminal, redrawn in place a few times a second, with
// the x done of the sweep count, the percent, the bytes of the results file,
// the rate and the time left.
//
// The clock is looked at only when the sweep reports, every few thousand x;
// there is no thread, timer or signal. All figures are integers: nothing here
// touches the floating-point modes of the run.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "dialogue/sweep.h"
#include "textio/streams.h"

namespace ulpscope::dialogue {

struct sweep_figures {
  std::int64_t done = 0;        // x swept so far
  std::int64_t count = 0;       // x in the whole sweep
  std::uint64_t bytes = 0;      // the results file so far
  std::int64_t elapsed_ms = 0;  // since the sweep began
};

// "1234567 of 10000001 x (12.3%), 35.6 MB, 4.1 Mx/s, 2:13 left"
std::string status_text(const sweep_figures& figures);

class sweep_progress final : public sweep_watcher {
 public:
  explicit sweep_progress(textio::streams& io);

  // What sweep_range is to report to: none where no status line can show.
  sweep_watcher* watcher() { return shown_ ? this : nullptr; }
  void swept(std::int32_t done, std::int32_t count) override;

 private:
  using clock = std::chrono::steady_clock;

  textio::streams& io_;
  bool shown_;
  clock::time_point start_;
  clock::time_point next_draw_;
};

}  // namespace ulpscope::dialogue
