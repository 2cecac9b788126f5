// Greedy set cover of a vertex set by hyperedges.
//
// Both rules work on a flat copy of the instance: the vertices and the
// candidate hyperedges are numbered by their positions in the given lists,
// each vertex keeps its edge list as candidate positions (-1 for a hyperedge
// that is no candidate) and each candidate the positions of its member
// vertices. A round takes an open candidate of the best score, the ties
// listed in candidate order; a tournament tree over the candidates (those
// reaching out of the set from one vertex share a leaf) gives the best score
// and the tie of smallest (ID, position), counted marks by position give the
// number of ties and the r-th tie, without scanning every candidate, and
// scores change only for the hyperedges of the vertices a choice covers.
// Small instances run on bit masks instead.
#include "kivra/SetCover.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "kivra/BitCount.h"
#include "kivra/CompSet.h"
#include "kivra/Globals.h"
#include "kivra/Hyperedge.h"
#include "kivra/Node.h"
#include "kivra/RankBitset.h"

namespace kivra {

namespace {

// The leaves of the tournament tree: groups of candidates that score alike
// in every round, each group's members sorted by (ID, position). A candidate
// whose only vertex in the set lists it once (a hyperedge that reaches out of
// the set) scores as that vertex's other such candidates do, so they share
// one leaf; every other candidate is a leaf of its own.
struct LeafGroups {
  std::vector<int> Begin;    // per leaf, into Members
  std::vector<int> Members;  // candidate positions
};

// Tournament tree over the leaves' scores. Closed leaves (all members
// chosen) are never ties. Each node holds one key that orders its best
// candidate: the score, then the smaller ID, then the earlier position, so
// an inner node is the larger of its children's keys and a change stops
// rising where it leaves a node as it was. A leaf's key stands for its open
// member of smallest (ID, position).
//
// The random tie-break needs the number of ties and the r-th of them in
// candidate order. Scores only fall, so the best score only falls too: the
// open candidates at the best score are marked by position; a leaf's members
// leave the marks when its score falls, and when the best score itself falls
// the leaves at the new best are found by descending into the subtrees that
// reach it.
class ScoreTree {
 public:
  static constexpr double kClosed = -std::numeric_limits<double>::infinity();

  // Leaves 0..n-1 of Groups over e candidates with the given scores (per
  // candidate; a group's members all hold its score when the tree is built),
  // IDs, chosen flags and first possibly open members (Cursor, per leaf);
  // Chosen and Cursor are read as they change. Ties are counted
  // only with bCountTies. A tree built before from the same state (Same, or
  // null) lends its nodes instead of building them again.
  void build(const double* Score, const std::vector<int>& Ids, const LeafGroups& Groups, const char* ChosenFlags,
             const int* Cursors, int n, int e, bool bCountTies, const ScoreTree* Same) {
    IDs = Ids.data();
    Leaves = &Groups;
    Chosen = ChosenFlags;
    Cursor = Cursors;
    Dirty.clear();
    if (Same != nullptr) {
      iLeaves = Same->iLeaves;
      Nodes.assign(Same->Nodes.begin(), Same->Nodes.end());
    } else {
      iLeaves = 1;
      while (iLeaves < n) iLeaves *= 2;
      Nodes.assign(static_cast<std::size_t>(2 * iLeaves), Key{0});
      for (int L = 0; L < n; ++L) {
        const int iRep = firstOpen(L);
        if (iRep >= 0) Nodes[static_cast<std::size_t>(iLeaves + L)] = keyOf(Score[static_cast<std::size_t>(iRep)], iRep);
      }
      for (int k = iLeaves - 1; k >= 1; --k)
        Nodes[static_cast<std::size_t>(k)] =
            std::max(Nodes[static_cast<std::size_t>(2 * k)], Nodes[static_cast<std::size_t>(2 * k + 1)]);
    }
    bTies = bCountTies;
    if (!bTies) return;
    Marked.assign(static_cast<std::size_t>(n), 0);
    Marks.reset(static_cast<std::size_t>(e));
    iTies = 0;
    iMarked = scoreOf(Nodes[1]);
    if (iMarked == 0) return;
    for (int L = 0; L < n; ++L)
      if (scoreOf(Nodes[static_cast<std::size_t>(iLeaves + L)]) == iMarked) mark(L, true);
  }

  // The nodes of Other, as they are.
  void copyNodes(const ScoreTree& Other) {
    iLeaves = Other.iLeaves;
    Nodes.assign(Other.Nodes.begin(), Other.Nodes.end());
  }

  // The open member of leaf L of smallest (ID, position), or -1.
  int firstOpen(int L) const {
    const int* Members = Leaves->Members.data();
    for (int k = Cursor[L]; k < Leaves->Begin[static_cast<std::size_t>(L) + 1]; ++k)
      if (!Chosen[Members[k]]) return Members[k];
    return -1;
  }

  // Leaf L's score becomes rScore, its key standing for member iRep (-1:
  // closed). The inner nodes follow at the next flush(), once for all the
  // changes of a round: the candidates of one vertex stand side by side and
  // share their ancestors.
  void set(int L, double rScore, int iRep) {
    const std::size_t k = static_cast<std::size_t>(iLeaves + L);
    const Key New = iRep < 0 ? Key{0} : keyOf(rScore, iRep);
    Nodes[k] = New;
    Dirty.push_back(k);
    if (bTies && Marked[static_cast<std::size_t>(L)] && scoreOf(New) != iMarked) mark(L, false);
  }

  // Candidate p of leaf L is chosen: it leaves the marks (call before the
  // chosen flag is set).
  void choose(int L, int p) {
    if (!bTies || !Marked[static_cast<std::size_t>(L)]) return;
    Marks.clear(static_cast<std::uint32_t>(p));
    --iTies;
  }

  // Brings the inner nodes up to date with the leaves set since the last
  // flush, level by level; a change stops rising where it leaves a node as
  // it was.
  void flush() {
    std::sort(Dirty.begin(), Dirty.end());
    while (!Dirty.empty()) {
      std::size_t iKept = 0;
      std::size_t iLast = 0;  // no node has index 0
      for (std::size_t d = 0; d < Dirty.size(); ++d) {
        const std::size_t k = Dirty[d] / 2;
        if (k == iLast || k == 0) continue;
        iLast = k;
        const Key Up = std::max(Nodes[2 * k], Nodes[2 * k + 1]);
        if (Up == Nodes[k]) continue;
        Nodes[k] = Up;
        Dirty[iKept++] = k;
      }
      Dirty.resize(iKept);
    }
  }

  bool anyOpen() const { return Nodes[1] != 0; }
  int smallestTie() const { return static_cast<int>(~static_cast<std::uint32_t>(Nodes[1])); }

  // The number of candidates at the best score (counting trees only).
  std::size_t ties() {
    if (scoreOf(Nodes[1]) != iMarked) {
      // Every mark left with its leaf's fall below the old best.
      iMarked = scoreOf(Nodes[1]);
      if (iMarked != 0) markBest(1);
    }
    return iTies;
  }

  // The position of the r-th tie (r < ties()) in candidate order.
  int selectTie(std::size_t r) const { return static_cast<int>(Marks.select(static_cast<std::uint32_t>(r))); }

 private:
  // Score bits (ordered as the scores, 0 for closed), then the ID and the
  // position, both inverted so that the smaller one is the larger key.
  using Key = unsigned __int128;

  Key keyOf(double rScore, int p) const {
    // -0 ranks as 0; no score is NaN, so no open score maps to 0.
    if (rScore == 0.0) rScore = 0.0;
    std::uint64_t iBits = std::bit_cast<std::uint64_t>(rScore);
    iBits = (iBits >> 63) != 0 ? ~iBits : iBits | (std::uint64_t{1} << 63);
    const std::uint32_t iID = ~(static_cast<std::uint32_t>(IDs[p]) ^ 0x80000000u);
    const std::uint32_t iPos = ~static_cast<std::uint32_t>(p);
    return (Key{iBits} << 64) | (Key{iID} << 32) | Key{iPos};
  }
  static std::uint64_t scoreOf(Key K) { return static_cast<std::uint64_t>(K >> 64); }

