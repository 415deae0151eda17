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
#include "probe/fp_env.h"
#include "textio/decimal.h"
#include "textio/format.h"
#include "textio/list.h"

namespace {

namespace textio = ulpscope::textio;
using test_support::exact_decimal;
using test_support::expected_digits;

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

// ---- Texts built from the reference ----------------------------------------

std::string right_aligned(const std::string& text, int width) {
  if (width <= 0) return "";
  const auto columns = static_cast<std::size_t>(width);
  return text.size() > columns ? std::string(columns, '*') : std::string(columns - text.size(), ' ') + text;
}

std::string left_aligned(const std::string& text, int width) {
  if (width <= 0) return "";
  const auto columns = static_cast<std::size_t>(width);
  return text.size() > columns ? std::string(columns, '*') : text + std::string(columns - text.size(), ' ');
}

char digit_at(const expected_digits& rounded, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < rounded.digits.size()
             ? rounded.digits[static_cast<std::size_t>(index)]
             : '0';
}

std::string two_or_three_digits(int magnitude, bool three) {
  std::string text = three ? std::to_string(magnitude / 100) : "";
  return text + static_cast<char>('0' + magnitude / 10 % 10) + static_cast<char>('0' + magnitude % 10);
}

// [-]d.ddd then the exponent: the letter, a sign and two digits, but from
// |X| = 100 on a sign and three digits without the letter; or, with
// `three_always`, the letter, a sign and three digits.
std::string exponent_text(const exact_decimal& exact, bool negative, int after_point, char letter,
                          bool three_always) {
  const expected_digits rounded = test_support::reference_significant(exact, after_point + 1);
  std::string text = negative ? "-" : "";
  text += digit_at(rounded, 0);
  text += '.';
  text += rounded.digits.substr(1);
  const int x = rounded.exponent - 1;
  const int magnitude = x < 0 ? -x : x;
  if (three_always || magnitude <= 99) text += letter;
  text += x < 0 ? '-' : '+';
  return text + two_or_three_digits(magnitude, three_always || magnitude >= 100);
}

// [-]iii.fff rounded to `places` digits after the point; empty when the
// integer part has digits beyond the 80 a conversion gives.
std::string positional_text(const exact_decimal& exact, bool negative, int places, bool leading_zero) {
  const expected_digits rounded =
      test_support::reference_after_point(exact, places, textio::max_decimal_digits);
  const int e = rounded.zero ? 0 : rounded.exponent;
  if (e + places > textio::max_decimal_digits) return "";
  std::string text = negative ? "-" : "";
  if (e <= 0 && leading_zero) text += '0';
  for (int i = 0; i < e; ++i) text += digit_at(rounded, i);
  text += '.';
  for (int j = 1; j <= places; ++j) text += digit_at(rounded, e + j - 1);
  return text;
}

// The decision digits rounded (half up) to d significant digits: the
// positional form with k integer digits when their decimal exponent k lies
// in [0, d], else the exponent form (k < 0).
int positional_integer_digits(const exact_decimal& exact, int d, int places, int cap) {
  const expected_digits decision = test_support::reference_after_point(exact, places, cap);
  if (decision.zero) return -1;
  bool carries = digit_at(decision, d) >= '5';
  for (int i = 0; i < d && carries; ++i) carries = digit_at(decision, i) == '9';
  const int k = decision.exponent + (carries ? 1 : 0);
  return k >= 0 && k <= d ? k : -1;
}

enum class kind { nan, infinity, zero, finite };

kind kind_of(std::uint64_t bits) {
  const std::uint64_t magnitude = bits & ~(1ull << 63);
  if (magnitude > 0x7FF0000000000000ull) return kind::nan;
  if (magnitude == 0x7FF0000000000000ull) return kind::infinity;
  return magnitude == 0 ? kind::zero : kind::finite;
}

std::string expected_scientific(std::uint64_t bits, int width, int digits, char letter) {
  const int after_point = std::clamp(digits, 0, textio::max_decimal_digits - 1);
  const bool negative = bits >> 63 != 0;
  switch (kind_of(bits)) {
    case kind::nan: return left_aligned(" NaN", width);
    case kind::infinity: return left_aligned(negative ? " -Infinity" : " Infinity", width);
    case kind::zero:
      return right_aligned("0." + std::string(static_cast<std::size_t>(after_point), '0') + letter + "+00", width);
    case kind::finite: break;
  }
  const exact_decimal exact = test_support::exact_value(std::bit_cast<double>(bits));
  return right_aligned(exponent_text(exact, negative, after_point, letter, false), width);
}

// A positional text right-aligned in the first w - 4 columns, four blanks after.
std::string placed_positional(const std::string& text, int width) {
  if (width < 4 || text.empty() || text.size() > static_cast<std::size_t>(width - 4))
    return std::string(static_cast<std::size_t>(std::max(width, 0)), '*');
  return right_aligned(text, width - 4) + "    ";
}

std::string expected_general(std::uint64_t bits, int width, int digits) {
  const int d = std::clamp(digits, 1, textio::max_decimal_digits / 2 - 1);
  const bool negative = bits >> 63 != 0;
  switch (kind_of(bits)) {
    case kind::nan: return right_aligned("NaN", width);
    case kind::infinity: return right_aligned(negative ? "-Infinity" : "Infinity", width);
    case kind::zero: return placed_positional("0." + std::string(static_cast<std::size_t>(d - 1), '0'), width);
    case kind::finite: break;
  }
  const exact_decimal exact = test_support::exact_value(std::bit_cast<double>(bits));
  const int places = std::max(17, d + 2);
  const int k = positional_integer_digits(exact, d, places, std::clamp(width, 1, d + places));
  if (k < 0) return right_aligned(exponent_text(exact, negative, d, 'E', false), width);
  std::string text = positional_text(exact, negative, d - k, true);
  // The "0" before the point goes only when the text would not fit with it.
  if (k == 0 && text.size() + 4 > static_cast<std::size_t>(std::max(width, 0)))
    text = positional_text(exact, negative, d, false);
  return placed_positional(text, width);
}

std::string expected_list(std::uint64_t bits) {
  const bool negative = bits >> 63 != 0;
  std::string field(textio::list_number_width, ' ');
  const auto place = [&field](const std::string& text, std::size_t column) {
    field.replace(column, text.size(), text);
  };
  switch (kind_of(bits)) {
    case kind::nan: place("NaN", 1); return field;
    case kind::infinity: place(negative ? "-Infinity" : "Infinity", 1); return field;
    case kind::zero: place("0.000000000000000E+000", 2); return field;
    case kind::finite: break;
  }
  const exact_decimal exact = test_support::exact_value(std::bit_cast<double>(bits));
  const int k = positional_integer_digits(exact, 15, 17, 24);
  if (k >= 0) {
    const std::string text = positional_text(exact, negative, 15 - k, true);
    place(text, 19 - text.size());  // ends in column 19
  } else {
    const std::string text = exponent_text(exact, negative, 15, 'E', true);
    place(text, field.size() - text.size());
  }
  return field;
}

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
  require_equal(textio::scientific_field(value, 22, 15, 'D'), expected_scientific(bits, 22, 15, 'D'),
                "scientific field", bits, 22, 15);
  require_equal(textio::general_field(value, 23, 16), expected_general(bits, 23, 16), "general field", bits, 23, 16);
  require_equal(textio::general_field(value, 22, 15), expected_general(bits, 22, 15), "general field", bits, 22, 15);
  require_equal(textio::format_list_double(value), expected_list(bits), "list number field", bits, 0, 0);

  const int scientific_width = p.in_range(4, -2, 48);
  const int scientific_digits = p.in_range(5, -2, 40);
  const char letter = p.byte(6) % 2 == 0 ? 'D' : 'E';
  require_equal(textio::scientific_field(value, scientific_width, scientific_digits, letter),
                expected_scientific(bits, scientific_width, scientific_digits, letter), "scientific field", bits,
                scientific_width, scientific_digits);
  const int general_width = p.in_range(7, -2, 48);
  const int general_digits = p.in_range(8, -2, 44);
  require_equal(textio::general_field(value, general_width, general_digits),
                expected_general(bits, general_width, general_digits), "general field", bits, general_width,
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
  if (kind_of(bits) == kind::finite) check_decimal_digits(bits, p);
  check_fields(bits, p);
  if (!ulpscope::probe::run_modes_active()) {
    std::fprintf(stderr, "decimal_fuzz: a conversion left the run modes switched off\n");
    std::abort();
  }
  return 0;
}
