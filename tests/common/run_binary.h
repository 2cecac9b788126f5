// Runs the real zelkovant binary with given arguments and standard input and
// captures its standard output, standard error and exit status. Standard
// input and output can instead be given descriptors of the caller's choosing
// (a directory, a socket, /dev/full, a pipe nobody reads) or be closed.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelkovant_test {

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or 128 + signal number
};

// Where the child's standard input or output goes.
constexpr int kCapture = -1;  // a pipe: input fed from the text, output captured
constexpr int kClosed = -2;   // the descriptor is closed in the child

struct Redirect {
  int in = kCapture;   // or a descriptor the child reads as its standard input
  int out = kCapture;  // or a descriptor the child writes its standard output to
  bool defaultSigpipe = false;  // the child gets the default SIGPIPE action back
  std::vector<std::string> environment = {};  // NAME=value entries added to the child's environment
};

// argv[0] is always "zelkovant" so that usage and error texts are predictable.
inline RunResult runBinaryRedirected(const std::vector<std::string>& args, const std::string& input,
                                     const Redirect& redirect, const std::string& binary = ZELKOVANT_BIN) {
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe");
  // posix_spawn avoids copying the page tables of a large (sanitizer) test process.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (redirect.in == kCapture) posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  else if (redirect.in == kClosed) posix_spawn_file_actions_addclose(&actions, 0);
  else posix_spawn_file_actions_adddup2(&actions, redirect.in, 0);
  if (redirect.out == kCapture) posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  else if (redirect.out == kClosed) posix_spawn_file_actions_addclose(&actions, 1);
  else posix_spawn_file_actions_adddup2(&actions, redirect.out, 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
    posix_spawn_file_actions_addclose(&actions, fd);
  // A descriptor handed over is closed in the child once it sits at 0 or 1.
  for (int fd : {redirect.in, redirect.out})
    if (fd > 2) posix_spawn_file_actions_addclose(&actions, fd);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (redirect.defaultSigpipe) {
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  }
  std::vector<std::string> words;
  words.push_back("zelkovant");
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  // The test's own writes to a closed pipe must fail, not end the test; the
  // child inherits this unless it asks for the default back.
  std::signal(SIGPIPE, SIG_IGN);
  // The given entries replace inherited ones of the same name.
  std::vector<std::string> extra = redirect.environment;
  std::vector<char*> envp;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view inherited = *entry;
    bool replaced = false;
    for (const auto& e : extra)
      replaced = replaced || inherited.substr(0, inherited.find('=') + 1) == e.substr(0, e.find('=') + 1);
    if (!replaced) envp.push_back(*entry);
  }
  for (auto& e : extra) envp.push_back(e.data());
  envp.push_back(nullptr);
  int spawned = posix_spawn(&pid, binary.c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) throw std::runtime_error("posix_spawn");
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  fcntl(inPipe[1], F_SETFL, O_NONBLOCK);

  RunResult result;
  size_t written = 0;
  int inFd = inPipe[1];
  if (input.empty() || redirect.in != kCapture) {
    close(inFd);
    inFd = -1;
  }
  bool outOpen = redirect.out == kCapture, errOpen = true;
  char buffer[65536];
  while (outOpen || errOpen) {
    pollfd fds[3];
    int n = 0;
    int outIdx = -1, errIdx = -1, inIdx = -1;
    if (outOpen) { fds[n] = {outPipe[0], POLLIN, 0}; outIdx = n++; }
    if (errOpen) { fds[n] = {errPipe[0], POLLIN, 0}; errIdx = n++; }
    if (inFd >= 0) { fds[n] = {inFd, POLLOUT, 0}; inIdx = n++; }
    if (poll(fds, n, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    auto drain = [&](int idx, int fd, std::string& into, bool& open) {
      if (idx < 0 || !(fds[idx].revents & (POLLIN | POLLHUP | POLLERR))) return;
      ssize_t got = read(fd, buffer, sizeof buffer);
      if (got > 0) into.append(buffer, static_cast<size_t>(got));
      else open = false;
    };
    drain(outIdx, outPipe[0], result.out, outOpen);
    drain(errIdx, errPipe[0], result.err, errOpen);
    if (inIdx >= 0 && (fds[inIdx].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t put = write(inFd, input.data() + written, input.size() - written);
      if (put > 0) written += static_cast<size_t>(put);
      if (put < 0 || written == input.size()) {
        close(inFd);
        inFd = -1;
      }
    }
  }
  if (inFd >= 0) close(inFd);
  close(outPipe[0]);
  close(errPipe[0]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
  else if (WIFSIGNALED(wstatus)) result.status = 128 + WTERMSIG(wstatus);
  return result;
}

inline RunResult runBinary(const std::vector<std::string>& args, const std::string& input = "",
                           const std::string& binary = ZELKOVANT_BIN) {
  return runBinaryRedirected(args, input, Redirect{}, binary);
}

}  // namespace zelkovant_test
