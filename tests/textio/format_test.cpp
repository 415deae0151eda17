// Formatted records: the exact texts of the fields and of whole records, the
// record boundaries a sink sees, and the independence from the run modes.
#include "textio/format.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "probe/fp_env.h"
#include "textio/list.h"

namespace ulpscope::textio {
namespace {

// Keeps every record as it was handed over, one entry per write_record call.
class recording_sink : public record_sink {
 public:
  void write_record(std::string_view bytes) override { records.emplace_back(bytes); }
  std::string joined() const {
    std::string all;
    for (const std::string& record : records) all += record;
    return all;
  }
  std::vector<std::string> records;
};

double from_source(double value) {
  volatile double source = value;
  return source;
}

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double quiet_nan = std::numeric_limits<double>::quiet_NaN();

struct field_case {
  double value;
  const char* expected;
};

TEST(ScientificField, ExactTexts) {
  const field_case cases[] = {
      {1.0, " 1.000000000000000D+00"},
      {-1.0, "-1.000000000000000D+00"},
      {0.1, " 1.000000000000000D-01"},
      {0x1p-52, " 2.220446049250313D-16"},
      {0x1p-53, " 1.110223024625157D-16"},
      {0x0.0000000000001p-1022, " 4.940656458412465-324"},
      {1.7976931348623157e308, " 1.797693134862316+308"},
      {1.0e100, " 1.000000000000000+100"},
      {1.0e23, " 9.999999999999999D+22"},
      {1.0e-99, " 1.000000000000000D-99"},
      {1.0e-100, " 1.000000000000000-100"},
      {0x1p-24, " 5.960464477539062D-08"},  // exact tie, to even
      {1.0 + 0x1p-16, " 1.000015258789062D+00"},
      {0.0, " 0.000000000000000D+00"},
      {-0.0, " 0.000000000000000D+00"},
      {infinity, " Infinity             "},
      {-infinity, " -Infinity            "},
      {quiet_nan, " NaN                  "},
      {-quiet_nan, " NaN                  "},
  };
  for (const field_case& c : cases) {
    EXPECT_EQ(scientific_field(from_source(c.value), 22, 15, 'D'), c.expected) << c.value;
  }
}

struct sized_field_case {
  double value;
  int width;
  int digits;
  const char* expected;
};

TEST(GeneralField, ExactTexts) {
  const sized_field_case cases[] = {
      {0.5, 23, 16, " 0.5000000000000000    "},
      {-0.5, 23, 16, "-0.5000000000000000    "},
      {1.0 - 0x1p-53, 23, 16, " 0.9999999999999999    "},
      {0.50000762939453125, 23, 16, " 0.5000076293945312    "},
      {1.0, 23, 16, "  1.000000000000000    "},
      {1.0e15, 23, 16, "  1000000000000000.    "},
      {1.0e16, 23, 16, " 1.0000000000000000E+16"},
      {0.1, 23, 16, " 0.1000000000000000    "},
      {0.09999999999999999167, 23, 16, " 9.9999999999999992E-02"},
      {0.05, 23, 16, " 5.0000000000000003E-02"},
      {0.0, 23, 16, "  0.000000000000000    "},
      {-0.0, 23, 16, "  0.000000000000000    "},
      {infinity, 23, 16, "               Infinity"},
      {-infinity, 23, 16, "              -Infinity"},
      {quiet_nan, 23, 16, "                    NaN"},
      {0x1p-52, 22, 15, " 2.220446049250313E-16"},
      {0.125, 22, 15, " 0.125000000000000    "},
      {0.0625, 22, 15, " 6.250000000000000E-02"},
      {1.0, 22, 15, "  1.00000000000000    "},
      {0x1p49, 22, 15, "  562949953421312.    "},
      {0x1p50, 22, 15, " 1.125899906842624E+15"},
      {0x1p-55, 22, 15, " 2.775557561562891E-17"},
      {0x0.0000000000001p-1022, 22, 15, " 4.940656458412465-324"},
      // Nines that carry at 15 digits move into the next positional size.
      {9.999999999999998, 22, 15, "  10.0000000000000    "},
      {1.0 - 0x1p-53, 22, 15, "  1.00000000000000    "},
  };
  for (const sized_field_case& c : cases) {
    EXPECT_EQ(general_field(from_source(c.value), c.width, c.digits), c.expected)
        << c.value << " " << c.width << "/" << c.digits;
  }
}

TEST(Fields, TooNarrowBecomesAsterisks) {
  std::array<char, 8> out{};
  EXPECT_EQ(scientific_field(from_source(1.0), 10, 15), "**********");
  EXPECT_EQ(general_field(from_source(0.5), 8, 16), "********");
  EXPECT_EQ(general_field(from_source(1.0e20), 8, 16), "********");
  ASSERT_EQ(render_integer_field(12345, 3, out.data()), 3u);
  EXPECT_EQ(std::string(out.data(), 3), "***");
  ASSERT_EQ(render_integer_field(-5, 1, out.data()), 1u);
  EXPECT_EQ(std::string(out.data(), 1), "*");
}

struct integer_case {
  std::int32_t value;
  int width;
  const char* expected;
};

TEST(IntegerField, ExactTexts) {
  const integer_case cases[] = {
      {0, 1, "0"},
      {-1, 2, "-1"},
      {1024, 4, "1024"},
      {-1021, 5, "-1021"},
      {29, 2, "29"},
      {7, 4, "   7"},
      {std::numeric_limits<std::int32_t>::min(), 11, "-2147483648"},
  };
  for (const integer_case& c : cases) {
    std::array<char, 16> out{};
    const std::size_t written = render_integer_field(c.value, c.width, out.data());
    EXPECT_EQ(std::string(out.data(), written), c.expected) << c.value;
  }
}

TEST(TextField, WidthPadsOrCuts) {
  std::array<char, 16> out{};
  EXPECT_EQ(std::string(out.data(), render_text_field("abc", 0, out.data())), "abc");
  EXPECT_EQ(std::string(out.data(), render_text_field("abc", 5, out.data())), "  abc");
  EXPECT_EQ(std::string(out.data(), render_text_field("abcdef", 4, out.data())), "abcd");
  EXPECT_EQ(render_text_field("", 0, out.data()), 0u);
}

// The tool's record layouts, as its results file uses them.
constexpr std::array x_record = {
    fmt::record_break(),    fmt::text(),  fmt::scientific(22, 15),     fmt::tab(27),
    fmt::general(23, 16),   fmt::tab(50), fmt::integer(runtime_width), fmt::tab(62),
    fmt::scientific(22, 15)};
constexpr std::array probe_record = {fmt::text(), fmt::scientific(22, 15), fmt::tab(27), fmt::general(23, 16),
                                     fmt::hold()};
constexpr std::array x3_probe_record = {fmt::text(),  fmt::tab(5),          fmt::scientific(22, 15),
                                        fmt::tab(27), fmt::general(23, 16), fmt::hold()};
constexpr std::array x1_comparison = {fmt::text(), fmt::item_stop(), fmt::tab(14), fmt::text(),
                                      fmt::scientific(22, 15)};
constexpr std::array x2_equal = {fmt::text(), fmt::tab(14), fmt::text(), fmt::item_stop(),
                                 fmt::scientific(22, 15)};
constexpr std::array x2_greater = {fmt::text(), fmt::tab(14), fmt::text(), fmt::scientific(22, 15)};
constexpr std::array x3_comparison = {fmt::text(), fmt::tab(14), fmt::text(), fmt::item_stop(),
                                      fmt::general(22, 15)};
constexpr std::array separator = {fmt::repeat(71), fmt::literal("-"), fmt::end_repeat()};
constexpr std::array column_header = {fmt::tab(6),  fmt::text(), fmt::tab(28), fmt::text(),
                                      fmt::tab(50), fmt::text(), fmt::tab(62), fmt::text()};
constexpr std::array preamble_3 = {fmt::record_break(), fmt::text(), fmt::record_break(), fmt::text()};
constexpr std::array another_range_prompt = {fmt::record_break(), fmt::text(), fmt::hold()};

struct x_values {
  double x;
  double fraction;
  std::int32_t exponent;
  std::int32_t width;
  double ulp;
  const char* line;
};

TEST(FormattedRecord, XRecord) {
  const x_values cases[] = {
      {1.0, 0.5, 1, 1, 0x1p-52,
       "x:  1.000000000000000D+00  0.5000000000000000    1            2.220446049250313D-16"},
      {3.0e8, 3.0e8 * 0x1p-29, 29, 2, 0x1p-24,
       "x:  3.000000000000000D+08  0.5587935447692871    29           5.960464477539062D-08"},
      {0.0, 0.0, 0, 1, 0x1p-53,
       "x:  0.000000000000000D+00   0.000000000000000    0            1.110223024625157D-16"},
      {-1.0, -0.5, 1, 1, 0x1p-52,
       "x: -1.000000000000000D+00 -0.5000000000000000    1            2.220446049250313D-16"},
      {0x1p-1022, 0.5, -1021, 5, 0x1p-1074,
       "x:  2.225073858507201-308  0.5000000000000000    -1021        4.940656458412465-324"},
  };
  for (const x_values& c : cases) {
    recording_sink sink;
    const std::array items = {text_item("x: "), real_item(from_source(c.x)),
                              real_item(from_source(c.fraction)), integer_item(c.exponent),
                              real_item(from_source(c.ulp))};
    write_formatted_record(sink, x_record, items, c.width);
    // The record break delivers an empty record first: two records, two calls.
    ASSERT_EQ(sink.records.size(), 2u);
    EXPECT_EQ(sink.records[0], "\r\n");
    EXPECT_EQ(sink.records[1], std::string(c.line) + "\r\n");
    EXPECT_EQ(sink.records[1].size(), 85u);
  }
}

// Writes a probe record and its comparison record to one sink: one line.
std::string probe_line(std::span<const layout_item> probe_shape, std::span<const item> probe_items,
                       std::span<const layout_item> comparison_shape,
                       std::span<const item> comparison_items) {
  recording_sink sink;
  write_formatted_record(sink, probe_shape, probe_items);
  EXPECT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0].find('\r'), std::string::npos) << "a held record has no terminator";
  write_formatted_record(sink, comparison_shape, comparison_items);
  return sink.joined();
}

