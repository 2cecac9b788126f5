// A hypergraph vertex: its members are the hyperedges that contain it, its
// neighbours the other vertices sharing a hyperedge with it.
#pragma once

#include "kivra/Component.h"

namespace kivra {

class Hyperedge;

class Node : public Component {
 public:
  Node(int iID, int name);
  Node(int iID, int name, int iNbrOfEdges, int iNbrOfNeighbours);
  ~Node();

  void insEdge(Hyperedge* Edge);
  void insEdge(Hyperedge* Edge, int iPos);
  inline Hyperedge* getEdge(int iPos) const;
  bool remEdge(Hyperedge* Edge);
  int getNbrOfEdges() const { return size(); }

  void insNeighbour(Node* Nbr, int iPos);
  Node* getNeighbour(int iPos);
  bool remNeighbour(Node* Nbr);

  // Number of pairs of this node's neighbours that are not neighbours of each
  // other, capped at INT_MAX as the hypergraph's fill statistics are; writes a line with the neighbour count and a line with, for each
  // neighbour, its neighbour count and the number of this node's neighbours
  // it is not adjacent to, to standard output.
  int getFillIn();

  // A copy with ID, name, covered IDs and empty edge slots (see
  // Component::clone); owned by the caller.
  Node* clone() const;
};

}  // namespace kivra

// The two element kinds read each other's type in their inline accessors.
#include "kivra/Hyperedge.h"

namespace kivra {

inline Hyperedge* Node::getEdge(int iPos) const { return static_cast<Hyperedge*>(get(iPos)); }

}  // namespace kivra
