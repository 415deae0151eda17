// The 128-bit product of two 64-bit words, for the fast path of decimal_digits.
//
//   multiply(2^63, 4)          -> high 2, low 0
//   multiply(2^64 - 1, 2^64 - 1) -> high 2^64 - 2, low 1
//
// The one fact to know: 32-bit targets have no 128-bit integer type, so the
// product is two words, built from four 32-bit products where it must be.
#pragma once

#include <cstdint>

namespace ulpscope::textio::detail {

// A 128-bit unsigned number as two words.
struct two_words {
  std::uint64_t high;
  std::uint64_t low;

  friend bool operator==(const two_words&, const two_words&) = default;
  friend bool operator<(const two_words& a, const two_words& b) {
    return a.high != b.high ? a.high < b.high : a.low < b.low;
  }
};

inline two_words multiply(std::uint64_t a, std::uint64_t b) {
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
  return {a_high * b_high + (middle_one >> 32) + (middle_two >> 32), (middle_two << 32) | (low & 0xFFFFFFFFu)};
#endif
}

}  // namespace ulpscope::textio::detail