  template <typename Visit>
  void forOpen(int L, Visit visit) const {
    const int* Members = Leaves->Members.data();
    for (int k = Cursor[L]; k < Leaves->Begin[static_cast<std::size_t>(L) + 1]; ++k)
      if (!Chosen[Members[k]]) visit(Members[k]);
  }

  // Marks or unmarks the open members of leaf L.
  void mark(int L, bool bOn) {
    Marked[static_cast<std::size_t>(L)] = bOn ? 1 : 0;
    if (bOn) {
      forOpen(L, [this](int p) {
        Marks.set(static_cast<std::uint32_t>(p));
        ++iTies;
      });
    } else {
      forOpen(L, [this](int p) {
        Marks.clear(static_cast<std::uint32_t>(p));
        --iTies;
      });
    }
  }

  // Marks every leaf below node k that holds the best score.
  void markBest(int k) {
    if (scoreOf(Nodes[static_cast<std::size_t>(k)]) != iMarked) return;
    if (k >= iLeaves) {
      mark(k - iLeaves, true);
      return;
    }
    markBest(2 * k);
    markBest(2 * k + 1);
  }

  const int* IDs = nullptr;
  const LeafGroups* Leaves = nullptr;
  const char* Chosen = nullptr;
  const int* Cursor = nullptr;
  int iLeaves = 1;
  std::vector<Key> Nodes;
  std::vector<std::size_t> Dirty;  // nodes changed since the last flush, one level

  bool bTies = false;
  std::uint64_t iMarked = 0;  // the score bits the marks stand for
  std::vector<char> Marked;   // per leaf
  // The marked positions, blocks of 8 words keeping a pick's last scan
  // short.
  RankBitset<3> Marks;
  std::size_t iTies = 0;
};

// Up to this many candidates a round scans them all instead of keeping the
// tournament tree; a scan marks its ties in one 64-bit word.
constexpr int kScanCandidates = 32;
static_assert(kScanCandidates <= 64);

// The state of one rule run, held in one buffer so that a run starts from a
// recorded state by one copy: per candidate its score and whether it is
// chosen, per vertex its weight and label (0 uncovered, 1 covered now, -1
// settled), and the chosen candidates in the order chosen.
struct RunState {
  std::vector<double> Buffer;
  double* Score = nullptr;
  double* Weight = nullptr;
  signed char* Label = nullptr;
  char* Chosen = nullptr;
  std::vector<int> ChosenList;
  // Per leaf of the tournament tree: where its first open member may stand,
  // and for a vertex's group the score all its members share (theirs are
  // not kept up to date one by one).
  std::vector<int> Cursor;
  std::vector<double> GroupScore;

  // Room for s vertices and e candidates; the contents are left as they are.
  void size(int s, int e) {
    const std::size_t iVertices = static_cast<std::size_t>(s);
    const std::size_t iCandidates = static_cast<std::size_t>(e);
    // Labels and chosen flags take one byte each, eight to a double.
    Buffer.resize(iCandidates + iVertices + (iVertices + iCandidates + 7) / 8);
    Score = Buffer.data();
    Weight = Score + iCandidates;
    Label = reinterpret_cast<signed char*>(Weight + iVertices);
    Chosen = reinterpret_cast<char*>(Label + iVertices);
  }

  // This state becomes a copy of Other, which has the same sizes.
  void copyFrom(const RunState& Other) {
    std::copy(Other.Buffer.begin(), Other.Buffer.end(), Buffer.begin());
    ChosenList.assign(Other.ChosenList.begin(), Other.ChosenList.end());
    Cursor.assign(Other.Cursor.begin(), Other.Cursor.end());
    GroupScore.assign(Other.GroupScore.begin(), Other.GroupScore.end());
  }
};

// Labels every hyperedge on the lists of Nodes with its position in HEdges,
// or -1 when it is no candidate, so that each list entry reads its
// candidate position.
void labelCandidatePositions(const std::vector<Node*>& Nodes, const std::vector<Hyperedge*>& HEdges) {
  for (const Node* Vertex : Nodes)
    for (int k = 0; k < Vertex->getNbrOfEdges(); ++k) Vertex->getEdge(k)->setLabel(-1);
  for (std::size_t p = 0; p < HEdges.size(); ++p) HEdges[p]->setLabel(static_cast<int>(p));
}

// A small instance (at most 16 vertices and 32 candidates) kept as bit
// masks and fixed arrays: no vertex label is written while it loads, and a
// round costs a few word operations per candidate. It makes the same choices
// and draws as the general model. The first rule's scores are whole numbers,
// kept as byte counts and compared sixteen at a time; the second rule's
// double scores are formed by the same additions and subtractions in the
// same order as in the general model.
class SmallInstance {
 public:
  static constexpr int kVertices = 16;
  static constexpr int kCandidates = 32;
  // Counts stay below 255: a count is at most the number of entries.
  static constexpr int kEntries = 250;

  enum class Load { kLoaded, kNotCoverable, kTooLarge };

  // Loads Nodes and HEdges; kTooLarge (nothing loaded) when the instance
  // exceeds the limits above.
  Load load(const std::vector<Node*>& Nodes, const std::vector<Hyperedge*>& HEdges) {
    s = static_cast<int>(Nodes.size());
    e = static_cast<int>(HEdges.size());
    if (s > kVertices || e > kCandidates) return Load::kTooLarge;
    bStart[0] = bStart[1] = false;
    // Members: each node of a candidate is looked up among the few vertices,
    // so the nodes outside the set are not touched.
    std::uint32_t Reached = 0;
    for (int p = 0; p < e; ++p) {
      const Hyperedge* Edge = HEdges[static_cast<std::size_t>(p)];
      Ids[p] = Edge->getID();
      std::uint32_t Mask = 0;
      for (int k = 0; k < Edge->getNbrOfNodes(); ++k) {
        const Node* Member = Edge->getNode(k);
        for (int i = 0; i < s; ++i) Mask |= static_cast<std::uint32_t>(Nodes[static_cast<std::size_t>(i)] == Member) << i;
      }
      Members[p] = Mask;
      Reached |= Mask;
    }
    if (Reached != all(s)) return Load::kNotCoverable;
    // Entries: each vertex's edge list as candidate positions, the other
    // hyperedges left out.
    labelCandidatePositions(Nodes, HEdges);
    int n = 0;
    for (int i = 0; i < s; ++i) {
      EntryBegin[i] = n;
      const Node* Vertex = Nodes[static_cast<std::size_t>(i)];
      for (int k = 0; k < Vertex->getNbrOfEdges(); ++k) {
        const int p = Vertex->getEdge(k)->getLabel();
        if (p < 0) continue;
        if (n == kEntries) return Load::kTooLarge;
        Entries[n++] = static_cast<signed char>(p);
      }
    }
    EntryBegin[s] = n;
    return Load::kLoaded;
  }

  // One rule run; the chosen positions, ascending, into Out.
  void run(bool bWeighted, bool bDeterm, std::vector<int>& Out) {
    const int w = bWeighted ? 1 : 0;
    if (!bStart[w]) {
      start(Starts[w], bWeighted);
      bStart[w] = true;
    }
    State Run;
    Run.Uncovered = Starts[w].Uncovered;
    Run.Chosen = Starts[w].Chosen;
    std::uint32_t Chosen;
    if (!bWeighted) {
      std::copy_n(Starts[w].Counts, kCandidates, Run.Counts);
      Chosen = rounds(Run, bDeterm, Run.Counts);
    } else {
      // The scores in use: the candidates and the closed slot that pairs
      // with the last one.
      std::copy_n(Starts[w].Scores, (e + 1) & ~1, Run.Scores);
      std::copy_n(Starts[w].Weights, s, Run.Weights);
      Chosen = rounds(Run, bDeterm, Run.Scores);
    }
    Out.clear();
    for (; Chosen != 0; Chosen &= Chosen - 1) Out.push_back(std::countr_zero(Chosen));
  }

