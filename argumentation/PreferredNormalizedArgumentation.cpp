#include "PreferredNormalizedArgumentation.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <utility>

#include "ArgumentationProblem.h"
#include "BagSet.h"
#include "PreferredColorings.h"

// Why the node rules are sound, for a node with bag B whose subtree holds the
// arguments A, of which R = A \ B are already removed. Every attack lies in
// some bag, and an argument's bags form a connected subtree, so:
// - an argument introduced at a node has no attack with any argument of R;
// - an argument removed at a node meets all its attackers and targets below it;
// - the two subtrees of a branch share only B, and no attack joins an argument
//   removed on one side with one removed on the other.
// Hence a colouring computed from the In part of the bag is complete, and the
// candidate sets of a branch are exactly the unions of candidate sets of its
// children that agree on B.
//
// The rules work on packed colourings (PreferredArgumentationTuple.h): a
// colouring is a few words, and the In set, the join of two colourings and the
// colouring with an argument added or taken out are a few bit operations per
// word (PreferredColorings.h). Certificate lists are gathered in a reused flat
// buffer (ColoringList), then sorted and made unique, which gives the same
// set as inserting them one by one.
//
// Tables stay small because most certificates carry nothing. Order the
// colours of an argument outside a set as Attacker < Out < Defeated (an
// undefeated attacker, an argument with no conflict, a defeated one), and
// say a colouring m dominates k when both have the same In set and m's colour
// is at least k's at every other position. Every rule is monotone in this
// order: the introduced argument's colour depends on the In set alone; with
// it added, what it attacks becomes Defeated and what attacks it becomes an
// Attacker unless Defeated; a branch join is Defeated if either side is,
// else Attacker if either side is, else Out; a removal that drops a
// colouring (the removed argument is an Attacker in it) drops every
// colouring it dominates too. And at the root a dominating colouring has no
// Attacker when the dominated one has none. Hence:
// - a certificate dominated by another of its row's is left out: whenever it
//   would show an admissible superset at the root, the other would too;
// - a row one of whose certificates dominates its own colouring is left out:
//   its sets can never be preferred, since that certificate, carried along
//   with the row's images, dominates them all the way to the root. No row
//   is read as a certificate of another (each carries its own), so nothing
//   else needs it.
// Rows whose certificates become equal this way share one entry. Each set
// still lies in exactly one row, so unions stay disjoint and counts exact,
// and the accepted sets at the root are exactly the preferred extensions.

using kivra::Solution, kivra::TupleSet, kivra::Vertex, kivra::VertexSet;
using packed::ColoringList;
using packed::erasePosition;
using packed::fromLowBits;
using packed::hasAttacker;
using packed::inBits;
using packed::insertPosition;
using packed::isDominated;
using packed::joinColorings;
using packed::sameInSet;
using packed::Word;
using Row = PreferredArgumentationTuple;

namespace {

// Whether every member of a is a member of b.
bool isSubsetOf(const BagSet& a, const BagSet& b) {
  for (std::size_t w = 0; w < a.words(); ++w)
    if (a.word(w) & ~b.word(w)) return false;
  return true;
}

Coloring join(Coloring a, Coloring b) {
  if (a == Coloring::Defeated || b == Coloring::Defeated) return Coloring::Defeated;
  if (a == Coloring::In && b == Coloring::In) return Coloring::In;
  if (a == Coloring::Out && b == Coloring::Out) return Coloring::Out;
  return Coloring::Attacker;
}

std::size_t positionOf(const kivra::VertexList& bag, Vertex v) {
  return static_cast<std::size_t>(std::lower_bound(bag.begin(), bag.end(), v) - bag.begin());
}

const Row& rowOf(const TupleSet::value_type& entry) { return *static_cast<const Row*>(entry.first); }

}  // namespace

