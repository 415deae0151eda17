// Reading the console answers: a fixed-width text, and doubles in free form.
//
// Free form is read byte by byte straight from the line reader, so an answer
// of any length takes the same memory. A number keeps at most `kept_digits`
// significant digits and a marker for any nonzero digit after them; that is
// all its rounding to a double can depend on.
//
// Where a value is both malformed and not a number, the first byte decides:
// a quote, T, F, ".T", ".F" or "(" make it a conversion error (a text, a
// logical value, a pair), a leading I or N is read as a word, and from any
// other first byte on every syntax check is made before the value is taken
// as a number. So "(1,2)", "nope" and ".e5" are conversion errors, while
// "+.", "*5", "0*5" (a repeat count is at least 1) and "1+2+3x" are syntax
// errors. Exponents may have any number of digits and saturate:
// "1e999999999" is too large, "1e-999999999" is 0.
#include "textio/input.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>

#include "probe/fp_env.h"

namespace ulpscope::textio {
namespace {

constexpr int end_of_line = console_input::end_of_line;

bool is_white_space(int byte) {
  return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
}
bool is_digit(int byte) { return byte >= '0' && byte <= '9'; }
bool is_sign(int byte) { return byte == '+' || byte == '-'; }
int to_lower(int byte) { return (byte >= 'A' && byte <= 'Z') ? byte - 'A' + 'a' : byte; }
bool is_exponent_letter(int byte) {
  const int letter = to_lower(byte);
  return letter == 'e' || letter == 'd' || letter == 'q';
}
bool begins_word(int byte) {
  const int letter = to_lower(byte);
  return letter == 'i' || letter == 'n';
}
bool is_logical_letter(int byte) {
  const int letter = to_lower(byte);
  return letter == 't' || letter == 'f';
}
// A value ends at the first of these after it.
bool ends_value(int byte) {
  return byte == end_of_line || is_white_space(byte) || byte == ',' || byte == '/' || byte == ')';
}

// Digit positions, exponents and repeat counts saturate here: far beyond any
// double, and far enough from the int64 limits that their sum cannot overflow.
constexpr std::int64_t saturation_limit = 1'000'000'000'000'000'000;

std::int64_t append_digit(std::int64_t number, int digit) {
  return number > (saturation_limit - digit) / 10 ? saturation_limit : number * 10 + digit;
}

double signed_zero(bool negative) { return negative ? -0.0 : 0.0; }

// A decimal number as far as its rounding to a double can tell:
// 0.d1 d2 ... dn x 10^point_position x 10^exponent, with the digits after the
// first `kept_digits` reduced to whether any of them is nonzero. No double and
// no midpoint between two doubles has more than 767 significant digits, so
// the kept digits with a 1 for the dropped ones round exactly as the whole.
class decimal_number {
 public:
  static constexpr std::size_t kept_digits = 800;

  void set_negative() { negative_ = true; }
  void set_exponent_negative() { exponent_negative_ = true; }
  void add_exponent_digit(int digit) { exponent_ = append_digit(exponent_, digit); }

  void add_integer_digit(int digit) {
    if (count_ == 0 && digit == 0) return;  // a leading zero
    keep(digit);
    point_position_ = std::min(point_position_ + 1, saturation_limit);
  }

  void add_fraction_digit(int digit) {
    if (count_ == 0 && digit == 0) {
      point_position_ = std::max(point_position_ - 1, -saturation_limit);
      return;
    }
    keep(digit);
  }

  read_status to_double(double& value) const;

 private:
  void keep(int digit) {
    if (count_ < kept_digits) {
      digits_[count_++] = static_cast<char>('0' + digit);
    } else if (digit != 0) {
      inexact_ = true;
    }
  }

