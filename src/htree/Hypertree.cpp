// Tree decomposition nodes: structure, shrinking, covering and measures.
//
// Every walk over a subtree uses an explicit stack: bucket elimination of a
// long path yields a tree as deep as the path, far deeper than the call
// stack allows.
#include "kivra/Hypertree.h"

#include <algorithm>
#include <bit>
#include <typeinfo>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "kivra/BlockPool.h"
#include "kivra/CompSet.h"
#include "kivra/Globals.h"
#include "kivra/Hyperedge.h"
#include "kivra/Hypergraph.h"
#include "kivra/Node.h"
#include "kivra/SetCover.h"
#include "kivra/TreeWalk.h"

namespace kivra {

using treewalk::postOrder;
using treewalk::preOrder;

namespace {

// What the subset tests of shrinking have cost: one per test, plus the bag
// members each reads at most.
std::uint64_t iShrinkWork = 0;

// Whether every member of Small is in Large, without touching labels. A
// small bag is looked up member by member in a much larger one, so that a
// node with many small children pays for each child's bag rather than for its
// own bag once per child; otherwise one merge of the two sorted bags.
bool isSubsetOf(const ChiSet& Small, const ChiSet& Large) {
  const std::size_t iSmall = Small.size();
  const std::size_t iLarge = Large.size();
  ++iShrinkWork;
  if (iSmall > iLarge) return false;
  const std::size_t iLookUps = iSmall * static_cast<std::size_t>(std::bit_width(iLarge));
  if (iLookUps < iLarge) {
    iShrinkWork += iLookUps;
    for (Node* Member : Small)
      if (!std::binary_search(Large.begin(), Large.end(), Member, std::less<Node*>())) return false;
    return true;
  }
  iShrinkWork += iSmall + iLarge;
  return std::includes(Large.begin(), Large.end(), Small.begin(), Small.end(), std::less<Node*>());
}

// Set members in the order of their IDs (set order among equal IDs). The
// sets themselves are ordered by address; everything that feeds a cover or a
// random choice uses this order so that a given seed always gives the same
// result.
//
// Nodes made in one block in ID order are already in this order; small sets
// are sorted in place (a stable sort would take a buffer from the heap for
// each bag).
template <typename T, std::size_t N>
void byID(const FlatSet<T*, N>& Members, std::vector<T*>& Sorted) {
  Sorted.assign(Members.begin(), Members.end());
  auto Less = [](const T* A, const T* B) { return A->getID() < B->getID(); };
  if (std::is_sorted(Sorted.begin(), Sorted.end(), Less)) return;
  if (Sorted.size() > 32) {
    std::stable_sort(Sorted.begin(), Sorted.end(), Less);
    return;
  }
  for (std::size_t i = 1; i < Sorted.size(); ++i) {
    T* Member = Sorted[i];
    std::size_t j = i;
    for (; j > 0 && Less(Member, Sorted[j - 1]); --j) Sorted[j] = Sorted[j - 1];
    Sorted[j] = Member;
  }
}
template <typename T, std::size_t N>
std::vector<T*> byID(const FlatSet<T*, N>& Members) {
  std::vector<T*> Sorted;
  byID(Members, Sorted);
  return Sorted;
}

// Vertices with more hyperedges than this are prepared once per setLambda
// call so that a bag holding one costs little beyond its own size.
constexpr int kHeavyDegree = 32;

// The dual mode keeps hyperedge objects in chi and node objects in lambda.
// Both classes share Component's non-polymorphic layout.
Node* asNode(Hyperedge* Edge) { return reinterpret_cast<Node*>(Edge); }
Hyperedge* asEdge(Node* Vertex) { return reinterpret_cast<Hyperedge*>(Vertex); }

// Marks a vertex met under the k-th child (counted from 1): -1 when it was
// already met under an earlier child, k otherwise; negative labels stay.
void labelUnderChild(Node* Vertex, int k) {
  int iLabel = Vertex->getLabel();
  if (iLabel < 0) return;
  Vertex->setLabel(iLabel >= 1 && iLabel <= k - 1 ? -1 : k);
}

// Covers Vertices (all uncovered, labels free to use) with hyperedges that
// their uncovered vertices are bound to: a vertex still uncovered that lies
// in exactly one hyperedge not yet chosen forces that hyperedge. When these
// forced hyperedges cover every vertex, they are exactly what the full set
// cover over all hyperedges of Vertices returns (every rule starts with this
// step and draws nothing when it leaves nothing uncovered), found here
// without reading the other hyperedges of high-degree vertices. Returns
// false (Chosen then holds a partial choice) when some vertex stays uncovered.
bool coverByForcedEdges(const std::vector<Node*>& Vertices, std::vector<Hyperedge*>& Chosen,
                        std::unordered_set<Hyperedge*>& ChosenSet) {
  Chosen.clear();
  ChosenSet.clear();
  // A few chosen hyperedges are looked up in the list itself; a hash set
  // takes over for large bags.
  constexpr std::size_t kListed = 16;
  for (Node* Vertex : Vertices) Vertex->setLabel(0);
  auto isChosen = [&Chosen, &ChosenSet](Hyperedge* Edge) {
    if (Chosen.size() <= kListed) return std::find(Chosen.begin(), Chosen.end(), Edge) != Chosen.end();
    return ChosenSet.count(Edge) != 0;
  };
  for (Node* Vertex : Vertices) {
    if (Vertex->getLabel() != 0) continue;
    // Chosen holds at most one hyperedge per vertex, so only a short prefix
    // of the edge list is read before a second open one turns up.
    Hyperedge* Open = nullptr;
    int iOpen = 0;
    for (int i = 0; i < Vertex->getNbrOfEdges() && iOpen < 2; ++i) {
      Hyperedge* Edge = Vertex->getEdge(i);
      if (isChosen(Edge)) continue;
      Open = Edge;
      ++iOpen;
    }
    if (iOpen != 1) continue;
    Chosen.push_back(Open);
    if (Chosen.size() == kListed + 1) {
      ChosenSet.insert(Chosen.begin(), Chosen.end());
    } else if (Chosen.size() > kListed + 1) {
      ChosenSet.insert(Open);
    }
    for (int i = 0; i < Open->getNbrOfNodes(); ++i) Open->getNode(i)->setLabel(1);
  }
  for (Node* Vertex : Vertices)
    if (Vertex->getLabel() == 0) return false;
  return true;
}

}  // namespace

const Hypertree::Sets Hypertree::kNoSets;

namespace {

// Bags and covers of a tree, one block each.
using SetBlocks = BlockPool<sizeof(ChiSet) + sizeof(LambdaSet), alignof(ChiSet), true>;

}  // namespace

void* Hypertree::Sets::operator new(std::size_t) { return SetBlocks::take(); }

void Hypertree::Sets::operator delete(void* Ptr) {
  if (Ptr) SetBlocks::give(Ptr);
}

Hypertree::Hypertree() : MyParent(nullptr), MySets(0), iMyLabel(0) {
  static_assert(alignof(Sets) > kFlags, "the flags live in the sets pointer's low bits");
  static_assert(sizeof(Sets) == sizeof(ChiSet) + sizeof(LambdaSet), "a bag and its cover fill one block");
}

Hypertree::Sets& Hypertree::makeSets() {
  Sets* Mine = new Sets;
  MySets = reinterpret_cast<std::uintptr_t>(Mine) | (MySets & kFlags);
  return *Mine;
}

std::unordered_map<const Hypertree*, Hypertree::Tags>& Hypertree::tagTable() {
  // Never destroyed: a tree may outlive the static objects.
  static auto* Table = new std::unordered_map<const Hypertree*, Tags>();
  return *Table;
}

Hypertree::Tags& Hypertree::tags() {
  Tags& Mine = tagTable()[this];
  MySets |= kTagged;
  return Mine;
}

const Hypertree::Tags* Hypertree::findTags() const {
  if ((MySets & kTagged) == 0) return nullptr;
  return &tagTable().find(this)->second;
}

Hypertree::~Hypertree() {
  // Descendants are detached and deleted one at a time, so that each deletion
  // finds an empty child list and no destructor recurses. The nodes waiting
  // for deletion are kept by moving the list entries that held them (splice),
  // so tearing down a tree allocates nothing: it also works while the stack
  // unwinds from an exhausted heap.
  std::list<Hypertree*> Pending;
  Pending.splice(Pending.end(), MyChildren);
  while (!Pending.empty()) {
    Hypertree* Current = Pending.back();
    Pending.pop_back();
    Pending.splice(Pending.end(), Current->MyChildren);
    delete Current;
  }
  delete findSets();
  if (MySets & kTagged) tagTable().erase(this);
}

void Hypertree::insChild(Hypertree* Child, bool bSetParent) {
  MyChildren.push_back(Child);
  if (bSetParent) Child->MyParent = this;
}

bool Hypertree::remChild(Hypertree* Child) {
  auto It = std::find(MyChildren.begin(), MyChildren.end(), Child);
  if (It == MyChildren.end()) return false;
  MyChildren.erase(It);
  return true;
}

void Hypertree::remChildren() {
  for (Hypertree* Child : MyChildren) Child->MyParent = nullptr;
  MyChildren.clear();
}

void Hypertree::setRoot() {
  // The path up to the old root is reversed from the top down.
  std::vector<Hypertree*> Path{this};
  while (Path.back()->MyParent != nullptr) Path.push_back(Path.back()->MyParent);
  for (int i = static_cast<int>(Path.size()) - 2; i >= 0; --i) {
    Hypertree* Current = Path[i];
    Hypertree* Parent = Path[i + 1];
    if (!Parent->remChild(Current))
      writeErrorMsg("Invalid parent/child relation.", "Hypertree::setRoot", true);
    Current->insChild(Parent, true);
    Current->MyParent = nullptr;
  }
}

void Hypertree::resetLabels() {
  for (Hypertree* Current : preOrder(this)) Current->iMyLabel = 0;
}

int Hypertree::setIDLabels(int iStartID) {
  int iID = iStartID - 1;
  for (Hypertree* Current : preOrder(this)) Current->iMyLabel = ++iID;
  return iID;
}

Hypertree* Hypertree::getHTNode(int iID) {
  for (Hypertree* Current : preOrder(this))
    if (const Tags* Mine = Current->findTags(); Mine && Mine->IDs.count(iID) != 0) return Current;
  return nullptr;
}

Hypertree* Hypertree::getHTNode(void* Ptr) {
  for (Hypertree* Current : preOrder(this))
    if (const Tags* Mine = Current->findTags(); Mine && Mine->Pointers.count(Ptr) != 0) return Current;
  return nullptr;
}

bool Hypertree::isCyclic() {
  // Reset with a visited set of its own, so that a child structure with a
  // true cycle is reported instead of walked forever.
  std::unordered_set<Hypertree*> Seen;
  std::vector<Hypertree*> Stack{this};
  while (!Stack.empty()) {
    Hypertree* Current = Stack.back();
    Stack.pop_back();
    if (!Seen.insert(Current).second) continue;
    Current->iMyLabel = 0;
    for (Hypertree* Child : Current->MyChildren) Stack.push_back(Child);
  }
  Stack.assign(1, this);
  while (!Stack.empty()) {
    Hypertree* Current = Stack.back();
    Stack.pop_back();
    if (Current->iMyLabel != 0) return true;
    Current->iMyLabel = 1;
    for (auto It = Current->MyChildren.rbegin(); It != Current->MyChildren.rend(); ++It)
      Stack.push_back(*It);
  }
  return false;
}

std::uint64_t Hypertree::shrinkWork() { return iShrinkWork; }

void Hypertree::shrink(bool bLambdaUnion) {
  resetLabels();
  postOrder(this, [bLambdaUnion](Hypertree* Current) { Current->shrinkNode(bLambdaUnion); });
}

namespace {

// Child's children and pointers pass to Current (appended to its list).
void adoptChildren(Hypertree* Current, std::list<Hypertree*>& Mine, std::list<Hypertree*>& Theirs) {
  for (Hypertree* Grandchild : Theirs) Grandchild->setParent(Current);
  Mine.splice(Mine.end(), Theirs);
}

}  // namespace

void Hypertree::mergeUpward(Hypertree* Child, bool bLambdaUnion) {
  mergeUpwardAt(std::find(MyChildren.begin(), MyChildren.end(), Child), bLambdaUnion);
}

std::list<Hypertree*>::iterator Hypertree::mergeUpwardAt(std::list<Hypertree*>::iterator It, bool bLambdaUnion) {
  Hypertree* Child = *It;
  chi().swap(Child->chi());
  if (!bLambdaUnion) lambda().clear();
  lambda().insert(Child->lambda().begin(), Child->lambda().end());
  adoptChildren(this, MyChildren, Child->MyChildren);
  mergePointers(Child);
  delete Child;
  // The adopted grandchildren follow at the end of the list.
  return MyChildren.erase(It);
}

void Hypertree::shrinkNode(bool bLambdaUnion) {
  // Every child here is already shrunk, so a grandchild that comes with a
  // child's bag was tested against that very bag: its bag neither contains
  // it nor lies inside it. Such grandchildren are not tested again while
  // that bag stays this node's bag; the result is what testing them gives.
  //
  // Upward: a child whose bag contains this bag lends it its bag and place.
  // Adopted grandchildren join the end of the list. None of them can contain
  // a later bag of this node either (the bag only grows from one that they
  // do not contain), so the pass ends with the children this node had.
  std::size_t iOwn = MyChildren.size();
  std::list<Hypertree*>::iterator Adopted = MyChildren.end();  // the last merge's grandchildren
  bool bAdopted = false;
  auto It = MyChildren.begin();
  for (; iOwn > 0; --iOwn) {
    if (isSubsetOf(chi(), (*It)->chi())) {
      std::list<Hypertree*>& Grandchildren = (*It)->MyChildren;
      bAdopted = !Grandchildren.empty();
      // Spliced list entries keep their iterators: this one now points into
      // this node's list, at the first adopted grandchild.
      if (bAdopted) Adopted = Grandchildren.begin();
      It = mergeUpwardAt(It, bLambdaUnion);
    } else {
      ++It;
    }
  }
  // Downward: a child whose bag lies inside this bag is absorbed; its
  // children are tested in turn. The grandchildren of the last upward merge,
  // the tail of the list at this point, came with this very bag.
  std::list<Hypertree*>::iterator AdoptedLast = bAdopted ? std::prev(MyChildren.end()) : MyChildren.end();
  for (It = MyChildren.begin(); It != MyChildren.end();) {
    if (bAdopted && It == Adopted) {
      It = std::next(AdoptedLast);
      continue;
    }
    Hypertree* Child = *It;
    if (!isSubsetOf(Child->chi(), chi())) {
      ++It;
      continue;
    }
    if (bLambdaUnion) lambda().insert(Child->lambda().begin(), Child->lambda().end());
    adoptChildren(this, MyChildren, Child->MyChildren);
    mergePointers(Child);
    It = MyChildren.erase(It);
    delete Child;
  }
  iMyLabel = 1;
}

void Hypertree::setLambda(Hypergraph* HGraph) {
  (void)HGraph;  // the candidates come from the bag vertices themselves
  SetCover Cover;
  std::vector<Node*> Bag;
  std::vector<Node*> Uncovered;
  std::vector<Hyperedge*> Forced;
  std::vector<Hyperedge*> Covering;
  std::vector<Hyperedge*> Candidates;
  std::unordered_set<Hyperedge*> ForcedSet;
  IncidentCoverCache Prepared(kHeavyDegree);
  visitFetchingAhead(preOrder(this), [&](Hypertree* Current) {
    // Only the labels of the bag's vertices are read: they start at 0 and
    // the vertices of the hyperedges already in lambda are marked covered.
    for (Node* Vertex : Current->chi()) Vertex->setLabel(0);
    for (Hyperedge* Edge : Current->lambda())
      for (int i = 0; i < Edge->getNbrOfNodes(); ++i) Edge->getNode(i)->setLabel(1);
    byID(Current->chi(), Bag);
    Uncovered.clear();
    for (Node* Vertex : Bag)
      if (Vertex->getLabel() == 0) Uncovered.push_back(Vertex);
    if (Uncovered.empty()) return;

    if (coverByForcedEdges(Uncovered, Forced, ForcedSet)) {
      Current->lambda().insert(Forced.begin(), Forced.end());
      return;
    }
    bool bHeavy = false;
    for (Node* Vertex : Uncovered) bHeavy = bHeavy || Vertex->getNbrOfEdges() > kHeavyDegree;
    if (bHeavy) {
      // The same cover as below, without walking all hyperedges of a vertex
      // of very high degree in every bag that holds it.
      const std::vector<Hyperedge*> Incident = Cover.coverIncident(Uncovered, Prepared);
      Current->lambda().insert(Incident.begin(), Incident.end());
      return;
    }
    // Candidates: every hyperedge of the uncovered vertices, first
    // occurrences only (labels mark the ones listed).
    Candidates.clear();
    for (Node* Vertex : Uncovered)
      for (int i = 0; i < Vertex->getNbrOfEdges(); ++i) Vertex->getEdge(i)->setLabel(0);
    for (Node* Vertex : Uncovered)
      for (int i = 0; i < Vertex->getNbrOfEdges(); ++i) {
        Hyperedge* Edge = Vertex->getEdge(i);
        if (Edge->getLabel() != 0) continue;
        Edge->setLabel(1);
        Candidates.push_back(Edge);
      }
    Cover.cover(Uncovered, Candidates, Covering);
    Current->lambda().insert(Covering.begin(), Covering.end());
  });
}

void Hypertree::getConflictVars(std::set<Node*>* ConflictVars, int iWidth, bool bDual) {
  for (Hypertree* Current : preOrder(this)) {
    if (static_cast<int>(Current->lambda().size()) != iWidth) continue;
    if (bDual) {
      for (Hyperedge* Edge : Current->lambda()) ConflictVars->insert(asNode(Edge));
    } else {
      ConflictVars->insert(Current->chi().begin(), Current->chi().end());
    }
  }
}

int Hypertree::getHTreeWidth() {
  int iWidth = 0;
  for (Hypertree* Current : preOrder(this))
    iWidth = std::max(iWidth, static_cast<int>(Current->lambda().size()));
  return iWidth;
}

int Hypertree::getTreeWidth() {
  int iLargest = 0;
  visitFetchingAhead(preOrder(this), [&iLargest](Hypertree* Current) {
    iLargest = std::max(iLargest, static_cast<int>(Current->chi().size()));
  });
  return iLargest - 1;
}

unsigned int Hypertree::getNumberOfDescendants() {
  return static_cast<unsigned int>(preOrder(this).size());
}

unsigned int Hypertree::getNumberOfLeafNodes() {
  unsigned int iLeaves = 0;
  for (Hypertree* Current : preOrder(this))
    if (Current->MyChildren.empty()) ++iLeaves;
  return iLeaves;
}

unsigned int Hypertree::getNumberOfJoinNodes() {
  // 1 for a node with two or more children, plus each child's own count. A
  // child of a derived class counts by its own rule; plain nodes are walked
  // here without recursion.
  unsigned int iJoins = 0;
  std::vector<Hypertree*> Stack{this};
  while (!Stack.empty()) {
    Hypertree* Current = Stack.back();
    Stack.pop_back();
    if (Current != this && typeid(*Current) != typeid(Hypertree)) {
      iJoins += Current->getNumberOfJoinNodes();
      continue;
    }
    if (Current->MyChildren.size() >= 2) ++iJoins;
    Stack.insert(Stack.end(), Current->MyChildren.begin(), Current->MyChildren.end());
  }
  return iJoins;
}

// --- Dual mode ---

void Hypertree::swapChiLambda() {
  for (Hypertree* Current : preOrder(this)) {
    ChiSet NewChi;
    LambdaSet NewLambda;
    // Reinterpreting keeps the addresses, hence the order: append at the end.
    for (Hyperedge* Edge : Current->lambda()) NewChi.insert(NewChi.end(), asNode(Edge));
    for (Node* Vertex : Current->chi()) NewLambda.insert(NewLambda.end(), asEdge(Vertex));
    Current->chi().swap(NewChi);
    Current->lambda().swap(NewLambda);
  }
}

void Hypertree::reduceLambda() {
  reduceLambdaTopDown();
  reduceLambdaBottomUp();
}

namespace {

// One node's reduction of its lambda set against its neighbours in the tree.
// Top-down, the parent's lambda is offered for the cover and a member is
// kept unless a child's lambda holds it too; bottom-up, the children's
// lambdas are offered and a member is kept unless the parent's lambda holds
// it too.
void reduceNodeLambda(Hypertree* Current, bool bBottomUp) {
  LambdaSet* NodeLambda = Current->getLambda();
  Hypertree* Parent = Current->getParent();
  std::list<Hypertree*>* Children = Current->getChildren();

  std::vector<Hyperedge*> Lambda = byID(*NodeLambda);
  int iEdgeCapacity = static_cast<int>(Lambda.size());
  if (bBottomUp) {
    for (Hypertree* Child : *Children) iEdgeCapacity += static_cast<int>(Child->getLambda()->size());
  } else if (Parent != nullptr) {
    iEdgeCapacity += static_cast<int>(Parent->getLambda()->size());
  }
  int iNodeCapacity = 0;
  CompSet HEdges(iEdgeCapacity);
  for (Hyperedge* Edge : Lambda) {
    HEdges.insComp(Edge);
    iNodeCapacity += Edge->getNbrOfNodes();
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i) Edge->getNode(i)->setLabel(0);
  }
  CompSet Nodes(iNodeCapacity);
  NodeLambda->clear();

