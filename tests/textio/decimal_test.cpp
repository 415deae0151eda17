// decimal_digits against the exact big-integer reference of exact_decimal.h,
// which rounds the exact decimal value of a double by hand (half to even). The
// comparisons run with flush-to-zero and denormals-are-zero on, as in a
// run, since subnormals must still convert exactly.
#include "textio/decimal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "exact_decimal.h"
#include "probe/double_bits.h"
#include "probe/fp_env.h"

namespace ulpscope::textio {
namespace {

using test_support::exact_decimal;
using test_support::exact_value;
using test_support::expected_digits;
using test_support::reference_after_point;
using test_support::reference_significant;
using test_support::round_exact;

std::string show(const rounded_decimal& r) {
  if (r.is_zero()) return "zero";
  return std::string(r.negative ? "-" : "+") + "0." + std::string(r.digits.data(), r.count) + "e" +
         std::to_string(r.exponent);
}

std::string show(bool negative, const expected_digits& e) {
  if (e.zero) return "zero";
  return std::string(negative ? "-" : "+") + "0." + e.digits + "e" + std::to_string(e.exponent);
}

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }
std::uint64_t to_bits(double value) { return std::bit_cast<std::uint64_t>(value); }

bool finite_nonzero(double value) { return probe::double_bits(value).is_finite_nonzero(); }

// Random values of the kinds that stress a conversion.
std::vector<double> sample_values() {
  std::mt19937_64 random(20240611);
  std::vector<double> values;
  const auto add = [&](double v) {
    if (finite_nonzero(v)) values.push_back(v);
  };
  // Random bit patterns cover all exponents evenly.
  for (int i = 0; i < 60000; ++i) add(from_bits(random()));
  // Subnormals of every width.
  for (int i = 0; i < 15000; ++i) {
    const int width = 1 + static_cast<int>(random() % 52);
    add(from_bits((random() >> (64 - width)) | (random() & (1ull << 63))));
  }
  // Few significant bits: odd m * 2^-k ends in 5 exactly at the k-th place,
  // so rounding it to one digit fewer is an exact tie.
  for (int i = 0; i < 15000; ++i) {
    const std::uint64_t odd = (random() >> (44 + random() % 20)) | 1;
    add(std::ldexp(static_cast<double>(odd), -static_cast<int>(random() % 1075)));
  }
  // Integers (2a + 1) * 5^j * 2^(j-1) = (10a + 5) * 10^(j-1): ties at the
  // digits of a.
  for (int i = 0; i < 5000; ++i) {
    std::uint64_t five_power = 5;
    int j = 1;
    for (; j < 20 && (random() % 3 != 0); ++j) five_power *= 5;
    const std::uint64_t limit = (1ull << 53) / five_power;
    if (limit < 2) continue;
    const std::uint64_t odd = (random() % limit) | 1;
    add(std::ldexp(static_cast<double>(odd * five_power), j - 1));
  }
  // Near powers of ten and near 5 x 10^k, a few ulps either side.
  for (int k = -324; k <= 308; ++k) {
    for (const char* lead : {"1e", "5e", "9.5e"}) {
      const double centre = std::strtod((lead + std::to_string(k)).c_str(), nullptr);
      for (int step = -3; step <= 3; ++step)
        add(from_bits(to_bits(centre) + static_cast<std::uint64_t>(step)));
    }
  }
  // Near halfway points: a random value's digits with a 5 appended, read back.
  for (int i = 0; i < 10000; ++i) {
    const double base = from_bits(random() & 0x7FFFFFFFFFFFFFFFull);
    if (!finite_nonzero(base)) continue;
    const int n = 1 + static_cast<int>(random() % 17);
    const expected_digits rounded = round_exact(exact_value(base), n);
    if (rounded.zero) continue;
    const std::string text = "0." + rounded.digits + "5e" + std::to_string(rounded.exponent);
    const double near_half = std::strtod(text.c_str(), nullptr);
    for (int step = -1; step <= 1; ++step)
      add(from_bits(to_bits(near_half) + static_cast<std::uint64_t>(step)));
  }
  return values;
}

struct mode_case {
  digit_mode mode;
  int n;
  int cap;
};

TEST(DecimalDigits, MatchesExactReferenceUnderRunModes) {
  const std::vector<double> values = sample_values();
  ASSERT_GT(values.size(), 100000u);
  std::mt19937 random(7);
  std::vector<std::string> mismatches;
  const std::uint32_t saved = probe::current_modes();
  probe::set_run_modes();
  ASSERT_TRUE(probe::run_modes_active());
  const std::uint32_t run_modes = probe::current_modes();
  for (const double value : values) {
    const exact_decimal exact = exact_value(value);
    const bool negative = probe::double_bits(value).negative();
    // Places around the value's own exponent reach the "rounds to zero or to
    // one unit of the last place" band, subnormals included.
    const int near_places = std::max(0, -exact.exponent + static_cast<int>(random() % 4) - 1);
    const mode_case cases[] = {
        {digit_mode::significant, 1, 0},
        {digit_mode::significant, 16, 0},
        {digit_mode::significant, 17, 0},
        {digit_mode::significant, 1 + static_cast<int>(random() % max_decimal_digits), 0},
        {digit_mode::after_point, 17, 24},
        {digit_mode::after_point, 18, 23},
        {digit_mode::after_point, 17, 22},
        {digit_mode::after_point, static_cast<int>(random() % 40), 1 + static_cast<int>(random() % 40)},
        {digit_mode::after_point, near_places, 24},
    };
    for (const mode_case& c : cases) {
      const rounded_decimal got = c.mode == digit_mode::significant
                                      ? decimal_digits(value, c.mode, c.n)
                                      : decimal_digits(value, c.mode, c.n, c.cap);
      const expected_digits want = c.mode == digit_mode::significant
                                       ? reference_significant(exact, c.n)
                                       : reference_after_point(exact, c.n, c.cap);
      const std::string got_text = show(got);
      const std::string want_text = show(negative, want);
      if (got_text != want_text && mismatches.size() < 10) {
        mismatches.push_back("bits " + std::to_string(to_bits(value)) +
                             (c.mode == digit_mode::significant ? " sig " : " places ") +
                             std::to_string(c.n) + "/" + std::to_string(c.cap) + ": got " + got_text +
                             " want " + want_text);
      }
    }
  }
  const std::uint32_t after = probe::current_modes();
  probe::restore_modes(saved);
  EXPECT_TRUE(mismatches.empty()) << ::testing::PrintToString(mismatches);
  EXPECT_EQ(after, run_modes) << "a conversion left the modes changed";
}

struct digits_case {
  double value;
  digit_mode mode;
  int n;
  int cap;
  const char* expected;  // sign, 0.digits, e exponent; or "zero"
};

TEST(DecimalDigits, ExamplesAndBoundaries) {
  const digits_case cases[] = {
      {0.1, digit_mode::significant, 16, max_decimal_digits, "+0.1000000000000000e0"},
      {0x1p-24, digit_mode::significant, 16, max_decimal_digits, "+0.5960464477539062e-7"},
      {0.5, digit_mode::after_point, 18, 23, "+0.500000000000000000e0"},
      {1.0e300, digit_mode::after_point, 17, 24, "+0.100000000000000005250476e301"},
      {4.0e-18, digit_mode::after_point, 17, 24, "zero"},
      {-5e-324, digit_mode::significant, 3, max_decimal_digits, "-0.494e-323"},
      {0.5, digit_mode::after_point, 0, 24, "zero"},  // tie to the even 0
      {1.5, digit_mode::after_point, 0, 24, "+0.2e1"},
      {2.5, digit_mode::after_point, 0, 24, "+0.2e1"},
      {0.75, digit_mode::after_point, 0, 24, "+0.1e1"},  // rounds up to one unit
      {9.5, digit_mode::after_point, 0, 24, "+0.10e2"},  // carries: two digits end at the point
      {99.96, digit_mode::after_point, 1, 24, "+0.1000e3"},
      {5e-324, digit_mode::after_point, 323, 24, "zero"},  // 4.94e-324 is below half of 1e-323
      {5e-324, digit_mode::after_point, 324, 24, "+0.5e-323"},
      {0.09999999999999999167, digit_mode::after_point, 17, 24, "+0.9999999999999999e-1"},
      {999999999999999.5, digit_mode::after_point, 17, 24, "+0.999999999999999500000000e15"},
  };
  for (const digits_case& c : cases) {
    volatile double source = c.value;
    EXPECT_EQ(show(decimal_digits(source, c.mode, c.n, c.cap)), c.expected) << c.value << " n=" << c.n;
  }
}

}  // namespace
}  // namespace ulpscope::textio
