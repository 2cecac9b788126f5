// Greedy set cover: forced hyperedges, tie-breaks, the choice between the
// rules, termination and the fatal uncoverable case.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "kivra/CompSet.h"
#include "kivra/SetCover.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using kivra::CompSet;
using kivra::SetCover;

namespace {

CompSet* nodeSet(Hypergraph* G, std::initializer_list<int> Ids) {
  CompSet* Set = new CompSet(static_cast<int>(Ids.size()));
  for (int Id : Ids) Set->insComp(G->getNodeByID(Id));
  return Set;
}

CompSet* edgeSet(Hypergraph* G, std::initializer_list<int> Ids) {
  CompSet* Set = new CompSet(static_cast<int>(Ids.size()));
  for (int Id : Ids) Set->insComp(G->getEdgeByID(Id));
  return Set;
}

std::vector<int> idsIn(CompSet* Set) {
  std::vector<int> Ids;
  for (int i = 0; i < Set->size(); ++i) Ids.push_back((*Set)[i]->getID());
  return Ids;
}

std::vector<int> coverIds(Hypergraph* G, std::initializer_list<int> NodeIds, std::initializer_list<int> EdgeIds) {
  CompSet* Nodes = nodeSet(G, NodeIds);
  CompSet* HEdges = edgeSet(G, EdgeIds);
  SetCover Cover;
  CompSet* Result = Cover.cover(Nodes, HEdges);
  std::vector<int> Ids = idsIn(Result);
  delete Result;
  delete HEdges;
  delete Nodes;
  return Ids;
}

}  // namespace

TEST(SetCover, EmptyAndForcedCases) {
  Hypergraph* G = buildGraph(3, {{1, 2}, {2, 3}});
  EXPECT_EQ(coverIds(G, {}, {0, 1}), std::vector<int>{});
  // Vertex 1 lies in one candidate only: every rule takes it.
  for (unsigned seed = 1; seed <= 5; ++seed) {
    std::srand(seed);
    EXPECT_EQ(coverIds(G, {1}, {0, 1}), std::vector<int>{0});
  }
  // Vertex 1 forces edge 0, which covers 2; vertex 2 then has one open
  // hyperedge left (edge 1) but, being covered, forces nothing.
  EXPECT_EQ(coverIds(G, {1, 2}, {0, 1}), std::vector<int>{0});
  delete G;
}

TEST(SetCover, TriangleNeedsTwoChosenBySmallestIdInCandidateOrder) {
  Hypergraph* G = buildGraph(3, {{1, 2}, {2, 3}, {1, 3}});
  for (unsigned seed = 1; seed <= 5; ++seed) {
    std::srand(seed);
    // All tie in the first round: edge 0 (smallest ID); then 1 and 2 tie
    // for vertex 3: edge 1. The result keeps the candidates' order, and the
    // random runs, no smaller, never replace the deterministic one.
    EXPECT_EQ(coverIds(G, {1, 2, 3}, {2, 1, 0}), (std::vector<int>{1, 0}));
    EXPECT_EQ(coverIds(G, {3, 2, 1}, {0, 1, 2}), (std::vector<int>{0, 1}));
  }
  delete G;
}

TEST(SetCover, SelfLoopListedTwiceIsNotForcedButStillChosen) {
  Hypergraph* G = buildGraph(1, {{1, 1}});
  EXPECT_EQ(coverIds(G, {1}, {0}), std::vector<int>{0});
  delete G;
}

TEST(SetCover, WeightedRuleDoesNotPickAChosenHyperedgeAgain) {
  // Vertex 3 lies in edge 1 and twice in its self-loop (edge 2), so it
  // weighs nothing in the weighted rule; once edge 0 is taken for vertex 1,
  // the open hyperedges and the chosen one all score 0. Taking the chosen
  // one (smallest ID) again would cover nothing, round after round.
  Hypergraph* G = buildGraph(3, {{1, 2}, {3, 1}, {3, 3}});
  std::srand(1);
  EXPECT_EQ(coverIds(G, {3, 1}, {1, 2, 0}), std::vector<int>{1});
  delete G;
}

TEST(SetCover, UncoverableVertexIsFatal) {
  Hypergraph* G = buildGraph(3, {{1, 2}, {2, 3}});
  EXPECT_EXIT(coverIds(G, {1, 3}, {1}), ::testing::ExitedWithCode(1),
              "^ERROR in SetCover::cover: Covering not possible.\n$");
  delete G;
}

TEST(SetCover, RandomCoversAreValidAndSmall) {
  // Against brute force on small random hypergraphs: every result covers
  // and is never larger than twice the optimum here.
  for (std::uint32_t seed = 1; seed <= 60; ++seed) {
    std::mt19937 Rng(seed);
    const int n = 8;
    std::vector<std::vector<int>> Edges;
    for (int v = 1; v <= n; ++v) Edges.push_back({v, static_cast<int>(Rng() % n) + 1});
    for (int k = 0; k < 6; ++k)
      Edges.push_back({static_cast<int>(Rng() % n) + 1, static_cast<int>(Rng() % n) + 1,
                       static_cast<int>(Rng() % n) + 1});
    Hypergraph* G = buildGraph(n, Edges);
    CompSet Nodes(n), HEdges(static_cast<int>(Edges.size()));
    for (int i = 0; i < n; ++i) Nodes.insComp(G->getNode(i));
    for (int j = 0; j < static_cast<int>(Edges.size()); ++j) HEdges.insComp(G->getEdge(j));
    std::srand(seed);
    SetCover Cover;
    CompSet* Result = Cover.cover(&Nodes, &HEdges);
    std::set<Node*> Covered;
    for (int i = 0; i < Result->size(); ++i) {
      auto* E = reinterpret_cast<Hyperedge*>((*Result)[i]);
      for (int k = 0; k < E->getNbrOfNodes(); ++k) Covered.insert(E->getNode(k));
    }
    EXPECT_EQ(Covered.size(), static_cast<size_t>(n)) << seed;
    int iOptimum = static_cast<int>(Edges.size());
    for (unsigned Mask = 1; Mask < (1u << Edges.size()); ++Mask) {
      int iCount = __builtin_popcount(Mask);
      if (iCount >= iOptimum) continue;
      std::set<int> Hit;
      for (size_t j = 0; j < Edges.size(); ++j)
        if (Mask & (1u << j)) Hit.insert(Edges[j].begin(), Edges[j].end());
      if (static_cast<int>(Hit.size()) == n) iOptimum = iCount;
    }
    EXPECT_LE(Result->size(), 2 * iOptimum) << seed;
    delete Result;
    delete G;
  }
}
