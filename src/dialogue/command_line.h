// The command line: none for a run; --help (-h) and --version (-V) answered
// at once; anything else refused with a one-line usage error and status 2.
// Answering reads no input, opens no file and waits for no key.
#pragma once

#include <optional>
#include <span>

#include "platform/platform.h"

namespace ulpscope::dialogue {

inline constexpr int usage_error_status = 2;

// The exit status when the arguments (argv without the program's name) are
// answered without a run; nothing when the run is to begin.
std::optional<int> answer_command_line(platform::system_interface& system, std::span<const char* const> arguments);

}  // namespace ulpscope::dialogue
