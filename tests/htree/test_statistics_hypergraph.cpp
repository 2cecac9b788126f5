// Hypergraph statistics and structural operations: degrees, connectivity,
// fill-in against brute force, removal of contained hyperedges against a
// step-by-step model, division into parts, and large inputs.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>
#include <numeric>

#include "test_hypertree_graphs.h"

using namespace decomposition_test;

namespace {

using Ids = std::vector<int>;

Ids coveredOf(Hyperedge* E) { return {E->getCoveredIDs()->begin(), E->getCoveredIDs()->end()}; }

EdgeList randomHyperedges(std::mt19937& Gen, int n, int iMaxEdges, int iMaxSize) {
  EdgeList Edges(Gen() % (iMaxEdges + 1));
  for (Ids& Members : Edges)
    for (int s = static_cast<int>(Gen() % (iMaxSize + 1)); s > 0; --s)
      Members.push_back(1 + static_cast<int>(Gen() % n));
  return Edges;
}

// The state reduce works on, as ID lists: hyperedges in order with their
// vertices and recorded IDs, and every node's hyperedges.
struct ReduceState {
  std::vector<std::pair<int, Ids>> Edges;  // ID, vertices
  std::map<int, Ids> Covered, NodeEdges;

  explicit ReduceState(Hypergraph* G) {
    for (int j = 0; j < G->getNbrOfEdges(); ++j) {
      Hyperedge* E = G->getEdge(j);
      Edges.push_back({E->getID(), {}});
      for (int k = 0; k < E->getNbrOfNodes(); ++k) Edges.back().second.push_back(E->getNode(k)->getID());
      Covered[E->getID()] = coveredOf(E);
    }
    for (int i = 0; i < G->getNbrOfNodes(); ++i) {
      Ids& Mine = NodeEdges[G->getNode(i)->getID()];
      for (int k = 0; k < G->getNode(i)->getNbrOfEdges(); ++k) Mine.push_back(G->getNode(i)->getEdge(k)->getID());
    }
  }

  // reduce walked literally: position by position, removals shifting the list.
  void reduce(bool bFinalOnly) {
    int iCount = static_cast<int>(Edges.size());
    for (int i = 0; i < iCount; ++i) {
      std::set<int> Labelled(Edges[i].second.begin(), Edges[i].second.end());
      for (int j = (bFinalOnly && i != iCount - 1) ? iCount - 1 : 0; j < iCount; ++j) {
        bool bInside = j != i;
        for (int v : Edges[j].second) bInside = bInside && Labelled.count(v) != 0;
        if (!bInside) continue;
        Ids& Mine = Covered[Edges[i].first];
        Mine.push_back(Edges[j].first);
        Mine.insert(Mine.end(), Covered[Edges[j].first].begin(), Covered[Edges[j].first].end());
        for (int v : Edges[j].second) {
          Ids& L = NodeEdges[v];
          auto It = std::find(L.begin(), L.end(), Edges[j].first);
          if (It != L.end()) L.erase(It);
        }
        Edges.erase(Edges.begin() + j);
        --iCount;
        i -= j < i ? 1 : 0;
        --j;
      }
    }
  }
};

}  // namespace

TEST(HypergraphStatistics, DegreesAndConnectivity) {
  Hypergraph Empty;
  EXPECT_EQ(Empty.getAverageNodeDegree(), -1.0);
  EXPECT_EQ(Empty.getMaximumNodeDegree(), -1);
  EXPECT_EQ(Empty.getMinimumNodeDegree(), -1);
  EXPECT_TRUE(Empty.isConnected());
  // Star 1-2, 1-3, 1-4 and the separate pair 5-6; node 7 has no edge.
  Hypergraph* G = buildGraph(7, {{1, 2}, {1, 3}, {1, 4}, {5, 6}});
  EXPECT_EQ(G->getMaximumNodeDegree(), 3);
  EXPECT_EQ(G->getMinimumNodeDegree(), 0);
  EXPECT_DOUBLE_EQ(G->getAverageNodeDegree(), 8.0 / 7.0);
  EXPECT_FALSE(G->isConnected());
  delete G;
  // Nodes without edges do not count. An edge already labelled is neither
  // entered nor relabelled, so it blocks the walk.
  G = buildGraph(6, {{1, 2}, {3, 4}, {2, 5, 3}});
  EXPECT_TRUE(G->isConnected());
  G->resetEdgeLabels(0);
  G->getEdge(2)->setLabel(7);
  G->labelReachEdges(G->getEdge(0));
  EXPECT_EQ((Ids{G->getEdge(0)->getLabel(), G->getEdge(1)->getLabel(), G->getEdge(2)->getLabel()}), (Ids{1, 0, 7}));
  delete G;
}

