// Hypergraph ownership, access, labelling, neighbourhoods and dualisation.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "kivra/Hypergraph.h"

using namespace kivra;

namespace {

// Builds a hypergraph the way the graph builder does: nodes with IDs 1..n,
// hyperedges with IDs 0.., each linked in both directions, then neighbourhoods.
Hypergraph* build(int n, const std::vector<std::vector<int>>& Edges) {
  Hypergraph* G = new Hypergraph;
  for (int i = 1; i <= n; ++i) G->MyNodes.push_back(new Node(i, i));
  int k = 0;
  for (const auto& Members : Edges) {
    Hyperedge* e = new Hyperedge(k, k);
    ++k;
    G->MyEdges.push_back(e);
    for (int v : Members) {
      G->MyNodes[static_cast<std::size_t>(v - 1)]->insEdge(e);
      e->insNode(G->MyNodes[static_cast<std::size_t>(v - 1)]);
    }
  }
  for (Node* v : G->MyNodes) v->updateNeighbourhood();
  for (Hyperedge* e : G->MyEdges) e->updateNeighbourhood();
  G->iMyMaxNbrOfNodes = n;
  G->iMyMaxNbrOfEdges = static_cast<int>(Edges.size());
  return G;
}

}  // namespace

TEST(Hypergraph, EmptyGraph) {
  Hypergraph G;
  EXPECT_EQ(G.getNbrOfNodes(), 0);
  EXPECT_EQ(G.getNbrOfEdges(), 0);
  EXPECT_EQ(G.getNodeByID(0), nullptr);
  EXPECT_EXIT(G.getNode(0), ::testing::ExitedWithCode(1), "^ERROR in Hypergraph::getNode: Position not available.\n$");
  EXPECT_EXIT(G.getEdge(0), ::testing::ExitedWithCode(1), "^ERROR in Hypergraph::getEdge: Position not available.\n$");
}

TEST(Hypergraph, AccessByPositionAndId) {
  Hypergraph* G = build(3, {{1, 2}, {2, 3}});
  EXPECT_EQ(G->getNode(2)->getID(), 3);
  EXPECT_EQ(G->getEdge(1)->getID(), 1);
  EXPECT_EQ(G->getEdgeByID(1), G->getEdge(1));
  EXPECT_EQ(G->getEdgeByID(9), nullptr);
  // With an ID held twice, the first stored node wins.
  Node* Twin = new Node(2, 99);
  G->MyNodes.push_back(Twin);
  G->iMyMaxNbrOfNodes = 4;
  EXPECT_EQ(G->getNodeByID(2), G->getNode(1));
  EXPECT_EQ(G->getNodeByID(2)->getName(), 2);
  // The counts are authoritative: entries beyond them are not reachable.
  G->iMyMaxNbrOfNodes = 3;
  EXPECT_EXIT(G->getNode(3), ::testing::ExitedWithCode(1), "Position not available");
  G->iMyMaxNbrOfNodes = 4;
  delete G;
}

