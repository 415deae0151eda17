// Tests of the console answers: the fixed-width text read and the free-form
// read of doubles, with its three failures.
//
// Every double is compared by its bits (signed zeros, NaN). Variables start as
// signalling-NaN sentinels the reader never produces, so "unchanged" is seen
// exactly; each answer line is also read with 1- and 3-byte chunks and with
// both line ends, since a value may be split across reads anywhere.
#include "textio/input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "exact_decimal.h"
#include "probe/double_bits.h"
#include "probe/fp_env.h"
#include "string_source.h"

namespace ulpscope::textio {
namespace {

using test_support::string_source;

// A head, `count` copies of one byte, and a tail; the middle is never stored.
class repeated_byte_source : public byte_source {
 public:
  repeated_byte_source(std::string_view head, char byte, std::size_t count, std::string_view tail)
      : head_(head), byte_(byte), count_(count), tail_(tail) {}
  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t from_head = take(head_, buffer, size);
    if (from_head > 0) return from_head;
    if (count_ > 0) {
      const std::size_t count = std::min(size, count_);
      std::fill_n(buffer, count, byte_);
      count_ -= count;
      return count;
    }
    return take(tail_, buffer, size);
  }

 private:
  static std::size_t take(std::string_view& text, char* buffer, std::size_t size) {
    const std::size_t count = std::min(size, text.size());
    std::copy_n(text.data(), count, buffer);
    text.remove_prefix(count);
    return count;
  }
  std::string_view head_;
  char byte_;
  std::size_t count_;
  std::string_view tail_;
};

constexpr std::size_t whole = 1 << 20;

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }
double from_bits(std::uint64_t value) { return std::bit_cast<double>(value); }

// Signalling NaNs with a payload: no answer can produce them.
constexpr std::array<std::uint64_t, 3> sentinels = {0x7FF0DEAD00000001, 0x7FF0DEAD00000002,
                                                    0x7FF0DEAD00000003};

constexpr double inf = std::numeric_limits<double>::infinity();
const double quiet_nan = std::numeric_limits<double>::quiet_NaN();
const double negative_nan = std::copysign(std::numeric_limits<double>::quiet_NaN(), -1.0);
const double smallest_subnormal = from_bits(1);
const double largest_subnormal = from_bits(0x000FFFFFFFFFFFFF);
constexpr double largest = std::numeric_limits<double>::max();

struct three_read {
  read_status status;
  std::array<std::uint64_t, 3> bits;
  std::string next_line;  // the first 4 bytes of the next line read, or "<end>"
};

three_read read_three(std::string_view input, std::size_t chunk) {
  string_source source(input, chunk);
  console_input in(source);
  std::array<double, 3> values{};
  std::transform(sentinels.begin(), sentinels.end(), values.begin(), from_bits);
  three_read result{read_console_doubles(in, values), {}, "<end>"};
  std::transform(values.begin(), values.end(), result.bits.begin(), bits);
  std::array<char, 4> next{};
  if (read_console_text(in, next) == read_status::ok) result.next_line.assign(next.data(), next.size());
  return result;
}

constexpr std::nullopt_t unchanged = std::nullopt;
using expected_values = std::array<std::optional<double>, 3>;

struct answer_case {
  std::string_view input;
  read_status status;
  expected_values values;
};

answer_case gives(std::string_view input, std::optional<double> first, std::optional<double> second,
                  std::optional<double> third) {
  return {input, read_status::ok, {first, second, third}};
}
answer_case fails(std::string_view input, read_status status) { return {input, status, {}}; }

constexpr read_status syntax = read_status::syntax_error;
constexpr read_status conversion = read_status::conversion_error;
constexpr read_status end_of_input = read_status::end_of_input;

std::array<std::uint64_t, 3> expected_bits(const expected_values& values) {
  std::array<std::uint64_t, 3> result{};
  for (std::size_t index = 0; index < 3; ++index) {
    result[index] = values[index] ? bits(*values[index]) : sentinels[index];
  }
  return result;
}