PreferredNormalizedArgumentationAlgorithm::PreferredNormalizedArgumentationAlgorithm(kivra::Problem* problem)
    : kivra::AbstractNormalizedHTDAlgorithm(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

PreferredNormalizedArgumentationAlgorithm::~PreferredNormalizedArgumentationAlgorithm() = default;

bool PreferredNormalizedArgumentationAlgorithm::attacks(Vertex a, Vertex b) const {
  const auto [from, to] = argumentationProblem->attackedRange(a);
  return std::binary_search(from, to, b);
}

void PreferredNormalizedArgumentationAlgorithm::addRow(Row* row, Solution* solution, TupleSet* table) {
  delete addToTupleSet(row, solution, table, kivra::Union);
}

VertexSet PreferredNormalizedArgumentationAlgorithm::getInArgs(const VertexSet& bag,
                                                               const BagColoring& coloring) const {
  VertexSet in;
  std::size_t i = 0;
  for (Vertex v : bag) {
    if (coloring[i] == Coloring::In) in.insert(in.end(), v);
    ++i;
  }
  return in;
}

VertexSet PreferredNormalizedArgumentationAlgorithm::attackedBySet(const VertexSet& set,
                                                                   ArgumentationProblem* problem) const {
  VertexSet attacked;
  for (Vertex s : set) {
    const auto [from, to] = problem->attackedRange(s);
    attacked.insert(from, to);
  }
  return attacked;
}

BagColoring PreferredNormalizedArgumentationAlgorithm::getIntroColorings(const VertexSet& inArgs,
                                                                         const BagColoring& childColoring,
                                                                         Vertex introduced, bool& canBeIn,
                                                                         const VertexSet& bag) const {
  // Only the members of inArgs are asked about; the arguments they attack
  // elsewhere in the framework do not matter here.
  bool attackedByIn = false;
  bool attacksIn = false;
  for (Vertex i : inArgs) {
    attackedByIn = attackedByIn || attacks(i, introduced);
    attacksIn = attacksIn || attacks(introduced, i);
  }
  BagColoring coloring;
  coloring.reserve(bag.size());
  std::size_t j = 0;
  for (Vertex v : bag) {
    if (v != introduced) {
      coloring.push_back(childColoring[j++]);
    } else if (attackedByIn) {
      coloring.push_back(Coloring::Defeated);
    } else if (attacksIn) {
      coloring.push_back(Coloring::Attacker);
    } else {
      coloring.push_back(Coloring::Out);
      if (!attacks(introduced, introduced)) canBeIn = true;
    }
  }
  return coloring;
}

BagColoring PreferredNormalizedArgumentationAlgorithm::getBranchColorings(const BagColoring& a,
                                                                          const BagColoring& b,
                                                                          const VertexSet& bag) const {
  BagColoring joined(bag.size());
  for (std::size_t i = 0; i < bag.size(); ++i) joined[i] = join(a[i], b[i]);
  return joined;
}

CertificateSet PreferredNormalizedArgumentationAlgorithm::getEqualInSets(const BagColoring& coloring,
                                                                         const CertificateSet& certificates,
                                                                         const VertexSet& bag) const {
  const VertexSet in = getInArgs(bag, coloring);
  CertificateSet joined;
  for (const BagColoring& k : certificates)
    if (getInArgs(bag, k) == in) joined.insert(getBranchColorings(coloring, k, bag));
  return joined;
}

std::vector<VertexSet> PreferredNormalizedArgumentationAlgorithm::conflictFreeSets(const VertexSet& bag) const {
  const BagAttacks inBag(bag, argumentationProblem);
  std::vector<BagSet> sets = inBag.conflictFreeSubsets(inBag.all());
  // Bit i of a mask selects position i: masks compare from their highest word.
  std::sort(sets.begin(), sets.end(), [](const BagSet& a, const BagSet& b) {
    for (std::size_t w = std::max(a.words(), b.words()); w-- > 0;)
      if (a.word(w) != b.word(w)) return a.word(w) < b.word(w);
    return false;
  });
  std::vector<VertexSet> result;
  result.reserve(sets.size());
  for (const BagSet& s : sets) result.push_back(inBag.vertices(s));
  return result;
}

bool PreferredNormalizedArgumentationAlgorithm::isSubset(const BagColoring& a, const BagColoring& b) const {
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] == Coloring::In && b[i] != Coloring::In) return false;
  return true;
}

bool PreferredNormalizedArgumentationAlgorithm::attCheck(const VertexSet& set, Vertex argument,
                                                         ArgumentationProblem* problem) const {
  const auto [from, to] = problem->attackedRange(argument);
  for (Vertex s : set)
    if (std::binary_search(from, to, s)) return true;
  return false;
}

