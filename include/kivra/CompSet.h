// A bounded set of components (nodes or hyperedges) kept in insertion order.
// Bucket elimination keeps one per bucket; the set cover takes and returns them.
#pragma once

#include <memory>
#include <unordered_set>
#include <vector>

namespace kivra {

class Component;

// The capacity given at construction is an upper bound checked on insertion;
// storage grows with the members actually inserted, so a large bound costs
// nothing. Membership tests are constant time on average.
class CompSet {
 public:
  explicit CompSet(int iMaxNbrOfComps);
  // Releases the member storage, not the members.
  virtual ~CompSet();

  CompSet(const CompSet&) = delete;
  CompSet& operator=(const CompSet&) = delete;

  // Appends Comp; false if already a member. A full set is fatal.
  bool insComp(Component* Comp);
  // Removes Comp, closing the gap; false if absent.
  bool remComp(Component* Comp);
  // Removes the member at iPos, closing the gap; iPos >= size() is fatal.
  void remComp(int iPos);

  int size() const { return iMyNbrOfComps; }
  bool empty() const { return iMyNbrOfComps == 0; }
  bool find(Component* Comp) const;
  // Member at iPos; null when iPos is not a member position.
  Component* operator[](int iPos) const;
  bool isSpecial() const { return bMySpecial; }

  // Every member of this set is a member of Set. Overwrites the labels of
  // both sets' members.
  bool isSubset(CompSet* Set);
  // Reorders the members by ascending label (equal labels keep no
  // guaranteed order in sets of more than 201 members).
  void sortByLabels();

 private:
  void buildIndex();

  int iMyMaxNbrOfComps;
  int iMyNbrOfComps;
  std::vector<Component*> MyComponents;  // exactly the members, in order
  bool bMySpecial;
  // Hash index of the members, built once the set grows past a few members.
  std::unique_ptr<std::unordered_set<Component*>> MyIndex;
};

}  // namespace kivra
