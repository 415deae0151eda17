// The fields of a binary64 value, read from its bits: the one place that knows
// where the sign, the biased exponent and the fraction field sit.
//
//   double_bits(1.0)    -> sign 0, biased exponent 1023, fraction field 0, normal
//   double_bits(-0.0)   -> sign 1, biased exponent 0, fraction field 0, zero
//   double_bits(5e-324) -> sign 0, biased exponent 0, fraction field 1, subnormal
//
// The one fact to know: nothing here compares or computes with doubles, so the
// answers hold whatever flush-to-zero and denormals-are-zero say. A subnormal
// is a subnormal here even where the run modes make it count as zero.
#pragma once

#include <bit>
#include <cstdint>

namespace ulpscope::probe {

enum class double_class : std::uint8_t { zero, subnormal, normal, infinity, not_a_number };

class double_bits {
 public:
  static constexpr int fraction_width = 52;
  static constexpr int max_biased_exponent = 0x7FF;  // infinities and NaNs
  static constexpr int exponent_bias = 1023;
  // A subnormal is fraction field * 2^-1074; a normal value is
  // (2^52 + fraction field) * 2^(biased exponent - 1075).
  static constexpr int subnormal_scale = -1074;

  constexpr explicit double_bits(double value) : bits_(std::bit_cast<std::uint64_t>(value)) {}
  // Requires: 0 <= biased_exponent <= 2047, fraction_field < 2^52.
  static constexpr double from_fields(bool negative, int biased_exponent, std::uint64_t fraction_field) {
    return std::bit_cast<double>((negative ? sign_mask : 0) |
                                 static_cast<std::uint64_t>(biased_exponent) << fraction_width |
                                 (fraction_field & fraction_mask));
  }

  constexpr std::uint64_t bits() const { return bits_; }
  constexpr bool negative() const { return (bits_ & sign_mask) != 0; }
  constexpr int biased_exponent() const { return static_cast<int>((bits_ & exponent_mask) >> fraction_width); }
  constexpr std::uint64_t fraction_field() const { return bits_ & fraction_mask; }

  constexpr double_class kind() const {
    const int biased = biased_exponent();
    if (biased == max_biased_exponent)
      return fraction_field() != 0 ? double_class::not_a_number : double_class::infinity;
    if (biased != 0) return double_class::normal;
    return fraction_field() != 0 ? double_class::subnormal : double_class::zero;
  }
  constexpr bool is_finite_nonzero() const {
    const double_class k = kind();
    return k == double_class::normal || k == double_class::subnormal;
  }

  // The value is significand() * 2^scale() for finite values: the hidden bit
  // joins the fraction field of a normal value.
  constexpr std::uint64_t significand() const {
    return biased_exponent() != 0 ? fraction_field() | hidden_bit : fraction_field();
  }
  constexpr int scale() const {
    return biased_exponent() != 0 ? biased_exponent() - exponent_bias - fraction_width : subnormal_scale;
  }

  constexpr double magnitude() const { return std::bit_cast<double>(bits_ & ~sign_mask); }
  // The same sign and fraction field under another biased exponent.
  constexpr double with_biased_exponent(int biased) const {
    return from_fields(negative(), biased, fraction_field());
  }
  // A NaN made quiet, sign and payload kept.
  constexpr double quieted() const { return std::bit_cast<double>(bits_ | quiet_bit); }

 private:
  static constexpr std::uint64_t sign_mask = std::uint64_t{1} << 63;
  static constexpr std::uint64_t exponent_mask = std::uint64_t{max_biased_exponent} << fraction_width;
  static constexpr std::uint64_t fraction_mask = (std::uint64_t{1} << fraction_width) - 1;
  static constexpr std::uint64_t hidden_bit = std::uint64_t{1} << fraction_width;
  static constexpr std::uint64_t quiet_bit = std::uint64_t{1} << (fraction_width - 1);

  std::uint64_t bits_;
};

}  // namespace ulpscope::probe
