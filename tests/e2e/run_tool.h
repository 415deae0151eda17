// Runs the built ulpscope in a fresh session (no controlling terminal), with
// the given bytes piped to its standard input, inside a scratch folder.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct run_result {
  int status = -1;     // exit status, or -1 when a signal ended it
  int signal = 0;      // the signal that ended it, if any
  std::string output;  // standard output
  std::string errors;  // standard error
  long peak_memory_kb = 0;  // the child's peak resident set (ru_maxrss), the harness's copy before exec included
};

// Bytes piped in `times` times over, so that a long input is never held whole.
struct input_piece {
  std::string bytes;
  std::size_t times = 1;
};

struct run_options {
  std::string input = {};
  std::filesystem::path folder = {};  // the working directory of the run
  std::optional<long> file_size_limit = {};  // RLIMIT_FSIZE in bytes
  bool close_input = false;         // start with descriptor 0 closed
  bool close_output = false;        // start with descriptor 1 closed
  bool close_errors = false;        // start with descriptor 2 closed
  bool output_to_closed_pipe = false;  // standard output is a pipe whose reader has gone
  std::optional<std::filesystem::path> input_path = {};// standard input opened from this path instead
  std::function<void(pid_t)> while_running = {};       // called in the parent while the tool runs
  std::vector<input_piece> input_stream = {};  // piped in after `input`
  bool input_write_only = false;  // standard input open for writing only, so that every read fails
  std::vector<std::string> command = {};      // program and arguments; empty: the tool of this build
  std::vector<std::string> environment = {};  // "NAME=value" entries added to the run's environment
};

run_result run_tool(const run_options& options);

// The program and arguments that start the tool of this build: its path, after
// the emulator's when the build is for another processor.
std::vector<std::string> tool_command();

// A folder of its own below the system's temporary folder, removed at the end.
class scratch_folder {
 public:
  scratch_folder();
  ~scratch_folder();
  scratch_folder(const scratch_folder&) = delete;
  scratch_folder& operator=(const scratch_folder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& bytes);

// Joins lines, each followed by CR LF.
std::string crlf_lines(std::initializer_list<std::string> lines);

}  // namespace e2e
