// The Win32 system: the standard handles read and written as raw bytes, the
// results file through CreateFileA, and the mapping of Win32 error codes to
// the tool's classes.
//
// The one fact to know: a `file_handle` holds the HANDLE's value itself.
// Windows keeps handle values within 32 bits (64-bit processes share handles
// with 32-bit ones that way), so the value fits the int; a handle that would
// not is refused at the open rather than cut.
#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/shared.h"
#include "platform/win32/win32_console.h"

namespace ulpscope::platform {
namespace {

// The most one ReadFile or WriteFile call is asked to move.
constexpr std::size_t max_transfer = 1u << 30;

// Writes all of `bytes`; `written` tells how many reached the handle.
bool write_all(HANDLE target, std::string_view bytes, std::size_t& written) {
  written = 0;
  while (written < bytes.size()) {
    const auto chunk = static_cast<DWORD>(std::min(bytes.size() - written, max_transfer));
    DWORD count = 0;
    if (!WriteFile(target, bytes.data() + written, chunk, &count, nullptr) || count == 0) return false;
    written += count;
  }
  return true;
}

bool write_all(HANDLE target, std::string_view bytes) {
  std::size_t written = 0;
  return write_all(target, bytes, written);
}

struct error_class {
  DWORD error;
  open_error meaning;
};

// Every Win32 refusal the diagnostics tell apart; any other is open_error::other
// (a sharing violation that not even reading gets past, too many open files).
constexpr std::array error_classes{
    error_class{ERROR_ACCESS_DENIED, open_error::access_denied},
    error_class{ERROR_WRITE_PROTECT, open_error::access_denied},
    error_class{ERROR_NETWORK_ACCESS_DENIED, open_error::access_denied},
    error_class{ERROR_FILE_NOT_FOUND, open_error::not_found},
    error_class{ERROR_PATH_NOT_FOUND, open_error::not_found},
    error_class{ERROR_DIRECTORY, open_error::not_found},
    error_class{ERROR_INVALID_DRIVE, open_error::no_device},
    error_class{ERROR_NOT_READY, open_error::no_device},
    error_class{ERROR_BAD_UNIT, open_error::no_device},
    error_class{ERROR_DEV_NOT_EXIST, open_error::no_device},
    error_class{ERROR_BAD_NETPATH, open_error::no_device},
    error_class{ERROR_BAD_NET_NAME, open_error::no_device},
    error_class{ERROR_INVALID_NAME, open_error::bad_name},
    error_class{ERROR_BAD_PATHNAME, open_error::bad_name},
    error_class{ERROR_FILENAME_EXCED_RANGE, open_error::bad_name},
};

open_error classify(DWORD error) {
  const auto* found = std::find_if(error_classes.begin(), error_classes.end(),
                                   [error](const error_class& known) { return known.error == error; });
  return found == error_classes.end() ? open_error::other : found->meaning;
}

// The longest name of one folder or file that Windows file systems take.
constexpr std::size_t longest_component = 255;

bool has_overlong_component(std::string_view name) {
  while (!name.empty()) {
    const auto separator = name.find_first_of("\\/");
    if (name.substr(0, separator).size() > longest_component) return true;
    name = separator == std::string_view::npos ? std::string_view{} : name.substr(separator + 1);
  }
  return false;
}

// "X:" at the start names a drive, which may not be there.
bool names_missing_drive(const std::string& name) {
  const bool drive_letter = name.size() >= 2 && name[1] == ':' &&
                            ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
  return drive_letter && GetDriveTypeA((name.substr(0, 2) + "\\").c_str()) == DRIVE_NO_ROOT_DIR;
}

// The system says "not found" also for a drive that is not there and, on some
// file systems, for a name too long to be one; the diagnostics tell those apart.
open_error classify_refusal(const std::string& name, DWORD error) {
  const open_error meaning = classify(error);
  if (meaning != open_error::not_found) return meaning;
  if (names_missing_drive(name)) return open_error::no_device;
  if (has_overlong_component(name)) return open_error::bad_name;
  return meaning;
}

// A refusal after which the file may still be opened for reading.
bool may_open_for_reading(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT || error == ERROR_SHARING_VIOLATION;
}

HANDLE handle_of(file_handle file) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(file.value)); }

open_result failed(open_error error) { return {file_handle{}, false, false, error}; }

open_result opened(HANDLE handle, bool read_only) {
  const auto value = reinterpret_cast<std::intptr_t>(handle);
  if (value < 0 || value > INT_MAX) {
    CloseHandle(handle);
    return {file_handle{}, false, false, open_error::other};
  }
  const bool regular = GetFileType(handle) == FILE_TYPE_DISK;
  return {file_handle{static_cast<int>(value)}, read_only, regular, open_error::none};
}

