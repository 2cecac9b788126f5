// Common base of hypergraph vertices (Node) and hyperedges (Hyperedge): an
// identifier, a member list, a neighbour list, covered identifiers and one
// scratch label through which the library's algorithms mark elements.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <list>
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
  // Asks the cache for the member list when it lies apart from the object,
  // for walks that fetch the members of components met a few steps ahead.
  void prefetchMembers() const {
    if (onHeap()) __builtin_prefetch(MyComponents.Heap);
  }
  bool isSpecial() const {
    const Aside* Mine = findAside();
    return Mine && Mine->bMySpecial;
  }

  void insCoveredID(int iID) { getCoveredIDs()->push_back(iID); }
  std::list<int>* getCoveredIDs() { return &aside().MyCoveredCompIDs; }

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
  friend class Hypergraph;

  // Member lists hold up to kInline entries in place (a hyperedge of an
  // argumentation framework has two members). A longer list, or the list of
  // a component with an aside part, lives in an owned block: a header slot
  // with the aside pointer, then at least capacityFor(count) member slots.
  // A long list may instead use slots lent by the hypergraph's storage,
  // which hold exactly count members.
  static constexpr int kInline = 2;
  union SlotList {
    Component* Inline[kInline];
    Component** Heap;
  };
  // What most components never need: the stored neighbour list, the covered
  // identifiers and the special flag. Made on first use.
  struct Aside {
    int iMyMaxNbrOfNeighbours = 0;        // neighbour count
    std::vector<Component*> MyNeighbours;  // at least count slots
    std::list<int> MyCoveredCompIDs;
    bool bMySpecial = false;
  };
  // The most members a list can hold (the count shares its word with flags).
  static constexpr int kMaxMembers = (1 << 27) - 1;

  // The member slots an owned block has at least for a list of iCount.
  static std::size_t capacityFor(int iCount) {
    return std::bit_ceil(static_cast<std::size_t>(std::max(iCount, kInline)));
  }
  bool onHeap() const { return bMyOwnSlots || bMyLentSlots; }
  Component** members() { return onHeap() ? MyComponents.Heap : MyComponents.Inline; }
  Component* const* members() const { return onHeap() ? MyComponents.Heap : MyComponents.Inline; }
  // The member count becomes iCount >= current count; new slots are null.
  void growMembers(int iCount);
  // The member count becomes iCount <= current count; a list that fits in
  // place (and has no aside part) moves there.
  void shrinkMembers(int iCount);
  // The members move to a new owned block of iSlots >= count member slots,
  // the aside pointer with them.
  void moveToBlock(std::size_t iSlots);
  // The members become Slots[0 .. iCount-1], the list having none yet; a
  // list longer than kInline keeps using Slots, which must outlive this
  // component's use of them.
  void lendMembers(Component** Slots, int iCount);

  // The aside part of this component, null when it has none.
  Aside* findAside() const { return bMyOwnSlots ? reinterpret_cast<Aside*>(MyComponents.Heap[-1]) : nullptr; }
  Aside& aside();

  [[noreturn]] static void failPosition(const char* cLocation);

  void computeNeighbourhood();
  // Every member of every member except this component, first occurrences,
  // ascending by ID (equal IDs by first encounter).
  void collectNeighbours(std::vector<Component*>& Out) const;
  void ensureNeighbourhood() {
    if (bMyNeighboursPending) computeNeighbourhood();
  }
  int neighbourCount() const {
    const Aside* Mine = findAside();
    return Mine ? Mine->iMyMaxNbrOfNeighbours : 0;
  }

  int iMyID;
  int name;
  int iMyMaxSize : 28;  // member count, at most kMaxMembers
  unsigned bMyDeferNeighbours : 1;   // compute neighbours on first read
  unsigned bMyNeighboursPending : 1;  // updateNeighbourhood awaits computation
  unsigned bMyLentSlots : 1;         // the members lie in slots lent by the hypergraph
  unsigned bMyOwnSlots : 1;          // the members lie in an owned block
  int iMyLabel;
  SlotList MyComponents{};
};

}  // namespace kivra