  int k = 0;
  for (Hypertree* Child : *Children) {
    ++k;
    for (Hyperedge* Edge : *Child->getLambda())
      for (int i = 0; i < Edge->getNbrOfNodes(); ++i) labelUnderChild(Edge->getNode(i), k);
    if (bBottomUp)
      for (Hyperedge* Edge : byID(*Child->getLambda())) HEdges.insComp(Edge);
  }
  if (Parent != nullptr) {
    for (Hyperedge* Edge : byID(*Parent->getLambda())) {
      if (!bBottomUp) HEdges.insComp(Edge);
      for (int i = 0; i < Edge->getNbrOfNodes(); ++i) {
        Node* Vertex = Edge->getNode(i);
        if (Vertex->getLabel() > 0) Vertex->setLabel(-1);
      }
    }
  }

  for (Hyperedge* Edge : Lambda) {
    bool bKeep;
    if (bBottomUp) {
      bKeep = Parent == nullptr || Parent->getLambda()->count(Edge) == 0;
    } else {
      bKeep = true;
      for (Hypertree* Child : *Children)
        if (Child->getLambda()->count(Edge) != 0) {
          bKeep = false;
          break;
        }
    }
    if (!bKeep) continue;
    NodeLambda->insert(Edge);
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i) Edge->getNode(i)->setLabel(0);
  }

