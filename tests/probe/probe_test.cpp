// The probe kernel against its tables: decomposition, ulp, probe outcomes by
// kind of x under the run modes, digit counts and the int32 truncation.
#include "probe/probe.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "probe/fp_env.h"
#include "run_modes.h"

namespace {

using ulpscope::probe::ordering;
namespace probe = ulpscope::probe;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double max_double = std::numeric_limits<double>::max();
constexpr double min_subnormal = std::numeric_limits<double>::denorm_min();

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

using test_support::RunModes;

struct decomposition_case {
  double x;
  std::int32_t exponent;
  double fraction;
  double ulp;
};

TEST(Decomposition, Table) {
  const decomposition_case cases[] = {
      {1.0, 1, 0.5, 0x1p-52},
      {3.0, 2, 0.75, 0x1p-51},
      {0.1, -3, 0.8, 0x1p-56},
      {-1.0, 1, -0.5, 0x1p-52},
      {max_double, 1024, 0.9999999999999999, 0x1p971},
      {0x1p52, 53, 0.5, 1.0},
      {0x1p-1022, -1021, 0.5, min_subnormal},
      {0x1p-970, -969, 0.5, 0x1p-1022},
      {0x1p-971, -970, 0.5, 0x1p-1023},
      {0x1p-1000, -999, 0.5, 0x1p-1052},
      {0.0, 0, 0.0, 0x1p-53},
      {min_subnormal, 0, min_subnormal, 0x1p-53},
      {-0x1p-1030, 0, -0x1p-1030, 0x1p-53},
      {inf, 0, inf, 0x1p-53},
      {-inf, 0, -inf, 0x1p-53},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(probe::exponent(c.x), c.exponent) << c.x;
    EXPECT_EQ(bits(probe::fraction(c.x)), bits(c.fraction)) << c.x;
    EXPECT_EQ(bits(probe::ULP(c.x)), bits(c.ulp)) << c.x;
  }
  EXPECT_EQ(bits(probe::fraction(-0.0)), bits(-0.0));
}

TEST(Decomposition, NaNStaysNaNWithItsSignAndPayloadMadeQuiet) {
  const double signalling = std::bit_cast<double>(0xFFF0000000000123ull);
  EXPECT_EQ(bits(probe::fraction(signalling)), 0xFFF8000000000123ull);
  EXPECT_EQ(probe::exponent(signalling), 0);
  EXPECT_EQ(probe::ULP(signalling), 0x1p-53);
}

TEST(Decomposition, FractionTimesPowerIsXForRandomNormals) {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  for (int i = 0; i < 200000; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const double x = std::bit_cast<double>(state);
    if (!std::isnormal(x)) continue;
    const double f = probe::fraction(x);
    ASSERT_GE(std::fabs(f), 0.5);
    ASSERT_LT(std::fabs(f), 1.0);
    ASSERT_EQ(std::ldexp(f, probe::exponent(x)), x);
    // The ulp is the gap to the neighbour away from zero inside the binade.
    const double u = probe::ULP(x);
    const double up = std::nextafter(std::fabs(x), inf);
    if (std::fabs(f) != 0x1.fffffffffffffp-1) {
      ASSERT_EQ(up - std::fabs(x), u) << x;
    }
  }
}

struct probe_case {
  const char* kind;
  double x;
  ordering x1;
  ordering x2;
  ordering x3;  // only meaningful when x2 is greater
  double x1_value;
  double x2_value;
};

TEST_F(RunModes, ProbeOutcomesByKindOfX) {
  const double odd = 1.0000000000000002;
  const probe_case cases[] = {
      {"zero", 0.0, ordering::greater, ordering::greater, ordering::greater, 0x1p-53, 0x1p-54},
      {"negative zero", -0.0, ordering::greater, ordering::greater, ordering::greater, 0x1p-53, 0x1p-54},
      {"subnormal", min_subnormal, ordering::greater, ordering::greater, ordering::greater, 0x1p-53, 0x1p-54},
      {"negative subnormal", -0x1p-1040, ordering::greater, ordering::greater, ordering::greater, 0x1p-53,
       0x1p-54},
      {"u subnormal", 0x1p-1000, ordering::equal, ordering::equal, ordering::equal, 0x1p-1000, 0x1p-1000},
      {"e = -969", 0x1.8p-970, ordering::greater, ordering::equal, ordering::equal, 0x1.8p-970 + 0x1p-1022,
       0x1.8p-970},
      {"one", 1.0, ordering::greater, ordering::equal, ordering::equal, 1.0 + 0x1p-52, 1.0},
      {"odd significand", odd, ordering::greater, ordering::greater, ordering::equal, odd + 0x1p-52,
       odd + 0x1p-52},
      {"minus one", -1.0, ordering::greater, ordering::greater, ordering::equal, -1.0 + 0x1p-52, -1.0 + 0x1p-53},
      {"minus three", -3.0, ordering::greater, ordering::equal, ordering::equal, -3.0 + 0x1p-51, -3.0},
      {"2^53 - 1", 0x1p53 - 1, ordering::greater, ordering::greater, ordering::equal, 0x1p53, 0x1p53},
      {"largest", max_double, ordering::greater, ordering::greater, ordering::equal, inf, inf},
      {"infinity", inf, ordering::equal, ordering::equal, ordering::equal, inf, inf},
      {"minus infinity", -inf, ordering::equal, ordering::equal, ordering::equal, -inf, -inf},
  };
  for (const auto& c : cases) {
    const double u = probe::ULP(c.x);
    const auto p = probe::make_probes(c.x, u);
    EXPECT_EQ(probe::compare(p.x1, c.x), c.x1) << c.kind;
    EXPECT_EQ(probe::compare(p.x2, c.x), c.x2) << c.kind;
    if (c.x2 == ordering::greater) {
      EXPECT_EQ(probe::compare(p.x3, c.x), c.x3) << c.kind;
    }
    EXPECT_EQ(p.x1, c.x1_value) << c.kind;
    EXPECT_EQ(p.x2, c.x2_value) << c.kind;
  }
}

TEST_F(RunModes, NaNProbesAreUnordered) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const auto p = probe::make_probes(nan, probe::ULP(nan));
  EXPECT_EQ(probe::compare(p.x1, nan), ordering::unordered);
  EXPECT_EQ(probe::compare(p.x2, nan), ordering::unordered);
}

