// List records: the list number field, the records the tool writes in list
// form, and the wrapping of over-long records onto continuation lines.
#include "textio/list.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "recording_sink.h"

namespace ulpscope::textio {
namespace {

using test_support::recording_sink;

std::vector<std::string> list_records(std::span<const item> items) {
  recording_sink sink;
  write_list_record(sink, items);
  return sink.records;
}

double from_source(double value) {
  volatile double source = value;
  return source;
}

struct list_field_case {
  double value;
  const char* expected;
};

TEST(ListNumberField, ExactTexts) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  const list_field_case cases[] = {
      {0.0, "  0.000000000000000E+000"},
      {-0.0, "  0.000000000000000E+000"},
      {0x1p-52, "  2.220446049250313E-016"},
      {-0x1p-52, " -2.220446049250313E-016"},
      {0x0.0000000000001p-1022, "  4.940656458412465E-324"},
      {1.7976931348623157e308, "  1.797693134862316E+308"},
      {0.1, "  0.100000000000000     "},
      {0.09999999999999999167, "  0.100000000000000     "},
      {0.05, "  5.000000000000000E-002"},
      {999999999999999.4, "   999999999999999.     "},
      {1.0e15, "  1.000000000000000E+015"},
      {999999999999999.5, "  9.999999999999995E+014"},
      {1.0, "   1.00000000000000     "},
      {-1.5, "  -1.50000000000000     "},
      {0.5, "  0.500000000000000     "},
      {-0.5, " -0.500000000000000     "},
      {123.456, "   123.456000000000     "},
      {4.0e-18, "  4.000000000000000E-018"},  // the decision digits round to zero
      {infinity, " Infinity               "},
      {-infinity, " -Infinity              "},
      {std::numeric_limits<double>::quiet_NaN(), " NaN                    "},
      {-std::numeric_limits<double>::quiet_NaN(), " NaN                    "},
  };
  for (const list_field_case& c : cases) {
    const std::string field = format_list_double(from_source(c.value));
    EXPECT_EQ(field, c.expected) << c.value;
    EXPECT_EQ(field.size(), 24u);
  }
}

TEST(ListRecord, RecordsOfTheTool) {
  const std::array<item, 0> none{};
  EXPECT_EQ(list_records(none), std::vector<std::string>{" \r\n"});
  const std::array preamble = {text_item("x2 =x +ULP(x)/2.")};
  EXPECT_EQ(list_records(preamble), std::vector<std::string>{" x2 =x +ULP(x)/2.\r\n"});

  const std::array less_nan = {text_item("x1 <x"), text_item(";\tx1-x ="),
                               real_item(from_source(std::numeric_limits<double>::quiet_NaN()))};
  const std::vector<std::string> nan_line = list_records(less_nan);
  ASSERT_EQ(nan_line.size(), 1u);
  EXPECT_EQ(nan_line[0], " x1 <x;\tx1-x = NaN" + std::string(20, ' ') + "\r\n");
  EXPECT_EQ(nan_line[0][7], '\t');
  EXPECT_EQ(nan_line[0].size(), 38u + 2u);

  const std::array less = {text_item("x2 <x"), text_item(";\tx2-x ="), real_item(from_source(-0x1p-52))};
  EXPECT_EQ(list_records(less), std::vector<std::string>{" x2 <x;\tx2-x = -2.220446049250313E-016\r\n"});
}

// A text whose bytes show where it was cut.
std::string counting_text(std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text += static_cast<char>('0' + i % 10);
  return text;
}

// A line of a list record that starts with a text: its leading blank, then
// `count` bytes of `text` from `from`. Appended rather than written as
// " " + text.substr(...): GCC 12 wrongly warns (-Wrestrict) about a literal
// plus a temporary string.
std::string blank_then(const std::string& text, std::size_t from = 0, std::size_t count = std::string::npos) {
  return std::string(" ").append(text, from, count);
}

struct wrap_case {
  const char* name;
  std::vector<item> items;
  std::vector<std::string> lines;  // without terminators
};

TEST(ListRecord, WrapsOntoContinuationLines) {
  static const std::string t79 = counting_text(79), t80 = counting_text(80), t200 = counting_text(200);
  static const std::string t60 = counting_text(60), t30 = counting_text(30), t90 = counting_text(90);
  static const std::string t55 = counting_text(55), t56 = counting_text(56);
  const std::string one = format_list_double(1.0);
  const std::vector<wrap_case> cases = {
      {"79 bytes fill one line", {text_item(t79)}, {blank_then(t79)}},
      {"80 bytes are cut after 79", {text_item(t80)}, {blank_then(t79), blank_then(t80, 79)}},
      {"200 bytes take three lines",
       {text_item(t200)},
       {blank_then(t200, 0, 79), blank_then(t200, 79, 79), blank_then(t200, 158)}},
      {"a text that does not fit moves whole", {text_item(t60), text_item(t30)}, {blank_then(t60), blank_then(t30)}},
      {"texts join without a separator", {text_item("ab"), text_item("cd")}, {" abcd"}},
      {"a double starts the line itself", {real_item(1.0)}, {one}},
      {"a text after a double is separated", {real_item(1.0), text_item("ab")}, {one + " ab"}},
      {"a fourth double wraps",
       {real_item(1.0), real_item(1.0), real_item(1.0), real_item(1.0)},
       {one + one + one, one}},
      {"the separator stays on the written line",
       {real_item(1.0), real_item(1.0), real_item(1.0), text_item("12345678")},
       {one + one + one + " ", " 12345678"}},
      {"empty texts give the leading blank", {text_item(""), text_item("")}, {" "}},
      {"after a lone leading blank the text is cut",
       {text_item(""), text_item(t90)},
       {blank_then(t90, 0, 79), blank_then(t90, 79)}},
      {"a double after a long text", {text_item(t60), real_item(1.0)}, {blank_then(t60), one}},
      {"a double that ends at column 80 stays", {text_item(t55), real_item(1.0)}, {blank_then(t55) + one}},
      {"a double that would end at column 81 wraps", {text_item(t56), real_item(1.0)}, {blank_then(t56), one}},
  };
  for (const wrap_case& c : cases) {
    std::vector<std::string> expected;
    for (const std::string& line : c.lines) expected.push_back(line + "\r\n");
    EXPECT_EQ(list_records(c.items), expected) << c.name;
    for (const std::string& line : c.lines) EXPECT_LE(line.size(), 80u) << c.name;
  }
}

}  // namespace
}  // namespace ulpscope::textio
