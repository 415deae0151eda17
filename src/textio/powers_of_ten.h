// Powers of ten to 128 bits for the fast path of decimal_digits, computed at
// compile time from exact big integers. Private to the fast path, textio/decimal_fast.cpp.
//
// The one fact to know: 10^k is kept truncated, so a product with it is at most
// one unit of its last bit low; 10^0..10^55 are exact.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace ulpscope::textio::detail {

// 10^k = (high:low + e) * 2^binary_exponent with 0 <= e < 2, the top bit of
// high set; e = 0 for 0 <= k <= 55, where 5^k fits in 128 bits.
struct power_of_ten {
  std::uint64_t high;
  std::uint64_t low;
  std::int32_t binary_exponent;
};

// The powers the fast path can ask for: n - E for n <= 18 and every decimal
// exponent E of a double (-323..309, one more after a guess).
constexpr int min_power = -310;
constexpr int max_power = 342;
constexpr int exact_powers = 55;

// A nonnegative integer of 32-bit limbs, least significant first, wide enough
// for 5^342 (795 bits) and for 2^1000 / 5^310 with its guard bits.
struct big_number {
  std::array<std::uint32_t, 32> limbs{};
};

constexpr int bit_length(const big_number& number) {
  for (int i = static_cast<int>(number.limbs.size()) - 1; i >= 0; --i) {
    if (number.limbs[static_cast<std::size_t>(i)] != 0)
      return 32 * i + static_cast<int>(std::bit_width(number.limbs[static_cast<std::size_t>(i)]));
  }
  return 0;
}

// The 32 bits of `number` from bit `position` up (bits below 0 are zeros).
constexpr std::uint64_t bits_at(const big_number& number, int position) {
  if (position <= -32) return 0;
  if (position < 0) return static_cast<std::uint32_t>(number.limbs[0] << -position);
  const auto limb = static_cast<std::size_t>(position / 32);
  const int offset = position % 32;
  std::uint64_t word = number.limbs[limb];
  if (limb + 1 < number.limbs.size()) word |= std::uint64_t{number.limbs[limb + 1]} << 32;
  return static_cast<std::uint32_t>(word >> offset);
}

// The top 128 bits of number * 2^scale, truncated.
constexpr power_of_ten top_bits(const big_number& number, int scale) {
  const int shift = bit_length(number) - 128;
  const auto word = [&](int i) { return bits_at(number, shift + 32 * i); };
  return {word(3) << 32 | word(2), word(1) << 32 | word(0), scale + shift};
}

constexpr void multiply_by_five(big_number& number) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : number.limbs) {
    const std::uint64_t product = std::uint64_t{limb} * 5 + carry;
    limb = static_cast<std::uint32_t>(product);
    carry = product >> 32;
  }
}

// Truncating: after j divisions the number is at most j below 2^W / 5^j, far
// under the guard bits, so its top 128 bits are at most one unit low.
constexpr void divide_by_five(big_number& number) {
  std::uint64_t remainder = 0;
  for (std::size_t i = number.limbs.size(); i-- > 0;) {
    const std::uint64_t part = remainder << 32 | number.limbs[i];
    number.limbs[i] = static_cast<std::uint32_t>(part / 5);
    remainder = part % 5;
  }
}

constexpr std::array<power_of_ten, max_power - min_power + 1> make_powers_of_ten() {
  std::array<power_of_ten, max_power - min_power + 1> powers{};
  // 10^k = 5^k * 2^k.
  big_number five_power;
  five_power.limbs[0] = 1;
  for (int k = 0; k <= max_power; ++k) {
    powers[static_cast<std::size_t>(k - min_power)] = top_bits(five_power, k);
    multiply_by_five(five_power);
  }
  // 10^-j = (2^W / 5^j) * 2^(-W-j).
  constexpr int reciprocal_scale = 1000;
  big_number reciprocal;
  reciprocal.limbs[reciprocal_scale / 32] = 1u << (reciprocal_scale % 32);
  for (int j = 1; j <= -min_power; ++j) {
    divide_by_five(reciprocal);
    powers[static_cast<std::size_t>(-j - min_power)] = top_bits(reciprocal, -reciprocal_scale - j);
  }
  return powers;
}

inline constexpr std::array<power_of_ten, max_power - min_power + 1> powers_of_ten = make_powers_of_ten();

// Requires: min_power <= k <= max_power.
constexpr const power_of_ten& power_entry(int k) {
  return powers_of_ten[static_cast<std::size_t>(k - min_power)];
}

// 1 = 2^127 * 2^-127, 10 = 0xA * 2^124 * 2^-124, 0.1 = 0x0.CCCC... truncated.
static_assert(power_entry(0).high == 1ull << 63 && power_entry(0).low == 0 &&
              power_entry(0).binary_exponent == -127);
static_assert(power_entry(1).high == 0xAull << 60 && power_entry(1).low == 0 &&
              power_entry(1).binary_exponent == -124);
static_assert(power_entry(-1).high == 0xCCCCCCCCCCCCCCCCull && power_entry(-1).low == 0xCCCCCCCCCCCCCCCCull &&
              power_entry(-1).binary_exponent == -131);

constexpr std::array<std::uint64_t, 20> make_integer_powers() {
  std::array<std::uint64_t, 20> powers{};
  std::uint64_t power = 1;
  for (std::uint64_t& entry : powers) {
    entry = power;
    power *= 10;
  }
  return powers;
}

inline constexpr std::array<std::uint64_t, 20> integer_powers = make_integer_powers();

}  // namespace ulpscope::textio::detail