// Answer lines that end the read on their own line.
const answer_case answer_lines[] = {
    // White space, commas, null values, the slash.
    gives("1 2 0.5", 1, 2, 0.5),
    gives("1,2,0.5", 1, 2, 0.5),
    gives("1, 2 ,0.5", 1, 2, 0.5),
    gives("1\t2\t0.5", 1, 2, 0.5),
    gives(" \t 1 \t, \t2\t ,\t 0.5 \t", 1, 2, 0.5),
    gives("1\r2 \r 0.5\r", 1, 2, 0.5),
    gives("1 2 0.5 junk", 1, 2, 0.5),
    gives("1 2 0.5,junk,(", 1, 2, 0.5),
    gives("1 2 3)", 1, 2, 3),
    gives("1 2 3/", 1, 2, 3),
    gives("1 2 3 T 'x'", 1, 2, 3),
    gives("1 2 3 4 5 6", 1, 2, 3),
    gives("1,,0.5", 1, unchanged, 0.5),
    gives("1, ,0.5", 1, unchanged, 0.5),
    gives("1 , , 0.5", 1, unchanged, 0.5),
    gives(",2,0.5", unchanged, 2, 0.5),
    gives("  ,2,0.5", unchanged, 2, 0.5),
    gives(",,5", unchanged, unchanged, 5),
    gives(",,,", unchanged, unchanged, unchanged),
    gives("1,,,", 1, unchanged, unchanged),
    gives("1 /", 1, unchanged, unchanged),
    gives("1/", 1, unchanged, unchanged),
    gives("1,/ 2", 1, unchanged, unchanged),
    gives(",/", unchanged, unchanged, unchanged),
    gives("/", unchanged, unchanged, unchanged),
    gives(" / 1 2 3", unchanged, unchanged, unchanged),
    // Repeat forms.
    gives("3*7", 7, 7, 7),
    gives("5*1.5", 1.5, 1.5, 1.5),
    gives("2*,0.5", unchanged, unchanged, 0.5),
    gives("2* 0.5", unchanged, unchanged, 0.5),
    gives("2*1 5", 1, 1, 5),
    gives("1 2*4", 1, 4, 4),
    gives("1,2*", 1, unchanged, unchanged),
    gives("3*", unchanged, unchanged, unchanged),
    gives("2*/ 9", unchanged, unchanged, unchanged),
    gives("1*-0 1*+0 1*nan", -0.0, 0.0, quiet_nan),
    gives("03*-inf", -inf, -inf, -inf),
    gives("99999999999999999999999999*2", 2, 2, 2),
    gives("2*1e-400,5", 0.0, 0.0, 5),
    fails("*5", syntax),
    fails("0*5", syntax),
    fails("00*", syntax),
    fails("+3*7", syntax),
    fails("3.*7", syntax),
    fails("2*3*4", syntax),
    fails("2**4", syntax),
    fails("2*)", syntax),
    fails("2*x", syntax),
    fails("3*'a'", conversion),
    fails("3*T", conversion),
    fails("3*1e999", conversion),
    // Value forms.
    gives("12. .5 -0.25", 12, 0.5, -0.25),
    gives("1.5E-3 2d5 1q+2", 1.5e-3, 2e5, 100),
    gives("1e3 1D+03 1Q-0", 1000, 1000, 1),
    gives("1.0+5 1.0-5 .5+1", 1e5, 1e-5, 5),
    gives("1d-3 -inf NaN", 0.001, -inf, quiet_nan),
    gives("inf Infinity -INFINITY", inf, inf, -inf),
    gives("+nan nAn -NaN", quiet_nan, quiet_nan, negative_nan),
    gives("-0 +0 -0.0e5", -0.0, 0.0, -0.0),
    gives("007 000.000 0e999999999999999999999", 7, 0, 0),
    gives("3 -3 +3", 3, -3, 3),
    gives("0.1 0.2 0.3", 0.1, 0.2, 0.3),
    gives("1.e5 5.+1 -.5E-0", 1e5, 50, -0.5),
    // Conversion: nearest, ties to even, subnormals kept, signed zero below.
    gives("4.9e-324 3e-324 -3e-324", smallest_subnormal, smallest_subnormal, -smallest_subnormal),
    gives("2.4703282292062327e-324 2.4703282292062328e-324 -2.4703282292062327e-324", 0.0,
          smallest_subnormal, -0.0),
    gives("2.2250738585072009e-308 2.2250738585072014e-308 1.7976931348623157e308",
          largest_subnormal, from_bits(0x0010000000000000), largest),
    gives("1e-400 -1e-400 1e-999999999", 0.0, -0.0, 0.0),
    gives("9007199254740993 9007199254740995 9007199254740994.5", 9007199254740992.0,
          9007199254740996.0, 9007199254740994.0),
    gives("-1e-9999999999999999999999999999 0.5e-323 1e-323", -0.0, smallest_subnormal,
          from_bits(2)),
    fails("1e400", conversion),
    fails("-1e400", conversion),
    fails("1e309", conversion),
    fails("1.7976931348623159e308", conversion),
    fails("1e999999999", conversion),
    fails("1 2 1e99999999999999999999999999", conversion),
    // Syntax errors.
    fails("1..5", syntax),
    fails("1.2.3", syntax),
    fails("1e5e3", syntax),
    fails("1d5q", syntax),
    fails("++1", syntax),
    fails("+-1", syntax),
    fails("1e+-5", syntax),
    fails("1-+5", syntax),
    fails("e5", syntax),
    fails("+e5", syntax),
    fails("D", syntax),
    fails("abc", syntax),
    fails("junk", syntax),
    fails("1 2 0.5junk", syntax),
    fails("1x", syntax),
    fails("1inf", syntax),
    fails("1n", syntax),
    fails(".i", syntax),
    fails("+", syntax),
    fails("-", syntax),
    fails(".", syntax),
    fails("+.", syntax),
    fails("1+", syntax),
    fails("1e-", syntax),
    fails("1e5-", syntax),
    fails("1+2+", syntax),
    fails("1+2+3x", syntax),
    fails(")", syntax),
    fails("1 ) 2", syntax),
    fails("1) 2 3", syntax),
    fails("#", syntax),
    fails("1;2;3", syntax),
    fails("1 2 0.5\x01", syntax),
    fails("\xff", syntax),
    fails("1\f2 3", syntax),
    fails("+T", syntax),
    fails("+'a'", syntax),
    fails("1'", syntax),
    // Conversion errors: a number's form gone wrong, texts, logical values, pairs, words.
    fails("1+2+3", conversion),
    fails("1.5E3-2", conversion),
    fails("1e", conversion),
    fails("1q", conversion),
    fails(".e5", conversion),
    fails("1e5.3", conversion),
    fails("1.0+5e3", conversion),
    fails("nope", conversion),
    fails("-nope", conversion),
    fails("in", conversion),
    fails("infinit", conversion),
    fails("infinityy", conversion),
    fails("nana", conversion),
    fails("+inf5", conversion),
    fails("nan()", conversion),
    fails("1,2,T", conversion),
    fails("T", conversion),
    fails("f", conversion),
    fails("true", conversion),
    fails(".T.", conversion),
    fails(".FALSE.", conversion),
    fails(".t", conversion),
    fails("'abc'", conversion),
    fails("\"1\"", conversion),
    fails("(1,2)", conversion),
    fails("1 (2", conversion),
};