// Leaf: one row per conflict-free subset S of the bag, coloured directly, with
// the colourings of all strict supersets of S among them as certificates.
TupleSet* PreferredNormalizedArgumentationAlgorithm::evaluateLeafNode(const kivra::ExtendedHypertree* node) {
  const BagAttacks& bag = bagAttacks.assign(node->getVertices(), argumentationProblem);
  const std::size_t n = bag.size();
  const std::size_t width = packed::wordsFor(n);
  const std::vector<BagSet> sets = bag.conflictFreeSubsets(bag.all());

  ColoringList colorings;
  colorings.reset(width);
  for (const BagSet& s : sets) {
    Word* coloring = colorings.append();
    std::fill(coloring, coloring + width, Word{0});
    for (std::size_t i = 0; i < n; ++i) {
      Coloring c = Coloring::Out;  // also every argument's colour towards the empty set
      if (s.test(i))
        c = Coloring::In;
      else if (bag.attackersOf(i).intersects(s))
        c = Coloring::Defeated;
      else if (bag.attacksOf(i).intersects(s))
        c = Coloring::Attacker;
      packed::set(coloring, i, c);
    }
  }

  ColoringList certificates;
  TupleSet* table = new TupleSet();  // owned by the caller
  for (std::size_t r1 = 0; r1 < sets.size(); ++r1) {
    // The sets are distinct: every other superset is a strict one.
    certificates.reset(width);
    for (std::size_t r2 = 0; r2 < sets.size(); ++r2)
      if (r2 != r1 && isSubsetOf(sets[r1], sets[r2])) certificates.append(colorings.at(r2));
    certificates.sortUnique();
    // Distinct sets have distinct colourings: no two rows coincide.
    table->emplace(new Row(n, colorings.at(r1), certificates.data(), certificates.size()),
                   createLeafSolution(bag.vertices(sets[r1])));
  }
  return table;
}