 private:
  // A rule run's state: the first rule's counts (each plus one; 0 for a
  // chosen candidate or an unused slot) or the second rule's scores
  // (-infinity for those), the weights per vertex, the uncovered vertices
  // and the chosen candidates.
  struct State {
    alignas(16) std::uint8_t Counts[kCandidates];
    alignas(16) double Scores[kCandidates];
    double Weights[kVertices];
    std::uint32_t Uncovered;
    std::uint32_t Chosen;
  };

  static std::uint32_t all(int n) { return n == 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << n) - 1; }

  // The state before the first round: forced candidates chosen, weights and
  // scores set.
  void start(State& St, bool bWeighted) const {
    St.Uncovered = all(s);
    St.Chosen = 0;
    for (int i = 0; i < s; ++i)
      St.Weights[i] = bWeighted ? 1.0 - static_cast<double>(EntryBegin[i + 1] - EntryBegin[i]) / e : 1.0;
    // A vertex still uncovered that lies in exactly one open candidate
    // forces it; vertices covered by a forced candidate settle at the end.
    std::uint32_t Covered = 0;
    for (int i = 0; i < s; ++i) {
      if ((Covered >> i) & 1) continue;
      int iOpen = 0;
      int Open = -1;
      for (int k = EntryBegin[i]; k < EntryBegin[i + 1] && iOpen < 2; ++k) {
        const int p = Entries[k];
        if ((St.Chosen >> p) & 1) continue;
        Open = p;
        ++iOpen;
      }
      if (iOpen != 1) continue;
      St.Chosen |= std::uint32_t{1} << Open;
      Covered |= Members[Open];
    }
    St.Uncovered &= ~Covered;
    constexpr double kClosed = -std::numeric_limits<double>::infinity();
    for (int p = 0; p < kCandidates; ++p) {
      const bool bOpen = p < e && !((St.Chosen >> p) & 1);
      St.Counts[p] = bOpen ? 1 : 0;
      St.Scores[p] = bOpen ? 0.0 : kClosed;
    }
    for (int i = 0; i < s; ++i) {
      if (!((St.Uncovered >> i) & 1)) {
        St.Weights[i] = 0.0;
        continue;
      }
      if (bWeighted && St.Weights[i] <= 0.0) continue;
      for (int k = EntryBegin[i]; k < EntryBegin[i + 1]; ++k) {
        const int p = Entries[k];
        if ((St.Chosen >> p) & 1) continue;
        St.Scores[p] += St.Weights[i];
        ++St.Counts[p];
      }
    }
  }

  // The best open score and its ties, as bits in candidate order; no ties
  // when no candidate is open.
  static std::uint32_t ties(const std::uint8_t* Counts) {
#ifdef __SSE2__
    const __m128i Low = _mm_load_si128(reinterpret_cast<const __m128i*>(Counts));
    const __m128i High = _mm_load_si128(reinterpret_cast<const __m128i*>(Counts + 16));
    __m128i Best = _mm_max_epu8(Low, High);
    Best = _mm_max_epu8(Best, _mm_srli_si128(Best, 8));
    Best = _mm_max_epu8(Best, _mm_srli_si128(Best, 4));
    Best = _mm_max_epu8(Best, _mm_srli_si128(Best, 2));
    Best = _mm_max_epu8(Best, _mm_srli_si128(Best, 1));
    const int iBest = _mm_cvtsi128_si32(Best) & 0xff;
    if (iBest == 0) return 0;
    const __m128i All = _mm_set1_epi8(static_cast<char>(iBest));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(Low, All))) |
           (static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(High, All))) << 16);
#else
    std::uint8_t iBest = 0;
    for (int p = 0; p < kCandidates; ++p) iBest = std::max(iBest, Counts[p]);
    if (iBest == 0) return 0;
    std::uint32_t Ties = 0;
    for (int p = 0; p < kCandidates; ++p) Ties |= static_cast<std::uint32_t>(Counts[p] == iBest) << p;
    return Ties;
#endif
  }

  std::uint32_t ties(const double* Scores) const {
    // Slots 2k and 2k+1 side by side; the slots past the candidates are
    // closed.
    const int iPairs = (e + 1) / 2;
#ifdef __SSE2__
    __m128d Best = _mm_set1_pd(-std::numeric_limits<double>::infinity());
    for (int k = 0; k < iPairs; ++k) Best = _mm_max_pd(Best, _mm_load_pd(Scores + 2 * k));
    Best = _mm_max_pd(Best, _mm_unpackhi_pd(Best, Best));
    const double rBest = _mm_cvtsd_f64(Best);
    if (rBest == -std::numeric_limits<double>::infinity()) return 0;
    const __m128d All = _mm_set1_pd(rBest);
    std::uint32_t Ties = 0;
    for (int k = 0; k < iPairs; ++k)
      Ties |= static_cast<std::uint32_t>(_mm_movemask_pd(_mm_cmpeq_pd(_mm_load_pd(Scores + 2 * k), All))) << (2 * k);
    return Ties;
#else
    double rBest = -std::numeric_limits<double>::infinity();
    for (int p = 0; p < 2 * iPairs; ++p) rBest = Scores[p] > rBest ? Scores[p] : rBest;
    if (rBest == -std::numeric_limits<double>::infinity()) return 0;
    std::uint32_t Ties = 0;
    for (int p = 0; p < 2 * iPairs; ++p) Ties |= static_cast<std::uint32_t>(Scores[p] == rBest) << p;
    return Ties;
#endif
  }

  // The pick among the ties: the smallest (ID, position), or tie number
  // rand() % ties.
  int pick(std::uint32_t Ties, bool bDeterm) const {
    if (bDeterm) {
      int iPick = std::countr_zero(Ties);
      for (std::uint32_t Rest = Ties & (Ties - 1); Rest != 0; Rest &= Rest - 1) {
        const int q = std::countr_zero(Rest);
        if (Ids[q] < Ids[iPick]) iPick = q;
      }
      return iPick;
    }
    std::size_t r = static_cast<std::size_t>(std::rand()) % static_cast<std::size_t>(bitCount(Ties));
    for (; r > 0; --r) Ties &= Ties - 1;
    return std::countr_zero(Ties);
  }

  static void close(std::uint8_t& rCount) { rCount = 0; }
  static void close(double& rScore) { rScore = -std::numeric_limits<double>::infinity(); }
  // A newly covered vertex takes back what it added to an entry's score.
  static void takeBack(std::uint8_t& rCount, double) { rCount = static_cast<std::uint8_t>(rCount - (rCount != 0)); }
  static void takeBack(double& rScore, double rWeight) { rScore -= rWeight; }

  // The rounds of a run; the chosen candidates.
  template <typename Score>
  std::uint32_t rounds(State& St, bool bDeterm, Score* Scores) const {
    while (St.Uncovered != 0) {
      const std::uint32_t Ties = ties(Scores);
      if (Ties == 0) break;  // cannot happen for a coverable input
      const int iPick = pick(Ties, bDeterm);
      St.Chosen |= std::uint32_t{1} << iPick;
      close(Scores[iPick]);
      // The newly covered vertices in ascending order.
      for (std::uint32_t Newly = Members[iPick] & St.Uncovered; Newly != 0; Newly &= Newly - 1) {
        const int v = std::countr_zero(Newly);
        for (int k = EntryBegin[v]; k < EntryBegin[v + 1]; ++k) takeBack(Scores[Entries[k]], St.Weights[v]);
        St.Weights[v] = 0.0;
        St.Uncovered &= ~(std::uint32_t{1} << v);
      }
    }
    return St.Chosen;
  }

  int s = 0;
  int e = 0;
  int Ids[kCandidates];
  std::uint32_t Members[kCandidates];  // per candidate: its vertices
  int EntryBegin[kVertices + 1];
  signed char Entries[kEntries];
  // The starting states of the two rules, made by the first run of each.
  bool bStart[2] = {false, false};
  State Starts[2];
};

}  // namespace

