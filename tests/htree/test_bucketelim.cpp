// Bucket elimination: worked examples, connected parts, the empty
// hypergraph, fatal cases and a path of 200,000 vertices.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kivra/H_BucketElim.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using ::testing::ExitedWithCode;
using kivra::H_BucketElim;

namespace {

// Builds along the ordering of the given node IDs (position 0 eliminated last).
Hypertree* alongOrder(Hypergraph* G, std::vector<int> Ids) {
  std::vector<Node*> Order;
  for (int Id : Ids) Order.push_back(G->getNodeByID(Id));
  Order.push_back(nullptr);
  return H_BucketElim().buildHypertree(G, Order.data(), false);
}

}  // namespace

TEST(BucketElim, WorkedExamples) {
  // Path a=1, b=2, c=3 eliminated c, b, a: {a} - {a,b} - {b,c} shrinks to
  // {a,b} - {b,c}.
  Hypergraph* G = buildGraph(3, pathEdges(3));
  Hypertree* Tree = alongOrder(G, {1, 2, 3});
  EXPECT_EQ(bagsOf(Tree), (EdgeList{{1, 2}, {2, 3}}));
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  EXPECT_EQ(Tree->getHTreeWidth(), 1);
  delete Tree;
  delete G;

  // The part holding the ordering's first vertex is the root; the other
  // parts' top nodes follow as its children, by decreasing position.
  G = buildGraph(6, {{1, 2}, {3, 4}, {5, 6}});
  Tree = alongOrder(G, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(bagsOf(Tree), (EdgeList{{1, 2}, {5, 6}, {3, 4}}));
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  delete Tree;
  delete G;

  // Star: one bag per leaf, each covered by one hyperedge.
  G = buildGraph(200, starEdges(200));
  std::srand(4);
  Tree = H_BucketElim().buildHypertree(G, 2, 0, false);
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  EXPECT_EQ(Tree->getTreeWidth(), 1);
  EXPECT_EQ(Tree->getNumberOfDescendants(), 199u);
  for (Hypertree* T : treeNodes(Tree)) EXPECT_EQ(T->getLambda()->size(), 1u);
  delete Tree;
  delete G;
}

TEST(BucketElim, EmptyHypergraphGivesOneEmptyBag) {
  for (bool bDual : {false, true})
    for (int iHeuristic = 1; iHeuristic <= 4; ++iHeuristic) {
      Hypergraph G;
      Hypertree* Tree = H_BucketElim().buildHypertree(&G, iHeuristic, 0, bDual);
      Tree->shrink(false);  // the rest of the pipeline can work on it
      Tree->setLambda(&G);
      EXPECT_EQ(bagsOf(Tree), EdgeList(1));
      EXPECT_EQ(Tree->getTreeWidth() + Tree->getHTreeWidth(), -1);  // -1 and 0
      delete Tree;
    }
}

TEST(BucketElimDeathTest, UnknownHeuristicsAndUncoverableVertices) {
  Hypergraph* G = buildGraph(3, {{1, 3}});  // vertex 2 lies in no hyperedge
  for (int iHeuristic : {0, 5})
    EXPECT_EXIT(H_BucketElim().buildHypertree(G, iHeuristic, 0, false), ExitedWithCode(1),
                "^ERROR in H_BucketElim::buildHypertree: Unknown variable order heuristic.\n$");
  EXPECT_EXIT(alongOrder(G, {1, 2, 3}), ExitedWithCode(1), "^ERROR in SetCover::cover: Covering not possible.\n$");
  delete G;
}

TEST(BucketElim, PathOfTwoHundredThousandVertices) {
  const int n = 200000;
  Hypergraph* G = buildGraph(n, pathEdges(n));
  std::srand(1);
  Hypertree* Tree = H_BucketElim().buildHypertree(G, 2, 0, false);
  EXPECT_EQ(Tree->getTreeWidth(), 1);
  EXPECT_EQ(Tree->getNumberOfDescendants(), static_cast<unsigned>(n - 1));
  EXPECT_EQ(checkDecomposition(Tree, G), "");
  delete Tree;
  // Along the stored order the tree is one chain as deep as the path.
  std::vector<Node*> Order(G->MyNodes.begin(), G->MyNodes.end());
  Order.push_back(nullptr);
  Tree = H_BucketElim().buildHypertree(G, Order.data(), false);
  EXPECT_EQ(Tree->getNumberOfLeafNodes(), 1u);
  EXPECT_EQ(Tree->getNumberOfDescendants(), static_cast<unsigned>(n - 1));
  delete Tree;
  delete G;
}