TEST(InputDoublesTest, AnswerLines) {
  for (const answer_case& item : answer_lines) {
    const auto expected = expected_bits(item.values);
    for (const std::string_view line_end : {"\n", "\r\n", ""}) {
      const std::string input = std::string(item.input) + std::string(line_end) +
                                (line_end.empty() ? "" : "NEXT\n");
      for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, whole}) {
        const three_read got = read_three(input, chunk);
        const std::string context = testing::PrintToString(input) + " chunk " + std::to_string(chunk);
        ASSERT_EQ(got.status, item.status) << context;
        if (item.status != read_status::ok) continue;
        EXPECT_EQ(got.bits, expected) << context;
        // The rest of the line is gone: the next read starts on the next line.
        EXPECT_EQ(got.next_line, line_end.empty() ? "<end>" : "NEXT") << context;
      }
    }
  }
}

struct multi_line_case {
  std::string_view input;
  read_status status;
  expected_values values;
  std::string_view next_line;  // 4 bytes, or "<end>"
};

const multi_line_case multi_line_inputs[] = {
    {"1\n2\n0.5\n", read_status::ok, {1, 2, 0.5}, "<end>"},
    {"1\n\n \t\n2\r\n\r\n\r\r\n0.5\nNEXT", read_status::ok, {1, 2, 0.5}, "NEXT"},
    {"\n\n1 2 0.5 junk\njunk\n", read_status::ok, {1, 2, 0.5}, "junk"},
    {"1,2,\n,3\n", read_status::ok, {1, 2, unchanged}, "<end>"},
    {"1,2,\n\n  \n ,3\n", read_status::ok, {1, 2, unchanged}, "<end>"},
    {"1,2\n,3\n", read_status::ok, {1, 2, 3}, "<end>"},
    {"1,2 \t\n\n\t, 3\n", read_status::ok, {1, 2, 3}, "<end>"},
    {"1,\n\n,3\n", read_status::ok, {1, unchanged, 3}, "<end>"},
    {"1\n,\n,3\n", read_status::ok, {1, unchanged, 3}, "<end>"},
    {"\n\n,2,3\n", read_status::ok, {unchanged, 2, 3}, "<end>"},
    {",\n2,3\n", read_status::ok, {unchanged, 2, 3}, "<end>"},
    {"1\n2*\n9\n", read_status::ok, {1, unchanged, unchanged}, "9   "},
    {"1\n2*\n", read_status::ok, {1, unchanged, unchanged}, "<end>"},
    {"2*\n\n7\n", read_status::ok, {unchanged, unchanged, 7}, "<end>"},
    {"1 2\n/ 3\n4\n", read_status::ok, {1, 2, unchanged}, "4   "},
    {"1 2\n3", read_status::ok, {1, 2, 3}, "<end>"},
    {"1 2 3\n4 5 6\n", read_status::ok, {1, 2, 3}, "4 5 "},
    {"1\r\n2\r\n3\r\nNEXT\r\n", read_status::ok, {1, 2, 3}, "NEXT"},
    {"", end_of_input, {}, ""},
    {"\n", end_of_input, {}, ""},
    {"\n \t\n\r\n", end_of_input, {}, ""},
    {"1 2\n", end_of_input, {}, ""},
    {"1 2", end_of_input, {}, ""},
    {"1,2,\n", end_of_input, {}, ""},
    {"1\n\n2\n\n", end_of_input, {}, ""},
    {"1\n,\n3\n", end_of_input, {}, ""},  // that comma only separated 1 from 3
    {"2*\n", end_of_input, {}, ""},
    {"1\n(2\n", conversion, {}, ""},
    {"1\n2\n3x\n", syntax, {}, ""},
    {"1\n2 \n T\n", conversion, {}, ""},
};

