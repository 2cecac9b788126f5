// Common base of hypergraph vertices (Node) and hyperedges (Hyperedge): an
// identifier, a member list, a neighbour list, covered identifiers and one
// scratch label through which the library's algorithms mark elements.
#pragma once

#include <list>
#include <memory>
#include <vector>

namespace kivra {

// Component, Node and Hyperedge deliberately have no virtual functions: the
// dual view of a hypergraph (Hypergraph::makeDual) reads hyperedge objects
// through Node* and node objects through Hyperedge*. All three share one
// layout, so that reinterpretation is safe only while none of them is
// polymorphic. For the same reason none has a virtual destructor: an object
// is deleted through a pointer of the type it was created as (the hypergraph
// does so also in its dual arrangement). Members and neighbours are not
// owned; the hypergraph owns all nodes and hyperedges.
class Component {
 public:
  // Append mode: no members, no neighbours, both counts 0.
  Component(int iID, int name);
  // Slot mode: iNbrOfComps member slots and iNbrOfNeighbours neighbour slots,
  // all null, with the counts set to those sizes.
  Component(int iID, int name, int iNbrOfComps, int iNbrOfNeighbours);
  ~Component();

  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  int getID() const { return iMyID; }
  int getName() const { return name; }

  void setLabel(int iLabel) { iMyLabel = iLabel; }
  void incLabel(int iInc) { iMyLabel += iInc; }
  void decLabel(int iDec) { iMyLabel -= iDec; }
  int getLabel() const { return iMyLabel; }
  bool isSpecial() const { return bMySpecial; }

  void insCoveredID(int iID) { getCoveredIDs()->push_back(iID); }
  // Created empty on first use: few components ever cover others.
  std::list<int>* getCoveredIDs() {
    if (!MyCoveredCompIDs) MyCoveredCompIDs = std::make_unique<std::list<int>>();
    return MyCoveredCompIDs.get();
  }

  // Neighbours := every distinct member of every member, except this
  // component itself, ascending by ID (equal IDs in order of first encounter).
  // For a node: the other nodes sharing a hyperedge with it; for a hyperedge:
  // the other hyperedges sharing a node with it. Components created as
  // nodes or hyperedges defer the computation until their neighbour list is
  // first read (those lists can be quadratic in a hyperedge's size or a
  // node's degree, and are often never read).
  void updateNeighbourhood();

  // Member count := number of leading non-null member slots.
  void updateSize();

  // A new component with the same ID and name, as many null member slots as
  // this one has members, no neighbour slots and a copy of the covered IDs.
  // The caller owns it.
  Component* clone() const;

  int getNbrOfNeighbours();

  // The neighbour list, as getNeighbour reads it, written to Out; when it is
  // still to be computed, it is computed into Out and not stored: a one-time
  // reader spares every element a list of its own.
  void listNeighbours(std::vector<Component*>& Out);

 protected:
  // Appends Comp to the members (no duplicate check).
  void ins(Component* Comp);
  // Stores Comp into member slot iPos (< member count, fatal otherwise).
  void ins(Component* Comp, int iPos);
  // Member at iPos (< member count, fatal otherwise).
  Component* get(int iPos) const {
    if (iPos < 0 || iPos >= iMyMaxSize) failPosition("Component::get");
    return members()[iPos];
  }
  // Removes the first occurrence of Comp, closing the gap; false if absent.
  bool rem(Component* Comp);
  int size() const { return iMyMaxSize; }

  void insNeighbour(Component* Comp, int iPos);
  Component* getNeighbour(int iPos);
  bool remNeighbour(Component* Comp);

  // Copies ID, name, member slot count and covered IDs into a fresh clone.
  void initClone(Component* Copy) const;

  // Sets up deferred neighbour computation (used by Node and Hyperedge).
  void deferNeighbourhood() { bMyDeferNeighbours = true; }

 private:
  // A list of component pointers whose storage holds up to kInline entries
  // in place (a hyperedge of an argumentation framework has two members) and
  // more on the heap; its capacity is kept by the owner.
  static constexpr int kInline = 2;
  union SlotList {
    Component* Inline[kInline];
    Component** Heap;
  };
  static Component** slots(SlotList& List, int iCapacity) { return iCapacity <= kInline ? List.Inline : List.Heap; }
  static Component* const* slots(const SlotList& List, int iCapacity) {
    return iCapacity <= kInline ? List.Inline : List.Heap;
  }
  // Sets the capacity to at least iCapacity, keeping the first iKeep entries
  // and clearing the others.
  static void resize(SlotList& List, int& iHeld, int iCapacity, int iKeep);
  static void release(SlotList& List, int& iHeld);
  Component** members() { return slots(MyComponents, iMyCapacity); }
  Component* const* members() const { return slots(MyComponents, iMyCapacity); }
  Component** neighbours() { return slots(MyNeighbours, iMyNbrCapacity); }
  [[noreturn]] static void failPosition(const char* cLocation);

  void computeNeighbourhood();
  // Every member of every member except this component, first occurrences,
  // ascending by ID (equal IDs by first encounter).
  void collectNeighbours(std::vector<Component*>& Out) const;
  void ensureNeighbourhood() {
    if (bMyNeighboursPending) computeNeighbourhood();
  }

  int iMyID;
  int name;
  int iMyMaxSize;              // member count
  int iMyMaxNbrOfNeighbours;   // neighbour count
  int iMyCapacity = kInline;     // member slots
  int iMyNbrCapacity = kInline;  // neighbour slots
  int iMyLabel;
  bool bMySpecial;
  bool bMyDeferNeighbours = false;    // compute neighbours on first read
  bool bMyNeighboursPending = false;  // updateNeighbourhood awaits computation
  SlotList MyComponents{};
  SlotList MyNeighbours{};
  std::unique_ptr<std::list<int>> MyCoveredCompIDs;
};

}  // namespace kivra
