// Decomposition checks and bag statistics: worked examples, a comparison of
// the four checks (results and labels left behind) with a plain
// node-by-node walk on random trees, and a decomposition of a long path.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "kivra/H_BucketElim.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;

namespace {

// A tree node with the given vertex IDs in chi and hyperedge positions in
// lambda, appended to Parent's children when there is one.
Hypertree* bag(Hypergraph* G, Hypertree* Parent, std::vector<int> Chi, std::vector<int> Lambda = {}) {
  Hypertree* T = new Hypertree;
  for (int v : Chi) T->insChi(G->getNodeByID(v));
  for (int e : Lambda) T->insLambda(G->getEdge(e));
  if (Parent != nullptr) Parent->insChild(T, true);
  return T;
}

// The checks walked node by node over the whole graph, as plainly as
// possible, to compare results and the labels left behind.
namespace plain {

void labelCovEdges(Hypertree* T, Hypergraph* G) {
  for (Hypertree* Node_ : treeNodes(T)) {
    for (Node* V : *Node_->getChi()) V->setLabel(1);
    for (int j = 0; j < G->getNbrOfEdges(); ++j) {
      Hyperedge* E = G->getEdge(j);
      bool bAll = true;
      for (int k = 0; k < E->getNbrOfNodes(); ++k) bAll = bAll && E->getNode(k)->getLabel() != 0;
      if (bAll) E->setLabel(1);
    }
    for (Node* V : *Node_->getChi()) V->setLabel(0);
  }
}

Hyperedge* cond1(Hypertree* T, Hypergraph* G) {
  G->resetEdgeLabels(0);
  G->resetNodeLabels(0);
  labelCovEdges(T, G);
  for (int j = 0; j < G->getNbrOfEdges(); ++j)
    if (G->getEdge(j)->getLabel() == 0) return G->getEdge(j);
  return nullptr;
}

Node* cond2(Hypertree* T) {
  for (Hypertree* C : *T->getChildren()) {
    if (Node* Found = cond2(C)) return Found;
    for (Node* V : *C->getChi())
      if (T->getChi()->count(V) == 0) V->setLabel(1);
  }
  for (Node* V : *T->getChi())
    if (V->getLabel() != 0) return V;
  return nullptr;
}

Hypertree* cond3(Hypertree* T) {
  for (Hyperedge* E : *T->getLambda())
    for (int k = 0; k < E->getNbrOfNodes(); ++k) E->getNode(k)->setLabel(1);
  for (Node* V : *T->getChi())
    if (V->getLabel() == 0) return T;
  for (Hyperedge* E : *T->getLambda())
    for (int k = 0; k < E->getNbrOfNodes(); ++k) E->getNode(k)->setLabel(0);
  for (Hypertree* C : *T->getChildren())
    if (Hypertree* Found = cond3(C)) return Found;
  return nullptr;
}

Hypertree* cond4(Hypertree* T, Hypergraph* G) {
  G->resetNodeLabels(0);
  for (Hypertree* Below : treeNodes(T))
    for (Node* V : *Below->getChi())
      if (V->getLabel() >= 0) V->setLabel(1);
  for (Hyperedge* E : *T->getLambda())
    for (int k = 0; k < E->getNbrOfNodes(); ++k)
      if (E->getNode(k)->getLabel() != 0) E->getNode(k)->setLabel(2);
  for (Node* V : *T->getChi()) V->decLabel(1);
  for (int i = 0; i < G->getNbrOfNodes(); ++i)
    if (G->getNode(i)->getLabel() > 1) return T;
  for (Hypertree* C : *T->getChildren())
    if (Hypertree* Found = cond4(C, G)) return Found;
  return nullptr;
}

}  // namespace plain

// The labels of all nodes, then of all hyperedges.
using Labels = std::vector<int>;

Labels labelsOf(Hypergraph* G) {
  Labels L;
  for (int i = 0; i < G->getNbrOfNodes(); ++i) L.push_back(G->getNode(i)->getLabel());
  for (int j = 0; j < G->getNbrOfEdges(); ++j) L.push_back(G->getEdge(j)->getLabel());
  return L;
}

void setLabels(Hypergraph* G, const Labels& L) {
  for (int i = 0; i < G->getNbrOfNodes(); ++i) G->getNode(i)->setLabel(L[i]);
  for (int j = 0; j < G->getNbrOfEdges(); ++j) G->getEdge(j)->setLabel(L[G->getNbrOfNodes() + j]);
}

}  // namespace

