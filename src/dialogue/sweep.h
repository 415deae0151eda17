// The sweep of a range: for each x the header block when the ulp changes, the
// x record and the probe records with their comparisons.
//
// Requires: the run modes are on; the results depend on them.
#pragma once

#include "textio/field_memo.h"
#include "textio/record.h"

namespace ulpscope::dialogue {

// Sweeps x from x_start by x_step, trunc(((x_end + x_step) - x_start) / x_step) times.
void sweep_range(textio::record_sink& file, double x_start, double x_end, double x_step);

// The records of one x; returns its ulp, the previous ulp of the next x. The
// number fields are rendered through `memo`, which the records of the x
// before it may have filled.
double write_x_records(textio::record_sink& file, double x, double previous_ulp, textio::field_memo& memo);

}  // namespace ulpscope::dialogue
