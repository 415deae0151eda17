// The floating-point environment of a run: round to nearest, every exception
// masked, flush-to-zero and denormals-are-zero. These modes are part of the
// results (they decide what the probes give near the bottom of the range), so
// they are set once, first thing, and stay on for the whole run.
//
// Text conversions must see subnormals as they are, so each one runs inside a
// `conversion_modes` scope, which clears the two modes and restores the exact
// previous control word on exit.
#pragma once

#include <cstdint>

namespace ulpscope::probe {

// Sets the run modes. Call once at the start of main, before any output.
void set_run_modes() noexcept;

// The raw control word (MXCSR on x86). For tests and the scope guard.
std::uint32_t current_modes() noexcept;
void restore_modes(std::uint32_t word) noexcept;

// True when flush-to-zero and denormals-are-zero are both on.
bool run_modes_active() noexcept;

// Clears flush-to-zero and denormals-are-zero for its lifetime.
class conversion_modes {
 public:
  conversion_modes() noexcept;
  ~conversion_modes();
  conversion_modes(const conversion_modes&) = delete;
  conversion_modes& operator=(const conversion_modes&) = delete;

 private:
  std::uint32_t saved_;
};

}  // namespace ulpscope::probe
