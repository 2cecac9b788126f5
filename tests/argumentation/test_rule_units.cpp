// The branch joins of the preferred and admissible algorithms, through what
// they deliver: decompositions whose root joins several children that saw
// different parts of the framework, so that every extension is assembled at
// branch nodes from rows (and, for preferred, certificates) of both sides,
// compared with a brute-force reference. And the admissible row order that
// the admissible join walks.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "AdmissibleArgumentationTuple.h"
#include "AdmissibleNormalizedArgumentation.h"
#include "AdmissibleSemiNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "PreferredNormalizedArgumentation.h"
#include "brute_force.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/Hypertree.h"
#include "kivra/Node.h"

using namespace zelkovant_test;

namespace {

// The framework's extensions by one algorithm on a decomposition made of a
// root holding every argument and 2-3 children holding random parts of it
// (a valid decomposition: every attack lies in the root's bag, and every
// argument of two bags is in the root's). The tree must have branch nodes.
Extensions viaBranches(const RandomInput& in, std::mt19937& rng, bool preferred, bool semi) {
  std::istringstream input(in.text);
  ArgumentationProblem problem(&input, true);
  problem.parse();
  problem.preprocess();
  std::vector<std::unique_ptr<kivra::Node>> vertices;
  for (const std::string& name : in.af.args) {
    kivra::Vertex v = problem.getVertexId(name);
    vertices.emplace_back(new kivra::Node(static_cast<int>(v), static_cast<int>(v)));
  }
  auto* root = new kivra::Hypertree;
  for (auto& v : vertices) root->insChi(v.get());
  for (int c = 0, children = 2 + static_cast<int>(rng() % 2); c < children; ++c) {
    auto* child = new kivra::Hypertree;
    for (auto& v : vertices)
      if (rng() % 2 == 0) child->insChi(v.get());
    root->insChild(child, true);
  }
  auto* tree = new kivra::ExtendedHypertree(root);  // takes the library tree
  std::unique_ptr<kivra::AbstractHTDAlgorithm> algorithm;
  if (preferred)
    algorithm.reset(new PreferredNormalizedArgumentationAlgorithm(&problem));
  else if (semi)
    algorithm.reset(new AdmissibleSemiNormalizedArgumentationAlgorithm(&problem));
  else
    algorithm.reset(new AdmissibleNormalizedArgumentationAlgorithm(&problem));
  kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
  kivra::Solution* solution = algorithm->evaluate(tree, &inst);
  Extensions named;
  for (const auto& set : static_cast<kivra::EnumerationSolutionContent*>(solution->getContent(&inst))->getSets()) {
    NameSet names;
    for (kivra::Vertex v : set) names.insert(problem.getVertexName(v));
    named.insert(names);
  }
  std::unique_ptr<kivra::ExtendedHypertree> normalized(tree->normalize(kivra::DefaultNormalization));
  EXPECT_GE(normalized->getNumberOfJoinNodes(), 1u);
  delete tree;
  return named;
}

}  // namespace

TEST(BranchRules, PreferredAndAdmissibleJoinsAgainstBruteForce) {
  std::mt19937 rng(77);
  for (int i = 0; i < 150; ++i) {
    RandomInput in = randomInput(rng, 7);
    if (in.af.args.empty()) continue;
    EXPECT_EQ(viaBranches(in, rng, true, false), bruteForce(in.af, Sem::Preferred)) << in.text;
    EXPECT_EQ(viaBranches(in, rng, false, false), bruteForce(in.af, Sem::Admissible)) << in.text;
    EXPECT_EQ(viaBranches(in, rng, false, true), bruteForce(in.af, Sem::Admissible)) << in.text;
  }
}

TEST(RowOrder, AdmissibleInSetFirstThenAttackingDefeatedOut) {
  using Row = AdmissibleArgumentationTuple;
  auto row = [](kivra::VertexSet in, kivra::VertexSet attacking = {}, kivra::VertexSet defeated = {},
                kivra::VertexSet out = {}) {
    // Rows hold bag positions; ids below 64 stand for the positions of a bag
    // whose arguments are numbered from 0, which keeps their order.
    auto positions = [](const kivra::VertexSet& ids) {
      BagSet set(64);
      for (kivra::Vertex v : ids) set.set(v);
      return set;
    };
    Row t;
    t.inArguments = positions(in), t.attackingArguments = positions(attacking);
    t.defeatedArguments = positions(defeated), t.outArguments = positions(out);
    return t;
  };
  // The in-set decides first: a proper prefix, and the empty set, sort first
  // whatever the other sets hold.
  EXPECT_LT(row({1}, {9}, {9}, {9}), row({1, 2}));
  EXPECT_LT(row({}, {9}), row({0}));
  EXPECT_LT(row({1, 2}, {3}), row({1, 3}));
  // Then attacking, defeated and out sets in turn.
  EXPECT_LT(row({1}, {2}, {5}), row({1}, {3}, {4}));
  EXPECT_LT(row({1}, {3}, {4}, {7}), row({1}, {3}, {5}, {6}));
  EXPECT_LT(row({1}, {}, {}, {2}), row({1}, {}, {}, {3}));
  EXPECT_FALSE(row({1}, {}, {}, {2}) == row({1}, {}, {}, {3}));
  EXPECT_FALSE(row({1}, {2}) == row({1}, {}, {2}));
  EXPECT_TRUE(row({1}, {2}, {3}, {4}) == row({1}, {2}, {3}, {4}));
  EXPECT_FALSE(row({1}, {2}, {3}, {4}) < row({1}, {2}, {3}, {4}));
}
