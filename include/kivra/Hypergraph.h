// A hypergraph: owns its vertices (Node) and hyperedges (Hyperedge), gives
// positional and identifier access, label resets, neighbourhood updates,
// dualisation and vertex elimination orderings for bucket elimination.
#pragma once

#include <cstddef>
#include <vector>

#include "kivra/Hyperedge.h"
#include "kivra/Node.h"

namespace kivra {

class Hypergraph {
 public:
  // An empty hypergraph.
  Hypergraph();
  // Deletes every hyperedge, then every node (each as the type it was
  // created with, also in the dual arrangement).
  virtual ~Hypergraph();

  Hypergraph(const Hypergraph&) = delete;
  Hypergraph& operator=(const Hypergraph&) = delete;

  int getNbrOfEdges() const { return iMyMaxNbrOfEdges; }
  int getNbrOfNodes() const { return iMyMaxNbrOfNodes; }
  // Element at a stored position; a position at or beyond the count is fatal.
  Node* getNode(int iPos) const;
  Hyperedge* getEdge(int iPos) const;
  // First element in stored order with that ID; null if none.
  Node* getNodeByID(int iID) const;
  Hyperedge* getEdgeByID(int iID) const;

  void resetNodeLabels(int iVal);
  void resetEdgeLabels(int iVal);
  void labelNodesConsecutively();
  void labelEdgesConsecutively();

  // Component::updateNeighbourhood on every node, then every hyperedge.
  void updateNeighbourhood();
  // Component::updateSize on every node, then every hyperedge.
  void updateCompSizes();
  // Exchanges the node and hyperedge lists (and counts): the dual hypergraph.
  // Calling it twice restores the original arrangement.
  void makeDual();

  // Vertex elimination orderings. Each returns a new array of n + 1 entries
  // owned by the caller (delete[]): position 0 holds the vertex eliminated
  // last, position n-1 the one eliminated first, position n is null. All of
  // them overwrite the node labels and need up-to-date node neighbour lists.
  // The stored order; preElim is ignored.
  Node** getInputOrder(int preElim);
  // Minimum degree with uniform random tie-breaks; the first preElim stored
  // nodes are eliminated first, in stored order.
  Node** getMIWOrder(int preElim);
  // Minimum fill-in with uniform random tie-breaks; preElim is ignored.
  Node** getMFOrder(int preElim);
  // Maximum cardinality search; preElim is ignored.
  Node** getMCSOrder(int preElim);
  // A uniformly random permutation of the stored nodes.
  Node** getRandomOrder();
  // The order of the local-search ordering model: a maximum cardinality
  // search with a random first node and random ties (no search runs on it);
  // preElim is ignored. Node labels are left at 0, hyperedge labels at their
  // positions.
  Node** getLocalSearchOrder(int preElim);
  // Replace the stored node order by getMCSOrder(0) / getMFOrder(0).
  void setMCSOrder();
  void setMFOrder();

  // --- Statistics and checks ---
  // They overwrite the labels of nodes and hyperedges.

  // Degrees count neighbour nodes. -1.0 / -1 when there are no nodes.
  double getAverageNodeDegree();
  int getMaximumNodeDegree();
  int getMinimumNodeDegree();
  // Labels with 1 every hyperedge reachable from Edge through hyperedges
  // labelled 0 (Edge itself included); other labels are left as they are.
  void labelReachEdges(Hyperedge* Edge);
  // Whether every hyperedge is reachable from the first one (true without
  // hyperedges); nodes without hyperedges do not count.
  bool isConnected();
  // Fill-in of a node: the number of pairs of its neighbours that are not
  // neighbours of each other. Computed once by setFillStatistics and kept.
  int getMaximumNodeFill();
  int getMinimumNodeFill();
  double getAverageNodeFill();
  void setFillStatistics();
  // Removes every hyperedge whose vertices all lie in another hyperedge; the
  // containing hyperedge records the removed one's ID and covered IDs. Of two
  // equal hyperedges the earlier stays. With bFinalOnly, each hyperedge is
  // only tested against the last one, and the last against all. Removed
  // hyperedges are taken out of the lists but not deleted; every neighbour
  // list loses the removed hyperedges, except that a removed one keeps those
  // removed after it.
  void reduce(bool bFinalOnly);
  // Splits the nodes into parts by iPartitioning (node position -> part):
  // *Subgraphs receives a new null-terminated array of new hypergraphs, one
  // per part, made of clones of the part's nodes and hyperedges plus one
  // hyperedge joining the part's nodes on the separator; *Separator a new
  // null-terminated array of the hyperedges spanning several parts (this
  // hypergraph's own objects). Nodes left with separator hyperedges only are
  // set to part -1 in iPartitioning. The caller owns both arrays and the
  // hypergraphs.
  void divideNodes(int* iPartitioning, Hypergraph*** Subgraphs, Hyperedge*** Separator);

  // Builder access. A graph builder appends new nodes and hyperedges to
  // MyNodes and MyEdges (the hypergraph takes ownership), links them with
  // Node::insEdge and Hyperedge::insNode, updates the neighbourhoods and then
  // sets both counts. The counts are authoritative: every operation reads
  // positions 0 .. count-1 only.
  int iMyMaxNbrOfEdges;
  int iMyMaxNbrOfNodes;
  std::vector<Hyperedge*> MyEdges;
  std::vector<Node*> MyNodes;

  // Storage for a graph whose size the builder knows in advance: the nodes
  // and hyperedges made by newNode and newEdge lie in one block in the order
  // they are made (nodes first), without an allocation each, and the member
  // slots taken by memberSlots in a second one. The builder appends the new
  // elements to MyNodes and MyEdges as above. Both blocks go with the
  // hypergraph.
  // Room for iNodes nodes and iEdges hyperedges; once per hypergraph.
  void reserveElements(std::size_t iNodes, std::size_t iEdges);
  // A new element in the reserved room (fatal beyond it).
  Node* newNode(int iID, int name);
  Hyperedge* newEdge(int iID, int name);
  // Room for iSlots member pointers; once per hypergraph.
  Component** memberSlots(std::size_t iSlots);
  // The members of Comp become Slots[0 .. iCount-1], taken from
  // memberSlots and written by the builder; Comp must have no members yet.
  static void lendMembers(Component* Comp, Component** Slots, int iCount) { Comp->lendMembers(Slots, iCount); }

 protected:
  int minFill;    // smallest node fill-in, -1 until computed
  int maxFill;    // largest node fill-in, -1 until computed
  double avgFill; // average node fill-in, -1.0 until computed

 private:
  // After an odd number of makeDual calls MyNodes holds the objects created
  // as hyperedges and MyEdges those created as nodes; the destructor deletes
  // each object as what it was created as.
  bool bMyDual = false;

  // The element block: room for iMyReservedNodes nodes followed by
  // iMyReservedEdges hyperedges, of which the first iMyMadeNodes and
  // iMyMadeEdges are made.
  void* MyElements = nullptr;
  std::size_t iMyReservedNodes = 0;
  std::size_t iMyReservedEdges = 0;
  std::size_t iMyMadeNodes = 0;
  std::size_t iMyMadeEdges = 0;
  Component** MyMemberSlots = nullptr;
  // Whether Comp was made in the element block; sets bNode to whether it was
  // made as a node.
  bool inElementBlock(const void* Comp, bool& bNode) const;
};

}  // namespace kivra
