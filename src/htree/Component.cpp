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
      bMyDeferNeighbours(false),
      bMyNeighboursPending(false),
      bMyLentSlots(false),
      bMyOwnSlots(false),
      iMyLabel(0) {
  static_assert(sizeof(Component) == 32, "a component is four numbers and two member slots");
  static_assert(alignof(Aside) <= alignof(Component*), "an aside pointer is kept in a member slot");
}

Component::Component(int iID, int name, int iNbrOfComps, int iNbrOfNeighbours) : Component(iID, name) {
  growMembers(std::max(iNbrOfComps, 0));
  if (iNbrOfNeighbours > 0) {
    Aside& Mine = aside();
    Mine.MyNeighbours.assign(static_cast<std::size_t>(iNbrOfNeighbours), nullptr);
    Mine.iMyMaxNbrOfNeighbours = iNbrOfNeighbours;
  }
}

Component::~Component() {
  delete findAside();
  if (bMyOwnSlots) delete[] (MyComponents.Heap - 1);
}

Component::Aside& Component::aside() {
  if (Aside* Mine = findAside()) return *Mine;
  // The aside pointer needs the header of an owned block.
  if (!bMyOwnSlots) moveToBlock(capacityFor(iMyMaxSize));
  Aside* Mine = new Aside;
  MyComponents.Heap[-1] = reinterpret_cast<Component*>(Mine);
  return *Mine;
}

void Component::moveToBlock(std::size_t iSlots) {
  // One header slot (the aside pointer) in front of the member slots.
  Component** Block = new Component*[iSlots + 1];
  Component** Old = members();
  std::copy(Old, Old + iMyMaxSize, Block + 1);
  std::fill(Block + 1 + iMyMaxSize, Block + 1 + iSlots, nullptr);
  Block[0] = nullptr;
  if (bMyOwnSlots) {
    Block[0] = MyComponents.Heap[-1];
    delete[] (MyComponents.Heap - 1);
  }
  MyComponents.Heap = Block + 1;
  bMyOwnSlots = true;
  bMyLentSlots = false;
}

void Component::growMembers(int iCount) {
  if (iCount > kMaxMembers) writeErrorMsg("Error assigning memory.", "Component::ins", true);
  if (!onHeap() && iCount <= kInline) {
    for (int i = iMyMaxSize; i < iCount; ++i) MyComponents.Inline[i] = nullptr;
  } else if (bMyOwnSlots && capacityFor(iMyMaxSize) >= static_cast<std::size_t>(iCount)) {
    // An owned block has at least capacityFor(count) slots.
    std::fill(MyComponents.Heap + iMyMaxSize, MyComponents.Heap + iCount, nullptr);
  } else {
    // Lent slots hold no more than the count.
    moveToBlock(capacityFor(iCount));
  }
  iMyMaxSize = iCount;
}

void Component::shrinkMembers(int iCount) {
  iMyMaxSize = iCount;
  // A list that fits in place again moves there, unless its block holds an
  // aside pointer.
  if (iCount > kInline || !onHeap() || findAside()) return;
  Component* Kept[kInline] = {nullptr, nullptr};
  std::copy(MyComponents.Heap, MyComponents.Heap + iCount, Kept);
  if (bMyOwnSlots) delete[] (MyComponents.Heap - 1);
  bMyOwnSlots = bMyLentSlots = false;
  std::copy(Kept, Kept + kInline, MyComponents.Inline);
}

void Component::lendMembers(Component** Slots, int iCount) {
  if (iCount <= kInline || bMyOwnSlots) {
    // In place, or in the block that holds the aside pointer.
    growMembers(iCount);
    std::copy(Slots, Slots + iCount, members());
    return;
  }
  if (iCount > kMaxMembers) writeErrorMsg("Error assigning memory.", "Component::ins", true);
  MyComponents.Heap = Slots;
  bMyLentSlots = true;
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
  // No neighbours and no list yet: nothing to store.
  if (List.empty() && !findAside()) return;
  Aside& Mine = aside();
  Mine.MyNeighbours.assign(List.begin(), List.end());
  Mine.iMyMaxNbrOfNeighbours = static_cast<int>(List.size());
}

void Component::listNeighbours(std::vector<Component*>& Out) {
  if (bMyNeighboursPending) {
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
  Copy->shrinkMembers(0);
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
