// measure_run: runs a command and reports its wall time, its processor time
// and its peak resident memory, so that bench/sweep.sh needs nothing beyond a
// shell. Standard input and output pass through to the command unchanged.
//
// The one fact to know: the figures come from one wait4 (ru_utime, ru_stime,
// ru_maxrss in KiB, the number /usr/bin/time shows as "Maximum resident set
// size") and a monotonic clock read around fork and wait; the report goes to
// standard error as one line.
//
//   measure_run ./ulpscope < answers.txt > /dev/null
//   -> stderr "wall 1.402311 user 0.412000 sys 0.951000 peak_rss_kib 3120"
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

double seconds_now() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double seconds_of(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: measure_run COMMAND [ARGUMENT...]\n");
    return 2;
  }
  const double start = seconds_now();
  const pid_t child = ::fork();
  if (child < 0) {
    std::fprintf(stderr, "measure_run: fork: %s\n", std::strerror(errno));
    return 1;
  }
  if (child == 0) {
    ::execvp(argv[1], argv + 1);
    std::fprintf(stderr, "measure_run: %s: %s\n", argv[1], std::strerror(errno));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  while (::wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      std::fprintf(stderr, "measure_run: wait4: %s\n", std::strerror(errno));
      return 1;
    }
  }
  const double wall = seconds_now() - start;
  std::fprintf(stderr, "wall %.6f user %.6f sys %.6f peak_rss_kib %ld\n", wall, seconds_of(usage.ru_utime),
               seconds_of(usage.ru_stime), usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
