// The rules that turn the base name the user types into the results file the
// tool opens, in one place: the field of 260 characters, the extension, the
// trailing blanks, and the 256 characters the open uses.
//
//   results_file_field("t" + 259 blanks)      -> "t.rez" + 255 blanks
//   results_file_field(260 blanks)            -> ".rez" + 256 blanks
//   results_file_field(258 "a" + 2 blanks)    -> 258 "a" + ".r"
//   results_file_name("  t.rez" + blanks)     -> "t.rez"
//   cut_changes_name(258 "a" + ".r")          -> true (the open would use 256 "a")
//
// The one fact to know: the field may hold more than the open uses. The
// closing message shows the field's content; the file is named by its first
// 256 characters, and a name that cut would change is refused instead.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace ulpscope::textio {

inline constexpr std::size_t name_field_length = 260;
inline constexpr std::size_t name_used_length = 256;
inline constexpr std::string_view results_extension = ".rez";

using name_field = std::array<char, name_field_length>;

// `text` less its trailing blanks (only the blank character).
std::string_view without_trailing_blanks(std::string_view text);

// The base name less its trailing blanks, then ".rez", cut to the field or
// blank-filled to it.
name_field results_file_field(const name_field& base_name);

// The name a results-file field opens: its first 256 characters without
// leading blanks and without trailing blanks or NULs.
std::string_view results_file_name(std::string_view field);

// Whether the 256-character cut of the open takes characters from the
// field's content (less its trailing blanks).
bool cut_changes_name(std::string_view field);

}  // namespace ulpscope::textio
