// Hypertree structure, shrinking, covering, measures and the dual-mode
// operations, including trees far deeper than the call stack.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "kivra/Hyperedge.h"
#include "kivra/Hypergraph.h"
#include "kivra/Hypertree.h"
#include "kivra/Node.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;

namespace {

Hypertree* bag(Hypergraph* G, std::initializer_list<int> Ids) {
  Hypertree* T = new Hypertree;
  for (int Id : Ids) T->insChi(G->getNodeByID(Id));
  return T;
}

// A chain of iDepth nodes, each the only child of the one before.
Hypertree* chain(int iDepth) {
  Hypertree* Root = new Hypertree;
  Hypertree* Last = Root;
  for (int i = 1; i < iDepth; ++i) {
    Hypertree* Next = new Hypertree;
    Last->insChild(Next, true);
    Last = Next;
  }
  return Root;
}

// Counts its own destruction, to see that deleting a root deletes the whole
// subtree through the virtual destructor.
struct CountedTree : Hypertree {
  explicit CountedTree(int* Count) : iCount(Count) {}
  ~CountedTree() override { ++*iCount; }
  int* iCount;
};

}  // namespace

TEST(HypertreeStructure, ChildrenParentsAndRerooting) {
  Hypertree* Root = new Hypertree;
  Hypertree* A = new Hypertree;
  Hypertree* B = new Hypertree;
  Hypertree* C = new Hypertree;
  Root->insChild(A, true);
  Root->insChild(B, true);
  A->insChild(C, true);
  EXPECT_TRUE(Root->isRoot());
  EXPECT_EQ(C->getParent(), A);
  Hypertree Stranger;
  EXPECT_FALSE(Root->remChild(&Stranger));
  EXPECT_EQ(Root->getChildren()->size(), 2u);

  // Re-rooting at C reverses the path C - A - Root.
  C->setRoot();
  EXPECT_TRUE(C->isRoot());
  EXPECT_EQ(A->getParent(), C);
  EXPECT_EQ(Root->getParent(), A);
  EXPECT_EQ(std::vector<Hypertree*>(Root->getChildren()->begin(), Root->getChildren()->end()),
            std::vector<Hypertree*>{B});
  EXPECT_EQ(A->getChildren()->back(), Root);
  EXPECT_EQ(C->getNumberOfDescendants(), 4u);

  A->remChildren();
  EXPECT_EQ(Root->getParent(), nullptr);
  EXPECT_TRUE(A->getChildren()->empty());
  delete Root;
  delete C;
}

TEST(HypertreeStructure, RerootingThroughABrokenLinkIsFatal) {
  Hypertree* Root = new Hypertree;
  Hypertree* Child = new Hypertree;
  Child->setParent(Root);  // Root does not list it
  EXPECT_EXIT(Child->setRoot(), ::testing::ExitedWithCode(1),
              "^ERROR in Hypertree::setRoot: Invalid parent/child relation.\n$");
  delete Child;
  delete Root;
}

TEST(HypertreeStructure, NumberingSearchAndCycles) {
  Hypertree* Root = new Hypertree;
  Hypertree* A = new Hypertree;
  Hypertree* B = new Hypertree;
  Hypertree* AA = new Hypertree;
  Root->insChild(A, true);
  Root->insChild(B, true);
  A->insChild(AA, true);
  EXPECT_EQ(Root->setIDLabels(0), 3);
  EXPECT_EQ(A->getLabel(), 1);
  EXPECT_EQ(AA->getLabel(), 2);
  EXPECT_EQ(B->getLabel(), 3);

  int iMarker = 0;
  B->insID(7);
  AA->insID(7);
  AA->insPointer(&iMarker);
  EXPECT_EQ(Root->getHTNode(7), AA);  // pre-order: A's subtree before B
  EXPECT_EQ(B->getHTNode(7), B);
  EXPECT_EQ(Root->getHTNode(&iMarker), AA);
  EXPECT_EQ(Root->getHTNode(8), nullptr);

  EXPECT_FALSE(Root->isCyclic());
  B->insChild(AA, false);  // AA now reachable twice
  EXPECT_TRUE(Root->isCyclic());
  B->remChild(AA);
  B->insChild(Root, false);  // a true cycle is reported, not walked forever
  EXPECT_TRUE(Root->isCyclic());
  B->remChild(Root);
  delete Root;
}

