// Bucket elimination: worked examples, connected parts, self-loops, the
// empty hypergraph, fatal cases and a path of 200,000 vertices.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "kivra/H_BucketElim.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using kivra::H_BucketElim;

namespace {

// Builds along the ordering of the given node IDs (position 0 eliminated last).
Hypertree* alongOrder(Hypergraph* G, std::initializer_list<int> Ids) {
  std::vector<Node*> Order;
  for (int Id : Ids) Order.push_back(G->getNodeByID(Id));
  Order.push_back(nullptr);
  H_BucketElim Elim;
  return Elim.buildHypertree(G, Order.data(), false);
}

}  // namespace

TEST(BucketElim, PathAlongAGivenOrdering) {
  // a=1, b=2, c=3 eliminated c, b, a: {a} - {a,b} - {b,c} shrinks to {a,b} - {b,c}.
  Hypergraph* G = buildGraph(3, {{1, 2}, {2, 3}});
  Hypertree* Tree = alongOrder(G, {1, 2, 3});
  EXPECT_EQ(bagsOf(Tree), (std::vector<std::vector<int>>{{1, 2}, {2, 3}}));
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  EXPECT_EQ(Tree->getTreeWidth(), 1);
  EXPECT_EQ(Tree->getHTreeWidth(), 1);
  delete Tree;
  delete G;
}

TEST(BucketElim, FurtherConnectedPartsHangUnderTheRoot) {
  Hypergraph* G = buildGraph(6, {{1, 2}, {3, 4}, {5, 6}});
  Hypertree* Tree = alongOrder(G, {1, 2, 3, 4, 5, 6});
  // The part holding the ordering's first vertex is the root; the others'
  // top nodes follow as its children, by decreasing position.
  EXPECT_EQ(bagsOf(Tree), (std::vector<std::vector<int>>{{1, 2}, {5, 6}, {3, 4}}));
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  delete Tree;
  delete G;
}

TEST(BucketElim, SelfLoopsAndRepeatedMembers) {
  Hypergraph* G = buildGraph(3, {{1, 1}, {1, 2}, {3, 3}, {2, 3, 3}});
  for (int iHeuristic = 1; iHeuristic <= 4; ++iHeuristic) {
    std::srand(9);
    H_BucketElim Elim;
    Hypertree* Tree = Elim.buildHypertree(G, iHeuristic, 0, false);
    EXPECT_EQ(checkDecomposition(Tree, G), "") << iHeuristic;
    EXPECT_EQ(Tree->getTreeWidth(), 1) << iHeuristic;
    delete Tree;
  }
  delete G;
}

TEST(BucketElim, StarGivesOneBagPerLeaf) {
  const int n = 200;
  Hypergraph* G = buildGraph(n, starEdges(n));
  std::srand(4);
  H_BucketElim Elim;
  Hypertree* Tree = Elim.buildHypertree(G, 2, 0, false);
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  EXPECT_EQ(Tree->getTreeWidth(), 1);
  EXPECT_EQ(Tree->getNumberOfDescendants(), static_cast<unsigned>(n - 1));
  for (Hypertree* T : treeNodes(Tree)) EXPECT_EQ(T->getLambda()->size(), 1u);
  delete Tree;
  delete G;
}

TEST(BucketElim, EmptyHypergraphGivesOneEmptyBag) {
  for (bool bDual : {false, true})
    for (int iHeuristic = 1; iHeuristic <= 4; ++iHeuristic) {
      Hypergraph G;
      H_BucketElim Elim;
      Hypertree* Tree = Elim.buildHypertree(&G, iHeuristic, 0, bDual);
      EXPECT_EQ(Tree->getNumberOfDescendants(), 1u);
      EXPECT_TRUE(Tree->getChi()->empty());
      EXPECT_TRUE(Tree->getLambda()->empty());
      EXPECT_EQ(Tree->getTreeWidth(), -1);
      // The rest of the pipeline can work on it.
      Tree->shrink(false);
      Tree->setLambda(&G);
      EXPECT_EQ(Tree->getNumberOfDescendants(), 1u);
      delete Tree;
    }
}

TEST(BucketElim, VerticesInNoHyperedgeCannotBeCovered) {
  Hypergraph* Single = buildGraph(1, {});
  H_BucketElim Elim;
  EXPECT_EXIT(Elim.buildHypertree(Single, 2, 0, false), ::testing::ExitedWithCode(1),
              "^ERROR in SetCover::cover: Covering not possible.\n$");
  delete Single;
  // An isolated vertex in the middle of the ordering.
  Hypergraph* G = buildGraph(3, {{1, 3}});
  EXPECT_EXIT(alongOrder(G, {1, 2, 3}), ::testing::ExitedWithCode(1),
              "^ERROR in SetCover::cover: Covering not possible.\n$");
  delete G;
}

TEST(BucketElim, UnknownHeuristicIsFatal) {
  Hypergraph* G = buildGraph(2, {{1, 2}});
  H_BucketElim Elim;
  for (int iHeuristic : {0, 5})
    EXPECT_EXIT(Elim.buildHypertree(G, iHeuristic, 0, false), ::testing::ExitedWithCode(1),
                "^ERROR in H_BucketElim::buildHypertree: Unknown variable order heuristic.\n$");
  delete G;
}

TEST(BucketElim, PathOfTwoHundredThousandVertices) {
  const int n = 200000;
  Hypergraph* G = buildGraph(n, pathEdges(n));
  std::srand(1);
  H_BucketElim Elim;
  Hypertree* Tree = Elim.buildHypertree(G, 2, 0, false);
  EXPECT_EQ(Tree->getTreeWidth(), 1);
  EXPECT_EQ(Tree->getNumberOfDescendants(), static_cast<unsigned>(n - 1));
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  delete Tree;
  // Along the stored order the tree is one chain as deep as the path.
  std::vector<Node*> Order(G->MyNodes.begin(), G->MyNodes.end());
  Order.push_back(nullptr);
  Tree = Elim.buildHypertree(G, Order.data(), false);
  EXPECT_EQ(Tree->getNumberOfLeafNodes(), 1u);
  EXPECT_EQ(Tree->getNumberOfDescendants(), static_cast<unsigned>(n - 1));
  delete Tree;
  delete G;
}
