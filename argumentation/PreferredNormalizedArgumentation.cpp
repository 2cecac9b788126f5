#include "PreferredNormalizedArgumentation.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <span>
#include <utility>

#include "ArgumentationProblem.h"

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

using kivra::Solution;
using kivra::TupleSet;
using kivra::Vertex;
using kivra::VertexSet;

namespace {

// A set of bag positions as a bit string, for bags of any size. The first
// word is kept inline, so bags of up to 64 arguments allocate nothing.
class PositionBits {
 public:
  explicit PositionBits(std::size_t size) : rest(size > 64 ? (size - 1) / 64 : 0, 0) {}

  void set(std::size_t i) { word(i / 64) |= std::uint64_t{1} << (i % 64); }
  bool test(std::size_t i) const { return (word(i / 64) >> (i % 64)) & 1; }
  bool intersects(const PositionBits& other) const {
    if (first & other.first) return true;
    for (std::size_t w = 0; w < rest.size(); ++w)
      if (rest[w] & other.rest[w]) return true;
    return false;
  }
  bool isSubsetOf(const PositionBits& other) const {
    if (first & ~other.first) return false;
    for (std::size_t w = 0; w < rest.size(); ++w)
      if (rest[w] & ~other.rest[w]) return false;
    return true;
  }
  bool empty() const {
    if (first) return false;
    for (std::uint64_t w : rest)
      if (w) return false;
    return true;
  }
  auto operator<=>(const PositionBits&) const = default;

 private:
  std::uint64_t& word(std::size_t w) { return w == 0 ? first : rest[w - 1]; }
  const std::uint64_t& word(std::size_t w) const { return w == 0 ? first : rest[w - 1]; }

  std::uint64_t first = 0;
  std::vector<std::uint64_t> rest;
};

PositionBits inPositions(const BagColoring& coloring) {
  PositionBits bits(coloring.size());
  for (std::size_t i = 0; i < coloring.size(); ++i)
    if (coloring[i] == Coloring::In) bits.set(i);
  return bits;
}

bool hasAttacker(const BagColoring& coloring) {
  for (Coloring c : coloring)
    if (c == Coloring::Attacker) return true;
  return false;
}

Coloring join(Coloring a, Coloring b) {
  if (a == Coloring::Defeated || b == Coloring::Defeated) return Coloring::Defeated;
  if (a == Coloring::In && b == Coloring::In) return Coloring::In;
  if (a == Coloring::Out && b == Coloring::Out) return Coloring::Out;
  return Coloring::Attacker;
}

BagColoring joinColorings(const BagColoring& a, const BagColoring& b) {
  BagColoring joined(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) joined[i] = join(a[i], b[i]);
  return joined;
}

std::size_t positionOf(const VertexSet& bag, Vertex v) {
  return static_cast<std::size_t>(std::distance(bag.begin(), bag.find(v)));
}

// The conflict-free subsets of a bag as position sets, in ascending mask
// order. After deciding positions 0..i-1 the list holds the conflict-free
// subsets of those positions in ascending mask order; appending the sets that
// can take position i, in list order, keeps it so, since they all have bit i
// set and every earlier set has not. conflicts[i] holds the positions below i
// that attack or are attacked by position i.
std::vector<PositionBits> enumerateConflictFree(const std::vector<bool>& selfAttacking,
                                                const std::vector<PositionBits>& conflicts) {
  const std::size_t n = selfAttacking.size();
  std::vector<PositionBits> sets{PositionBits(n)};
  for (std::size_t i = 0; i < n; ++i) {
    if (selfAttacking[i]) continue;
    const std::size_t before = sets.size();
    for (std::size_t k = 0; k < before; ++k) {
      if (sets[k].intersects(conflicts[i])) continue;
      PositionBits extended = sets[k];
      extended.set(i);
      sets.push_back(std::move(extended));
    }
  }
  return sets;
}

void deleteTable(TupleSet* table) {
  for (auto& entry : *table) delete entry.first;
  delete table;
}

const PreferredArgumentationTuple& rowOf(const TupleSet::value_type& entry) {
  return *static_cast<const PreferredArgumentationTuple*>(entry.first);
}

}  // namespace

