// Streams, the results file and the ends of the process.
//
// The results file is replaced, not truncated at open: its first record is
// written at the start and the file is cut right after it, so a run that ends
// before writing anything leaves an older file as it was.
#include "textio/streams.h"

#include <algorithm>
#include <array>
#include <utility>

#include "textio/input.h"
#include "textio/results_name.h"

namespace ulpscope::textio {
namespace {

struct severe_message {
  severe number;
  std::string_view text;  // %d and %s stand for the stream's number and name
};

constexpr std::array severe_messages{
    severe_message{severe::permission_denied, "permission to access file denied, unit %d, file %s"},
    severe_message{severe::end_of_input, "end-of-file during read, unit %d, file %s"},
    severe_message{severe::file_not_found, "file not found, unit %d, file %s"},
    severe_message{severe::open_failure, "open failure, unit %d, file %s"},
    severe_message{severe::write_failure, "error during write, unit %d, file %s"},
    severe_message{severe::no_device, "no such device, unit %d, file %s"},
    severe_message{severe::bad_file_name, "file name specification error, unit %d, file %s"},
    severe_message{severe::read_only_file, "write to READONLY file, unit %d, file %s"},
    severe_message{severe::syntax_error, "list-directed I/O syntax error, unit %d, file %s"},
    severe_message{severe::conversion_error, "input conversion error, unit %d, file %s"},
};

constexpr std::size_t full_path_limit = 256;

std::string_view message_text(severe number) {
  const auto* found = std::find_if(severe_messages.begin(), severe_messages.end(),
                                   [number](const severe_message& m) { return m.number == number; });
  return found->text;
}

severe severe_for(platform::open_error error) {
  switch (error) {
    case platform::open_error::access_denied: return severe::permission_denied;
    case platform::open_error::not_found: return severe::file_not_found;
    case platform::open_error::no_device: return severe::no_device;
    case platform::open_error::bad_name: return severe::bad_file_name;
    default: return severe::open_failure;
  }
}

// The part of a name before its last ".", which is what device names match.
std::string_view before_extension(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

}  // namespace

std::string severe_diagnostic(severe number, int unit, std::string_view file) {
  std::string line = "ulpscope: severe (" + std::to_string(static_cast<int>(number)) + "): ";
  const std::string_view text = message_text(number);
  const auto unit_at = text.find("%d");
  const auto file_at = text.find("%s");
  line.append(text.substr(0, unit_at));
  line.append(std::to_string(unit));
  line.append(text.substr(unit_at + 2, file_at - unit_at - 2));
  line.append(file);
  line.append(text.substr(file_at + 2));
  line.append(record_terminator);
  return line;
}

// Console output: standard output, one write per record.
class streams::console_sink final : public record_sink {
 public:
  explicit console_sink(streams& owner) : owner_(owner) {}
  void write_record(std::string_view bytes) override {
    if (!owner_.system_.write_console(bytes))
      owner_.fail(severe::write_failure, console_output_unit, console_output_name);
  }

 private:
  streams& owner_;
};

// The results file, or the console or the null device where its name says so.
class streams::results_sink final : public record_sink {
 public:
  results_sink(streams& owner, platform::open_result opened, bool to_console, std::string shown_name)
      : owner_(owner), opened_(opened), to_console_(to_console), shown_name_(std::move(shown_name)) {}
  ~results_sink() override {
    if (opened_.file.valid()) owner_.system_.close_file(opened_.file);
  }

  bool to_console() const { return to_console_; }
  std::uint64_t bytes_written() const { return bytes_written_; }

  void write_record(std::string_view bytes) override {
    if (opened_.read_only) owner_.fail(severe::read_only_file, results_file_unit, shown_name_);
    const bool written = to_console_ ? owner_.system_.write_console(bytes)
                                     : owner_.system_.write_file(opened_.file, bytes);
    if (!written) owner_.fail(severe::write_failure, results_file_unit, shown_name_);
    bytes_written_ += bytes.size();
    const bool first = std::exchange(first_record_, false);
    if (first && opened_.regular && !owner_.system_.cut_file_here(opened_.file))
      owner_.fail(severe::write_failure, results_file_unit, shown_name_);
  }

 private:
  streams& owner_;
  platform::open_result opened_;
  bool to_console_;
  std::string shown_name_;
  bool first_record_ = true;
  std::uint64_t bytes_written_ = 0;
};

// Console input bytes, taken from the platform.
class streams::console_bytes final : public byte_source {
 public:
  explicit console_bytes(platform::system_interface& system) : system_(system) {}
  std::size_t read(char* buffer, std::size_t size) override { return system_.read_console(buffer, size); }

 private:
  platform::system_interface& system_;
};

streams::streams(platform::system_interface& system)
    : system_(system),
      console_(std::make_unique<console_sink>(*this)),
      input_bytes_(std::make_unique<console_bytes>(system)),
      input_(std::make_unique<console_input>(*input_bytes_)) {}

streams::~streams() = default;

record_sink& streams::console() { return *console_; }
record_sink& streams::results() { return *results_; }

void streams::open_results_file(std::string_view field) {
  // Step 1: the name, and the names the tool refuses before touching any file:
  // one the 256-character cut would change, or one with a NUL byte (the
  // system would stop the name there and replace some other file).
  const std::string name(results_file_name(field));
  std::string shown = system_.full_path(name);
  if (shown.size() > full_path_limit) shown = name;
  if (cut_changes_name(field) || name.find('\0') != std::string::npos)
    fail(severe::bad_file_name, results_file_unit, shown);

  // Step 2: the device names.
  const platform::device addressed = system_.device_named(before_extension(name));
  if (addressed == platform::device::console_output) {
    results_ = std::make_unique<results_sink>(*this, platform::open_result{}, true, name);
    return;
  }

  // Step 3: the file itself, or the null device.
  const platform::open_result opened = addressed == platform::device::null_device
                                           ? system_.open_null_device()
                                           : system_.open_results_file(name);
  if (opened.error != platform::open_error::none) fail(severe_for(opened.error), results_file_unit, shown);
  results_ = std::make_unique<results_sink>(*this, opened, false, shown);
}

void streams::read_text(std::span<char> out) {
  if (read_console_text(*input_, out) != read_status::ok)
    fail(severe::end_of_input, console_input_unit, console_input_name);
}

void streams::read_doubles(std::span<double> values) {
  switch (read_console_doubles(*input_, values)) {
    case read_status::ok: return;
    case read_status::end_of_input: fail(severe::end_of_input, console_input_unit, console_input_name);
    case read_status::syntax_error: fail(severe::syntax_error, console_input_unit, console_input_name);
    case read_status::conversion_error:
      fail(severe::conversion_error, console_input_unit, console_input_name);
  }
}

bool streams::can_show_status() { return results_ != nullptr && !results_->to_console() && system_.can_show_status(); }

std::uint64_t streams::results_bytes() const { return results_ != nullptr ? results_->bytes_written() : 0; }

void streams::immediate_stop() {
  system_.hold_console_events();
  throw process_end{0};
}

void streams::fail(severe number, int unit, std::string_view file) {
  system_.hold_console_events();
  system_.write_error(severe_diagnostic(number, unit, file));
  throw process_end{static_cast<int>(number)};
}

}  // namespace ulpscope::textio