TEST(FormattedRecord, ProbeLinesWithComparisons) {
  const double x1 = from_source(1.0 + 0x1p-52);
  const std::array x1_items = {text_item("x1:"), real_item(x1), real_item(from_source(0.5 + 0x1p-53))};
  const std::array greater = {text_item("x1 >x"), text_item("x1-x = "), real_item(from_source(0x1p-52))};
  const std::string line = probe_line(probe_record, x1_items, x1_comparison, greater);
  EXPECT_EQ(
      line,
      "x1: 1.000000000000000D+00  0.5000000000000001    x1 >x        x1-x =  2.220446049250313D-16\r\n");
  EXPECT_EQ(line.size(), 91u + 2u);
  EXPECT_EQ(line.substr(49, 5), "x1 >x");
  EXPECT_EQ(line.substr(62, 7), "x1-x = ");

  const std::array x1_equal_items = {text_item("x1 =x")};
  EXPECT_EQ(probe_line(probe_record, x1_items, x1_comparison, x1_equal_items),
            "x1: 1.000000000000000D+00  0.5000000000000001    x1 =x\r\n");

  const std::array x2_items = {text_item("x2:"), real_item(from_source(1.0)), real_item(from_source(0.5))};
  const std::array x2_equal_items = {text_item("x2 =x")};
  EXPECT_EQ(probe_line(probe_record, x2_items, x2_equal, x2_equal_items),
            "x2: 1.000000000000000D+00  0.5000000000000000    x2 =x\r\n");

  const std::array x2_below = {text_item("x2:"), real_item(from_source(-1.0 + 0x1p-53)),
                               real_item(from_source(-1.0 + 0x1p-53))};
  const std::array x2_greater_items = {text_item("x2 >x"), text_item("x2-x = "),
                                       real_item(from_source(0x1p-53))};
  EXPECT_EQ(
      probe_line(probe_record, x2_below, x2_greater, x2_greater_items),
      "x2:-9.999999999999999D-01 -0.9999999999999999    x2 >x        x2-x =  1.110223024625157D-16\r\n");

  const std::array x3_items = {text_item("x3:"), real_item(from_source(-1.0)), real_item(from_source(-0.5))};
  const std::array x3_equal_items = {text_item("x3 =x")};
  EXPECT_EQ(probe_line(x3_probe_record, x3_items, x3_comparison, x3_equal_items),
            "x3: -1.000000000000000D+00-0.5000000000000000    x3 =x\r\n");

  const std::array x3_zero = {text_item("x3:"), real_item(from_source(0x1p-55)), real_item(from_source(0.5))};
  const std::array x3_greater_items = {text_item("x3 >x"), text_item("x3-x = "),
                                       real_item(from_source(0x1p-55))};
  EXPECT_EQ(
      probe_line(x3_probe_record, x3_zero, x3_comparison, x3_greater_items),
      "x3:  2.775557561562891D-17 0.5000000000000000    x3 >x        x3-x =  2.775557561562891E-17\r\n");
}

