// The ordering model of the local searches: construction of the primal graph
// (from a hypergraph or a graph file), the fitness of an elimination ordering
// (its width), greedy orderings, moves and perturbations.
//
// Fitness. Eliminating the nodes in ordering order and turning the later
// neighbours of each eliminated node into a clique, the value at a position
// is the number of still uneliminated neighbours of its node; the width is
// the largest value. The fill edges of an eliminated node are handed on to
// its next-eliminated neighbour only: that neighbour is eliminated before all
// the others, so the clique appears in time and far fewer edges are written.
// Fill entries are appended behind the primal part of the neighbour lists and
// stay there (with their working lengths) until the next computation; the
// adjacency relation is cleaned at the end of every computation.
//
// Greedy orderings scan the nodes by increasing number and break ties by the
// reservoir rule (one rand() draw per tied node). The plain scans of maximum
// cardinality search, minimum degree and minimum fill are replaced by a
// segment tree over node numbers that jumps from one strict record to the
// next and visits exactly the tied nodes, so a step costs the draws it makes
// instead of a pass over all nodes.
#include "kivra/probSol.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <new>
#include <string>

#include "kivra/Globals.h"
#include "kivra/Hypergraph.h"
#include "kivra/SetCoverLS.h"

namespace kivra {

namespace {

constexpr int kMaxNodes = 65536;  // node numbers are 16-bit

template <typename T>
T* allocArray(int n, const char* cLocation) {
  T* p = new (std::nothrow) T[static_cast<std::size_t>(n > 0 ? n : 0)]();
  if (p == nullptr) writeErrorMsg("Error assigning memory.", cLocation, true);
  return p;
}

// Max segment tree over node numbers with 64-bit keys. A removed node holds
// kGone, which no search threshold reaches.
class RecordTree {
 public:
  static constexpr std::int64_t kGone = INT64_MIN;

  explicit RecordTree(int n) {
    while (iSize < n) iSize *= 2;
    Key.assign(2 * static_cast<std::size_t>(iSize), kGone);
  }
  // Sets the leaves 0 .. n-1 from a key function, then builds the inner nodes.
  template <typename F>
  void build(int n, F KeyOf) {
    for (int i = 0; i < n; ++i) Key[static_cast<std::size_t>(iSize + i)] = KeyOf(i);
    for (int i = iSize - 1; i >= 1; --i) Key[static_cast<std::size_t>(i)] = std::max(Key[2 * static_cast<std::size_t>(i)], Key[2 * static_cast<std::size_t>(i) + 1]);
  }
  std::int64_t get(int i) const { return Key[static_cast<std::size_t>(iSize + i)]; }
  void set(int i, std::int64_t k) {
    std::size_t j = static_cast<std::size_t>(iSize + i);
    Key[j] = k;
    for (j >>= 1; j >= 1; j >>= 1) Key[j] = std::max(Key[2 * j], Key[2 * j + 1]);
  }
  // The smallest index >= iFrom whose key is >= t, or -1.
  int firstAtLeast(int iFrom, std::int64_t t) const {
    if (iFrom >= iSize) return -1;
    std::size_t j = static_cast<std::size_t>(iSize + iFrom);
    for (;;) {
      if (Key[j] >= t) {
        while (j < static_cast<std::size_t>(iSize)) {
          j *= 2;
          if (Key[j] < t) ++j;
        }
        return static_cast<int>(j) - iSize;
      }
      while (j & 1) j >>= 1;  // climb while a right child
      if (j == 0) return -1;  // climbed past the root
      ++j;                     // the next subtree to the right
    }
  }

  // The reservoir scan over the live nodes by increasing number, maximising:
  // a key above the best is a new record (choice, tie count 1, no draw); an
  // equal key raises the tie count to k and wins when rand() % k + 1 == k.
  // The scan starts with best = iStartBest and tie count 0.
  int reservoirMax(std::int64_t iStartBest) const {
    std::int64_t best = iStartBest;
    int ties = 0;
    int choice = -1;
    int x = 0;
    for (;;) {
      const int r = (best == INT64_MAX) ? -1 : firstAtLeast(x, best + 1);
      // Every live key in [x, r) is at most best: the tied ones are those
      // reaching best.
      for (int y = firstAtLeast(x, best); y >= 0 && (r < 0 || y < r); y = firstAtLeast(y + 1, best)) {
        ++ties;
        if (std::rand() % ties + 1 == ties) choice = y;
      }
      if (r < 0) return choice;
      best = get(r);
      choice = r;
      ties = 1;
      x = r + 1;
    }
  }

 private:
  int iSize = 1;
  std::vector<std::int64_t> Key;
};

// Start value of a minimising scan (keys negated): the first live node is a
// strict record.
constexpr std::int64_t kMinScanStart = RecordTree::kGone + 1;

// A set of directed node pairs with constant expected time membership,
// growing with the pairs it holds (open addressing, linear probing): the
// adjacency of the list-only model's minimum fill.
class PairSet {
 public:
  bool test(unsigned u, unsigned v) const;
  void set(unsigned u, unsigned v);

 private:
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
  static std::uint64_t key(unsigned u, unsigned v) { return (std::uint64_t{u} << 32) | v; }
  std::size_t slotOf(std::uint64_t k) const {
    return static_cast<std::size_t>((k * 0x9E3779B97F4A7C15ull) >> 17) & iMask;
  }
  void grow();

