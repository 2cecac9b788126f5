// Members, neighbours, covered identifiers and scratch label of a hypergraph
// element.
#include "kivra/Component.h"

#include <algorithm>
#include <cstdint>
#include <utility>

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
      MyComponents(static_cast<std::size_t>(iMyMaxSize), nullptr),
      MyNeighbours(static_cast<std::size_t>(iMyMaxNbrOfNeighbours), nullptr),
      iMyLabel(0),
      bMySpecial(false) {}

Component::~Component() {}

void Component::ins(Component* Comp) {
  // Slots freed by rem stay allocated; reuse the first one past the count so
  // that an append after a removal is stored at the logical end of the list.
  if (static_cast<std::size_t>(iMyMaxSize) < MyComponents.size()) {
    MyComponents[static_cast<std::size_t>(iMyMaxSize)] = Comp;
  } else {
    MyComponents.push_back(Comp);
  }
  ++iMyMaxSize;
}

void Component::ins(Component* Comp, int iPos) {
  if (iPos < 0 || iPos >= iMyMaxSize) writeErrorMsg("Position not available.", "Component::ins", true);
  MyComponents[static_cast<std::size_t>(iPos)] = Comp;
}

Component* Component::get(int iPos) const {
  if (iPos < 0 || iPos >= iMyMaxSize) writeErrorMsg("Position not available.", "Component::get", true);
  return MyComponents[static_cast<std::size_t>(iPos)];
}

namespace {

// Removes the first occurrence of Comp among the first iCount entries,
// shifting the later ones down and clearing the freed last slot.
bool removeFirst(std::vector<Component*>& List, int& iCount, Component* Comp) {
  for (int i = 0; i < iCount; ++i) {
    if (List[static_cast<std::size_t>(i)] != Comp) continue;
    for (int j = i + 1; j < iCount; ++j) List[static_cast<std::size_t>(j - 1)] = List[static_cast<std::size_t>(j)];
    List[static_cast<std::size_t>(iCount - 1)] = nullptr;
    --iCount;
    return true;
  }
  return false;
}

}  // namespace

bool Component::rem(Component* Comp) { return removeFirst(MyComponents, iMyMaxSize, Comp); }

void Component::insNeighbour(Component* Comp, int iPos) {
  ensureNeighbourhood();
  if (iPos < 0 || iPos >= iMyMaxNbrOfNeighbours)
    writeErrorMsg("Position not available.", "Component::insNeighbour", true);
  MyNeighbours[static_cast<std::size_t>(iPos)] = Comp;
}

Component* Component::getNeighbour(int iPos) {
  ensureNeighbourhood();
  if (iPos < 0 || iPos >= iMyMaxNbrOfNeighbours)
    writeErrorMsg("Position not available.", "Component::getNeighbour", true);
  return MyNeighbours[static_cast<std::size_t>(iPos)];
}

bool Component::remNeighbour(Component* Comp) {
  ensureNeighbourhood();
  return removeFirst(MyNeighbours, iMyMaxNbrOfNeighbours, Comp);
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

void Component::computeNeighbourhood() {
  bMyNeighboursPending = false;
  // Every member of every member except this one, tagged with the position of
  // its encounter.
  std::vector<std::pair<Component*, std::uint32_t>> Found;
  std::uint32_t iSeq = 0;
  for (int i = 0; i < iMyMaxSize; ++i) {
    Component* Member = MyComponents[static_cast<std::size_t>(i)];
    if (Member == nullptr) continue;
    for (int j = 0; j < Member->iMyMaxSize; ++j) {
      Component* Nbr = Member->MyComponents[static_cast<std::size_t>(j)];
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
  MyNeighbours.clear();
  MyNeighbours.reserve(Found.size());
  for (const auto& Entry : Found) MyNeighbours.push_back(Entry.first);
  iMyMaxNbrOfNeighbours = static_cast<int>(MyNeighbours.size());
}

void Component::updateSize() {
  int iCount = 0;
  while (iCount < iMyMaxSize && MyComponents[static_cast<std::size_t>(iCount)] != nullptr) ++iCount;
  iMyMaxSize = iCount;
}

void Component::initClone(Component* Copy) const {
  Copy->iMyMaxSize = iMyMaxSize;
  Copy->MyComponents.assign(static_cast<std::size_t>(iMyMaxSize), nullptr);
  Copy->MyCoveredCompIDs = MyCoveredCompIDs;
}

Component* Component::clone() const {
  Component* Copy = new Component(iMyID, name);
  initClone(Copy);
  return Copy;
}

}  // namespace kivra
