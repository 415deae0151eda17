// The run of the tool, from the name prompt to the key wait.
//
// All double arithmetic here (probes, differences, comparisons, the sweep count
// and step) runs under the run modes, which main sets before calling `run`.
#pragma once

#include "platform/platform.h"

namespace ulpscope::dialogue {

// Runs the dialogue on `system` and returns the exit status of the process.
int run(platform::system_interface& system);

}  // namespace ulpscope::dialogue
