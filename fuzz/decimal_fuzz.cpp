// Fuzz target for the conversion of doubles to text: decimal_digits in both
// modes, the scientific and general fields and the list number field, each
// checked against texts built from the exact big-integer reference.
//
// The input is a bit pattern (its first 8 bytes, little-endian) and then one
// byte per parameter, each mapped onto a range a little wider than the valid
// one so that the clamping is fuzzed too; missing bytes count as zero. The
// fields the tool itself uses are checked for every input. Everything runs
// under the run modes, as in the tool: subnormals must still convert exactly.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "exact_decimal.h"
#include "expected_fields.h"
#include "probe/double_bits.h"
#include "probe/fp_env.h"
#include "textio/decimal.h"
#include "textio/fields.h"
#include "textio/list.h"

namespace {

namespace textio = ulpscope::textio;
using test_support::exact_decimal;
using test_support::expected_digits;
using test_support::expected_general;
using test_support::expected_list;
using test_support::expected_scientific;

void require_equal(const std::string& got, const std::string& want, const char* what, std::uint64_t bits,
                   int a, int b) {
  if (got == want) return;
  std::fprintf(stderr, "decimal_fuzz: %s of bits 0x%016llx (%d, %d)\n  got  \"%s\"\n  want \"%s\"\n", what,
               static_cast<unsigned long long>(bits), a, b, got.c_str(), want.c_str());
  std::abort();
}

// The fuzzer's bytes as parameters: byte `index` after the bit pattern.
class parameters {
 public:
  parameters(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint64_t bits() const {
    std::uint64_t value = 0;
    std::memcpy(&value, data_, std::min<std::size_t>(size_, 8));
    return value;
  }
  int byte(std::size_t index) const { return 8 + index < size_ ? data_[8 + index] : 0; }
  // A value in [low, low + span).
  int in_range(std::size_t index, int low, int span) const { return low + byte(index) % span; }
  int wide(std::size_t index, int low, int span) const {
    return low + (byte(index) | byte(index + 1) << 8) % span;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// ---- decimal_digits --------------------------------------------------------

std::string shown(const textio::rounded_decimal& r) {
  if (r.is_zero()) return "zero e" + std::to_string(r.exponent);
  return std::string(r.negative ? "-" : "+") + "0." + std::string(r.digits.data(), static_cast<std::size_t>(r.count)) +
         "e" + std::to_string(r.exponent);
}

std::string shown(bool negative, const expected_digits& e) {
  if (e.zero) return "zero e0";
  return std::string(negative ? "-" : "+") + "0." + e.digits + "e" + std::to_string(e.exponent);
}

void check_decimal_digits(std::uint64_t bits, const parameters& p) {
  const double value = std::bit_cast<double>(bits);
  const exact_decimal exact = test_support::exact_value(value);
  const bool negative = bits >> 63 != 0;
  const int n = p.in_range(0, -8, textio::max_decimal_digits + 16);
  const int clamped_n = std::clamp(n, 1, textio::max_decimal_digits);
  require_equal(shown(textio::decimal_digits(value, textio::digit_mode::significant, n)),
                shown(negative, test_support::reference_significant(exact, clamped_n)), "significant digits", bits,
                n, 0);
  // Places reach past the smallest subnormal's last digit (1074).
  const int places = p.wide(1, -10, 1200);
  const int cap = p.in_range(3, -8, textio::max_decimal_digits + 16);
  require_equal(shown(textio::decimal_digits(value, textio::digit_mode::after_point, places, cap)),
                shown(negative, test_support::reference_after_point(exact, std::max(places, 0),
                                                                    std::clamp(cap, 1, textio::max_decimal_digits))),
                "digits after the point", bits, places, cap);
}

void check_fields(std::uint64_t bits, const parameters& p) {
  const double value = std::bit_cast<double>(bits);
  // The tool's own fields, then fuzzed widths and digits.
  require_equal(textio::scientific_field(value, 22, 15, 'D'), expected_scientific(value, 22, 15, 'D'),
                "scientific field", bits, 22, 15);
  require_equal(textio::general_field(value, 23, 16), expected_general(value, 23, 16), "general field", bits, 23, 16);
  require_equal(textio::general_field(value, 22, 15), expected_general(value, 22, 15), "general field", bits, 22, 15);
  require_equal(textio::format_list_double(value), expected_list(value), "list number field", bits, 0, 0);

  const int scientific_width = p.in_range(4, -2, 48);
  const int scientific_digits = p.in_range(5, -2, 40);
  const char letter = p.byte(6) % 2 == 0 ? 'D' : 'E';
  require_equal(textio::scientific_field(value, scientific_width, scientific_digits, letter),
                expected_scientific(value, scientific_width, scientific_digits, letter), "scientific field", bits,
                scientific_width, scientific_digits);
  const int general_width = p.in_range(7, -2, 48);
  const int general_digits = p.in_range(8, -2, 44);
  require_equal(textio::general_field(value, general_width, general_digits),
                expected_general(value, general_width, general_digits), "general field", bits, general_width,
                general_digits);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ulpscope::probe::set_run_modes();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const parameters p(data, size);
  const std::uint64_t bits = p.bits();
  if (ulpscope::probe::double_bits(std::bit_cast<double>(bits)).is_finite_nonzero()) check_decimal_digits(bits, p);
  check_fields(bits, p);
  if (!ulpscope::probe::run_modes_active()) {
    std::fprintf(stderr, "decimal_fuzz: a conversion left the run modes switched off\n");
    std::abort();
  }
  return 0;
}
