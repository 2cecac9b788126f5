// Frameworks whose decompositions need bags of more than 64 arguments, so
// that every row set spans several words: the symmetric clique, in which
// every argument attacks every other, has the empty set and each single
// argument as its admissible sets, and the single arguments as its stable
// and preferred extensions. (Its complete labellings grow as 2 to the bag
// size: every argument may stay def or out pending while the in-set is
// empty, so complete is not run on it.) With unattacked arguments p_i
// attacking c_i hung on it, the clique's bag is copied into branch nodes,
// whose joins then run over rows wider than a word.
#include <gtest/gtest.h>

#include <string>

#include "solving_run.h"

using namespace zelkovant_test;

namespace {

std::string clique(int n) {
  std::string text;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (i != j) text += "att(c" + std::to_string(i) + ",c" + std::to_string(j) + ").\n";
  return text;
}

Extensions singletons(int n, bool withEmpty) {
  Extensions e;
  if (withEmpty) e.insert(NameSet());
  for (int i = 0; i < n; ++i) e.insert(NameSet{"c" + std::to_string(i)});
  return e;
}

}  // namespace

TEST(WideBags, SymmetricCliquesAcrossTheWordBoundary) {
  for (int n : {64, 65}) {
    const std::string text = clique(n);
    EXPECT_EQ(SolvingRun(text, Algorithm::Admissible, 1).count(), std::to_string(n + 1)) << n;
    EXPECT_EQ(SolvingRun(text, Algorithm::Stable, 1).count(), std::to_string(n)) << n;
  }
  const int n = 70;
  const std::string text = clique(n);
  for (Algorithm a : {Algorithm::Admissible, Algorithm::SemiAdmissible}) {
    EXPECT_EQ(SolvingRun(text, a, 1).count(), "71");
    SolvingRun run(text, a, 2);
    EXPECT_EQ(run.enumerate(),
              printedEnumeration(singletons(n, true), [&](const std::string& x) { return run.id(x); }));
    EXPECT_TRUE(SolvingRun(text, a, 3).accepts<CredulousSolutionContent>("c69"));
    EXPECT_FALSE(SolvingRun(text, a, 3).accepts<SkepticalSolutionContent>("c0"));
  }
  SolvingRun stable(text, Algorithm::Stable, 4);
  EXPECT_EQ(stable.enumerate(),
            printedEnumeration(singletons(n, false), [&](const std::string& x) { return stable.id(x); }));
  EXPECT_EQ(SolvingRun(text, Algorithm::Preferred, 4).count(), "70");
}

TEST(WideBags, CliqueWithPendantAttackersJoinsWideRows) {
  // p_i attacks c_i for i < 3: every set of the p's goes with nothing or with
  // one c_j, j >= 3 (the c_i below 3 cannot be defended against p_i).
  const int n = 70, k = 3;
  std::string text = clique(n);
  for (int i = 0; i < k; ++i) text += "att(p" + std::to_string(i) + ",c" + std::to_string(i) + ").\n";
  for (Algorithm a : {Algorithm::Admissible, Algorithm::SemiAdmissible})
    EXPECT_EQ(SolvingRun(text, a, 5).count(), std::to_string((1 << k) * (1 + n - k)));
  // Stable and preferred: all the p's and one c_j, j >= 3.
  EXPECT_EQ(SolvingRun(text, Algorithm::Stable, 5).count(), std::to_string(n - k));
  EXPECT_EQ(SolvingRun(text, Algorithm::Preferred, 5).count(), std::to_string(n - k));
  EXPECT_TRUE(SolvingRun(text, Algorithm::Stable, 6).accepts<SkepticalSolutionContent>("p1"));
}