TEST(HypergraphStatistics, FillIn) {
  // Node 1 is the centre of a star with three leaves; nodes 5, 6, 7 a clique.
  Hypergraph* G = buildGraph(7, {{1, 2}, {1, 3}, {1, 4}, {5, 6, 7}});
  testing::internal::CaptureStdout();
  EXPECT_EQ(G->getNode(0)->getFillIn(), 3);
  EXPECT_EQ(G->getNode(4)->getFillIn(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "neihbours: 3\n1;2,1;2,1;2,\nneihbours: 2\n2;0,2;0,\n");
  EXPECT_EQ(G->getMaximumNodeFill(), 3);
  // Computed once: the dual (three hyperedges sharing node 1, one apart)
  // is only seen once recomputed.
  G->makeDual();
  EXPECT_EQ(G->getMaximumNodeFill(), 3);
  G->setFillStatistics();
  EXPECT_EQ(G->getMaximumNodeFill(), 0);
  G->makeDual();
  Hypergraph Empty;
  EXPECT_EQ(Empty.getMaximumNodeFill(), 0);
  EXPECT_TRUE(std::isnan(Empty.getAverageNodeFill()));
  delete G;

  std::mt19937 Gen(11);
  for (int iRound = 0; iRound < 60; ++iRound) {
    int n = 1 + static_cast<int>(Gen() % 12);
    G = buildGraph(n, randomHyperedges(Gen, n, 20, 4));
    // Pairs of neighbours that are not adjacent, by definition.
    std::vector<long long> Fill;
    for (int i = 0; i < n; ++i) {
      Node* V = G->getNode(i);
      Fill.push_back(0);
      for (int a = 0; a < V->getNbrOfNeighbours(); ++a)
        for (int b = a + 1; b < V->getNbrOfNeighbours(); ++b) {
          bool bAdjacent = false;
          for (int k = 0; k < V->getNeighbour(a)->getNbrOfNeighbours(); ++k)
            bAdjacent = bAdjacent || V->getNeighbour(a)->getNeighbour(k) == V->getNeighbour(b);
          Fill.back() += bAdjacent ? 0 : 1;
        }
    }
    EXPECT_EQ(G->getMinimumNodeFill(), *std::min_element(Fill.begin(), Fill.end())) << iRound;
    EXPECT_EQ(G->getMaximumNodeFill(), *std::max_element(Fill.begin(), Fill.end())) << iRound;
    EXPECT_DOUBLE_EQ(G->getAverageNodeFill(), static_cast<double>(std::accumulate(Fill.begin(), Fill.end(), 0LL)) / n);
    testing::internal::CaptureStdout();
    for (int i = 0; i < n; ++i) EXPECT_EQ(G->getNode(i)->getFillIn(), Fill[i]) << iRound;
    testing::internal::GetCapturedStdout();
    delete G;
  }
}

TEST(HypergraphStatistics, ReduceMatchesLiteralWalk) {
  // {1,2} and {3} lie in {1,2,3}, which records both IDs.
  Hypergraph* G = buildGraph(3, {{1, 2}, {1, 2, 3}, {3}});
  G->reduce(false);
  ASSERT_EQ(G->getNbrOfEdges(), 1);
  EXPECT_EQ(coveredOf(G->getEdge(0)), (Ids{0, 2}));
  delete G;

  // Small hypergraphs with repeated vertices, equal and empty hyperedges and
  // IDs recorded beforehand, in both modes; neighbour lists already computed
  // must lose the removed hyperedges.
  std::mt19937 Gen(5);
  for (int iRound = 0; iRound < 400; ++iRound) {
    int n = 1 + static_cast<int>(Gen() % 6);
    EdgeList Edges = randomHyperedges(Gen, n, 12, 3);
    for (int k = static_cast<int>(Edges.size()) / 3; k > 0; --k) Edges.push_back(Edges[Gen() % Edges.size()]);
    for (bool bFinalOnly : {false, true}) {
      const std::string Context = std::to_string(iRound) + (bFinalOnly ? " final" : " all");
      G = buildGraph(n, Edges);
      // Sometimes a hyperedge also holds a vertex the hypergraph does not.
      Node Stranger(99, 99);
      if (Gen() % 4 == 0 && !Edges.empty()) G->getEdge(static_cast<int>(Gen() % Edges.size()))->insNode(&Stranger);
      for (int j = 0; j < G->getNbrOfEdges(); ++j) {
        if (Gen() % 4 == 0) G->getEdge(j)->insCoveredID(100 + j);
        G->getEdge(j)->getNbrOfNeighbours();
      }
      ReduceState Expected(G);
      Expected.reduce(bFinalOnly);
      G->reduce(bFinalOnly);
      ReduceState Actual(G);
      EXPECT_EQ(Actual.Edges, Expected.Edges) << Context;
      EXPECT_EQ(Actual.NodeEdges, Expected.NodeEdges) << Context;
      for (auto& [iId, Nodes] : Actual.Edges) {
        EXPECT_EQ(Actual.Covered[iId], Expected.Covered[iId]) << Context;
        Hyperedge* E = G->getEdgeByID(iId);
        std::set<int> Sharing;
        for (int v : Nodes)
          for (int e : Actual.NodeEdges[v]) Sharing.insert(e);
        Sharing.erase(iId);
        Ids Neighbours;
        for (int k = 0; k < E->getNbrOfNeighbours(); ++k) Neighbours.push_back(E->getNeighbour(k)->getID());
        EXPECT_EQ(Neighbours, Ids(Sharing.begin(), Sharing.end())) << Context;
      }
      delete G;
    }
  }
}

TEST(HypergraphStatistics, DivideNodes) {
  // Nodes 1-3 in part 0, 4-6 in part 1; hyperedges 2, 5 and 6 cross; node 7
  // (part 2) lies on a crossing hyperedge only and leaves its part.
  Hypergraph* G = buildGraph(7, {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {1, 6}, {6, 7}});
  int Parts[] = {0, 0, 0, 1, 1, 1, 2};
  Hypergraph** Sub = nullptr;
  Hyperedge** Sep = nullptr;
  G->divideNodes(Parts, &Sub, &Sep);
  EXPECT_EQ(Parts[6], -1);
  EXPECT_EQ((std::vector<Hyperedge*>(Sep, Sep + 4)),
            (std::vector<Hyperedge*>{G->getEdge(2), G->getEdge(5), G->getEdge(6), nullptr}));
  ASSERT_EQ(Sub[3], nullptr);
  EXPECT_EQ(Sub[2]->getNbrOfNodes() + Sub[2]->getNbrOfEdges(), 0);
  // Part 0: clones of nodes 1, 2, 3 and hyperedges 0, 1, then the hyperedge
  // joining its separator nodes 1 and 3, which takes their first slot.
  Hypergraph* P = Sub[0];
  ASSERT_EQ(P->getNbrOfNodes(), 3);
  ASSERT_EQ(P->getNbrOfEdges(), 3);
  EXPECT_NE(P->getNode(0), G->getNode(0));
  Hyperedge* Joint = P->getEdge(2);
  EXPECT_EQ(Joint->getName(), 0);
  EXPECT_EQ(Sub[1]->getEdge(2)->getID(), Joint->getID() + 1);
  const int j = Joint->getID();
  EXPECT_EQ(ReduceState(P).NodeEdges, (std::map<int, Ids>{{1, {j, 0}}, {2, {0, 1}}, {3, {j, 1}}}));
  EXPECT_EQ(Joint->getNode(1), P->getNode(2));
  EXPECT_EQ(P->getNode(0)->getNbrOfNeighbours(), 2);
  for (int p = 0; p < 3; ++p) delete Sub[p];
  delete[] Sub;
  delete[] Sep;
  delete G;
}

TEST(HypergraphStatisticsDeathTest, DivideNodesWithAVertexOutsideTheGraph) {
  auto divide = [] {
    Hypergraph* G = buildGraph(2, {{1, 2}});
    G->getEdge(0)->insNode(new Node(99, 99));
    int Parts[] = {0, 0};
    Hypergraph** Sub;
    Hyperedge** Sep;
    G->divideNodes(Parts, &Sub, &Sep);
  };
  EXPECT_EXIT(divide(), ::testing::ExitedWithCode(1), "^ERROR in Hypergraph::divideNodes: Node not found.\n$");
}

TEST(HypergraphStatistics, LargeGraphs) {
  // A path and a star of 200,000 vertices: every operation stays near-linear
  // (the star's hyperedges are all neighbours of each other).
  const int n = 200000;
  Hypergraph* Path = buildGraph(n, pathEdges(n));
  EXPECT_TRUE(Path->isConnected());
  EXPECT_EQ(Path->getMaximumNodeFill(), 1);
  std::vector<int> Parts(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) Parts[i] = i < n / 2 ? 0 : 1;
  Hypergraph** Sub;
  Hyperedge** Sep;
  Path->divideNodes(Parts.data(), &Sub, &Sep);
  EXPECT_EQ(Sub[1]->getNbrOfEdges(), n / 2);
  EXPECT_EQ(Sep[0], Path->getEdge(n / 2 - 1));
  delete Sub[0];
  delete Sub[1];
  delete[] Sub;
  delete[] Sep;
  delete Path;

  // Star edges with the centre alone before every 1,000th of them.
  EdgeList Edges;
  for (int i = 2; i <= n; ++i) {
    if (i % 1000 == 2) Edges.push_back({1});
    Edges.push_back({1, i});
  }
  Hypergraph* Star = buildGraph(n, Edges);
  EXPECT_TRUE(Star->isConnected());
  EXPECT_EQ(Star->getMaximumNodeFill(), INT_MAX);  // C(199,999, 2) does not fit
  EXPECT_DOUBLE_EQ(Star->getAverageNodeFill(), 199999.0 * 199998.0 / 2.0 / n);
  Star->reduce(false);
  EXPECT_EQ(Star->getNbrOfEdges(), n - 1);
  EXPECT_EQ(Star->getNode(0)->getNbrOfEdges(), n - 1);
  // The first centre copy took the other 199; the first star edge took it.
  EXPECT_EQ(Star->getEdge(0)->getCoveredIDs()->size(), 200u);
  delete Star;
}
