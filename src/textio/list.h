// List records: items alone, laid out by the list rules.
//
//   write_list_record(sink, {})                        -> " \r\n"
//   write_list_record(sink, {text_item("x1 =x +ULP(x)")}) -> " x1 =x +ULP(x)\r\n"
//   format_list_double(0.1)    -> "  0.100000000000000     "
//   format_list_double(0x1p-52) -> "  2.220446049250313E-016"
//
// A list record begins with one blank; a double is a 24-character field; lines
// are 80 characters and longer records wrap onto continuation lines.
#pragma once

#include <span>
#include <string>

#include "textio/record.h"

namespace ulpscope::textio {

inline constexpr int list_line_width = 80;
inline constexpr int list_number_width = 24;

// Items are text or real items.
void write_list_record(record_sink& sink, std::span<const item> items);

// The 24 characters of the list number field of `value`, written to `out`.
void format_list_double(double value, char* out);
std::string format_list_double(double value);

}  // namespace ulpscope::textio