// The flat copy of one instance and the state of one rule run.
struct SetCover::Model : RunState {
  int s = 0;  // vertices
  int e = 0;  // candidates
  std::vector<int> Ids;                       // per candidate
  std::vector<int> EntryBegin, Entries;       // per vertex: candidate position per edge-list entry
  std::vector<int> MemberBegin, Members;      // per candidate: member vertices in the set
  std::vector<int> Candidates;                // per vertex: entries that are candidates
  // The tree's leaves (made only when the tree is used): per candidate its
  // leaf and whether the leaf is a vertex's group; per vertex its group's
  // leaf or -1.
  LeafGroups Groups;
  std::vector<int> LeafScratch, VertexScratch;  // working room of makeLeaves
  std::vector<int> LeafOf;
  std::vector<char> InGroup;
  std::vector<int> GroupOf;
  // Per vertex: its entries that are candidates outside any group.
  std::vector<int> SharedBegin, Shared;

  std::vector<int> Best;  // the smallest result of cover() so far
  std::vector<int> Covered;
  std::vector<char> Reached;  // per vertex, while the instance is loaded
  ScoreTree Tree;
  // Set when the loaded instance is small enough for the masks.
  bool bSmall = false;
  SmallInstance Small;

  // Every rule run on one instance starts alike: the forced hyperedges are
  // chosen before any score or draw, and the starting scores depend only on
  // whether the run is weighted. The first run of an instance records that
  // state (per weighting) and later runs start from the copy.
  struct Start {
    bool bReady = false;
    RunState State;
    int iUncovered = 0;
    // The tournament tree of the starting scores, once a run has built it.
    bool bTree = false;
    ScoreTree Tree;
  };
  Start Starts[2];

  // Marks the members of candidate p that are still uncovered as covered in
  // this step and lists them in Covered.
  void coverMembersOf(int p) {
    for (int k = MemberBegin[static_cast<std::size_t>(p)]; k < MemberBegin[static_cast<std::size_t>(p) + 1]; ++k) {
      const int v = Members[static_cast<std::size_t>(k)];
      if (Label[static_cast<std::size_t>(v)] != 0) continue;
      Label[static_cast<std::size_t>(v)] = 1;
      Covered.push_back(v);
    }
  }

  // The open candidate of the best score a round takes, by scanning: the
  // tie of smallest (ID, position), or tie number rand() % ties in
  // candidate order. -1 when none is open. Chosen candidates score
  // -infinity, so the scans need not look at Chosen.
  int scanPick(bool bDeterm) const {
    const double* S = Score;
    // The best score and its ties as bits in candidate order (a scan has at
    // most 32), in one pass.
    double rBest = ScoreTree::kClosed;
    std::uint64_t Ties = 0;
    for (int p = 0; p < e; ++p) {
      const std::uint64_t Bit = std::uint64_t{1} << p;
      if (S[p] > rBest) {
        rBest = S[p];
        Ties = Bit;
      } else if (S[p] == rBest) {
        Ties |= Bit;
      }
    }
    if (rBest == ScoreTree::kClosed) return -1;
    if (bDeterm) {
      int iFirst = std::countr_zero(Ties);
      for (std::uint64_t Rest = Ties & (Ties - 1); Rest != 0; Rest &= Rest - 1) {
        const int q = std::countr_zero(Rest);
        if (Ids[static_cast<std::size_t>(q)] < Ids[static_cast<std::size_t>(iFirst)]) iFirst = q;
      }
      return iFirst;
    }
    std::size_t r = static_cast<std::size_t>(std::rand()) % static_cast<std::size_t>(std::popcount(Ties));
    for (; r > 0; --r) Ties &= Ties - 1;
    return std::countr_zero(Ties);
  }

  void choose(int p) {
    Chosen[static_cast<std::size_t>(p)] = 1;
    Score[static_cast<std::size_t>(p)] = ScoreTree::kClosed;
    ChosenList.push_back(p);
  }

  // Groups the candidates into the tree's leaves; every cursor at its
  // leaf's first member.
  void makeLeaves();

  // The open member of leaf L of smallest (ID, position), or -1; the cursor
  // moves past the chosen members before it.
  int firstOpen(int L) {
    int& k = Cursor[static_cast<std::size_t>(L)];
    const int iEnd = Groups.Begin[static_cast<std::size_t>(L) + 1];
    while (k < iEnd && Chosen[Groups.Members[static_cast<std::size_t>(k)]]) ++k;
    return k < iEnd ? Groups.Members[static_cast<std::size_t>(k)] : -1;
  }
};

void SetCover::Model::makeLeaves() {
  const std::size_t iCandidates = static_cast<std::size_t>(e);
  // A candidate is private to vertex v when v is its only member in the set
  // and the only entry listing it is v's.
  std::vector<int>& Owner = LeafScratch;  // the vertex of the only entry; -2 for more
  Owner.assign(iCandidates, -1);
  for (int i = 0; i < s; ++i)
    for (int k = EntryBegin[static_cast<std::size_t>(i)]; k < EntryBegin[static_cast<std::size_t>(i) + 1]; ++k) {
      const int p = Entries[static_cast<std::size_t>(k)];
      if (p < 0) continue;
      int& o = Owner[static_cast<std::size_t>(p)];
      o = o == -1 ? i : -2;
    }
  GroupOf.assign(static_cast<std::size_t>(s), -1);
  InGroup.assign(iCandidates, 0);
  std::vector<int>& Private = VertexScratch;
  Private.assign(static_cast<std::size_t>(s), 0);
  for (std::size_t p = 0; p < iCandidates; ++p) {
    const int o = Owner[p];
    if (o < 0 || MemberBegin[p + 1] - MemberBegin[p] != 1 || Members[static_cast<std::size_t>(MemberBegin[p])] != o)
      continue;
    InGroup[p] = 1;
    ++Private[static_cast<std::size_t>(o)];
  }
  // A vertex with one private candidate needs no group.
  for (std::size_t p = 0; p < iCandidates; ++p)
    if (InGroup[p] && Private[static_cast<std::size_t>(Owner[p])] < 2) InGroup[p] = 0;
  // Leaves in the order of their first members; a group's members by
  // (ID, position).
  LeafOf.assign(iCandidates, -1);
  Groups.Begin.clear();
  Groups.Members.clear();
  for (int p = 0; p < e; ++p) {
    if (LeafOf[static_cast<std::size_t>(p)] >= 0) continue;
    const int L = static_cast<int>(Groups.Begin.size());
    Groups.Begin.push_back(static_cast<int>(Groups.Members.size()));
    if (!InGroup[static_cast<std::size_t>(p)]) {
      LeafOf[static_cast<std::size_t>(p)] = L;
      Groups.Members.push_back(p);
      continue;
    }
    const int v = Owner[static_cast<std::size_t>(p)];
    GroupOf[static_cast<std::size_t>(v)] = L;
    const std::size_t iFirst = Groups.Members.size();
    for (int k = EntryBegin[static_cast<std::size_t>(v)]; k < EntryBegin[static_cast<std::size_t>(v) + 1]; ++k) {
      const int q = Entries[static_cast<std::size_t>(k)];
      if (q < 0 || !InGroup[static_cast<std::size_t>(q)]) continue;
      LeafOf[static_cast<std::size_t>(q)] = L;
      Groups.Members.push_back(q);
    }
    // A vertex's hyperedges mostly stand in ID order already.
    auto byIdThenPosition = [this](int a, int b) {
      return Ids[static_cast<std::size_t>(a)] != Ids[static_cast<std::size_t>(b)]
                 ? Ids[static_cast<std::size_t>(a)] < Ids[static_cast<std::size_t>(b)]
                 : a < b;
    };
    const auto First = Groups.Members.begin() + static_cast<std::ptrdiff_t>(iFirst);
    if (!std::is_sorted(First, Groups.Members.end(), byIdThenPosition))
      std::sort(First, Groups.Members.end(), byIdThenPosition);
  }
  Cursor.assign(Groups.Begin.begin(), Groups.Begin.end());
  Groups.Begin.push_back(static_cast<int>(Groups.Members.size()));
  SharedBegin.assign(1, 0);
  Shared.clear();
  for (int i = 0; i < s; ++i) {
    for (int k = EntryBegin[static_cast<std::size_t>(i)]; k < EntryBegin[static_cast<std::size_t>(i) + 1]; ++k) {
      const int p = Entries[static_cast<std::size_t>(k)];
      if (p >= 0 && !InGroup[static_cast<std::size_t>(p)]) Shared.push_back(p);
    }
    SharedBegin.push_back(static_cast<int>(Shared.size()));
  }
}