TEST_F(RunModes, AProbeBelowXIsLess) {
  EXPECT_EQ(probe::compare(0.5, 1.0), ordering::less);
  EXPECT_EQ(probe::compare(-std::numeric_limits<double>::infinity(), -1.0), ordering::less);
  EXPECT_EQ(probe::compare(-0x1p-1022, 0.0), ordering::less);
}

TEST_F(RunModes, SubnormalsCompareEqualToZero) {
  volatile double subnormal = min_subnormal;
  EXPECT_EQ(probe::compare(subnormal, 0.0), ordering::equal);
  EXPECT_EQ(probe::compare(probe::ULP(0x1p-1000), probe::ULP(0x1p-980)), ordering::equal);
}

TEST(DigitCount, MatchesTheDecimalTextForEveryExponent) {
  for (std::int32_t n = -1074; n <= 1024; ++n)
    ASSERT_EQ(probe::digit_count(n), static_cast<std::int32_t>(std::to_string(n).size())) << n;
}

TEST_F(RunModes, TruncationToInt32) {
  struct truncation_case {
    double q;
    std::int32_t expected;
  };
  const truncation_case cases[] = {
      {3.0000000000000004, 3},     {-2.9, -2},
      {2147483647.0, 2147483647},  {2147483647.9, 2147483647},
      {2147483648.0, INT32_MIN},   {-2147483648.0, INT32_MIN},
      {-2147483649.0, INT32_MIN},  {inf, INT32_MIN},
      {-inf, INT32_MIN},           {std::numeric_limits<double>::quiet_NaN(), INT32_MIN},
      {min_subnormal, 0},          {0.99, 0},
  };
  for (const auto& c : cases) {
    volatile double q = c.q;
    EXPECT_EQ(probe::truncate_to_int32(q), c.expected) << c.q;
  }
}

// The run modes round to nearest whatever rounding was set before them: each
// sum below rounds differently under every other rounding.
TEST(Modes, RunModesRoundToNearestWhateverTheRoundingWas) {
  const std::uint32_t saved = probe::current_modes();
  for (const int rounding : {FE_TOWARDZERO, FE_UPWARD, FE_DOWNWARD}) {
    ASSERT_EQ(std::fesetround(rounding), 0);
    probe::set_run_modes();
    volatile double one = 1.0;
    volatile double three_quarter_ulp = 0x1.8p-53;
    volatile double quarter_ulp = 0x1p-54;
    const double up = one + three_quarter_ulp;
    const double down = one + quarter_ulp;
    const double negative_up = -one - three_quarter_ulp;
    probe::restore_modes(saved);
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(up, 1.0 + 0x1p-52) << rounding;
    EXPECT_EQ(down, 1.0) << rounding;
    EXPECT_EQ(negative_up, -1.0 - 0x1p-52) << rounding;
  }
}

TEST(Modes, ConversionScopeClearsAndRestoresTheExactWord) {
  const std::uint32_t before = probe::current_modes();
  probe::set_run_modes();
  const std::uint32_t run_word = probe::current_modes();
  EXPECT_TRUE(probe::run_modes_active());
  {
    probe::conversion_modes scope;
    EXPECT_FALSE(probe::run_modes_active());
    volatile double tiny = min_subnormal;
    EXPECT_NE(tiny * 1.0, 0.0);  // no denormals-are-zero inside the scope
  }
  EXPECT_EQ(probe::current_modes(), run_word);
  probe::restore_modes(before);
}

}  // namespace