TEST(InputDoublesTest, MultiLineInputs) {
  for (const multi_line_case& item : multi_line_inputs) {
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, whole}) {
      const three_read got = read_three(item.input, chunk);
      const std::string context = testing::PrintToString(item.input) + " chunk " + std::to_string(chunk);
      ASSERT_EQ(got.status, item.status) << context;
      if (item.status != read_status::ok) continue;
      EXPECT_EQ(got.bits, expected_bits(item.values)) << context;
      EXPECT_EQ(got.next_line, item.next_line) << context;
    }
  }
}

// The dialogue's order of reads on one input: name, range, answer, range; a
// value left out keeps what the previous range gave it.
TEST(InputDoublesTest, ReadsInTheOrderOfTheDialogue) {
  string_source source("results\n1 2 0.5 rest\n\nyes\n4,,,\n n\n", 2);
  console_input in(source);
  std::array<char, 260> name{};
  ASSERT_EQ(read_console_text(in, name), read_status::ok);
  EXPECT_EQ(std::string_view(name.data(), name.size()), "results" + std::string(253, ' '));
  std::array<double, 3> range{};
  ASSERT_EQ(read_console_doubles(in, range), read_status::ok);
  EXPECT_EQ(range, (std::array<double, 3>{1, 2, 0.5}));
  std::array<char, 1> answer{};
  ASSERT_EQ(read_console_text(in, answer), read_status::ok);  // the empty line
  EXPECT_EQ(answer[0], ' ');
  ASSERT_EQ(read_console_text(in, answer), read_status::ok);
  EXPECT_EQ(answer[0], 'y');
  ASSERT_EQ(read_console_doubles(in, range), read_status::ok);
  EXPECT_EQ(range, (std::array<double, 3>{4, 2, 0.5}));
  ASSERT_EQ(read_console_text(in, answer), read_status::ok);
  EXPECT_EQ(answer[0], ' ');
  EXPECT_EQ(read_console_doubles(in, range), end_of_input);
  EXPECT_EQ(read_console_text(in, answer), end_of_input);
  EXPECT_EQ(answer[0], ' ');  // a failed read assigns nothing
}

