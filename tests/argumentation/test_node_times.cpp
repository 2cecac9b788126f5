// The CPU time the admissible and complete algorithms keep per node kind:
// every run adds to both sums, and together they never exceed what the
// process spent in the runs.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <string>

#include "AdmissibleNormalizedArgumentation.h"
#include "AdmissibleSemiNormalizedArgumentation.h"
#include "CompleteNormalizedArgumentation.h"
#include "solving_run.h"

using zelkovant_test::Algorithm;
using zelkovant_test::SolvingRun;

namespace {

double userSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec) + static_cast<double>(usage.ru_utime.tv_usec) / 1e6;
}

// A tree of attacks (node i attacks 2i and 2i + 1) with a few cycles of two:
// its decomposition has leaves, introductions, removals and branches.
std::string branchingFramework(int arguments) {
  std::string text;
  for (int i = 1; 2 * i < arguments; ++i) {
    text += "att(a" + std::to_string(i) + ",a" + std::to_string(2 * i) + ").\n";
    if (2 * i + 1 < arguments) text += "att(a" + std::to_string(2 * i + 1) + ",a" + std::to_string(i) + ").\n";
    if (i % 7 == 0) text += "att(a" + std::to_string(2 * i) + ",a" + std::to_string(i) + ").\n";
  }
  return text;
}

template <class AlgorithmClass>
void expectNodeTimesGrow(Algorithm which) {
  const double branchBefore = AlgorithmClass::branchNodeTime;
  const double permutationBefore = AlgorithmClass::permutationNodeTime;
  const double userBefore = userSeconds();
  const std::string text = branchingFramework(3000);
  // The process clock ticks coarsely: run until both sums have moved.
  for (unsigned seed = 1; seed <= 200; ++seed) {
    SolvingRun run(text, which, seed);
    if (AlgorithmClass::branchNodeTime > branchBefore && AlgorithmClass::permutationNodeTime > permutationBefore)
      break;
  }
  const double branch = AlgorithmClass::branchNodeTime - branchBefore;
  const double permutation = AlgorithmClass::permutationNodeTime - permutationBefore;
  EXPECT_GT(branch, 0.0);
  EXPECT_GT(permutation, 0.0);
  EXPECT_LE(branch + permutation, userSeconds() - userBefore + 1e-6);
}

}  // namespace

TEST(NodeTimes, EveryTimedAlgorithmAddsItsRulesTimeToItsOwnSums) {
  expectNodeTimesGrow<AdmissibleNormalizedArgumentationAlgorithm>(Algorithm::Admissible);
  expectNodeTimesGrow<AdmissibleSemiNormalizedArgumentationAlgorithm>(Algorithm::SemiAdmissible);
  expectNodeTimesGrow<CompleteNormalizedArgumentationAlgorithm>(Algorithm::Complete);
}
