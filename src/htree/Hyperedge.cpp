// Hyperedge: typed access to its vertices and neighbour hyperedges.
#include "kivra/Hyperedge.h"

#include "kivra/Node.h"

namespace kivra {

// A hyperedge's neighbour list holds every hyperedge sharing a vertex with
// it; for a vertex in d hyperedges that adds up to d^2 entries, so it is only
// computed when read.
Hyperedge::Hyperedge(int iID, int name) : Component(iID, name) { deferNeighbourhood(); }

Hyperedge::Hyperedge(int iID, int name, int iNbrOfNodes, int iNbrOfNeighbours)
    : Component(iID, name, iNbrOfNodes, iNbrOfNeighbours) {
  deferNeighbourhood();
}

Hyperedge::~Hyperedge() {}

void Hyperedge::insNode(Node* Vertex) { ins(Vertex); }

void Hyperedge::insNode(Node* Vertex, int iPos) { ins(Vertex, iPos); }

bool Hyperedge::remNode(Node* Vertex) { return rem(Vertex); }

void Hyperedge::insNeighbour(Hyperedge* Nbr, int iPos) { Component::insNeighbour(Nbr, iPos); }

Hyperedge* Hyperedge::getNeighbour(int iPos) { return static_cast<Hyperedge*>(Component::getNeighbour(iPos)); }

bool Hyperedge::remNeighbour(Hyperedge* Nbr) { return Component::remNeighbour(Nbr); }

Hyperedge* Hyperedge::clone() const {
  Hyperedge* Copy = new Hyperedge(getID(), getName());
  initClone(Copy);
  return Copy;
}

}  // namespace kivra
