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

Component::Component(int iID, int name) : iMyID(iID), name(name), iMyMaxSize(0), iMyLabel(0) {}

Component::Component(int iID, int name, int iNbrOfComps, int iNbrOfNeighbours)
    : iMyID(iID), name(name), iMyMaxSize(0), iMyLabel(0) {
  growMembers(std::max(iNbrOfComps, 0));
  if (iNbrOfNeighbours > 0) {
    Aside& Mine = aside();
    Mine.MyNeighbours.assign(static_cast<std::size_t>(iNbrOfNeighbours), nullptr);
    Mine.iMyMaxNbrOfNeighbours = iNbrOfNeighbours;
  }
}

Component::~Component() {
  releaseMembers();
  delete findAside();
}

Component::Aside& Component::aside() {
  if (Aside* Mine = findAside()) return *Mine;
  Aside* Mine = new Aside;
  MyAside |= reinterpret_cast<std::uintptr_t>(Mine);
  return *Mine;
}

void Component::growMembers(int iCount) {
  if (iCount <= kInline) {
    // Only a list held in place grows to so few members.
    for (int i = iMyMaxSize; i < iCount; ++i) MyComponents.Inline[i] = nullptr;
    iMyMaxSize = iCount;
    return;
  }
  const bool bLent = hasFlag(kLentSlots);
  // An owned array has capacityFor(count) slots; lent slots hold no more
  // than the count.
  if (onHeap() && !bLent && capacityFor(iMyMaxSize) >= static_cast<std::size_t>(iCount)) {
    std::fill(MyComponents.Heap + iMyMaxSize, MyComponents.Heap + iCount, nullptr);
    iMyMaxSize = iCount;
    return;
  }
  const std::size_t iSlots = capacityFor(iCount);
  Component** New = new Component*[iSlots];
  Component** Old = members();
  std::copy(Old, Old + iMyMaxSize, New);
  std::fill(New + iMyMaxSize, New + iSlots, nullptr);
  releaseMembers();
  MyComponents.Heap = New;
  iMyMaxSize = iCount;
}

void Component::shrinkMembers(int iCount) {
  if (iCount <= kInline && onHeap()) {
    Component** Old = MyComponents.Heap;
    Component* Kept[kInline] = {nullptr, nullptr};
    std::copy(Old, Old + iCount, Kept);
    releaseMembers();
    std::copy(Kept, Kept + kInline, MyComponents.Inline);
  }
  iMyMaxSize = iCount;
}

void Component::releaseMembers() {
  if (onHeap() && !hasFlag(kLentSlots)) delete[] MyComponents.Heap;
  setFlag(kLentSlots, false);
  MyComponents.Inline[0] = MyComponents.Inline[1] = nullptr;
  iMyMaxSize = 0;
}

void Component::lendMembers(Component** Slots, int iCount) {
  releaseMembers();
  if (iCount <= kInline) {
    std::copy(Slots, Slots + iCount, MyComponents.Inline);
  } else {
    MyComponents.Heap = Slots;
    setFlag(kLentSlots, true);
  }
  iMyMaxSize = iCount;
}

void Component::failPosition(const char* cLocation) {
  writeErrorMsg("Position not available.", cLocation, true);
  std::abort();  // not reached: the message ends the program
}

void Component::ins(Component* Comp) {
  // An append is stored at the logical end of the list.
  growMembers(iMyMaxSize + 1);
  members()[iMyMaxSize - 1] = Comp;
}

void Component::ins(Component* Comp, int iPos) {
  if (iPos < 0 || iPos >= iMyMaxSize) failPosition("Component::ins");
  members()[iPos] = Comp;
}

namespace {

// Removes the first occurrence of Comp among the first iCount entries,
// shifting the later ones down and clearing the freed last slot; returns its
// position, -1 if absent.
int removeFirst(Component** List, int iCount, Component* Comp) {
  for (int i = 0; i < iCount; ++i) {
    if (List[i] != Comp) continue;
    for (int j = i + 1; j < iCount; ++j) List[j - 1] = List[j];
    List[iCount - 1] = nullptr;
    return i;
  }
  return -1;
}

}  // namespace

bool Component::rem(Component* Comp) {
  if (removeFirst(members(), iMyMaxSize, Comp) < 0) return false;
  shrinkMembers(iMyMaxSize - 1);
  return true;
}

void Component::insNeighbour(Component* Comp, int iPos) {
  ensureNeighbourhood();
  if (iPos < 0 || iPos >= neighbourCount()) failPosition("Component::insNeighbour");
  findAside()->MyNeighbours[static_cast<std::size_t>(iPos)] = Comp;
}

Component* Component::getNeighbour(int iPos) {
  ensureNeighbourhood();
  if (iPos < 0 || iPos >= neighbourCount()) failPosition("Component::getNeighbour");
  return findAside()->MyNeighbours[static_cast<std::size_t>(iPos)];
}

bool Component::remNeighbour(Component* Comp) {
  ensureNeighbourhood();
  Aside* Mine = findAside();
  if (!Mine || removeFirst(Mine->MyNeighbours.data(), Mine->iMyMaxNbrOfNeighbours, Comp) < 0) return false;
  --Mine->iMyMaxNbrOfNeighbours;
  return true;
}

int Component::getNbrOfNeighbours() {
  ensureNeighbourhood();
  return neighbourCount();
}

void Component::updateNeighbourhood() {
  if (hasFlag(kDeferNeighbours)) {
    setFlag(kNeighboursPending, true);
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
  setFlag(kNeighboursPending, false);
  static std::vector<Component*> List;
  collectNeighbours(List);
  // No neighbours and no list yet: nothing to store.
  if (List.empty() && !findAside()) return;
  Aside& Mine = aside();
  Mine.MyNeighbours.assign(List.begin(), List.end());
  Mine.iMyMaxNbrOfNeighbours = static_cast<int>(List.size());
}

void Component::listNeighbours(std::vector<Component*>& Out) {
  if (hasFlag(kNeighboursPending)) {
    collectNeighbours(Out);
    return;
  }
  const Aside* Mine = findAside();
  if (!Mine) {
    Out.clear();
    return;
  }
  Out.assign(Mine->MyNeighbours.begin(), Mine->MyNeighbours.begin() + Mine->iMyMaxNbrOfNeighbours);
}

void Component::updateSize() {
  int iCount = 0;
  Component* const* Members = members();
  while (iCount < iMyMaxSize && Members[iCount] != nullptr) ++iCount;
  shrinkMembers(iCount);
}

void Component::initClone(Component* Copy) const {
  Copy->releaseMembers();
  Copy->growMembers(iMyMaxSize);
  if (const Aside* Mine = findAside(); Mine && !Mine->MyCoveredCompIDs.empty())
    Copy->aside().MyCoveredCompIDs = Mine->MyCoveredCompIDs;
}

Component* Component::clone() const {
  Component* Copy = new Component(iMyID, name);
  initClone(Copy);
  return Copy;
}

}  // namespace kivra