  for (Hyperedge* Edge : Lambda)
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i) {
      Node* Vertex = Edge->getNode(i);
      if (Vertex->getLabel() == -1) Nodes.insComp(Vertex);
    }
  SetCover Cover;
  CompSet* Covering = Cover.cover(&Nodes, &HEdges);
  for (int i = 0; i < Covering->size(); ++i) NodeLambda->insert(reinterpret_cast<Hyperedge*>((*Covering)[i]));
  delete Covering;

  if (NodeLambda->size() >= Lambda.size()) {
    NodeLambda->clear();
    NodeLambda->insert(Lambda.begin(), Lambda.end());
  }
}

}  // namespace

void Hypertree::reduceLambdaTopDown() {
  for (Hypertree* Current : preOrder(this)) reduceNodeLambda(Current, false);
}

void Hypertree::reduceLambdaBottomUp() {
  resetLabels();
  postOrder(this, [](Hypertree* Current) {
    reduceNodeLambda(Current, true);
    Current->setLabel(1);
  });
}

void Hypertree::labelChiSets(int iLabel) {
  for (Hypertree* Current : preOrder(this))
    for (Node* Vertex : Current->chi()) labelUnderChild(Vertex, iLabel);
}

void Hypertree::setChi_Conn(Hypergraph* HGraph) {
  // Node by node from the top, a node's bag receives every vertex of the
  // hypergraph that occurs below two of its children, and every vertex of its
  // (already extended) parent's bag that occurs below one of its children.
  // By induction from the top, a vertex thus joins exactly the bags of the
  // nodes on the tree paths between the bags that held it, the parent's bag
  // above this subtree counting as one of them. Those paths are found per
  // vertex by walking up from its bags, taken in pre-order, to the meeting
  // node of each consecutive pair: the walks add up to twice the number of
  // nodes spanned, so the whole closure is linear in the bags it produces.
  std::vector<Hypertree*> Order = preOrder(this);
  const std::size_t iSize = Order.size() + 1;
  // Position 0 stands for the parent above this subtree (or for nothing).
  std::vector<std::size_t> Up(iSize, 0);
  std::vector<int> Depth(iSize, 0);
  std::unordered_map<Hypertree*, std::size_t> Position;
  Position.reserve(Order.size());
  for (std::size_t i = 0; i < Order.size(); ++i) Position.emplace(Order[i], i + 1);
  // Parents come before their children in pre-order.
  for (std::size_t i = 1; i < iSize; ++i) {
    Depth[i] = Depth[Up[i]] + 1;
    for (Hypertree* Child : Order[i - 1]->MyChildren) Up[Position.at(Child)] = i;
  }

  // The bags holding each vertex of the hypergraph, in pre-order.
  std::unordered_map<Node*, std::vector<std::size_t>> Holders;
  for (int i = 0; i < HGraph->getNbrOfNodes(); ++i) Holders.emplace(HGraph->getNode(i), std::vector<std::size_t>());
  auto note = [&Holders](Node* Vertex, std::size_t iPos) {
    auto It = Holders.find(Vertex);
    if (It != Holders.end()) It->second.push_back(iPos);
  };
  if (MyParent != nullptr)
    for (Node* Vertex : MyParent->chi()) note(Vertex, 0);
  for (std::size_t i = 0; i < Order.size(); ++i)
    for (Node* Vertex : Order[i]->chi()) note(Vertex, i + 1);

  std::vector<Node*> Vertices;
  for (int i = 0; i < HGraph->getNbrOfNodes(); ++i) Vertices.push_back(HGraph->getNode(i));
  std::vector<std::size_t> Stamp(iSize, 0);  // 1 + index of the last vertex that marked a node
  for (std::size_t k = 0; k < Vertices.size(); ++k) {
    Node* Vertex = Vertices[k];
    std::vector<std::size_t>& Bags = Holders[Vertex];
    auto mark = [&](std::size_t iPos) {
      if (Stamp[iPos] == k + 1) return;
      Stamp[iPos] = k + 1;
      if (iPos != 0) Order[iPos - 1]->chi().insert(Vertex);
    };
    for (std::size_t j = 1; j < Bags.size(); ++j) {
      std::size_t a = Bags[j - 1], b = Bags[j];
      while (a != b) {
        if (Depth[a] >= Depth[b]) {
          mark(a);
          a = Up[a];
        } else {
          mark(b);
          b = Up[b];
        }
      }
      mark(a);
    }
    Bags.clear();
  }
  // The node-by-node rule ends with every vertex label at 0.
  HGraph->resetNodeLabels(0);
}

