// The sweep of one range and the records of each x.
//
// x is accumulated by repeated addition of the step, never recomputed from the
// start, and the sweep count is three double operations in a fixed order: both
// are visible in the results file. The number fields of a range share one
// field memo, so a value shown twice (x2 = x, x3 = x, x1 - x = u, the u of a
// binade) is rendered once; each record is still written on its own as soon
// as it is complete.
#include "dialogue/sweep.h"

#include <cstdint>

#include "probe/probe.h"
#include "report/records.h"

namespace ulpscope::dialogue {

using report::probe_name;
using textio::record_sink;

namespace {

void write_comparison(record_sink& file, probe_name name, double probe_value, double x, textio::field_memo& memo) {
  switch (probe::compare(probe_value, x)) {
    case probe::ordering::equal: report::write_equal_record(file, name); return;
    case probe::ordering::greater: report::write_greater_record(file, name, probe_value - x, &memo); return;
    case probe::ordering::less:
    case probe::ordering::unordered: report::write_less_record(file, name, probe_value - x); return;
  }
}

}  // namespace

double write_x_records(record_sink& file, double x, double previous_ulp, textio::field_memo& memo) {
  const double u = probe::ULP(x);
  const probe::probes p = probe::make_probes(x, u);
  if (!(u == previous_ulp)) report::write_header_block(file);

  const std::int32_t e = probe::exponent(x);
  const std::int32_t width_now = probe::digit_count(e);
  report::write_x_record(file, x, probe::fraction(x), e, u, width_now, &memo);
  report::write_after_x_record(file);

  report::write_probe_record(file, probe_name::x1, p.x1, probe::fraction(p.x1), &memo);
  write_comparison(file, probe_name::x1, p.x1, x, memo);
  report::write_probe_record(file, probe_name::x2, p.x2, probe::fraction(p.x2), &memo);
  write_comparison(file, probe_name::x2, p.x2, x, memo);

  if (p.x2 > x) {
    report::write_x3_lead_record(file);
    report::write_probe_record(file, probe_name::x3, p.x3, probe::fraction(p.x3), &memo);
    if (p.x3 > x)
      report::write_greater_record(file, probe_name::x3, p.x3 - x, &memo);
    else if (p.x3 == x)
      report::write_equal_record(file, probe_name::x3);
  }
  return u;
}

void sweep_range(record_sink& file, double x_start, double x_end, double x_step, sweep_watcher* watcher) {
  // Step 1: the count, (xEnd + xStep - xStart) / xStep in that order, truncated.
  const std::int32_t count = probe::truncate_to_int32(((x_end + x_step) - x_start) / x_step);
  // Step 2: x by repeated addition of the step.
  double x = x_start;
  const double step = x_step;
  double previous_ulp = 0.0;
  textio::field_memo memo;
  for (std::int32_t left = count; left > 0; --left) {
    previous_ulp = write_x_records(file, x, previous_ulp, memo);
    x = x + step;
    if (watcher != nullptr && left % sweep_watcher::x_between_looks == 0) watcher->swept(count - left + 1, count);
  }
}

}  // namespace ulpscope::dialogue
