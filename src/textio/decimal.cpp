// decimal_digits: an exact fast path for up to 18 digits on 128-bit powers of
// ten, and std::to_chars with a precision for every case it leaves open.
//
// The fast path multiplies the significand by a power of ten kept to 128 bits
// and answers only when the product decides the rounding beyond its error (the
// powers 10^0..10^55 are exact and have none); a near-tie goes to the library
// call, which rounds the exact binary value once with ties to even. That call
// classifies its argument with a floating-point comparison, so under
// denormals-are-zero it would print the smallest subnormal as 0: every call of
// it runs inside a probe::conversion_modes scope. Everything else here is
// integer arithmetic on the bits, so the processor modes cannot change it.
#include "textio/decimal.h"
#include "textio/powers_of_ten.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

#include "probe/fp_env.h"

namespace ulpscope::textio {
namespace {

using namespace detail;

constexpr std::uint64_t sign_bit = 1ull << 63;
constexpr std::uint64_t fraction_bits = (1ull << 52) - 1;

double magnitude(double value) {
  return std::bit_cast<double>(std::bit_cast<std::uint64_t>(value) & ~sign_bit);
}

// The binary exponent b with 2^(b-1) <= |value| < 2^b, from the bits.
int binary_exponent(double value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased != 0) return biased - 1022;
  return static_cast<int>(std::bit_width(bits & fraction_bits)) - 1074;
}

// The decimal exponent E0 of the unrounded value (10^(E0-1) <= |value| < 10^E0)
// is this guess or one less: floor(b * log10 2) + 1, exact for |b| <= 1100.
int decimal_exponent_guess(double value) { return ((binary_exponent(value) * 78913) >> 18) + 1; }

// ---- The fast path -----------------------------------------------------------

constexpr int max_fast_digits = 18;

// A 128-bit unsigned number as two words, so that 32-bit targets, which have
// no 128-bit type, build the same code.
struct two_words {
  std::uint64_t high;
  std::uint64_t low;

