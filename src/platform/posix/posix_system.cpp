// The POSIX system: raw read and write on the standard descriptors, the
// results file through open, and the mapping of errno to the tool's classes.
//
// Standard descriptors that are closed at start are reopened (on the terminal,
// else on /dev/null) so that the results file can never become descriptor 0, 1
// or 2 and have prompts written into it.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/shared.h"
#include "platform/posix/posix_screen.h"
#include "platform/posix/posix_terminal.h"

namespace ulpscope::platform {
namespace {

// Writes all of `bytes`; `written` tells how many reached the descriptor.
bool write_all(int fd, std::string_view bytes, std::size_t& written) {
  written = 0;
  while (written < bytes.size()) {
    const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += static_cast<std::size_t>(count);
  }
  return true;
}

bool write_all(int fd, std::string_view bytes) {
  std::size_t written = 0;
  return write_all(fd, bytes, written);
}

open_error classify(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return open_error::access_denied;
    case ENOENT:
    case ENOTDIR: return open_error::not_found;
    case ENXIO:
    case ENODEV: return open_error::no_device;
    case ENAMETOOLONG: return open_error::bad_name;
    default: return open_error::other;
  }
}

// A refusal after which the file may still be opened for reading.
bool may_open_for_reading(int error) { return error == EACCES || error == EROFS || error == ETXTBSY; }

open_result opened(int fd, bool read_only) {
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  return {file_handle{fd}, read_only, regular, open_error::none};
}

// A regular file without any write permission bit is read-only for every
// user, the superuser included, whose open for writing would succeed.
bool is_write_protected_file(const std::string& name) {
  struct stat info {};
  return ::stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}

std::string current_folder() {
  std::vector<char> buffer(PATH_MAX + 1);
  if (::getcwd(buffer.data(), buffer.size()) == nullptr) return {};
  return buffer.data();
}

// Joins and tidies a path lexically: no "." parts, ".." taken back, one "/".
std::string normalise(const std::string& path) {
  std::vector<std::string_view> parts;
  std::string_view rest = path;
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string joined;
  for (const auto part : parts) {
    joined += '/';
    joined += part;
  }
  return joined.empty() ? "/" : joined;
}

class posix_system final : public system_interface {
 public:
  // The end of input (or EIO) at a terminal that has hung up is the window
  // closing, not an end-of-file; a control-D at a live terminal stays one.
  std::size_t read_console(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t got = ::read(STDIN_FILENO, buffer, size);
      if (got > 0) {
        note_console_input({buffer, static_cast<std::size_t>(got)});
        return static_cast<std::size_t>(got);
      }
      if (got < 0 && errno == EINTR) continue;
      if (input_is_terminal() && terminal_hung_up(STDIN_FILENO)) end_by_hang_up();
      return 0;
    }
  }

  bool write_console(std::string_view bytes) override {
    erase_status_line();
    if (write_all(STDOUT_FILENO, bytes)) {
      note_console_output(bytes);
      return true;
    }
    if (output_is_terminal() && terminal_hung_up(STDOUT_FILENO)) end_by_hang_up();
    return false;
  }
  void write_error(std::string_view bytes) override { write_diagnostic(bytes); }

  device device_named(std::string_view name) override { return detail::console_or_null_device(name); }

  open_result open_results_file(const std::string& name) override {
    constexpr int common = O_CLOEXEC | O_NOCTTY;
    if (is_write_protected_file(name)) {
      const int fd = ::open(name.c_str(), O_RDONLY | common);
      if (fd >= 0) return opened(fd, true);
      return {file_handle{}, false, false, classify(errno)};
    }
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | common, 0666);
    if (fd >= 0) return opened(fd, false);
    const int refusal = errno;
    if (may_open_for_reading(refusal)) {
      const int reading = ::open(name.c_str(), O_RDONLY | common);
      if (reading >= 0) return opened(reading, true);
    }
    return {file_handle{}, false, false, classify(refusal)};
  }

  open_result open_null_device() override {
    const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return {file_handle{}, false, false, classify(errno)};
    return {file_handle{fd}, false, false, open_error::none};
  }

  bool write_file(file_handle file, std::string_view bytes) override {
    std::size_t written = 0;
    if (write_all(file.value, bytes, written)) return true;
    // A full disk can take part of a record: take that part back, so the file
    // ends with the last whole record.
    if (written > 0) {
      const off_t here = ::lseek(file.value, 0, SEEK_CUR);
      const off_t record_start = here - static_cast<off_t>(written);
      if (here >= 0 && ::ftruncate(file.value, record_start) == 0) ::lseek(file.value, record_start, SEEK_SET);
    }
    return false;
  }

  bool cut_file_here(file_handle file) override {
    const off_t here = ::lseek(file.value, 0, SEEK_CUR);
    return here >= 0 && ::ftruncate(file.value, here) == 0;
  }

  void close_file(file_handle file) override { ::close(file.value); }

  std::string full_path(const std::string& name) override {
    if (!name.empty() && name.front() == '/') return normalise(name);
    const std::string folder = current_folder();
    if (folder.empty()) return name;
    return normalise(folder + "/" + name);
  }

  void wait_for_key() override { wait_for_key_on_terminal(); }

  bool can_show_status() override { return status_line_possible(); }
  void show_status(std::string_view text) override { show_status_line(text); }
  void hold_console_events() override { platform::hold_console_events(); }
};

// Reopens a closed standard descriptor so that it stays taken.
void keep_descriptor_taken(int fd, int flags) {
  if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) return;
  int opened_fd = ::open("/dev/tty", flags | O_NOCTTY);
  if (opened_fd < 0) opened_fd = ::open("/dev/null", flags);
  if (opened_fd >= 0 && opened_fd != fd) {
    ::dup2(opened_fd, fd);
    ::close(opened_fd);
  }
}

}  // namespace

system_interface& host_system() {
  static posix_system system;
  return system;
}

void prepare_process() {
  keep_descriptor_taken(STDIN_FILENO, O_RDONLY);
  keep_descriptor_taken(STDOUT_FILENO, O_WRONLY);
  keep_descriptor_taken(STDERR_FILENO, O_WRONLY);
  note_standard_descriptors();
  // A reader that has gone or a full file must end with the write diagnostic,
  // not with a silent death by signal.
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
  install_console_interrupts();
}

}  // namespace ulpscope::platform
