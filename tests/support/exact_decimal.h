// The exact decimal value of a double and its correct rounding, for tests and
// fuzzers of the conversions: slow, simple and independent of them.
//
// Every double is m * 2^q, whose decimal value N * 10^s (N = m * 2^q, or
// m * 5^-q when q < 0) is finite, so a big-integer expansion rounded by hand
// (half to even) decides every case. Only integer arithmetic is used, so the
// processor's floating-point modes cannot change an answer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "probe/double_bits.h"

namespace test_support {

// value = 0.digits x 10^exponent, digits without leading or trailing zeros.
struct exact_decimal {
  std::string digits;
  int exponent = 0;
};

// A rounding of an exact decimal: 0.digits x 10^exponent, or zero.
struct expected_digits {
  bool zero = false;
  std::string digits;
  int exponent = 0;
};

namespace detail {

// Base 10^9 limbs, least significant first.
using big_number = std::vector<std::uint64_t>;

inline void multiply(big_number& number, std::uint64_t factor) {
  std::uint64_t carry = 0;
  for (std::uint64_t& limb : number) {
    const std::uint64_t product = limb * factor + carry;
    limb = product % 1000000000u;
    carry = product / 1000000000u;
  }
  for (; carry != 0; carry /= 1000000000u) number.push_back(carry % 1000000000u);
}

// Requires: base^chunk < 2^32, so that a limb times the factor fits 64 bits.
inline void multiply_by_power(big_number& number, std::uint64_t base, int power, int chunk) {
  std::uint64_t chunk_factor = 1;
  for (int i = 0; i < chunk; ++i) chunk_factor *= base;
  for (; power >= chunk; power -= chunk) multiply(number, chunk_factor);
  for (; power > 0; --power) multiply(number, base);
}

}  // namespace detail

// significand * 2^q exactly. Requires: significand nonzero.
inline exact_decimal exact_product(std::uint64_t significand, int q) {
  detail::big_number number{significand % 1000000000u, significand / 1000000000u % 1000000000u,
                            significand / 1000000000u / 1000000000u};
  if (q >= 0) {
    detail::multiply_by_power(number, 2, q, 29);
  } else {
    detail::multiply_by_power(number, 5, -q, 12);
  }
  while (number.size() > 1 && number.back() == 0) number.pop_back();
  std::string digits = std::to_string(number.back());
  for (std::size_t i = number.size() - 1; i-- > 0;) {
    const std::string limb = std::to_string(number[i]);
    digits += std::string(9 - limb.size(), '0') + limb;
  }
  exact_decimal result{digits, static_cast<int>(digits.size()) + (q >= 0 ? 0 : q)};
  result.digits.erase(result.digits.find_last_not_of('0') + 1);
  return result;
}

// Requires: value finite and nonzero (the sign is ignored).
inline exact_decimal exact_value(double value) {
  const ulpscope::probe::double_bits fields(value);
  return exact_product(fields.significand(), fields.scale());
}

// The exact value rounded to `count` significant digits (count <= 0: to the
// place 10^(exponent - count)), half to even.
inline expected_digits round_exact(const exact_decimal& exact, int count) {
  if (count < 0) return {true, "", 0};
  const auto kept_size = static_cast<std::size_t>(count);
  std::string kept = exact.digits.substr(0, std::min(exact.digits.size(), kept_size));
  kept.resize(kept_size, '0');
  const std::string rest = kept_size < exact.digits.size() ? exact.digits.substr(kept_size) : "";
  bool up = false;
  if (!rest.empty()) {
    const bool beyond_half = rest.find_first_not_of('0', 1) != std::string::npos;
    const bool last_odd = !kept.empty() && (kept.back() - '0') % 2 == 1;
    up = rest[0] > '5' || (rest[0] == '5' && (beyond_half || last_odd));
  }
  int exponent = exact.exponent;
  if (up) {
    int i = count - 1;
    for (; i >= 0 && kept[static_cast<std::size_t>(i)] == '9'; --i) kept[static_cast<std::size_t>(i)] = '0';
    if (i >= 0) {
      ++kept[static_cast<std::size_t>(i)];
    } else {
      // Every kept digit was 9 and is now 0: the digits become 1 0...0 and the
      // exponent grows by one.
      if (kept.empty())
        kept.push_back('1');
      else
        kept.front() = '1';
      ++exponent;
    }
  }
  if (kept.empty() || kept.find_first_not_of('0') == std::string::npos) return {true, "", 0};
  return {false, kept, exponent};
}

inline expected_digits reference_significant(const exact_decimal& exact, int n) { return round_exact(exact, n); }

// Rounded to `places` digits after the point, at most `cap` significant ones;
// a nonzero result has exactly min(cap, exponent + places) digits.
inline expected_digits reference_after_point(const exact_decimal& exact, int places, int cap) {
  expected_digits rounded = round_exact(exact, std::min(cap, exact.exponent + places));
  if (rounded.zero) return rounded;
  // The count that ends at the last place (or the cap), after any carry.
  rounded.digits.resize(static_cast<std::size_t>(std::min(cap, rounded.exponent + places)), '0');
  return rounded;
}

}  // namespace test_support
