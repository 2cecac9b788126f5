// Vertex elimination orderings of a hypergraph: stored order, minimum degree,
// minimum fill-in, maximum cardinality search and random order.
//
// Minimum degree and minimum fill repeatedly eliminate a live vertex of the
// smallest score, chosen uniformly at random (one random_range draw) among
// all vertices of that score listed by ascending stored index, and turn the
// eliminated vertex's neighbourhood into a clique. Instead of rescanning all
// live vertices per step, the live vertices are kept in an order-statistics
// tree keyed by (score, stored index): the candidates of the smallest score
// are its first k entries in index order, so the r-th candidate is found in
// logarithmic time. Scores are updated only for the vertices an elimination
// touches. For minimum degree the vertices of small degree (nearly all of
// them in a sparse graph) sit in one rank/select bitset per degree, which is
// much kinder to the cache than a tree over a million vertices. Maximum
// cardinality search uses the tree with the number of numbered neighbours as
// a decreasing key.
#include "kivra/Hypergraph.h"

#include <ext/pb_ds/assoc_container.hpp>
#include <ext/pb_ds/tree_policy.hpp>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "kivra/BitCount.h"
#include "kivra/RankBitset.h"
#include "kivra/Globals.h"

namespace kivra {

namespace {

using Index = std::uint32_t;

// A set of vertex indices: a plain array while small, an open-addressing hash
// table (linear probing, backward-shift deletion) once it grows, and a bitset
// over all vertices once it holds a sizeable share of them (makeDense). A
// dense set absorbs another dense set a word at a time. Iteration order is
// arbitrary; the orderings never let it decide anything.
class IndexSet {
 public:
  std::uint32_t size() const { return iCount; }
  bool dense() const { return !Bits.empty(); }

  bool contains(Index x) const {
    if (dense()) return (Bits[x >> 6] >> (x & 63)) & 1;
    if (!bHashed) {
      for (Index y : Slots)
        if (y == x) return true;
      return false;
    }
    for (std::size_t i = slotOf(x);; i = (i + 1) & iMask) {
      if (Slots[i] == x) return true;
      if (Slots[i] == kEmpty) return false;
    }
  }

  bool insert(Index x) {
    if (dense()) {
      const std::uint64_t iBit = std::uint64_t{1} << (x & 63);
      if (Bits[x >> 6] & iBit) return false;
      Bits[x >> 6] |= iBit;
      ++iCount;
      return true;
    }
    if (!bHashed) {
      for (Index y : Slots)
        if (y == x) return false;
      if (iCount < kSmall) {
        Slots.push_back(x);
        ++iCount;
        return true;
      }
      rehash(kSmall * 4);
    } else if (2 * (iCount + 1) > Slots.size()) {
      rehash(Slots.size() * 2);
    }
    std::size_t i = slotOf(x);
    for (; Slots[i] != kEmpty; i = (i + 1) & iMask)
      if (Slots[i] == x) return false;
    Slots[i] = x;
    ++iCount;
    return true;
  }

  bool erase(Index x) {
    if (dense()) {
      const std::uint64_t iBit = std::uint64_t{1} << (x & 63);
      if (!(Bits[x >> 6] & iBit)) return false;
      Bits[x >> 6] &= ~iBit;
      --iCount;
      return true;
    }
    if (!bHashed) {
      for (std::size_t i = 0; i < Slots.size(); ++i) {
        if (Slots[i] != x) continue;
        Slots[i] = Slots.back();
        Slots.pop_back();
        --iCount;
        return true;
      }
      return false;
    }
    std::size_t i = slotOf(x);
    for (; Slots[i] != x; i = (i + 1) & iMask)
      if (Slots[i] == kEmpty) return false;
    // Backward-shift deletion keeps every probe sequence unbroken.
    std::size_t j = i;
    for (;;) {
      j = (j + 1) & iMask;
      if (Slots[j] == kEmpty) break;
      const std::size_t home = slotOf(Slots[j]);
      // Move Slots[j] into the hole at i unless its home lies cyclically in (i, j].
      const bool bStays = (i <= j) ? (i < home && home <= j) : (i < home || home <= j);
      if (!bStays) {
        Slots[i] = Slots[j];
        i = j;
      }
    }
    Slots[i] = kEmpty;
    --iCount;
    // Shrink a table that has become sparse (a hub losing its neighbours).
    if (Slots.size() > kSmall * 4 && 8 * iCount < Slots.size()) rehash(Slots.size() / 4);
    return true;
  }

