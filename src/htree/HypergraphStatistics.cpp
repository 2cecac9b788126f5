// Hypergraph statistics and structural operations: node degrees, fill-in,
// connectivity, removal of contained hyperedges and division into parts.
//
// None of these is needed to decompose a hypergraph; they measure, test and
// simplify one. They are written to stay near-linear on large inputs: a
// hyperedge's neighbour list can be quadratic in the degree of its vertices,
// so walks between hyperedges go through the shared vertices instead, and
// subset tests are driven from the rarest vertex of the smaller hyperedge.
#include "kivra/Hypergraph.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iostream>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "kivra/Globals.h"
#include "kivra/Hyperedge.h"
#include "kivra/Node.h"

namespace kivra {

namespace {

// IDs of the hyperedges that divideNodes creates to join the vertices of a
// part that lie on the separator.
int G_EdgeID = 0;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// Vertices as numbers for the subset tests of reduce: sorted lists of small
// integers compare and index faster than pointers through hash tables.
using VertexList = std::vector<int>;

// Small ⊆ Large for sorted distinct vertex lists.
bool isContained(const VertexList& Small, const VertexList& Large) {
  if (Small.size() > Large.size()) return false;
  for (int v : Small)
    if (!std::binary_search(Large.begin(), Large.end(), v)) return false;
  return true;
}

struct VectorHash {
  std::size_t operator()(const VertexList& Vertices) const {
    std::size_t h = Vertices.size();
    for (int v : Vertices) h ^= std::hash<int>()(v) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h;
  }
};

// Absorptions of reduce, as (absorbing position, absorbed position) in the
// order in which they happen. Positions are those before the reduction.
using Absorptions = std::vector<std::pair<int, int>>;

// reduce with bFinalOnly: every hyperedge but the current last one is tested
// once, in turn, for containing the last one (which is then absorbed and the
// one before it becomes last); the hyperedge that ends up last absorbs every
// other hyperedge it contains.
Absorptions absorbIntoFinal(const std::vector<VertexList>& Nodes) {
  Absorptions Events;
  std::vector<int> Live(Nodes.size());
  for (std::size_t i = 0; i < Live.size(); ++i) Live[i] = static_cast<int>(i);
  for (std::size_t i = 0; i < Live.size(); ++i) {
    int iCurrent = Live[i];
    if (i + 1 < Live.size()) {
      if (isContained(Nodes[at(Live.back())], Nodes[at(iCurrent)])) {
        Events.emplace_back(iCurrent, Live.back());
        Live.pop_back();
      }
      continue;
    }
    for (std::size_t j = 0; j < Live.size(); ++j)
      if (j != i && isContained(Nodes[at(Live[j])], Nodes[at(iCurrent)])) Events.emplace_back(iCurrent, Live[j]);
    break;
  }
  return Events;
}

// reduce without bFinalOnly. Walking the positions in order, a hyperedge that
// is still present absorbs every present hyperedge it contains, in position
// order. So a hyperedge is "processed" (gets its turn) exactly when no
// earlier processed hyperedge contains it, and it is absorbed by the first
// processed hyperedge (by position) that contains it. Equal hyperedges form
// one class: only its first member can be processed. The containing classes
// of a class are found among the classes of its rarest vertex.
Absorptions absorbAll(const std::vector<VertexList>& Nodes, int iNbrOfVertices) {
  const int m = static_cast<int>(Nodes.size());
  // Classes of equal vertex sets, numbered by their first member.
  // The table is keyed by a member's position and compares vertex lists.
  auto Hash = [&Nodes](int e) { return VectorHash()(Nodes[at(e)]); };
  auto Equal = [&Nodes](int a, int b) { return Nodes[at(a)] == Nodes[at(b)]; };
  std::unordered_map<int, int, decltype(Hash), decltype(Equal)> ClassIndex(at(m), Hash, Equal);
  std::vector<int> ClassOf(at(m));
  std::vector<int> First;  // first member of each class
  for (int e = 0; e < m; ++e) {
    auto [It, bNew] = ClassIndex.emplace(e, static_cast<int>(First.size()));
    if (bNew) First.push_back(e);
    ClassOf[at(e)] = It->second;
  }
  ClassIndex.clear();
  const int c = static_cast<int>(First.size());

  // Classes of every vertex: ClassesAt[Start[v] .. Start[v + 1]).
  std::vector<int> Start(at(iNbrOfVertices) + 1, 0);
  for (int k = 0; k < c; ++k)
    for (int v : Nodes[at(First[at(k)])]) ++Start[at(v) + 1];
  for (int v = 0; v < iNbrOfVertices; ++v) Start[at(v) + 1] += Start[at(v)];
  std::vector<int> ClassesAt(at(Start.back()));
  {
    std::vector<int> Fill(Start.begin(), Start.end() - 1);
    for (int k = 0; k < c; ++k)
      for (int v : Nodes[at(First[at(k)])]) ClassesAt[at(Fill[at(v)]++)] = k;
  }

  // Strictly containing classes of every non-empty class; only a larger
  // class can contain another.
  std::vector<std::size_t> Size(at(c));
  for (int k = 0; k < c; ++k) Size[at(k)] = Nodes[at(First[at(k)])].size();
  std::vector<std::vector<int>> Containing(at(c));
  int iEmpty = -1;
  for (int k = 0; k < c; ++k) {
    const VertexList& Mine = Nodes[at(First[at(k)])];
    if (Mine.empty()) {
      iEmpty = k;
      continue;
    }
    int iRarest = Mine[0];
    for (int v : Mine)
      if (Start[at(v) + 1] - Start[at(v)] < Start[at(iRarest) + 1] - Start[at(iRarest)]) iRarest = v;
    for (int i = Start[at(iRarest)]; i < Start[at(iRarest) + 1]; ++i) {
      int d = ClassesAt[at(i)];
      if (Size[at(d)] > Mine.size() && isContained(Mine, Nodes[at(First[at(d)])])) Containing[at(k)].push_back(d);
    }
  }

  // Classes are numbered in the order of their first members, which is the
  // order in which they get their turn.
  std::vector<char> Processed(at(c), 0);
  int iFirstProcessed = INT_MAX;  // earliest first member of a processed non-empty class
  for (int k = 0; k < c; ++k) {
    if (k == iEmpty) continue;
    bool bProcessed = true;
    for (int d : Containing[at(k)])
      if (d < k && Processed[at(d)]) bProcessed = false;
    Processed[at(k)] = bProcessed;
    if (bProcessed) iFirstProcessed = std::min(iFirstProcessed, First[at(k)]);
  }
  // Earliest processed strictly containing hyperedge of every class.
  std::vector<int> Absorber(at(c), INT_MAX);
  for (int k = 0; k < c; ++k) {
    if (k == iEmpty) continue;
    for (int d : Containing[at(k)])
      if (Processed[at(d)]) Absorber[at(k)] = std::min(Absorber[at(k)], First[at(d)]);
  }
  if (iEmpty >= 0) {
    // The empty hyperedge lies in every other one.
    Processed[at(iEmpty)] = iFirstProcessed > First[at(iEmpty)];
    Absorber[at(iEmpty)] = iFirstProcessed;
  }

  // Absorbed hyperedges grouped by absorber, both in position order.
  std::vector<std::vector<int>> Absorbed(at(m));
  for (int e = 0; e < m; ++e) {
    int k = ClassOf[at(e)];
    int iBy = (e != First[at(k)] && Processed[at(k)]) ? First[at(k)] : Absorber[at(k)];
    if (iBy != INT_MAX) Absorbed[at(iBy)].push_back(e);
  }
  Absorptions Events;
  for (int g = 0; g < m; ++g)
    for (int e : Absorbed[at(g)]) Events.emplace_back(g, e);
  return Events;
}

}  // namespace

// --- Degrees ---

double Hypergraph::getAverageNodeDegree() {
  if (iMyMaxNbrOfNodes == 0) return -1.0;
  std::int64_t iSum = 0;
  for (int i = 0; i < iMyMaxNbrOfNodes; ++i) iSum += MyNodes[at(i)]->getNbrOfNeighbours();
  return static_cast<double>(iSum) / static_cast<double>(iMyMaxNbrOfNodes);
}

int Hypergraph::getMaximumNodeDegree() {
  int iMax = -1;
  for (int i = 0; i < iMyMaxNbrOfNodes; ++i) iMax = std::max(iMax, MyNodes[at(i)]->getNbrOfNeighbours());
  return iMax;
}

int Hypergraph::getMinimumNodeDegree() {
  if (iMyMaxNbrOfNodes == 0) return -1;
  int iMin = INT_MAX;
  for (int i = 0; i < iMyMaxNbrOfNodes; ++i) iMin = std::min(iMin, MyNodes[at(i)]->getNbrOfNeighbours());
  return iMin;
}

// --- Connectivity ---

void Hypergraph::labelReachEdges(Hyperedge* Edge) {
  // Depth-first over hyperedges sharing a vertex, which are exactly the
  // hyperedges' neighbours; each vertex is expanded once.
  std::unordered_set<Node*> Expanded;
  std::vector<Hyperedge*> Stack{Edge};
  Edge->setLabel(1);
  while (!Stack.empty()) {
    Hyperedge* Current = Stack.back();
    Stack.pop_back();
    for (int i = 0; i < Current->getNbrOfNodes(); ++i) {
      Node* Vertex = Current->getNode(i);
      if (Vertex == nullptr || !Expanded.insert(Vertex).second) continue;
      for (int j = 0; j < Vertex->getNbrOfEdges(); ++j) {
        Hyperedge* Next = Vertex->getEdge(j);
        if (Next == nullptr || Next->getLabel() != 0) continue;
        Next->setLabel(1);
        Stack.push_back(Next);
      }
    }
  }
}

bool Hypergraph::isConnected() {
  resetEdgeLabels(0);
  if (iMyMaxNbrOfEdges == 0) return true;
  labelReachEdges(MyEdges[0]);
  for (int i = 0; i < iMyMaxNbrOfEdges; ++i)
    if (MyEdges[at(i)]->getLabel() == 0) return false;
  return true;
}

// --- Fill-in ---

int Hypergraph::getMaximumNodeFill() {
  if (maxFill == -1) setFillStatistics();
  return maxFill;
}

int Hypergraph::getMinimumNodeFill() {
  if (minFill == -1) setFillStatistics();
  return minFill;
}

double Hypergraph::getAverageNodeFill() {
  if (avgFill == -1.0) setFillStatistics();
  return avgFill;
}

void Hypergraph::setFillStatistics() {
  // fill(i) = C(d, 2) - (pairs of i's neighbours that are adjacent), where
  // the adjacent pairs are the triangles through i. Triangles are counted
  // once each by orienting every adjacency from the lower to the higher
  // (degree, position) rank, which bounds the work by m^1.5.
  const int n = iMyMaxNbrOfNodes;
  labelNodesConsecutively();
  auto position = [this, n](Node* Vertex) {
    if (Vertex == nullptr) return -1;
    int iPos = Vertex->getLabel();
    return (iPos >= 0 && iPos < n && MyNodes[at(iPos)] == Vertex) ? iPos : -1;
  };

  // Distinct neighbour positions of every node.
  std::vector<std::vector<int>> Nbrs(at(n));
  for (int i = 0; i < n; ++i) {
    Node* Vertex = MyNodes[at(i)];
    std::vector<int>& Mine = Nbrs[at(i)];
    for (int j = 0; j < Vertex->getNbrOfNeighbours(); ++j) {
      int iPos = position(Vertex->getNeighbour(j));
      if (iPos >= 0 && iPos != i) Mine.push_back(iPos);
    }
    std::sort(Mine.begin(), Mine.end());
    Mine.erase(std::unique(Mine.begin(), Mine.end()), Mine.end());
  }
  auto ranksBelow = [&Nbrs](int a, int b) {
    return Nbrs[at(a)].size() != Nbrs[at(b)].size() ? Nbrs[at(a)].size() < Nbrs[at(b)].size() : a < b;
  };
  std::vector<std::vector<int>> Up(at(n));
  for (int i = 0; i < n; ++i)
    for (int u : Nbrs[at(i)])
      if (ranksBelow(i, u)) Up[at(i)].push_back(u);

  std::vector<std::int64_t> Triangles(at(n), 0);
  std::vector<int> Mark(at(n), -1);
  for (int i = 0; i < n; ++i) {
    for (int u : Up[at(i)]) Mark[at(u)] = i;
    for (int u : Up[at(i)])
      for (int w : Up[at(u)])
        if (Mark[at(w)] == i) {
          ++Triangles[at(i)];
          ++Triangles[at(u)];
          ++Triangles[at(w)];
        }
  }

  std::int64_t iMin = 0, iMax = 0, iSum = 0;
  for (int i = 0; i < n; ++i) {
    const auto d = static_cast<std::int64_t>(Nbrs[at(i)].size());
    const std::int64_t iFill = d * (d - 1) / 2 - Triangles[at(i)];
    iMin = i == 0 ? iFill : std::min(iMin, iFill);
    iMax = i == 0 ? iFill : std::max(iMax, iFill);
    iSum += iFill;
  }
  // A vertex of degree beyond 65,536 can have more missing pairs than an int
  // holds; the extremes are capped rather than wrapped.
  minFill = static_cast<int>(std::min<std::int64_t>(iMin, INT_MAX));
  maxFill = static_cast<int>(std::min<std::int64_t>(iMax, INT_MAX));
  // Without nodes this is 0/0, not a number.
  avgFill = static_cast<double>(iSum) / static_cast<double>(n);
}

int Node::getFillIn() {
  // The neighbours in the order of the neighbour list (ascending ID).
  std::vector<Node*> Nbrs;
  std::unordered_map<Node*, std::size_t> Seen;  // neighbour -> last neighbour index that met it
  for (int i = 0; i < getNbrOfNeighbours(); ++i) {
    Node* Nbr = getNeighbour(i);
    if (Nbr != nullptr && Seen.emplace(Nbr, SIZE_MAX).second) Nbrs.push_back(Nbr);
  }
  std::cout << "neihbours: " << Nbrs.size() << "\n";
  std::int64_t iSum = 0;
  for (std::size_t k = 0; k < Nbrs.size(); ++k) {
    Node* Nbr = Nbrs[k];
    // Members of N that are neighbours of Nbr, each counted once.
    std::int64_t iCommon = 0;
    for (int j = 0; j < Nbr->getNbrOfNeighbours(); ++j) {
      auto It = Seen.find(Nbr->getNeighbour(j));
      if (It == Seen.end() || It->second == k) continue;
      It->second = k;
      ++iCommon;
    }
    // Nbr itself is among the members it is not adjacent to.
    const std::int64_t iMissing = static_cast<std::int64_t>(Nbrs.size()) - iCommon - 1;
    std::cout << Nbr->getNbrOfNeighbours() << ";" << iMissing << ",";
    iSum += iMissing;
  }
  std::cout << "\n";
  // A node of degree beyond 65,536 can miss more pairs than an int holds;
  // capped as setFillStatistics caps the same count.
  return static_cast<int>(std::min<std::int64_t>(iSum / 2, INT_MAX));
}

// --- Removal of contained hyperedges ---

void Hypergraph::reduce(bool bFinalOnly) {
  // Every hyperedge as the sorted distinct numbers of its vertices: a node's
  // position, or a number past the positions for a vertex the hypergraph
  // does not hold.
  const int n = iMyMaxNbrOfNodes;
  const int m = iMyMaxNbrOfEdges;
  labelNodesConsecutively();
  std::unordered_map<Node*, int> Strangers;
  int iNbrOfVertices = n;
  std::vector<VertexList> Nodes(at(m));
  for (int e = 0; e < m; ++e) {
    Hyperedge* Edge = MyEdges[at(e)];
    VertexList& Mine = Nodes[at(e)];
    Mine.reserve(at(Edge->getNbrOfNodes()));
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i) {
      Node* Vertex = Edge->getNode(i);
      if (Vertex == nullptr) continue;
      int v = Vertex->getLabel();
      if (v < 0 || v >= n || MyNodes[at(v)] != Vertex) {
        auto [It, bNew] = Strangers.emplace(Vertex, iNbrOfVertices);
        iNbrOfVertices += bNew ? 1 : 0;
        v = It->second;
      }
      Mine.push_back(v);
    }
    std::sort(Mine.begin(), Mine.end());
    Mine.erase(std::unique(Mine.begin(), Mine.end()), Mine.end());
  }
  resetNodeLabels(0);
  const Absorptions Events = bFinalOnly ? absorbIntoFinal(Nodes) : absorbAll(Nodes, iNbrOfVertices);
  if (Events.empty()) return;

