// Tree decomposition checks, bag statistics and GML output.
//
// The four checks test the conditions of a hypertree decomposition of a
// hypergraph: every hyperedge lies in a bag (1), the bags holding a vertex
// are connected (2), every bag is covered by its node's hyperedges (3) and
// no hyperedge vertex left out of a bag reappears below it (4). Every walk
// is iterative, and the checks that relate a node to its whole subtree or to
// every bag look vertices up in per-vertex occurrence lists instead of
// relabelling the graph per tree node, so a path of hundreds of thousands of
// nodes is checked in near-linear time.
#include "kivra/Hypertree.h"

#include <algorithm>
#include <fstream>
#include <ostream>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "kivra/Globals.h"
#include "kivra/Hyperedge.h"
#include "kivra/Hypergraph.h"
#include "kivra/Node.h"
#include "kivra/TreeWalk.h"

namespace kivra {

using treewalk::preOrder;

namespace {

// For every vertex, the pre-order positions of the bags holding it, ascending.
std::unordered_map<Node*, std::vector<int>> bagPositions(const std::vector<Hypertree*>& Order) {
  std::unordered_map<Node*, std::vector<int>> Positions;
  for (std::size_t t = 0; t < Order.size(); ++t)
    for (Node* Vertex : *Order[t]->getChi()) Positions[Vertex].push_back(static_cast<int>(t));
  return Positions;
}

// The names of a set's members, ordered by their labels (their positions in
// the hypergraph), joined by ", ".
template <typename T, std::size_t N>
void writeNames(std::ostream& Out, const FlatSet<T*, N>& Members, std::vector<void*>& Ptr, std::vector<int>& Keys) {
  Ptr.assign(Members.begin(), Members.end());
  Keys.clear();
  for (T* Member : Members) Keys.push_back(Member->getLabel());
  if (Ptr.size() > 1) sortPointers(Ptr.data(), Keys.data(), 0, static_cast<int>(Ptr.size()) - 1);
  for (std::size_t i = 0; i < Ptr.size(); ++i) {
    if (i > 0) Out << ", ";
    Out << static_cast<T*>(Ptr[i])->getName();
  }
}

}  // namespace

// --- Condition 1: every hyperedge lies within a bag ---

Hyperedge* Hypertree::checkCond1(Hypergraph* HGraph) {
  HGraph->resetEdgeLabels(0);
  HGraph->resetNodeLabels(0);
  labelCovEdges(HGraph);
  for (int j = 0; j < HGraph->getNbrOfEdges(); ++j)
    if (HGraph->getEdge(j)->getLabel() == 0) return HGraph->getEdge(j);
  return nullptr;
}

void Hypertree::labelCovEdges(Hypergraph* HGraph) {
  // Walking the bags in pre-order, a bag's vertices count as labelled while
  // the bag is visited and return to label 0 afterwards; a vertex outside
  // the bag counts by its label, which is its starting label until it first
  // occurs in a bag and 0 from then on. A hyperedge is therefore labelled
  // when some bag holds all its vertices except some with a non-zero
  // starting label that first occur in a later bag (or never). Only the bags
  // holding its rarest vertex of starting label 0 need to be tried; without
  // such a vertex the first bag already qualifies.
  std::vector<Hypertree*> Order = preOrder(this);
  std::unordered_map<Node*, std::vector<int>> Positions = bagPositions(Order);
  auto bagsOf = [&Positions](Node* Vertex) -> const std::vector<int>* {
    auto It = Positions.find(Vertex);
    return It == Positions.end() ? nullptr : &It->second;
  };
  std::vector<Hyperedge*> Covered;
  for (int j = 0; j < HGraph->getNbrOfEdges(); ++j) {
    Hyperedge* Edge = HGraph->getEdge(j);
    const std::vector<int>* Anchor = nullptr;
    bool bHasUnlabelled = false;
    bool bPossible = true;
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i) {
      Node* Vertex = Edge->getNode(i);
      if (Vertex == nullptr || Vertex->getLabel() != 0) continue;
      bHasUnlabelled = true;
      const std::vector<int>* Bags = bagsOf(Vertex);
      if (Bags == nullptr) {
        bPossible = false;
        break;
      }
      if (Anchor == nullptr || Bags->size() < Anchor->size()) Anchor = Bags;
    }
    if (!bPossible) continue;
    bool bCovered = !bHasUnlabelled;
    for (std::size_t a = 0; !bCovered && a < Anchor->size(); ++a) {
      const int t = (*Anchor)[a];
      const ChiSet* Bag = Order[static_cast<std::size_t>(t)]->getChi();
      bCovered = true;
      for (int i = 0; i < Edge->getNbrOfNodes() && bCovered; ++i) {
        Node* Vertex = Edge->getNode(i);
        if (Vertex == nullptr || Bag->count(Vertex) != 0) continue;
        const std::vector<int>* Bags = bagsOf(Vertex);
        bCovered = Vertex->getLabel() != 0 && (Bags == nullptr || Bags->front() > t);
      }
    }
    if (bCovered) Covered.push_back(Edge);
  }
  for (Hyperedge* Edge : Covered) Edge->setLabel(1);
  for (auto& Entry : Positions) Entry.first->setLabel(0);
}

