// The harness behind every end-to-end test: fork, a new session, the answers
// through a pipe fed by a thread, output and errors collected in files.
#include "run_tool.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace e2e {
namespace {

void feed(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;  // the tool has stopped reading: that is its right
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

[[noreturn]] void exec_tool(const run_options& options, int input_fd, int output_fd, int errors_fd) {
  ::setsid();
  if (::chdir(options.folder.c_str()) != 0) ::_exit(126);
  if (options.input_path) {
    input_fd = ::open(options.input_path->c_str(), O_RDONLY);
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
  char* const argv[] = {const_cast<char*>(ULPSCOPE_BINARY), nullptr};
  ::execv(ULPSCOPE_BINARY, argv);
  ::_exit(127);
}

}  // namespace

run_result run_tool(const run_options& options) {
  ::signal(SIGPIPE, SIG_IGN);
  const std::filesystem::path output_path = options.folder / ".stdout";
  const std::filesystem::path errors_path = options.folder / ".stderr";
  const int output_fd = ::open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int errors_fd = ::open(errors_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int pipe_fds[2];
  if (output_fd < 0 || errors_fd < 0 || ::pipe2(pipe_fds, O_CLOEXEC) != 0) throw std::runtime_error("harness setup");

  const pid_t child = ::fork();
  if (child == 0) exec_tool(options, pipe_fds[0], output_fd, errors_fd);
  ::close(pipe_fds[0]);
  ::close(output_fd);
  ::close(errors_fd);
  std::thread feeder(feed, pipe_fds[1], options.input);
  if (options.while_running) options.while_running(child);

  int wait_status = 0;
  ::waitpid(child, &wait_status, 0);
  feeder.join();

  run_result result;
  if (WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) result.signal = WTERMSIG(wait_status);
  result.output = read_file(output_path);
  result.errors = read_file(errors_path);
  std::filesystem::remove(output_path);
  std::filesystem::remove(errors_path);
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
