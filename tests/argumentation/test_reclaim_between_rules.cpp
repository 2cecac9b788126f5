// Between two rules a run reclaims the solutions no table reaches. Real runs
// do so only once they have made tens of thousands of solutions, which the
// frameworks small enough for a reference never reach: with the pool's
// threshold lowered, every semantics reclaims after nearly every rule here,
// and its answers must still be those of the brute-force reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "AdmissibleNormalizedArgumentation.h"
#include "AdmissibleSemiNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "CompleteNormalizedArgumentation.h"
#include "PreferredNormalizedArgumentation.h"
#include "StableNormalizedArgumentation.h"
#include "brute_force.h"
#include "kivra/SolutionPool.h"

namespace {

using namespace zelkovant_test;
using kivra::Solution;
using kivra::VertexSet;

// Counts the reclaims between the rules of a run: rules only make solutions,
// so the live count falls only when the pool reclaims.
template <class Algorithm>
struct Watched : Algorithm {
  using Algorithm::Algorithm;
  kivra::TupleSet* evaluateNode(const kivra::ExtendedHypertree* node) override {
    note();
    kivra::TupleSet* table = Algorithm::evaluateNode(node);
    note();
    return table;
  }
  void note() {
    const std::size_t live = Solution::liveNodes();
    if (live < lastLive) ++reclaims;
    lastLive = live;
  }
  std::size_t lastLive = 0;
  int reclaims = 0;
};

// The extensions of one run as id sets in the order they are printed, and
// how often it reclaimed between rules.
template <class Algorithm>
std::vector<VertexSet> solve(const std::string& text, unsigned seed, int& reclaims) {
  std::istringstream input(text);
  ArgumentationProblem problem(&input, true);
  Watched<Algorithm> algorithm(&problem);
  std::srand(seed);
  Solution* solution = problem.calculateSolution(&algorithm);
  reclaims = algorithm.reclaims;
  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> enumerating;
  return static_cast<kivra::EnumerationSolutionContent*>(solution->getContent(&enumerating))->getSets();
}

template <class Algorithm>
void expectReclaimingKeepsTheAnswers(Sem reference, unsigned seed) {
  const std::size_t minimum = kivra::SolutionPool::minimumGrowth, maximum = kivra::SolutionPool::maximumGrowth;
  kivra::SolutionPool::minimumGrowth = kivra::SolutionPool::maximumGrowth = 1;
  std::mt19937 rng(seed);
  int runs = 0, reclaimingRuns = 0;
  while (runs < 24) {
    const RandomInput in = randomInput(rng, 16);
    if (in.af.args.size() < 8) continue;
    std::vector<VertexSet> expected;
    for (const NameSet& extension : bruteForce(in.af, reference)) {
      VertexSet ids;
      for (const std::string& name : extension) ids.insert(in.ids.at(name));
      expected.push_back(ids);
    }
    std::sort(expected.begin(), expected.end());
    int reclaims = 0;
    EXPECT_EQ(solve<Algorithm>(in.text, rng(), reclaims), expected) << in.text;
    ++runs;
    reclaimingRuns += reclaims > 0;
  }
  kivra::SolutionPool::minimumGrowth = minimum;
  kivra::SolutionPool::maximumGrowth = maximum;
  EXPECT_GE(2 * reclaimingRuns, runs) << "most runs reclaimed between their rules";
}

TEST(ReclaimBetweenRules, KeepsTheAnswersOfEverySemantics) {
  expectReclaimingKeepsTheAnswers<AdmissibleNormalizedArgumentationAlgorithm>(Sem::Admissible, 1);
  expectReclaimingKeepsTheAnswers<AdmissibleSemiNormalizedArgumentationAlgorithm>(Sem::Admissible, 2);
  expectReclaimingKeepsTheAnswers<StableNormalizedArgumentationAlgorithm>(Sem::Stable, 3);
  expectReclaimingKeepsTheAnswers<CompleteNormalizedArgumentationAlgorithm>(Sem::Complete, 4);
  expectReclaimingKeepsTheAnswers<PreferredNormalizedArgumentationAlgorithm>(Sem::Preferred, 5);
}

}  // namespace