SetCover::SetCover() : MyModel(std::make_unique<Model>()) {}

SetCover::~SetCover() = default;

CompSet* SetCover::cover(CompSet* Nodes, CompSet* HEdges) {
  std::vector<Node*> NodeList(static_cast<std::size_t>(Nodes->size()));
  for (int i = 0; i < Nodes->size(); ++i) NodeList[static_cast<std::size_t>(i)] = reinterpret_cast<Node*>((*Nodes)[i]);
  std::vector<Hyperedge*> EdgeList(static_cast<std::size_t>(HEdges->size()));
  for (int j = 0; j < HEdges->size(); ++j)
    EdgeList[static_cast<std::size_t>(j)] = reinterpret_cast<Hyperedge*>((*HEdges)[j]);
  std::vector<Hyperedge*> Chosen = cover(NodeList, EdgeList);
  CompSet* Result = new CompSet(static_cast<int>(Chosen.size()));
  for (Hyperedge* Edge : Chosen) Result->insComp(Edge);
  return Result;
}

std::vector<Hyperedge*> SetCover::cover(const std::vector<Node*>& Nodes, const std::vector<Hyperedge*>& HEdges) {
  std::vector<Hyperedge*> Result;
  cover(Nodes, HEdges, Result);
  return Result;
}

void SetCover::cover(const std::vector<Node*>& Nodes, const std::vector<Hyperedge*>& HEdges,
                     std::vector<Hyperedge*>& Out) {
  if (!isCoverable(Nodes, HEdges)) writeErrorMsg("Covering not possible.", "SetCover::cover", true);
  // Each result replaces the best only when strictly smaller. Results and
  // the best are swapped, never copied: the model's buffers keep their room
  // from one cover to the next.
  Model& M = *MyModel;
  M.Best.swap(NodeCover1(true));
  auto consider = [&M](std::vector<int>& Result) {
    if (Result.size() < M.Best.size()) M.Best.swap(Result);
  };
  consider(NodeCover1(false));
  consider(NodeCover2(true));
  consider(NodeCover2(false));
  Out.clear();
  for (int p : M.Best) Out.push_back(HEdges[static_cast<std::size_t>(p)]);
}

bool SetCover::isCoverable(const std::vector<Node*>& Nodes, const std::vector<Hyperedge*>& HEdges) {
  Model& M = *MyModel;
  switch (M.Small.load(Nodes, HEdges)) {
    case SmallInstance::Load::kLoaded:
      M.bSmall = true;
      return true;
    case SmallInstance::Load::kNotCoverable:
      return false;
    case SmallInstance::Load::kTooLarge:
      break;
  }
  M.bSmall = false;
  for (Model::Start& St : M.Starts) St.bReady = St.bTree = false;
  M.s = static_cast<int>(Nodes.size());
  M.e = static_cast<int>(HEdges.size());
  // Labels as scratch: a member of a candidate is its vertex position or -1,
  // a hyperedge on a vertex's list its candidate position or -1.
  for (Hyperedge* Edge : HEdges)
    for (int k = 0; k < Edge->getNbrOfNodes(); ++k) Edge->getNode(k)->setLabel(-1);
  for (int i = 0; i < M.s; ++i) Nodes[static_cast<std::size_t>(i)]->setLabel(i);
  M.Ids.resize(static_cast<std::size_t>(M.e));
  M.MemberBegin.assign(1, 0);
  M.Members.clear();
  std::vector<char>& Reached = M.Reached;
  Reached.assign(static_cast<std::size_t>(M.s), 0);
  for (int p = 0; p < M.e; ++p) {
    Hyperedge* Edge = HEdges[static_cast<std::size_t>(p)];
    M.Ids[static_cast<std::size_t>(p)] = Edge->getID();
    for (int k = 0; k < Edge->getNbrOfNodes(); ++k) {
      const int v = Edge->getNode(k)->getLabel();
      if (v < 0) continue;
      M.Members.push_back(v);
      Reached[static_cast<std::size_t>(v)] = 1;
    }
    M.MemberBegin.push_back(static_cast<int>(M.Members.size()));
  }
  for (char c : Reached)
    if (!c) return false;

  labelCandidatePositions(Nodes, HEdges);
  M.EntryBegin.assign(1, 0);
  M.Entries.clear();
  M.Candidates.assign(static_cast<std::size_t>(M.s), 0);
  for (int i = 0; i < M.s; ++i) {
    Node* Vertex = Nodes[static_cast<std::size_t>(i)];
    for (int k = 0; k < Vertex->getNbrOfEdges(); ++k) {
      const int p = Vertex->getEdge(k)->getLabel();
      M.Entries.push_back(p);
      if (p >= 0) ++M.Candidates[static_cast<std::size_t>(i)];
    }
    M.EntryBegin.push_back(static_cast<int>(M.Entries.size()));
  }
  if (M.e > kScanCandidates) M.makeLeaves();
  return true;
}

void SetCover::chooseForcedEdges(int& iUncovered) {
  Model& M = *MyModel;
  M.Covered.clear();
  for (int i = 0; i < M.s; ++i) {
    // Only an uncovered vertex can force a hyperedge; counting stops at the
    // second open one, which is all the decision needs.
    if (M.Label[static_cast<std::size_t>(i)] != 0) continue;
    int iOpen = 0;
    int Open = -1;
    for (int k = M.EntryBegin[static_cast<std::size_t>(i)]; k < M.EntryBegin[static_cast<std::size_t>(i) + 1] && iOpen < 2;
         ++k) {
      const int p = M.Entries[static_cast<std::size_t>(k)];
      if (p < 0 || M.Chosen[static_cast<std::size_t>(p)]) continue;
      Open = p;
      ++iOpen;
    }
    if (iOpen != 1) continue;
    M.choose(Open);
    M.coverMembersOf(Open);
  }
  for (int v : M.Covered) {
    M.Label[static_cast<std::size_t>(v)] = -1;
    --iUncovered;
  }
}

