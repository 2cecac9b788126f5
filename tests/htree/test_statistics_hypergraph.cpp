// Hypergraph statistics and structural operations: degrees, connectivity,
// fill-in against brute force, removal of contained hyperedges against a
// step-by-step model, division into parts, and large inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "kivra/Hypergraph.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;

namespace {

std::vector<int> edgeIds(Hypergraph* G) {
  std::vector<int> Ids;
  for (int j = 0; j < G->getNbrOfEdges(); ++j) Ids.push_back(G->getEdge(j)->getID());
  return Ids;
}

std::vector<int> coveredOf(Hyperedge* E) { return {E->getCoveredIDs()->begin(), E->getCoveredIDs()->end()}; }

// Fill-in of every node by definition, from the neighbour lists.
std::vector<long long> bruteFill(Hypergraph* G) {
  std::vector<long long> Fill;
  for (int i = 0; i < G->getNbrOfNodes(); ++i) {
    Node* V = G->getNode(i);
    std::vector<Node*> N;
    for (int k = 0; k < V->getNbrOfNeighbours(); ++k) N.push_back(V->getNeighbour(k));
    long long iMissing = 0;
    for (std::size_t a = 0; a < N.size(); ++a)
      for (std::size_t b = a + 1; b < N.size(); ++b) {
        bool bAdjacent = false;
        for (int k = 0; k < N[a]->getNbrOfNeighbours(); ++k) bAdjacent = bAdjacent || N[a]->getNeighbour(k) == N[b];
        if (!bAdjacent) ++iMissing;
      }
    Fill.push_back(iMissing);
  }
  return Fill;
}

// reduce, step by step as a plain list walk over ID lists.
struct ReduceModel {
  struct Edge {
    int iId;
    std::vector<int> Nodes;
    std::vector<int> Covered;
  };
  std::vector<Edge> Edges;
  std::map<int, std::vector<int>> NodeEdges;  // node ID -> its edge IDs

  explicit ReduceModel(Hypergraph* G) {
    for (int j = 0; j < G->getNbrOfEdges(); ++j) {
      Hyperedge* E = G->getEdge(j);
      Edge M{E->getID(), {}, coveredOf(E)};
      for (int k = 0; k < E->getNbrOfNodes(); ++k) M.Nodes.push_back(E->getNode(k)->getID());
      Edges.push_back(M);
    }
    for (int i = 0; i < G->getNbrOfNodes(); ++i) {
      Node* V = G->getNode(i);
      std::vector<int>& Mine = NodeEdges[V->getID()];
      for (int k = 0; k < V->getNbrOfEdges(); ++k) Mine.push_back(V->getEdge(k)->getID());
    }
  }

  void reduce(bool bFinalOnly) {
    int iCount = static_cast<int>(Edges.size());
    for (int i = 0; i < iCount; ++i) {
      std::set<int> Labelled(Edges[i].Nodes.begin(), Edges[i].Nodes.end());
      for (int j = (bFinalOnly && i != iCount - 1) ? iCount - 1 : 0; j < iCount; ++j) {
        if (j == i) continue;
        bool bInside = true;
        for (int v : Edges[j].Nodes) bInside = bInside && Labelled.count(v) != 0;
        if (!bInside) continue;
        Edges[i].Covered.push_back(Edges[j].iId);
        Edges[i].Covered.insert(Edges[i].Covered.end(), Edges[j].Covered.begin(), Edges[j].Covered.end());
        for (int v : Edges[j].Nodes) {
          std::vector<int>& L = NodeEdges[v];
          auto It = std::find(L.begin(), L.end(), Edges[j].iId);
          if (It != L.end()) L.erase(It);
        }
        Edges.erase(Edges.begin() + j);
        --iCount;
        if (j < i) --i;
        --j;
      }
    }
  }
};

// Compares a reduced graph with the model, and its hyperedges' neighbour
// lists with the hyperedges sharing a vertex, ascending by ID.
void expectMatchesModel(Hypergraph* G, const ReduceModel& Model, const std::string& Context) {
  ASSERT_EQ(G->getNbrOfEdges(), static_cast<int>(Model.Edges.size())) << Context;
  for (int j = 0; j < G->getNbrOfEdges(); ++j) {
    EXPECT_EQ(G->getEdge(j)->getID(), Model.Edges[j].iId) << Context;
    EXPECT_EQ(coveredOf(G->getEdge(j)), Model.Edges[j].Covered) << Context << " edge " << j;
  }
  for (int i = 0; i < G->getNbrOfNodes(); ++i) {
    Node* V = G->getNode(i);
    std::vector<int> Ids;
    for (int k = 0; k < V->getNbrOfEdges(); ++k) Ids.push_back(V->getEdge(k)->getID());
    EXPECT_EQ(Ids, Model.NodeEdges.at(V->getID())) << Context << " node " << V->getID();
    EXPECT_EQ(V->getLabel(), 0) << Context;
  }
  for (int j = 0; j < G->getNbrOfEdges(); ++j) {
    Hyperedge* E = G->getEdge(j);
    std::set<int> Expected;
    for (int k = 0; k < E->getNbrOfNodes(); ++k)
      for (int l = 0; l < E->getNode(k)->getNbrOfEdges(); ++l)
        if (E->getNode(k)->getEdge(l) != E) Expected.insert(E->getNode(k)->getEdge(l)->getID());
    std::vector<int> Actual;
    for (int k = 0; k < E->getNbrOfNeighbours(); ++k) Actual.push_back(E->getNeighbour(k)->getID());
    EXPECT_EQ(Actual, std::vector<int>(Expected.begin(), Expected.end())) << Context << " edge " << j;
  }
}

}  // namespace