  std::array<char, kept_digits> digits_{};
  std::size_t count_ = 0;
  bool inexact_ = false;
  bool negative_ = false;
  bool exponent_negative_ = false;
  std::int64_t point_position_ = 0;
  std::int64_t exponent_ = 0;
};

read_status decimal_number::to_double(double& value) const {
  if (count_ == 0) {
    value = signed_zero(negative_);
    return read_status::ok;
  }
  // Step 1: the number lies in [10^(scale-1), 10^scale). Far outside the
  // range of doubles the answer is known without converting.
  const std::int64_t scale = point_position_ + (exponent_negative_ ? -exponent_ : exponent_);
  if (scale > 309) return read_status::conversion_error;  // at least 10^309
  if (scale < -324) {                                     // below half the smallest subnormal
    value = signed_zero(negative_);
    return read_status::ok;
  }
  // Step 2: a plain copy the library converter takes: "-ddd...d1e-123".
  std::array<char, kept_digits + 32> text{};
  char* cursor = text.data();
  if (negative_) *cursor++ = '-';
  cursor = std::copy_n(digits_.data(), count_, cursor);
  if (inexact_) *cursor++ = '1';
  *cursor++ = 'e';
  const auto digits_written = static_cast<std::int64_t>(count_ + (inexact_ ? 1 : 0));
  const char* const end = std::to_chars(cursor, text.data() + text.size(), scale - digits_written).ptr;
  // Step 3: convert with the run's flush-to-zero modes cleared, so that
  // subnormals stay subnormal. On out-of-range the converter leaves `value`
  // alone, for results too large and for results that round to zero alike.
  std::from_chars_result result{};
  {
    const probe::conversion_modes modes;
    result = std::from_chars(text.data(), end, value);
  }
  if (result.ec == std::errc::result_out_of_range) {
    if (scale > 0) return read_status::conversion_error;
    value = signed_zero(negative_);
    return read_status::ok;
  }
  return (result.ec == std::errc{} && result.ptr == end) ? read_status::ok
                                                         : read_status::conversion_error;
}

// One value that is not a word, fed byte by byte. It makes the syntax checks
// on the bytes and, apart from them, follows the form of a number:
// [sign] digits [. digits] [(E|D|Q) [sign] digits | sign digits].
class number_scanner {
 public:
  void take(int byte) {
    check_syntax(byte);
    advance(byte);
    previous_ = byte;
    length_ = std::min<std::size_t>(length_ + 1, 2);
  }

  // The bytes so far are only "." (so a T or F after it is a logical value).
  bool holds_only_point() const { return length_ == 1 && previous_ == '.'; }
  // The bytes so far are a decimal integer without sign: a star makes them a repeat count.
  bool holds_repeat_count() const { return part_ == part::integer && !signed_; }
  std::int64_t repeat_count() const { return repeat_count_; }

  read_status finish(double& value) const {
    if (syntax_failed_ || is_sign(previous_) || (!has_digit_ && exponent_letters_ == 0)) {
      return read_status::syntax_error;
    }
    if (part_ != part::integer && part_ != part::fraction && part_ != part::exponent) {
      return read_status::conversion_error;
    }
    return number_.to_double(value);
  }

 private:
  enum class part : std::uint8_t {
    start, sign, integer, point, fraction, exponent_letter, exponent_sign, exponent, invalid
  };

  // A syntax error whatever else the value holds.
  void check_syntax(int byte) {
    const bool after_leading_sign = length_ == 1 && is_sign(previous_);
    if (is_digit(byte)) {
      has_digit_ = true;
    } else if (byte == '.') {
      syntax_failed_ |= ++points_ > 1;
    } else if (is_sign(byte)) {
      syntax_failed_ |= is_sign(previous_);
    } else if (is_exponent_letter(byte)) {
      syntax_failed_ |= ++exponent_letters_ > 1 || length_ == 0 || after_leading_sign;
    } else {
      syntax_failed_ = true;  // including an I or N that does not begin the value
    }
  }

