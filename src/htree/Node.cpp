// Hypergraph vertex: typed access to its hyperedges and neighbour vertices.
#include "kivra/Node.h"

#include "kivra/Hyperedge.h"

namespace kivra {

// A vertex's neighbour list, like a hyperedge's, is computed when first read:
// the vertices of one large hyperedge would otherwise store each other.
Node::Node(int iID, int name) : Component(iID, name) { deferNeighbourhood(); }

Node::Node(int iID, int name, int iNbrOfEdges, int iNbrOfNeighbours)
    : Component(iID, name, iNbrOfEdges, iNbrOfNeighbours) {
  deferNeighbourhood();
}

Node::~Node() {}

void Node::insEdge(Hyperedge* Edge) { ins(Edge); }

void Node::insEdge(Hyperedge* Edge, int iPos) { ins(Edge, iPos); }

bool Node::remEdge(Hyperedge* Edge) { return rem(Edge); }

void Node::insNeighbour(Node* Nbr, int iPos) { Component::insNeighbour(Nbr, iPos); }

Node* Node::getNeighbour(int iPos) { return static_cast<Node*>(Component::getNeighbour(iPos)); }

bool Node::remNeighbour(Node* Nbr) { return Component::remNeighbour(Nbr); }

Node* Node::clone() const {
  Node* Copy = new Node(getID(), getName());
  initClone(Copy);
  return Copy;
}

}  // namespace kivra