  template <typename F>
  void forEach(F f) const {
    if (dense()) {
      for (std::size_t k = 0; k < Bits.size(); ++k)
        for (std::uint64_t x = Bits[k]; x != 0; x &= x - 1)
          f(static_cast<Index>((k << 6) + static_cast<std::size_t>(__builtin_ctzll(x))));
      return;
    }
    for (Index y : Slots)
      if (y != kEmpty) f(y);
  }

  // Switches to a bitset over the indices 0..n-1.
  void makeDense(std::size_t n) {
    if (dense()) return;
    Bits.assign((n + 63) / 64, 0);
    for (Index y : Slots)
      if (y != kEmpty) Bits[y >> 6] |= std::uint64_t{1} << (y & 63);
    std::vector<Index>().swap(Slots);
    bHashed = false;
  }

  // This set := this set united with Other (both dense), without x.
  void uniteDenseWithout(const IndexSet& Other, Index x) {
    iCount = uniteAndCount(Bits.data(), Other.Bits.data(), Bits.size());
    erase(x);
  }

  // Asks the cache for the place where x would stand.
  void prefetchPlaceOf(Index x) const {
    if (dense()) {
      __builtin_prefetch(&Bits[x >> 6]);
    } else if (bHashed) {
      __builtin_prefetch(&Slots[slotOf(x)]);
    } else {
      __builtin_prefetch(Slots.data());
    }
  }

  std::vector<Index> toVector() const {
    std::vector<Index> Out;
    Out.reserve(iCount);
    forEach([&Out](Index y) { Out.push_back(y); });
    return Out;
  }

  void release() {
    std::vector<std::uint64_t>().swap(Bits);
    std::vector<Index>().swap(Slots);
    iCount = 0;
    bHashed = false;
  }

 private:
  static constexpr Index kEmpty = std::numeric_limits<Index>::max();
  static constexpr std::uint32_t kSmall = 8;

  std::size_t slotOf(Index x) const {
    return static_cast<std::size_t>((static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ULL) >> 20) & iMask;
  }

  void rehash(std::size_t iCapacity) {
    std::vector<Index> Old;
    Old.swap(Slots);
    Slots.assign(iCapacity, kEmpty);
    iMask = iCapacity - 1;
    bHashed = true;
    for (Index y : Old) {
      if (y == kEmpty) continue;
      std::size_t i = slotOf(y);
      while (Slots[i] != kEmpty) i = (i + 1) & iMask;
      Slots[i] = y;
    }
  }

  std::vector<Index> Slots;
  std::vector<std::uint64_t> Bits;  // non-empty once dense
  std::size_t iMask = 0;
  std::uint32_t iCount = 0;
  bool bHashed = false;
};

// Order-statistics tree over (score, stored index) pairs.
template <typename Key>
using RankTree = __gnu_pbds::tree<Key, __gnu_pbds::null_type, std::less<Key>, __gnu_pbds::rb_tree_tag,
                                  __gnu_pbds::tree_order_statistics_node_update>;

// The candidates are the entries sharing the smallest score, in index order;
// draws one of them with random_range and returns its index.
template <typename Key>
Index drawSmallest(const RankTree<Key>& Tree) {
  const auto iScore = Tree.begin()->first;
  const std::size_t k = Tree.order_of_key(Key(iScore, std::numeric_limits<Index>::max()));
  const int r = random_range(0, static_cast<int>(k) - 1);
  return Tree.find_by_order(static_cast<std::size_t>(r))->second;
}

// The live vertices by (degree, stored index). Small degrees, where nearly
// all vertices of a sparse graph stay, get one rank bitset each; larger
// degrees share an order-statistics tree.
class DegreeQueue {
 public:
  explicit DegreeQueue(std::size_t n) : n(n), Small(kSmallDegrees), SmallCount(kSmallDegrees, 0) {}