void SetCover::startRule(bool bWeighted, int& iUncovered) {
  Model& M = *MyModel;
  const std::size_t s = static_cast<std::size_t>(M.s);
  M.size(M.s, M.e);
  std::fill_n(M.Label, s, 0);
  std::fill_n(M.Chosen, M.e, 0);
  M.ChosenList.clear();
  if (M.e > kScanCandidates) M.Cursor.assign(M.Groups.Begin.begin(), M.Groups.Begin.end() - 1);
  std::fill_n(M.Weight, s, 1.0);
  if (bWeighted)
    for (std::size_t i = 0; i < s; ++i)
      M.Weight[i] = 1.0 - static_cast<double>(M.Candidates[i]) / M.e;
  iUncovered = M.s;
  // Scores start at 0; choosing a candidate closes it at -infinity.
  std::fill_n(M.Score, M.e, 0.0);

  chooseForcedEdges(iUncovered);
  for (std::size_t i = 0; i < s; ++i) {
    if (M.Label[i] != 0) {
      M.Weight[i] = 0.0;
      continue;
    }
    if (bWeighted && M.Weight[i] <= 0.0) continue;
    for (int k = M.EntryBegin[i]; k < M.EntryBegin[i + 1]; ++k) {
      const int p = M.Entries[static_cast<std::size_t>(k)];
      if (p >= 0 && !M.Chosen[static_cast<std::size_t>(p)]) M.Score[static_cast<std::size_t>(p)] += M.Weight[i];
    }
  }
  if (M.e <= kScanCandidates) return;
  // A group's score takes the steps each member's took: only its vertex
  // added its weight, if anything.
  M.GroupScore.assign(M.Groups.Begin.size() - 1, 0.0);
  for (std::size_t i = 0; i < s; ++i) {
    const int L = M.GroupOf[i];
    if (L < 0 || M.Label[i] != 0 || (bWeighted && M.Weight[i] <= 0.0)) continue;
    M.GroupScore[static_cast<std::size_t>(L)] += M.Weight[i];
  }
}

std::vector<int>& SetCover::NodeCover1(bool bDeterm) { return runRule(false, bDeterm); }

std::vector<int>& SetCover::NodeCover2(bool bDeterm) { return runRule(true, bDeterm); }

std::vector<int>& SetCover::runRule(bool bWeighted, bool bDeterm) {
  // The first rule scores a hyperedge by its uncovered vertices (counted per
  // edge-list entry), the second by their weights, a vertex lying in many
  // candidates weighing little. Scores are kept up to date by subtracting
  // what each newly covered vertex contributed, vertex by vertex in list
  // order, so the weighted sums are formed exactly as a rescan would form
  // them.
  Model& M = *MyModel;
  if (M.bSmall) {
    M.Small.run(bWeighted, bDeterm, M.ChosenList);
    return M.ChosenList;
  }
  Model::Start& St = M.Starts[bWeighted ? 1 : 0];
  int iUncovered = M.s;
  if (St.bReady) {
    M.copyFrom(St.State);
    iUncovered = St.iUncovered;
  } else {
    startRule(bWeighted, iUncovered);
    St.State.size(M.s, M.e);
    St.State.copyFrom(M);
    St.iUncovered = iUncovered;
    St.bReady = true;
  }
  // A few candidates are simply scanned each round; the tree pays off for
  // many.
  const bool bScan = M.e <= kScanCandidates;
  if (!bScan) {
    const int iLeaves = static_cast<int>(M.Groups.Begin.size()) - 1;
    M.Tree.build(M.Score, M.Ids, M.Groups, M.Chosen, M.Cursor.data(), iLeaves, M.e, !bDeterm,
                 St.bTree ? &St.Tree : nullptr);
    if (!St.bTree) {
      St.Tree.copyNodes(M.Tree);
      St.bTree = true;
    }
  }

  while (iUncovered > 0) {
    int iPick = -1;
    if (bScan) {
      iPick = M.scanPick(bDeterm);
      if (iPick < 0) break;
    } else {
      M.Tree.flush();
      if (!M.Tree.anyOpen()) break;
      if (bDeterm) {
        iPick = M.Tree.smallestTie();
      } else {
        iPick = M.Tree.selectTie(static_cast<std::size_t>(std::rand()) % M.Tree.ties());
      }
    }
    if (bScan) {
      M.choose(iPick);
    } else {
      // The pick's leaf now stands for its next open member, if any.
      const int L = M.LeafOf[static_cast<std::size_t>(iPick)];
      M.Tree.choose(L, iPick);
      M.choose(iPick);
      const int iRep = M.firstOpen(L);
      if (iRep < 0)
        M.Tree.set(L, ScoreTree::kClosed, iRep);
      else
        M.Tree.set(L,
                   M.InGroup[static_cast<std::size_t>(iRep)] ? M.GroupScore[static_cast<std::size_t>(L)]
                                                              : M.Score[static_cast<std::size_t>(iRep)],
                   iRep);
    }
    // The newly covered vertices in ascending order: as bits when there are
    // few vertices, else listed and sorted.
    auto settle = [&M, &iUncovered, bScan](int v) {
      const std::size_t i = static_cast<std::size_t>(v);
      if (bScan) {
        for (int k = M.EntryBegin[i]; k < M.EntryBegin[i + 1]; ++k) {
          const int p = M.Entries[static_cast<std::size_t>(k)];
          // A chosen candidate stays at -infinity.
          if (p >= 0) M.Score[static_cast<std::size_t>(p)] -= M.Weight[i];
        }
      } else {
        for (int k = M.SharedBegin[i]; k < M.SharedBegin[i + 1]; ++k) {
          const int p = M.Shared[static_cast<std::size_t>(k)];
          double& rScore = M.Score[static_cast<std::size_t>(p)];
          rScore -= M.Weight[i];
          // The tree holds a chosen candidate closed.
          if (!M.Chosen[static_cast<std::size_t>(p)]) M.Tree.set(M.LeafOf[static_cast<std::size_t>(p)], rScore, p);
        }
        // The vertex's group, whose open members all take the same step.
        if (const int L = M.GroupOf[i]; L >= 0) {
          double& rScore = M.GroupScore[static_cast<std::size_t>(L)];
          rScore -= M.Weight[i];
          const int iRep = M.firstOpen(L);
          if (iRep >= 0) M.Tree.set(L, rScore, iRep);
        }
      }
      M.Weight[i] = 0.0;
      M.Label[i] = -1;
      --iUncovered;
    };
    if (M.s <= 64) {
      std::uint64_t Newly = 0;
      for (int k = M.MemberBegin[static_cast<std::size_t>(iPick)]; k < M.MemberBegin[static_cast<std::size_t>(iPick) + 1];
           ++k) {
        const int v = M.Members[static_cast<std::size_t>(k)];
        if (M.Label[static_cast<std::size_t>(v)] == 0) Newly |= std::uint64_t{1} << v;
      }
      for (; Newly != 0; Newly &= Newly - 1) settle(std::countr_zero(Newly));
    } else {
      M.Covered.clear();
      M.coverMembersOf(iPick);
      std::sort(M.Covered.begin(), M.Covered.end());
      for (int v : M.Covered) settle(v);
    }
  }
  // Ascending: many chosen ones are read off the chosen flags, a few sorted.
  if (M.ChosenList.size() > 64) {
    M.ChosenList.clear();
    for (int p = 0; p < M.e; ++p)
      if (M.Chosen[static_cast<std::size_t>(p)]) M.ChosenList.push_back(p);
  } else {
    std::sort(M.ChosenList.begin(), M.ChosenList.end());
  }
  return M.ChosenList;
}

// --- Cover of the hyperedges incident to a vertex set ---
//
// Candidate order: each vertex's hyperedges in its own order, repeats left
// out. A hyperedge of a prepared (high-degree) vertex that holds no other
// vertex of the set and occurs once in its list is private: all private
// hyperedges of one vertex count and score alike in every round, so they are
// kept as runs of consecutive list entries (and candidate positions) instead
// of one by one. Every other candidate is explicit. The rules below repeat
// cover()'s rounds on this representation: the same ties in the same order,
// the same floating-point sums in the same order, the same draws.

