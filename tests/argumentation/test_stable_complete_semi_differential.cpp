// The stable, complete and semi-normalized admissible algorithms, run
// through the library as the program runs them (problem, decomposition,
// algorithm, content factory), against a brute-force reference on random
// frameworks: enumeration, counting, and credulous and skeptical acceptance,
// each with its own random seed for the decomposition.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "AdmissibleNormalizedArgumentation.h"
#include "AdmissibleSemiNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "ArgumentationSolution.h"
#include "CompleteNormalizedArgumentation.h"
#include "StableNormalizedArgumentation.h"
#include "brute_force.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"

using namespace zelkovant_test;

namespace {

constexpr int kFrameworksPerShard = 500;
constexpr int kShards = 4;  // 2,000 frameworks per algorithm
constexpr int kMaxArgs = 12;

enum class Algorithm { Stable, Complete, SemiAdmissible, NormalizedAdmissible };

// One solving run of the library on a fresh problem, the way the program does it.
class SolvingRun {
 public:
  SolvingRun(const std::string& text, Algorithm which, unsigned seed) : input(text), problem(&input, true) {
    switch (which) {
      case Algorithm::Stable: algorithm = new StableNormalizedArgumentationAlgorithm(&problem); break;
      case Algorithm::Complete: algorithm = new CompleteNormalizedArgumentationAlgorithm(&problem); break;
      case Algorithm::SemiAdmissible: algorithm = new AdmissibleSemiNormalizedArgumentationAlgorithm(&problem); break;
      case Algorithm::NormalizedAdmissible:
        algorithm = new AdmissibleNormalizedArgumentationAlgorithm(&problem);
        break;
    }
    std::srand(seed);
    solution = problem.calculateSolution(algorithm);
  }
  ~SolvingRun() { delete algorithm; }

  Extensions enumerate() {
    kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
    auto* content = static_cast<kivra::EnumerationSolutionContent*>(solution->getContent(&inst));
    Extensions named;
    for (const auto& set : content->enumerations) {
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
  bool credulous(const std::string& name) {
    ArgumentationInstantiator<CredulousSolutionContent> inst(name.c_str(), &problem);
    return static_cast<CredulousSolutionContent*>(solution->getContent(&inst))->accepted;
  }
  bool skeptical(const std::string& name) {
    ArgumentationInstantiator<SkepticalSolutionContent> inst(name.c_str(), &problem);
    return static_cast<SkepticalSolutionContent*>(solution->getContent(&inst))->accepted;
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

TEST_P(AgainstBruteForce, EveryModeAgrees) {
  const Shard shard = GetParam();
  std::mt19937 rng(shard.seed);
  int failures = 0;
  for (int i = 0; i < kFrameworksPerShard && failures < 3; ++i) {
    RandomInput in = randomInput(rng, kMaxArgs);
    const Extensions expected = bruteForce(in.af, shard.reference);
    const std::string context = "framework #" + std::to_string(i) + ":\n" + in.text;
    bool agrees = true;
    auto check = [&](bool same, const std::string& what) {
      if (!same) ADD_FAILURE() << what << " differs on " << context;
      agrees = agrees && same;
    };

    const Extensions got = SolvingRun(in.text, shard.algorithm, rng()).enumerate();
    check(got == expected, "enumeration");
    check(SolvingRun(in.text, shard.algorithm, rng()).count() == std::to_string(expected.size()), "count");
    if (!in.af.args.empty()) {
      const std::string queried = in.af.args[rng() % in.af.args.size()];
      bool inSome = false, inAll = true;
      for (const auto& e : expected) {
        inSome = inSome || e.count(queried) > 0;
        inAll = inAll && e.count(queried) > 0;
      }
      check(SolvingRun(in.text, shard.algorithm, rng()).credulous(queried) == inSome, "credulous " + queried);
      check(SolvingRun(in.text, shard.algorithm, rng()).skeptical(queried) == inAll, "skeptical " + queried);
    }
    if (!agrees) ++failures;
  }
}

std::vector<Shard> shards() {
  std::vector<Shard> all;
  const std::pair<Algorithm, Sem> algorithms[] = {{Algorithm::Stable, Sem::Stable},
                                                  {Algorithm::Complete, Sem::Complete},
                                                  {Algorithm::SemiAdmissible, Sem::Admissible}};
  for (auto [algorithm, reference] : algorithms)
    for (unsigned s = 0; s < kShards; ++s) all.push_back({algorithm, reference, 7919u * (s + 1) + 31u * static_cast<unsigned>(reference)});
  return all;
}

std::string shardName(const ::testing::TestParamInfo<Shard>& info) {
  static const char* names[] = {"Stable", "Complete", "SemiAdmissible", "NormalizedAdmissible"};
  return std::string(names[static_cast<int>(info.param.algorithm)]) + "_" + std::to_string(info.index % kShards);
}

INSTANTIATE_TEST_SUITE_P(RandomFrameworks, AgainstBruteForce, ::testing::ValuesIn(shards()), shardName);

// The two admissible algorithms give the same extensions on the same
// framework, whatever the seeds of their decompositions.
TEST(SemiNormalizedAdmissible, AgreesWithTheNormalizedAlgorithm) {
  std::mt19937 rng(424242);
  for (int i = 0; i < 1000; ++i) {
    RandomInput in = randomInput(rng, kMaxArgs);
    ASSERT_EQ(SolvingRun(in.text, Algorithm::SemiAdmissible, rng()).enumerate(),
              SolvingRun(in.text, Algorithm::NormalizedAdmissible, rng()).enumerate())
        << in.text;
  }
}

// Semantic landmarks that a wrong rule would break on frameworks larger than
// the brute force can enumerate: on an even cycle of n arguments there are
// exactly two stable and three complete extensions; on an odd cycle there is
// no stable one and the empty set is the only complete one.
TEST(CycleFrameworks, StableAndCompleteCounts) {
  for (int n : {40, 41, 200, 201}) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "att(c" + std::to_string(i) + ",c" + std::to_string((i + 1) % n) + ").\n";
    const bool even = n % 2 == 0;
    EXPECT_EQ(SolvingRun(text, Algorithm::Stable, 1u + n).count(), even ? "2" : "0") << n;
    EXPECT_EQ(SolvingRun(text, Algorithm::Complete, 2u + n).count(), even ? "3" : "1") << n;
    EXPECT_EQ(SolvingRun(text, Algorithm::SemiAdmissible, 3u + n).count(), even ? "3" : "1") << n;
  }
}

// A chain a0 -> a1 -> ... makes a decomposition as deep as the framework is
// long. Its one stable and one complete extension are the even positions;
// the admissible sets are the prefixes {a0, a2, ..., a2k} of those, the
// empty one included.
TEST(ChainFrameworks, DeepDecompositionsAreEvaluated) {
  const int n = 20001;
  std::string text;
  for (int i = 0; i + 1 < n; ++i) text += "att(a" + std::to_string(i) + ",a" + std::to_string(i + 1) + ").\n";
  EXPECT_EQ(SolvingRun(text, Algorithm::Stable, 5).count(), "1");
  EXPECT_EQ(SolvingRun(text, Algorithm::Complete, 6).count(), "1");
  EXPECT_EQ(SolvingRun(text, Algorithm::SemiAdmissible, 7).count(), std::to_string((n + 1) / 2 + 1));
  EXPECT_TRUE(SolvingRun(text, Algorithm::Stable, 8).credulous("a20000"));
  EXPECT_FALSE(SolvingRun(text, Algorithm::Complete, 9).skeptical("a19999"));
}

}  // namespace
