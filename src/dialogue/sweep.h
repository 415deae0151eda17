// The sweep of a range: for each x the header block when the ulp changes, the
// x record and the probe records with their comparisons.
//
// Requires: the run modes are on; the results depend on them.
#pragma once

#include "textio/record.h"

namespace ulpscope::dialogue {

using textio::record_sink;

// Sweeps x from x_start by x_step, trunc(((x_end + x_step) - x_start) / x_step) times.
void sweep_range(record_sink& file, double x_start, double x_end, double x_step);

// The records of one x; returns its ulp, the previous ulp of the next x.
double write_x_records(record_sink& file, double x, double previous_ulp);

}  // namespace ulpscope::dialogue
