// The sweep of a range: for each x the header block when the ulp changes, the
// x record and the probe records with their comparisons.
//
// Requires: the run modes are on; the results depend on them.
#pragma once

#include <cstdint>

#include "textio/field_memo.h"
#include "textio/record.h"

namespace ulpscope::dialogue {

// Told how far a sweep has come, every `x_between_looks` x: often enough for
// a status line, rarely enough to cost nothing per x.
class sweep_watcher {
 public:
  static constexpr std::int32_t x_between_looks = 4096;
  virtual void swept(std::int32_t done, std::int32_t count) = 0;

 protected:
  ~sweep_watcher() = default;
};

// Sweeps x from x_start by x_step, trunc(((x_end + x_step) - x_start) / x_step) times.
void sweep_range(textio::record_sink& file, double x_start, double x_end, double x_step,
                 sweep_watcher* watcher = nullptr);

// The records of one x; returns its ulp, the previous ulp of the next x. The
// number fields are rendered through `memo`, which the records of the x
// before it may have filled.
double write_x_records(textio::record_sink& file, double x, double previous_ulp, textio::field_memo& memo);

}  // namespace ulpscope::dialogue