  void insert(Index i, std::uint32_t d) {
    if (d < kSmallDegrees) {
      if (!Small[d]) Small[d] = std::make_unique<RankBitset<>>(n);
      Small[d]->set(i);
      ++SmallCount[d];
    } else {
      Large.insert(Key(d, i));
    }
  }

  void erase(Index i, std::uint32_t d) {
    if (d < kSmallDegrees) {
      Small[d]->clear(i);
      --SmallCount[d];
    } else {
      Large.erase(Key(d, i));
    }
  }

  // The smallest degree of a live vertex (the queue must not be empty).
  std::uint32_t minDegree() const {
    for (std::uint32_t d = 0; d < kSmallDegrees; ++d)
      if (SmallCount[d] != 0) return d;
    return Large.begin()->first;
  }

  // Draws one of the vertices of the smallest degree (listed by ascending
  // index) with one random_range call.
  Index draw() const {
    for (std::uint32_t d = 0; d < kSmallDegrees; ++d) {
      if (SmallCount[d] == 0) continue;
      const int r = random_range(0, static_cast<int>(SmallCount[d]) - 1);
      return Small[d]->select(static_cast<std::uint32_t>(r));
    }
    return drawSmallest(Large);
  }

 private:
  static constexpr std::uint32_t kSmallDegrees = 32;
  using Key = std::pair<std::uint32_t, Index>;

  std::size_t n;
  std::vector<std::unique_ptr<RankBitset<>>> Small;
  std::vector<std::uint32_t> SmallCount;
  RankTree<Key> Large;
};

// Working state shared by minimum degree and minimum fill: the current
// neighbour set of every live vertex (fill edges included), indexed by
// stored position.
class EliminationGraph {
 public:
  // Labels every node with its stored index and copies the neighbour lists
  // (a list not yet computed is read without being stored). A neighbour that
  // is not a node of this hypergraph is fatal.
  EliminationGraph(std::vector<Node*>& Nodes, int n, const char* cLocation)
      : n(static_cast<std::size_t>(n)), Sets(static_cast<std::size_t>(n)) {
    for (int i = 0; i < n; ++i) Nodes[static_cast<std::size_t>(i)]->setLabel(i);
    std::vector<Component*> List;
    for (int i = 0; i < n; ++i) {
      Node* V = Nodes[static_cast<std::size_t>(i)];
      V->listNeighbours(List);
      for (Component* Entry : List) {
        Node* W = static_cast<Node*>(Entry);
        const int w = W ? W->getLabel() : -1;
        if (w < 0 || w >= n || Nodes[static_cast<std::size_t>(w)] != W)
          writeErrorMsg("Illegal neighbourhood relation.", cLocation, true);
        // A node is never its own neighbour.
        if (w != i) Sets[static_cast<std::size_t>(i)].insert(static_cast<Index>(w));
      }
      densifyIfLarge(static_cast<Index>(i));
    }
  }

  IndexSet& operator[](Index i) { return Sets[i]; }

  // Asks the cache for the set of w, or for the place of c in it.
  void prefetchSet(Index w) const { __builtin_prefetch(&Sets[w]); }
  void prefetchPlace(Index w, Index c) const { Sets[w].prefetchPlaceOf(c); }

  // A set holding more than one in 64 of all vertices becomes a bitset: it
  // then takes no more memory than its hash table and unions of two such sets
  // cost a word per 64 vertices.
  void densifyIfLarge(Index i) {
    if (!Sets[i].dense() && static_cast<std::size_t>(Sets[i].size()) * 64 > n) Sets[i].makeDense(n);
  }

  // Turns the neighbourhood of c into a clique: every neighbour w gets all
  // other neighbours. c's own set is left as it is.
  void joinNeighbours(Index c, const std::vector<Index>& Nbrs, Index w) {
    if (Sets[c].dense()) {
      Sets[w].makeDense(n);
      Sets[w].uniteDenseWithout(Sets[c], w);
      return;
    }
    for (Index u : Nbrs)
      if (u != w) Sets[w].insert(u);
    densifyIfLarge(w);
  }