TEST(HypertreeChecks, WorkedExamples) {
  // Hyperedges: 0 = {1,2}, 1 = {2,3}, 2 = {3,4}, 3 = {1,2,3}.
  Hypergraph* G = buildGraph(4, {{1, 2}, {2, 3}, {3, 4}, {1, 2, 3}});
  Hypertree* Root = bag(G, nullptr, {1, 2, 3}, {3});
  bag(G, Root, {3, 4}, {2});
  EXPECT_EQ(Root->checkCond1(G), nullptr);
  EXPECT_EQ(Root->checkCond2(G), nullptr);
  EXPECT_EQ(Root->checkCond3(G), nullptr);
  EXPECT_EQ(Root->checkCond4(G), nullptr);
  // Vertex 4 of the root's lambda is missing from the root's bag but occurs
  // in the child's.
  Root->insLambda(G->getEdge(2));
  EXPECT_EQ(Root->checkCond4(G), Root);
  // A vertex in two sibling leaves but not in their parent.
  bag(G, Root, {4});
  EXPECT_EQ(Root->checkCond2(G), G->getNodeByID(4));
  delete Root;
  delete G;
}

TEST(HypertreeChecks, AgreeWithPlainWalkOnRandomTrees) {
  std::mt19937 Gen(17);
  for (int iRound = 0; iRound < 300; ++iRound) {
    int n = 1 + static_cast<int>(Gen() % 7);
    EdgeList Edges(Gen() % 8);
    for (auto& Members : Edges)
      for (int s = static_cast<int>(Gen() % 3); s > 0; --s) Members.push_back(1 + static_cast<int>(Gen() % n));
    Hypergraph* G = buildGraph(n, Edges);
    int iTreeSize = 1 + static_cast<int>(Gen() % 8);
    std::vector<Hypertree*> Tree;
    for (int t = 0; t < iTreeSize; ++t) {
      std::vector<int> Chi, Lambda;
      for (int v = 1; v <= n; ++v)
        if (Gen() % 3 == 0) Chi.push_back(v);
      for (int e = 0; e < G->getNbrOfEdges(); ++e)
        if (Gen() % 4 == 0) Lambda.push_back(e);
      Tree.push_back(bag(G, t == 0 ? nullptr : Tree[Gen() % t], Chi, Lambda));
    }
    Hypertree* Root = Tree[0];
    // Arbitrary starting labels, zero for about half of the nodes.
    Labels Start;
    for (int i = 0; i < n + G->getNbrOfEdges(); ++i)
      Start.push_back(Gen() % 2 == 0 ? 0 : static_cast<int>(Gen() % 5) - 2);
    const std::string Context = "round " + std::to_string(iRound);

    // Each check against its plain walk from the same labels: same result,
    // same labels left behind.
    auto agree = [&](auto Plain, auto Library) {
      setLabels(G, Start);
      auto Expected = Plain();
      Labels ExpectedLabels = labelsOf(G);
      setLabels(G, Start);
      EXPECT_EQ(Library(), Expected) << Context;
      EXPECT_EQ(labelsOf(G), ExpectedLabels) << Context;
    };
    agree([&] { return (plain::labelCovEdges(Root, G), 0); }, [&] { return (Root->labelCovEdges(G), 0); });
    agree([&] { return plain::cond1(Root, G); }, [&] { return Root->checkCond1(G); });
    agree([&] { return (G->resetNodeLabels(0), plain::cond2(Root)); }, [&] { return Root->checkCond2(G); });
    agree([&] { return (G->resetNodeLabels(0), plain::cond3(Root)); }, [&] { return Root->checkCond3(G); });
    agree([&] { return plain::cond4(Root, G); }, [&] { return Root->checkCond4(G); });

    // Bag statistics by definition.
    unsigned int iChange = 0, iOverhead = 0;
    for (Hypertree* T : Tree) {
      std::list<Hypertree*>* Children = T->getChildren();
      if (Children->size() == 1) {
        std::set<Node*> Diff;
        for (Node* V : *T->getChi())
          if (Children->front()->getChi()->count(V) == 0) Diff.insert(V);
        for (Node* V : *Children->front()->getChi())
          if (T->getChi()->count(V) == 0) Diff.insert(V);
        iChange += static_cast<unsigned int>(Diff.size());
      }
      if (Children->size() >= 2)
        for (Node* V : *T->getChi()) {
          bool bEverywhere = true;
          for (Hypertree* C : *Children) bEverywhere = bEverywhere && C->getChi()->count(V) != 0;
          iOverhead += bEverywhere ? 1 : 0;
        }
    }
    EXPECT_EQ(Root->getChiSetChangeSum(), iChange) << Context;
    EXPECT_EQ(Root->getJoinOverheadSum(), iOverhead) << Context;
    delete Root;
    delete G;
  }
}