TEST(FormattedRecord, ItemsEndTheRecordAtTheFurthestColumn) {
  recording_sink sink;
  const std::array x2_equal_items = {text_item("x2 =x")};
  write_formatted_record(sink, x2_equal, x2_equal_items);
  const std::array no_items = std::array<item, 0>{};
  write_formatted_record(sink, separator, no_items);
  const std::array header = {text_item(" x"), text_item("fractie(x)"), text_item("exponent(x)"),
                             text_item(" ULP(x)")};
  write_formatted_record(sink, column_header, header);
  const std::array texts = {text_item(" x: real(8)"), text_item(" ULP(x) =2**(exponent(x) -53)")};
  write_formatted_record(sink, preamble_3, texts);
  // An empty text after a tab writes nothing, so the tab adds nothing either.
  const std::array empty_after_tab = {text_item("x3 =x"), text_item("")};
  write_formatted_record(sink, x2_greater, empty_after_tab);
  const std::vector<std::string> expected = {
      "x2 =x\r\n",
      std::string(71, '-') + "\r\n",
      "      x                    fractie(x)            exponent(x)  ULP(x)\r\n",
      "\r\n",
      " x: real(8)\r\n",
      " ULP(x) =2**(exponent(x) -53)\r\n",
      "x3 =x\r\n",
  };
  EXPECT_EQ(sink.records, expected);
}

