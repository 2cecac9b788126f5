// Hypergraph ownership, access, labelling, neighbourhoods and dualisation.
// The elimination orderings are in HypergraphOrderings.cpp.
#include "kivra/Hypergraph.h"

#include <utility>

#include "kivra/Globals.h"

namespace kivra {

Hypergraph::Hypergraph()
    : iMyMaxNbrOfEdges(0), iMyMaxNbrOfNodes(0), minFill(-1), maxFill(-1), avgFill(-1.0) {}

Hypergraph::~Hypergraph() {
  // Component and its two kinds have no virtual destructor (see Component.h),
  // so every object is deleted through a pointer of its own type.
  for (int i = 0; i < iMyMaxNbrOfEdges; ++i) {
    Hyperedge* Edge = MyEdges[static_cast<std::size_t>(i)];
    if (bMyDual) {
      delete reinterpret_cast<Node*>(Edge);
    } else {
      delete Edge;
    }
  }
  for (int i = 0; i < iMyMaxNbrOfNodes; ++i) {
    Node* Vertex = MyNodes[static_cast<std::size_t>(i)];
    if (bMyDual) {
      delete reinterpret_cast<Hyperedge*>(Vertex);
    } else {
      delete Vertex;
    }
  }
}

Node* Hypergraph::getNode(int iPos) const {
  if (iPos < 0 || iPos >= iMyMaxNbrOfNodes) writeErrorMsg("Position not available.", "Hypergraph::getNode", true);
  return MyNodes[static_cast<std::size_t>(iPos)];
}

Hyperedge* Hypergraph::getEdge(int iPos) const {
  if (iPos < 0 || iPos >= iMyMaxNbrOfEdges) writeErrorMsg("Position not available.", "Hypergraph::getEdge", true);
  return MyEdges[static_cast<std::size_t>(iPos)];
}

Node* Hypergraph::getNodeByID(int iID) const {
  for (int i = 0; i < iMyMaxNbrOfNodes; ++i) {
    if (MyNodes[static_cast<std::size_t>(i)]->getID() == iID) return MyNodes[static_cast<std::size_t>(i)];
  }
  return nullptr;
}

Hyperedge* Hypergraph::getEdgeByID(int iID) const {
  for (int i = 0; i < iMyMaxNbrOfEdges; ++i) {
    if (MyEdges[static_cast<std::size_t>(i)]->getID() == iID) return MyEdges[static_cast<std::size_t>(i)];
  }
  return nullptr;
}

void Hypergraph::resetNodeLabels(int iVal) {
  for (int i = 0; i < iMyMaxNbrOfNodes; ++i) MyNodes[static_cast<std::size_t>(i)]->setLabel(iVal);
}

void Hypergraph::resetEdgeLabels(int iVal) {
  for (int i = 0; i < iMyMaxNbrOfEdges; ++i) MyEdges[static_cast<std::size_t>(i)]->setLabel(iVal);
}

void Hypergraph::labelNodesConsecutively() {
  for (int i = 0; i < iMyMaxNbrOfNodes; ++i) MyNodes[static_cast<std::size_t>(i)]->setLabel(i);
}

void Hypergraph::labelEdgesConsecutively() {
  for (int i = 0; i < iMyMaxNbrOfEdges; ++i) MyEdges[static_cast<std::size_t>(i)]->setLabel(i);
}

void Hypergraph::updateNeighbourhood() {
  for (int i = 0; i < iMyMaxNbrOfNodes; ++i) MyNodes[static_cast<std::size_t>(i)]->updateNeighbourhood();
  for (int i = 0; i < iMyMaxNbrOfEdges; ++i) MyEdges[static_cast<std::size_t>(i)]->updateNeighbourhood();
}

void Hypergraph::updateCompSizes() {
  for (int i = 0; i < iMyMaxNbrOfNodes; ++i) MyNodes[static_cast<std::size_t>(i)]->updateSize();
  for (int i = 0; i < iMyMaxNbrOfEdges; ++i) MyEdges[static_cast<std::size_t>(i)]->updateSize();
}

void Hypergraph::makeDual() {
  // Same objects, exchanged roles: the hyperedges are read as nodes and the
  // nodes as hyperedges (the classes share one non-polymorphic layout).
  std::vector<Node*> NewNodes(MyEdges.size());
  for (std::size_t i = 0; i < MyEdges.size(); ++i) NewNodes[i] = reinterpret_cast<Node*>(MyEdges[i]);
  std::vector<Hyperedge*> NewEdges(MyNodes.size());
  for (std::size_t i = 0; i < MyNodes.size(); ++i) NewEdges[i] = reinterpret_cast<Hyperedge*>(MyNodes[i]);
  MyNodes = std::move(NewNodes);
  MyEdges = std::move(NewEdges);
  std::swap(iMyMaxNbrOfNodes, iMyMaxNbrOfEdges);
  bMyDual = !bMyDual;
}

}  // namespace kivra