PreferredNormalizedArgumentationAlgorithm::PreferredNormalizedArgumentationAlgorithm(kivra::Problem* problem)
    : kivra::AbstractNormalizedHTDAlgorithm(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

PreferredNormalizedArgumentationAlgorithm::~PreferredNormalizedArgumentationAlgorithm() = default;

bool PreferredNormalizedArgumentationAlgorithm::attacks(Vertex a, Vertex b) const {
  const VertexSet* targets = argumentationProblem->getAttacksFromArg(a);
  return targets != nullptr && targets->count(b) > 0;
}

void PreferredNormalizedArgumentationAlgorithm::mergeRow(TupleSet* table, PreferredArgumentationTuple* row,
                                                         Solution* solution) {
  // Same effect as adding with Union: an equal row keeps one entry whose
  // solution is the union of the earlier and the new one. The earlier key
  // stays; it equals the new row, which is released.
  auto [entry, inserted] = table->emplace(row, solution);
  if (!inserted) {
    entry->second = combineSolutions(kivra::Union, entry->second, solution);
    delete row;
  }
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
    const VertexSet* targets = problem->getAttacksFromArg(s);
    if (targets != nullptr) attacked.insert(targets->begin(), targets->end());
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
  const std::vector<Vertex> args(bag.begin(), bag.end());
  const std::size_t n = args.size();
  std::vector<bool> selfAttacking(n);
  std::vector<PositionBits> conflicts(n, PositionBits(n));
  for (std::size_t i = 0; i < n; ++i) {
    selfAttacking[i] = attacks(args[i], args[i]);
    for (std::size_t j = 0; j < i; ++j)
      if (attacks(args[i], args[j]) || attacks(args[j], args[i])) conflicts[i].set(j);
  }
  std::vector<VertexSet> sets;
  for (const PositionBits& bits : enumerateConflictFree(selfAttacking, conflicts)) {
    VertexSet s;
    for (std::size_t i = 0; i < n; ++i)
      if (bits.test(i)) s.insert(s.end(), args[i]);
    sets.push_back(std::move(s));
  }
  return sets;
}

bool PreferredNormalizedArgumentationAlgorithm::isSubset(const BagColoring& a, const BagColoring& b) const {
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] == Coloring::In && b[i] != Coloring::In) return false;
  return true;
}

bool PreferredNormalizedArgumentationAlgorithm::attCheck(const VertexSet& set, Vertex argument,
                                                         ArgumentationProblem* problem) const {
  const VertexSet* targets = problem->getAttacksFromArg(argument);
  if (targets == nullptr) return false;
  for (Vertex s : set)
    if (targets->count(s)) return true;
  return false;
}

