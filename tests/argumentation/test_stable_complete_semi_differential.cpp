// The stable, complete and semi-normalized admissible algorithms, run through
// the library as the program runs them (problem, decomposition, algorithm,
// content factory), against a brute-force reference on random frameworks:
// enumeration, counting, credulous and skeptical acceptance, each run with
// its own random seed for the decomposition.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "AdmissibleSemiNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "ArgumentationSolution.h"
#include "CompleteNormalizedArgumentation.h"
#include "StableNormalizedArgumentation.h"
#include "brute_force.h"
#include "kivra/CountingSolutionContent.h"

using namespace zelkovant_test;

namespace {

enum class Algorithm { Stable, Complete, SemiAdmissible };

// One solving run on a fresh problem; its solution is evaluated once, by one of the modes.
class SolvingRun {
 public:
  SolvingRun(const std::string& text, Algorithm which, unsigned seed) : input(text), problem(&input, true) {
    if (which == Algorithm::Stable) algorithm = new StableNormalizedArgumentationAlgorithm(&problem);
    if (which == Algorithm::Complete) algorithm = new CompleteNormalizedArgumentationAlgorithm(&problem);
    if (which == Algorithm::SemiAdmissible) algorithm = new AdmissibleSemiNormalizedArgumentationAlgorithm(&problem);
    std::srand(seed);
    solution = problem.calculateSolution(algorithm);
  }
  ~SolvingRun() { delete algorithm; }

  Extensions enumerate() {
    kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
    Extensions named;
    for (const auto& set : static_cast<kivra::EnumerationSolutionContent*>(solution->getContent(&inst))->enumerations) {
      NameSet names;
      for (kivra::Vertex v : set) names.insert(problem.getVertexName(v));
      named.insert(names);
    }
    return named;
  }
  std::string count() {
    kivra::GenericInstantiator<kivra::CountingSolutionContent> inst;
    return static_cast<kivra::CountingSolutionContent*>(solution->getContent(&inst))->count.get_str();
  }
  template <class Content>
  bool accepts(const std::string& name) {
    ArgumentationInstantiator<Content> inst(name.c_str(), &problem);
    return static_cast<Content*>(solution->getContent(&inst))->accepted;
  }

 private:
  std::istringstream input;
  ArgumentationProblem problem;
  kivra::AbstractHTDAlgorithm* algorithm = nullptr;
  kivra::Solution* solution = nullptr;
};

struct Shard {
  Algorithm algorithm;
  Sem reference;
  unsigned seed;
};

class AgainstBruteForce : public ::testing::TestWithParam<Shard> {};

// 4 shards of 500 frameworks of up to 12 arguments per algorithm.
TEST_P(AgainstBruteForce, EveryModeAgrees) {
  const Shard shard = GetParam();
  std::mt19937 rng(shard.seed);
  int failures = 0;
  for (int i = 0; i < 500 && failures < 3; ++i) {
    RandomInput in = randomInput(rng, 12);
    const Extensions expected = bruteForce(in.af, shard.reference);
    bool agrees = true;
    auto check = [&](bool same, const std::string& what) {
      if (!same) ADD_FAILURE() << what << " differs on framework #" << i << ":\n" << in.text;
      agrees = agrees && same;
    };
    check(SolvingRun(in.text, shard.algorithm, rng()).enumerate() == expected, "enumeration");
    check(SolvingRun(in.text, shard.algorithm, rng()).count() == std::to_string(expected.size()), "count");
    if (!in.af.args.empty()) {
      const std::string queried = in.af.args[rng() % in.af.args.size()];
      bool inSome = false, inAll = true;
      for (const auto& e : expected) {
        inSome = inSome || e.count(queried) > 0;
        inAll = inAll && e.count(queried) > 0;
      }
      check(SolvingRun(in.text, shard.algorithm, rng()).accepts<CredulousSolutionContent>(queried) == inSome,
            "credulous " + queried);
      check(SolvingRun(in.text, shard.algorithm, rng()).accepts<SkepticalSolutionContent>(queried) == inAll,
            "skeptical " + queried);
    }
    if (!agrees) ++failures;
  }
}

INSTANTIATE_TEST_SUITE_P(
    RandomFrameworks, AgainstBruteForce,
    ::testing::Values(Shard{Algorithm::Stable, Sem::Stable, 11}, Shard{Algorithm::Stable, Sem::Stable, 12},
                      Shard{Algorithm::Stable, Sem::Stable, 13}, Shard{Algorithm::Stable, Sem::Stable, 14},
                      Shard{Algorithm::Complete, Sem::Complete, 21}, Shard{Algorithm::Complete, Sem::Complete, 22},
                      Shard{Algorithm::Complete, Sem::Complete, 23}, Shard{Algorithm::Complete, Sem::Complete, 24},
                      Shard{Algorithm::SemiAdmissible, Sem::Admissible, 31},
                      Shard{Algorithm::SemiAdmissible, Sem::Admissible, 32},
                      Shard{Algorithm::SemiAdmissible, Sem::Admissible, 33},
                      Shard{Algorithm::SemiAdmissible, Sem::Admissible, 34}));

// Landmarks beyond the reach of brute force. A chain a0 -> a1 -> ... makes a
// decomposition as deep as the framework is long; its one stable and one
// complete extension are the even positions, and its admissible sets the
// prefixes {a0, a2, ..., a2k} of those, the empty one included. An even cycle
// has two stable and three complete extensions, an odd one none and one.
TEST(LargeFrameworks, ChainsAndCycles) {
  const int n = 20001;
  std::string chain;
  for (int i = 0; i + 1 < n; ++i) chain += "att(a" + std::to_string(i) + ",a" + std::to_string(i + 1) + ").\n";
  EXPECT_EQ(SolvingRun(chain, Algorithm::Stable, 5).count(), "1");
  EXPECT_EQ(SolvingRun(chain, Algorithm::Complete, 6).count(), "1");
  EXPECT_EQ(SolvingRun(chain, Algorithm::SemiAdmissible, 7).count(), std::to_string((n + 1) / 2 + 1));
  EXPECT_TRUE(SolvingRun(chain, Algorithm::Stable, 8).accepts<CredulousSolutionContent>("a20000"));
  EXPECT_FALSE(SolvingRun(chain, Algorithm::Complete, 9).accepts<SkepticalSolutionContent>("a19999"));
  for (int length : {200, 201}) {
    std::string cycle;
    for (int i = 0; i < length; ++i)
      cycle += "att(c" + std::to_string(i) + ",c" + std::to_string((i + 1) % length) + ").\n";
    EXPECT_EQ(SolvingRun(cycle, Algorithm::Stable, length).count(), length % 2 ? "0" : "2");
    EXPECT_EQ(SolvingRun(cycle, Algorithm::Complete, length).count(), length % 2 ? "1" : "3");
  }
}

}  // namespace
