// Nothing the program does before main may need the heap: a failure there
// could only end in an abort, before main can report it. Through the real
// binary with the allocation-failure shim failing every allocation before
// main (plain builds only: AddressSanitizer brings its own allocator).
#include <gtest/gtest.h>

#include <string>

#include "run_binary.h"

namespace {

using zelkovant_test::Redirect;
using zelkovant_test::RunResult;
using zelkovant_test::runBinaryRedirected;

TEST(StartUp, NothingAllocatesBeforeMain) {
#if defined(ZELKOVANT_FAIL_ALLOC)
  Redirect redirect;
  redirect.environment = {std::string("LD_PRELOAD=") + ZELKOVANT_FAIL_ALLOC, "ZELKOVANT_FAIL_ALLOC_BEFORE_MAIN=1"};
  const RunResult version = runBinaryRedirected({"-v"}, "", redirect);
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out, "Zelkovant Version 2.0\n");
  const RunResult counted = runBinaryRedirected({"--count", "-s", "preferred"}, "arg(a). arg(b). att(a,b). att(b,a).\n", redirect);
  EXPECT_EQ(counted.status, 0) << counted.err;
  EXPECT_EQ(counted.out, "Solutions: 2\n");
#else
  GTEST_SKIP() << "the allocation-failure shim cannot be preloaded into an AddressSanitizer build; the e2e preset "
                  "runs this test (cmake --workflow --preset e2e)";
#endif
}

}  // namespace