TEST(InputTextTest, FirstBytesOfTheLineBlankFilledNothingTrimmed) {
  struct text_case {
    std::string input;
    std::size_t width;
    std::string text;
  };
  const std::string long_line = std::string(259, 'a') + "bcdef";
  const text_case cases[] = {
      {"\n", 260, std::string(260, ' ')},
      {"", 260, ""},  // no line at all
      {"t\n", 260, "t" + std::string(259, ' ')},
      {"  a b\t \r\n", 8, "  a b\t  "},
      {"a\rb", 5, "a\rb  "},
      {long_line + "\nnext\n", 260, std::string(259, 'a') + "b"},
      {"yes\n", 1, "y"},
      {" Y\n", 1, " "},
      {"\r\n", 1, " "},
      {std::string("\xff\0x\n", 4), 2, std::string("\xff\0", 2)},
  };
  for (const text_case& item : cases) {
    for (const std::size_t chunk : {std::size_t{1}, whole}) {
      string_source source(item.input, chunk);
      console_input in(source);
      std::vector<char> out(item.width, '#');
      const read_status status = read_console_text(in, out);
      const std::string context = testing::PrintToString(item.input) + " chunk " + std::to_string(chunk);
      if (item.text.empty()) {
        EXPECT_EQ(status, end_of_input) << context;
        EXPECT_EQ(std::string(out.begin(), out.end()), std::string(item.width, '#')) << context;
        continue;
      }
      ASSERT_EQ(status, read_status::ok) << context;
      EXPECT_EQ(std::string(out.begin(), out.end()), item.text) << context;
    }
  }
}

// A 10 MB name line: its first 260 bytes are taken and the rest streamed past.
TEST(InputTextTest, StreamsPastATenMegabyteLine) {
  repeated_byte_source source("name", 'x', 10'000'000, "\r\n1 2 3\n");
  console_input in(source);
  std::array<char, 260> name{};
  ASSERT_EQ(read_console_text(in, name), read_status::ok);
  EXPECT_EQ(std::string_view(name.data(), name.size()), "name" + std::string(256, 'x'));
  std::array<double, 3> range{};
  ASSERT_EQ(read_console_doubles(in, range), read_status::ok);
  EXPECT_EQ(range, (std::array<double, 3>{1, 2, 3}));
}

read_status read_one(byte_source& source, double& value) {
  console_input in(source);
  return read_console_doubles(in, std::span<double>(&value, 1));
}

// Mantissas of 10 million digits, whose value is decided by their first digit
// or by all of them together with the exponent.
TEST(InputDoublesTest, ReadsMantissasOfAnyLength) {
  struct long_case {
    std::string_view head;
    char digit;
    std::string_view tail;
    double value;
  };
  const long_case cases[] = {
      {"1", '0', "e-10000000\n", 1.0},
      {"-0.", '0', "1e10000001\n", -1.0},
      {"0.", '3', "\n", 1.0 / 3.0},
      {"", '9', "e-10000000\n", 1.0},
      {"", '0', "1.5\n", 1.5},
      {"2.", '0', "1e-99999999999\n", 0.0},
  };
  for (const long_case& item : cases) {
    repeated_byte_source source(item.head, item.digit, 10'000'000, item.tail);
    double value = from_bits(sentinels[0]);
    ASSERT_EQ(read_one(source, value), read_status::ok) << item.head << item.digit;
    EXPECT_EQ(bits(value), bits(item.value)) << item.head << item.digit;
  }
  repeated_byte_source too_large("", '7', 10'000'000, "\n");
  double value = 0.0;
  EXPECT_EQ(read_one(too_large, value), conversion);
}

