// Hypergraphs whose nodes and hyperedges lie in the hypergraph's own element
// block, with long member lists in its member slots.
#include <gtest/gtest.h>

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
  for (int k = 0; k < 4; ++k) G->MyEdges.push_back(G->newEdge(k, k));
  Component** Slots = G->memberSlots(7);
  for (int k = 0; k < 4; ++k) {
    Hyperedge* Edge = G->MyEdges[static_cast<std::size_t>(k)];
    if (k < 3) {
      Slots[k] = Edge;
      Edge->insNode(G->MyNodes[0]);
    }
    Slots[3 + k] = Edge;
    Edge->insNode(G->MyNodes[1]);
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
  ASSERT_EQ(All.size(), 4u);
  // Appending needs more room than the lent run has and must not spill into
  // the next node's run; removing closes the gap.
  First->insEdge(All[3]);
  EXPECT_EQ(edgesOf(Second), All);
  EXPECT_TRUE(First->remEdge(All[1]));
  First->insEdge(All[0]);
  EXPECT_EQ(edgesOf(First), (std::vector<Hyperedge*>{All[0], All[2], All[3], All[0]}));
  EXPECT_EQ(edgesOf(Second), All);
  // Down to two members the list moves in place and keeps its order.
  for (Hyperedge* Edge : {All[3], All[0]}) EXPECT_TRUE(First->remEdge(Edge));
  EXPECT_EQ(edgesOf(First), (std::vector<Hyperedge*>{All[2], All[0]}));
  EXPECT_TRUE(Second->remEdge(All[0]));
  Second->updateSize();
  EXPECT_EQ(edgesOf(Second), (std::vector<Hyperedge*>{All[1], All[2], All[3]}));
  // Neighbour lists and covered IDs of block elements work as elsewhere.
  G->updateNeighbourhood();
  EXPECT_EQ(First->getNbrOfNeighbours(), 1);
  EXPECT_EQ(G->getNode(2)->getNbrOfNeighbours(), 0);
  G->getEdge(2)->insCoveredID(9);
  EXPECT_EQ(G->getEdge(2)->getCoveredIDs()->size(), 1u);
  delete G;
}

TEST(HypergraphStorage, MixedOwnershipIsReleasedAlsoInTheDualArrangement) {
  // Elements made by new join the block's elements; the dual arrangement
  // reads each list as the other kind. Deleting must release each element
  // the way it was made (the sanitizer build checks this).
  for (int iDual = 0; iDual < 2; ++iDual) {
    Hypergraph* G = twoHubs();
    auto* Extra = new Hyperedge(4, 4);
    Extra->insNode(G->getNode(2));
    G->getNode(2)->insEdge(Extra);
    G->MyEdges.push_back(Extra);
    G->MyNodes.push_back(new Node(3, 3));
    G->iMyMaxNbrOfEdges = 5;
    G->iMyMaxNbrOfNodes = 4;
    if (iDual == 1) G->makeDual();
    EXPECT_EQ(G->getNbrOfNodes(), iDual == 1 ? 5 : 4);
    delete G;
  }
}

TEST(HypergraphStorage, AnElementTakenOutOfTheListsOutlivesItsHypergraph) {
  // reduce() takes a hyperedge lying inside another out of the lists without
  // deleting it: it stays readable, also once the hypergraph is gone.
  Hypergraph* G = twoHubs();
  Hyperedge* Removed = G->getEdge(1);
  G->reduce(false);
  ASSERT_EQ(G->getNbrOfEdges(), 1);
  delete G;
  EXPECT_EQ(Removed->getID(), 1);
  EXPECT_EQ(Removed->getNbrOfNodes(), 2);
}