// Introduction of x: a child row (cc, K) yields the row with x kept out, whose
// certificates are every extension of the members of K plus cc with x added,
// and, when x can join, the row with x in, whose certificates are the members
// of K that can take x, with x added.
TupleSet* PreferredNormalizedArgumentationAlgorithm::evaluateIntroductionNode(
    const kivra::ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  const kivra::VertexList& bag = node->getVertices();
  const Vertex x = node->getDifference();
  const std::size_t n = bag.size(), childN = n - 1;
  const std::size_t width = packed::wordsFor(n), childWidth = packed::wordsFor(childN);
  const std::size_t p = positionOf(bag, x);

  // Over the child's positions: the arguments x attacks and those attacking
  // x, from the framework's attacked ranges, which ascend like the bag. Only
  // x's attacks matter here, so the bag's other attacks are not gathered.
  std::vector<Word> xAttacks(childWidth), attacksX(childWidth);
  bool selfAttacking = false;
  auto [xTarget, xEnd] = argumentationProblem->attackedRange(x);
  for (std::size_t q = 0, j = 0; q < n; ++q) {
    xTarget = std::lower_bound(xTarget, xEnd, bag[q]);
    const bool attacked = xTarget != xEnd && *xTarget == bag[q];
    if (q == p) {
      selfAttacking = attacked;
      continue;
    }
    const Word bit = Word{1} << packed::shiftOf(j);
    if (attacked) xAttacks[j / packed::kPositionsPerWord] |= bit;
    const auto [from, to] = argumentationProblem->attackedRange(bag[q]);
    if (std::binary_search(from, to, x)) attacksX[j / packed::kPositionsPerWord] |= bit;
    ++j;
  }

  // The colouring of cc's set with x kept out into `out` and, when x can
  // join, with x added into `in`; returns whether it can. Each depends on cc
  // alone, so the certificates map like the rows they are colourings of.
  std::vector<Word> scratch(childWidth);
  auto extend = [&](const Word* cc, Word* out, Word* in) {
    bool attackedByIn = false, attacksIn = false;
    for (std::size_t w = 0; w < childWidth; ++w) {
      attackedByIn = attackedByIn || (inBits(cc[w]) & attacksX[w]);
      attacksIn = attacksIn || (inBits(cc[w]) & xAttacks[w]);
    }
    const Coloring xColor = attackedByIn ? Coloring::Defeated : attacksIn ? Coloring::Attacker : Coloring::Out;
    insertPosition(cc, childN, p, xColor, out);
    if (xColor != Coloring::Out || selfAttacking) return false;
    // With x in: the In members stay, what x attacks is defeated, what
    // attacks x becomes an attacker unless already defeated.
    for (std::size_t w = 0; w < childWidth; ++w) {
      using packed::positionsWith;
      const Word inMembers = positionsWith(cc[w], Coloring::In);
      const Word defeated = ~inMembers & (xAttacks[w] | positionsWith(cc[w], Coloring::Defeated));
      const Word out = positionsWith(cc[w], Coloring::Out) & ~xAttacks[w] & ~attacksX[w];
      scratch[w] = fromLowBits(defeated | out, inMembers | out);
    }
    insertPosition(scratch.data(), childN, p, Coloring::In, in);
    return true;
  };

  std::vector<Word> ownOut(width), ownIn(width), kOut(width), kIn(width);
  ColoringList outCertificates, inCertificates;
  TupleSet* table = new TupleSet();  // owned by the caller
  for (const auto& entry : *child) {
    const Row& row = rowOf(entry);
    const bool ownCanBeIn = extend(row.packedColoring(), ownOut.data(), ownIn.data());
    outCertificates.reset(width);
    inCertificates.reset(width);
    for (std::size_t i = 0; i < row.certificateCount(); ++i) {
      const bool canBeIn = extend(row.packedCertificate(i), kOut.data(), kIn.data());
      outCertificates.append(kOut.data());
      if (canBeIn) inCertificates.append(kIn.data());
    }
    // The child's certificates dominate none of each other, so neither do
    // their versions with x out; those with x in have another In set, and
    // only among themselves and the row's own version with x in can one
    // dominate another.
    inCertificates.sortUnique();
    inCertificates.keepMaximal();
    const bool inRowDominated = ownCanBeIn && isDominated(ownIn.data(), inCertificates, width);
    for (std::size_t i = 0; i < inCertificates.size(); ++i) {
      const Word* k = inCertificates.at(i);
      if (!ownCanBeIn || inRowDominated || !sameInSet(k, ownIn.data(), width) ||
          !ColoringList::dominates(ownIn.data(), k, width))
        outCertificates.append(k);
    }
    if (ownCanBeIn && !inRowDominated) {
      addRow(new Row(n, ownIn.data(), inCertificates.data(), inCertificates.size()), addToSolution(entry.second, x),
             table);
      outCertificates.append(ownIn.data());
    }
    outCertificates.sortUnique();
    if (!isDominated(ownOut.data(), outCertificates, width))
      addRow(new Row(n, ownOut.data(), outCertificates.data(), outCertificates.size()), entry.second, table);
  }
  kivra::AbstractHTDAlgorithm::releaseTable(child);
  return table;
}

// Removal of x: a set whose colouring has x as an undefeated attacker can no
// longer be completed to an admissible set, so its rows are dropped and its
// colourings leave every certificate set; the rest lose x's position. Rows
// that become equal are merged.
TupleSet* PreferredNormalizedArgumentationAlgorithm::evaluateRemovalNode(const kivra::ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  const std::size_t childN = node->firstChild()->getVertices().size(), n = childN - 1;
  const std::size_t p = positionOf(node->firstChild()->getVertices(), node->getDifference());
  const std::size_t width = packed::wordsFor(n);

  std::vector<Word> coloring(width);
  ColoringList certificates;
  TupleSet* table = new TupleSet();  // owned by the caller
  for (const auto& entry : *child) {
    const Row& row = rowOf(entry);
    if (packed::get(row.packedColoring(), p) == Coloring::Attacker) continue;
    // Every certificate is the colouring of a child row, which survives
    // exactly when x is not an undefeated attacker in it.
    certificates.reset(width);
    for (std::size_t i = 0; i < row.certificateCount(); ++i) {
      const Word* k = row.packedCertificate(i);
      if (packed::get(k, p) != Coloring::Attacker) erasePosition(k, childN, p, certificates.append());
    }
    certificates.sortUnique();
    certificates.keepMaximal();
    erasePosition(row.packedColoring(), childN, p, coloring.data());
    if (isDominated(coloring.data(), certificates, width)) continue;
    addRow(new Row(n, coloring.data(), certificates.data(), certificates.size()), entry.second, table);
  }
  kivra::AbstractHTDAlgorithm::releaseTable(child);
  return table;
}

