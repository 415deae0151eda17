// Number texts from rounded digits: written once for every field, whichever
// path of decimal_digits gave the digits.
//
// The one fact to know: a general or list field rounds twice, on purpose:
// first to its decision digits, which choose the form, then to the digits
// the chosen form shows. Both are roundings of the exact value; the second
// comes from the decision digits themselves wherever that is the same thing.
#include "textio/number_text.h"

#include <algorithm>

#include "textio/byte_copy.h"

namespace ulpscope::textio::detail {
namespace {

char* write_exponent(int exponent, char letter, exponent_style style, char* out) {
  const int magnitude = exponent < 0 ? -exponent : exponent;
  const bool three_digits = style == exponent_style::letter_then_three_digits || magnitude >= 100;
  if (style == exponent_style::letter_then_three_digits || magnitude <= 99) *out++ = letter;
  *out++ = exponent < 0 ? '-' : '+';
  if (three_digits) *out++ = static_cast<char>('0' + magnitude / 100);
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  return out;
}

// `count` digits of `rounded` from digit `first` on; zeros past its end.
char* copy_digits(const rounded_decimal& rounded, int first, int count, char* out) {
  const int available = std::clamp(rounded.count - first, 0, count);
  if (available > 0)
    copy_bytes(out, rounded.digits.data() + first, static_cast<std::size_t>(available));
  return std::fill_n(out + available, count - available, '0');
}

// The decision digits rounded again to `count` digits, when that is the
// rounding of the exact value: they must hold more digits than `count`, and
// must not lie on the halfway point of the coarser rounding, the one place a
// second rounding can part from a single one (the exact value may lie on
// either side of it). False otherwise; decimal_digits then rounds afresh.
bool round_again(const rounded_decimal& decision, int count, rounded_decimal& out) {
  if (count < 1 || decision.count <= count) return false;
  const auto first_dropped = static_cast<std::size_t>(count);
  const auto end = static_cast<std::size_t>(decision.count);
  bool zeros_after_first = true;
  for (std::size_t i = first_dropped + 1; i < end && zeros_after_first; ++i)
    zeros_after_first = decision.digits[i] == '0';
  const char dropped = decision.digits[first_dropped];
  if (dropped == '5' && zeros_after_first) return false;
  out.negative = decision.negative;
  out.exponent = decision.exponent;
  out.count = count;
  copy_bytes(out.digits.data(), decision.digits.data(), first_dropped);
  if (dropped < '5') return true;
  // Up by one unit of the last digit; a carry out of the first digit gives
  // 1 and zeros, one decimal place higher.
  std::size_t i = first_dropped;
  for (; i > 0 && out.digits[i - 1] == '9'; --i) out.digits[i - 1] = '0';
  if (i > 0) {
    ++out.digits[i - 1];
  } else {
    out.digits[0] = '1';
    ++out.exponent;
  }
  return true;
}

// decimal_digits of `value` for the text of a form, from the decision digits
// where they tell it.
rounded_decimal shown_digits(double value, const rounded_decimal& decision, digit_mode mode, int n) {
  const int count = mode == digit_mode::significant ? n : decision.exponent + n;
  rounded_decimal shown;
  if (!round_again(decision, count, shown)) shown = decimal_digits(value, mode, n);
  return shown;
}

}  // namespace

std::size_t write_exponent_text(const rounded_decimal& rounded, char letter, exponent_style style, char* out) {
  char* at = out;
  if (rounded.negative) *at++ = '-';
  *at++ = rounded.digits[0];
  *at++ = '.';
  at = copy_digits(rounded, 1, rounded.count - 1, at);
  at = write_exponent(rounded.exponent - 1, letter, style, at);
  return static_cast<std::size_t>(at - out);
}

std::size_t write_positional_text(const rounded_decimal& rounded, int places, char* out) {
  // The integer digits must all be real digits, not the zeros past the cap.
  if (rounded.exponent + places > max_decimal_digits) return 0;
  char* at = out;
  if (rounded.negative) *at++ = '-';
  if (rounded.exponent <= 0) {
    // "0.", the zeros before the first digit, then the digits up to the last place.
    *at++ = '0';
    *at++ = '.';
    const int leading_zeros = std::min(-rounded.exponent, places);
    at = copy_digits(rounded, 0, places - leading_zeros, std::fill_n(at, leading_zeros, '0'));
  } else {
    at = copy_digits(rounded, 0, rounded.exponent, at);
    *at++ = '.';
    at = copy_digits(rounded, rounded.exponent, places, at);
  }
  return static_cast<std::size_t>(at - out);
}

number_form choose_number_form(const rounded_decimal& decision, int digits) {
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

number_text write_number_text(double value, const number_shape& shape, char* out) {
  const rounded_decimal decision =
      decimal_digits(value, digit_mode::after_point, shape.places, shape.max_significant);
  number_text result{choose_number_form(decision, shape.digits), 0};
  if (result.form.positional) {
    const int places = shape.digits - result.form.integer_digits;
    result.length =
        write_positional_text(shown_digits(value, decision, digit_mode::after_point, places), places, out);
  } else {
    result.length = write_exponent_text(shown_digits(value, decision, digit_mode::significant, shape.digits + 1),
                                        shape.letter, shape.style, out);
  }
  return result;
}

}  // namespace ulpscope::textio::detail
