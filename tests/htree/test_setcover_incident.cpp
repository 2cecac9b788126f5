// The cover of all hyperedges incident to a vertex set, computed with runs of
// private hyperedges of high-degree vertices, against the plain set cover
// over the explicit candidate set: same hyperedges in the same order and the
// same random draws, whatever the degree threshold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "kivra/CompSet.h"
#include "kivra/SetCover.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using kivra::CompSet;
using kivra::IncidentCoverCache;
using kivra::SetCover;

namespace {

// Hubs joined to many vertices, parallel edges (both attack directions),
// self-loops, three-vertex hyperedges and random pairs.
std::vector<std::vector<int>> mixedEdges(int n, std::mt19937& Rng) {
  std::vector<std::vector<int>> Edges;
  int iHubs = 1 + static_cast<int>(Rng() % 3);
  for (int h = 1; h <= iHubs; ++h)
    for (int v = 1; v <= n; ++v)
      if (v != h && Rng() % 3 != 0) {
        Edges.push_back({h, v});
        if (Rng() % 5 == 0) Edges.push_back({v, h});
      }
  for (int k = 0; k < n; ++k) {
    int a = static_cast<int>(Rng() % n) + 1, b = static_cast<int>(Rng() % n) + 1;
    switch (Rng() % 4) {
      case 0:
        Edges.push_back({a, a});
        break;
      case 1:
        Edges.push_back({a, b, static_cast<int>(Rng() % n) + 1});
        break;
      default:
        Edges.push_back({a, b});
    }
  }
  for (int v = 1; v <= n; ++v) Edges.push_back({v, v % n + 1});
  return Edges;
}

std::vector<int> plainCover(const std::vector<Node*>& Nodes, Hypergraph* G) {
  CompSet NodeSet(static_cast<int>(Nodes.size()));
  CompSet HEdges(G->getNbrOfEdges());
  for (Node* V : Nodes) {
    NodeSet.insComp(V);
    for (int i = 0; i < V->getNbrOfEdges(); ++i) HEdges.insComp(V->getEdge(i));
  }
  SetCover Cover;
  CompSet* Result = Cover.cover(&NodeSet, &HEdges);
  std::vector<int> Ids;
  for (int i = 0; i < Result->size(); ++i) Ids.push_back((*Result)[i]->getID());
  delete Result;
  return Ids;
}

}  // namespace

TEST(SetCoverIncident, SameCoverAndDrawsAsThePlainCover) {
  for (std::uint32_t seed = 1; seed <= 50; ++seed) {
    std::mt19937 Rng(seed);
    int n = 6 + static_cast<int>(Rng() % 40);
    Hypergraph* G = buildGraph(n, mixedEdges(n, Rng));
    std::vector<IncidentCoverCache*> Caches;
    for (int iThreshold : {0, 1, 3, 32}) Caches.push_back(new IncidentCoverCache(iThreshold));
    for (int iTrial = 0; iTrial < 8; ++iTrial) {
      std::vector<Node*> Nodes;
      for (int v = 1; v <= n; ++v)
        if (Rng() % 2 == 0) Nodes.push_back(G->getNodeByID(v));
      std::shuffle(Nodes.begin(), Nodes.end(), Rng);
      std::srand(seed * 100 + iTrial);
      std::vector<int> Expected = plainCover(Nodes, G);
      int iNextDraw = std::rand();
      for (IncidentCoverCache* Cache : Caches) {
        std::srand(seed * 100 + iTrial);
        SetCover Cover;
        std::vector<int> Ids;
        for (Hyperedge* E : Cover.coverIncident(Nodes, *Cache)) Ids.push_back(E->getID());
        ASSERT_EQ(Ids, Expected) << "seed " << seed << " trial " << iTrial;
        ASSERT_EQ(std::rand(), iNextDraw) << "seed " << seed << " trial " << iTrial;
      }
    }
    for (IncidentCoverCache* Cache : Caches) delete Cache;
    delete G;
  }
}

TEST(SetCoverIncident, VertexWithoutHyperedgeIsFatal) {
  Hypergraph* G = buildGraph(2, {{1, 1}});
  IncidentCoverCache Cache(0);
  SetCover Cover;
  EXPECT_EXIT(Cover.coverIncident({G->getNode(0), G->getNode(1)}, Cache), ::testing::ExitedWithCode(1),
              "^ERROR in SetCover::cover: Covering not possible.\n$");
  delete G;
}