// --- Condition 2: connectedness ---

Node* Hypertree::checkCond2(Hypergraph* HGraph) {
  HGraph->resetNodeLabels(0);
  return checkCond2();
}

Node* Hypertree::checkCond2() {
  // Post-order; once a child's subtree is checked, the vertices of the
  // child's bag that its parent's bag lacks get label 1 (they left the bag
  // below). A bag vertex with a non-zero label is a vertex that reappears.
  Node* Reappearing = nullptr;
  treewalk::postOrder(this, [&Reappearing](Hypertree* Done, Hypertree* Parent) {
    for (Node* Vertex : Done->chi()) {
      if (Vertex->getLabel() != 0) {
        Reappearing = Vertex;
        return false;
      }
    }
    if (Parent != nullptr)
      for (Node* Vertex : Done->chi())
        if (Parent->chi().count(Vertex) == 0) Vertex->setLabel(1);
    return true;
  });
  return Reappearing;
}

// --- Condition 3: every bag is covered by its lambda ---

Hypertree* Hypertree::checkCond3(Hypergraph* HGraph) {
  HGraph->resetNodeLabels(0);
  return checkCond3();
}

Hypertree* Hypertree::checkCond3() {
  for (Hypertree* Current : preOrder(this)) {
    for (Hyperedge* Edge : Current->lambda())
      for (int i = 0; i < Edge->getNbrOfNodes(); ++i) Edge->getNode(i)->setLabel(1);
    for (Node* Vertex : Current->chi())
      if (Vertex->getLabel() == 0) return Current;
    for (Hyperedge* Edge : Current->lambda())
      for (int i = 0; i < Edge->getNbrOfNodes(); ++i) Edge->getNode(i)->setLabel(0);
  }
  return nullptr;
}

// --- Condition 4: the special condition ---

Hypertree* Hypertree::checkCond4(Hypergraph* HGraph) {
  // A node breaks it when a vertex of its lambda (and of HGraph) is missing
  // from its bag but occurs in a bag of its subtree: the subtree is a range
  // of pre-order positions, searched in the vertex's occurrence list.
  std::vector<Hypertree*> Order = preOrder(this);
  const int n = static_cast<int>(Order.size());
  std::unordered_map<Hypertree*, int> Position;
  for (int t = 0; t < n; ++t) Position.emplace(Order[static_cast<std::size_t>(t)], t);
  // Last pre-order position of every subtree, filled from the back.
  std::vector<int> End(static_cast<std::size_t>(n));
  for (int t = n - 1; t >= 0; --t) {
    Hypertree* Current = Order[static_cast<std::size_t>(t)];
    End[static_cast<std::size_t>(t)] =
        Current->MyChildren.empty() ? t : End[static_cast<std::size_t>(Position.at(Current->MyChildren.back()))];
  }
  std::unordered_map<Node*, std::vector<int>> Positions = bagPositions(Order);
  std::unordered_set<Node*> InGraph;
  for (int i = 0; i < HGraph->getNbrOfNodes(); ++i) InGraph.insert(HGraph->getNode(i));

  Hypertree* Violation = nullptr;
  for (int t = 0; t < n && Violation == nullptr; ++t) {
    Hypertree* Current = Order[static_cast<std::size_t>(t)];
    for (Hyperedge* Edge : Current->lambda()) {
      for (int i = 0; i < Edge->getNbrOfNodes() && Violation == nullptr; ++i) {
        Node* Vertex = Edge->getNode(i);
        if (Current->chi().count(Vertex) != 0 || InGraph.count(Vertex) == 0) continue;
        auto It = Positions.find(Vertex);
        if (It == Positions.end()) continue;
        auto Below = std::lower_bound(It->second.begin(), It->second.end(), t);
        if (Below != It->second.end() && *Below <= End[static_cast<std::size_t>(t)]) Violation = Current;
      }
      if (Violation != nullptr) break;
    }
  }

  // Leave the labels as the step on the last node examined leaves them.
  Hypertree* Last = Violation != nullptr ? Violation : Order.back();
  HGraph->resetNodeLabels(0);
  Last->labelChiSets(1);
  for (Hyperedge* Edge : Last->lambda())
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i)
      if (Edge->getNode(i)->getLabel() != 0) Edge->getNode(i)->setLabel(2);
  for (Node* Vertex : Last->chi()) Vertex->decLabel(1);
  return Violation;
}

