// The per-x work without I/O: every record of one x, rendered into a memory
// sink, under the run modes, in ns per x for a few kinds of x.
//
// The one fact to know: previous_ulp is the x's own ulp, so no header block is
// written, as for all but the first x of a binade in a sweep; the "with header"
// case adds it. The sink only copies the bytes, so what is measured is the
// tool's own cost of an x: decomposition, probes, digits and layout.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <string_view>

#include "dialogue/sweep.h"
#include "probe/fp_env.h"
#include "probe/probe.h"
#include "textio/record.h"

namespace {

using ulpscope::textio::record_sink;

// Keeps the last records in a fixed buffer: no allocation, no system call.
class memory_sink final : public record_sink {
 public:
  void write_record(std::string_view bytes) override {
    if (used_ + bytes.size() > buffer_.size()) used_ = 0;
    std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
    ++records_;
  }
  std::size_t records() const { return records_; }

 private:
  std::array<char, 1 << 14> buffer_{};
  std::size_t used_ = 0;
  std::size_t records_ = 0;
};

void records_of_one_x(benchmark::State& state, double x, bool with_header) {
  const std::uint32_t saved = ulpscope::probe::current_modes();
  ulpscope::probe::set_run_modes();
  const double previous_ulp = with_header ? 0.0 : ulpscope::probe::ULP(x);
  memory_sink sink;
  for (auto _ : state) {
    benchmark::DoNotOptimize(x);
    ulpscope::textio::field_memo memo;  // empty: the x's own repeats only
    benchmark::DoNotOptimize(ulpscope::dialogue::write_x_records(sink, x, previous_ulp, memo));
  }
  ulpscope::probe::restore_modes(saved);
  state.SetItemsProcessed(state.iterations());
  state.counters["records_per_x"] =
      static_cast<double>(sink.records()) / static_cast<double>(state.iterations());
}

}  // namespace

// 0.1: x2 = x, no x3 lines (7 records).
BENCHMARK_CAPTURE(records_of_one_x, normal, 0.1, false);
// 1.0000000000000002: odd significand, so x2 > x and the x3 lines follow (10 records).
BENCHMARK_CAPTURE(records_of_one_x, normal_with_x3, 1.0000000000000002, false);
// 2^-1000: its ulp 2^-1052 is subnormal, and the exponents need three digits.
BENCHMARK_CAPTURE(records_of_one_x, subnormal_ulp, 0x1p-1000, false);
// 0: exponent 0, probes of u = 2^-53, x3 > x.
BENCHMARK_CAPTURE(records_of_one_x, zero, 0.0, false);
// 1e300: three-digit exponents in every scientific field.
BENCHMARK_CAPTURE(records_of_one_x, large, 1e300, false);
// The first x of a binade: the separator and column header records as well.
BENCHMARK_CAPTURE(records_of_one_x, normal_with_header, 0.1, true);

BENCHMARK_MAIN();
