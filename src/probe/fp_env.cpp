// MXCSR layout: bits 0-5 exception flags, 6 denormals-are-zero, 7-12 exception
// masks, 13-14 rounding control (00 = nearest), 15 flush-to-zero.
#include "probe/fp_env.h"

#if defined(__x86_64__) || defined(_M_X64) || defined(__i386__) || defined(_M_IX86)
#include <xmmintrin.h>
#define ULPSCOPE_HAVE_MXCSR 1
#endif

namespace ulpscope::probe {
namespace {

constexpr std::uint32_t denormals_are_zero = 1u << 6;
constexpr std::uint32_t all_exception_masks = 0x3Fu << 7;
constexpr std::uint32_t rounding_control = 3u << 13;
constexpr std::uint32_t flush_to_zero = 1u << 15;
constexpr std::uint32_t both_modes = denormals_are_zero | flush_to_zero;

}  // namespace

#ifdef ULPSCOPE_HAVE_MXCSR

std::uint32_t current_modes() noexcept { return _mm_getcsr(); }
void restore_modes(std::uint32_t word) noexcept { _mm_setcsr(word); }

void set_run_modes() noexcept {
  std::uint32_t word = _mm_getcsr();
  word &= ~rounding_control;  // round to nearest, ties to even
  word |= all_exception_masks | both_modes;
  _mm_setcsr(word);
}

#else
// Without an SSE control word there are no modes to switch; the build for such
// a processor would have to reproduce their effect in software.
std::uint32_t current_modes() noexcept { return 0; }
void restore_modes(std::uint32_t) noexcept {}
void set_run_modes() noexcept {}
#endif

bool run_modes_active() noexcept { return (current_modes() & both_modes) == both_modes; }

// The whole word is restored, exception flags included, so a conversion leaves
// no trace in the environment of the run.
conversion_modes::conversion_modes() noexcept : saved_(current_modes()) {
  restore_modes(saved_ & ~both_modes);
}

conversion_modes::~conversion_modes() { restore_modes(saved_); }

}  // namespace ulpscope::probe
