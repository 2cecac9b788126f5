// Bounded, insertion-ordered set of hypergraph components.
#include "kivra/CompSet.h"

#include <algorithm>

#include "kivra/Component.h"
#include "kivra/Globals.h"

namespace kivra {

namespace {
// Up to this many members a linear scan beats hashing.
constexpr int kIndexThreshold = 16;
}  // namespace

CompSet::CompSet(int iMaxNbrOfComps)
    : iMyMaxNbrOfComps(std::max(iMaxNbrOfComps, 0)), iMyNbrOfComps(0), bMySpecial(false) {
  // Room for a small set at once: most sets (buckets, covers) stay small,
  // and growing one entry at a time would allocate several times over.
  MyComponents.reserve(static_cast<std::size_t>(std::min(iMyMaxNbrOfComps, kIndexThreshold)));
}

CompSet::~CompSet() {}

void CompSet::buildIndex() {
  MyIndex = std::make_unique<std::unordered_set<Component*>>(MyComponents.begin(), MyComponents.end());
}

bool CompSet::find(Component* Comp) const {
  if (MyIndex) return MyIndex->count(Comp) > 0;
  return std::find(MyComponents.begin(), MyComponents.end(), Comp) != MyComponents.end();
}

bool CompSet::insComp(Component* Comp) {
  if (find(Comp)) return false;
  if (iMyNbrOfComps >= iMyMaxNbrOfComps) writeErrorMsg("Set size exceeded.", "CompSet::insComp", true);
  MyComponents.push_back(Comp);
  ++iMyNbrOfComps;
  if (MyIndex) {
    MyIndex->insert(Comp);
  } else if (iMyNbrOfComps > kIndexThreshold) {
    buildIndex();
  }
  return true;
}

bool CompSet::remComp(Component* Comp) {
  if (!find(Comp)) return false;
  MyComponents.erase(std::find(MyComponents.begin(), MyComponents.end(), Comp));
  --iMyNbrOfComps;
  if (MyIndex) MyIndex->erase(Comp);
  return true;
}

void CompSet::remComp(int iPos) {
  if (iPos < 0 || iPos >= iMyNbrOfComps) writeErrorMsg("Position not available.", "CompSet::remEdge", true);
  Component* Comp = MyComponents[static_cast<std::size_t>(iPos)];
  MyComponents.erase(MyComponents.begin() + iPos);
  --iMyNbrOfComps;
  if (MyIndex) MyIndex->erase(Comp);
}

Component* CompSet::operator[](int iPos) const {
  if (iPos < 0 || iPos >= iMyNbrOfComps) return nullptr;
  return MyComponents[static_cast<std::size_t>(iPos)];
}

bool CompSet::isSubset(CompSet* Set) {
  for (Component* Comp : MyComponents) Comp->setLabel(0);
  for (Component* Comp : Set->MyComponents) Comp->setLabel(1);
  for (Component* Comp : MyComponents) {
    if (Comp->getLabel() == 0) return false;
  }
  return true;
}

void CompSet::sortByLabels() {
  if (iMyNbrOfComps < 2) return;
  std::vector<int> Keys(MyComponents.size());
  for (std::size_t i = 0; i < MyComponents.size(); ++i) Keys[i] = MyComponents[i]->getLabel();
  sortPointers(reinterpret_cast<void**>(MyComponents.data()), Keys.data(), 0, iMyNbrOfComps - 1);
}

}  // namespace kivra
