// decimal_digits: the fast path where it decides the rounding, the exact path
// for everything else (decimal_paths.h). Both round the magnitude; the sign
// is read from the bits and returned beside the digits.
#include "textio/decimal.h"

#include <algorithm>

#include "probe/double_bits.h"
#include "textio/decimal_paths.h"

namespace ulpscope::textio {

rounded_decimal decimal_digits(double value, digit_mode mode, int n, int max_significant) {
  const probe::double_bits fields(value);
  const detail::digit_request request =
      mode == digit_mode::significant
          ? detail::digit_request{mode, std::clamp(n, 1, max_decimal_digits), max_decimal_digits}
          : detail::digit_request{mode, std::max(n, 0), std::clamp(max_significant, 1, max_decimal_digits)};
  rounded_decimal result;
  if (!detail::round_fast(fields.magnitude(), request, result))
    result = detail::round_exactly(fields.magnitude(), request);
  result.negative = fields.negative();
  return result;
}

}  // namespace ulpscope::textio