  std::vector<std::uint64_t> Slots;
  std::size_t iMask = 0;
  std::size_t iCount = 0;
};

bool PairSet::test(unsigned u, unsigned v) const {
  if (iCount == 0) return false;
  const std::uint64_t k = key(u, v);
  for (std::size_t i = slotOf(k);; i = (i + 1) & iMask) {
    if (Slots[i] == k) return true;
    if (Slots[i] == kEmpty) return false;
  }
}

void PairSet::set(unsigned u, unsigned v) {
  if (2 * (iCount + 1) > Slots.size()) grow();
  const std::uint64_t k = key(u, v);
  std::size_t i = slotOf(k);
  for (; Slots[i] != kEmpty; i = (i + 1) & iMask)
    if (Slots[i] == k) return;
  Slots[i] = k;
  ++iCount;
}

void PairSet::grow() {
  std::vector<std::uint64_t> Old;
  Old.swap(Slots);
  const std::size_t iNewSize = Old.empty() ? 16 : Old.size() * 2;
  Slots.assign(iNewSize, kEmpty);
  iMask = iNewSize - 1;
  for (std::uint64_t k : Old) {
    if (k == kEmpty) continue;
    std::size_t i = slotOf(k);
    while (Slots[i] != kEmpty) i = (i + 1) & iMask;
    Slots[i] = k;
  }
}

}  // namespace

// ------------------------------------------------------------ AdjacencyMatrix

void AdjacencyMatrix::allocate(int n) {
  reset();
  const std::size_t iNodes = static_cast<std::size_t>(std::max(n, 0));
  iWordsPerRow = (iNodes + 63) / 64;
  // calloc: the pages of a large matrix are zeroed by the system as they are
  // first touched, not written here.
  Bits = static_cast<std::uint64_t*>(std::calloc(std::max<std::size_t>(iNodes * iWordsPerRow, 1), sizeof(std::uint64_t)));
  if (Bits == nullptr) writeErrorMsg("Error assigning memory.", "probSol::iZeroOneGraph", true);
}

void AdjacencyMatrix::reset() {
  std::free(Bits);
  Bits = nullptr;
  iWordsPerRow = 0;
  iCount = 0;
}

// ------------------------------------------------------------ construction

probSol::probSol()
    : bNodeEliminated(nullptr),
      Hyp(nullptr),
      iTempNodes(nullptr),
      iEdgeSelected(nullptr),
      iNrOfNeighboors(nullptr),
      iNrOfNodeEdges(nullptr),
      iNodesEdges(nullptr),
      iGraph(nullptr),
      bHypertreeAlg(false),
      iTempNrOfNeighboors(nullptr),
      iNodePosInOrdering(nullptr),
      iMaxCliqueNodes(nullptr),
      iNrOfNodes(0),
      iNrOfEdges(0),
      iCliqueSizes(nullptr),
      iElimOrdering(nullptr),
      lNumberOfEvaluations(0),
      fFitness(0),
      iLargestClique(0),
      iLargestCliqueNode(0),
      iNrNodesLargestClique(0) {}

probSol::~probSol() { release(); }

void probSol::release() {
  if (iGraph != nullptr) {
    for (int i = 0; i < iNrOfNodes; ++i) std::free(iGraph[i]);
    delete[] iGraph;
  }
  if (iNodesEdges != nullptr) {
    for (int i = 0; i < iNrOfNodes; ++i) delete[] iNodesEdges[i];
    delete[] iNodesEdges;
  }
  delete[] bNodeEliminated;
  delete[] iTempNodes;
  delete[] iEdgeSelected;
  delete[] iNrOfNeighboors;
  delete[] iNrOfNodeEdges;
  delete[] iTempNrOfNeighboors;
  delete[] iNodePosInOrdering;
  delete[] iMaxCliqueNodes;
  delete[] iCliqueSizes;
  delete[] iElimOrdering;
  bNodeEliminated = nullptr;
  iTempNodes = nullptr;
  iEdgeSelected = nullptr;
  iNrOfNeighboors = nullptr;
  iNrOfNodeEdges = nullptr;
  iNodesEdges = nullptr;
  iGraph = nullptr;
  iTempNrOfNeighboors = nullptr;
  iNodePosInOrdering = nullptr;
  iMaxCliqueNodes = nullptr;
  iCliqueSizes = nullptr;
  iElimOrdering = nullptr;
  iNrOfNodes = 0;
  iNrOfEdges = 0;
  Hyp = nullptr;
  bMyEdgeListsValid = false;
  iZeroOneGraph.reset();
  RowCapacity.clear();
}

void probSol::allocateNodeArrays(int n, const char* cLocation) {
  iNodePosInOrdering = allocArray<unsigned short>(n, cLocation);
  iElimOrdering = allocArray<unsigned short>(n, cLocation);
  iMaxCliqueNodes = allocArray<unsigned short>(n, cLocation);
  iTempNodes = allocArray<unsigned short>(n, cLocation);
  iGraph = allocArray<unsigned short*>(n, cLocation);
  iNodesEdges = allocArray<unsigned short*>(n, cLocation);
  iNrOfNeighboors = allocArray<unsigned short>(n, cLocation);
  iNrOfNodeEdges = allocArray<unsigned short>(n, cLocation);
  iCliqueSizes = allocArray<unsigned short>(n, cLocation);
  iTempNrOfNeighboors = allocArray<unsigned short>(n, cLocation);
  bNodeEliminated = allocArray<bool>(n, cLocation);
  RowCapacity.assign(static_cast<std::size_t>(n), 0);
  iNrOfNodes = n;
  markAllStale();
}

void probSol::ensureAdjacency() {
  if (iZeroOneGraph.allocated()) return;
  iZeroOneGraph.allocate(iNrOfNodes);
  for (int v = 0; v < iNrOfNodes; ++v)
    for (unsigned k = 0; k < iNrOfNeighboors[v]; ++k) iZeroOneGraph.set(static_cast<unsigned>(v), iGraph[v][k]);
}

void probSol::ensureRowCapacity(int v, unsigned iNeeded) {
  unsigned& cap = RowCapacity[static_cast<std::size_t>(v)];
  if (iNeeded <= cap) return;
  const unsigned iNewCap = std::max(iNeeded, std::max(4u, cap * 2));
  void* p = std::realloc(iGraph[v], iNewCap * sizeof(unsigned short));
  if (p == nullptr) writeErrorMsg("Error assigning memory.", "probSol::iGraph", true);
  iGraph[v] = static_cast<unsigned short*>(p);
  cap = iNewCap;
}

void probSol::appendNeighbour(int v, int w) {
  const unsigned len = iTempNrOfNeighboors[v];
  ensureRowCapacity(v, len + 1);
  iGraph[v][len] = static_cast<unsigned short>(w);
  iTempNrOfNeighboors[v] = static_cast<unsigned short>(len + 1);
}

void probSol::appendPrimal(int v, int w) {
  const unsigned len = iNrOfNeighboors[v];
  ensureRowCapacity(v, len + 1);
  iGraph[v][len] = static_cast<unsigned short>(w);
  iNrOfNeighboors[v] = static_cast<unsigned short>(len + 1);
  iTempNrOfNeighboors[v] = static_cast<unsigned short>(len + 1);
}

void probSol::addFillEdge(int u, int w) {
  appendNeighbour(u, w);
  appendNeighbour(w, u);
  iZeroOneGraph.set(static_cast<unsigned>(u), static_cast<unsigned>(w));
  iZeroOneGraph.set(static_cast<unsigned>(w), static_cast<unsigned>(u));
}

void probSol::createGraphFromHyp(Hypergraph* myHypergraph) {
  static const char* const cLoc = "probSol::createGraphFromHyp";
  release();
  Hyp = myHypergraph;
  const int n = myHypergraph->getNbrOfNodes();
  const int m = myHypergraph->getNbrOfEdges();
  if (n > kMaxNodes) writeErrorMsg("Set size exceeded.", cLoc, true);
  allocateNodeArrays(n, cLoc);
  iNrOfEdges = m;
  iEdgeSelected = allocArray<int>(m, cLoc);
  myHypergraph->labelNodesConsecutively();
  myHypergraph->labelEdgesConsecutively();
  for (int i = 0; i < n; ++i) {
    iElimOrdering[i] = static_cast<unsigned short>(n - 1 - i);
    iNodePosInOrdering[n - 1 - i] = static_cast<unsigned short>(i);
  }
  for (int i = 0; i < n; ++i)
    ensureRowCapacity(i, static_cast<unsigned>(myHypergraph->getNode(i)->getNbrOfNeighbours()));
  // Hyperedge numbers are stored in 16 bits; beyond that the lists (used by
  // the hypertree mode only) are not kept.
  bMyEdgeListsValid = m <= kMaxNodes;
  // The adjacency matrix is built with the lists: a pair already set was
  // appended to both lists when its other end was met.
  iZeroOneGraph.allocate(n);
  for (int i = 0; i < n; ++i) {
    Node* v = myHypergraph->getNode(i);
    const int iNbrs = v->getNbrOfNeighbours();
    for (int k = 0; k < iNbrs; ++k) {
      const unsigned w = static_cast<unsigned>(v->getNeighbour(k)->getLabel());
      const unsigned u = static_cast<unsigned>(i);
      if (iZeroOneGraph.test(u, w)) continue;
      if (w != u) {
        appendPrimal(i, static_cast<int>(w));
        appendPrimal(static_cast<int>(w), i);
      }
      iZeroOneGraph.set(u, w);
      iZeroOneGraph.set(w, u);
    }
    const int iEdges = v->getNbrOfEdges();
    if (iEdges >= kMaxNodes) bMyEdgeListsValid = false;
    if (!bMyEdgeListsValid) continue;
    iNodesEdges[i] = allocArray<unsigned short>(iEdges, cLoc);
    for (int k = 0; k < iEdges; ++k) iNodesEdges[i][k] = static_cast<unsigned short>(v->getEdge(k)->getLabel());
    iNrOfNodeEdges[i] = static_cast<unsigned short>(iEdges);
  }
}

void probSol::createGraphFromHypNew(Hypergraph* myHypergraph) {
  static const char* const cLoc = "probSol::createGraphFromHypNew";
  release();
  Hyp = myHypergraph;
  const int n = myHypergraph->getNbrOfNodes();
  const int m = myHypergraph->getNbrOfEdges();
  if (n > kMaxNodes) writeErrorMsg("Set size exceeded.", cLoc, true);
  allocateNodeArrays(n, cLoc);
  iNrOfEdges = m;
  iEdgeSelected = allocArray<int>(m, cLoc);
  myHypergraph->labelNodesConsecutively();
  myHypergraph->labelEdgesConsecutively();
  for (int i = 0; i < n; ++i) {
    iElimOrdering[i] = static_cast<unsigned short>(i);
    iNodePosInOrdering[i] = static_cast<unsigned short>(i);
  }
  for (int i = 0; i < n; ++i)
    ensureRowCapacity(i, static_cast<unsigned>(myHypergraph->getNode(i)->getNbrOfNeighbours()));
  for (int i = 0; i < n; ++i) {
    Node* v = myHypergraph->getNode(i);
    const int iNbrs = v->getNbrOfNeighbours();
    for (int k = 0; k < iNbrs; ++k) {
      const int w = v->getNeighbour(k)->getLabel();
      if (w <= i) continue;
      appendPrimal(i, w);
      appendPrimal(w, i);
    }
  }
  bMyEdgeListsValid = true;  // no hyperedge lists: every node has none
}

void probSol::readFromFile(const char* strnameoffile) {
  static const char* const cLoc = "probSol::readFromFile";
  std::ifstream In(strnameoffile);
  if (!In) {
    std::cout << "\nError opening file...  " << strnameoffile << "\n"
              << "Probleme me hapjen e fajllit"
              << "\n\n"
              << std::flush;
    std::exit(1);
  }
  bool bHaveGraph = false;
  std::string Line;
  while (std::getline(In, Line)) {
    if (Line.empty()) continue;
    if (Line[0] == 'p') {
      char c = 0;
      char cWord[256];
      // Read wide (an out-of-range number saturates) so that a count beyond
      // an int is refused instead of wrapping into a small one.
      long long n = 0;
      long long m = 0;
      if (std::sscanf(Line.c_str(), "%c %255s %lld %lld", &c, cWord, &n, &m) < 4) continue;
      std::cout << "\n\nNr nodes " << n << "Nr. of edges:" << m << "\n\n";
      if (n < 0 || n > kMaxNodes || m < INT_MIN || m > INT_MAX) writeErrorMsg("Set size exceeded.", cLoc, true);
      // A graph read from a file gets the ordering arrays too (identity
      // ordering) and empty hyperedge lists, so that every operation but the
      // hypertree mode (which refuses it) works.
      release();
      allocateNodeArrays(static_cast<int>(n), cLoc);
      iZeroOneGraph.allocate(static_cast<int>(n));
      iNrOfEdges = static_cast<int>(m);
      for (int i = 0; i < n; ++i) {
        iElimOrdering[i] = static_cast<unsigned short>(i);
        iNodePosInOrdering[i] = static_cast<unsigned short>(i);
      }
      bMyEdgeListsValid = true;
      bHaveGraph = true;
    } else if (Line[0] == 'e') {
      char c = 0;
      long long a = 0;
      long long b = 0;
      if (std::sscanf(Line.c_str(), "%c %lld %lld", &c, &a, &b) < 3) continue;
      // Edges before the problem line or with nodes outside 1 .. n are skipped.
      if (!bHaveGraph || a < 1 || b < 1 || a > iNrOfNodes || b > iNrOfNodes) continue;
      const unsigned u = static_cast<unsigned>(a - 1);
      const unsigned v = static_cast<unsigned>(b - 1);
      if (iZeroOneGraph.test(u, v)) continue;  // a repeated edge
      if (u != v) {
        appendPrimal(static_cast<int>(u), static_cast<int>(v));
        appendPrimal(static_cast<int>(v), static_cast<int>(u));
      }
      iZeroOneGraph.set(u, v);
      iZeroOneGraph.set(v, u);
    }
  }
}

// ------------------------------------------------------------ fitness

void probSol::clearFill(bool bBothDirections) {
  for (int v = 0; v < iNrOfNodes; ++v) {
    for (unsigned k = iNrOfNeighboors[v]; k < iTempNrOfNeighboors[v]; ++k) {
      const unsigned w = iGraph[v][k];
      iZeroOneGraph.clear(static_cast<unsigned>(v), w);
      if (bBothDirections) iZeroOneGraph.clear(w, static_cast<unsigned>(v));
    }
  }
}

int probSol::windowEnd(int iHighPosition) const {
  if (iHighPosition == -1 || iMyStaleFrom > iMyStaleTo) return iHighPosition;
  // Stored values are reused beyond the window only when they are current.
  // An early stop leaves the positions after it holding values of an older
  // ordering; reusing those would give a width a whole computation does not.
  // A stale value can only be recomputed from the elimination state in front
  // of it, so the computed part reaches over it.
  return std::max(iHighPosition, iMyStaleTo);
}

void probSol::noteStale(int iStop, int iHigh) {
  if (iStop < 0) {
    iMyStaleFrom = 0;
    iMyStaleTo = -1;
  } else {
    // Positions beyond the computed part were current before and stay so.
    iMyStaleFrom = iStop;
    iMyStaleTo = iHigh == -1 ? iNrOfNodes - 2 : iHigh;
  }
}

void probSol::markAllStale() {
  iMyStaleFrom = 0;
  iMyStaleTo = iNrOfNodes - 2;
}

int probSol::coverSize(int iBagSize, int iColumns, int iStamp) {
  bool* bMatrix = new (std::nothrow) bool[static_cast<std::size_t>(iBagSize) * static_cast<std::size_t>(iColumns) + 1]();
  if (bMatrix == nullptr) writeErrorMsg("Error assigning memory.", "probSol/calculateFitness", true);
  for (int r = 0; r < iBagSize; ++r) {
    const int node = iTempNodes[r];
    for (int k = 0; k < iNrOfNodeEdges[node]; ++k) {
      const int col = iEdgeSelected[iNodesEdges[node][k]] - iStamp;
      bMatrix[static_cast<std::size_t>(r) * static_cast<std::size_t>(iColumns) + static_cast<std::size_t>(col)] = true;
    }
  }
  SetCoverLS Cover;
  Cover.setTSParametres(1000000000, 1000, 0, 10, false, true);
  Cover.minimalSC(bMatrix, iColumns, iBagSize, 2);
  const int iSize = Cover.getNrOfSelectedSets();
  delete[] bMatrix;
  return iSize;
}

void probSol::calculateFitness(int iLowestPosition, int iHighPosition) {
  const int n = iNrOfNodes;
  ensureAdjacency();
  fFitness = 0;
  iNrNodesLargestClique = 0;
  for (int v = 0; v < n; ++v) {
    bNodeEliminated[v] = false;
    iTempNrOfNeighboors[v] = iNrOfNeighboors[v];
  }
  if (bHypertreeAlg) {
    // A graph read from a file has no hyperedges to cover its bags with.
    if (Hyp == nullptr) writeErrorMsg("Hypertree mode needs a graph built from a hypergraph.", "probSol/calculateFitness", true);
    if (!bMyEdgeListsValid) writeErrorMsg("Set size exceeded.", "probSol/calculateFitness", true);
    for (int e = 0; e < iNrOfEdges; ++e) iEdgeSelected[e] = -1;
  }
  const int iHigh = windowEnd(iHighPosition);
  int iStop = -1;
  int best = 0;
  int bestHT = 0;
  int stamp = 0;
  for (int a = 0; a <= n - 2; ++a) {
    const int v = iElimOrdering[a];
    int value;
    int cover;
    if (iHigh != -1 && a > iHigh) {
      // Beyond the window the elimination state does not depend on the
      // order inside it: the stored value still holds (windowEnd keeps the
      // values an early stop left stale inside the computed part).
      value = cover = iCliqueSizes[a];
    } else {
      if (n - a < best) {  // no remaining position can exceed best
        iStop = a;
        break;
      }
      const unsigned short* Row = iGraph[v];
      const unsigned len = iTempNrOfNeighboors[v];
      int count = 0;
      int next = -1;
      for (unsigned k = 0; k < len; ++k) {
        const int w = Row[k];
        if (bNodeEliminated[w]) continue;
        ++count;
        if (next < 0 || iNodePosInOrdering[w] < iNodePosInOrdering[next]) next = w;
      }
      value = cover = count;
      if (bHypertreeAlg) {
        const bool bCollect = iLowestPosition == -1 || a < iLowestPosition;
        int iBag = 0;
        int iColumns = 0;
        if (bCollect) {
          iTempNodes[iBag++] = static_cast<unsigned short>(v);
          for (unsigned k = 0; k < len; ++k)
            if (!bNodeEliminated[Row[k]]) iTempNodes[iBag++] = Row[k];
          for (int r = 0; r < iBag; ++r) {
            const int node = iTempNodes[r];
            for (int k = 0; k < iNrOfNodeEdges[node]; ++k) {
              const int e = iNodesEdges[node][k];
              if (iEdgeSelected[e] < stamp) iEdgeSelected[e] = stamp + iColumns++;
            }
          }
        }
        const int iEstimate = std::max(1, bestHT - 2);
        if (value > best - 15)
          cover = bCollect ? coverSize(iBag, iColumns, stamp) : iEstimate;
        else if (iLowestPosition != -1 && a < iLowestPosition)
          cover = isStale(a) ? coverSize(iBag, iColumns, stamp) : iCliqueSizes[a];
        else
          cover = iEstimate;
        stamp += iColumns;
      }
      if (count > 1) {
        for (unsigned k = 0; k < len; ++k) {
          const int w = Row[k];
          if (bNodeEliminated[w] || w == next) continue;
          if (iZeroOneGraph.test(static_cast<unsigned>(w), static_cast<unsigned>(next))) continue;
          appendNeighbour(next, w);
          iZeroOneGraph.set(static_cast<unsigned>(w), static_cast<unsigned>(next));
          iZeroOneGraph.set(static_cast<unsigned>(next), static_cast<unsigned>(w));
        }
      }
      bNodeEliminated[v] = true;
      iCliqueSizes[a] = static_cast<unsigned short>(bHypertreeAlg ? cover : value);
    }
    const int iMeasure = bHypertreeAlg ? cover : value;
    int& iBest = bHypertreeAlg ? bestHT : best;
    if (iMeasure > iBest) {
      iBest = iMeasure;
      iNrNodesLargestClique = 1;
      iLargestCliqueNode = v;
      iMaxCliqueNodes[0] = static_cast<unsigned short>(v);
    } else if (iMeasure == iBest) {
      iMaxCliqueNodes[iNrNodesLargestClique++] = static_cast<unsigned short>(v);
    }
    if (bHypertreeAlg) best = std::max(best, value);
  }
  noteStale(iStop, iHigh);
  if (bHypertreeAlg) {
    fFitness = static_cast<float>(best) + static_cast<float>(bestHT) / 100.0f;
    iLargestClique = bestHT;
  } else {
    fFitness = static_cast<float>(best);
    iLargestClique = best;
  }
  clearFill(true);
  for (int v = 0; v < n; ++v) bNodeEliminated[v] = false;
}

void probSol::calculateFitnessTest(int iLowestPosition, int iHighPosition) {
  (void)iLowestPosition;  // the experimental variant has no cover window
  const int n = iNrOfNodes;
  ensureAdjacency();
  if (Hyp != nullptr) Hyp->resetEdgeLabels(-1);
  fFitness = 0;
  iNrNodesLargestClique = 0;
  for (int v = 0; v < n; ++v) {
    bNodeEliminated[v] = false;
    iTempNrOfNeighboors[v] = iNrOfNeighboors[v];
  }
  // Uneliminated primal neighbours of v plus, for each of them, its own.
  auto secondaryMeasure = [this](int v) {
    long m = 0;
    for (int k = 0; k < iNrOfNeighboors[v]; ++k) {
      const int w = iGraph[v][k];
      if (bNodeEliminated[w]) continue;
      ++m;
      for (int j = 0; j < iNrOfNeighboors[w]; ++j)
        if (!bNodeEliminated[iGraph[w][j]]) ++m;
    }
    return m;
  };
  const int iHigh = windowEnd(iHighPosition);
  int iStop = -1;
  int best = 0;
  long secondary = 0;
  for (int a = 0; a <= n - 2; ++a) {
    const int v = iElimOrdering[a];
    int value;
    if (iHigh != -1 && a > iHigh) {
      value = iCliqueSizes[a];
    } else {
      if (n - a < best) {
        iStop = a;
        break;
      }
      const unsigned short* Row = iGraph[v];
      const unsigned len = iTempNrOfNeighboors[v];
      int count = 0;
      int next = -1;
      for (unsigned k = 0; k < len; ++k) {
        const int w = Row[k];
        if (bNodeEliminated[w]) continue;
        ++count;
        if (next < 0 || iNodePosInOrdering[w] < iNodePosInOrdering[next]) next = w;
      }
      value = count;
      // Fill entries are recorded one way, as (owner of the list, entry).
      if (count > 1) {
        for (unsigned k = 0; k < len; ++k) {
          const int w = Row[k];
          if (bNodeEliminated[w] || w == next) continue;
          if (iZeroOneGraph.test(static_cast<unsigned>(next), static_cast<unsigned>(w))) continue;
          appendNeighbour(next, w);
          iZeroOneGraph.set(static_cast<unsigned>(next), static_cast<unsigned>(w));
        }
      }
      bNodeEliminated[v] = true;
      iCliqueSizes[a] = static_cast<unsigned short>(value);
    }
    if (value > best) {
      best = value;
      iNrNodesLargestClique = 1;
      iLargestCliqueNode = v;
      if (bHypertreeAlg) secondary = secondaryMeasure(v);
    } else if (value == best) {
      ++iNrNodesLargestClique;
      if (std::rand() % iNrNodesLargestClique + 1 == iNrNodesLargestClique) iLargestCliqueNode = v;
      if (bHypertreeAlg) {
        const long m = secondaryMeasure(v);
        if (m > 0 && (secondary == 0 || m < secondary)) secondary = m;
      }
    }
  }
  fFitness = bHypertreeAlg ? static_cast<float>(best) - static_cast<float>(secondary) / 1000.0f : static_cast<float>(best);
  iLargestClique = best;
  noteStale(iStop, iHigh);
  clearFill(false);
  for (int v = 0; v < n; ++v) bNodeEliminated[v] = false;
}

bool probSol::bAreNodesConnected(int iNode1, int iNode2) {
  int iOwner = iNode2;
  int iWanted = iNode1;
  if (iTempNrOfNeighboors[iNode1] < iTempNrOfNeighboors[iNode2]) {
    iOwner = iNode1;
    iWanted = iNode2;
  }
  for (unsigned k = 0; k < iTempNrOfNeighboors[iOwner]; ++k)
    if (iGraph[iOwner][k] == iWanted) return true;
  return false;
}

// ------------------------------------------------------------ orderings

void probSol::MCSOrdering() {
  markAllStale();  // a new ordering: no stored value is known to hold
  fFitness = 0;
  iNrNodesLargestClique = 0;
  const int n = iNrOfNodes;
  if (n <= 0) return;
  std::vector<int> Numbered(static_cast<std::size_t>(n), 0);  // numbered neighbours per node
  for (int v = 0; v < n; ++v) bNodeEliminated[v] = false;
  RecordTree Keys(n);
  Keys.build(n, [](int) { return std::int64_t{0}; });
  for (int i = 0; i < n; ++i) {
    // The first node is drawn; then the unnumbered node with the most
    // numbered neighbours (the scan starts at best 0, so every node is a
    // candidate).
    const int c = (i == 0) ? std::rand() % n : Keys.reservoirMax(0);
    iElimOrdering[n - 1 - i] = static_cast<unsigned short>(c);
    iNodePosInOrdering[c] = static_cast<unsigned short>(n - 1 - i);
    bNodeEliminated[c] = true;
    Keys.set(c, RecordTree::kGone);
    for (int k = 0; k < iNrOfNeighboors[c]; ++k) {
      const int w = iGraph[c][k];
      ++Numbered[static_cast<std::size_t>(w)];
      if (!bNodeEliminated[w]) Keys.set(w, Numbered[static_cast<std::size_t>(w)]);
    }
  }
  for (int v = 0; v < n; ++v) bNodeEliminated[v] = false;
}

void probSol::NewMCSOrder() { MCSOrdering(); }

void probSol::MinDegreeOrdering() {
  markAllStale();  // a new ordering: no stored value is known to hold
  const int n = iNrOfNodes;
  ensureAdjacency();
  std::vector<int> Degree(static_cast<std::size_t>(n));
  for (int v = 0; v < n; ++v) {
    iTempNrOfNeighboors[v] = iNrOfNeighboors[v];
    bNodeEliminated[v] = false;
    Degree[static_cast<std::size_t>(v)] = iNrOfNeighboors[v];
  }
  RecordTree Keys(n);
  Keys.build(n, [&](int v) { return -std::int64_t{Degree[static_cast<std::size_t>(v)]}; });
  for (int s = 0; s < n; ++s) {
    const int c = Keys.reservoirMax(kMinScanStart);
    iElimOrdering[s] = static_cast<unsigned short>(c);
    iNodePosInOrdering[c] = static_cast<unsigned short>(s);
    bNodeEliminated[c] = true;
    Keys.set(c, RecordTree::kGone);
    const unsigned len = iTempNrOfNeighboors[c];
    for (unsigned k = 0; k < len; ++k) {
      const int u = iGraph[c][k];
      if (bNodeEliminated[u]) continue;
      --Degree[static_cast<std::size_t>(u)];
      for (unsigned j = k + 1; j < len; ++j) {
        const int w = iGraph[c][j];
        if (bNodeEliminated[w] || iZeroOneGraph.test(static_cast<unsigned>(u), static_cast<unsigned>(w))) continue;
        addFillEdge(u, w);
        ++Degree[static_cast<std::size_t>(u)];
        ++Degree[static_cast<std::size_t>(w)];
      }
    }
    for (unsigned k = 0; k < len; ++k) {
      const int u = iGraph[c][k];
      if (!bNodeEliminated[u]) Keys.set(u, -std::int64_t{Degree[static_cast<std::size_t>(u)]});
    }
  }
  clearFill(true);
  for (int v = 0; v < n; ++v) bNodeEliminated[v] = false;
}

long probSol::countFill(int v) {
  long iFill = 0;
  const unsigned len = iTempNrOfNeighboors[v];
  for (unsigned i = 0; i < len; ++i) {
    const unsigned x = iGraph[v][i];
    if (bNodeEliminated[x]) continue;
    for (unsigned j = i + 1; j < len; ++j) {
      const unsigned y = iGraph[v][j];
      if (!bNodeEliminated[y] && !iZeroOneGraph.test(x, y)) ++iFill;
    }
  }
  return iFill;
}

void probSol::MinFillOrdering() {
  markAllStale();  // a new ordering: no stored value is known to hold
  const int n = iNrOfNodes;
  ensureAdjacency();
  for (int v = 0; v < n; ++v) {
    iTempNrOfNeighboors[v] = iNrOfNeighboors[v];
    bNodeEliminated[v] = false;
  }
  std::vector<long> Fill(static_cast<std::size_t>(n));
  for (int v = 0; v < n; ++v) Fill[static_cast<std::size_t>(v)] = countFill(v);
  RecordTree Keys(n);
  Keys.build(n, [&](int v) { return -std::int64_t{Fill[static_cast<std::size_t>(v)]}; });
  auto adj = [this](int x, int y) { return iZeroOneGraph.test(static_cast<unsigned>(x), static_cast<unsigned>(y)); };
  auto change = [&](int x, long d) {
    Fill[static_cast<std::size_t>(x)] += d;
    if (!bNodeEliminated[x]) Keys.set(x, -std::int64_t{Fill[static_cast<std::size_t>(x)]});
  };
  for (int s = 0; s < n; ++s) {
    const int c = Keys.reservoirMax(kMinScanStart);
    iElimOrdering[s] = static_cast<unsigned short>(c);
    iNodePosInOrdering[c] = static_cast<unsigned short>(s);
    bNodeEliminated[c] = true;
    Keys.set(c, RecordTree::kGone);
    const unsigned len = iTempNrOfNeighboors[c];
    // Pairs leaving the neighbourhoods of c's neighbours: those with c itself,
    // and those among c's neighbours that are about to be filled.
    for (unsigned k = 0; k < len; ++k) {
      const int u = iGraph[c][k];
      if (bNodeEliminated[u]) continue;
      const unsigned ulen = iTempNrOfNeighboors[u];
      for (unsigned i = 0; i < ulen; ++i) {
        const int x = iGraph[u][i];
        if (bNodeEliminated[x]) continue;
        if (!adj(x, c)) {
          change(u, -1);
          continue;
        }
        for (unsigned j = i + 1; j < ulen; ++j) {
          const int y = iGraph[u][j];
          if (!bNodeEliminated[y] && adj(y, c) && !adj(x, y)) change(u, -1);
        }
      }
    }
    for (unsigned k = 0; k < len; ++k) {
      const int u = iGraph[c][k];
      if (bNodeEliminated[u]) continue;
      for (unsigned j = k + 1; j < len; ++j) {
        const int w = iGraph[c][j];
        if (bNodeEliminated[w] || adj(u, w)) continue;
        addFillEdge(u, w);
        for (unsigned i = 0; i < iTempNrOfNeighboors[u]; ++i) {
          const int z = iGraph[u][i];
          if (z == w || bNodeEliminated[z]) continue;
          if (!adj(z, w) && !adj(z, c)) change(u, +1);
        }
        for (unsigned i = 0; i < iTempNrOfNeighboors[w]; ++i) {
          const int z = iGraph[w][i];
          if (z == u || bNodeEliminated[z]) continue;
          if (!adj(z, u) && !adj(z, c)) change(w, +1);
        }
        for (unsigned i = 0; i < iTempNrOfNeighboors[u]; ++i) {
          const int z = iGraph[u][i];
          if (z == w || bNodeEliminated[z]) continue;
          if (adj(z, w) && !adj(z, c)) change(z, -1);
        }
      }
    }
  }
  clearFill(true);
  for (int v = 0; v < n; ++v) bNodeEliminated[v] = false;
}

// Degree first, fill second (bDegreeFirst), or fill first, degree second.
// Fill counts are recomputed for the neighbours of each eliminated node only.
void probSol::combinedOrdering(bool bDegreeFirst) {
  markAllStale();  // a new ordering: no stored value is known to hold
  const int n = iNrOfNodes;
  ensureAdjacency();
  std::vector<int> Degree(static_cast<std::size_t>(n));
  std::vector<long> Fill(static_cast<std::size_t>(n));
  for (int v = 0; v < n; ++v) {
    iTempNrOfNeighboors[v] = iNrOfNeighboors[v];
    bNodeEliminated[v] = false;
    Degree[static_cast<std::size_t>(v)] = iNrOfNeighboors[v];
  }
  for (int v = 0; v < n; ++v) Fill[static_cast<std::size_t>(v)] = countFill(v);
  for (int s = 0; s < n; ++s) {
    int c = -1;
    int ties = 0;
    for (int v = 0; v < n; ++v) {
      if (bNodeEliminated[v]) continue;
      const std::size_t iv = static_cast<std::size_t>(v);
      if (c < 0) {
        c = v;
        ties = 1;
        continue;
      }
      const std::size_t ic = static_cast<std::size_t>(c);
      bool bBetter;
      bool bTie;
      if (bDegreeFirst) {
        // An equal degree ties only with the choice's own fill; a smaller
        // fill does not replace the choice.
        bBetter = Degree[iv] < Degree[ic];
        bTie = Degree[iv] == Degree[ic] && Fill[iv] == Fill[ic];
      } else {
        bBetter = Fill[iv] < Fill[ic] || (Fill[iv] == Fill[ic] && Degree[iv] < Degree[ic]);
        bTie = Fill[iv] == Fill[ic] && Degree[iv] == Degree[ic];
      }
      if (bBetter) {
        c = v;
        ties = 1;
      } else if (bTie) {
        ++ties;
        if (std::rand() % ties + 1 == ties) c = v;
      }
    }
    iElimOrdering[s] = static_cast<unsigned short>(c);
    iNodePosInOrdering[c] = static_cast<unsigned short>(s);
    bNodeEliminated[c] = true;
    const unsigned len = iTempNrOfNeighboors[c];
    for (unsigned k = 0; k < len; ++k) {
      const int u = iGraph[c][k];
      if (bNodeEliminated[u]) continue;
      --Degree[static_cast<std::size_t>(u)];
      for (unsigned j = k + 1; j < len; ++j) {
        const int w = iGraph[c][j];
        if (bNodeEliminated[w] || iZeroOneGraph.test(static_cast<unsigned>(u), static_cast<unsigned>(w))) continue;
        addFillEdge(u, w);
        ++Degree[static_cast<std::size_t>(u)];
        ++Degree[static_cast<std::size_t>(w)];
      }
    }
    for (unsigned k = 0; k < len; ++k) {
      const int u = iGraph[c][k];
      if (!bNodeEliminated[u]) Fill[static_cast<std::size_t>(u)] = countFill(u);
    }
  }
  clearFill(true);
  for (int v = 0; v < n; ++v) bNodeEliminated[v] = false;
}

void probSol::MinDegreeAndFillOrdering() { combinedOrdering(true); }

void probSol::MinFillAndDegreeOrdering() { combinedOrdering(false); }

void probSol::NewMinFillOrder() {
  markAllStale();  // a new ordering: no stored value is known to hold
  const int n = iNrOfNodes;
  for (int v = 0; v < n; ++v) {
    iTempNrOfNeighboors[v] = iNrOfNeighboors[v];
    bNodeEliminated[v] = false;
  }
  // The lists of this model are symmetric and free of repeats, so a node
  // occurs in another's list exactly when the pair is in this relation: the
  // same answers as bAreNodesConnected, in constant time.
  PairSet Adj;
  for (int v = 0; v < n; ++v)
    for (unsigned k = 0; k < iTempNrOfNeighboors[v]; ++k) Adj.set(static_cast<unsigned>(v), iGraph[v][k]);
  auto adj = [&Adj](int x, int y) { return Adj.test(static_cast<unsigned>(x), static_cast<unsigned>(y)); };
  std::vector<long> Fill(static_cast<std::size_t>(n), 0);
  for (int v = 0; v < n; ++v) {
    const unsigned len = iTempNrOfNeighboors[v];
    for (unsigned i = 0; i < len; ++i)
      for (unsigned j = i + 1; j < len; ++j)
        if (!adj(iGraph[v][i], iGraph[v][j])) ++Fill[static_cast<std::size_t>(v)];
  }
  RecordTree Keys(n);
  Keys.build(n, [&](int v) { return -std::int64_t{Fill[static_cast<std::size_t>(v)]}; });
  std::vector<unsigned> Remembered;
  for (int s = 0; s < n; ++s) {
    const int c = Keys.reservoirMax(kMinScanStart);
    iElimOrdering[s] = static_cast<unsigned short>(c);
    iNodePosInOrdering[c] = static_cast<unsigned short>(s);
    bNodeEliminated[c] = true;
    Keys.set(c, RecordTree::kGone);
    const unsigned len = iTempNrOfNeighboors[c];
    Remembered.assign(len, 0);
    for (unsigned k = 0; k < len; ++k) Remembered[k] = iTempNrOfNeighboors[iGraph[c][k]];
    for (unsigned i = 0; i < len; ++i) {
      const int u = iGraph[c][i];
      if (bNodeEliminated[u]) continue;
      for (unsigned j = i + 1; j < len; ++j) {
        const int w = iGraph[c][j];
        if (bNodeEliminated[w] || adj(u, w)) continue;
        appendNeighbour(u, w);
        appendNeighbour(w, u);
        Adj.set(static_cast<unsigned>(u), static_cast<unsigned>(w));
        Adj.set(static_cast<unsigned>(w), static_cast<unsigned>(u));
      }
    }
    for (unsigned k = 0; k < len; ++k) {
      const int u = iGraph[c][k];
      if (bNodeEliminated[u]) continue;
      for (unsigned idx = iTempNrOfNeighboors[u]; idx-- > Remembered[k];) {
        const int y = iGraph[u][idx];
        for (unsigned i = 0; i < idx; ++i) {
          const int x = iGraph[u][i];
          if (!bNodeEliminated[x] && !adj(x, y)) ++Fill[static_cast<std::size_t>(u)];
        }
      }
    }
    for (unsigned k = 0; k < len; ++k) {
      const int u = iGraph[c][k];
      for (unsigned i = 0; i < Remembered[k]; ++i) {
        const int z = iGraph[u][i];
        if (z != c && !bNodeEliminated[z] && !adj(z, c)) --Fill[static_cast<std::size_t>(u)];
      }
    }
    for (unsigned k = 0; k < len; ++k) {
      const int u = iGraph[c][k];
      if (!bNodeEliminated[u]) Keys.set(u, -std::int64_t{Fill[static_cast<std::size_t>(u)]});
    }
  }
}

void probSol::NewMinDegreeOrder() {}

void probSol::randomIntialSolution() {
  markAllStale();  // a new ordering: no stored value is known to hold
  for (int i = 0; i < iNrOfNodes; ++i) {
    iElimOrdering[i] = static_cast<unsigned short>(i);
    iNodePosInOrdering[i] = static_cast<unsigned short>(i);
  }
}

void probSol::setNewOrdering(unsigned short* iNewOrdering) {
  for (int i = 0; i < iNrOfNodes; ++i) {
    iElimOrdering[i] = iNewOrdering[i];
    iNodePosInOrdering[iNewOrdering[i]] = static_cast<unsigned short>(i);
  }
  calculateFitness(-1, -1);
}

// ------------------------------------------------------------ moves

void probSol::nearestNodes(int iNode, int* iPrePos, int* iSucPos) {
  *iPrePos = 0;
  *iSucPos = iNrOfNodes;
  for (unsigned k = 0; k < iTempNrOfNeighboors[iNode]; ++k) {
    const int w = iGraph[iNode][k];
    const int p = iNodePosInOrdering[w];
    if (bNodeEliminated[w]) {
      if (p > *iPrePos) *iPrePos = p;
    } else if (p < *iSucPos) {
      *iSucPos = p;
    }
  }
}

void probSol::DoMove(int iNode, int iPosition) {
  const int iOld = iNodePosInOrdering[iNode];
  if (iOld < iPosition) {
    for (int p = iOld; p < iPosition; ++p) {
      iElimOrdering[p] = iElimOrdering[p + 1];
      iNodePosInOrdering[iElimOrdering[p]] = static_cast<unsigned short>(p);
    }
  } else {
    for (int p = iOld; p > iPosition; --p) {
      iElimOrdering[p] = iElimOrdering[p - 1];
      iNodePosInOrdering[iElimOrdering[p]] = static_cast<unsigned short>(p);
    }
  }
  iElimOrdering[iPosition] = static_cast<unsigned short>(iNode);
  iNodePosInOrdering[iNode] = static_cast<unsigned short>(iPosition);
  calculateFitness(-1, -1);
}

void probSol::exchange(int iNode, int iPosition) {
  const int iOther = iElimOrdering[iPosition];
  const int iOld = iNodePosInOrdering[iNode];
  iElimOrdering[iOld] = static_cast<unsigned short>(iOther);
  iNodePosInOrdering[iOther] = static_cast<unsigned short>(iOld);
  iElimOrdering[iPosition] = static_cast<unsigned short>(iNode);
  iNodePosInOrdering[iNode] = static_cast<unsigned short>(iPosition);
}

void probSol::Swap(int iNode, int iPosition) {
  const int iOld = iNodePosInOrdering[iNode];
  exchange(iNode, iPosition);
  calculateFitness(std::min(iOld, iPosition), std::max(iOld, iPosition));
}

void probSol::doubleSwap(int iNode, int iPosition, int iNode2, int iPosition2) {
  const int iOld = iNodePosInOrdering[iNode];
  exchange(iNode, iPosition);
  const int iOld2 = iNodePosInOrdering[iNode2];
  exchange(iNode2, iPosition2);
  calculateFitness(std::min({iOld, iPosition, iOld2, iPosition2}), std::max({iOld, iPosition, iOld2, iPosition2}));
}

double probSol::calculateFitnessFromMove(int iNode, int iPosition) {
  const std::size_t n = static_cast<std::size_t>(iNrOfNodes);
  SavedPositions.assign(iNodePosInOrdering, iNodePosInOrdering + n);
  SavedCliqueSizes.assign(iCliqueSizes, iCliqueSizes + n);
  SavedOrdering.assign(iElimOrdering, iElimOrdering + n);
  const float fOldFitness = fFitness;
  const int iOldLargest = iLargestClique;
  const int iOldLargestNode = iLargestCliqueNode;
  const int iOldStaleFrom = iMyStaleFrom, iOldStaleTo = iMyStaleTo;
  DoMove(iNode, iPosition);
  const double dNew = fFitness;
  iMyStaleFrom = iOldStaleFrom;
  iMyStaleTo = iOldStaleTo;
  std::copy(SavedPositions.begin(), SavedPositions.end(), iNodePosInOrdering);
  std::copy(SavedCliqueSizes.begin(), SavedCliqueSizes.end(), iCliqueSizes);
  std::copy(SavedOrdering.begin(), SavedOrdering.end(), iElimOrdering);
  fFitness = fOldFitness;
  iLargestClique = iOldLargest;
  iLargestCliqueNode = iOldLargestNode;
  return dNew;
}

double probSol::calculateFitnessFromSwap(int iNode, int iPosition) {
  const std::size_t n = static_cast<std::size_t>(iNrOfNodes);
  SavedCliqueSizes.assign(iCliqueSizes, iCliqueSizes + n);
  SavedMaxCliqueNodes.assign(iMaxCliqueNodes, iMaxCliqueNodes + iNrNodesLargestClique);
  const int iOldCount = iNrNodesLargestClique;
  const float fOldFitness = fFitness;
  const int iOldLargest = iLargestClique;
  const int iOldLargestNode = iLargestCliqueNode;
  const int iOld = iNodePosInOrdering[iNode];
  const int iOldStaleFrom = iMyStaleFrom, iOldStaleTo = iMyStaleTo;
  Swap(iNode, iPosition);
  const double dNew = fFitness;
  iMyStaleFrom = iOldStaleFrom;
  iMyStaleTo = iOldStaleTo;
  exchange(iNode, iOld);
  std::copy(SavedCliqueSizes.begin(), SavedCliqueSizes.end(), iCliqueSizes);
  std::copy(SavedMaxCliqueNodes.begin(), SavedMaxCliqueNodes.end(), iMaxCliqueNodes);
  iNrNodesLargestClique = iOldCount;
  fFitness = fOldFitness;
  iLargestClique = iOldLargest;
  iLargestCliqueNode = iOldLargestNode;
  return dNew;
}

// ------------------------------------------------------------ perturbations

void probSol::moveLargestCliques(int NumberOfMoves) {
  const int n = iNrOfNodes;
  if (n <= 0) return;
  const int iMoves = std::min(std::max(1, NumberOfMoves), iNrNodesLargestClique);
  for (int j = 0; j < iMoves; ++j) {
    const int iNode = iMaxCliqueNodes[j];
    const int iOther = std::rand() % n;
    exchange(iNode, iNodePosInOrdering[iOther]);
  }
  calculateFitness(-1, -1);
}

void probSol::performNRandSwaps(int randomMoveNr) {
  const int n = iNrOfNodes;
  if (n <= 0) return;
  for (int j = 1; j < randomMoveNr; ++j) {
    const int a = std::rand() % n;
    const int b = std::rand() % n;
    exchange(a, iNodePosInOrdering[b]);
  }
  calculateFitness(-1, -1);
}

void probSol::performNRandMoves(int randomMoveNr) {
  const int n = iNrOfNodes;
  if (n <= 0) return;
  for (int j = 1; j < randomMoveNr; ++j) {
    const int iNode = std::rand() % n;
    const int iPosition = std::rand() % n;
    DoMove(iNode, iPosition);
  }
}

void probSol::destroyPart(int randomMoveNr) {
  const int n = iNrOfNodes;
  int r = std::rand();
  if (n <= 0) return;
  for (int j = 1; j < randomMoveNr && r % n != n - 1; ++j) r = std::rand();
}

}  // namespace kivra