void Hypertree::selCovHTNodes(Hypertree** CovNodes) {
  for (Hypertree* Current : preOrder(this))
    for (Hyperedge* Edge : Current->lambda()) {
      Hypertree*& Holder = CovNodes[Edge->getLabel()];
      if (Holder == nullptr || Holder->lambda().size() > Current->lambda().size()) Holder = Current;
    }
}

void Hypertree::setChi(Hypergraph* HGraph) {
  int iNbrOfEdges = HGraph->getNbrOfEdges();
  std::vector<Hypertree*> CovNodes(static_cast<size_t>(iNbrOfEdges), nullptr);
  HGraph->labelEdgesConsecutively();
  selCovHTNodes(CovNodes.data());
  for (int j = 0; j < iNbrOfEdges; ++j) {
    if (CovNodes[j] == nullptr) continue;
    Hyperedge* Edge = HGraph->getEdge(j);
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i) CovNodes[j]->chi().insert(Edge->getNode(i));
  }
  setChi_Conn(HGraph);
}

void Hypertree::elimCovEdges() {
  SetCover Cover;
  for (Hypertree* Current : preOrder(this)) {
    CompSet Nodes(static_cast<int>(Current->chi().size()));
    CompSet HEdges(static_cast<int>(Current->lambda().size()));
    for (Node* Vertex : byID(Current->chi())) Nodes.insComp(Vertex);
    for (Hyperedge* Edge : byID(Current->lambda())) HEdges.insComp(Edge);
    CompSet* Covering = Cover.cover(&Nodes, &HEdges);
    Current->lambda().clear();
    for (int i = 0; i < Covering->size(); ++i)
      Current->lambda().insert(reinterpret_cast<Hyperedge*>((*Covering)[i]));
    delete Covering;
  }
}

void Hypertree::resetLambda(Hypergraph* HGraph) {
  CompSet Nodes(static_cast<int>(chi().size()));
  CompSet HEdges(HGraph->getNbrOfEdges());
  for (Node* Vertex : byID(chi())) {
    Nodes.insComp(Vertex);
    for (int i = 0; i < Vertex->getNbrOfEdges(); ++i) HEdges.insComp(Vertex->getEdge(i));
  }
  SetCover Cover;
  CompSet* Covering = Cover.cover(&Nodes, &HEdges);
  if (static_cast<size_t>(Covering->size()) < lambda().size()) {
    lambda().clear();
    for (int i = 0; i < Covering->size(); ++i) lambda().insert(reinterpret_cast<Hyperedge*>((*Covering)[i]));
  }
  delete Covering;
  for (Hypertree* Child : MyChildren) Child->setLambda(HGraph);
}

}  // namespace kivra