TEST(HypertreeStatistics, ChiSetChangeAndJoinOverhead) {
  Hypergraph* G = buildGraph(5, {});
  // A path {1,2} - {2,3} - {3}: changes 2 and 1 over two single-child nodes.
  Hypertree* Root = bag(G, nullptr, {1, 2});
  bag(G, bag(G, Root, {2, 3}), {3});
  EXPECT_EQ(Root->getChiSetChangeSum(), 3u);
  EXPECT_DOUBLE_EQ(Root->getAverageChiSetChange(), 1.5);
  EXPECT_EQ(Root->getJoinOverheadSum(), 0u);
  EXPECT_TRUE(std::isnan(Root->getAverageJoinOverhead()));
  delete Root;

  // Join {1,2,3} over {1,2,4}, {2,3} and {1,2,5}: only vertex 2 is shared by
  // all; join {2,3} over {2,3} and {3}: vertex 3.
  Root = bag(G, nullptr, {1, 2, 3});
  bag(G, Root, {1, 2, 4});
  Hypertree* Join = bag(G, Root, {2, 3});
  bag(G, Root, {1, 2, 5});
  bag(G, Join, {2, 3});
  bag(G, Join, {3});
  EXPECT_EQ(Root->getJoinOverheadSum(), 2u);
  EXPECT_DOUBLE_EQ(Root->getAverageJoinOverhead(), 1.0);
  EXPECT_EQ(Root->getChiSetChangeSum(), 0u);
  EXPECT_TRUE(std::isnan(Root->getAverageChiSetChange()));
  delete Root;
  delete G;
}

TEST(HypertreeStatisticsDeathTest, TextOutputIsNotAvailable) {
  Hypertree T;
  EXPECT_EXIT(T.outputToText("tree.txt"), ::testing::ExitedWithCode(1),
              "^ERROR in Hypertree::outputToText: Not implemented yet.\n$");
}

TEST(HypertreeChecks, DecompositionOfALongPath) {
  // 200,000 vertices: the decomposition is a path of bags, as deep as the
  // graph is long.
  const int n = 200000;
  Hypergraph* G = buildGraph(n, pathEdges(n));
  std::srand(3);
  kivra::H_BucketElim Elim;
  Hypertree* Root = Elim.buildHypertree(G, 2, 0, false);
  EXPECT_EQ(Root->checkCond1(G), nullptr);
  EXPECT_EQ(Root->checkCond2(G), nullptr);
  EXPECT_EQ(Root->checkCond3(G), nullptr);
  EXPECT_EQ(Root->checkCond4(G), nullptr);
  unsigned int iNodes = Root->getNumberOfDescendants();
  unsigned int iSingle = iNodes - Root->getNumberOfJoinNodes() - Root->getNumberOfLeafNodes();
  EXPECT_GT(iSingle, 0u);
  EXPECT_EQ(Root->getChiSetChangeSum(), 2 * iSingle);
  // A vertex shared with its child taken out of a bag in the middle (it
  // stays in the bag's lambda) breaks the special condition there.
  std::vector<Hypertree*> Nodes = treeNodes(Root);
  std::size_t iMiddle = iNodes / 2;
  while (Nodes[iMiddle]->getChildren()->size() != 1) ++iMiddle;
  Hypertree* Middle = Nodes[iMiddle];
  for (Node* V : *Middle->getChildren()->front()->getChi()) Middle->getChi()->erase(V);
  EXPECT_EQ(Root->checkCond4(G), Middle);
  delete Root;
  delete G;
}
