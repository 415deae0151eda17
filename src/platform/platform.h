// The operating-system layer: every call into the system goes through
// `system_interface`, so the rest of the tool never sees a descriptor, errno or
// a terminal, and tests can put an in-memory system in its place.
//
// Failures come back classified in the tool's own terms (`open_error`); which
// system error means which class is decided here and nowhere else.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ulpscope::platform {

// Why an open was refused, in the classes the diagnostics distinguish.
enum class open_error {
  none,
  access_denied,  // permission, write-protected medium, a folder of that name
  not_found,      // a folder on the way does not exist
  no_device,      // a drive or device that is not there
  bad_name,       // not a valid name here (too long, ...)
  other,          // any other refusal
};

// What a results-file name addresses before any file is opened.
enum class device { none, console_output, null_device };

struct file_handle {
  int value = -1;
  bool valid() const { return value >= 0; }
};

struct open_result {
  file_handle file;
  bool read_only = false;  // opened for reading only: the first write must fail
  bool regular = false;    // a disk file, which is cut after its first record
  open_error error = open_error::none;
};

class system_interface {
 public:
  virtual ~system_interface() = default;

  // Console input: up to `size` bytes; 0 at end of input or when reading fails.
  // From a terminal a read never takes more than the current line.
  virtual std::size_t read_console(char* buffer, std::size_t size) = 0;
  // Console output and standard error: the whole of `bytes`, as one write.
  virtual bool write_console(std::string_view bytes) = 0;
  virtual void write_error(std::string_view bytes) = 0;

  // Results file: create or keep (never truncate), read and write, others may read.
  virtual device device_named(std::string_view name) = 0;
  virtual open_result open_results_file(const std::string& name) = 0;
  virtual open_result open_null_device() = 0;
  virtual bool write_file(file_handle file, std::string_view bytes) = 0;
  // Cuts the file at its current position.
  virtual bool cut_file_here(file_handle file) = 0;
  virtual void close_file(file_handle file) = 0;
  // `name` resolved against the current folder (unchanged if that is not possible).
  virtual std::string full_path(const std::string& name) = 0;

  // Returns once a key press is pending on the console keyboard, without taking
  // it; at once where there is no console keyboard.
  virtual void wait_for_key() = 0;

  // The status line of a long sweep: one line on standard error, redrawn in
  // place, shown only where standard error is a terminal whose foreground
  // the process holds. Every other write to the console or to standard error
  // erases it first, so the screen afterwards is the one without it.
  // Systems without a status line (pipes, tests) keep these defaults.
  virtual bool can_show_status() { return false; }
  virtual void show_status(std::string_view /*text*/) {}

  // The run has begun to end on a path of its own (a severe diagnostic, the
  // immediate stop, the normal end): from now on no console event may add a
  // diagnostic or change the exit status.
  virtual void hold_console_events() {}
};

// The system the process runs on. Call `prepare_process` first thing in main
// (after the floating-point modes): it makes standard streams safe to use and
// installs the console-interrupt handling.
system_interface& host_system();
void prepare_process();

}  // namespace ulpscope::platform