  // The absorptions are applied in their order. The absorbing hyperedge
  // records the absorbed one's ID and what that one had recorded up to then.
  // The absorbed one leaves the lists of its vertices and the neighbour lists
  // of the hyperedges sharing a vertex with it, so its own neighbour list
  // keeps the hyperedges absorbed after it and loses those absorbed before:
  // it is computed from the vertices' lists just before they drop it. The
  // vertices' own neighbour lists need no change: an absorbed hyperedge lies
  // inside one that stays, so no vertex loses a neighbour.
  std::vector<char> Removed(at(m), 0);
  std::unordered_set<Node*> Touched;
  for (auto [g, e] : Events) {
    Hyperedge* Absorbing = MyEdges[at(g)];
    Hyperedge* Edge = MyEdges[at(e)];
    Absorbing->insCoveredID(Edge->getID());
    for (int iID : *Edge->getCoveredIDs()) Absorbing->insCoveredID(iID);
    Removed[at(e)] = 1;
    Edge->updateNeighbourhood();
    Edge->getNbrOfNeighbours();
    // One removal per occurrence: a vertex held twice holds the hyperedge twice.
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i) {
      Node* Vertex = Edge->getNode(i);
      if (Vertex == nullptr) continue;
      Vertex->remEdge(Edge);
      Touched.insert(Vertex);
    }
  }
  // The remaining hyperedges that shared a vertex with a removed one
  // recompute their neighbour lists when next read, which drops it.
  for (Node* Vertex : Touched)
    for (int i = 0; i < Vertex->getNbrOfEdges(); ++i)
      if (Vertex->getEdge(i) != nullptr) Vertex->getEdge(i)->updateNeighbourhood();

  // The removed hyperedges leave the list (they are not deleted).
  std::vector<Hyperedge*> Remaining;
  Remaining.reserve(at(m - static_cast<int>(Events.size())));
  for (int e = 0; e < m; ++e)
    if (!Removed[at(e)]) Remaining.push_back(MyEdges[at(e)]);
  MyEdges = std::move(Remaining);
  iMyMaxNbrOfEdges = static_cast<int>(MyEdges.size());
}

