// A bag whose cover ends only if a chosen hyperedge never ties again.
// Ids: a 1, d 2, b 3, c 4 (statements arrive last first), so the hyperedges
// are a-d 0, a-c 1, b-b 2, b-c 3 and the bag {b, c} has the candidates 2, 3,
// 1 in that order. b lies twice in its self-attack and weighs nothing in the
// weighted rule; 1 (for c) wins the first round by the smaller ID, after
// which every candidate scores 0. Were the chosen hyperedge still among the
// ties, its smaller ID would win again and again while b stays uncovered.
// The run is bounded in CPU time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_binary.h"

using zelkovant_test::Redirect;
using zelkovant_test::RunResult;
using zelkovant_test::runBinaryRedirected;

TEST(SetCoverTies, SelfAttackBesideAnEarlierHyperedgeIsCovered) {
  const std::string framework = "arg(a). arg(b). arg(c). arg(d).\natt(a,c). att(b,c). att(b,b). att(a,d).\n";
  for (const char* seed : {"1", "2", "3"}) {
    const RunResult r = runBinaryRedirected(
        {"-c", "ulimit -t 10 && exec -a zelkovant \"$0\" \"$@\"", ZELKOVANT_BIN, "-r", seed}, framework, Redirect{},
        "/bin/bash");
    EXPECT_EQ(r.out, "Solutions: 2\n{{},{a}}\n") << "seed " << seed;
    EXPECT_EQ(r.err, "") << "seed " << seed;
    EXPECT_EQ(r.status, 0) << "seed " << seed;
  }
}
