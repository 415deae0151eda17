// The harness behind every end-to-end test: fork, a new session, the answers
// through a pipe fed by a thread, output and errors collected through pipes
// drained by threads (not files, which a file-size limit would cut too).
#include "run_tool.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace e2e {
namespace {

// False once the tool has stopped reading: that is its right.
bool feed_bytes(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void drain(int fd, std::string& bytes) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
}

void feed(int fd, const run_options& options) {
  bool reading = feed_bytes(fd, options.input);
  for (const input_piece& piece : options.input_stream)
    for (std::size_t round = 0; reading && round < piece.times; ++round) reading = feed_bytes(fd, piece.bytes);
  ::close(fd);
}

[[noreturn]] void exec_tool(const run_options& options, int input_fd, int output_fd, int errors_fd) {
  ::setsid();
  if (::chdir(options.folder.c_str()) != 0) ::_exit(126);
  if (options.input_path) {
    input_fd = ::open(options.input_path->c_str(), O_RDONLY);
    if (input_fd < 0) ::_exit(125);
  }
  if (options.input_write_only) {
    input_fd = ::open("/dev/null", O_WRONLY);
    if (input_fd < 0) ::_exit(125);
  }
  ::dup2(input_fd, 0);
  if (options.output_to_closed_pipe) {
    int gone[2];
    if (::pipe(gone) != 0) ::_exit(125);
    ::close(gone[0]);
    output_fd = gone[1];
  }
  ::dup2(output_fd, 1);
  ::dup2(errors_fd, 2);
  for (int fd = 3; fd < 256; ++fd) ::close(fd);
  if (options.close_input) ::close(0);
  if (options.close_output) ::close(1);
  if (options.close_errors) ::close(2);
  if (options.file_size_limit) {
    const rlimit limit{static_cast<rlim_t>(*options.file_size_limit), static_cast<rlim_t>(*options.file_size_limit)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ::signal(SIGPIPE, SIG_DFL);
  for (const std::string& entry : options.environment) ::putenv(const_cast<char*>(entry.c_str()));
  const std::vector<std::string> command = options.command.empty() ? tool_command() : options.command;
  std::vector<char*> argv;
  for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

}  // namespace

std::vector<std::string> tool_command() {
  const std::string emulator = ULPSCOPE_EMULATOR;
  if (emulator.empty()) return {ULPSCOPE_BINARY};
  return {emulator, ULPSCOPE_BINARY};
}

run_result run_tool(const run_options& options) {
  ::signal(SIGPIPE, SIG_IGN);
  int input_pipe[2], output_pipe[2], errors_pipe[2];
  if (::pipe2(input_pipe, O_CLOEXEC) != 0 || ::pipe2(output_pipe, O_CLOEXEC) != 0 ||
      ::pipe2(errors_pipe, O_CLOEXEC) != 0)
    throw std::runtime_error("harness setup");

  const pid_t child = ::fork();
  if (child == 0) exec_tool(options, input_pipe[0], output_pipe[1], errors_pipe[1]);
  ::close(input_pipe[0]);
  ::close(output_pipe[1]);
  ::close(errors_pipe[1]);
  run_result result;
  std::thread feeder(feed, input_pipe[1], std::cref(options));
  std::thread output_reader(drain, output_pipe[0], std::ref(result.output));
  std::thread errors_reader(drain, errors_pipe[0], std::ref(result.errors));
  if (options.while_running) options.while_running(child);

  int wait_status = 0;
  rusage usage{};
  ::wait4(child, &wait_status, 0, &usage);
  feeder.join();
  output_reader.join();
  errors_reader.join();

  result.peak_memory_kb = usage.ru_maxrss;
  if (WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) result.signal = WTERMSIG(wait_status);
  return result;
}

scratch_folder::scratch_folder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ulpscope-e2e-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
  path_ = pattern;
}

scratch_folder::~scratch_folder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string crlf_lines(std::initializer_list<std::string> lines) {
  std::string joined;
  for (const auto& line : lines) joined += line + "\r\n";
  return joined;
}

}  // namespace e2e
