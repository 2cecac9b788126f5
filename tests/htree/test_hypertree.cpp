// Hypertree structure, shrinking, covering, measures and the dual-mode
// operations, including trees far deeper than the call stack.
#include <gtest/gtest.h>

#include <numeric>

#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using ::testing::ExitedWithCode;

namespace {

// Tree nodes with the given bags (vertex IDs of G); node i > 0 is appended
// as a child of node Parents[i - 1]. Node 0 is the root.
std::vector<Hypertree*> makeTree(Hypergraph* G, const EdgeList& Bags, const std::vector<int>& Parents = {}) {
  std::vector<Hypertree*> T;
  for (size_t i = 0; i < Bags.size(); ++i) {
    T.push_back(new Hypertree);
    for (int Id : Bags[i]) T.back()->insChi(G->getNodeByID(Id));
    if (i > 0) T[static_cast<size_t>(Parents[i - 1])]->insChild(T.back(), true);
  }
  return T;
}

// A chain of iDepth empty nodes, each the only child of the one before.
Hypertree* chain(int iDepth) {
  std::vector<int> Parents(static_cast<size_t>(iDepth));
  std::iota(Parents.begin(), Parents.end(), 0);
  return makeTree(nullptr, EdgeList(static_cast<size_t>(iDepth)), Parents)[0];
}

// Counts its own destruction: deleting a root deletes the whole subtree.
struct CountedTree : Hypertree {
  explicit CountedTree(int* Count) : iCount(Count) {}
  ~CountedTree() override { ++*iCount; }
  int* iCount;
};

}  // namespace

TEST(HypertreeStructure, NumberingSearchCyclesReRootingAndDeletion) {
  Hypergraph Empty;
  std::vector<Hypertree*> T = makeTree(&Empty, EdgeList(4), {0, 1, 0});  // Root(A(C), B)
  EXPECT_EQ(T[0]->setIDLabels(0), 3);  // pre-order: Root 0, A 1, C 2, B 3
  EXPECT_EQ(T[3]->getLabel(), 3);
  T[3]->insChild(T[0], false);  // a cycle is reported, not walked forever
  EXPECT_TRUE(T[0]->isCyclic());
  T[3]->remChild(T[0]);
  EXPECT_FALSE(T[0]->isCyclic());
  // Re-rooting at C reverses the path C - A - Root.
  T[2]->setRoot();
  EXPECT_EQ(bagsOf(T[2]).size(), 4u);
  EXPECT_EQ(T[0]->getParent(), T[1]);
  EXPECT_EQ(T[1]->getParent(), T[2]);
  EXPECT_EQ(*T[0]->getChildren(), std::list<Hypertree*>{T[3]});
  delete T[2];

  int iDeleted = 0;
  CountedTree* Root = new CountedTree(&iDeleted);
  CountedTree* Mid = new CountedTree(&iDeleted);
  Root->insChild(Mid, true);
  Mid->insChild(new CountedTree(&iDeleted), true);
  Root->insChild(new CountedTree(&iDeleted), true);
  delete Root;
  EXPECT_EQ(iDeleted, 4);
}

TEST(HypertreeDeathTest, ReRootingThroughABrokenLinkIsFatal) {
  Hypertree Root, Child;
  Child.setParent(&Root);  // Root does not list it
  EXPECT_EXIT(Child.setRoot(), ExitedWithCode(1), "^ERROR in Hypertree::setRoot: Invalid parent/child relation.\n$");
}

TEST(HypertreeShrink, WorkedCases) {
  Hypergraph* G = buildGraph(6, pathEdges(6));
  // Path: the root {1} merges with its child {1,2}; the root object stays.
  std::vector<Hypertree*> T = makeTree(G, {{1}, {1, 2}, {2, 3}}, {0, 1});
  T[0]->shrink(false);
  EXPECT_EQ(bagsOf(T[0]), (EdgeList{{1, 2}, {2, 3}}));
  EXPECT_EQ(T[2]->getParent(), T[0]);
  delete T[0];

  // An equal child merges upward: its lambda replaces the parent's, its
  // children follow the parent's other children.
  T = makeTree(G, {{1, 2}, {1, 2}, {2, 5, 6}, {2, 3, 4}}, {0, 0, 1});
  T[1]->insLambda(G->getEdge(0));
  T[0]->insLambda(G->getEdge(4));
  T[0]->shrink(false);
  EXPECT_EQ(bagsOf(T[0]), (EdgeList{{1, 2}, {2, 5, 6}, {2, 3, 4}}));
  EXPECT_EQ(T[3]->getParent(), T[0]);
  EXPECT_EQ(*T[0]->getLambda(), LambdaSet{G->getEdge(0)});
  delete T[0];

  // A subset child is absorbed downward; lambdas join only on request.
  for (bool bLambdaUnion : {false, true}) {
    T = makeTree(G, {{1, 2, 3}, {2, 3}, {3, 4}}, {0, 1});
    T[0]->insLambda(G->getEdge(0));
    T[1]->insLambda(G->getEdge(1));
    T[0]->shrink(bLambdaUnion);
    EXPECT_EQ(bagsOf(T[0]), (EdgeList{{1, 2, 3}, {3, 4}}));
    EXPECT_EQ(T[0]->getLambda()->size(), bLambdaUnion ? 2u : 1u);
    EXPECT_EQ(T[2]->getParent(), T[0]);
    delete T[0];
  }

  // Nested bags {1}, {1,2}, ... down a chain all collapse into the root.
  T = makeTree(G, {{1}, {1, 2}, {1, 2, 3}, {1, 2, 3, 4}}, {0, 1, 2});
  T[0]->shrink(false);
  EXPECT_EQ(bagsOf(T[0]), (EdgeList{{1, 2, 3, 4}}));
  delete T[0];
  delete G;
}

