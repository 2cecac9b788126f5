// Hypergraph access, neighbourhoods, dualisation and its fatal cases.
#include <gtest/gtest.h>

#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using ::testing::ExitedWithCode;

namespace {

// Neighbour IDs of a node or hyperedge, in list order.
template <class Element>
std::vector<int> neighbourIds(Element* E) {
  std::vector<int> Ids;
  for (int j = 0; j < E->getNbrOfNeighbours(); ++j) Ids.push_back(E->getNeighbour(j)->getID());
  return Ids;
}

}  // namespace

TEST(HypergraphDeathTest, FatalMessages) {
  Hypergraph Empty;
  EXPECT_EXIT(Empty.getNode(0), ExitedWithCode(1), "^ERROR in Hypergraph::getNode: Position not available.\n$");
  EXPECT_EXIT(Empty.getEdge(0), ExitedWithCode(1), "^ERROR in Hypergraph::getEdge: Position not available.\n$");
  // Node 1 lists node 2 (or a node outside the graph) as neighbour; the
  // other side does not list node 1.
  auto broken = [](bool bForeign) {
    Hypergraph* G = new Hypergraph;
    G->MyNodes = {new Node(1, 1, 0, 1), new Node(2, 2, 0, 0)};
    G->MyNodes[0]->insNeighbour(bForeign ? new Node(7, 7) : G->MyNodes[1], 0);
    G->iMyMaxNbrOfNodes = 2;
    return G;
  };
  const char* cIllegal = "^ERROR in Hypergraph::getMIWOrder: Illegal neighbourhood relation.\n$";
  EXPECT_EXIT(broken(false)->getMIWOrder(0), ExitedWithCode(1), cIllegal);
  EXPECT_EXIT(broken(false)->getMFOrder(0), ExitedWithCode(1), cIllegal);
  EXPECT_EXIT(broken(true)->getMIWOrder(0), ExitedWithCode(1), cIllegal);
}

TEST(Hypergraph, NeighbourListsMatchBruteForce) {
  // Every distinct member of a member, except the element itself, ascending
  // by ID; hyperedge lists are computed lazily. Also after a membership is
  // removed and the neighbourhood recomputed.
  std::mt19937 Gen(4);
  for (int t = 0; t < 30; ++t) {
    const int n = 1 + static_cast<int>(Gen() % 20);
    EdgeList Edges = randomHyperedges(Gen, n, static_cast<int>(Gen() % 25));
    Hypergraph* G = buildGraph(n, Edges);
    for (int iRound = 0; iRound < 2; ++iRound) {
      for (int i = 0; i < n; ++i) {
        std::set<int> Expected;
        for (const auto& Members : Edges)
          if (std::count(Members.begin(), Members.end(), i + 1)) Expected.insert(Members.begin(), Members.end());
        Expected.erase(i + 1);
        EXPECT_EQ(neighbourIds(G->getNode(i)), std::vector<int>(Expected.begin(), Expected.end()));
      }
      for (size_t k = 0; k < Edges.size(); ++k) {
        std::set<int> Expected;
        for (size_t l = 0; l < Edges.size(); ++l)
          for (int v : Edges[k])
            if (l != k && std::count(Edges[l].begin(), Edges[l].end(), v)) Expected.insert(static_cast<int>(l));
        EXPECT_EQ(neighbourIds(G->getEdge(static_cast<int>(k))), std::vector<int>(Expected.begin(), Expected.end()));
      }
      if (iRound == 1 || Edges.empty()) break;
      // Take the first member out of the first hyperedge (one occurrence).
      Node* V = G->getNodeByID(Edges[0][0]);
      G->getEdge(0)->remNode(V);
      V->remEdge(G->getEdge(0));
      Edges[0].erase(Edges[0].begin());
      G->updateNeighbourhood();
    }
    delete G;
  }
}

TEST(Hypergraph, DualExchangesRolesAndRestores) {
  Hypergraph* G = buildGraph(3, {{1, 2}, {2, 3}});
  std::vector<Node*> Nodes(G->MyNodes.begin(), G->MyNodes.end());
  std::vector<Hyperedge*> Edges(G->MyEdges.begin(), G->MyEdges.end());
  G->makeDual();
  ASSERT_EQ(G->getNbrOfNodes(), 2);
  ASSERT_EQ(G->getNbrOfEdges(), 3);
  // The former hyperedge {2, 3} is now a vertex in the former vertices 2 and
  // 3; the two former hyperedges share vertex 2.
  Node* Dual = G->getNode(1);
  ASSERT_EQ(Dual->getNbrOfEdges(), 2);
  EXPECT_EQ((std::vector<void*>{Dual, Dual->getEdge(0), Dual->getEdge(1)}),
            (std::vector<void*>{Edges[1], Nodes[1], Nodes[2]}));
  G->updateNeighbourhood();
  EXPECT_EQ(static_cast<void*>(G->getNode(0)->getNeighbour(0)), static_cast<void*>(Edges[1]));
  G->makeDual();
  EXPECT_EQ(std::vector<Node*>(G->MyNodes.begin(), G->MyNodes.end()), Nodes);
  EXPECT_EQ(std::vector<Hyperedge*>(G->MyEdges.begin(), G->MyEdges.end()), Edges);
  delete G;
}
