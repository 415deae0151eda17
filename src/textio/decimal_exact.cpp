// The exact path of decimal_digits: std::to_chars with a precision, which
// rounds the exact binary value once, ties to even, for every case.
//
// The one fact to know: the library classifies its argument with a
// floating-point comparison, so under denormals-are-zero it would print the
// smallest subnormal as 0. Every call of it runs inside a
// probe::conversion_modes scope, which clears the modes and restores them.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>

#include "probe/fp_env.h"
#include "textio/decimal_paths.h"

namespace ulpscope::textio::detail {
namespace {

// |magnitude| to n significant digits.
rounded_decimal round_significant(double magnitude, int n) {
  std::array<char, max_decimal_digits + 16> text;
  std::to_chars_result printed;
  {
    const probe::conversion_modes exact_subnormals;
    printed = std::to_chars(text.data(), text.data() + text.size(), magnitude, std::chars_format::scientific,
                            n - 1);
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

// |magnitude| < 10^-places: the rounding to `places` digits after the point
// is zero or 10^-places. Rare enough (a tiny band of magnitudes) to print the
// fixed form, at most a few hundred characters, and read its last digit.
rounded_decimal round_below_last_place(double magnitude, int places) {
  std::array<char, 340> text;
  std::to_chars_result printed;
  {
    const probe::conversion_modes exact_subnormals;
    printed = std::to_chars(text.data(), text.data() + text.size(), magnitude, std::chars_format::fixed, places);
  }
  rounded_decimal result;
  if (printed.ptr[-1] == '1') {
    result.count = 1;
    result.digits[0] = '1';
    result.exponent = 1 - places;
  }
  return result;
}

rounded_decimal round_after_point(double magnitude, int places, int max_significant) {
  const std::int64_t guess = decimal_exponent_guess(probe::double_bits(magnitude));
  // Step 1: E0 is guess or guess - 1, so |value| < 10^guess. Below
  // 10^(-places-1) it is under half a unit of the last place: zero. Below
  // 10^-places it rounds to zero or to one unit.
  if (guess + places < 0) return {};
  if (guess + places == 0) return round_below_last_place(magnitude, places);
  // Step 2: round for the larger guess; a large value goes straight to the cap.
  const int wanted = static_cast<int>(std::min<std::int64_t>(max_significant, guess + places));
  rounded_decimal result = round_significant(magnitude, wanted);
  // Step 3: an exponent one below the guess without a carry means E0 = guess - 1,
  // so one digit fewer was asked for (unless the cap decided). A carry to the
  // next power of ten gives the same value at either count.
  if (result.exponent == guess - 1 && wanted == guess + places) {
    if (wanted == 1) return round_below_last_place(magnitude, places);
    result = round_significant(magnitude, wanted - 1);
  }
  // Step 4: the digit count that ends at the last place (or the cap), after a
  // carry raised the exponent.
  const int count =
      static_cast<int>(std::min<std::int64_t>(max_significant, std::int64_t{result.exponent} + places));
  for (; result.count < count; ++result.count) result.digits[static_cast<std::size_t>(result.count)] = '0';
  return result;
}

}  // namespace

rounded_decimal round_exactly(double magnitude, const digit_request& request) {
  if (request.mode == digit_mode::significant) return round_significant(magnitude, request.n);
  return round_after_point(magnitude, request.n, request.max_significant);
}

}  // namespace ulpscope::textio::detail