TEST(HypertreeCover, SetLambdaCoversWhatLambdaLeavesUncovered) {
  Hypergraph* G = buildGraph(4, pathEdges(4));
  std::vector<Hypertree*> T = makeTree(G, {{1, 2, 3}, {3, 4}}, {0});
  T[0]->insLambda(G->getEdge(0));  // covers 1 and 2 already
  T[0]->setLambda(G);
  EXPECT_EQ(checkDecomposition(T[0], G), "");
  EXPECT_EQ(T[0]->getLambda()->size(), 2u);  // one more for vertex 3
  EXPECT_EQ(*T[1]->getLambda(), LambdaSet{G->getEdge(2)});
  delete T[0];
  delete G;
}

TEST(HypertreeDeep, PathOfTwoHundredThousandNodes) {
  // Every walk is iterative: a tree this deep would overflow a recursive one.
  const int iDepth = 200000;
  Hypertree* Root = chain(iDepth);
  EXPECT_EQ(Root->getNumberOfDescendants(), static_cast<unsigned>(iDepth));
  EXPECT_EQ(Root->getNumberOfLeafNodes(), 1u);
  EXPECT_EQ(Root->getNumberOfJoinNodes(), 0u);
  EXPECT_EQ(Root->setIDLabels(1), iDepth);
  EXPECT_EQ(Root->getTreeWidth(), -1);
  Hypergraph Empty;
  Root->setLambda(&Empty);
  Root->swapChiLambda();
  Root->shrink(false);  // empty bags all merge into the root
  EXPECT_EQ(Root->getNumberOfDescendants(), 1u);
  delete Root;

  Root = chain(iDepth);
  Hypertree* Deepest = Root;
  while (!Deepest->getChildren()->empty()) Deepest = Deepest->getChildren()->front();
  Deepest->setRoot();
  EXPECT_EQ(Deepest->getNumberOfDescendants(), static_cast<unsigned>(iDepth));
  delete Deepest;
}

TEST(HypertreeDual, ResetLambdaElimCovEdgesAndSetChi) {
  Hypergraph* G = buildGraph(4, {{1, 2}, {3, 4}, {2, 3}});
  std::vector<Hypertree*> T = makeTree(G, {{1, 2}, {2, 3}}, {0});
  T[0]->insLambda(G->getEdge(0));

  // A larger lambda gives way to the smaller fresh cover, and children are
  // covered afresh.
  T[0]->insLambda(G->getEdge(1));
  T[0]->insLambda(G->getEdge(2));
  T[0]->resetLambda(G);
  EXPECT_EQ(*T[0]->getLambda(), LambdaSet{G->getEdge(0)});
  EXPECT_EQ(*T[1]->getLambda(), LambdaSet{G->getEdge(2)});
  delete T[0];
  // elimCovEdges drops what covers nothing of the bag; a lambda of the same
  // size as the fresh cover ({1,2}) stays although it is another hyperedge.
  T = makeTree(G, {{2}});
  T[0]->insLambda(G->getEdge(1));
  T[0]->insLambda(G->getEdge(2));
  T[0]->elimCovEdges();
  EXPECT_EQ(*T[0]->getLambda(), LambdaSet{G->getEdge(2)});
  T[0]->resetLambda(G);
  EXPECT_EQ(*T[0]->getLambda(), LambdaSet{G->getEdge(2)});
  delete T[0];

  // setChi: vertex 2 lies in both children's hyperedges but in none of the
  // root's, and joins the root's bag to keep the bags connected.
  Hypergraph* H = buildGraph(4, {{1, 2}, {2, 3}, {1, 4}});
  T = makeTree(H, {{}, {}, {}}, {0, 0});
  for (int i = 0; i < 3; ++i) T[static_cast<size_t>(i)]->insLambda(H->getEdge((i + 2) % 3));
  T[0]->setChi(H);
  EXPECT_EQ(bagsOf(T[0]), (EdgeList{{1, 2, 4}, {1, 2}, {2, 3}}));
  delete T[0];
  delete H;
  delete G;
}

// Large bags live on the heap: a tree freed while another still holds its
// bags, and a tree built from the freed memory, leave every live bag whole,
// round after round.
TEST(HypertreeSets, BagsSurviveOtherTreesComingAndGoing) {
  const int n = 5000;  // bags far beyond their inside members
  Hypergraph* G = buildGraph(n, pathEdges(n));
  auto fill = [G, n](Hypertree* T, int iShift) {
    for (int i = 0; i < n; ++i) T->insChi(G->getNode((i + iShift) % n));
  };
  auto expectWhole = [G, n](Hypertree* T) {
    ASSERT_EQ(T->getChi()->size(), static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) ASSERT_EQ(T->getChi()->count(G->getNode(i)), 1u) << i;
  };
  for (int iRound = 0; iRound < 2; ++iRound) {
    auto* Kept = new Hypertree();
    auto* Dropped = new Hypertree();
    fill(Kept, 0);
    fill(Dropped, 7);
    Dropped->getChi()->erase(G->getNode(3));
    delete Dropped;
    auto* Later = new Hypertree();
    fill(Later, 11);
    expectWhole(Kept);
    expectWhole(Later);
    delete Later;
    delete Kept;
  }
  delete G;
}
