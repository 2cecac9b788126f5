// A heap that runs out while the decomposition is built (or the tables after
// it): whatever the limit, a run either ends as it does without a limit or
// reports the program's memory message with status 1. It never aborts: no
// cleanup on the way out of a failed allocation may allocate or throw.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
#include "run_binary.h"

using zelkovant_test::Redirect;
using zelkovant_test::RunResult;
using zelkovant_test::runBinary;
using zelkovant_test::runBinaryRedirected;

namespace {

const std::string kMemoryMessage = "zelkovant: ERROR - Error assigning memory.";

// 100,000 arguments, each attacking one drawn at random: a forest of long
// chains whose decomposition needs a few tens of megabytes.
std::string writeRandomFramework() {
  const std::string path = ::testing::TempDir() + "decomposition_memory_" + std::to_string(getpid()) + ".apx";
  std::ofstream out(path);
  std::uint64_t state = 5;
  const std::uint64_t n = 100000;
  for (std::uint64_t i = 0; i < n; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    out << "att(a" << i << ",a" << (state >> 33) % n << ").\n";
  }
  return path;
}

RunResult runLimited(int kilobytes, std::vector<std::string> args) {
  std::vector<std::string> shell{"-c", "ulimit -v " + std::to_string(kilobytes) + " && exec -a zelkovant \"$0\" \"$@\"",
                                 ZELKOVANT_BIN};
  shell.insert(shell.end(), args.begin(), args.end());
  return runBinaryRedirected(shell, "", Redirect{}, "/bin/bash");
}

}  // namespace

// Address-space limits from where the text cannot be read to where the whole
// run fits, for the width and for counting on both normalizations.
TEST(DecompositionMemory, ExhaustedHeapIsReportedOnEveryRoad) {
#if KIVRA_ADDRESS_SANITIZER
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit; the e2e preset runs this "
                  "test (cmake --workflow --preset e2e)";
#endif
  const std::string path = writeRandomFramework();
  for (std::vector<std::string> args : {std::vector<std::string>{"--count"}, {"-t"}, {"--count", "-n", "semi"}}) {
    args.insert(args.end(), {"-r", "1", "-f", path});
    const RunResult unlimited = runBinary(args);
    ASSERT_EQ(unlimited.status, 0) << unlimited.err;
    int reported = 0;
    // Denser where the decomposition of the former hypergraph road failed.
    for (int kilobytes : {16000, 45000, 75000, 100000, 104000, 108000, 112000, 118000, 124000, 140000}) {
      const RunResult r = runLimited(kilobytes, args);
      const std::string where = args[0] + " " + args[1] + " at " + std::to_string(kilobytes) + " KB";
      if (r.status == 0) {
        EXPECT_EQ(r.out, unlimited.out) << where;
        EXPECT_EQ(r.err, unlimited.err) << where;
        continue;
      }
      ++reported;
      EXPECT_EQ(r.status, 1) << where << "\n" << r.err;
      EXPECT_EQ(r.err.rfind(kMemoryMessage, 0), 0u) << where << "\n" << r.err;
    }
    // The smallest limits are too small for any run.
    EXPECT_GT(reported, 0);
  }
  std::remove(path.c_str());
}
