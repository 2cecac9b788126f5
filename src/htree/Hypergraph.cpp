// Hypergraph ownership, access, labelling, neighbourhoods and dualisation.
// The elimination orderings are in HypergraphOrderings.cpp.
#include "kivra/Hypergraph.h"

#include <cstdint>
#include <memory>
#include <new>
#include <utility>

#include "kivra/Globals.h"

namespace kivra {

// Elements of both kinds share one layout (see Component.h), so one block
// holds both.
static_assert(sizeof(Node) == sizeof(Component) && sizeof(Hyperedge) == sizeof(Component));
static_assert(alignof(Node) == alignof(Component) && alignof(Hyperedge) == alignof(Component));

Hypergraph::Hypergraph()
    : iMyMaxNbrOfEdges(0), iMyMaxNbrOfNodes(0), minFill(-1), maxFill(-1), avgFill(-1.0) {}

Hypergraph::~Hypergraph() {
  // Component and its two kinds have no virtual destructor (see Component.h),
  // so every object is deleted through a pointer of its own type. Elements
  // of the element block are destroyed in place.
  std::size_t iDestroyed = 0;
  auto release = [this, &iDestroyed](void* Comp, bool bListedAsNode) {
    bool bNode = false;
    if (inElementBlock(Comp, bNode)) {
      if (bNode) {
        std::destroy_at(static_cast<Node*>(Comp));
      } else {
        std::destroy_at(static_cast<Hyperedge*>(Comp));
      }
      ++iDestroyed;
    } else if (bListedAsNode != bMyDual) {
      delete static_cast<Node*>(Comp);
    } else {
      delete static_cast<Hyperedge*>(Comp);
    }
  };
  for (int i = 0; i < iMyMaxNbrOfEdges; ++i) release(MyEdges[static_cast<std::size_t>(i)], false);
  for (int i = 0; i < iMyMaxNbrOfNodes; ++i) release(MyNodes[static_cast<std::size_t>(i)], true);
  // An element of the block that is no longer listed (taken out of the lists
  // without being deleted) may still be in use: then both blocks stay, as
  // such an element would stay.
  if (iDestroyed == iMyMadeNodes + iMyMadeEdges) {
    ::operator delete(MyElements);
    delete[] MyMemberSlots;
  }
}

void Hypergraph::reserveElements(std::size_t iNodes, std::size_t iEdges) {
  if (MyElements != nullptr) writeErrorMsg("Elements already reserved.", "Hypergraph::reserveElements", true);
  MyElements = ::operator new((iNodes + iEdges) * sizeof(Component));
  iMyReservedNodes = iNodes;
  iMyReservedEdges = iEdges;
}

Node* Hypergraph::newNode(int iID, int name) {
  if (iMyMadeNodes == iMyReservedNodes) writeErrorMsg("No room reserved.", "Hypergraph::newNode", true);
  void* Room = static_cast<Component*>(MyElements) + iMyMadeNodes;
  Node* Made = new (Room) Node(iID, name);
  ++iMyMadeNodes;
  return Made;
}

Hyperedge* Hypergraph::newEdge(int iID, int name) {
  if (iMyMadeEdges == iMyReservedEdges) writeErrorMsg("No room reserved.", "Hypergraph::newEdge", true);
  void* Room = static_cast<Component*>(MyElements) + iMyReservedNodes + iMyMadeEdges;
  Hyperedge* Made = new (Room) Hyperedge(iID, name);
  ++iMyMadeEdges;
  return Made;
}

Component** Hypergraph::memberSlots(std::size_t iSlots) {
  if (MyMemberSlots != nullptr) writeErrorMsg("Member slots already reserved.", "Hypergraph::memberSlots", true);
  MyMemberSlots = new Component*[iSlots];
  return MyMemberSlots;
}

bool Hypergraph::inElementBlock(const void* Comp, bool& bNode) const {
  if (MyElements == nullptr) return false;
  // Compared as integers: the element may lie anywhere in memory.
  const auto iAt = reinterpret_cast<std::uintptr_t>(Comp);
  const auto iBase = reinterpret_cast<std::uintptr_t>(MyElements);
  const std::size_t iSize = sizeof(Component);
  if (iAt < iBase || iAt >= iBase + (iMyReservedNodes + iMyReservedEdges) * iSize) return false;
  bNode = (iAt - iBase) / iSize < iMyReservedNodes;
  return true;
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
