// Runs refused before solving write their reason to standard output too: the
// usage text, and why -n semi is refused. When that write fails (a full
// device, a closed standard output) the failure is reported as on every
// other road, with the same status; the refusal of -n semi still follows.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "run_binary.h"

using zelkovant_test::kClosed;
using zelkovant_test::Redirect;
using zelkovant_test::RunResult;
using zelkovant_test::runBinaryRedirected;

TEST(RefusalWrites, FailedWritesOfTheUsageTextAndTheSemiReasonAreReported) {
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  const std::string mutual = ZELKOVANT_SOURCE_DIR "/examples/mutual.apx";
  const std::vector<std::string> usageError = {"-bd", "-f", mutual};
  const std::vector<std::string> semiRefused = {"-n", "semi", "-s", "stable", "-f", mutual};
  for (const auto& [out, code] : {std::pair{full, ENOSPC}, std::pair{kClosed, EBADF}}) {
    const std::string failed =
        std::string("zelkovant: ERROR - could not write to standard output - ") + std::strerror(code) + "\n";
    const RunResult usage = runBinaryRedirected(usageError, "", Redirect{.out = out});
    EXPECT_EQ(usage.err, failed);
    EXPECT_EQ(usage.status, 1);
    const RunResult semi = runBinaryRedirected(semiRefused, "", Redirect{.out = out});
    EXPECT_EQ(semi.err, failed + "zelkovant: ERROR - 0\n");
    EXPECT_EQ(semi.status, 1);
  }
  close(full);
}
