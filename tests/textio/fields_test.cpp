// The field renderers: the exact texts of every field kind, asterisks for a
// value too wide, and the independence from the run modes.
#include "textio/fields.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdlib>
#include <cstdint>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "expected_fields.h"
#include "probe/double_bits.h"
#include "probe/fp_env.h"
#include "textio/list.h"

namespace ulpscope::textio {
namespace {

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
      {1.0 - 0x1p-51, 22, 15, "  1.00000000000000    "},  // 0.99999999999999955...: 9s that carry
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

// Seeded random values of the kinds that stress the fields: every binade,
// the fractions the tool shows, subnormals, values whose few bits make exact
// ties at the digits shown, and values within an ulp of the halfway points
// of 15, 16 and 17 significant digits.
std::vector<double> random_field_values(int count) {
  std::mt19937_64 random(20261211);
  std::vector<double> values;
  const auto add = [&](double v) {
    if (probe::double_bits(v).is_finite_nonzero()) values.push_back(v);
  };
  const auto next_up = [](double v, int steps) {
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(v) + static_cast<std::uint64_t>(steps));
  };
  while (static_cast<int>(values.size()) < count) {
    switch (random() % 5) {
      case 0: add(std::bit_cast<double>(random())); break;
      case 1: add(std::ldexp(static_cast<double>(random() >> 11), -53 - static_cast<int>(random() % 2))); break;
      case 2: add(std::bit_cast<double>(random() >> (12 + random() % 52))); break;
      case 3: {
        const std::uint64_t odd = (random() >> (40 + random() % 24)) | 1;
        add(std::ldexp(static_cast<double>(odd), 10 - static_cast<int>(random() % 120)));
        break;
      }
      default: {
        const double base = std::bit_cast<double>(random() & 0x7FEFFFFFFFFFFFFFull);
        if (!probe::double_bits(base).is_finite_nonzero()) break;
        const int digits = 15 + static_cast<int>(random() % 3);
        const test_support::expected_digits rounded =
            test_support::round_exact(test_support::exact_value(base), digits);
        const double half = std::strtod(("0." + rounded.digits + "5e" + std::to_string(rounded.exponent)).c_str(), nullptr);
        add(next_up(half, static_cast<int>(random() % 3) - 1));
      }
    }
  }
  return values;
}

// The fast path decides most fields; this checks it on every run, every field
// kind against the exact reference, under the run modes.
TEST(Fields, RandomValuesMatchTheExactReference) {
#ifdef NDEBUG
  constexpr int count = 200000;
#else
  constexpr int count = 20000;  // the reference is slow without optimisation
#endif
  const std::vector<double> values = random_field_values(count);
  std::vector<std::string> mismatches;
  const auto check = [&](const std::string& got, const std::string& want, const char* field, double value) {
    if (got != want && mismatches.size() < 10)
      mismatches.push_back(std::string(field) + " of bits " + std::to_string(std::bit_cast<std::uint64_t>(value)) +
                           ": got \"" + got + "\" want \"" + want + "\"");
  };
  const std::uint32_t saved = probe::current_modes();
  probe::set_run_modes();
  for (const double value : values) {
    check(scientific_field(value, 22, 15, 'D'), test_support::expected_scientific(value, 22, 15, 'D'),
          "scientific 22/15", value);
    check(general_field(value, 23, 16), test_support::expected_general(value, 23, 16), "general 23/16", value);
    check(general_field(value, 22, 15), test_support::expected_general(value, 22, 15), "general 22/15", value);
    check(format_list_double(value), test_support::expected_list(value), "list field", value);
  }
  probe::restore_modes(saved);
  EXPECT_TRUE(mismatches.empty()) << ::testing::PrintToString(mismatches);
}

}  // namespace
}  // namespace ulpscope::textio
