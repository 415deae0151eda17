// The fast path of decimal_digits: up to 18 digits from integer arithmetic on
// the bits and a power of ten kept to 128 bits.
//
// The significand times the power gives |v| * 10^k as an integer part and 64
// bits of fraction; the rounding is decided there when the product's error
// (none for the exact powers 10^0..10^55, a few units of the fraction word
// otherwise) cannot move it across the halfway point. A near-tie the error
// leaves open returns false, and the exact path decides it. Everything is
// integer arithmetic, so the processor's modes cannot change an answer.
#include <algorithm>
#include <bit>
#include <cstring>

#include "textio/decimal_paths.h"
#include "textio/powers_of_ten.h"
#include "textio/wide_multiply.h"

namespace ulpscope::textio::detail {
namespace {

constexpr int max_fast_digits = 18;

// |v| = significand * 2^scale, the significand's top bit set (subnormals too).
struct binary_parts {
  std::uint64_t significand;
  int scale;
};

binary_parts binary_parts_of(probe::double_bits value) {
  const int normalise = std::countl_zero(value.significand());
  return {value.significand() << normalise, value.scale() - normalise};
}

// |v| * 10^k: its integer part, the first 64 bits of its fraction, and what
// is known of the rest. With slack 0 the value is exact up to the bits after
// the fraction word, of which `sticky` tells whether any is set. Otherwise the
// power was rounded and the true value lies in [integer.fraction,
// integer.fraction + slack units of the fraction word).
struct scaled_value {
  std::uint64_t integer;
  std::uint64_t fraction;
  bool sticky;
  std::uint32_t slack;
  int k;
};

// Requires: |v| * 10^k < 10^18, so that the integer part fits 60 bits. False
// for a power outside the table.
bool scale_at(const binary_parts& parts, int k, scaled_value& out) {
  if (k < min_power || k > max_power) return false;
  const power_of_ten& power = power_entry(k);
  // Step 1: the 192-bit product w2:w1:w0 = significand * (high:low).
  const two_words low_product = multiply(parts.significand, power.low);
  const two_words high_product = multiply(parts.significand, power.high);
  const std::uint64_t w0 = low_product.low;
  const std::uint64_t w1 = low_product.high + high_product.low;
  const std::uint64_t w2 = high_product.high + (w1 < low_product.high ? 1 : 0);
  // Step 2: shifted so that the integer part is one word and 64 fraction bits
  // the next. The product is at least 2^190 and the
  // integer part below 2^60, so the shift is more than 66.
  const int shift = -(parts.scale + power.binary_exponent) - 64;
  if (shift < 64 || shift >= 192) return false;
  if (shift < 128) {
    const int inner = shift - 64;
    out.integer = w2 >> inner;
    out.fraction = inner == 0 ? w1 : (w1 >> inner | w2 << (64 - inner));
    out.sticky = w0 != 0 || (inner != 0 && (w1 << (64 - inner)) != 0);
  } else {
    const int inner = shift - 128;
    out.integer = 0;
    out.fraction = w2 >> inner;
    out.sticky = w0 != 0 || w1 != 0 || (inner != 0 && (w2 << (64 - inner)) != 0);
  }
  // A power at most 2 units low makes the product at most 2^65 low: under a
  // quarter unit of the fraction word, as the shift is more than 66. With the
  // bits after the word (under one unit) that is within 2 units.
  out.slack = k >= 0 && k <= exact_powers ? 0 : 2;
  out.k = k;
  return true;
}

// The same value times 10, without a second product. Requires: integer part
// below 10^17. The bits after the fraction word, times 10, can reach into it.
void times_ten(scaled_value& scaled) {
  const two_words fraction = multiply(scaled.fraction, 10);
  scaled.integer = scaled.integer * 10 + fraction.high;
  scaled.fraction = fraction.low;
  if (scaled.slack != 0 || scaled.sticky) scaled.slack = 10 * scaled.slack + 10;
  ++scaled.k;
}

// |v| * 10^k from `scaled` when it is that or a tenth of it, else anew.
bool rescale(const binary_parts& parts, int k, scaled_value& scaled) {
  if (scaled.k == k) return true;
  if (scaled.k + 1 == k) {
    times_ten(scaled);
    return true;
  }
  return scale_at(parts, k, scaled);
}

// The decimal exponent E0 of |v| from `scaled` = |v| * 10^(count - guess):
// guess - 1 when |v| lies below 10^(guess - 1), which shows as an integer part
// below 10^(count - 1). A rounded power can only make the integer part
// smaller, and that only for |v| within 2^-66 of a power of ten; the rounding
// at guess - 1 then carries to 10^(guess - 1), the same digits.
int decimal_exponent_of(const scaled_value& scaled, int guess, int count) {
  return scaled.integer < integer_powers[static_cast<std::size_t>(count - 1)] ? guess - 1 : guess;
}

// Rounds scaled / 10^j to an integer, to nearest with ties to even; false
// when the slack leaves the rounding open. Requires 0 <= j <= max_fast_digits.
bool round_scaled(const scaled_value& scaled, int j, std::uint64_t& rounded) {
  std::uint64_t quotient = scaled.integer;
  std::uint64_t remainder = 0;
  if (j > 0) {
    // The constant divisors of the usual cases compile to multiplications.
    const std::uint64_t unit = integer_powers[static_cast<std::size_t>(j)];
    quotient = j == 1 ? scaled.integer / 10 : j == 2 ? scaled.integer / 100 : scaled.integer / unit;
    remainder = scaled.integer - quotient * unit;
  }
  // The part below one unit of the result, in 2^-64 of the scaled value's
  // unit, against half a unit (10^j * 2^63), and the most the slack adds to it.
  const two_words below{remainder, scaled.fraction};
  const std::uint64_t unit = integer_powers[static_cast<std::size_t>(j)];
  const two_words half{unit >> 1, (unit & 1) << 63};
  const std::uint64_t slack_low = scaled.fraction + scaled.slack;
  const two_words most{remainder + (slack_low < scaled.fraction ? 1 : 0), slack_low};
  bool up = false;
  if (scaled.slack == 0) {
    up = below != half ? half < below : scaled.sticky || (quotient & 1) != 0;  // an exact tie: to even
  } else if (half < below || (below == half && scaled.sticky)) {
    up = true;
  } else if (half < most) {
    return false;
  }
  rounded = quotient + (up ? 1 : 0);
  return true;
}

// A rounding of the fast path: |v| rounded to `count` digits is
// digits * 10^(exponent - count), with 10^(count-1) <= digits < 10^count.
struct fast_rounding {
  std::uint64_t digits;
  int count;
  int exponent;
};

// `rounded` digits at `exponent`. A carry to 10^count raises the exponent and
// gives 10^(count-1); with `grow` (an after_point rounding below its cap) the
// count grows by one instead, a trailing zero.
fast_rounding settle(std::uint64_t rounded, int count, int exponent, bool grow) {
  if (rounded != integer_powers[static_cast<std::size_t>(count)]) return {rounded, count, exponent};
  if (grow) return {rounded, count + 1, exponent + 1};
  return {integer_powers[static_cast<std::size_t>(count - 1)], count, exponent + 1};
}

// |v| * 10^(count - E0) with E0, the decimal exponent of |v|, for an
// after_point rounding (count = min(cap, E0 + places)) or, with places
// `significant`, for a fixed count.
struct fast_start {
  binary_parts parts;
  scaled_value scaled;
  int exponent;
  int count;
};

constexpr int fixed_count = -1;  // `places` that asks for exactly `max_significant` digits

// E0 comes first, from as many digits as the fast path takes, since the count
// depends on it. False when the fast path cannot take the rounding.
bool start_fast(probe::double_bits magnitude, int places, int max_significant, fast_start& start) {
  start.parts = binary_parts_of(magnitude);
  const int guess = decimal_exponent_guess(magnitude);
  // 64-bit sums: `places` may be any nonnegative int.
  const auto wanted = [&](int exponent) {
    if (places == fixed_count) return static_cast<std::int64_t>(max_significant);
    return std::min<std::int64_t>(max_significant, std::int64_t{exponent} + places);
  };
  const auto probe_count = static_cast<int>(std::min<std::int64_t>(wanted(guess), max_fast_digits));
  if (probe_count < 1 || !scale_at(start.parts, probe_count - guess, start.scaled)) return false;
  start.exponent = decimal_exponent_of(start.scaled, guess, probe_count);
  const std::int64_t count = wanted(start.exponent);
  if (count < 1 || count > max_fast_digits) return false;
  start.count = static_cast<int>(count);
  return rescale(start.parts, start.count - start.exponent, start.scaled);
}

constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The four digits of `value` (below 10^4), in 32-bit arithmetic.
void write_four_digits(std::uint32_t value, char* out) {
  const std::uint32_t high = value * 5243 >> 19;  // value / 100 for value < 43699
  std::memcpy(out, digit_pairs + 2 * high, 2);
  std::memcpy(out + 2, digit_pairs + 2 * (value - 100 * high), 2);
}

// Writes the last `count` decimal digits of `value`, leading zeros included:
// eight at a time in 32-bit arithmetic, then pairs.
void write_digits(std::uint64_t value, int count, char* out) {
  char* at = out + count;
  for (; count >= 8; count -= 8) {
    const auto eight = static_cast<std::uint32_t>(value % 100000000);
    value /= 100000000;
    at -= 8;
    write_four_digits(eight / 10000, at);
    write_four_digits(eight % 10000, at + 4);
  }
  auto rest = static_cast<std::uint32_t>(value);
  for (; count >= 2; count -= 2) {
    at -= 2;
    std::memcpy(at, digit_pairs + 2 * (rest % 100), 2);
    rest /= 100;
  }
  if (count == 1) *--at = static_cast<char>('0' + rest % 10);
}


// Requires: 1 <= count <= max_fast_digits for the request's count.
bool start_request(double magnitude, const digit_request& request, fast_start& start) {
  const bool significant = request.mode == digit_mode::significant;
  if (significant && request.n > max_fast_digits) return false;
  return start_fast(probe::double_bits(magnitude), significant ? fixed_count : request.n,
                    significant ? request.n : request.max_significant, start);
}

}  // namespace

bool round_fast(double magnitude, const digit_request& request, rounded_decimal& out) {
  fast_start start{};
  std::uint64_t rounded = 0;
  if (!start_request(magnitude, request, start) || !round_scaled(start.scaled, 0, rounded)) return false;
  // An after_point rounding below its cap that carries gains a trailing zero.
  const bool grow = request.mode == digit_mode::after_point && start.count < request.max_significant;
  const fast_rounding settled = settle(rounded, start.count, start.exponent, grow);
  write_digits(settled.digits, settled.count, out.digits.data());
  out.count = settled.count;
  out.exponent = settled.exponent;
  return true;
}

}  // namespace ulpscope::textio::detail