TEST(HypergraphStatistics, DegreesAndConnectivity) {
  Hypergraph Empty;
  EXPECT_EQ(Empty.getAverageNodeDegree(), -1.0);
  EXPECT_EQ(Empty.getMaximumNodeDegree(), -1);
  EXPECT_EQ(Empty.getMinimumNodeDegree(), -1);
  EXPECT_TRUE(Empty.isConnected());

  // Star 1-2, 1-3, 1-4 and the separate edge 5-6; node 7 has no edge.
  Hypergraph* G = buildGraph(7, {{1, 2}, {1, 3}, {1, 4}, {5, 6}});
  EXPECT_EQ(G->getMaximumNodeDegree(), 3);
  EXPECT_EQ(G->getMinimumNodeDegree(), 0);
  EXPECT_DOUBLE_EQ(G->getAverageNodeDegree(), 8.0 / 7.0);
  EXPECT_FALSE(G->isConnected());
  EXPECT_EQ(G->getEdge(2)->getLabel(), 1);
  EXPECT_EQ(G->getEdge(3)->getLabel(), 0);
  delete G;

  // Nodes without edges do not count; a hyperedge of three joins two pairs.
  G = buildGraph(6, {{1, 2}, {3, 4}, {2, 5, 3}});
  EXPECT_TRUE(G->isConnected());
  // An edge already labelled is neither entered nor relabelled, so it blocks.
  G->resetEdgeLabels(0);
  G->getEdge(2)->setLabel(7);
  G->labelReachEdges(G->getEdge(0));
  EXPECT_EQ(G->getEdge(0)->getLabel(), 1);
  EXPECT_EQ(G->getEdge(1)->getLabel(), 0);
  EXPECT_EQ(G->getEdge(2)->getLabel(), 7);
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
  // Computed once: joining the leaves into a clique later is not seen.
  Hyperedge* Extra = new Hyperedge(9, 9);
  G->MyEdges.push_back(Extra);
  G->iMyMaxNbrOfEdges = 5;
  for (int i : {1, 2, 3}) {
    Extra->insNode(G->getNode(i));
    G->getNode(i)->insEdge(Extra);
  }
  G->updateNeighbourhood();
  EXPECT_EQ(G->getMaximumNodeFill(), 3);
  G->setFillStatistics();
  EXPECT_EQ(G->getMaximumNodeFill(), 0);
  delete G;
  Hypergraph Empty;
  EXPECT_EQ(Empty.getMaximumNodeFill(), 0);
  EXPECT_TRUE(std::isnan(Empty.getAverageNodeFill()));

  std::mt19937 Gen(11);
  for (int iRound = 0; iRound < 60; ++iRound) {
    int n = 1 + static_cast<int>(Gen() % 12);
    std::vector<std::vector<int>> Edges;
    for (int k = static_cast<int>(Gen() % 20); k > 0; --k) {
      std::vector<int> Members;
      for (int s = 1 + static_cast<int>(Gen() % 4); s > 0; --s) Members.push_back(1 + static_cast<int>(Gen() % n));
      Edges.push_back(Members);
    }
    G = buildGraph(n, Edges);
    std::vector<long long> Fill = bruteFill(G);
    double rSum = 0;
    for (long long f : Fill) rSum += static_cast<double>(f);
    EXPECT_EQ(G->getMinimumNodeFill(), *std::min_element(Fill.begin(), Fill.end())) << iRound;
    EXPECT_EQ(G->getMaximumNodeFill(), *std::max_element(Fill.begin(), Fill.end())) << iRound;
    EXPECT_DOUBLE_EQ(G->getAverageNodeFill(), rSum / n) << iRound;
    testing::internal::CaptureStdout();
    for (int i = 0; i < n; ++i) EXPECT_EQ(G->getNode(i)->getFillIn(), Fill[i]) << iRound;
    testing::internal::GetCapturedStdout();
    delete G;
  }
}

