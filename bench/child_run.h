// Runs one piece of work in a child process, so that its user CPU time and
// peak memory (the child's maximum resident set) belong to that run alone.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelkovant_bench {

// Runs `work` in a child that then exits with status 0; returns the child's
// user CPU seconds and stores its peak resident megabytes (-1 when the child
// failed, and 0 is returned).
template <class Work>
double userSecondsInChild(Work work, double& peakMegabytes) {
  const pid_t child = fork();
  if (child == 0) {
    work();
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    peakMegabytes = -1;
    return 0;
  }
  peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return static_cast<double>(usage.ru_utime.tv_sec) + static_cast<double>(usage.ru_utime.tv_usec) / 1e6;
}

}  // namespace zelkovant_bench