// Leaf: one row per conflict-free subset S of the bag, coloured directly, with
// the colourings of all strict supersets of S among them as certificates.
TupleSet* PreferredNormalizedArgumentationAlgorithm::evaluateLeafNode(const kivra::ExtendedHypertree* node) {
  const VertexSet& bag = node->getVertices();
  const std::vector<Vertex> args(bag.begin(), bag.end());
  const std::size_t n = args.size();

  // The attacks inside the bag, by position.
  std::vector<PositionBits> targetsOf(n, PositionBits(n)), attackersOf(n, PositionBits(n));
  std::vector<PositionBits> conflicts(n, PositionBits(n));
  std::vector<bool> selfAttacking(n);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) {
      if (!attacks(args[i], args[j])) continue;
      targetsOf[i].set(j);
      attackersOf[j].set(i);
      if (i == j) selfAttacking[i] = true;
      if (j < i) conflicts[i].set(j);
      if (i < j) conflicts[j].set(i);
    }
  const std::vector<PositionBits> sets = enumerateConflictFree(selfAttacking, conflicts);

  std::vector<BagColoring> colorings;
  colorings.reserve(sets.size());
  for (const PositionBits& s : sets) {
    BagColoring coloring(n, Coloring::Out);
    if (!s.empty()) {
      for (std::size_t i = 0; i < n; ++i) {
        if (s.test(i))
          coloring[i] = Coloring::In;
        else if (attackersOf[i].intersects(s))
          coloring[i] = Coloring::Defeated;
        else if (targetsOf[i].intersects(s))
          coloring[i] = Coloring::Attacker;
      }
    }
    colorings.push_back(std::move(coloring));
  }

  TupleSet* table = new TupleSet();  // owned by the caller
  for (std::size_t r1 = 0; r1 < sets.size(); ++r1) {
    // A strict superset has a larger mask, so it comes later in the list.
    CertificateSet certificates;
    for (std::size_t r2 = r1 + 1; r2 < sets.size(); ++r2)
      if (sets[r1].isSubsetOf(sets[r2])) certificates.insert(colorings[r2]);
    VertexSet members;
    for (std::size_t i = 0; i < n; ++i)
      if (sets[r1].test(i)) members.insert(members.end(), args[i]);
    // Distinct sets have distinct colourings: no two rows coincide.
    table->emplace(new PreferredArgumentationTuple(colorings[r1], std::move(certificates)),
                   createLeafSolution(members));
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
  const VertexSet& bag = node->getVertices();
  const VertexSet& childBag = node->firstChild()->getVertices();
  const Vertex x = node->getDifference();
  const std::vector<Vertex> args(bag.begin(), bag.end());
  const std::size_t p = positionOf(bag, x);

  std::vector<bool> xAttacks(args.size()), attacksX(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i == p) continue;
    xAttacks[i] = attacks(x, args[i]);
    attacksX[i] = attacks(args[i], x);
  }

  // The colourings derived from each child colouring. They depend on the
  // colouring alone, and every certificate is some child row's colouring.
  struct Extension {
    BagColoring out;  // x not in the set
    BagColoring in;   // x added; empty unless canBeIn
    bool canBeIn = false;
  };
  std::map<BagColoring, Extension> extensions;
  for (const auto& entry : *child) {
    const BagColoring& cc = rowOf(entry).coloring;
    auto [it, fresh] = extensions.try_emplace(cc);
    if (!fresh) continue;
    Extension& e = it->second;
    e.out = getIntroColorings(getInArgs(childBag, cc), cc, x, e.canBeIn, bag);
    if (!e.canBeIn) continue;
    e.in.reserve(args.size());
    std::size_t j = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (i == p) {
        e.in.push_back(Coloring::In);
        continue;
      }
      const Coloring c = cc[j++];
      if (c == Coloring::In)
        e.in.push_back(Coloring::In);
      else if (xAttacks[i] || c == Coloring::Defeated)
        e.in.push_back(Coloring::Defeated);
      else if (attacksX[i] || c == Coloring::Attacker)
        e.in.push_back(Coloring::Attacker);
      else
        e.in.push_back(Coloring::Out);
    }
  }

  TupleSet* table = new TupleSet();  // owned by the caller
  for (const auto& entry : *child) {
    const PreferredArgumentationTuple& row = rowOf(entry);
    const Extension& own = extensions.find(row.coloring)->second;
    if (own.canBeIn) {
      CertificateSet certificates;
      for (const BagColoring& k : row.certificates) {
        auto e = extensions.find(k);
        if (e != extensions.end() && e->second.canBeIn) certificates.insert(e->second.in);
      }
      mergeRow(table, new PreferredArgumentationTuple(own.in, std::move(certificates)),
               addToSolution(entry.second, x));
    }
    CertificateSet certificates;
    for (const BagColoring& k : row.certificates) {
      auto e = extensions.find(k);
      if (e == extensions.end()) continue;
      certificates.insert(e->second.out);
      if (e->second.canBeIn) certificates.insert(e->second.in);
    }
    if (own.canBeIn) certificates.insert(own.in);
    mergeRow(table, new PreferredArgumentationTuple(own.out, std::move(certificates)), entry.second);
  }
  deleteTable(child);
  return table;
}

// Removal of x: a set whose colouring has x as an undefeated attacker can no
// longer be completed to an admissible set, so its rows are dropped and its
// colourings leave every certificate set; the rest lose x's position. Rows
// that become equal are merged.
TupleSet* PreferredNormalizedArgumentationAlgorithm::evaluateRemovalNode(const kivra::ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  const std::size_t p = positionOf(node->firstChild()->getVertices(), node->getDifference());

  TupleSet* table = new TupleSet();  // owned by the caller
  // Each child row is taken out of the child table before it is reshaped into
  // its projection, so no row changes while it is a key; its storage is reused.
  while (!child->empty()) {
    auto entry = child->extract(child->begin());
    auto* row = static_cast<PreferredArgumentationTuple*>(entry.key());
    if (row->coloring[p] == Coloring::Attacker) {
      delete row;
      continue;
    }
    // Every certificate is the colouring of a child row, which survives
    // exactly when x is not an undefeated attacker in it.
    CertificateSet certificates;
    while (!row->certificates.empty()) {
      auto k = row->certificates.extract(row->certificates.begin());
      if (k.value()[p] == Coloring::Attacker) continue;
      k.value().erase(k.value().begin() + static_cast<std::ptrdiff_t>(p));
      certificates.insert(std::move(k));
    }
    row->coloring.erase(row->coloring.begin() + static_cast<std::ptrdiff_t>(p));
    row->certificates = std::move(certificates);
    mergeRow(table, row, entry.mapped());
  }
  delete child;
  return table;
}