TEST(HypergraphStatistics, ReduceMatchesStepByStepModel) {
  // {1,2} and {3} lie in {1,2,3}, which records both IDs.
  Hypergraph* G = buildGraph(3, {{1, 2}, {1, 2, 3}, {3}});
  G->reduce(false);
  EXPECT_EQ(edgeIds(G), (std::vector<int>{1}));
  EXPECT_EQ(coveredOf(G->getEdge(0)), (std::vector<int>{0, 2}));
  delete G;

  // Small hypergraphs with repeated vertices, equal and empty hyperedges and
  // IDs recorded beforehand, in both modes.
  std::mt19937 Gen(5);
  for (int iRound = 0; iRound < 400; ++iRound) {
    int n = 1 + static_cast<int>(Gen() % 6);
    std::vector<std::vector<int>> Edges;
    for (int k = static_cast<int>(Gen() % 12); k > 0; --k) {
      std::vector<int> Members;
      for (int s = static_cast<int>(Gen() % 4); s > 0; --s) Members.push_back(1 + static_cast<int>(Gen() % n));
      Edges.push_back(Members);
      if (Gen() % 3 == 0) Edges.push_back(Edges[Gen() % Edges.size()]);
    }
    for (bool bFinalOnly : {false, true}) {
      G = buildGraph(n, Edges);
      for (int j = 0; j < G->getNbrOfEdges(); ++j)
        if (Gen() % 4 == 0) G->getEdge(j)->insCoveredID(100 + j);
      G->resetNodeLabels(5);
      // Neighbour lists already computed must lose the removed hyperedges.
      for (int j = 0; j < G->getNbrOfEdges(); ++j) G->getEdge(j)->getNbrOfNeighbours();
      ReduceModel Model(G);
      Model.reduce(bFinalOnly);
      G->reduce(bFinalOnly);
      expectMatchesModel(G, Model, "round " + std::to_string(iRound) + (bFinalOnly ? " final" : " all"));
      delete G;
    }
  }
}

TEST(HypergraphStatistics, DivideNodes) {
  // Nodes 1-3 in part 0, 4-6 in part 1; hyperedges 2 and 5 cross; node 7
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
  EXPECT_EQ(Sub[2]->getNbrOfNodes(), 0);
  EXPECT_EQ(Sub[2]->getNbrOfEdges(), 0);

  // Part 0: clones of nodes 1, 2, 3 and hyperedges 0, 1, then the hyperedge
  // joining its separator nodes 1 and 3, which takes their first slot.
  Hypergraph* P = Sub[0];
  ASSERT_EQ(P->getNbrOfNodes(), 3);
  ASSERT_EQ(P->getNbrOfEdges(), 3);
  EXPECT_NE(P->getNode(0), G->getNode(0));
  Hyperedge* Joint = P->getEdge(2);
  EXPECT_EQ(Joint->getName(), 0);
  EXPECT_EQ(Sub[1]->getEdge(2)->getID(), Joint->getID() + 1);
  auto edgesOf = [](Node* V) {
    std::vector<Hyperedge*> L;
    for (int k = 0; k < V->getNbrOfEdges(); ++k) L.push_back(V->getEdge(k));
    return L;
  };
  EXPECT_EQ(edgesOf(P->getNode(0)), (std::vector<Hyperedge*>{Joint, P->getEdge(0)}));
  EXPECT_EQ(edgesOf(P->getNode(1)), (std::vector<Hyperedge*>{P->getEdge(0), P->getEdge(1)}));
  EXPECT_EQ(edgesOf(P->getNode(2)), (std::vector<Hyperedge*>{Joint, P->getEdge(1)}));
  ASSERT_EQ(Joint->getNbrOfNodes(), 2);
  EXPECT_EQ(Joint->getNode(1), P->getNode(2));
  EXPECT_EQ(P->getEdge(1)->getNode(0), P->getNode(1));
  EXPECT_EQ(P->getNode(0)->getNbrOfNeighbours(), 2);
  for (int p = 0; p < 3; ++p) delete Sub[p];
  delete[] Sub;
  delete[] Sep;
  delete G;

  Hypergraph Empty;
  Empty.divideNodes(nullptr, &Sub, &Sep);
  EXPECT_EQ(Sub[0], nullptr);
  EXPECT_EQ(Sep[0], nullptr);
  delete[] Sub;
  delete[] Sep;
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
  std::vector<std::vector<int>> Edges;
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
  Star->reduce(true);
  EXPECT_EQ(Star->getNbrOfEdges(), n - 1);
  delete Star;
}