// The run's flush-to-zero modes must not touch a value being read, and the
// read leaves them exactly as they were.
TEST(InputDoublesTest, SubnormalsSurviveTheRunModes) {
  const std::uint32_t before = probe::current_modes();
  probe::set_run_modes();
  const std::uint32_t run_modes = probe::current_modes();
  string_source source("4.9e-324 2.2250738585072009e-308 -1e-310\n", whole);
  console_input in(source);
  std::array<double, 3> values{};
  const read_status status = read_console_doubles(in, values);
  const std::uint32_t after = probe::current_modes();
  probe::restore_modes(before);
  ASSERT_EQ(status, read_status::ok);
  EXPECT_EQ(bits(values[0]), 1u);
  EXPECT_EQ(bits(values[1]), 0x000FFFFFFFFFFFFFu);
  EXPECT_EQ(bits(values[2]), bits(-1e-310));
  EXPECT_EQ(after, run_modes);
}

// ---- Randomised checks against exact decimal expansions ----------------------

// digits x 10^exponent, exactly.
struct exact_decimal {
  std::string digits;
  std::int64_t exponent;
};

// significand x 2^binary_exponent in decimal, from the shared exact reference.
exact_decimal to_decimal(std::uint64_t significand, int binary_exponent) {
  if (significand == 0) return {"0", 0};
  const test_support::exact_decimal exact = test_support::exact_product(significand, binary_exponent);
  return {exact.digits, std::int64_t{exact.exponent} - static_cast<std::int64_t>(exact.digits.size())};
}

// The value of a finite positive double as significand x 2^exponent.
std::pair<std::uint64_t, int> decompose(std::uint64_t value_bits) {
  const probe::double_bits fields(from_bits(value_bits));
  return {fields.significand(), fields.scale()};
}

// The same decimal number written in one of the forms the reader takes.
std::string write_in_form(const exact_decimal& number, bool negative, unsigned form) {
  const std::string sign = negative ? "-" : (form % 2 == 0 ? "" : "+");
  const auto length = static_cast<std::int64_t>(number.digits.size());
  switch (form % 5) {
    case 0: return sign + number.digits + "e" + std::to_string(number.exponent);
    case 1: return sign + "0." + number.digits + "D" + std::to_string(number.exponent + length);
    case 2: return sign + "000" + number.digits + ".q" + std::to_string(number.exponent);
    case 3: {
      const std::int64_t exponent = number.exponent + length - 1;
      return sign + number.digits.substr(0, 1) + "." + number.digits.substr(1) +
             (exponent < 0 ? "-" : "+") + std::to_string(std::abs(exponent));
    }
    default: {  // fixed point when the exponent is small, else E with a sign
      if (number.exponent < 0 && -number.exponent <= length + 5) {
        const std::int64_t whole_digits = length + number.exponent;
        if (whole_digits > 0) {
          return sign + number.digits.substr(0, static_cast<std::size_t>(whole_digits)) + "." +
                 number.digits.substr(static_cast<std::size_t>(whole_digits));
        }
        return sign + "." + std::string(static_cast<std::size_t>(-whole_digits), '0') + number.digits;
      }
      return sign + number.digits + (number.exponent < 0 ? "E" : "E+") + std::to_string(number.exponent);
    }
  }
}

struct conversion_outcome {
  read_status status;
  std::uint64_t bits;
};

conversion_outcome convert(const std::string& text) {
  string_source source(text, whole);
  double value = from_bits(sentinels[0]);
  const read_status status = read_one(source, value);
  return {status, bits(value)};
}

constexpr std::uint64_t infinity_bits = 0x7FF0000000000000;
constexpr std::uint64_t sign_bit = 0x8000000000000000;

