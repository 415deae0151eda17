// Bit-level decomposition of binary64 and the probe arithmetic of one x.
//
// Decomposition and ulp read and build the fields of the bits (double_bits.h),
// so the run modes cannot change them; the probes are plain double operations
// and run under the modes, which is what the tool studies.
#include "probe/probe.h"

#include "probe/double_bits.h"

#include <cmath>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ULPSCOPE_HAVE_SSE2 1
#endif

namespace ulpscope::probe {
namespace {

constexpr int fraction_biased_exponent = 1022;  // puts |fraction| in [0.5, 1)

}  // namespace

std::int32_t exponent(double x) noexcept {
  const double_bits fields(x);
  return fields.kind() == double_class::normal ? fields.biased_exponent() - fraction_biased_exponent : 0;
}

double fraction(double x) noexcept {
  const double_bits fields(x);
  switch (fields.kind()) {
    case double_class::normal: return fields.with_biased_exponent(fraction_biased_exponent);
    case double_class::not_a_number: return fields.quieted();
    default: return x;
  }
}

double ULP(double x) noexcept {
  // Step 1: n = exponent(x) - 53 lies in -1074..971, since exponent(x) >= -1021.
  const int n = exponent(x) - 53;
  // Step 2: 2^n as bits: a normal power, a subnormal power, or (below -1074) zero.
  if (n >= 1 - double_bits::exponent_bias)
    return double_bits::from_fields(false, n + double_bits::exponent_bias, 0);
  if (n >= double_bits::subnormal_scale)
    return double_bits::from_fields(false, 0, std::uint64_t{1} << (n - double_bits::subnormal_scale));
  return 0.0;
}

probes make_probes(double x, double u) noexcept {
  const double h = u * 0.5;
  const double q = u * 0.25;
  return {u + x, h + x, q + x};
}

ordering compare(double probe, double x) noexcept {
  if (probe == x) return ordering::equal;
  if (probe > x) return ordering::greater;
  if (probe < x) return ordering::less;
  return ordering::unordered;
}

std::int32_t digit_count(std::int32_t n) noexcept {
  if (n == 0) return 1;
  // |n| rounded to single precision (rounding to nearest is symmetric), from
  // a 32-bit conversion: 32-bit x86 converts a 64-bit integer on the x87 unit.
  const float magnitude = std::fabs(static_cast<float>(n));
  const float digits = std::log10(magnitude) + 1.0f;
  return static_cast<std::int32_t>(digits) + (n < 0 ? 1 : 0);
}

std::int32_t truncate_to_int32(double q) noexcept {
#ifdef ULPSCOPE_HAVE_SSE2
  return _mm_cvttsd_si32(_mm_set_sd(q));
#else
  // The processor's answer for values a plain cast may not take.
  if (!(q > -2147483649.0 && q < 2147483648.0)) return INT32_MIN;
  return static_cast<std::int32_t>(q);
#endif
}

}  // namespace ulpscope::probe
