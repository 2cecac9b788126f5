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
#include "kivra/CountingSolutionContent.h"

using namespace zelkovant_test;

namespace {

// The content of a whole run on `text` with decomposition seed `seed`, made by
// the factory `make` returns for the run's problem. Nothing of a run is released.
template <class Content, class Make>
Content* solve(const std::string& text, unsigned seed, ArgumentationProblem*& problem, Make make) {
  problem = new ArgumentationProblem(new std::istringstream(text), true);
  std::srand(seed);
  kivra::Solution* solution = problem->calculateSolution(new PreferredNormalizedArgumentationAlgorithm(problem));
  return static_cast<Content*>(solution->getContent(make(problem)));
}

template <class Content>
kivra::Instantiator* generic(kivra::Problem*) {
  return new kivra::GenericInstantiator<Content>();
}

class PreferredDifferential : public ::testing::TestWithParam<unsigned> {};

TEST_P(PreferredDifferential, AgreesWithBruteForceInEveryMode) {
  std::mt19937 rng(GetParam());
  int failures = 0;
  for (int i = 0; i < 600 && failures < 3; ++i) {
    RandomInput in = randomInput(rng, 12);
    const Extensions expected = bruteForce(in.af, Sem::Preferred);
    const unsigned seed = rng();
    ArgumentationProblem* problem = nullptr;
    Extensions listed;
    for (const auto& set : solve<kivra::EnumerationSolutionContent>(
             in.text, seed, problem, generic<kivra::EnumerationSolutionContent>)->enumerations) {
      NameSet names;
      for (kivra::Vertex v : set) names.insert(problem->getVertexName(v));
      listed.insert(names);
    }
    const mpz_class counted =
        solve<kivra::CountingSolutionContent>(in.text, seed, problem, generic<kivra::CountingSolutionContent>)->count;
    std::string failure;
    if (listed != expected) failure += "enumeration differs\n";
    if (counted != expected.size()) failure += "count is " + counted.get_str() + "\n";

    for (int q = 0; q < 2 && !in.af.args.empty(); ++q) {
      const std::string& name = in.af.args[rng() % in.af.args.size()];
      bool cred = false, skept = true;
      for (const auto& e : expected) cred = cred || e.count(name), skept = skept && e.count(name);
      auto credulous = [&](auto* p) { return new ArgumentationInstantiator<CredulousSolutionContent>(name.c_str(), p); };
      auto skeptical = [&](auto* p) { return new ArgumentationInstantiator<SkepticalSolutionContent>(name.c_str(), p); };
      if (solve<CredulousSolutionContent>(in.text, seed, problem, credulous)->accepted != cred ||
          solve<SkepticalSolutionContent>(in.text, seed, problem, skeptical)->accepted != skept)
        failure += "acceptance of " + name + " differs\n";
    }
    if (!failure.empty()) {
      ++failures;
      ADD_FAILURE() << "framework #" << i << ", seed " << seed << ":\n" << in.text << failure;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, PreferredDifferential, ::testing::Values(1u, 2u, 3u, 4u));

}  // namespace