// The outcome a positive double's bits (or infinity) should give, negated if asked.
conversion_outcome expect(std::uint64_t value_bits, bool negative) {
  if (value_bits == infinity_bits) return {conversion, sentinels[0]};
  return {read_status::ok, value_bits | (negative ? sign_bit : 0)};
}

// Random positive finite doubles, all binades, subnormals and the edges.
std::vector<std::uint64_t> test_doubles() {
  std::vector<std::uint64_t> values = {0, 1, 2, 3, 0x000FFFFFFFFFFFFF, 0x0010000000000000,
                                       0x3FF0000000000000, 0x3FEFFFFFFFFFFFFF, 0x7FEFFFFFFFFFFFFF,
                                       0x7FEFFFFFFFFFFFFE, 0x4340000000000000, 0x433FFFFFFFFFFFFF};
  std::mt19937_64 random(20240611);
  std::uniform_int_distribution<std::uint64_t> finite(0, 0x7FEFFFFFFFFFFFFF);
  std::uniform_int_distribution<std::uint64_t> fraction(0, 0x000FFFFFFFFFFFFF);
  for (int count = 0; count < 600; ++count) values.push_back(finite(random));
  for (int count = 0; count < 100; ++count) values.push_back(fraction(random));  // subnormals
  return values;
}

std::string decrement(std::string digits) {
  std::size_t index = digits.size();
  while (digits[--index] == '0') digits[index] = '9';
  --digits[index];
  return digits;
}

void expect_reads_as(const exact_decimal& number, std::uint64_t value_bits, unsigned form, const char* what) {
  for (const bool negative : {false, true}) {
    const std::string text = write_in_form(number, negative, form);
    const conversion_outcome got = convert(text + "\n");
    const conversion_outcome wanted = expect(value_bits, negative);
    ASSERT_EQ(got.status, wanted.status) << what << " " << text;
    if (wanted.status == read_status::ok) {
      EXPECT_EQ(got.bits, wanted.bits) << what << " " << text;
    }
  }
}

// Each double read back from its exact decimal value, and the midpoint to
// the next double read exactly, just above (after 1000 zeros) and just below
// (after 1000 nines): ties go to the even significand, the rest to the nearer.
TEST(InputDoublesTest, ExactValuesAndMidpointsRoundToNearestEven) {
  unsigned form = 0;
  for (const std::uint64_t value_bits : test_doubles()) {
    const auto [significand, exponent] = decompose(value_bits);
    expect_reads_as(to_decimal(significand, exponent), value_bits, form++, "exact");

    const exact_decimal midpoint = to_decimal(2 * significand + 1, exponent - 1);
    const std::uint64_t even = (value_bits % 2 == 0) ? value_bits : value_bits + 1;
    expect_reads_as(midpoint, even, form++, "tie");
    const exact_decimal above{midpoint.digits + std::string(1000, '0') + "1", midpoint.exponent - 1001};
    expect_reads_as(above, value_bits + 1, form++, "above");
    const exact_decimal below{decrement(midpoint.digits) + std::string(1000, '9'), midpoint.exponent - 1000};
    expect_reads_as(below, value_bits, form++, "below");
  }
}

// Shortest round-trip texts, with every exponent letter and with none.
TEST(InputDoublesTest, ShortestTextsReadBackWithEveryExponentForm) {
  constexpr std::string_view letters[] = {"e", "E", "d", "D", "q", "Q", ""};
  std::size_t letter = 0;
  for (const std::uint64_t value_bits : test_doubles()) {
    std::array<char, 64> buffer{};
    const double value = from_bits(value_bits);
    const char* const begin = buffer.data();
    const char* const end =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific).ptr;
    std::string text(begin, end);
    const std::size_t e = text.find('e');
    text.replace(e, 1, letters[letter++ % std::size(letters)]);  // "1.5e-05" -> "1.5-05"
    const conversion_outcome got = convert(text + "\n");
    ASSERT_EQ(got.status, read_status::ok) << text;
    EXPECT_EQ(got.bits, value_bits) << text;
  }
}

}  // namespace
}  // namespace ulpscope::textio