namespace {

// Prepared once per high-degree vertex.
struct HeavyIndex {
  // Per other vertex, the entries (positions in this vertex's edge list)
  // whose hyperedge holds it, ascending.
  std::unordered_map<Node*, std::vector<int>> EntriesWith;
  // Entries whose hyperedge occurs more than once in the list.
  std::vector<int> Repeated;
  // (hyperedge ID, entry) of every entry, ascending.
  std::vector<std::pair<int, int>> ByID;
};

}  // namespace

struct IncidentCoverCache::Impl {
  int iHeavyDegree;
  std::unordered_map<Node*, std::unique_ptr<HeavyIndex>> Prepared;

  const HeavyIndex* indexOf(Node* Vertex) {
    std::unique_ptr<HeavyIndex>& Slot = Prepared[Vertex];
    if (Slot) return Slot.get();
    Slot = std::make_unique<HeavyIndex>();
    std::unordered_map<Hyperedge*, int> Occurrences;
    int iDegree = Vertex->getNbrOfEdges();
    for (int j = 0; j < iDegree; ++j) {
      Hyperedge* Edge = Vertex->getEdge(j);
      ++Occurrences[Edge];
      for (int k = 0; k < Edge->getNbrOfNodes(); ++k) {
        Node* Other = Edge->getNode(k);
        if (Other == Vertex) continue;
        std::vector<int>& Entries = Slot->EntriesWith[Other];
        if (Entries.empty() || Entries.back() != j) Entries.push_back(j);
      }
      Slot->ByID.emplace_back(Edge->getID(), j);
    }
    for (int j = 0; j < iDegree; ++j)
      if (Occurrences[Vertex->getEdge(j)] > 1) Slot->Repeated.push_back(j);
    std::sort(Slot->ByID.begin(), Slot->ByID.end());
    return Slot.get();
  }
};

IncidentCoverCache::IncidentCoverCache(int iHeavyDegree) : MyImpl(std::make_unique<Impl>()) {
  MyImpl->iHeavyDegree = iHeavyDegree;
}

IncidentCoverCache::~IncidentCoverCache() = default;

namespace {

struct ExplicitEdge {
  Hyperedge* Edge;
  int iPos;
  // (vertex index, number of entries of this hyperedge in its list), by vertex.
  std::vector<std::pair<int, int>> Incidences;
};

// Entries jBegin .. jBegin+iLen-1 of a vertex's list: private hyperedges at
// candidate positions iPos .. iPos+iLen-1.
struct PrivateRun {
  int iVertex;
  int iPos;
  int jBegin;
  int iLen;
};

struct Item {
  bool bRun;
  int iIndex;
};

struct IncidentVertex {
  Node* Vertex;
  const HeavyIndex* Index;  // null: every entry is explicit
  // Per explicit entry in list order: its list position and explicit index.
  std::vector<int> EntryPos;
  std::vector<int> EntryEdge;
  int iPrivate = 0;
  std::vector<int> Runs;  // by ascending jBegin
};

class IncidentProblem {
 public:
  IncidentProblem(const std::vector<Node*>& Nodes, IncidentCoverCache::Impl& Cache) {
    int s = static_cast<int>(Nodes.size());
    for (int a = 0; a < s; ++a) Index[Nodes[a]] = a;
    std::unordered_map<Hyperedge*, int> Seen;
    auto explicitEntry = [&](int a, int j, Hyperedge* Edge) {
      auto [It, bNew] = Seen.try_emplace(Edge, static_cast<int>(Explicit.size()));
      if (bNew) {
        Explicit.push_back({Edge, iPositions++, {}});
        Items.push_back({false, It->second});
      }
      ExplicitEdge& X = Explicit[static_cast<size_t>(It->second)];
      if (!X.Incidences.empty() && X.Incidences.back().first == a)
        ++X.Incidences.back().second;
      else
        X.Incidences.emplace_back(a, 1);
      Vertices[a].EntryPos.push_back(j);
      Vertices[a].EntryEdge.push_back(It->second);
    };
    Vertices.resize(static_cast<size_t>(s));
    for (int a = 0; a < s; ++a) {
      Node* Vertex = Nodes[a];
      IncidentVertex& V = Vertices[a];
      V.Vertex = Vertex;
      int iDegree = Vertex->getNbrOfEdges();
      if (iDegree <= Cache.iHeavyDegree) {
        V.Index = nullptr;
        for (int j = 0; j < iDegree; ++j) explicitEntry(a, j, Vertex->getEdge(j));
        continue;
      }
      V.Index = Cache.indexOf(Vertex);
      std::vector<int> Entries = V.Index->Repeated;
      for (int b = 0; b < s; ++b) {
        if (b == a) continue;
        auto It = V.Index->EntriesWith.find(Nodes[b]);
        if (It != V.Index->EntriesWith.end()) Entries.insert(Entries.end(), It->second.begin(), It->second.end());
      }
      std::sort(Entries.begin(), Entries.end());
      Entries.erase(std::unique(Entries.begin(), Entries.end()), Entries.end());
      int jNext = 0;
      auto addRun = [&](int jEnd) {
        if (jEnd <= jNext) return;
        V.Runs.push_back(static_cast<int>(Runs.size()));
        Items.push_back({true, static_cast<int>(Runs.size())});
        Runs.push_back({a, iPositions, jNext, jEnd - jNext});
        iPositions += jEnd - jNext;
        V.iPrivate += jEnd - jNext;
      };
      for (int j : Entries) {
        addRun(j);
        explicitEntry(a, j, Vertex->getEdge(j));
        jNext = j + 1;
      }
      addRun(iDegree);
    }
  }

  // One rule from scratch; the chosen hyperedges in candidate order.
  std::vector<Hyperedge*> solve(bool bWeighted, bool bDeterm) {
    int s = static_cast<int>(Vertices.size());
    Label.assign(static_cast<size_t>(s), 0);
    ChosenExplicit.assign(Explicit.size(), 0);
    RunOpen.resize(Runs.size());
    for (std::size_t r = 0; r < Runs.size(); ++r) RunOpen[r] = Runs[r].iLen;
    ChosenPrivate.assign(static_cast<size_t>(s), {});
    Chosen.clear();
    int iUncovered = s;

    // The first rule counts each uncovered vertex once per entry, as a
    // weight of 1; whole numbers add and subtract exactly, so the counts
    // kept up to date equal the counts taken afresh every round.
    std::vector<double> Weights(static_cast<size_t>(s), 1.0);
    if (bWeighted)
      for (int a = 0; a < s; ++a)
        Weights[a] = 1.0 - static_cast<double>(Vertices[a].Vertex->getNbrOfEdges()) / iPositions;

    chooseForced(iUncovered);

    // Scores: per explicit hyperedge, and per vertex for all its private ones.
    std::vector<double> Score(Explicit.size(), 0.0);
    std::vector<double> PrivateScore(static_cast<size_t>(s), 0.0);
    for (int a = 0; a < s; ++a)
      if (Label[a] == -1) Weights[a] = 0.0;
    for (int a = 0; a < s; ++a) {
      if (Weights[a] <= 0.0) continue;
      for (int x : Vertices[a].EntryEdge)
        if (!ChosenExplicit[x]) Score[x] += Weights[a];
      PrivateScore[a] += Weights[a];
    }

    std::vector<Item> Ties;
    while (iUncovered > 0) {
      // The open candidates of the best score, in candidate order, in one
      // pass: a better score starts the list again.
      bool bAny = false;
      double rBest = 0.0;
      Ties.clear();
      auto consider = [&](double rScore, const Item& It) {
        if (!bAny || rScore > rBest) {
          rBest = rScore;
          bAny = true;
          Ties.clear();
          Ties.push_back(It);
        } else if (rScore == rBest) {
          Ties.push_back(It);
        }
      };
      for (const Item& It : Items) {
        if (!It.bRun) {
          if (!ChosenExplicit[It.iIndex]) consider(Score[It.iIndex], It);
        } else if (RunOpen[It.iIndex] > 0) {
          consider(PrivateScore[Runs[It.iIndex].iVertex], It);
        }
      }
      if (!bAny) break;  // cannot happen for a coverable input
      Pick P = bDeterm ? pickSmallestID(Ties) : pickDrawn(Ties);
      choose(P);
      for (int a = 0; a < s; ++a) {
        if (Label[a] != 1) continue;
        for (int x : Vertices[a].EntryEdge)
          if (!ChosenExplicit[x]) Score[x] -= Weights[a];
        PrivateScore[a] -= Weights[a];
        Weights[a] = 0.0;
        Label[a] = -1;
        --iUncovered;
      }
    }
    std::sort(Chosen.begin(), Chosen.end());
    std::vector<Hyperedge*> Result;
    for (auto [iPos, Edge] : Chosen) Result.push_back(Edge);
    return Result;
  }

