// Greedy set cover: forced hyperedges, tie-breaks, termination, the fatal
// uncoverable cases, and the cover of all hyperedges incident to a vertex
// set against the plain cover.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "kivra/CompSet.h"
#include "kivra/SetCover.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using ::testing::ExitedWithCode;
using kivra::CompSet;
using kivra::SetCover;

namespace {

std::vector<int> coverIds(Hypergraph* G, const std::vector<int>& NodeIds, const std::vector<int>& EdgeIds) {
  CompSet Nodes(static_cast<int>(NodeIds.size())), HEdges(static_cast<int>(EdgeIds.size()));
  for (int Id : NodeIds) Nodes.insComp(G->getNodeByID(Id));
  for (int Id : EdgeIds) HEdges.insComp(G->getEdgeByID(Id));
  CompSet* Result = SetCover().cover(&Nodes, &HEdges);
  std::vector<int> Ids;
  for (int i = 0; i < Result->size(); ++i) Ids.push_back((*Result)[i]->getID());
  delete Result;
  return Ids;
}

}  // namespace

TEST(SetCover, WorkedCases) {
  struct Case {
    const char* cWhat;
    int n;
    EdgeList Edges;
    std::vector<int> NodeIds, EdgeIds, Expected;
  };
  const std::vector<Case> Cases = {
      {"nothing to cover", 3, {{1, 2}, {2, 3}}, {}, {0, 1}, {}},
      {"vertex 1 in one candidate only", 3, {{1, 2}, {2, 3}}, {1}, {0, 1}, {0}},
      // Vertex 1 forces edge 0, which covers 2; vertex 2 then has one open
      // hyperedge left but, being covered, forces nothing.
      {"covered vertices force nothing", 3, {{1, 2}, {2, 3}}, {1, 2}, {0, 1}, {0}},
      // All tie first: edge 0 (smallest ID); then edges 1 and 2 tie for
      // vertex 3: edge 1. The result keeps the candidates' order, and the
      // random runs, no smaller, never replace the deterministic one.
      {"triangle", 3, {{1, 2}, {2, 3}, {1, 3}}, {1, 2, 3}, {2, 1, 0}, {1, 0}},
      {"triangle, other order", 3, {{1, 2}, {2, 3}, {1, 3}}, {3, 2, 1}, {0, 1, 2}, {0, 1}},
      {"self-loop listed twice is not forced but chosen", 1, {{1, 1}}, {1}, {0}, {0}},
      // Vertex 3 lies in edge 1 and twice in its self-loop (edge 2), so it
      // weighs nothing in the weighted rule; once edge 0 is taken for vertex
      // 1, the open hyperedges and the chosen one all score 0. Taking the
      // chosen one again would cover nothing, round after round.
      {"weighted rule never repicks a chosen hyperedge", 3, {{1, 2}, {3, 1}, {3, 3}}, {3, 1}, {1, 2, 0}, {1}},
  };
  for (const Case& C : Cases) {
    Hypergraph* G = buildGraph(C.n, C.Edges);
    for (unsigned seed = 1; seed <= 5; ++seed) {
      std::srand(seed);
      EXPECT_EQ(coverIds(G, C.NodeIds, C.EdgeIds), C.Expected) << C.cWhat << ", seed " << seed;
    }
    delete G;
  }
}

TEST(SetCoverDeathTest, UncoverableVerticesAreFatal) {
  const char* cFatal = "^ERROR in SetCover::cover: Covering not possible.\n$";
  Hypergraph* G = buildGraph(3, {{1, 2}, {2, 3}, {3, 3}});
  EXPECT_EXIT(coverIds(G, {1, 3}, {1}), ExitedWithCode(1), cFatal);
  Hypergraph* Lonely = buildGraph(2, {{1, 1}});
  kivra::IncidentCoverCache Cache(0);
  EXPECT_EXIT(SetCover().coverIncident({Lonely->getNode(0), Lonely->getNode(1)}, Cache), ExitedWithCode(1), cFatal);
  delete Lonely;
  delete G;
}

TEST(SetCover, IncidentCoverMatchesThePlainCoverAndDraws) {
  // The cover computed through runs of private hyperedges of high-degree
  // vertices gives the same hyperedges in the same order, with the same
  // random draws, as the plain cover over the explicit candidate set, at
  // every degree threshold. Random hyperedges of one to four members (with
  // self-loops and repeats), hubs (with parallel edges in both directions)
  // and a ring through all vertices.
  for (unsigned seed = 1; seed <= 50; ++seed) {
    std::mt19937 Rng(seed);
    const int n = 6 + static_cast<int>(Rng() % 40);
    EdgeList Edges = randomHyperedges(Rng, n, n);
    for (int h = 1 + static_cast<int>(Rng() % 3); h >= 1; --h)
      for (int v = 1; v <= n; ++v)
        if (v != h && Rng() % 3 != 0) {
          Edges.push_back({h, v});
          if (Rng() % 5 == 0) Edges.push_back({v, h});
        }
    for (int v = 1; v <= n; ++v) Edges.push_back({v, v % n + 1});
    Hypergraph* G = buildGraph(n, Edges);
    std::vector<std::unique_ptr<kivra::IncidentCoverCache>> Caches;
    for (int iThreshold : {0, 1, 3, 32}) Caches.push_back(std::make_unique<kivra::IncidentCoverCache>(iThreshold));
    for (int iTrial = 0; iTrial < 8; ++iTrial) {
      std::vector<Node*> Nodes;
      std::vector<int> NodeIds, EdgeIds;
      for (int v = 1; v <= n; ++v)
        if (Rng() % 2 == 0) Nodes.push_back(G->getNodeByID(v));
      std::shuffle(Nodes.begin(), Nodes.end(), Rng);
      for (Node* V : Nodes) {
        NodeIds.push_back(V->getID());
        for (int i = 0; i < V->getNbrOfEdges(); ++i) EdgeIds.push_back(V->getEdge(i)->getID());
      }
      std::srand(seed * 100 + iTrial);
      const std::vector<int> Expected = coverIds(G, NodeIds, EdgeIds);
      const int iNextDraw = std::rand();
      for (auto& Cache : Caches) {
        std::srand(seed * 100 + iTrial);
        std::vector<int> Ids;
        for (Hyperedge* E : SetCover().coverIncident(Nodes, *Cache)) Ids.push_back(E->getID());
        ASSERT_EQ(Ids, Expected) << "seed " << seed << " trial " << iTrial;
        ASSERT_EQ(std::rand(), iNextDraw) << "seed " << seed << " trial " << iTrial;
      }
    }
    delete G;
  }
}