TEST(Hypergraph, Labels) {
  Hypergraph* G = build(4, {{1, 2}, {3, 4}, {1, 4}});
  G->resetNodeLabels(-3);
  G->labelEdgesConsecutively();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(G->getNode(i)->getLabel(), -3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(G->getEdge(i)->getLabel(), i);
  delete G;
}

TEST(Hypergraph, NeighbourListsMatchBruteForce) {
  // Nodes and (lazily computed) hyperedge neighbours of random hypergraphs
  // with repeated members: every distinct member of a member, except the
  // element itself, ascending by ID.
  std::mt19937 Gen(4);
  for (int t = 0; t < 30; ++t) {
    const int n = 1 + static_cast<int>(Gen() % 20);
    std::vector<std::vector<int>> Edges(Gen() % 25);
    for (auto& Members : Edges)
      for (unsigned j = 0; j <= Gen() % 4; ++j) Members.push_back(1 + static_cast<int>(Gen() % static_cast<unsigned>(n)));
    Hypergraph* G = build(n, Edges);
    for (int i = 0; i < n; ++i) {
      std::set<int> Expected;
      for (const auto& Members : Edges)
        if (std::count(Members.begin(), Members.end(), i + 1)) Expected.insert(Members.begin(), Members.end());
      Expected.erase(i + 1);
      std::vector<int> Got;
      for (int j = 0; j < G->getNode(i)->getNbrOfNeighbours(); ++j) Got.push_back(G->getNode(i)->getNeighbour(j)->getID());
      EXPECT_EQ(Got, std::vector<int>(Expected.begin(), Expected.end()));
    }
    for (int k = 0; k < static_cast<int>(Edges.size()); ++k) {
      std::set<int> Expected;
      for (int l = 0; l < static_cast<int>(Edges.size()); ++l) {
        for (int v : Edges[static_cast<std::size_t>(k)])
          if (l != k && std::count(Edges[static_cast<std::size_t>(l)].begin(), Edges[static_cast<std::size_t>(l)].end(), v))
            Expected.insert(l);
      }
      std::vector<int> Got;
      for (int j = 0; j < G->getEdge(k)->getNbrOfNeighbours(); ++j) Got.push_back(G->getEdge(k)->getNeighbour(j)->getID());
      EXPECT_EQ(Got, std::vector<int>(Expected.begin(), Expected.end()));
    }
    delete G;
  }
}

TEST(Hypergraph, NeighbourhoodAndSizes) {
  Hypergraph* G = build(4, {{1, 2, 3}, {3, 4}});
  Node* v3 = G->getNode(2);
  EXPECT_EQ(v3->getNbrOfNeighbours(), 3);
  // A removed membership shows only after the neighbourhood is recomputed.
  G->getEdge(1)->remNode(G->getNode(3));
  G->getNode(3)->remEdge(G->getEdge(1));
  EXPECT_EQ(v3->getNbrOfNeighbours(), 3);
  G->updateNeighbourhood();
  EXPECT_EQ(v3->getNbrOfNeighbours(), 2);
  EXPECT_EQ(G->getNode(3)->getNbrOfNeighbours(), 0);
  EXPECT_EQ(G->getEdge(0)->getNbrOfNeighbours(), 1);

  // updateCompSizes trims slot-mode members at the first empty slot.
  Node* Slotted = new Node(5, 5, 2, 0);
  Slotted->insEdge(G->getEdge(0), 0);
  G->MyNodes.push_back(Slotted);
  G->iMyMaxNbrOfNodes = 5;
  G->updateCompSizes();
  EXPECT_EQ(Slotted->getNbrOfEdges(), 1);
  EXPECT_EQ(G->getEdge(0)->getNbrOfNodes(), 3);
  delete G;
}

TEST(Hypergraph, DualExchangesRolesAndRestores) {
  Hypergraph* G = build(3, {{1, 2}, {2, 3}});
  std::vector<Node*> Nodes(G->MyNodes.begin(), G->MyNodes.end());
  std::vector<Hyperedge*> Edges(G->MyEdges.begin(), G->MyEdges.end());
  G->makeDual();
  ASSERT_EQ(G->getNbrOfNodes(), 2);
  ASSERT_EQ(G->getNbrOfEdges(), 3);
  // The former hyperedge {2, 3} is now a vertex in the former vertices 2 and 3.
  Node* Dual = G->getNode(1);
  EXPECT_EQ(static_cast<void*>(Dual), static_cast<void*>(Edges[1]));
  ASSERT_EQ(Dual->getNbrOfEdges(), 2);
  EXPECT_EQ(static_cast<void*>(Dual->getEdge(0)), static_cast<void*>(Nodes[1]));
  EXPECT_EQ(static_cast<void*>(Dual->getEdge(1)), static_cast<void*>(Nodes[2]));
  // Dual neighbours: the two former hyperedges share vertex 2.
  G->updateNeighbourhood();
  EXPECT_EQ(static_cast<void*>(G->getNode(0)->getNeighbour(0)), static_cast<void*>(Edges[1]));
  G->makeDual();
  EXPECT_EQ(G->getNbrOfNodes(), 3);
  EXPECT_EQ(G->getNbrOfEdges(), 2);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(G->getNode(i), Nodes[static_cast<std::size_t>(i)]);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(G->getEdge(i), Edges[static_cast<std::size_t>(i)]);
  delete G;
}
