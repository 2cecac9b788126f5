// Preferred semantics on frameworks with many extensions and many removed
// arguments per bag: the node rules leave out dominated certificates and rows,
// and merge rows whose certificates become equal, which must keep every count
// exact and every acceptance answer right, also where the rows hold sets that
// differ only in arguments already removed.
#include <gtest/gtest.h>
#include <gmpxx.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "ArgumentationProblem.h"
#include "ArgumentationSolution.h"
#include "PreferredNormalizedArgumentation.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"

namespace {

// One solving run of the preferred rules on `text` under the random seed
// `seed`. A run's solution is evaluated once, with one instantiator.
struct Run {
  Run(const std::string& text, unsigned seed) : input(text), problem(&input, true), algorithm(&problem) {
    std::srand(seed);
    solution = problem.calculateSolution(&algorithm);
  }
  std::istringstream input;
  ArgumentationProblem problem;
  PreferredNormalizedArgumentationAlgorithm algorithm;
  kivra::Solution* solution;
};

mpz_class count(const std::string& text, unsigned seed) {
  Run run(text, seed);
  kivra::GenericInstantiator<kivra::CountingSolutionContent> inst;
  return static_cast<kivra::CountingSolutionContent*>(run.solution->getContent(&inst))->count;
}

template <class Content>
bool accepted(const std::string& text, const char* name) {
  Run run(text, 5);
  ArgumentationInstantiator<Content> inst(name, &run.problem);
  return static_cast<Content*>(run.solution->getContent(&inst))->accepted;
}

// `rungs` rungs, each a pair a_i <-> b_i with an odd cycle c_i -> d_i -> e_i
// -> c_i that a_i attacks. A self-attacking s_i, attacked by a_i and by
// b_{i+1}, ties neighbouring rungs into common bags without changing any
// extension: it attacks nothing else and is in no admissible set. A rung
// takes {a_i, d_i} (a_i defeats c_i, which lets d_i in and keeps e_i out)
// or {b_i} (no member of the unattacked odd cycle can be defended), so there
// are 2^rungs preferred extensions. Sets that differ only in rungs already
// removed share bag colourings, which is where rows and certificates merge.
std::string ladder(int rungs) {
  std::string text;
  auto att = [&](const std::string& x, const std::string& y) { text += "att(" + x + "," + y + ").\n"; };
  for (int i = 0; i < rungs; ++i) {
    const std::string s = std::to_string(i), next = std::to_string(i + 1);
    att("a" + s, "b" + s);
    att("b" + s, "a" + s);
    att("c" + s, "d" + s);
    att("d" + s, "e" + s);
    att("e" + s, "c" + s);
    att("a" + s, "c" + s);
    if (i + 1 == rungs) continue;
    att("s" + s, "s" + s);
    att("a" + s, "s" + s);
    att("b" + next, "s" + s);
  }
  return text;
}

}  // namespace

// Each count is found once under any decomposition.
TEST(PreferredScale, CountsStayExactWithManyRemovedArguments) {
  for (unsigned seed : {1u, 2u, 3u}) {
    EXPECT_EQ(count(ladder(1), seed), 2) << seed;
    EXPECT_EQ(count(ladder(7), seed), 128) << seed;
    mpz_class expected;
    mpz_ui_pow_ui(expected.get_mpz_t(), 2, 90);
    EXPECT_EQ(count(ladder(90), seed), expected) << seed;
  }
}

// An unattacked u attacks b0: every preferred extension holds u, a0 and d0;
// b0 and e0 are in none; a1 is in some, c1 in none.
TEST(PreferredScale, AcceptanceOnForcedAndFreeRungs) {
  const std::string text = ladder(40) + "att(u,b0).\n";
  EXPECT_TRUE(accepted<SkepticalSolutionContent>(text, "a0"));
  EXPECT_TRUE(accepted<SkepticalSolutionContent>(text, "d0"));
  EXPECT_TRUE(accepted<SkepticalSolutionContent>(text, "u"));
  EXPECT_FALSE(accepted<CredulousSolutionContent>(text, "b0"));
  EXPECT_FALSE(accepted<CredulousSolutionContent>(text, "e0"));
  EXPECT_TRUE(accepted<CredulousSolutionContent>(text, "a1"));
  EXPECT_FALSE(accepted<SkepticalSolutionContent>(text, "a1"));
  EXPECT_FALSE(accepted<CredulousSolutionContent>(text, "c1"));
  EXPECT_FALSE(accepted<CredulousSolutionContent>(text, "s3"));
}
