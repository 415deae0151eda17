// What every record writer shares: the items a record is built from and the
// destination that takes finished records.
//
// A record reaches its destination as one piece: the bytes of the line and,
// unless the record is held, the terminator CR LF. A held record is written
// without it, and the next record continues the same line.
#pragma once

#include <cstdint>
#include <string_view>

namespace ulpscope::textio {

inline constexpr std::string_view record_terminator = "\r\n";

struct item {
  enum class kind : std::uint8_t { text, real, integer };
  kind type;
  std::string_view text;
  double real = 0.0;
  std::int32_t integer = 0;
};

constexpr item text_item(std::string_view text) { return {item::kind::text, text, 0.0, 0}; }
constexpr item real_item(double value) { return {item::kind::real, {}, value, 0}; }
constexpr item integer_item(std::int32_t value) { return {item::kind::integer, {}, 0.0, value}; }

// A destination of records: the console or the results file.
class record_sink {
 public:
  virtual ~record_sink() = default;
  // `bytes` is one whole record, terminator included unless it is held.
  virtual void write_record(std::string_view bytes) = 0;
};

}  // namespace ulpscope::textio