// Branch: rows of the two children with equal In sets combine. The strictly
// larger sets of the combination are a larger set on one side with the row's
// own set on the other, or larger sets on both sides, always agreeing on the
// In part of the bag.
TupleSet* PreferredNormalizedArgumentationAlgorithm::evaluateBranchNode(const kivra::ExtendedHypertree* node) {
  TupleSet* left = evaluateNode(node->firstChild());
  TupleSet* right = evaluateNode(node->secondChild());
  const std::size_t n = node->getVertices().size();
  const std::size_t width = packed::wordsFor(n);

  // In sets as keys of `width` words, compared as bit strings.
  auto keyOf = [width](const Word* colouring, Word* key) {
    for (std::size_t j = 0; j < width; ++j) key[j] = inBits(colouring[j]);
  };
  auto compareKeys = [width](const Word* a, const Word* b) {
    for (std::size_t j = 0; j < width; ++j)
      if (a[j] != b[j]) return a[j] < b[j] ? -1 : 1;
    return 0;
  };

  // Each row with its certificates in ascending order of In set, so that
  // those of one In set form a run, and the In set of each; the entries of a
  // table share the arrays. Rows pair only with rows of their own In set, so
  // the run of that In set is found once per row. A side is as small as the
  // tables are long.
  struct Side {
    const Row* row;
    Solution* solution;
    std::size_t from;  // the row's first entry in `certificates` and `keys`
    std::uint32_t ownFrom, ownTo;  // the run of its own In set, counted from `from`
    // The end of the row's entries.
    std::size_t to() const { return from + row->certificateCount(); }
  };
  struct Prepared {
    std::vector<Side> sides;
    std::vector<const Word*> certificates;
    std::vector<Word> keys;  // `width` words per certificate
  };
  std::vector<Word> rowKeys, ownKey(width);
  std::vector<std::uint32_t> byKey;
  auto prepare = [&](TupleSet* table) {
    Prepared prepared;
    prepared.sides.reserve(table->size());
    std::size_t total = 0;
    for (const auto& entry : *table) total += rowOf(entry).certificateCount();
    prepared.certificates.reserve(total);
    prepared.keys.reserve(total * width);
    for (const auto& entry : *table) {
      const Row& row = rowOf(entry);
      const std::uint32_t count = static_cast<std::uint32_t>(row.certificateCount());
      rowKeys.resize(count * width);
      for (std::uint32_t i = 0; i < count; ++i) keyOf(row.packedCertificate(i), &rowKeys[i * width]);
      byKey.resize(count);
      std::iota(byKey.begin(), byKey.end(), 0u);
      auto before = [&](std::uint32_t a, std::uint32_t b) {
        const int c = compareKeys(&rowKeys[a * width], &rowKeys[b * width]);
        return c < 0 || (c == 0 && a < b);
      };
      if (!std::is_sorted(byKey.begin(), byKey.end(), before)) std::sort(byKey.begin(), byKey.end(), before);
      const std::size_t from = prepared.certificates.size();
      for (std::uint32_t i : byKey) {
        prepared.certificates.push_back(row.packedCertificate(i));
        prepared.keys.insert(prepared.keys.end(), &rowKeys[i * width], &rowKeys[i * width] + width);
      }
      const std::size_t to = prepared.certificates.size();
      std::size_t ownFrom = from, ownTo = from;
      if (count > 0) {
        keyOf(row.packedColoring(), ownKey.data());
        while (ownFrom < to && compareKeys(&prepared.keys[ownFrom * width], ownKey.data()) < 0) ++ownFrom;
        ownTo = ownFrom;
        while (ownTo < to && compareKeys(&prepared.keys[ownTo * width], ownKey.data()) == 0) ++ownTo;
      }
      prepared.sides.push_back(
          {&row, entry.second, from, static_cast<std::uint32_t>(ownFrom - from), static_cast<std::uint32_t>(ownTo - from)});
    }
    return prepared;
  };
  const Prepared lefts = prepare(left);
  const Prepared rights = prepare(right);
  auto keyAt = [width](const Prepared& prepared, std::size_t at) { return &prepared.keys[at * width]; };

  // The right rows in ascending order of In set, in table order within one.
  std::vector<Word> rightKeys(rights.sides.size() * width);
  for (std::size_t r = 0; r < rights.sides.size(); ++r) keyOf(rights.sides[r].row->packedColoring(), &rightKeys[r * width]);
  auto rightKey = [&](std::uint32_t r) { return &rightKeys[r * width]; };
  std::vector<std::uint32_t> rightOrder(rights.sides.size());
  std::iota(rightOrder.begin(), rightOrder.end(), 0u);
  std::sort(rightOrder.begin(), rightOrder.end(), [&](std::uint32_t a, std::uint32_t b) {
    const int c = compareKeys(rightKey(a), rightKey(b));
    return c < 0 || (c == 0 && a < b);
  });

  std::vector<Word> coloring(width), key(width);
  ColoringList certificates;
  TupleSet* table = new TupleSet();  // owned by the caller
  for (const Side& l : lefts.sides) {
    const Word* c1 = l.row->packedColoring();
    keyOf(c1, key.data());
    const auto first = std::partition_point(rightOrder.begin(), rightOrder.end(),
                                            [&](std::uint32_t r) { return compareKeys(rightKey(r), key.data()) < 0; });
    const auto last = std::partition_point(first, rightOrder.end(),
                                           [&](std::uint32_t r) { return compareKeys(rightKey(r), key.data()) == 0; });
    for (auto it = first; it != last; ++it) {
      const Side& r = rights.sides[*it];
      const Word* c2 = r.row->packedColoring();
      certificates.reset(width);
      for (std::size_t k2 = r.from + r.ownFrom; k2 < r.from + r.ownTo; ++k2)
        joinColorings(c1, rights.certificates[k2], certificates.append(), width);
      for (std::size_t k1 = l.from + l.ownFrom; k1 < l.from + l.ownTo; ++k1)
        joinColorings(c2, lefts.certificates[k1], certificates.append(), width);
      // These certificates share the row's In set: when one dominates the
      // row, the joins of the larger sets on both sides need not be formed.
      joinColorings(c1, c2, coloring.data(), width);
      if (isDominated(coloring.data(), certificates, width)) continue;
      // Both orders ascend by In set: walk them together, joining runs with
      // equal In sets.
      std::size_t a = l.from, b = r.from;
      const std::size_t lTo = l.to(), rTo = r.to();
      while (a < lTo && b < rTo) {
        const int c = compareKeys(keyAt(lefts, a), keyAt(rights, b));
        if (c < 0) {
          ++a;
        } else if (c > 0) {
          ++b;
        } else {
          std::size_t aEnd = a + 1, bEnd = b + 1;
          while (aEnd < lTo && compareKeys(keyAt(lefts, aEnd), keyAt(lefts, a)) == 0) ++aEnd;
          while (bEnd < rTo && compareKeys(keyAt(rights, bEnd), keyAt(rights, b)) == 0) ++bEnd;
          for (std::size_t i = a; i < aEnd; ++i)
            for (std::size_t k = b; k < bEnd; ++k)
              joinColorings(lefts.certificates[i], rights.certificates[k], certificates.append(), width);
          a = aEnd;
          b = bEnd;
        }
      }
      certificates.sortUnique();
      certificates.keepMaximal();
      if (isDominated(coloring.data(), certificates, width)) continue;
      addRow(new Row(n, coloring.data(), certificates.data(), certificates.size()),
             combineSolutions(kivra::CrossJoin, l.solution, r.solution), table);
    }
  }
  kivra::AbstractHTDAlgorithm::releaseTable(left);
  kivra::AbstractHTDAlgorithm::releaseTable(right);
  return table;
}

Solution* PreferredNormalizedArgumentationAlgorithm::selectSolution(TupleSet* tuples,
                                                                    const kivra::ExtendedHypertree*) {
  // At the root a colouring, a row's or a certificate's, shows an admissible
  // set exactly when it has no undefeated attacker. Certificates are tested
  // by themselves: the rows they are colourings of may have been left out
  // as dominated.
  std::size_t n = 0;
  if (!tuples->empty()) n = rowOf(*tuples->begin()).positions();
  Solution* result = createEmptySolution();
  for (const auto& entry : *tuples) {
    const Row& row = rowOf(entry);
    if (hasAttacker(row.packedColoring(), n)) continue;
    bool accepted = true;
    for (std::size_t i = 0; i < row.certificateCount() && accepted; ++i)
      accepted = hasAttacker(row.packedCertificate(i), n);
    if (accepted) result = combineSolutions(kivra::Union, result, entry.second);
  }
  return result;
}