  void advance(int byte) {
    switch (part_) {
      case part::start:
        if (is_sign(byte)) {
          signed_ = true;
          if (byte == '-') number_.set_negative();
          part_ = part::sign;
          return;
        }
        [[fallthrough]];
      case part::sign:
        if (byte == '.') {
          part_ = part::point;
          return;
        }
        [[fallthrough]];
      case part::integer:
        if (is_digit(byte)) {
          number_.add_integer_digit(byte - '0');
          repeat_count_ = append_digit(repeat_count_, byte - '0');
          part_ = part::integer;
        } else if (byte == '.' && part_ == part::integer) {
          part_ = part::fraction;
        } else {
          begin_exponent(byte);
        }
        return;
      case part::point:
      case part::fraction:
        if (is_digit(byte)) {
          number_.add_fraction_digit(byte - '0');
          part_ = part::fraction;
        } else {
          begin_exponent(byte);
        }
        return;
      case part::exponent_letter:
        if (is_sign(byte)) {
          if (byte == '-') number_.set_exponent_negative();
          part_ = part::exponent_sign;
          return;
        }
        [[fallthrough]];
      case part::exponent_sign:
      case part::exponent:
        part_ = is_digit(byte) ? part::exponent : part::invalid;
        if (part_ == part::exponent) number_.add_exponent_digit(byte - '0');
        return;
      case part::invalid: return;
    }
  }

  // An exponent begins after a mantissa that has a digit: a letter, or a sign.
  void begin_exponent(int byte) {
    const bool after_mantissa = part_ == part::integer || part_ == part::fraction;
    if (after_mantissa && is_exponent_letter(byte)) {
      part_ = part::exponent_letter;
    } else if (after_mantissa && is_sign(byte)) {
      if (byte == '-') number_.set_exponent_negative();
      part_ = part::exponent_sign;
    } else {
      part_ = part::invalid;
    }
  }

  decimal_number number_;
  part part_ = part::start;
  bool signed_ = false;
  std::int64_t repeat_count_ = 0;
  int previous_ = end_of_line;
  std::size_t length_ = 0;  // 0, 1, or 2 for "two or more"
  int points_ = 0;
  int exponent_letters_ = 0;
  bool has_digit_ = false;
  bool syntax_failed_ = false;
};

// The words a value may be: infinity with its sign, or a quiet NaN (which
// keeps the sign too; nothing depends on it).
read_status read_word(console_input& in, bool negative, double& value) {
  std::array<char, 8> letters{};  // "infinity" is the longest word
  std::size_t length = 0;
  for (int byte = in.peek(); !ends_value(byte); byte = in.peek()) {
    in.next();
    if (length < letters.size()) letters[length] = static_cast<char>(to_lower(byte));
    length = std::min(length + 1, letters.size() + 1);
  }
  if (length > letters.size()) return read_status::conversion_error;
  const std::string_view word(letters.data(), length);
  const double sign = negative ? -1.0 : 1.0;
  if (word == "inf" || word == "infinity") {
    value = std::copysign(std::numeric_limits<double>::infinity(), sign);
  } else if (word == "nan") {
    value = std::copysign(std::numeric_limits<double>::quiet_NaN(), sign);
  } else {
    return read_status::conversion_error;  // "nope"
  }
  return read_status::ok;
}

// What the first byte of a value already decides, if anything.
std::optional<read_status> decided_by_first_byte(int byte) {
  if (byte == '\'' || byte == '"' || byte == '(' || is_logical_letter(byte)) {
    return read_status::conversion_error;  // a text, a pair, a logical value
  }
  if (byte == ')') return read_status::syntax_error;
  return std::nullopt;
}

struct scanned_value {
  read_status status = read_status::ok;
  double value = 0.0;
  std::optional<std::int64_t> repeat_count;  // the value was "r*"
};

// One value, from its first byte to the byte that ends it (left unread).
scanned_value read_value(console_input& in, bool repeat_allowed) {
  if (const auto decided = decided_by_first_byte(in.peek())) return {*decided, 0.0, std::nullopt};
  number_scanner scanner;
  bool negative = false;
  if (is_sign(in.peek())) {
    negative = in.peek() == '-';
    scanner.take(in.next());
  }
  scanned_value result;
  if (begins_word(in.peek())) {
    result.status = read_word(in, negative, result.value);
    return result;
  }
  for (int byte = in.peek(); !ends_value(byte); byte = in.peek()) {
    in.next();
    if (scanner.holds_only_point() && is_logical_letter(byte)) return {read_status::conversion_error, 0.0, std::nullopt};
    if (byte == '*' && repeat_allowed && scanner.holds_repeat_count()) {
      result.repeat_count = scanner.repeat_count();
      return result;
    }
    scanner.take(byte);
  }
  result.status = scanner.finish(result.value);
  return result;
}

// A value, or a repeat form: `count` copies of `value`, or `count` null values.
struct free_form_item {
  read_status status = read_status::ok;
  std::int64_t count = 1;
  std::optional<double> value;
};

free_form_item read_item(console_input& in) {
  const scanned_value first = read_value(in, true);
  if (first.status != read_status::ok || !first.repeat_count) return {first.status, 1, first.value};
  // A repeat form: the count must be at least 1 ("0*5" is not a count).
  const std::int64_t count = *first.repeat_count;
  if (count == 0) return {read_status::syntax_error, 0, std::nullopt};
  // Nothing after the star is `count` null values; a
  // ")" there is where a value would begin, so it goes to the value.
  if (ends_value(in.peek()) && in.peek() != ')') return {read_status::ok, count, std::nullopt};
  const scanned_value repeated = read_value(in, false);
  return {repeated.status, count, repeated.value};
}

// The variables of one free-form read and where the read is among them.
//
// A comma is a null value when a comma is already pending, which is also the
// state at the start of the read; the end of a line is white space and does
// not change it. So ",2,3" nulls the first, "1,2," then ",3" the third, and
// "1,2" then ",3" nothing.
class free_form_targets {
 public:
  explicit free_form_targets(std::span<double> values) : values_(values) {}

