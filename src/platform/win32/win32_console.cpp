// The console keyboard and the console control events on Win32.
//
// The one fact to know: a console input handle is signalled whenever any
// event is pending, also one that does not count as a key press (a key
// release, a mouse move). The wait never takes such events away, so it can
// block on the handle only while the input buffer is empty; with events that
// do not count in it, it looks again after a short pause.
#include "platform/win32/win32_console.h"
#include "platform/shared.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace ulpscope::platform {
namespace {

// Keys that count although they carry no character: F1 to F12, the cursor and
// editing keys (the keypad gives the same codes with Num Lock off, and
// characters with it on).
constexpr std::array<WORD, 22> keys_without_character{
    VK_F1,   VK_F2,   VK_F3,   VK_F4,    VK_F5,    VK_F6,   VK_F7,    VK_F8,
    VK_F9,   VK_F10,  VK_F11,  VK_F12,   VK_LEFT,  VK_UP,   VK_RIGHT, VK_DOWN,
    VK_HOME, VK_END,  VK_PRIOR, VK_NEXT, VK_INSERT, VK_DELETE,
};

// How long the wait pauses when the input buffer holds only events that do
// not count, which keep the console handle signalled.
constexpr DWORD pause_between_peeks_ms = 20;

bool counts_as_key_press(const INPUT_RECORD& event) {
  if (event.EventType != KEY_EVENT) return false;
  const KEY_EVENT_RECORD& key = event.Event.KeyEvent;
  if (!key.bKeyDown) return false;
  if (key.uChar.AsciiChar != 0) return true;
  return std::find(keys_without_character.begin(), keys_without_character.end(), key.wVirtualKeyCode) !=
         keys_without_character.end();
}

// Looks at every pending event without removing any. False when the console
// can no longer be read, which ends the wait too.
bool peek_pending(HANDLE keyboard, std::vector<INPUT_RECORD>& events) {
  DWORD pending = 0;
  if (!GetNumberOfConsoleInputEvents(keyboard, &pending)) return false;
  events.resize(pending);
  if (pending == 0) return true;
  DWORD peeked = 0;
  if (!PeekConsoleInputA(keyboard, events.data(), pending, &peeked)) return false;
  events.resize(peeked);
  return true;
}

void wait_until_key_pending(HANDLE keyboard) {
  std::vector<INPUT_RECORD> events;
  for (;;) {
    if (!peek_pending(keyboard, events)) return;
    if (std::any_of(events.begin(), events.end(), counts_as_key_press)) return;
    if (!events.empty()) {
      Sleep(pause_between_peeks_ms);
    } else if (WaitForSingleObject(keyboard, INFINITE) != WAIT_OBJECT_0) {
      return;
    }
  }
}

struct console_control {
  DWORD control;
  detail::console_event event;
};

constexpr std::array console_controls{
    console_control{CTRL_C_EVENT, detail::console_event::control_c},
    console_control{CTRL_BREAK_EVENT, detail::console_event::control_break},
    console_control{CTRL_CLOSE_EVENT, detail::console_event::window_close},
};

// Set once by whichever end of the run comes first: an event handler, or the
// dialogue's own path (hold_console_events). The other then waits for the
// process to end, so a run has one diagnostic and one exit status.
volatile LONG run_ending = 0;
// A held prompt on the console leaves the cursor after it until a line typed
// at the console (whose Enter the console echoes) answers it.
volatile LONG console_line_held = 0;

bool claims_the_end() { return InterlockedCompareExchange(&run_ending, 1, 0) == 0; }

bool is_console(DWORD stream, DWORD& mode) { return GetConsoleMode(GetStdHandle(stream), &mode) != 0; }

void write_error_bytes(std::string_view bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Runs on a thread the system starts for the event, while the dialogue may be
// inside a console read. Writes the diagnostic (one write) and ends the
// process, which closes every handle, the results file among them; control-C
// with the status Windows gives a console program that control-C ended.
// Called by the system, which promises 32-bit code only a 4-byte aligned stack.
[[gnu::force_align_arg_pointer]] BOOL WINAPI on_console_event(DWORD event) {
  for (const console_control& known : console_controls) {
    if (known.control != event) continue;
    if (!claims_the_end()) Sleep(INFINITE);  // the run is ending on its own path
    const detail::console_event_end& end = detail::end_of(known.event);
    write_diagnostic(end.diagnostic);
    ExitProcess(end.ends_as_interrupted ? static_cast<UINT>(STATUS_CONTROL_C_EXIT) : static_cast<UINT>(end.status));
  }
  return FALSE;  // log-off and shut-down: the system's own handling
}

}  // namespace

void wait_for_key_on_console() {
  // Step 1: the console keyboard itself, never standard input.
  const HANDLE keyboard = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
  // Step 2: without a console there is no key to wait for.
  if (keyboard == INVALID_HANDLE_VALUE) return;
  wait_until_key_pending(keyboard);
  CloseHandle(keyboard);
}

void install_console_event_handler() { SetConsoleCtrlHandler(on_console_event, TRUE); }

void note_console_output(std::string_view written) {
  DWORD mode = 0;
  if (!written.empty() && is_console(STD_OUTPUT_HANDLE, mode))
    InterlockedExchange(&console_line_held, written.back() != '\n');
}

void note_console_input(std::string_view read) {
  DWORD mode = 0;
  if (!read.empty() && read.back() == '\n' && is_console(STD_INPUT_HANDLE, mode) && (mode & ENABLE_ECHO_INPUT) != 0)
    InterlockedExchange(&console_line_held, 0);
}

void write_diagnostic(std::string_view line) {
  DWORD mode = 0;
  if (InterlockedExchange(&console_line_held, 0) != 0 && is_console(STD_ERROR_HANDLE, mode))
    write_error_bytes(detail::line_break);
  write_error_bytes(line);
}

void hold_console_events() {
  if (!claims_the_end()) Sleep(INFINITE);  // an event handler is ending the process
}

}  // namespace ulpscope::platform