// Branch: rows of the two children with equal In sets combine. The strictly
// larger sets of the combination are a larger set on one side with the row's
// own set on the other, or larger sets on both sides, always agreeing on the
// In part of the bag.
TupleSet* PreferredNormalizedArgumentationAlgorithm::evaluateBranchNode(const kivra::ExtendedHypertree* node) {
  TupleSet* left = evaluateNode(node->firstChild());
  TupleSet* right = evaluateNode(node->secondChild());

  // Each row's certificates sorted by In set, so that those of one In set
  // form a run; all rows of a table share one array.
  using KeyedCertificate = std::pair<PositionBits, const BagColoring*>;
  using Run = std::span<const KeyedCertificate>;
  auto byKey = [](const KeyedCertificate& a, const KeyedCertificate& b) { return a.first < b.first; };
  struct Side {
    const PreferredArgumentationTuple* row;
    Solution* solution;
    PositionBits in;
    Run certificates;
  };
  struct Prepared {
    std::vector<KeyedCertificate> keyed;
    std::vector<Side> sides;
  };
  auto prepare = [&byKey](TupleSet* table) {
    Prepared prepared;
    std::size_t total = 0;
    for (const auto& entry : *table) total += rowOf(entry).certificates.size();
    prepared.keyed.reserve(total);
    prepared.sides.reserve(table->size());
    for (const auto& entry : *table) {
      const PreferredArgumentationTuple& row = rowOf(entry);
      const std::size_t from = prepared.keyed.size();
      for (const BagColoring& k : row.certificates) prepared.keyed.emplace_back(inPositions(k), &k);
      auto first = prepared.keyed.begin() + static_cast<std::ptrdiff_t>(from);
      std::stable_sort(first, prepared.keyed.end(), byKey);
      prepared.sides.push_back(
          {&row, entry.second, inPositions(row.coloring), Run(first, prepared.keyed.end())});
    }
    return prepared;
  };
  auto runOf = [&byKey](Run certificates, const PositionBits& key) {
    auto [from, to] = std::equal_range(certificates.begin(), certificates.end(), KeyedCertificate{key, nullptr}, byKey);
    return Run(from, to);
  };
  const Prepared lefts = prepare(left);
  const Prepared rights = prepare(right);
  // The right rows of each In set, in table order.
  std::map<PositionBits, std::vector<const Side*>> rightsByIn;
  for (const Side& r : rights.sides) rightsByIn.try_emplace(r.in).first->second.push_back(&r);

  // Joins often repeat; a scratch colouring is only copied into the set when new.
  BagColoring scratch(node->getVertices().size());
  auto addJoin = [&scratch](CertificateSet& certificates, const BagColoring& a, const BagColoring& b) {
    for (std::size_t i = 0; i < scratch.size(); ++i) scratch[i] = join(a[i], b[i]);
    auto at = certificates.lower_bound(scratch);
    if (at == certificates.end() || *at != scratch) certificates.insert(at, scratch);
  };

  TupleSet* table = new TupleSet();  // owned by the caller
  for (const Side& l : lefts.sides) {
    auto partners = rightsByIn.find(l.in);
    if (partners == rightsByIn.end()) continue;
    for (const Side* r : partners->second) {
      const BagColoring& c1 = l.row->coloring;
      const BagColoring& c2 = r->row->coloring;
      CertificateSet certificates;
      for (const KeyedCertificate& k2 : runOf(r->certificates, l.in)) addJoin(certificates, c1, *k2.second);
      for (const KeyedCertificate& k1 : runOf(l.certificates, l.in)) addJoin(certificates, c2, *k1.second);
      for (auto k1 = l.certificates.begin(); k1 != l.certificates.end();) {
        const Run run2 = runOf(r->certificates, k1->first);
        auto next = k1;
        while (next != l.certificates.end() && next->first == k1->first) ++next;
        for (; k1 != next; ++k1)
          for (const KeyedCertificate& k2 : run2) addJoin(certificates, *k1->second, *k2.second);
      }
      mergeRow(table, new PreferredArgumentationTuple(joinColorings(c1, c2), std::move(certificates)),
               combineSolutions(kivra::CrossJoin, l.solution, r->solution));
    }
  }
  deleteTable(left);
  deleteTable(right);
  return table;
}

Solution* PreferredNormalizedArgumentationAlgorithm::selectSolution(TupleSet* tuples,
                                                                    const kivra::ExtendedHypertree*) {
  CertificateSet notAdmissible;
  for (const auto& entry : *tuples)
    if (hasAttacker(rowOf(entry).coloring)) notAdmissible.insert(rowOf(entry).coloring);

  Solution* result = createEmptySolution();
  for (const auto& entry : *tuples) {
    const PreferredArgumentationTuple& row = rowOf(entry);
    if (hasAttacker(row.coloring)) continue;
    bool accepted = true;
    for (const BagColoring& k : row.certificates)
      if (!notAdmissible.count(k)) {
        accepted = false;
        break;
      }
    if (accepted) result = combineSolutions(kivra::Union, result, entry.second);
  }
  return result;
}
