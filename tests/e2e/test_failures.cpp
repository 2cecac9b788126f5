// Failures at the edges of a run, through the real binary: input that cannot
// be read, output that cannot be written, and an exhausted heap. None of them
// may end with status 0 or with an answer for part of the input.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
#include "run_binary.h"

using zelkovant_test::kClosed;
using zelkovant_test::Redirect;
using zelkovant_test::RunResult;
using zelkovant_test::runBinary;
using zelkovant_test::runBinaryRedirected;

namespace {

const std::string kReadFailed = "input in flex scanner failed\n";
const std::string kWriteFailed = "zelkovant: ERROR - could not write to standard output";
const std::string kMutual = ZELKOVANT_SOURCE_DIR "/examples/mutual.apx";

std::string joined(const std::vector<std::string>& args) {
  std::string text;
  for (const auto& a : args) text += "[" + a + "]";
  return text;
}

// A stream socket that delivers `text` and then fails with a connection
// reset: the peer is closed while data sent to it is still unread.
int resetSocketAfter(const std::string& text) {
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) return -1;
  if (write(ends[0], "x", 1) != 1) return -1;
  if (write(ends[1], text.data(), text.size()) != static_cast<ssize_t>(text.size())) return -1;
  close(ends[1]);
  return ends[0];
}

}  // namespace

// Standard input that cannot be read ends the run as a named file does.
TEST(Failures, UnreadableStandardInputStopsTheRun) {
  const int directory = open("/", O_RDONLY | O_DIRECTORY);
  ASSERT_GE(directory, 0);
  for (std::vector<std::string> args : {std::vector<std::string>{}, {"--count"}, {"-t"}, {"-d"}}) {
    args.insert(args.end(), {"-r", "1"});
    // The data line's first fields are written before the input is read;
    // the line they began is ended.
    const std::string out = args[0] == "-d" ? "; 1; \n" : "";
    RunResult fromDirectory = runBinaryRedirected(args, "", Redirect{.in = directory});
    EXPECT_EQ(fromDirectory.out, out) << joined(args);
    EXPECT_EQ(fromDirectory.err, kReadFailed) << joined(args);
    EXPECT_EQ(fromDirectory.status, 2) << joined(args);

    RunResult closed = runBinaryRedirected(args, "", Redirect{.in = kClosed});
    EXPECT_EQ(closed.out, out) << joined(args);
    EXPECT_EQ(closed.err, kReadFailed) << joined(args);
    EXPECT_EQ(closed.status, 2) << joined(args);
  }
  RunResult namedDirectory = runBinary({"-f", "/"});
  EXPECT_EQ(namedDirectory.err, kReadFailed);
  EXPECT_EQ(namedDirectory.status, 2);
  close(directory);

  // A read that fails after part of the framework has arrived.
  const int socket = resetSocketAfter("arg(a).\narg(b).\natt(a,b).\n");
  ASSERT_GE(socket, 0);
  RunResult reset = runBinaryRedirected({"--count"}, "", Redirect{.in = socket});
  close(socket);
  EXPECT_EQ(reset.out, "");
  EXPECT_EQ(reset.err, kReadFailed);
  EXPECT_EQ(reset.status, 2);

  // The version never reads the input.
  RunResult version = runBinaryRedirected({"-v"}, "", Redirect{.in = kClosed});
  EXPECT_EQ(version.out, "Zelkovant Version 2.0\n");
  EXPECT_EQ(version.status, 0);
}

// Every road reports a failed write on standard output with status 1.
TEST(Failures, UnwritableStandardOutputIsAnError) {
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  const std::vector<std::vector<std::string>> roads = {
      {"-v"}, {"-b", "-v"}, {"-t"}, {"-d"}, {"--count"}, {}, {"--enum=1"}, {"--cred", "a"}, {"-b", "--skept", "a"},
  };
  for (const auto& road : roads) {
    std::vector<std::string> args = road;
    args.insert(args.end(), {"-r", "1", "-f", kMutual});
    RunResult r = runBinaryRedirected(args, "", Redirect{.out = full});
    EXPECT_EQ(r.err, kWriteFailed + " - No space left on device\n") << joined(args);
    EXPECT_EQ(r.status, 1) << joined(args);
  }
  // The warnings are the first lines written; the reason follows the message.
  RunResult warned = runBinaryRedirected({"-t"}, "att(a,b).\n", Redirect{.out = full});
  EXPECT_EQ(warned.err.rfind(kWriteFailed + " - ", 0), 0u) << warned.err;
  EXPECT_EQ(warned.status, 1);
  close(full);

  // A reader that has gone away: with SIGPIPE ignored the write fails with
  // an error, with the default action the signal ends the process.
  std::string many;
  for (int i = 0; i < 12; ++i) many += "att(a" + std::to_string(i) + ",b" + std::to_string(i) + ").";
  for (bool defaultSigpipe : {false, true}) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    RunResult r = runBinaryRedirected({"-d"}, many, Redirect{.out = ends[1], .defaultSigpipe = defaultSigpipe});
    close(ends[1]);
    if (defaultSigpipe) {
      EXPECT_EQ(r.status, 128 + SIGPIPE);
    } else {
      EXPECT_EQ(r.err.rfind(kWriteFailed, 0), 0u) << r.err;
      EXPECT_EQ(r.status, 1);
    }
  }
}

// An enumeration that outgrows the address space ends with the program's
// memory message. Sanitizer builds reserve far more address space than the
// limit and report exhaustion their own way, so only plain builds run this.
TEST(Failures, ExhaustedMemoryIsReported) {
#if KIVRA_ADDRESS_SANITIZER
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit; the e2e preset runs this "
                  "test (cmake --workflow --preset e2e)";
#endif
  std::string pairs;
  for (int i = 0; i < 22; ++i) {
    const std::string a = "a" + std::to_string(i), b = "b" + std::to_string(i);
    pairs += "arg(" + a + ").arg(" + b + ").att(" + a + "," + b + ").att(" + b + "," + a + ").\n";
  }
  RunResult r = runBinaryRedirected(
      {"-c", "ulimit -v 60000 && exec -a zelkovant \"$0\" \"$@\"", ZELKOVANT_BIN, "-r", "1"}, pairs, Redirect{},
      "/bin/bash");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("zelkovant: ERROR - Error assigning memory.", 0), 0u) << r.err;
  EXPECT_EQ(r.status, 1);
}
