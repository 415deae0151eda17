// ulpscope: the spacing of binary64 numbers, value by value, into <name>.rez.
#include <span>

#include "dialogue/command_line.h"
#include "dialogue/dialogue.h"
#include "platform/platform.h"
#include "probe/fp_env.h"

int main(int argc, char* argv[]) {
  // The modes come first: every double operation of the run depends on them.
  ulpscope::probe::set_run_modes();
  ulpscope::platform::system_interface& system = ulpscope::platform::host_system();
  const std::span<const char* const> arguments(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  if (const auto answered = ulpscope::dialogue::answer_command_line(system, arguments)) return *answered;
  ulpscope::platform::prepare_process();
  return ulpscope::dialogue::run(system);
}
