// CPU-time stopwatch and the framework's fatal-error reporting.
#pragma once

#include <sys/resource.h>

#include <ostream>
#include <utility>

namespace kivra {

// Measures the user and system CPU time of this process since start().
class Timer {
 public:
  Timer();
  ~Timer();

  void start();
  // (user seconds, system seconds) since the last start(); does not restart.
  std::pair<double, double> stop();
  // stop(), then starts again at the moment of that reading: back-to-back
  // intervals cost one reading of the clock each instead of two.
  std::pair<double, double> lap();
  // Writes the user seconds of stop() with the stream's default formatting.
  void printStop(std::ostream& out);

 private:
  rusage beginning;
  rusage end;
};

// Prefix of every framework error message; set once by InitializeErrorHandling.
extern char sProgramName[4096];

// Stores the program name used in error messages ("Error" when null).
void InitializeErrorHandling(const char* name);

// "<program>: ERROR - <message>[ - <strerror(errno)>]" on stderr, exit status 1.
[[noreturn]] void _printError(const char* message);

// Assertion form: "<program>: <file>:<line>: ERROR - <message>[ - <strerror>]".
[[noreturn]] void _printError(int line, const char* file, const char* message);

}  // namespace kivra
