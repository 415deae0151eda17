// The records through their real layouts: the x record, the probe lines with
// their comparison records, records whose lines no whole run can show (a NaN
// or infinite x never enters a sweep), and the exact bytes of held lines.
#include "report/records.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "recording_sink.h"

namespace {

using namespace ulpscope::report;
using test_support::recording_sink;

struct record_case {
  const char* name;
  std::function<void(ulpscope::textio::record_sink&)> write;
  std::string bytes;
};

TEST(Records, ExactBytes) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const record_case cases[] = {
      {"x1 less, NaN", [&](record_sink& s) { write_less_record(s, probe_name::x1, nan); },
       " x1 <x;\tx1-x = NaN" + std::string(20, ' ') + "\r\n"},
      {"x2 less", [](record_sink& s) { write_less_record(s, probe_name::x2, -0x1p-52); },
       " x2 <x;\tx2-x = -2.220446049250313E-016\r\n"},
      {"x3 equal", [](record_sink& s) { write_equal_record(s, probe_name::x3); }, "x3 =x\r\n"},
      {"x2 equal", [](record_sink& s) { write_equal_record(s, probe_name::x2); }, "x2 =x\r\n"},
      {"x1 greater, infinite", [&](record_sink& s) { write_greater_record(s, probe_name::x1, inf); },
       "x1 >x        x1-x =  Infinity" + std::string(13, ' ') + "\r\n"},
      {"NaN x record", [&](record_sink& s) { write_x_record(s, nan, nan, 0, 0x1p-53, 1); },
       "\r\nx:  NaN" + std::string(18 + 1 + 20, ' ') + "NaN0" + std::string(11, ' ') + " 1.110223024625157D-16\r\n"},
      {"x3 probe, held", [](record_sink& s) { write_probe_record(s, probe_name::x3, 0x1p-55, 0.5); },
       "x3:  2.775557561562891D-17 0.5000000000000000    "},
      {"x record, exponent -1021",
       [](record_sink& s) { write_x_record(s, 0x1p-1022, 0.5, -1021, 0x1p-1074, 5); },
       "\r\nx:  2.225073858507201-308  0.5000000000000000    -1021        4.940656458412465-324\r\n"},
  };
  for (const auto& c : cases) {
    recording_sink sink;
    c.write(sink);
    EXPECT_EQ(sink.joined(), c.bytes) << c.name;
  }
}

double from_source(double value) {
  volatile double source = value;
  return source;
}

struct x_case {
  double x;
  double fraction;
  std::int32_t exponent;
  std::int32_t width;
  double ulp;
  const char* line;
};

// The x record is two records: the empty one of its leading break, then the line.
TEST(Records, XRecord) {
  const x_case cases[] = {
      {1.0, 0.5, 1, 1, 0x1p-52,
       "x:  1.000000000000000D+00  0.5000000000000000    1            2.220446049250313D-16"},
      {3.0e8, 3.0e8 * 0x1p-29, 29, 2, 0x1p-24,
       "x:  3.000000000000000D+08  0.5587935447692871    29           5.960464477539062D-08"},
      {0.0, 0.0, 0, 1, 0x1p-53,
       "x:  0.000000000000000D+00   0.000000000000000    0            1.110223024625157D-16"},
      {-1.0, -0.5, 1, 1, 0x1p-52,
       "x: -1.000000000000000D+00 -0.5000000000000000    1            2.220446049250313D-16"},
  };
  for (const x_case& c : cases) {
    recording_sink sink;
    write_x_record(sink, from_source(c.x), from_source(c.fraction), c.exponent, from_source(c.ulp), c.width);
    const std::vector<std::string> expected = {"\r\n", std::string(c.line) + "\r\n"};
    EXPECT_EQ(sink.records, expected);
    EXPECT_EQ(sink.records.back().size(), 83u + 2u);
  }
}

struct probe_line_case {
  probe_name probe;
  double value;
  double fraction;
  bool greater;  // else equal
  double difference;
  const char* line;
};

// A probe record is held, so its comparison record continues its line.
TEST(Records, ProbeLinesWithComparisons) {
  const probe_line_case cases[] = {
      {probe_name::x1, 1.0 + 0x1p-52, 0.5 + 0x1p-53, false, 0,
       "x1: 1.000000000000000D+00  0.5000000000000001    x1 =x"},
      {probe_name::x2, 1.0, 0.5, false, 0, "x2: 1.000000000000000D+00  0.5000000000000000    x2 =x"},
      {probe_name::x2, -1.0 + 0x1p-53, -1.0 + 0x1p-53, true, 0x1p-53,
       "x2:-9.999999999999999D-01 -0.9999999999999999    x2 >x        x2-x =  1.110223024625157D-16"},
      {probe_name::x3, -1.0, -0.5, false, 0, "x3: -1.000000000000000D+00-0.5000000000000000    x3 =x"},
      {probe_name::x3, 0x1p-55, 0.5, true, 0x1p-55,
       "x3:  2.775557561562891D-17 0.5000000000000000    x3 >x        x3-x =  2.775557561562891E-17"},
  };
  for (const probe_line_case& c : cases) {
    recording_sink sink;
    write_probe_record(sink, c.probe, from_source(c.value), from_source(c.fraction));
    ASSERT_EQ(sink.records.size(), 1u);
    EXPECT_EQ(sink.records[0].find('\r'), std::string::npos) << "a held record has no terminator";
    if (c.greater)
      write_greater_record(sink, c.probe, from_source(c.difference));
    else
      write_equal_record(sink, c.probe);
    EXPECT_EQ(sink.joined(), std::string(c.line) + "\r\n");
  }
}

TEST(Records, ProbeAndGreaterFormOneLineOf91Characters) {
  recording_sink sink;
  write_probe_record(sink, probe_name::x1, 1.0 + 0x1p-52, 0.5000000000000001);
  write_greater_record(sink, probe_name::x1, 0x1p-52);
  const std::string line = sink.joined();
  EXPECT_EQ(line, "x1: 1.000000000000000D+00  0.5000000000000001    x1 >x        x1-x =  2.220446049250313D-16\r\n");
  EXPECT_EQ(line.size(), 91u + 2u);
  EXPECT_EQ(line.substr(49, 5), "x1 >x");
  EXPECT_EQ(line.substr(62, 7), "x1-x = ");
}

}  // namespace
