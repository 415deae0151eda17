// The write floor: the cost of the tool's writes and nothing else.
//
// Replays a results file the tool has just written: splits it where the tool
// splits records and issues one write() per record to a new file, so the time
// it reports is what the operating system charges for those writes alone.
// The one fact to know: a record ends after each CR LF, and a held probe
// record (the first 49 characters of a line starting "x1:", "x2:" or "x3:") is
// a record and a write of its own, as in the tool.
//
//   write_floor results.rez replay.rez
//   -> "records 786383 bytes 25247848 seconds 1.172127 cpu 1.168000 user 0.101000 sys 1.067000"
// seconds is the wall time of the open and the writes, cpu the processor time
// the process spent in them, user and sys its two parts.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t held_probe_length = 49;
constexpr std::array<std::string_view, 3> held_probe_labels{"x1:", "x2:", "x3:"};

struct record_span {
  std::size_t offset;
  std::size_t length;
};

bool read_whole_file(const char* path, std::string& content) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::array<char, 1 << 16> chunk;
  for (;;) {
    const ssize_t got = ::read(fd, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ::close(fd);
      return got == 0;
    }
    content.append(chunk.data(), static_cast<std::size_t>(got));
  }
}

bool starts_held_probe(std::string_view line) {
  if (line.size() < held_probe_length) return false;
  for (const std::string_view label : held_probe_labels) {
    if (line.substr(0, label.size()) == label) return true;
  }
  return false;
}

// Step 1: the records, line by line: a held probe record first where the line
// has one, then the rest of the line up to and including its CR LF. A file
// that does not end with CR LF ends with one last record.
std::vector<record_span> split_records(std::string_view content) {
  std::vector<record_span> records;
  std::size_t at = 0;
  while (at < content.size()) {
    const std::size_t terminator = content.find("\r\n", at);
    const std::size_t line_end = terminator == std::string_view::npos ? content.size() : terminator + 2;
    if (starts_held_probe(content.substr(at, line_end - at))) {
      records.push_back({at, held_probe_length});
      at += held_probe_length;
    }
    records.push_back({at, line_end - at});
    at = line_end;
  }
  return records;
}

bool write_all(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t count = ::write(fd, bytes, size);
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += count;
    size -= static_cast<std::size_t>(count);
  }
  return true;
}

double seconds_now() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct processor_seconds {
  double user;
  double system;
};

processor_seconds processor_seconds_now() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
  };
  return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: write_floor RESULTS_FILE NEW_FILE\n");
    return 2;
  }
  std::string content;
  if (!read_whole_file(argv[1], content)) {
    std::fprintf(stderr, "write_floor: cannot read %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  const std::vector<record_span> records = split_records(content);

  // Step 2: only the open and the writes are timed, as the tool opens its
  // file once and then writes record after record.
  const processor_seconds processor_start = processor_seconds_now();
  const double start = seconds_now();
  const int fd = ::open(argv[2], O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    std::fprintf(stderr, "write_floor: cannot create %s: %s\n", argv[2], std::strerror(errno));
    return 1;
  }
  for (const record_span& record : records) {
    if (!write_all(fd, content.data() + record.offset, record.length)) {
      std::fprintf(stderr, "write_floor: write failed: %s\n", std::strerror(errno));
      return 1;
    }
  }
  const double elapsed = seconds_now() - start;
  const processor_seconds processor_end = processor_seconds_now();
  ::close(fd);
  const double user = processor_end.user - processor_start.user;
  const double system = processor_end.system - processor_start.system;
  std::printf("records %zu bytes %zu seconds %.6f cpu %.6f user %.6f sys %.6f\n", records.size(), content.size(),
              elapsed, user + system, user, system);
  return 0;
}
