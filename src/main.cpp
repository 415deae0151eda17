// ulpscope: the spacing of binary64 numbers, value by value, into <name>.rez.
#include "dialogue/dialogue.h"
#include "platform/platform.h"
#include "probe/fp_env.h"

int main() {
  // The modes come first: every double operation of the run depends on them.
  ulpscope::probe::set_run_modes();
  ulpscope::platform::prepare_process();
  return ulpscope::dialogue::run(ulpscope::platform::host_system());
}