// --- Statistics ---

void Hypertree::outputToText(const char* cNameOfFile) {
  (void)cNameOfFile;
  writeErrorMsg("Not implemented yet.", "Hypertree::outputToText", true);
}

unsigned int Hypertree::getChiSetChangeSum() {
  unsigned int iSum = 0;
  for (Hypertree* Current : preOrder(this)) {
    if (Current->MyChildren.size() != 1) continue;
    const ChiSet& Mine = Current->chi();
    const ChiSet& Childs = Current->MyChildren.front()->chi();
    // Both sets are ordered by address: one merge counts the common part.
    std::size_t iCommon = 0;
    auto a = Mine.begin();
    auto b = Childs.begin();
    while (a != Mine.end() && b != Childs.end()) {
      if (*a < *b) {
        ++a;
      } else if (*b < *a) {
        ++b;
      } else {
        ++iCommon;
        ++a;
        ++b;
      }
    }
    iSum += static_cast<unsigned int>(Mine.size() + Childs.size() - 2 * iCommon);
  }
  return iSum;
}

double Hypertree::getAverageChiSetChange() {
  const unsigned int iSingleChild = getNumberOfDescendants() - getNumberOfJoinNodes() - getNumberOfLeafNodes();
  return static_cast<double>(getChiSetChangeSum()) / static_cast<double>(iSingleChild);
}

unsigned int Hypertree::getJoinOverheadSum() {
  unsigned int iSum = 0;
  std::vector<Node*> Common, Next;
  for (Hypertree* Current : preOrder(this)) {
    if (Current->MyChildren.size() < 2) continue;
    // The intersection shrinks child by child; each step walks the smaller
    // side, so a node's work is bounded by its children's bags.
    Common.assign(Current->chi().begin(), Current->chi().end());
    for (Hypertree* Child : Current->MyChildren) {
      const ChiSet& Theirs = Child->chi();
      Next.clear();
      if (Common.size() <= Theirs.size()) {
        for (Node* Vertex : Common)
          if (Theirs.count(Vertex) != 0) Next.push_back(Vertex);
      } else {
        for (Node* Vertex : Theirs)
          if (std::binary_search(Common.begin(), Common.end(), Vertex, std::less<Node*>())) Next.push_back(Vertex);
      }
      Common.swap(Next);
      if (Common.empty()) break;
    }
    iSum += static_cast<unsigned int>(Common.size());
  }
  return iSum;
}

double Hypertree::getAverageJoinOverhead() {
  return static_cast<double>(getJoinOverheadSum()) / static_cast<double>(getNumberOfJoinNodes());
}

// --- GML output ---

void Hypertree::outputToGML(Hypergraph* HGraph, const char* cNameOfFile) {
  setIDLabels(1);
  HGraph->labelNodesConsecutively();
  HGraph->labelEdgesConsecutively();
  std::ofstream GMLFile;
  if (cNameOfFile != nullptr) GMLFile.open(cNameOfFile, std::ios::out | std::ios::trunc);
  if (!GMLFile.is_open()) writeErrorMsg("Error opening file.", "Hypertree::outputToGML", true);
  GMLFile << "graph [\n\n  directed 0\n\n";
  writeGMLNodes(GMLFile);
  writeGMLEdges(GMLFile);
  GMLFile << "]\n";
  GMLFile.close();
}

void Hypertree::writeGMLNodes(std::ostream& GMLFile) {
  std::vector<void*> Ptr;
  std::vector<int> Keys;
  for (Hypertree* Current : preOrder(this)) {
    GMLFile << "  node [\n    id " << Current->iMyLabel << "\n    label \"{";
    writeNames(GMLFile, Current->lambda(), Ptr, Keys);
    GMLFile << "}    {";
    writeNames(GMLFile, Current->chi(), Ptr, Keys);
    GMLFile << "}\"\n"
               "    vgj [\n"
               "      labelPosition \"in\"\n"
               "      shape \"Rectangle\"\n"
               "    ]\n"
               "  ]\n\n";
  }
}

void Hypertree::writeGMLEdges(std::ostream& GMLFile) {
  // The node the output starts at gets no edge even below a parent: that
  // parent is not part of the file.
  for (Hypertree* Current : preOrder(this)) {
    if (Current == this || Current->MyParent == nullptr) continue;
    GMLFile << "  edge [\n    source " << Current->MyParent->iMyLabel << "\n    target " << Current->iMyLabel
            << "\n  ]\n\n";
  }
}

}  // namespace kivra