TEST(HypertreeStructure, DeletingARootDeletesTheWholeSubtree) {
  int iDeleted = 0;
  CountedTree* Root = new CountedTree(&iDeleted);
  CountedTree* Mid = new CountedTree(&iDeleted);
  Root->insChild(Mid, true);
  Mid->insChild(new CountedTree(&iDeleted), true);
  Mid->insChild(new CountedTree(&iDeleted), true);
  Root->insChild(new CountedTree(&iDeleted), true);
  delete Root;
  EXPECT_EQ(iDeleted, 5);
}

TEST(HypertreeMeasures, WidthsAndCounts) {
  Hypergraph* G = buildGraph(4, {{1, 2}, {2, 3}, {3, 4}});
  Hypertree* Single = bag(G, {1, 2, 3});
  EXPECT_EQ(Single->getTreeWidth(), 2);
  delete Single;

  Hypertree* Root = bag(G, {1, 2});
  Hypertree* Child = bag(G, {2, 3, 4});
  Root->insChild(Child, true);
  EXPECT_EQ(Root->getTreeWidth(), 2);
  Root->insLambda(G->getEdge(0));
  Child->insLambda(G->getEdge(1));
  Child->insLambda(G->getEdge(2));
  Hypertree* Other = new Hypertree;
  Other->insLambda(G->getEdge(0));
  Root->insChild(Other, true);
  EXPECT_EQ(Root->getHTreeWidth(), 2);
  delete Root;

  Hypertree* Join = new Hypertree;
  for (int i = 0; i < 3; ++i) Join->insChild(new Hypertree, true);
  EXPECT_EQ(Join->getNumberOfJoinNodes(), 1u);
  EXPECT_EQ(Join->getNumberOfLeafNodes(), 3u);
  EXPECT_EQ(Join->getNumberOfDescendants(), 4u);
  // An empty decomposition has tree width -1 and hypertree width 0.
  Hypertree Empty;
  EXPECT_EQ(Empty.getTreeWidth(), -1);
  EXPECT_EQ(Empty.getHTreeWidth(), 0);
  delete Join;
  delete G;
}

TEST(HypertreeShrink, PathMergesRootWithMiddleKeepingTheRootObject) {
  Hypergraph* G = buildGraph(3, {{1, 2}, {2, 3}});
  Hypertree* Root = bag(G, {1});
  Hypertree* Mid = bag(G, {1, 2});
  Hypertree* Leaf = bag(G, {2, 3});
  Root->insChild(Mid, true);
  Mid->insChild(Leaf, true);
  Root->shrink(false);
  EXPECT_EQ(bagsOf(Root), (std::vector<std::vector<int>>{{1, 2}, {2, 3}}));
  ASSERT_EQ(Root->getChildren()->size(), 1u);
  EXPECT_EQ(Root->getChildren()->front(), Leaf);
  EXPECT_EQ(Leaf->getParent(), Root);
  delete Root;
  delete G;
}

TEST(HypertreeShrink, EqualBagsMergeUpwardAndChildrenMoveToTheEnd) {
  Hypergraph* G = buildGraph(6, {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}});
  Hypertree* Root = bag(G, {1, 2});
  Hypertree* Twin = bag(G, {1, 2});
  Hypertree* Sibling = bag(G, {2, 5, 6});
  Hypertree* Below = bag(G, {2, 3, 4});
  Root->insChild(Twin, true);
  Root->insChild(Sibling, true);
  Twin->insChild(Below, true);
  Twin->insLambda(G->getEdge(0));
  Root->insLambda(G->getEdge(4));
  int iMarker = 0;
  Twin->insPointer(&iMarker);
  Twin->insID(9);
  Root->shrink(false);
  // The twin is gone; its child follows the root's other child.
  EXPECT_EQ(bagsOf(Root), (std::vector<std::vector<int>>{{1, 2}, {2, 5, 6}, {2, 3, 4}}));
  EXPECT_EQ(Below->getParent(), Root);
  // Upward merge without lambda union: the child's lambda replaces the parent's.
  EXPECT_EQ(*Root->getLambda(), std::set<Hyperedge*>{G->getEdge(0)});
  EXPECT_EQ(Root->getHTNode(&iMarker), Root);  // pointers move along
  EXPECT_EQ(Root->getHTNode(9), nullptr);      // identifiers do not
  delete Root;
  delete G;
}

