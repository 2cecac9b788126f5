#include "kivra/support.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace kivra {

char sProgramName[4096] = "";

Timer::Timer() { start(); }

Timer::~Timer() {}

void Timer::start() { getrusage(RUSAGE_SELF, &beginning); }

std::pair<double, double> Timer::stop() {
  getrusage(RUSAGE_SELF, &end);
  auto seconds = [](const timeval& from, const timeval& to) {
    long sec = static_cast<long>(to.tv_sec) - static_cast<long>(from.tv_sec);
    long usec = static_cast<long>(to.tv_usec) - static_cast<long>(from.tv_usec);
    return static_cast<double>(sec) + static_cast<double>(usec) / 1000000.0;
  };
  return {seconds(beginning.ru_utime, end.ru_utime), seconds(beginning.ru_stime, end.ru_stime)};
}

std::pair<double, double> Timer::lap() {
  const std::pair<double, double> seconds = stop();
  beginning = end;
  return seconds;
}

void Timer::printStop(std::ostream& out) { out << stop().first; }

void InitializeErrorHandling(const char* name) {
  if (name == nullptr) name = "Error";
  std::strncpy(sProgramName, name, sizeof(sProgramName) - 1);
  sProgramName[sizeof(sProgramName) - 1] = '\0';
}

namespace {

// Appends the pending system error text, ends the line and leaves with status 1.
[[noreturn]] void finishError() {
  int pending = errno;
  if (pending != 0) std::cerr << " - " << std::strerror(pending);
  std::cerr << std::endl;
  std::exit(1);
}

}  // namespace

void _printError(const char* message) {
  int pending = errno;
  std::cerr << sProgramName << ": ERROR - " << message;
  errno = pending;
  finishError();
}

void _printError(int line, const char* file, const char* message) {
  int pending = errno;
  std::cerr << sProgramName << ": " << file << ":" << line << ": ERROR - " << message;
  errno = pending;
  finishError();
}

}  // namespace kivra