 private:
  // A candidate: an explicit hyperedge, or entry j of vertex a's list.
  struct Pick {
    int iExplicit;
    int a;
    int j;
  };

  Hyperedge* edgeOf(const Pick& P) const {
    return P.iExplicit >= 0 ? Explicit[P.iExplicit].Edge : Vertices[P.a].Vertex->getEdge(P.j);
  }

  // The run holding private entry j of vertex a.
  int runOf(int a, int j) const {
    const std::vector<int>& VRuns = Vertices[a].Runs;
    auto It = std::upper_bound(VRuns.begin(), VRuns.end(), j, [this](int jEntry, int r) { return jEntry < Runs[r].jBegin; });
    return *std::prev(It);
  }

  int positionOf(const Pick& P) const {
    if (P.iExplicit >= 0) return Explicit[P.iExplicit].iPos;
    const PrivateRun& R = Runs[runOf(P.a, P.j)];
    return R.iPos + (P.j - R.jBegin);
  }

  bool isPrivateChosen(int a, int j) const {
    const std::vector<int>& C = ChosenPrivate[a];
    return std::binary_search(C.begin(), C.end(), j);
  }

  void choose(const Pick& P) {
    Hyperedge* Edge = edgeOf(P);
    if (P.iExplicit >= 0) {
      ChosenExplicit[P.iExplicit] = 1;
    } else {
      std::vector<int>& C = ChosenPrivate[P.a];
      C.insert(std::upper_bound(C.begin(), C.end(), P.j), P.j);
      --RunOpen[runOf(P.a, P.j)];
    }
    Chosen.emplace_back(positionOf(P), Edge);
    for (int k = 0; k < Edge->getNbrOfNodes(); ++k) {
      auto It = Index.find(Edge->getNode(k));
      if (It != Index.end() && Label[It->second] == 0) Label[It->second] = 1;
    }
  }

  // A vertex still uncovered with exactly one open hyperedge forces it.
  void chooseForced(int& iUncovered) {
    int s = static_cast<int>(Vertices.size());
    for (int a = 0; a < s; ++a) {
      if (Label[a] != 0) continue;
      const IncidentVertex& V = Vertices[a];
      int iOpen = 0;
      Pick Open{-1, a, -1};
      size_t p = 0;
      for (int j = 0; j < V.Vertex->getNbrOfEdges() && iOpen < 2; ++j) {
        if (p < V.EntryPos.size() && V.EntryPos[p] == j) {
          int x = V.EntryEdge[p++];
          if (ChosenExplicit[x]) continue;
          Open = {x, a, j};
        } else {
          if (isPrivateChosen(a, j)) continue;
          Open = {-1, a, j};
        }
        ++iOpen;
      }
      if (iOpen == 1) choose(Open);
    }
    for (int a = 0; a < s; ++a)
      if (Label[a] == 1) {
        Label[a] = -1;
        --iUncovered;
      }
  }

  // The smallest ID among the ties, the first in candidate order among
  // equal IDs.
  Pick pickSmallestID(const std::vector<Item>& Ties) {
    Pick Best{-1, -1, -1};
    std::pair<int, int> BestKey{0, 0};
    bool bHave = false;
    auto offer = [&](const Pick& P) {
      std::pair<int, int> Key{edgeOf(P)->getID(), positionOf(P)};
      if (!bHave || Key < BestKey) {
        Best = P;
        BestKey = Key;
        bHave = true;
      }
    };
    std::vector<int> Offered;  // vertices whose private candidates were offered
    for (const Item& It : Ties) {
      if (!It.bRun) {
        offer({It.iIndex, -1, -1});
        continue;
      }
      int a = Runs[It.iIndex].iVertex;
      if (std::find(Offered.begin(), Offered.end(), a) != Offered.end()) continue;
      Offered.push_back(a);
      // All open private candidates of a are tied: the first of them by ID.
      const IncidentVertex& V = Vertices[a];
      for (auto [iID, j] : V.Index->ByID) {
        if (std::binary_search(V.EntryPos.begin(), V.EntryPos.end(), j) || isPrivateChosen(a, j)) continue;
        offer({-1, a, j});
        break;
      }
    }
    return Best;
  }

  // Entry rand() % k of the k tied candidates in candidate order.
  Pick pickDrawn(const std::vector<Item>& Ties) {
    size_t iTotal = 0;
    for (const Item& It : Ties) iTotal += It.bRun ? static_cast<size_t>(RunOpen[It.iIndex]) : 1;
    size_t r = static_cast<size_t>(std::rand()) % iTotal;
    for (const Item& It : Ties) {
      if (!It.bRun) {
        if (r == 0) return {It.iIndex, -1, -1};
        --r;
        continue;
      }
      const PrivateRun& R = Runs[It.iIndex];
      size_t iOpen = static_cast<size_t>(RunOpen[It.iIndex]);
      if (r >= iOpen) {
        r -= iOpen;
        continue;
      }
      // The r-th open entry of the run, stepping over chosen ones.
      int j = R.jBegin + static_cast<int>(r);
      const std::vector<int>& C = ChosenPrivate[R.iVertex];
      for (auto It2 = std::lower_bound(C.begin(), C.end(), R.jBegin); It2 != C.end() && *It2 <= j; ++It2) ++j;
      return {-1, R.iVertex, j};
    }
    return {-1, -1, -1};  // not reached: r < iTotal
  }

  std::unordered_map<Node*, int> Index;
  std::vector<IncidentVertex> Vertices;
  std::vector<ExplicitEdge> Explicit;
  std::vector<PrivateRun> Runs;
  std::vector<Item> Items;  // candidates in order
  int iPositions = 0;

  std::vector<int> Label;  // 0 uncovered, 1 covered in this step, -1 settled
  std::vector<char> ChosenExplicit;
  std::vector<int> RunOpen;  // per run, its entries not chosen
  std::vector<std::vector<int>> ChosenPrivate;  // per vertex, ascending entries
  std::vector<std::pair<int, Hyperedge*>> Chosen;
};

}  // namespace

std::vector<Hyperedge*> SetCover::coverIncident(const std::vector<Node*>& Nodes, IncidentCoverCache& Cache) {
  for (Node* Vertex : Nodes)
    if (Vertex->getNbrOfEdges() == 0) writeErrorMsg("Covering not possible.", "SetCover::cover", true);
  IncidentProblem Problem(Nodes, *Cache.MyImpl);
  std::vector<Hyperedge*> Best = Problem.solve(false, true);
  for (auto [bWeighted, bDeterm] : {std::pair{false, false}, std::pair{true, true}, std::pair{true, false}}) {
    std::vector<Hyperedge*> Result = Problem.solve(bWeighted, bDeterm);
    if (Result.size() < Best.size()) Best.swap(Result);
  }
  return Best;
}

}  // namespace kivra
