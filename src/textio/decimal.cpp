// decimal_digits on top of std::to_chars with a precision, which rounds the
// exact binary value once with ties to even. That library call classifies its
// argument with a floating-point comparison, so under denormals-are-zero it
// would print the smallest subnormal as 0: every call below runs inside a
// probe::conversion_modes scope. Everything else here is integer arithmetic on
// the bits, so the processor modes cannot change it.
#include "textio/decimal.h"

#include <algorithm>
#include <bit>
#include <charconv>

#include "probe/fp_env.h"

namespace ulpscope::textio {
namespace {

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

// Step 1: one correctly rounded conversion of |value| to n significant digits.
rounded_decimal round_significant(double magnitude_value, int n) {
  std::array<char, max_decimal_digits + 16> text;
  std::to_chars_result printed;
  {
    const probe::conversion_modes exact_subnormals;
    printed = std::to_chars(text.data(), text.data() + text.size(), magnitude_value,
                            std::chars_format::scientific, n - 1);
  }
  // Step 2: "d.ddde+XX" (or "de+XX" for one digit) into digits and exponent.
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
  const rounded_decimal decision = decimal_digits(value, digit_mode::after_point, places, max_significant);
  const int e = decision.exponent;
  // Step 1: too small, too large, or nothing left of it.
  if (decision.is_zero() || e < -1 || e > digits) return {};
  // Step 2: the first d digits are nines and the next one carries them up.
  bool carries = decision.digit(digits) >= '5';
  for (int i = 0; i < digits && carries; ++i) carries = decision.digit(i) == '9';
  if (carries) return e < digits ? number_form{true, e + 1} : number_form{};
  // Step 3: below 0.1 the exponent form; otherwise e integer digits.
  if (e == -1) return {};
  return {true, e};
}

std::size_t write_exponent_text(double value, int after_point, char letter, exponent_style style, char* out) {
  const int shown = std::clamp(after_point, 0, max_decimal_digits - 1);
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

}  // namespace ulpscope::textio