// --- Division into parts ---

void Hypergraph::divideNodes(int* iPartitioning, Hypergraph*** Subgraphs, Hyperedge*** Separator) {
  const int n = iMyMaxNbrOfNodes;
  const int m = iMyMaxNbrOfEdges;
  int k = 0;
  for (int i = 0; i < n; ++i) k = std::max(k, iPartitioning[i] + 1);

  Hypergraph** Parts = new (std::nothrow) Hypergraph*[at(k) + 1];
  if (Parts == nullptr) writeErrorMsg("Error assigning memory.", "Hypergraph::divideNodes", true);
  for (int p = 0; p < k; ++p) Parts[p] = new Hypergraph;
  Parts[k] = nullptr;
  *Subgraphs = Parts;

  // Nodes carry their part; a hyperedge the common part of its nodes, or -1
  // when they lie in different parts (or when it has none).
  for (int i = 0; i < n; ++i) MyNodes[at(i)]->setLabel(iPartitioning[i]);
  for (int j = 0; j < m; ++j) {
    Hyperedge* Edge = MyEdges[at(j)];
    bool bFirst = true;
    int iPart = -1;
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i) {
      Node* Vertex = Edge->getNode(i);
      if (Vertex == nullptr) continue;
      if (bFirst) {
        iPart = Vertex->getLabel();
        bFirst = false;
      } else if (Vertex->getLabel() != iPart) {
        iPart = -1;
        break;
      }
    }
    Edge->setLabel(iPart);
  }
  // A node whose hyperedges all cross parts belongs to no part.
  for (int i = 0; i < n; ++i) {
    Node* Vertex = MyNodes[at(i)];
    bool bInPart = false;
    for (int j = 0; j < Vertex->getNbrOfEdges() && !bInPart; ++j)
      bInPart = Vertex->getEdge(j) != nullptr && Vertex->getEdge(j)->getLabel() != -1;
    if (!bInPart) {
      Vertex->setLabel(-1);
      iPartitioning[i] = -1;
    }
  }

  // Clones of every part's nodes and hyperedges, found by ID below (the
  // first clone with an ID, as a search in stored order would find it).
  std::vector<std::unordered_map<int, Node*>> NodeClones(at(k));
  std::vector<std::unordered_map<int, Hyperedge*>> EdgeClones(at(k));
  for (int i = 0; i < n; ++i) {
    Node* Vertex = MyNodes[at(i)];
    int p = Vertex->getLabel();
    if (p < 0 || p >= k) continue;
    Node* Copy = Vertex->clone();
    Parts[p]->MyNodes.push_back(Copy);
    NodeClones[at(p)].emplace(Copy->getID(), Copy);
  }
  std::vector<Hyperedge*> SeparatorEdges;
  for (int j = 0; j < m; ++j) {
    Hyperedge* Edge = MyEdges[at(j)];
    int p = Edge->getLabel();
    if (p == -1) SeparatorEdges.push_back(Edge);
    if (p < 0 || p >= k) continue;
    Hyperedge* Copy = Edge->clone();
    Parts[p]->MyEdges.push_back(Copy);
    EdgeClones[at(p)].emplace(Copy->getID(), Copy);
  }
  for (int p = 0; p < k; ++p) {
    Hypergraph* Part = Parts[p];
    Part->iMyMaxNbrOfNodes = static_cast<int>(Part->MyNodes.size());
    Part->iMyMaxNbrOfEdges = static_cast<int>(Part->MyEdges.size());
    Part->MyEdges.reserve(Part->MyEdges.size() + 1);
  }

  // Per part: the IDs of its nodes on separator hyperedges (T_N) and of its
  // hyperedges at those nodes (T_E).
  std::vector<std::vector<int>> SepNodeIDs(at(k)), SepEdgeIDs(at(k));
  std::unordered_set<Node*> Met;
  for (Hyperedge* Edge : SeparatorEdges)
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i) {
      Node* Vertex = Edge->getNode(i);
      if (Vertex == nullptr) continue;
      int p = Vertex->getLabel();
      if (p < 0 || p >= k || !Met.insert(Vertex).second) continue;
      SepNodeIDs[at(p)].push_back(Vertex->getID());
      for (int j = 0; j < Vertex->getNbrOfEdges(); ++j) {
        Hyperedge* Own = Vertex->getEdge(j);
        if (Own != nullptr && Own->getLabel() == p) SepEdgeIDs[at(p)].push_back(Own->getID());
      }
    }
  for (int p = 0; p < k; ++p) {
    std::vector<int>& TN = SepNodeIDs[at(p)];
    std::vector<int>& TE = SepEdgeIDs[at(p)];
    std::sort(TN.begin(), TN.end());
    TN.erase(std::unique(TN.begin(), TN.end()), TN.end());
    std::sort(TE.begin(), TE.end());
    TE.erase(std::unique(TE.begin(), TE.end()), TE.end());
    if (TN.empty() || TE.empty()) continue;
    // One hyperedge joins the part's separator nodes; it takes their first
    // edge slot.
    Hyperedge* Joint = new Hyperedge(G_EdgeID++, 0, static_cast<int>(TN.size()), static_cast<int>(TE.size()));
    Hypergraph* Part = Parts[p];
    int iPos = 0;
    for (int i = 0; i < Part->iMyMaxNbrOfNodes; ++i) {
      Node* Copy = Part->MyNodes[at(i)];
      if (!std::binary_search(TN.begin(), TN.end(), Copy->getID())) continue;
      Joint->insNode(Copy, iPos++);
      Copy->insEdge(Joint, 0);
    }
    Part->MyEdges.push_back(Joint);
    ++Part->iMyMaxNbrOfEdges;
  }

  // Link the clones: every hyperedge clone receives the clones of its nodes
  // in ascending ID order; each node clone the hyperedge clone in its first
  // free slot (its slots fill from the front, so a cursor finds it).
  std::unordered_map<Node*, int> FreeSlot;
  std::vector<Node*> Members;
  for (int j = 0; j < m; ++j) {
    Hyperedge* Edge = MyEdges[at(j)];
    int p = Edge->getLabel();
    if (p < 0 || p >= k) continue;
    Hyperedge* Copy = EdgeClones[at(p)].at(Edge->getID());
    Members.clear();
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i)
      if (Edge->getNode(i) != nullptr) Members.push_back(Edge->getNode(i));
    std::stable_sort(Members.begin(), Members.end(),
                     [](const Node* a, const Node* b) { return a->getID() < b->getID(); });
    for (std::size_t q = 0; q < Members.size(); ++q) {
      auto Found = NodeClones[at(p)].find(Members[q]->getID());
      if (Found == NodeClones[at(p)].end()) writeErrorMsg("Node not found.", "Hypergraph::divideNodes", true);
      Node* NodeCopy = Found->second;
      Copy->insNode(NodeCopy, static_cast<int>(q));
      int& iFree = FreeSlot.emplace(NodeCopy, 0).first->second;
      while (iFree < NodeCopy->getNbrOfEdges() && NodeCopy->getEdge(iFree) != nullptr) ++iFree;
      // No free slot left is fatal ("Position not available.").
      NodeCopy->insEdge(Copy, iFree);
    }
  }
  for (int p = 0; p < k; ++p) {
    Parts[p]->updateCompSizes();
    Parts[p]->updateNeighbourhood();
  }

  Hyperedge** Sep = new (std::nothrow) Hyperedge*[SeparatorEdges.size() + 1];
  if (Sep == nullptr) writeErrorMsg("Error assigning memory.", "Hypergraph::divideNodes", true);
  std::copy(SeparatorEdges.begin(), SeparatorEdges.end(), Sep);
  Sep[SeparatorEdges.size()] = nullptr;
  *Separator = Sep;
}

}  // namespace kivra
