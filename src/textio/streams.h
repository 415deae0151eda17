// The three streams of a run (console output, console input, results file),
// the diagnostics and the ends of the process.
//
// Nothing is buffered across records: every record is one write as soon as it
// is complete, so a process that ends at any point has lost no whole record.
// Every failure ends the process here, with its numbered diagnostic; callers
// never test the outcome of a read or a write.
//
// Ending the process is a `process_end` exception that unwinds to the top of
// the run, which returns its status: the platform, tests and fuzzers all see
// an ordinary return.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "textio/console_input.h"
#include "textio/record.h"

namespace ulpscope::textio {

// The numbers of the severe diagnostics, which are also the exit statuses.
enum class severe : int {
  permission_denied = 9,
  end_of_input = 24,
  file_not_found = 29,
  open_failure = 30,
  write_failure = 38,
  no_device = 42,
  bad_file_name = 43,
  read_only_file = 47,
  syntax_error = 59,
  conversion_error = 64,
};

struct process_end {
  int status;
};

// "ulpscope: severe (24): end-of-file during read, unit -4, file CONIN$\r\n"
std::string severe_diagnostic(severe number, int unit, std::string_view file);

class streams {
 public:
  explicit streams(platform::system_interface& system);
  ~streams();
  streams(const streams&) = delete;
  streams& operator=(const streams&) = delete;

  record_sink& console();
  // Requires: open_results_file has been called.
  record_sink& results();

  // Creates or keeps the file that `field` names (textio/results_name.h);
  // fails with 9, 29, 30, 42 or 43. The old content stays until the first record replaces it.
  void open_results_file(std::string_view field);

  // Answers from the console; 24, 59 and 64 end the process.
  void read_text(std::span<char> out);
  void read_doubles(std::span<double> values);

  void wait_for_key() { system_.wait_for_key(); }

  // The status line of a long sweep, on standard error at a terminal; not
  // where the results themselves go to the console.
  bool can_show_status();
  void show_status(std::string_view text) { system_.show_status(text); }
  // Bytes written to the results file so far.
  std::uint64_t results_bytes() const;

  // Every end of the run holds the console events off first, so that the
  // run has one diagnostic and one exit status.
  // The dialogue is over: status 0 once the dialogue returns.
  void normal_end() { system_.hold_console_events(); }
  // The range end was zero: end at once, silently, with status 0.
  [[noreturn]] void immediate_stop();
  [[noreturn]] void fail(severe number, int unit, std::string_view file);

 private:
  class console_sink;
  class results_sink;
  class console_bytes;

  platform::system_interface& system_;
  std::unique_ptr<console_sink> console_;
  std::unique_ptr<results_sink> results_;
  std::unique_ptr<console_bytes> input_bytes_;
  std::unique_ptr<console_input> input_;
};

// Stream numbers and names shown in diagnostics.
inline constexpr int console_output_unit = -1;
inline constexpr int console_input_unit = -4;
inline constexpr int results_file_unit = 1;
inline constexpr std::string_view console_output_name = "CONOUT$";
inline constexpr std::string_view console_input_name = "CONIN$";

}  // namespace ulpscope::textio