TEST(FormattedRecord, LeadingBreakThenHeldPrompt) {
  recording_sink sink;
  const std::array prompt = {text_item("next:")};
  write_formatted_record(sink, another_range_prompt, prompt);
  const std::vector<std::string> expected = {"\r\n", "next:"};
  EXPECT_EQ(sink.records, expected);
}

TEST(FormattedRecord, RepeatGroupsNestAndStopWithTheItems) {
  constexpr std::array nested = {fmt::repeat(2),    fmt::literal("a"), fmt::repeat(3),   fmt::literal("b"),
                                 fmt::end_repeat(), fmt::end_repeat(), fmt::literal("|")};
  constexpr std::array per_item = {fmt::repeat(5), fmt::text(), fmt::literal(","), fmt::end_repeat()};
  recording_sink sink;
  write_formatted_record(sink, nested, std::array<item, 0>{});
  const std::array two = {text_item("p"), text_item("q")};
  write_formatted_record(sink, per_item, two);
  const std::vector<std::string> expected = {"abbbabbb|\r\n", "p,q,\r\n"};
  EXPECT_EQ(sink.records, expected);
}

TEST(FormattedRecord, LongRecordsAreWrittenWhole) {
  constexpr std::array far_tab = {fmt::tab(600), fmt::text(), fmt::tab(3), fmt::text()};
  recording_sink sink;
  const std::string long_text(2000, 'z');
  const std::array items = {text_item(long_text), text_item("ab")};
  write_formatted_record(sink, far_tab, items);
  ASSERT_EQ(sink.records.size(), 1u);
  const std::string expected = "  ab" + std::string(595, ' ') + long_text + "\r\n";
  EXPECT_EQ(sink.records[0], expected);
}

TEST(FormattedRecord, MismatchedItemFillsItsFieldWithAsterisks) {
  constexpr std::array shape = {fmt::integer(3), fmt::literal("|"), fmt::scientific(22, 15)};
  recording_sink sink;
  const std::array items = {real_item(1.0), text_item("no")};
  write_formatted_record(sink, shape, items);
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0], "***|" + std::string(22, '*') + "\r\n");
}

// With flush-to-zero and denormals-are-zero on, the smallest subnormal must
// still be converted as itself, and the modes must come back unchanged.
TEST(Fields, SubnormalsConvertExactlyUnderRunModes) {
  const std::uint32_t saved = probe::current_modes();
  probe::set_run_modes();
  const bool modes_on = probe::run_modes_active();
  const std::uint32_t run_modes = probe::current_modes();
  const double smallest = from_source(0x0.0000000000001p-1022);
  const std::string scientific = scientific_field(smallest, 22, 15, 'D');
  const std::string general = general_field(smallest, 22, 15);
  const std::string list = format_list_double(-smallest);
  const std::string subnormal = scientific_field(from_source(0x0.8p-1022), 22, 15, 'D');
  const std::uint32_t after = probe::current_modes();
  probe::restore_modes(saved);
  EXPECT_EQ(scientific, " 4.940656458412465-324");
  EXPECT_EQ(general, " 4.940656458412465-324");
  EXPECT_EQ(list, " -4.940656458412465E-324");
  EXPECT_EQ(subnormal, " 1.112536929253601-308");
  EXPECT_TRUE(modes_on);
  EXPECT_EQ(after, run_modes);
}

}  // namespace
}  // namespace ulpscope::textio
