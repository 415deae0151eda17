// Records whose lines no whole run can show (a NaN or infinite x never enters a
// sweep), and the exact bytes of the held lines.
#include "report/records.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

namespace {

using namespace ulpscope::report;

class string_sink final : public ulpscope::textio::record_sink {
 public:
  std::string bytes;
  void write_record(std::string_view record) override { bytes.append(record); }
};

struct record_case {
  const char* name;
  std::function<void(record_sink&)> write;
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
    string_sink sink;
    c.write(sink);
    EXPECT_EQ(sink.bytes, c.bytes) << c.name;
  }
}

TEST(Records, ProbeAndGreaterFormOneLineOf91Characters) {
  string_sink sink;
  write_probe_record(sink, probe_name::x1, 1.0 + 0x1p-52, 0.5000000000000001);
  write_greater_record(sink, probe_name::x1, 0x1p-52);
  EXPECT_EQ(sink.bytes, "x1: 1.000000000000000D+00  0.5000000000000001    x1 >x        x1-x =  2.220446049250313D-16\r\n");
  EXPECT_EQ(sink.bytes.size(), 91u + 2u);
}

}  // namespace