  // Whether every neighbour relation is listed on both sides. Eliminations
  // keep this, so in a symmetric graph a vertex's set holds exactly its live
  // neighbours. Asymmetric input is only detected (as fatal) when an
  // elimination meets it, so the shortcuts that rely on exact sets stay off.
  bool isSymmetric() const {
    for (Index i = 0; i < Sets.size(); ++i) {
      bool bBoth = true;
      Sets[i].forEach([&](Index w) { bBoth = bBoth && Sets[w].contains(i); });
      if (!bBoth) return false;
    }
    return true;
  }

 private:
  std::size_t n;
  std::vector<IndexSet> Sets;
};

// Completes a minimum-degree ordering from step s on, when the live vertices
// (those not marked in Eliminated) form a clique: all share the smallest
// degree, so each step draws among all of them in index order.
template <typename Emit>
void finishClique(const std::vector<char>& Eliminated, int n, int s, Emit emit) {
  RankBitset<> LiveSet(static_cast<std::size_t>(n));
  for (Index i = 0; i < static_cast<Index>(n); ++i)
    if (!Eliminated[i]) LiveSet.set(i);
  for (; s < n; ++s) {
    const Index c = LiveSet.select(static_cast<std::uint32_t>(random_range(0, n - s - 1)));
    LiveSet.clear(c);
    emit(n - 1 - s, c);
  }
}

// Minimum degree on Graph (indices 0..n-1, consumed): Emit(position, index)
// receives every index at its ordering position, position n - 1 for the one
// eliminated first. The first preElim indices are eliminated first, in order.
template <typename Emit>
void minimumDegree(EliminationGraph& Graph, int n, int preElim, const char* cLocation, Emit emit) {
  auto Live = std::make_unique<DegreeQueue>(static_cast<std::size_t>(n));
  std::vector<std::uint32_t> Degree(static_cast<std::size_t>(n));
  std::vector<char> Eliminated(static_cast<std::size_t>(n), 0);
  for (Index i = 0; i < static_cast<Index>(n); ++i) {
    Degree[i] = Graph[i].size();
    Live->insert(i, Degree[i]);
  }
  const bool bExact = Graph.isSymmetric();

  for (int s = 0; s < n; ++s) {
    // Once the smallest live degree is the live count minus one, the live
    // vertices form a clique and stay one: every step then draws among all
    // of them in index order, which needs no neighbour sets at all.
    if (bExact && s >= preElim && Live->minDegree() == static_cast<std::uint32_t>(n - s - 1)) {
      Live.reset();
      finishClique(Eliminated, n, s, emit);
      return;
    }
    const Index c = (s < preElim) ? static_cast<Index>(s) : Live->draw();
    Live->erase(c, Degree[c]);
    // Make the neighbourhood of c a clique and detach c from it.
    const std::vector<Index> Nbrs = Graph[c].toVector();
    // The neighbours' sets lie all over memory: each is fetched a few steps
    // before c is erased from it.
    constexpr std::size_t kAhead = 4;
    for (std::size_t j = 0; j < std::min(Nbrs.size(), kAhead); ++j) Graph.prefetchSet(Nbrs[j]);
    for (std::size_t j = 0; j < Nbrs.size(); ++j) {
      const Index w = Nbrs[j];
      if (j + 2 * kAhead < Nbrs.size()) Graph.prefetchSet(Nbrs[j + 2 * kAhead]);
      if (j + kAhead < Nbrs.size()) Graph.prefetchPlace(Nbrs[j + kAhead], c);
      if (Eliminated[w] || !Graph[w].erase(c)) writeErrorMsg("Illegal neighbourhood relation.", cLocation, true);
      Graph.joinNeighbours(c, Nbrs, w);
      if (Graph[w].size() != Degree[w]) {
        Live->erase(w, Degree[w]);
        Degree[w] = Graph[w].size();
        Live->insert(w, Degree[w]);
      }
    }
    Graph[c].release();
    Eliminated[c] = 1;
    // Rank n - s: the first eliminated vertex goes to position n - 1.
    emit(n - 1 - s, c);
  }
}

}  // namespace

Node** Hypergraph::getInputOrder(int) {
  const int n = iMyMaxNbrOfNodes;
  Node** Order = new Node*[static_cast<std::size_t>(n) + 1];
  for (int i = 0; i < n; ++i) Order[i] = MyNodes[static_cast<std::size_t>(i)];
  Order[n] = nullptr;
  return Order;
}

Node** Hypergraph::getMIWOrder(int preElim) {
  static const char* const cLocation = "Hypergraph::getMIWOrder";
  const int n = iMyMaxNbrOfNodes;
  Node** Order = new Node*[static_cast<std::size_t>(n) + 1];
  Order[n] = nullptr;
  EliminationGraph Graph(MyNodes, n, cLocation);
  minimumDegree(Graph, n, preElim, cLocation, [this, Order](int iPos, Index c) { Order[iPos] = MyNodes[c]; });
  return Order;
}

Node** Hypergraph::getMFOrder(int) {
  // Messages name the minimum-degree ordering, which this one varies.
  static const char* const cLocation = "Hypergraph::getMIWOrder";
  const int n = iMyMaxNbrOfNodes;
  Node** Order = new Node*[static_cast<std::size_t>(n) + 1];
  Order[n] = nullptr;
  EliminationGraph Graph(MyNodes, n, cLocation);

  // fill(x) = pairs of neighbours of x - edges among them (triangles at x).
  std::vector<std::uint64_t> Triangles(static_cast<std::size_t>(n), 0);
  // Each edge (u, w) adds one to every common neighbour of its ends; walking
  // the smaller of the two sets keeps a hub from costing its degree squared.
  for (Index u = 0; u < static_cast<Index>(n); ++u) {
    Graph[u].forEach([&](Index w) {
      if (w < u || !Graph[w].contains(u)) return;
      const Index iSmall = Graph[u].size() <= Graph[w].size() ? u : w;
      const Index iLarge = iSmall == u ? w : u;
      Graph[iSmall].forEach([&](Index x) {
        if (Graph[iLarge].contains(x)) ++Triangles[x];
      });
    });
  }
  auto fillOf = [&](Index x) {
    const std::uint64_t d = Graph[x].size();
    return d * (d - (d > 0 ? 1 : 0)) / 2 - Triangles[x];
  };

  using Key = std::pair<std::uint64_t, Index>;  // (fill-in, stored index)
  RankTree<Key> Live;
  std::vector<std::uint64_t> Score(static_cast<std::size_t>(n));
  std::vector<char> Eliminated(static_cast<std::size_t>(n), 0);
  std::vector<char> Touched(static_cast<std::size_t>(n), 0);
  std::vector<Index> TouchedList;
  for (Index i = 0; i < static_cast<Index>(n); ++i) {
    Score[i] = fillOf(i);
    Live.insert(Key(Score[i], i));
  }
  auto touch = [&](Index x) {
    if (!Touched[x]) {
      Touched[x] = 1;
      TouchedList.push_back(x);
    }
  };

  for (int s = 0; s < n; ++s) {
    const Index c = drawSmallest(Live);
    Live.erase(Key(Score[c], c));
    const std::vector<Index> Nbrs = Graph[c].toVector();
    // Detach c: the triangles through c disappear.
    for (Index w : Nbrs) {
      if (Eliminated[w] || !Graph[w].erase(c)) writeErrorMsg("Illegal neighbourhood relation.", cLocation, true);
      std::uint64_t iShared = 0;
      for (Index u : Nbrs)
        if (u != w && Graph[w].contains(u)) ++iShared;
      Triangles[w] -= iShared;
      touch(w);
    }
    // Add the fill edges one by one; each closes a triangle with every
    // common neighbour of its ends.
    for (std::size_t a = 0; a < Nbrs.size(); ++a) {
      for (std::size_t b = a + 1; b < Nbrs.size(); ++b) {
        const Index u = Nbrs[a];
        const Index w = Nbrs[b];
        if (Graph[u].contains(w)) continue;
        const Index iSmall = Graph[u].size() <= Graph[w].size() ? u : w;
        const Index iLarge = iSmall == u ? w : u;
        std::uint64_t iCommon = 0;
        Graph[iSmall].forEach([&](Index x) {
          if (Graph[iLarge].contains(x)) {
            ++iCommon;
            ++Triangles[x];
            touch(x);
          }
        });
        Triangles[u] += iCommon;
        Triangles[w] += iCommon;
        Graph[u].insert(w);
        Graph[w].insert(u);
        Graph.densifyIfLarge(u);
        Graph.densifyIfLarge(w);
      }
    }
    for (Index x : TouchedList) {
      Touched[x] = 0;
      Live.erase(Key(Score[x], x));
      Score[x] = fillOf(x);
      Live.insert(Key(Score[x], x));
    }
    TouchedList.clear();
    Graph[c].release();
    Eliminated[c] = 1;
    Order[n - 1 - s] = MyNodes[c];
  }
  return Order;
}

Node** Hypergraph::getMCSOrder(int) {
  const int n = iMyMaxNbrOfNodes;
  Node** Order = new Node*[static_cast<std::size_t>(n) + 1];
  Order[n] = nullptr;
  // Without nodes there is nothing to number (and no first node to draw).
  if (n == 0) return Order;

  // A node's score is its number of numbered neighbours, counted over its
  // neighbour list; Watchers[v] lists the nodes whose list holds v (once per
  // entry), so numbering v raises exactly their scores.
  for (int i = 0; i < n; ++i) MyNodes[static_cast<std::size_t>(i)]->setLabel(i);
  std::vector<std::vector<Index>> Watchers(static_cast<std::size_t>(n));
  for (Index i = 0; i < static_cast<Index>(n); ++i) {
    Node* V = MyNodes[i];
    const int iNbrs = V->getNbrOfNeighbours();
    for (int j = 0; j < iNbrs; ++j) {
      Node* W = V->getNeighbour(j);
      const int w = W ? W->getLabel() : -1;
      // Something that is not a node of this graph is never numbered.
      if (w >= 0 && w < n && MyNodes[static_cast<std::size_t>(w)] == W) Watchers[static_cast<std::size_t>(w)].push_back(i);
    }
  }

  // Key (max - score, stored index): the largest score comes first.
  constexpr std::uint32_t kTop = std::numeric_limits<std::uint32_t>::max();
  using Key = std::pair<std::uint32_t, Index>;
  RankTree<Key> Unnumbered;
  std::vector<std::uint32_t> Score(static_cast<std::size_t>(n), 0);
  std::vector<char> Numbered(static_cast<std::size_t>(n), 0);
  for (Index i = 0; i < static_cast<Index>(n); ++i) Unnumbered.insert(Key(kTop, i));

  auto number = [&](Index v, int s) {
    Unnumbered.erase(Key(kTop - Score[v], v));
    Numbered[v] = 1;
    Order[s] = MyNodes[v];
    for (Index x : Watchers[v]) {
      if (Numbered[x]) continue;
      Unnumbered.erase(Key(kTop - Score[x], x));
      ++Score[x];
      Unnumbered.insert(Key(kTop - Score[x], x));
    }
  };

  number(static_cast<Index>(rand() % n), 0);
  for (int s = 1; s < n; ++s) number(drawSmallest(Unnumbered), s);
  resetNodeLabels(1);
  return Order;
}

Node** Hypergraph::getRandomOrder() {
  const int n = iMyMaxNbrOfNodes;
  std::vector<int> Shuffled(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) Shuffled[static_cast<std::size_t>(i)] = i;
  for (int i = 1; i < n; ++i) std::swap(Shuffled[static_cast<std::size_t>(i)], Shuffled[static_cast<std::size_t>(rand() % (i + 1))]);
  Node** Order = new Node*[static_cast<std::size_t>(n) + 1];
  for (int i = 0; i < n; ++i) Order[i] = MyNodes[static_cast<std::size_t>(Shuffled[static_cast<std::size_t>(i)])];
  Order[n] = nullptr;
  return Order;
}

namespace {

void replaceStoredOrder(std::vector<Node*>& Nodes, int n, Node** Order) {
  if (Order == nullptr) writeErrorMsg("Error assigning memory.", "Hypergraph::getInputOrder", true);
  for (int i = 0; i < n; ++i) Nodes[static_cast<std::size_t>(i)] = Order[i];
  delete[] Order;
}

}  // namespace

void Hypergraph::setMCSOrder() { replaceStoredOrder(MyNodes, iMyMaxNbrOfNodes, getMCSOrder(0)); }

void Hypergraph::setMFOrder() { replaceStoredOrder(MyNodes, iMyMaxNbrOfNodes, getMFOrder(0)); }

}  // namespace kivra
