// A hypergraph: owns its vertices (Node) and hyperedges (Hyperedge), gives
// positional and identifier access, label resets, neighbourhood updates,
// dualisation and vertex elimination orderings for bucket elimination.
#pragma once

#include <vector>

#include "kivra/Hyperedge.h"
#include "kivra/Node.h"

namespace kivra {

class Hypergraph {
 public:
  // An empty hypergraph.
  Hypergraph();
  // Deletes every hyperedge, then every node.
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
  // Replace the stored node order by getMCSOrder(0) / getMFOrder(0).
  void setMCSOrder();
  void setMFOrder();

  // Builder access. A graph builder appends new nodes and hyperedges to
  // MyNodes and MyEdges (the hypergraph takes ownership), links them with
  // Node::insEdge and Hyperedge::insNode, updates the neighbourhoods and then
  // sets both counts. The counts are authoritative: every operation reads
  // positions 0 .. count-1 only.
  int iMyMaxNbrOfEdges;
  int iMyMaxNbrOfNodes;
  std::vector<Hyperedge*> MyEdges;
  std::vector<Node*> MyNodes;

 protected:
  int minFill;    // smallest node fill-in, -1 until computed
  int maxFill;    // largest node fill-in, -1 until computed
  double avgFill; // average node fill-in, -1.0 until computed
};

}  // namespace kivra
