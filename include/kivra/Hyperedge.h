// A hyperedge: its members are the vertices it contains, its neighbours the
// other hyperedges sharing a vertex with it (computed on first read).
#pragma once

#include "kivra/Component.h"

namespace kivra {

class Node;

class Hyperedge : public Component {
 public:
  Hyperedge(int iID, int name);
  Hyperedge(int iID, int name, int iNbrOfNodes, int iNbrOfNeighbours);
  ~Hyperedge();

  void insNode(Node* Vertex);
  void insNode(Node* Vertex, int iPos);
  inline Node* getNode(int iPos) const;
  bool remNode(Node* Vertex);
  int getNbrOfNodes() const { return size(); }

  void insNeighbour(Hyperedge* Nbr, int iPos);
  Hyperedge* getNeighbour(int iPos);
  bool remNeighbour(Hyperedge* Nbr);

  // A copy with ID, name, covered IDs and empty node slots (see
  // Component::clone); owned by the caller.
  Hyperedge* clone() const;
};

}  // namespace kivra

// The two element kinds read each other's type in their inline accessors.
#include "kivra/Node.h"

namespace kivra {

inline Node* Hyperedge::getNode(int iPos) const { return static_cast<Node*>(get(iPos)); }

}  // namespace kivra
