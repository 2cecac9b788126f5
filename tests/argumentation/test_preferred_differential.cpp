// The preferred algorithm run through the library pipeline (parse, decompose,
// evaluate, instantiate) against a brute-force enumeration of the preferred
// extensions, on random frameworks with varying decomposition seeds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "ArgumentationProblem.h"
#include "ArgumentationSolution.h"
#include "PreferredNormalizedArgumentation.h"
#include "brute_force.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"

using namespace zelkovant_test;

namespace {

// Runs the whole pipeline on `text` with decomposition seed `seed` and
// evaluates the result with `make(problem)`'s content factory.
template <class Make>
kivra::SolutionContent* solve(const std::string& text, unsigned seed, ArgumentationProblem*& problem, Make make) {
  auto* input = new std::istringstream(text);  // lives as long as the problem: both are kept
  problem = new ArgumentationProblem(input, true);
  auto* algorithm = new PreferredNormalizedArgumentationAlgorithm(problem);
  std::srand(seed);
  kivra::Solution* solution = problem->calculateSolution(algorithm);
  kivra::Instantiator* inst = make(problem);
  return solution->getContent(inst);
}

class PreferredDifferential : public ::testing::TestWithParam<unsigned> {};

TEST_P(PreferredDifferential, AgreesWithBruteForceInEveryMode) {
  std::mt19937 rng(GetParam());
  int failures = 0;
  for (int i = 0; i < 600 && failures < 3; ++i) {
    RandomInput in = randomInput(rng, 12);
    const Extensions expected = bruteForce(in.af, Sem::Preferred);
    const unsigned seed = rng();
    std::string context = "framework #" + std::to_string(i) + ", seed " + std::to_string(seed) + ":\n" + in.text;
    ArgumentationProblem* problem = nullptr;

    auto* listed = static_cast<kivra::EnumerationSolutionContent*>(solve(in.text, seed, problem, [](auto*) {
      return new kivra::GenericInstantiator<kivra::EnumerationSolutionContent>();
    }));
    Extensions got;
    for (const auto& set : listed->enumerations) {
      NameSet names;
      for (kivra::Vertex v : set) names.insert(problem->getVertexName(v));
      got.insert(names);
    }
    auto* counted = static_cast<kivra::CountingSolutionContent*>(solve(in.text, seed, problem, [](auto*) {
      return new kivra::GenericInstantiator<kivra::CountingSolutionContent>();
    }));
    bool ok = got == expected && counted->count == expected.size();

    for (int q = 0; q < 2 && !in.af.args.empty(); ++q) {
      const std::string& name = in.af.args[rng() % in.af.args.size()];
      bool cred = false, skept = true;
      for (const auto& e : expected) {
        cred = cred || e.count(name);
        skept = skept && e.count(name);
      }
      auto* c = static_cast<CredulousSolutionContent*>(solve(in.text, seed, problem, [&](auto* p) {
        return new ArgumentationInstantiator<CredulousSolutionContent>(name.c_str(), p);
      }));
      auto* s = static_cast<SkepticalSolutionContent*>(solve(in.text, seed, problem, [&](auto* p) {
        return new ArgumentationInstantiator<SkepticalSolutionContent>(name.c_str(), p);
      }));
      if (c->accepted != cred || s->accepted != skept) {
        ok = false;
        context += "acceptance of " + name + " differs\n";
      }
    }
    if (!ok) {
      ++failures;
      ADD_FAILURE() << context << "expected " << expected.size() << " extensions, listed " << got.size()
                    << ", counted " << counted->count;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, PreferredDifferential, ::testing::Values(1u, 2u, 3u, 4u));

}  // namespace
