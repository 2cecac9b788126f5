// Nodes and hyperedges in the hypergraph's element block, long member lists
// in its member slots, and member lists of components with covered IDs.
#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <memory>
#include <random>
#include <vector>

#include "kivra/Hyperedge.h"
#include "kivra/Hypergraph.h"
#include "kivra/Node.h"

using namespace kivra;

namespace {

std::vector<Hyperedge*> edgesOf(Node* Vertex) {
  std::vector<Hyperedge*> Edges;
  for (int i = 0; i < Vertex->getNbrOfEdges(); ++i) Edges.push_back(Vertex->getEdge(i));
  return Edges;
}

// Node 0 in hyperedges 0..2 and node 1 in hyperedges 0..3, their lists in
// adjacent runs of the member slots; node 2 in none.
Hypergraph* twoHubs() {
  auto* G = new Hypergraph();
  G->reserveElements(3, 4);
  for (int i = 0; i < 3; ++i) G->MyNodes.push_back(G->newNode(i, i));
  Component** Slots = G->memberSlots(7);
  for (int k = 0; k < 4; ++k) {
    Hyperedge* Edge = G->newEdge(k, k);
    G->MyEdges.push_back(Edge);
    for (int iHub = k < 3 ? 0 : 1; iHub < 2; ++iHub) {
      Slots[iHub == 0 ? k : 3 + k] = Edge;
      Edge->insNode(G->MyNodes[static_cast<std::size_t>(iHub)]);
    }
  }
  Hypergraph::lendMembers(G->MyNodes[0], Slots, 3);
  Hypergraph::lendMembers(G->MyNodes[1], Slots + 3, 4);
  G->iMyMaxNbrOfNodes = 3;
  G->iMyMaxNbrOfEdges = 4;
  return G;
}

}  // namespace

TEST(HypergraphStorage, LentMemberListsChangeWithoutTouchingTheirNeighbours) {
  Hypergraph* G = twoHubs();
  Node* First = G->getNode(0);
  Node* Second = G->getNode(1);
  const std::vector<Hyperedge*> All = edgesOf(Second);
  // Stored neighbours sit beside a lent list without moving it.
  G->updateNeighbourhood();
  ASSERT_EQ(Second->getNbrOfNeighbours(), 1);
  // Appending needs more room than the lent run has and must not spill into
  // the next node's run; removing closes the gap.
  First->insEdge(All[3]);
  EXPECT_EQ(edgesOf(Second), All);
  EXPECT_TRUE(First->remEdge(All[1]));
  First->insEdge(All[0]);
  EXPECT_EQ(edgesOf(First), (std::vector<Hyperedge*>{All[0], All[2], All[3], All[0]}));
  for (Hyperedge* Edge : {All[3], All[0]}) EXPECT_TRUE(First->remEdge(Edge));
  EXPECT_EQ(edgesOf(First), (std::vector<Hyperedge*>{All[2], All[0]}));
  EXPECT_TRUE(Second->remEdge(All[0]));
  EXPECT_EQ(edgesOf(Second), (std::vector<Hyperedge*>{All[1], All[2], All[3]}));
  EXPECT_EQ(Second->getNeighbour(0), First);
  delete G;
}

TEST(HypergraphStorage, ElementsAreReleasedAsMadeAndOutliveTheGraphWhenUnlisted) {
  // Elements made by new join the block's, also in the dual arrangement; and
  // reduce() takes a hyperedge lying inside another out of the lists without
  // deleting it. Each is released the way it was made, the unlisted one not
  // at all (the sanitizer build checks this).
  for (int iCase = 0; iCase < 3; ++iCase) {
    Hypergraph* G = twoHubs();
    Hyperedge* Removed = G->getEdge(1);
    G->MyEdges.push_back(new Hyperedge(4, 4));
    G->MyNodes.push_back(new Node(3, 3));
    G->iMyMaxNbrOfEdges = 5;
    G->iMyMaxNbrOfNodes = 4;
    if (iCase == 1) G->makeDual();
    if (iCase == 2) G->reduce(false);
    delete G;
    if (iCase == 2) {
      EXPECT_EQ(Removed->getNbrOfNodes(), 2);
    }
  }
}

TEST(ComponentStorage, CoveredIDsSurviveEveryMoveOfTheMemberList) {
  std::mt19937 Rng(9);
  std::vector<std::unique_ptr<Hyperedge>> Pool;
  for (int i = 0; i < 10; ++i) Pool.push_back(std::make_unique<Hyperedge>(i, i));
  for (int iRound = 0; iRound < 60; ++iRound) {
    Node Vertex(1, 1);
    std::vector<Hyperedge*> Model;
    std::list<int> Covered;
    for (int iStep = 0; iStep < 25; ++iStep) {
      Hyperedge* Edge = Pool[Rng() % Pool.size()].get();
      const unsigned iAction = Rng() % 4;
      if (iAction == 0) {
        Vertex.insCoveredID(iStep);
        Covered.push_back(iStep);
      } else if (iAction == 1) {
        auto It = std::find(Model.begin(), Model.end(), Edge);
        EXPECT_EQ(Vertex.remEdge(Edge), It != Model.end());
        if (It != Model.end()) Model.erase(It);
      } else {
        Vertex.insEdge(Edge);
        Model.push_back(Edge);
      }
      ASSERT_EQ(edgesOf(&Vertex), Model);
      ASSERT_EQ(*Vertex.getCoveredIDs(), Covered);
    }
  }
}
