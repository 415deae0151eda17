// The four field renderers of formatted records.
//
//   render_scientific_field(0.1, 22, 15, 'D')    -> " 1.000000000000000D-01"
//   render_scientific_field(5e-324, 22, 15, 'D') -> " 4.940656458412465-324"
//   render_general_field(0.5, 23, 16)            -> " 0.5000000000000000    "
//   render_general_field(1e16, 23, 16)           -> " 1.0000000000000000E+16"
//   render_integer_field(-1021, 5)               -> "-1021"
//
// Each writes exactly its field's characters to `out` (w of them; a text field
// without width: the text's length) and returns how many it wrote. A value too
// wide for its field gives asterisks. Every numeric field has scale 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ulpscope::textio {

std::size_t render_text_field(std::string_view text, int width, char* out);  // width 0: none
std::size_t render_integer_field(std::int32_t value, int width, char* out);
std::size_t render_scientific_field(double value, int width, int digits, char letter, char* out);
std::size_t render_general_field(double value, int width, int digits, char* out);

// Convenience for tests and tools: the same fields as strings.
std::string scientific_field(double value, int width, int digits, char letter = 'D');
std::string general_field(double value, int width, int digits);

}  // namespace ulpscope::textio