  friend bool operator==(const two_words&, const two_words&) = default;
  friend bool operator<(const two_words& a, const two_words& b) {
    return a.high != b.high ? a.high < b.high : a.low < b.low;
  }
};

two_words multiply(std::uint64_t a, std::uint64_t b) {
#ifdef __SIZEOF_INT128__
  __extension__ typedef unsigned __int128 product_type;
  const product_type product = static_cast<product_type>(a) * b;
  return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
  // Four 32-bit products; none of the sums below can carry out of 64 bits.
  const std::uint64_t a_low = a & 0xFFFFFFFFu, a_high = a >> 32;
  const std::uint64_t b_low = b & 0xFFFFFFFFu, b_high = b >> 32;
  const std::uint64_t low = a_low * b_low;
  const std::uint64_t middle_one = a_high * b_low + (low >> 32);
  const std::uint64_t middle_two = a_low * b_high + (middle_one & 0xFFFFFFFFu);
  return {a_high * b_high + (middle_one >> 32) + (middle_two >> 32),
          (middle_two << 32) | (low & 0xFFFFFFFFu)};
#endif
}

// |v| = significand * 2^scale, the significand's top bit set (subnormals too).
struct binary_parts {
  std::uint64_t significand;
  int scale;
};

binary_parts binary_parts_of(double magnitude_value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude_value);
  const int biased = static_cast<int>(bits >> 52);
  std::uint64_t significand = bits & fraction_bits;
  int scale = -1074;
  if (biased != 0) {
    significand |= 1ull << 52;
    scale = biased - 1075;
  }
  const int normalise = std::countl_zero(significand);
  return {significand << normalise, scale - normalise};
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
  // Step 2: shifted so that the integer part is the high word of `window` and
  // 64 fraction bits its low word. The product is at least 2^190 and the
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
bool start_fast(double magnitude_value, int places, int max_significant, fast_start& start) {
  start.parts = binary_parts_of(magnitude_value);
  const int guess = decimal_exponent_guess(magnitude_value);
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

// Requires: 1 <= n <= max_fast_digits.
bool round_significant_fast(double magnitude_value, int n, fast_rounding& result) {
  fast_start start{};
  std::uint64_t rounded = 0;
  if (!start_fast(magnitude_value, fixed_count, n, start) || !round_scaled(start.scaled, 0, rounded))
    return false;
  result = settle(rounded, n, start.exponent, false);
  return true;
}

bool round_after_point_fast(double magnitude_value, int places, int max_significant, fast_rounding& result) {
  fast_start start{};
  std::uint64_t rounded = 0;
  if (!start_fast(magnitude_value, places, max_significant, start) || !round_scaled(start.scaled, 0, rounded))
    return false;
  result = settle(rounded, start.count, start.exponent, start.count < max_significant);
  return true;
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

char* write_exponent(int exponent, char letter, exponent_style style, char* out) {
  const int magnitude_exponent = exponent < 0 ? -exponent : exponent;
  const bool three_digits = style == exponent_style::letter_then_three_digits || magnitude_exponent >= 100;
  if (style == exponent_style::letter_then_three_digits || magnitude_exponent <= 99) *out++ = letter;
  *out++ = exponent < 0 ? '-' : '+';
  if (three_digits) *out++ = static_cast<char>('0' + magnitude_exponent / 100);
  *out++ = static_cast<char>('0' + magnitude_exponent / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude_exponent % 10);
  return out;
}

// [-]d.ddd<exponent> of a rounding to significant digits.
char* put_exponent_text(const fast_rounding& rounding, bool negative, char letter, exponent_style style,
                        char* out) {
  if (negative) *out++ = '-';
  // d1 one place to the left of its digits, then the point between them.
  write_digits(rounding.digits, rounding.count, out + 1);
  out[0] = out[1];
  out[1] = '.';
  return write_exponent(rounding.exponent - 1, letter, style, out + rounding.count + 1);
}

// [-]iii.fff of an after_point rounding without a cap, whose last digit is the
// last place: `exponent` integer digits, or zeros after the point before the
// first digit.
char* put_positional_text(const fast_rounding& rounding, bool negative, bool leading_zero, char* out) {
  if (negative) *out++ = '-';
  if (rounding.exponent <= 0) {
    if (leading_zero) *out++ = '0';
    *out++ = '.';
    out = std::fill_n(out, -rounding.exponent, '0');
    write_digits(rounding.digits, rounding.count, out);
    return out + rounding.count;
  }
  write_digits(rounding.digits, rounding.count, out + 1);
  std::memmove(out, out + 1, static_cast<std::size_t>(rounding.exponent));
  out[rounding.exponent] = '.';
  return out + rounding.count + 1;
}

// The form from the decision digits (steps 1 to 3 of choose_number_form).
// `leading` is the number of the first digits + 1 decision digits, `count`
// how many of them there are (fewer when the rounding had fewer digits; the
// missing ones are zeros).
number_form form_from_decision(int e, int digits, std::uint64_t leading, int count) {
  if (e < -1 || e > digits) return {};
  const bool carries =
      count == digits + 1 && leading >= integer_powers[static_cast<std::size_t>(digits + 1)] - 5;
  if (carries) return e < digits ? number_form{true, e + 1} : number_form{};
  if (e == -1) return {};
  return {true, e};
}

number_form form_of(const fast_rounding& decision, int digits) {
  const int dropped = std::max(decision.count - (digits + 1), 0);
  return form_from_decision(decision.exponent, digits,
                            decision.digits / integer_powers[static_cast<std::size_t>(dropped)],
                            std::min(decision.count, digits + 1));
}

// write_number_text in one product where it can: the decision digits and the
// digits shown are roundings of the same |v| * 10^k at two places. False
// when the fast path cannot take it.
bool write_number_text_fast(double value, int digits, int places, int max_significant, char letter,
                            exponent_style style, number_text& result, char* out) {
  if (digits < 0 || digits >= max_fast_digits) return false;
  fast_start start{};
  std::uint64_t rounded = 0;
  if (!start_fast(magnitude(value), places, max_significant, start) ||
      !round_scaled(start.scaled, 0, rounded))
    return false;
  result.form = form_of(settle(rounded, start.count, start.exponent, start.count < max_significant), digits);
  // The digits shown: digits - k places, or digits + 1 significant digits.
  const int shown_count =
      result.form.positional ? start.exponent + digits - result.form.integer_digits : digits + 1;
  if (shown_count < 1 || shown_count > max_fast_digits) return false;
  const int shown_power = shown_count - start.exponent;
  const int coarser = start.scaled.k - shown_power;
  if (coarser < 0 || coarser > max_fast_digits) {
    if (!rescale(start.parts, shown_power, start.scaled) || !round_scaled(start.scaled, 0, rounded))
      return false;
  } else if (!round_scaled(start.scaled, coarser, rounded)) {
    return false;
  }
  const fast_rounding shown = settle(rounded, shown_count, start.exponent, result.form.positional);
  const char* end = result.form.positional
                        ? put_positional_text(shown, sign_bit_set(value), true, out)
                        : put_exponent_text(shown, sign_bit_set(value), letter, style, out);
  result.length = static_cast<std::size_t>(end - out);
  return true;
}

// ---- The exact library path -----------------------------------------------

// One correctly rounded conversion of |value| to n significant digits.
rounded_decimal round_significant_exactly(double magnitude_value, int n) {
  std::array<char, max_decimal_digits + 16> text;
  std::to_chars_result printed;
  {
    const probe::conversion_modes exact_subnormals;
    printed = std::to_chars(text.data(), text.data() + text.size(), magnitude_value,
                            std::chars_format::scientific, n - 1);
  }
  // "d.ddde+XX" (or "de+XX" for one digit) into digits and exponent.
  rounded_decimal result;
  const char* at = text.data();
  for (; *at != 'e'; ++at) {
    if (*at != '.') result.digits[static_cast<std::size_t>(result.count++)] = *at;
  }
  ++at;  // 'e'
  const bool negative_exponent = *at++ == '-';
  int exponent = 0;
  std::from_chars(at, printed.ptr, exponent);
  result.exponent = (negative_exponent ? -exponent : exponent) + 1;
  return result;
}

rounded_decimal as_rounded_decimal(const fast_rounding& fast) {
  rounded_decimal result;
  write_digits(fast.digits, fast.count, result.digits.data());
  result.count = fast.count;
  result.exponent = fast.exponent;
  return result;
}

rounded_decimal round_significant(double magnitude_value, int n) {
  fast_rounding fast{};
  if (n <= max_fast_digits && round_significant_fast(magnitude_value, n, fast))
    return as_rounded_decimal(fast);
  return round_significant_exactly(magnitude_value, n);
}

// |value| < 10^-places: the rounding to `places` digits after the point is
// zero or 10^-places. Rare enough (a tiny band of magnitudes) to print the
// fixed form, at most a few hundred characters, and read its last digit.
rounded_decimal round_below_last_place(double magnitude_value, int places) {
  std::array<char, 340> text;
  std::to_chars_result printed;
  {
    const probe::conversion_modes exact_subnormals;
    printed = std::to_chars(text.data(), text.data() + text.size(), magnitude_value, std::chars_format::fixed,
                            places);
  }
  rounded_decimal result;
  if (printed.ptr[-1] == '1') {
    result.count = 1;
    result.digits[0] = '1';
    result.exponent = 1 - places;
  }
  return result;
}

rounded_decimal round_after_point(double magnitude_value, int places, int max_significant) {
  const std::int64_t guess = decimal_exponent_guess(magnitude_value);
  // Step 1: E0 is guess or guess - 1, so |value| < 10^guess. Below 10^(-places-1)
  // it is under half a unit of the last place: zero. Below 10^-places it
  // rounds to zero or to one unit.
  if (guess + places < 0) return {};
  if (guess + places == 0) return round_below_last_place(magnitude_value, places);
  fast_rounding fast{};
  if (round_after_point_fast(magnitude_value, places, max_significant, fast)) return as_rounded_decimal(fast);
  // Step 2: round for the larger guess; a large value goes straight to the cap.
  const int wanted = static_cast<int>(std::min<std::int64_t>(max_significant, guess + places));
  rounded_decimal result = round_significant(magnitude_value, wanted);
  // Step 3: an exponent one below the guess without a carry means E0 = guess - 1,
  // so one digit fewer was asked for (unless the cap decided). A carry to the
  // next power of ten gives the same value at either count.
  if (result.exponent == guess - 1 && wanted == guess + places) {
    if (wanted == 1) return round_below_last_place(magnitude_value, places);
    result = round_significant(magnitude_value, wanted - 1);
  }
  // Step 4: the digit count that ends at the last place (or the cap), after a
  // carry raised the exponent.
  const int count =
      static_cast<int>(std::min<std::int64_t>(max_significant, std::int64_t{result.exponent} + places));
  for (; result.count < count; ++result.count) result.digits[static_cast<std::size_t>(result.count)] = '0';
  return result;
}

}  // namespace

double_class classify_double(double value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const std::uint64_t biased_exponent = (bits >> 52) & 0x7FF;
  const std::uint64_t fraction = bits & fraction_bits;
  if (biased_exponent == 0x7FF) return fraction != 0 ? double_class::not_a_number : double_class::infinity;
  if (biased_exponent == 0 && fraction == 0) return double_class::zero;
  return double_class::finite;
}

bool sign_bit_set(double value) { return (std::bit_cast<std::uint64_t>(value) & sign_bit) != 0; }

rounded_decimal decimal_digits(double value, digit_mode mode, int n, int max_significant) {
  const double magnitude_value = magnitude(value);
  rounded_decimal result;
  if (mode == digit_mode::significant) {
    result = round_significant(magnitude_value, std::clamp(n, 1, max_decimal_digits));
  } else {
    result = round_after_point(magnitude_value, std::max(n, 0),
                               std::clamp(max_significant, 1, max_decimal_digits));
  }
  result.negative = sign_bit_set(value);
  return result;
}

number_form choose_number_form(double value, int digits, int places, int max_significant) {
  fast_rounding fast{};
  const int cap = std::clamp(max_significant, 1, max_decimal_digits);
  if (digits >= 0 && digits < max_fast_digits &&
      round_after_point_fast(magnitude(value), std::max(places, 0), cap, fast))
    return form_of(fast, digits);
  const rounded_decimal decision = decimal_digits(value, digit_mode::after_point, places, max_significant);
  // Step 1: too small, too large, or nothing left of it.
  if (decision.is_zero() || decision.exponent < -1 || decision.exponent > digits) return {};
  // Step 2: the first d digits are nines and the next one carries them up.
  bool carries = decision.digit(digits) >= '5';
  for (int i = 0; i < digits && carries; ++i) carries = decision.digit(i) == '9';
  if (carries) return decision.exponent < digits ? number_form{true, decision.exponent + 1} : number_form{};
  // Step 3: below 0.1 the exponent form; otherwise e integer digits.
  if (decision.exponent == -1) return {};
  return {true, decision.exponent};
}

std::size_t write_exponent_text(double value, int after_point, char letter, exponent_style style, char* out) {
  const int shown = std::clamp(after_point, 0, max_decimal_digits - 1);
  fast_rounding fast{};
  if (shown < max_fast_digits && round_significant_fast(magnitude(value), shown + 1, fast))
    return static_cast<std::size_t>(put_exponent_text(fast, sign_bit_set(value), letter, style, out) - out);
  const rounded_decimal rounded = decimal_digits(value, digit_mode::significant, shown + 1);
  char* at = out;
  if (rounded.negative) *at++ = '-';
  *at++ = rounded.digit(0);
  *at++ = '.';
  for (int i = 1; i <= shown; ++i) *at++ = rounded.digit(i);
  at = write_exponent(rounded.exponent - 1, letter, style, at);
  return static_cast<std::size_t>(at - out);
}

std::size_t write_positional_text(double value, int places, bool leading_zero, char* out) {
  const int shown = std::clamp(places, 0, max_decimal_digits - 1);
  fast_rounding fast{};
  if (round_after_point_fast(magnitude(value), shown, max_decimal_digits, fast))
    return static_cast<std::size_t>(put_positional_text(fast, sign_bit_set(value), leading_zero, out) - out);
  const rounded_decimal rounded = decimal_digits(value, digit_mode::after_point, shown);
  // The integer digits must all be real digits, not the zeros past the cap.
  if (rounded.exponent + shown > max_decimal_digits) return 0;
  char* at = out;
  if (rounded.negative) *at++ = '-';
  if (rounded.exponent <= 0) {
    if (leading_zero) *at++ = '0';
  } else {
    for (int i = 0; i < rounded.exponent; ++i) *at++ = rounded.digit(i);
  }
  *at++ = '.';
  // Digit i stands for 10^(exponent - 1 - i); the j-th place after the point is
  // digit exponent + j - 1 (a zero when that index is negative).
  for (int j = 1; j <= shown; ++j) *at++ = rounded.digit(rounded.exponent + j - 1);
  return static_cast<std::size_t>(at - out);
}

number_text write_number_text(double value, int digits, int places, int max_significant, char letter,
                              exponent_style style, char* out) {
  const int shown_places = std::max(places, 0);
  const int cap = std::clamp(max_significant, 1, max_decimal_digits);
  number_text result{};
  if (write_number_text_fast(value, digits, shown_places, cap, letter, style, result, out)) return result;
  result.form = choose_number_form(value, digits, places, max_significant);
  result.length = result.form.positional
                      ? write_positional_text(value, digits - result.form.integer_digits, true, out)
                      : write_exponent_text(value, digits, letter, style, out);
  return result;
}

}  // namespace ulpscope::textio
