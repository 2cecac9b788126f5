// Members, neighbours, covered identifiers and scratch label of a hypergraph
// element.
#include "kivra/Component.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "kivra/Globals.h"

namespace kivra {

Component::Component(int iID, int name)
    : iMyID(iID),
      name(name),
      iMyMaxSize(0),
      iMyMaxNbrOfNeighbours(0),
      iMyLabel(0),
      bMySpecial(false) {}

Component::Component(int iID, int name, int iNbrOfComps, int iNbrOfNeighbours)
    : iMyID(iID),
      name(name),
      iMyMaxSize(std::max(iNbrOfComps, 0)),
      iMyMaxNbrOfNeighbours(std::max(iNbrOfNeighbours, 0)),
      iMyLabel(0),
      bMySpecial(false) {
  resize(MyComponents, iMyCapacity, iMyMaxSize, 0);
  resize(MyNeighbours, iMyNbrCapacity, iMyMaxNbrOfNeighbours, 0);
}

Component::~Component() {
  release(MyComponents, iMyCapacity);
  release(MyNeighbours, iMyNbrCapacity);
}

void Component::resize(SlotList& List, int& iHeld, int iCapacity, int iKeep) {
  if (iCapacity <= kInline) {
    // Only a list that never left its place is asked for so few slots.
    for (int i = iKeep; i < kInline; ++i) List.Inline[i] = nullptr;
    return;
  }
  Component** New = new Component*[static_cast<std::size_t>(iCapacity)];
  if (iHeld > kInline) {
    std::copy(List.Heap, List.Heap + iKeep, New);
    delete[] List.Heap;
  } else {
    std::copy(List.Inline, List.Inline + iKeep, New);
  }
  std::fill(New + iKeep, New + iCapacity, nullptr);
  List.Heap = New;
  iHeld = iCapacity;
}

void Component::release(SlotList& List, int& iHeld) {
  if (iHeld > kInline) delete[] List.Heap;
  List.Inline[0] = List.Inline[1] = nullptr;
  iHeld = kInline;
}

void Component::failPosition(const char* cLocation) {
  writeErrorMsg("Position not available.", cLocation, true);
  std::abort();  // not reached: the message ends the program
}

void Component::ins(Component* Comp) {
  // Slots past the count are null (freed by rem or never used); an append
  // is stored at the logical end of the list.
  if (iMyMaxSize == iMyCapacity) resize(MyComponents, iMyCapacity, 2 * iMyCapacity, iMyMaxSize);
  members()[iMyMaxSize] = Comp;
  ++iMyMaxSize;
}

void Component::ins(Component* Comp, int iPos) {
  if (iPos < 0 || iPos >= iMyMaxSize) failPosition("Component::ins");
  members()[iPos] = Comp;
}

namespace {

// Removes the first occurrence of Comp among the first iCount entries,
// shifting the later ones down and clearing the freed last slot.
bool removeFirst(Component** List, int& iCount, Component* Comp) {
  for (int i = 0; i < iCount; ++i) {
    if (List[i] != Comp) continue;
    for (int j = i + 1; j < iCount; ++j) List[j - 1] = List[j];
    List[iCount - 1] = nullptr;
    --iCount;
    return true;
  }
  return false;
}

}  // namespace

bool Component::rem(Component* Comp) { return removeFirst(members(), iMyMaxSize, Comp); }

void Component::insNeighbour(Component* Comp, int iPos) {
  ensureNeighbourhood();
  if (iPos < 0 || iPos >= iMyMaxNbrOfNeighbours) failPosition("Component::insNeighbour");
  neighbours()[iPos] = Comp;
}

Component* Component::getNeighbour(int iPos) {
  ensureNeighbourhood();
  if (iPos < 0 || iPos >= iMyMaxNbrOfNeighbours) failPosition("Component::getNeighbour");
  return neighbours()[iPos];
}

bool Component::remNeighbour(Component* Comp) {
  ensureNeighbourhood();
  return removeFirst(neighbours(), iMyMaxNbrOfNeighbours, Comp);
}

int Component::getNbrOfNeighbours() {
  ensureNeighbourhood();
  return iMyMaxNbrOfNeighbours;
}

void Component::updateNeighbourhood() {
  if (bMyDeferNeighbours) {
    bMyNeighboursPending = true;
  } else {
    computeNeighbourhood();
  }
}

void Component::collectNeighbours(std::vector<Component*>& Out) const {
  // Every member of every member except this one, tagged with the position of
  // its encounter. The buffer is kept between calls: neighbour lists are
  // computed for every element of large hypergraphs.
  static std::vector<std::pair<Component*, std::uint32_t>> Found;
  Found.clear();
  std::uint32_t iSeq = 0;
  Component* const* Members = members();
  for (int i = 0; i < iMyMaxSize; ++i) {
    Component* Member = Members[i];
    if (Member == nullptr) continue;
    Component* const* Theirs = Member->members();
    for (int j = 0; j < Member->iMyMaxSize; ++j) {
      Component* Nbr = Theirs[j];
      if (Nbr != nullptr && Nbr != this) Found.emplace_back(Nbr, iSeq++);
    }
  }
  // Keep the first encounter of each component (grouping by address only
  // finds duplicates; it does not decide the final order).
  std::sort(Found.begin(), Found.end());
  Found.erase(std::unique(Found.begin(), Found.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; }),
              Found.end());
  // Final order: ascending ID, equal IDs by first encounter.
  std::sort(Found.begin(), Found.end(), [](const auto& a, const auto& b) {
    if (a.first->iMyID != b.first->iMyID) return a.first->iMyID < b.first->iMyID;
    return a.second < b.second;
  });
  Out.clear();
  for (const auto& Entry : Found) Out.push_back(Entry.first);
}

void Component::computeNeighbourhood() {
  bMyNeighboursPending = false;
  static std::vector<Component*> List;
  collectNeighbours(List);
  release(MyNeighbours, iMyNbrCapacity);
  iMyMaxNbrOfNeighbours = static_cast<int>(List.size());
  resize(MyNeighbours, iMyNbrCapacity, iMyMaxNbrOfNeighbours, 0);
  std::copy(List.begin(), List.end(), neighbours());
}

void Component::listNeighbours(std::vector<Component*>& Out) {
  if (bMyNeighboursPending) {
    collectNeighbours(Out);
    return;
  }
  Component** Neighbours = neighbours();
  Out.assign(Neighbours, Neighbours + iMyMaxNbrOfNeighbours);
}

void Component::updateSize() {
  int iCount = 0;
  Component* const* Members = members();
  while (iCount < iMyMaxSize && Members[iCount] != nullptr) ++iCount;
  iMyMaxSize = iCount;
}

void Component::initClone(Component* Copy) const {
  Copy->release(Copy->MyComponents, Copy->iMyCapacity);
  Copy->iMyMaxSize = iMyMaxSize;
  resize(Copy->MyComponents, Copy->iMyCapacity, iMyMaxSize, 0);
  if (MyCoveredCompIDs) *Copy->getCoveredIDs() = *MyCoveredCompIDs;
}

Component* Component::clone() const {
  Component* Copy = new Component(iMyID, name);
  initClone(Copy);
  return Copy;
}

}  // namespace kivra