TEST(HypertreeShrink, SubsetChildIsAbsorbedDownward) {
  Hypergraph* G = buildGraph(4, {{1, 2}, {2, 3}, {3, 4}});
  for (bool bLambdaUnion : {false, true}) {
    Hypertree* Root = bag(G, {1, 2, 3});
    Hypertree* Small = bag(G, {2, 3});
    Hypertree* Grandchild = bag(G, {3, 4});
    Root->insChild(Small, true);
    Small->insChild(Grandchild, true);
    Root->insLambda(G->getEdge(0));
    Small->insLambda(G->getEdge(1));
    Root->shrink(bLambdaUnion);
    EXPECT_EQ(bagsOf(Root), (std::vector<std::vector<int>>{{1, 2, 3}, {3, 4}}));
    std::set<Hyperedge*> Expected{G->getEdge(0)};
    if (bLambdaUnion) Expected.insert(G->getEdge(1));
    EXPECT_EQ(*Root->getLambda(), Expected);
    EXPECT_EQ(Grandchild->getParent(), Root);
    delete Root;
  }
  delete G;
}

TEST(HypertreeShrink, ChainOfNestedBagsCollapsesIntoTheRoot) {
  // Bags {1}, {1,2}, {1,2,3}, ... down a chain: every step merges upward.
  const int n = 40;
  Hypergraph* G = buildGraph(n, starEdges(n));
  Hypertree* Root = new Hypertree;
  Hypertree* Last = Root;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= i; ++j) Last->insChi(G->getNodeByID(j));
    if (i < n) {
      Hypertree* Next = new Hypertree;
      Last->insChild(Next, true);
      Last = Next;
    }
  }
  Root->shrink(false);
  EXPECT_EQ(Root->getNumberOfDescendants(), 1u);
  EXPECT_EQ(Root->getChi()->size(), static_cast<size_t>(n));
  delete Root;
  delete G;
}

TEST(HypertreeCover, SetLambdaCoversOnlyWhatLambdaLeavesUncovered) {
  Hypergraph* G = buildGraph(4, {{1, 2}, {2, 3}, {3, 4}});
  Hypertree* Root = bag(G, {1, 2, 3});
  Hypertree* Child = bag(G, {3, 4});
  Root->insChild(Child, true);
  Root->insLambda(G->getEdge(0));  // covers 1 and 2 already
  Root->setLambda(G);
  EXPECT_EQ(checkDecomposition(Root, G, true), "");
  // Vertex 3 alone was left to cover: one more hyperedge at the root.
  EXPECT_EQ(Root->getLambda()->size(), 2u);
  EXPECT_EQ(*Child->getLambda(), std::set<Hyperedge*>{G->getEdge(2)});

  // A bag vertex in no hyperedge cannot be covered.
  Hypergraph* Lonely = buildGraph(1, {});
  Hypertree* Single = bag(Lonely, {1});
  EXPECT_EXIT(Single->setLambda(Lonely), ::testing::ExitedWithCode(1),
              "^ERROR in SetCover::cover: Covering not possible.\n$");
  delete Single;
  delete Lonely;
  delete Root;
  delete G;
}

TEST(HypertreeCover, StarBagsAreCoveredByTheirOwnLeafEdge) {
  // Every bag {centre, leaf} is covered by the one hyperedge of its leaf.
  const int n = 2000;
  Hypergraph* G = buildGraph(n, starEdges(n));
  Hypertree* Root = bag(G, {1, 2});
  for (int i = 3; i <= n; ++i) Root->insChild(bag(G, {1, i}), true);
  Root->setLambda(G);
  for (Hypertree* T : treeNodes(Root)) {
    int iLeaf = idsOf(*T->getChi()).back();
    EXPECT_EQ(*T->getLambda(), std::set<Hyperedge*>{G->getEdge(iLeaf - 2)});
  }
  delete Root;
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
  EXPECT_FALSE(Root->isCyclic());
  EXPECT_EQ(Root->getHTNode(5), nullptr);
  Hypergraph Empty;
  Root->setLambda(&Empty);
  Root->swapChiLambda();
  // Empty bags all merge into the root.
  Root->shrink(false);
  EXPECT_EQ(Root->getNumberOfDescendants(), 1u);
  delete Root;

  Root = chain(iDepth);
  Hypertree* Deepest = Root;
  while (!Deepest->getChildren()->empty()) Deepest = Deepest->getChildren()->front();
  Deepest->setRoot();
  EXPECT_EQ(Deepest->getNumberOfDescendants(), static_cast<unsigned>(iDepth));
  delete Deepest;
}