HANDLE create(const std::string& name, DWORD access, DWORD sharing, DWORD disposition) {
  return CreateFileA(name.c_str(), access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A file with the read-only attribute refuses writing on Windows whoever asks;
// a file system that grants the superuser writing anyway (as wine's host does)
// must still see the attribute obeyed.
bool is_write_protected_file(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The devices a results-file name may address beside CON and NUL, which the
// text layer handles through `device_named`.
constexpr std::array<std::string_view, 6> opened_devices{"PRN", "AUX", "COM1", "COM2", "COM3", "COM4"};

// The device that `name` (before its last ".") addresses, or empty.
std::string_view device_of(std::string_view name) {
  const std::string_view base = name.substr(0, name.rfind('.'));
  for (const std::string_view device : opened_devices)
    if (detail::equal_ignoring_case(base, device)) return device;
  return {};
}

// Opened for writing only: the tool never reads a device. A device that is
// not there is "no such device", not "file not found".
open_result open_device(std::string_view device) {
  const HANDLE handle = create("\\\\.\\" + std::string(device), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               OPEN_EXISTING);
  if (handle != INVALID_HANDLE_VALUE) return opened(handle, false);
  const DWORD error = GetLastError();
  const open_error meaning = classify(error);
  return failed(meaning == open_error::not_found ? open_error::no_device : meaning);
}

open_result open_file(const std::string& name) {
  if (is_write_protected_file(name)) {
    const HANDLE reading = create(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (reading != INVALID_HANDLE_VALUE) return opened(reading, true);
    return failed(classify_refusal(name, GetLastError()));
  }
  const HANDLE handle = create(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
  if (handle != INVALID_HANDLE_VALUE) return opened(handle, false);
  const DWORD refusal = GetLastError();
  if (may_open_for_reading(refusal)) {
    // Where another program holds the file for writing, reading must let it go on writing.
    const DWORD sharing = refusal == ERROR_SHARING_VIOLATION ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
    const HANDLE reading = create(name, GENERIC_READ, sharing, OPEN_EXISTING);
    if (reading != INVALID_HANDLE_VALUE) return opened(reading, true);
  }
  return failed(classify_refusal(name, refusal));
}

class win32_system final : public system_interface {
 public:
  std::size_t read_console(char* buffer, std::size_t size) override {
    const auto wanted = static_cast<DWORD>(std::min(size, max_transfer));
    for (;;) {
      DWORD got = 0;
      if (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, wanted, &got, nullptr)) {
        note_console_input({buffer, got});
        return got;
      }
      // A console read that control-C broke off: the event's own thread is
      // ending the process; reading on waits for that, as on an interrupted read.
      if (GetLastError() != ERROR_OPERATION_ABORTED) return 0;
    }
  }

  bool write_console(std::string_view bytes) override {
    if (!write_all(GetStdHandle(STD_OUTPUT_HANDLE), bytes)) return false;
    note_console_output(bytes);
    return true;
  }
  void write_error(std::string_view bytes) override { write_diagnostic(bytes); }

  device device_named(std::string_view name) override { return detail::console_or_null_device(name); }

  open_result open_results_file(const std::string& name) override {
    const std::string_view device = device_of(name);
    return device.empty() ? open_file(name) : open_device(device);
  }

  open_result open_null_device() override {
    const HANDLE handle = create("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) return failed(classify(GetLastError()));
    return opened(handle, false);
  }

  bool write_file(file_handle file, std::string_view bytes) override {
    const HANDLE target = handle_of(file);
    std::size_t written = 0;
    if (write_all(target, bytes, written)) return true;
    // A full disk can take part of a record: take that part back, so the file
    // ends with the last whole record.
    if (written > 0) {
      LARGE_INTEGER back{};
      back.QuadPart = -static_cast<LONGLONG>(written);
      if (SetFilePointerEx(target, back, nullptr, FILE_CURRENT)) SetEndOfFile(target);
    }
    return false;
  }

  bool cut_file_here(file_handle file) override { return SetEndOfFile(handle_of(file)) != 0; }

  void close_file(file_handle file) override { CloseHandle(handle_of(file)); }

  std::string full_path(const std::string& name) override {
    std::string path(MAX_PATH, '\0');
    for (;;) {
      const DWORD length = GetFullPathNameA(name.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
      if (length == 0) return name;
      if (length < path.size()) {
        path.resize(length);
        return path;
      }
      path.resize(length);  // too small: `length` counts the terminating NUL as well
    }
  }

  void wait_for_key() override { wait_for_key_on_console(); }
  void hold_console_events() override { platform::hold_console_events(); }
};

struct standard_stream {
  DWORD id;
  const char* console_device;
};

constexpr std::array standard_streams{
    standard_stream{STD_INPUT_HANDLE, "CONIN$"},
    standard_stream{STD_OUTPUT_HANDLE, "CONOUT$"},
    standard_stream{STD_ERROR_HANDLE, "CONOUT$"},
};

bool usable(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  SetLastError(NO_ERROR);
  return GetFileType(handle) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}

// A standard handle the process did not get is taken by the console device,
// else by NUL, so that every later use of it has somewhere to go.
void keep_stream_connected(const standard_stream& stream) {
  if (usable(GetStdHandle(stream.id))) return;
  const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE handle = create(stream.console_device, GENERIC_READ | GENERIC_WRITE, sharing, OPEN_EXISTING);
  if (handle == INVALID_HANDLE_VALUE) handle = create("NUL", GENERIC_READ | GENERIC_WRITE, sharing, OPEN_EXISTING);
  if (handle != INVALID_HANDLE_VALUE) SetStdHandle(stream.id, handle);
}

}  // namespace

system_interface& host_system() {
  static win32_system system;
  return system;
}

void prepare_process() {
  for (const standard_stream& stream : standard_streams) keep_stream_connected(stream);
  // A drive without its medium must fail the open (42), not ask the user in a
  // window that a console run may never see.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  install_console_event_handler();
}

}  // namespace ulpscope::platform
