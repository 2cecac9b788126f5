// Shrinking merges the same nodes as the rule written out plainly, and costs
// about the size of the bags it tests, also where a chain of nested bags
// hands thousands of children from node to node.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <list>
#include <random>
#include <vector>

#include "kivra/H_BucketElim.h"
#include "kivra/TreeWalk.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;

namespace {

bool contains(const ChiSet& Large, const ChiSet& Small) {
  return std::includes(Large.begin(), Large.end(), Small.begin(), Small.end());
}

// Child's children pass to V, appended, and Child is deleted.
void absorb(Hypertree* V, std::list<Hypertree*>::iterator& It) {
  Hypertree* Child = *It;
  for (Hypertree* Grandchild : *Child->getChildren()) V->insChild(Grandchild, true);
  Child->getChildren()->clear();
  It = V->getChildren()->erase(It);
  delete Child;
}

// The rule with every child tested against the current bag, in post-order.
void plainShrink(Hypertree* V) {
  const std::vector<Hypertree*> Own(V->getChildren()->begin(), V->getChildren()->end());
  for (Hypertree* Child : Own) plainShrink(Child);
  std::list<Hypertree*>& Children = *V->getChildren();
  for (auto It = Children.begin(); It != Children.end();) {
    if (!contains(*(*It)->getChi(), *V->getChi())) {
      ++It;
      continue;
    }
    *V->getChi() = *(*It)->getChi();
    *V->getLambda() = *(*It)->getLambda();
    absorb(V, It);
  }
  for (auto It = Children.begin(); It != Children.end();) {
    if (contains(*V->getChi(), *(*It)->getChi()))
      absorb(V, It);
    else
      ++It;
  }
}

// A random tree over the nodes of G whose bags grow and shrink a little from
// parent to child, so that many bags nest; built the same for a seed.
Hypertree* nestedTree(Hypergraph* G, unsigned seed) {
  std::mt19937 Rng(seed);
  const int n = G->getNbrOfNodes();
  std::vector<Hypertree*> Made{new Hypertree()};
  for (int v = 0; v < 3; ++v) Made[0]->insChi(G->getNode(static_cast<int>(Rng() % n)));
  const int iSize = 20 + static_cast<int>(Rng() % 60);
  for (int i = 1; i < iSize; ++i) {
    Hypertree* Parent = Made[Rng() % Made.size()];
    Hypertree* Child = new Hypertree();
    for (Node* V : *Parent->getChi())
      if (Rng() % 4 != 0) Child->insChi(V);
    for (int k = static_cast<int>(Rng() % 3); k > 0; --k) Child->insChi(G->getNode(static_cast<int>(Rng() % n)));
    Parent->insChild(Child, true);
    Made.push_back(Child);
  }
  return Made[0];
}

std::vector<std::vector<int>> shapeOf(Hypertree* Tree) {
  std::vector<std::vector<int>> Shape;
  for (Hypertree* T : kivra::treewalk::preOrder(Tree)) {
    std::vector<int> Row;
    for (Node* V : *T->getChi()) Row.push_back(V->getID());
    std::sort(Row.begin(), Row.end());
    Row.push_back(-static_cast<int>(T->getChildren()->size()));
    Shape.push_back(Row);
  }
  return Shape;
}

}  // namespace

TEST(Shrink, MergesWhatTheRuleWrittenOutMerges) {
  Hypergraph* G = buildGraph(7, {});
  for (unsigned seed = 1; seed <= 300; ++seed) {
    Hypertree* Tree = nestedTree(G, seed);
    Hypertree* Plain = nestedTree(G, seed);
    Tree->shrink(false);
    plainShrink(Plain);
    ASSERT_EQ(shapeOf(Tree), shapeOf(Plain)) << "seed " << seed;
    delete Tree;
    delete Plain;
  }
  delete G;
}

TEST(Shrink, CostFollowsTheBagsAlongAChainOfNestedBags) {
  // A clique of m vertices, each with a pendant vertex, the pendants
  // eliminated first: the clique's bags nest from m vertices down to one,
  // and every clique vertex's node meets the pendant bags gathered below it.
  // Testing each gathered bag again at every step costs about m^3 / 2.
  const int m = 200;
  EdgeList Edges;
  for (int a = 1; a <= m; ++a)
    for (int b = a + 1; b <= m; ++b) Edges.push_back({a, b});
  for (int a = 1; a <= m; ++a) Edges.push_back({a, m + a});
  Hypergraph* G = buildGraph(2 * m, Edges);
  // Position 0 is eliminated last: the clique, then the pendants.
  std::vector<Node*> Order;
  for (int v = 1; v <= 2 * m; ++v) Order.push_back(G->getNode(v - 1));
  Order.push_back(nullptr);

  const std::uint64_t iBefore = Hypertree::shrinkWork();
  Hypertree* Tree = kivra::H_BucketElim().buildHypertree(G, Order.data(), false);
  const std::uint64_t iWork = Hypertree::shrinkWork() - iBefore;

  // One bag of the whole clique, each pendant bag below it.
  EXPECT_EQ(Tree->getTreeWidth(), m - 1);
  EXPECT_EQ(Tree->getNumberOfDescendants(), static_cast<unsigned>(m + 1));
  // The bags built along the way hold about m^2 / 2 members in all.
  EXPECT_LT(iWork, static_cast<std::uint64_t>(4) * m * m) << "work " << iWork;
  delete Tree;
  delete G;
}