  bool complete() const { return next_ == values_.size(); }

  void take_comma() {
    if (comma_pending_) ++next_;
    comma_pending_ = true;
  }

  // Repetitions beyond the last variable are ignored.
  void take_item(const free_form_item& item) {
    const auto left = static_cast<std::int64_t>(values_.size() - next_);
    const auto count = static_cast<std::size_t>(std::min(item.count, left));
    if (item.value) std::fill_n(values_.begin() + static_cast<std::ptrdiff_t>(next_), count, *item.value);
    next_ += count;
    comma_pending_ = false;
  }

 private:
  std::span<double> values_;
  std::size_t next_ = 0;
  bool comma_pending_ = true;
};

void skip_white_space(console_input& in) {
  while (is_white_space(in.peek())) in.next();
}

}  // namespace

read_status read_console_text(console_input& in, std::span<char> out) {
  if (!in.start_line()) return read_status::end_of_input;
  std::size_t filled = 0;
  while (filled < out.size()) {  // the rest of the line stays unread
    const int byte = in.next();
    if (byte == end_of_line) break;
    out[filled++] = static_cast<char>(byte);
  }
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(filled), out.end(), ' ');
  return read_status::ok;
}

read_status read_console_doubles(console_input& in, std::span<double> values) {
  if (!in.start_line()) return read_status::end_of_input;
  free_form_targets targets(values);
  while (!targets.complete()) {
    skip_white_space(in);
    const int byte = in.peek();
    if (byte == end_of_line) {
      // Lines that hold only white space are skipped like any white space.
      if (!in.start_line()) return read_status::end_of_input;
    } else if (byte == '/') {
      return read_status::ok;  // the rest keep their values
    } else if (byte == ',') {
      in.next();
      targets.take_comma();
    } else {
      const free_form_item item = read_item(in);
      if (item.status != read_status::ok) return item.status;
      targets.take_item(item);
    }
  }
  return read_status::ok;
}

}  // namespace ulpscope::textio