TEST(HypertreeDual, SwapTwiceRestores) {
  Hypergraph* G = buildGraph(3, {{1, 2}, {2, 3}});
  Hypertree* Root = bag(G, {1, 2});
  Root->insLambda(G->getEdge(0));
  Hypertree* Child = bag(G, {2, 3});
  Root->insChild(Child, true);
  auto Before = bagsOf(Root);
  Root->swapChiLambda();
  EXPECT_EQ(Root->getChi()->size(), 1u);
  EXPECT_EQ(Child->getChi()->size(), 0u);
  EXPECT_EQ(Child->getLambda()->size(), 2u);
  Root->swapChiLambda();
  EXPECT_EQ(bagsOf(Root), Before);
  EXPECT_EQ(*Root->getLambda(), std::set<Hyperedge*>{G->getEdge(0)});
  delete Root;
  delete G;
}

TEST(HypertreeDual, ElimCovEdgesAndResetLambda) {
  Hypergraph* G = buildGraph(4, {{1, 2}, {3, 4}, {2, 3}});
  Hypertree* Root = bag(G, {1, 2});
  Root->insLambda(G->getEdge(0));
  Root->insLambda(G->getEdge(1));  // covers nothing of the bag
  Root->elimCovEdges();
  EXPECT_EQ(*Root->getLambda(), std::set<Hyperedge*>{G->getEdge(0)});

  // The fresh cover has the same size as lambda: lambda stays, even though
  // it is a different hyperedge; the children are covered afresh.
  Hypertree* Other = bag(G, {2});
  Other->insLambda(G->getEdge(2));
  Hypertree* Child = bag(G, {2, 3});
  Other->insChild(Child, true);
  Other->resetLambda(G);
  EXPECT_EQ(*Other->getLambda(), std::set<Hyperedge*>{G->getEdge(2)});
  EXPECT_EQ(*Child->getLambda(), std::set<Hyperedge*>{G->getEdge(2)});

  // A larger lambda gives way to the smaller fresh cover.
  Root->insLambda(G->getEdge(1));
  Root->insLambda(G->getEdge(2));
  Root->resetLambda(G);
  EXPECT_EQ(*Root->getLambda(), std::set<Hyperedge*>{G->getEdge(0)});
  delete Other;
  delete Root;
  delete G;
}

TEST(HypertreeDual, SetChiRestoresConnectedness) {
  // Vertex 2 lies in both children's hyperedges but in none of the root's.
  Hypergraph* G = buildGraph(4, {{1, 2}, {2, 3}, {1, 4}});
  Hypertree* Root = new Hypertree;
  Hypertree* Left = new Hypertree;
  Hypertree* Right = new Hypertree;
  Root->insChild(Left, true);
  Root->insChild(Right, true);
  Root->insLambda(G->getEdge(2));
  Left->insLambda(G->getEdge(0));
  Right->insLambda(G->getEdge(1));
  Root->setChi(G);
  EXPECT_EQ(bagsOf(Root), (std::vector<std::vector<int>>{{1, 2, 4}, {1, 2}, {2, 3}}));
  delete Root;
  delete G;
}

TEST(DecompositionChecker, ReportsEveryKindOfViolation) {
  Hypergraph* G = buildGraph(3, {{1, 2}, {2, 3}});
  Hypertree* Root = bag(G, {1, 2});
  Hypertree* Child = bag(G, {3});
  Root->insChild(Child, true);
  EXPECT_NE(checkDecomposition(Root, G, false), "");  // edge {2,3} in no bag
  Child->insChi(G->getNodeByID(2));
  EXPECT_EQ(checkDecomposition(Root, G, false), "");
  EXPECT_NE(checkDecomposition(Root, G, true), "");  // no lambda
  Child->insChild(bag(G, {1}), true);
  EXPECT_NE(checkDecomposition(Root, G, false), "");  // vertex 1 disconnected
  delete Root;
  delete G;
}
