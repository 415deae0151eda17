// The run of the tool, from the name prompt to the key wait.
//
// All double arithmetic here (probes, differences, comparisons, the sweep count
// and step) runs under the run modes, which main sets before calling `run`.
#pragma once

#include <array>
#include <string_view>

#include "platform/platform.h"

namespace ulpscope::dialogue {

inline constexpr std::size_t name_length = 260;
using name_field = std::array<char, name_length>;

// The base name less its trailing blanks, then ".rez", cut or blank-filled to
// 260 characters:  "t" + 259 blanks -> "t.rez" + 255 blanks.
name_field results_file_field(const name_field& base_name);

// Runs the dialogue on `system` and returns the exit status of the process.
int run(platform::system_interface& system);

}  // namespace ulpscope::dialogue
