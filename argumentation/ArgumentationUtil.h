// Operations shared by the dynamic-programming rules of the argumentation
// semantics: disjointness, the arguments a set attacks, the conflict-free
// subsets of a bag, the attacks within one bag as position masks, and the
// consumption of child tables (releasing rows, the branch-node join of rows
// with equal keys).
#pragma once

#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

#include "AdmissibleArgumentationTuple.h"
#include "BagSet.h"
#include "LatticeJoin.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/Global.h"

class ArgumentationProblem;

// The arguments of one bag, ascending, and the attacks among them as
// position masks, asked of the framework once per node so that the rules
// answer every attack question of a row with a few word operations.
class BagAttacks {
 public:
  // `bag` ascending (a decomposition node's vertex list is).
  BagAttacks(const std::vector<kivra::Vertex>& bag, ArgumentationProblem* problem) { assign(bag, problem); }
  // The empty bag; assign() fills it.
  BagAttacks() = default;
  // Makes this the bag `bag`, reusing the storage of the previous one: the
  // rules keep one per algorithm, so that a node costs no allocation.
  const BagAttacks& assign(const std::vector<kivra::Vertex>& bag, ArgumentationProblem* problem);
  BagAttacks(const kivra::VertexSet& bag, ArgumentationProblem* problem)
      : BagAttacks(std::vector<kivra::Vertex>(bag.begin(), bag.end()), problem) {}

  std::size_t size() const { return members.size(); }
  const std::vector<kivra::Vertex>& arguments() const { return members; }
  kivra::Vertex vertex(std::size_t position) const { return members[position]; }
  // The position of a member of the bag.
  std::size_t position(kivra::Vertex argument) const;
  // Every position of the bag, and the empty set of the bag's width.
  const BagSet& all() const { return everything; }
  BagSet none() const { return BagSet(members.size()); }

  // Positions the argument at `position` attacks, and positions attacking it.
  const BagSet& attacksOf(std::size_t position) const { return targets[position]; }
  const BagSet& attackersOf(std::size_t position) const { return sources[position]; }
  bool attacks(std::size_t from, std::size_t to) const { return targets[from].test(to); }
  // Positions attacked by some member of s, and positions attacking some member of s.
  BagSet attackedBy(const BagSet& s) const;
  BagSet attackersOf(const BagSet& s) const;

  // The arguments at the positions of s, and the positions of the bag
  // members among the arguments of s.
  kivra::VertexSet vertices(const BagSet& s) const;
  BagSet positions(const kivra::VertexSet& s) const;
  BagSet positions(const std::vector<kivra::Vertex>& s) const;

  // Every subset of `candidates` free of attacks within itself (so without
  // self-attackers), in the order of ArgumentationUtil::conflictFreeSets.
  std::vector<BagSet> conflictFreeSubsets(const BagSet& candidates) const;

 private:
  std::vector<kivra::Vertex> members;
  std::vector<BagSet> targets;
  std::vector<BagSet> sources;
  BagSet everything;
};

// Moves position sets from a child's bag into a bag that lacks some of the
// child's arguments.
class BagProjection {
 public:
  // `kept`: the smaller bag, ascending; `leaving`: the child's arguments not in it.
  // `leaving` ascending.
  BagProjection(const std::vector<kivra::Vertex>& kept, const std::vector<kivra::Vertex>& leaving) {
    assign(kept, leaving);
  }
  BagProjection() = default;
  // Makes this the projection between the given bags, reusing its storage.
  const BagProjection& assign(const std::vector<kivra::Vertex>& kept, const std::vector<kivra::Vertex>& leaving);
  BagProjection(const std::vector<kivra::Vertex>& kept, const kivra::VertexSet& leaving)
      : BagProjection(kept, std::vector<kivra::Vertex>(leaving.begin(), leaving.end())) {}
  // s without the leaving positions, in the smaller bag's positions.
  BagSet apply(const BagSet& s) const;
  // The leaving arguments whose positions s holds, ascending, into `arguments`.
  void leavingIn(const BagSet& s, std::vector<kivra::Vertex>& arguments) const {
    arguments.clear();
    for (std::size_t i = leavingArguments.size(); i-- > 0;)
      if (s.test(descending[i])) arguments.push_back(leavingArguments[leavingArguments.size() - 1 - i]);
  }

  BagSet removed;  // the leaving arguments' positions in the child's bag
 private:
  std::vector<std::size_t> descending;  // the same positions, largest first
  std::vector<kivra::Vertex> leavingArguments;  // the leaving arguments, ascending
  std::size_t childWidth = 0;
};

// Moves position sets from a bag into a bag with additional arguments.
class BagEmbedding {
 public:
  // `added`: the positions of the additional arguments in the larger bag of `width` positions.
  BagEmbedding(const BagSet& added, std::size_t width);
  BagSet apply(const BagSet& s) const;

 private:
  std::vector<std::size_t> ascending;
  std::size_t smallWidth;
};

// Every rule keeps a row's solution free of the row's in-arguments that are
// still in the bag: they join its candidate sets only when they leave the
// bag (at a removal) or at the root. Rows that merge at a removal, and the
// partners of a branch join, then share one Add per leaving member instead
// of one per row made at its introduction.

// A namespace-like holder of static operations; never instantiated.
class ArgumentationUtil {
 public:
  ArgumentationUtil() = default;
  virtual ~ArgumentationUtil() = default;

  // True iff a and b share no element (true at once when either is empty).
  static bool isDisjoint(kivra::VertexSet& a, kivra::VertexSet& b);

  // Every argument of the whole framework attacked by some member of s.
  // The result can be as large as the framework; rules that only read the
  // bag should use attackedWithin instead.
  static kivra::VertexSet attackedBySet(const kivra::VertexSet* s, ArgumentationProblem* problem);

  // The members of candidates attacked by some member of s: the same as
  // attackedBySet(s) intersected with candidates, but asking only one
  // bag-sized query per candidate.
  static kivra::VertexSet attackedWithin(const kivra::VertexSet& s, const kivra::VertexSet& candidates,
                                         ArgumentationProblem* problem);

  // Every conflict-free subset of the bag, the empty set included. Order:
  // arguments are decided in ascending id order, and at each decision the
  // sets containing the argument come before those that do not, so for an
  // attack-free bag {1,2,3} the list is {1,2,3},{1,2},{1,3},{1},{2,3},{2},{3},{}.
  static std::vector<kivra::VertexSet> conflictFreeSets(const kivra::VertexSet* bag, ArgumentationProblem* problem);

  // All sets chosen ∪ X with X ⊆ remaining such that every argument taken
  // from remaining is conflict-free with the set built so far (self-attackers
  // never enter), in the order described at conflictFreeSets. rejected is
  // carried for the caller's bookkeeping only and does not affect the result.
  // Works with an explicit stack, so its depth does not depend on |remaining|.
  static std::vector<kivra::VertexSet> rec(kivra::VertexSet chosen, kivra::VertexSet rejected,
                                           kivra::VertexSet remaining, ArgumentationProblem* problem);

  // The admissible-semantics row joining two branch-child rows of the same
  // in-set over a bag whose positions are `all`: out where both are out,
  // defeated where either defeats, and every other non-member an undefeated
  // attacker. New row, owned by the caller.
  static AdmissibleArgumentationTuple* joinAdmissibleRows(const AdmissibleArgumentationTuple& left,
                                                          const AdmissibleArgumentationTuple& right,
                                                          const BagSet& all);

  // Adds rows to an empty table in ascending order, found by sorting them
  // once instead of searching the table for each: of equal rows one stays
  // with the union of their solutions, the others are deleted. Empties rows.
  template <class Row, class Unite>
  static void fillTable(std::vector<std::pair<Row*, kivra::Solution*>>& rows, kivra::TupleSet* table, Unite unite) {
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first->precedes(*b.first); });
    for (std::size_t i = 0; i < rows.size();) {
      Row* row = rows[i].first;
      kivra::Solution* solution = rows[i].second;
      std::size_t j = i + 1;
      for (; j < rows.size() && !row->precedes(*rows[j].first); ++j) {
        solution = unite(solution, rows[j].second);
        delete rows[j].first;
      }
      table->emplace_hint(table->end(), row, solution);
      i = j;
    }
    rows.clear();
  }

  // Moves every entry of table into entries (which it replaces) and deletes
  // the table; the rows are the caller's now and may be changed.
  static void takeEntries(kivra::TupleSet* table, std::vector<std::pair<kivra::Tuple*, kivra::Solution*>>& entries) {
    entries.assign(table->begin(), table->end());
    delete table;
  }

  // Deletes the rows of [from, end) of table, then the table itself.
  static void releaseRows(kivra::TupleSet* table, kivra::TupleSet::iterator from);
  // Deletes every row of table, then the table itself.
  static void releaseRows(kivra::TupleSet* table);

  // The branch join of two child tables into `table` by runs of equal keys,
  // each run joined as a LatticeJoin over the rows' free positions. `traits`
  // gives, for the row class Row:
  //   compareKeys(a, b)        three-way order of the join keys, leading the row order;
  //   bits                     bits per free position (1 or 2);
  //   freePositions(row)       the positions whose states vary within the row's run;
  //   encode(row, free)        the states of row at the free positions;
  //   decode(keyRow, free, c)  a new row of keyRow's run with the states of code c;
  //   joinPair(a, b)           the joined row of two rows of a run, new.
  // Runs too wide for one code word are joined pair by pair. Rows enter the
  // table in ascending order; both child tables are consumed.
  template <class Row, class Traits, class Unite, class Cross>
  static void joinRunsByLattice(kivra::TupleSet* left, kivra::TupleSet* right, kivra::TupleSet* table,
                                const Traits& traits, Unite unite, Cross cross) {
    auto rowAt = [](kivra::TupleSet::iterator it) -> const Row& { return *static_cast<const Row*>(it->first); };
    auto l = left->begin();
    auto r = right->begin();
    std::vector<CodedRow> leftRun, rightRun;
    std::vector<std::pair<Row*, kivra::Solution*>> joined;
    std::vector<std::size_t> free;
    while (l != left->end() && r != right->end()) {
      const auto order = traits.compareKeys(rowAt(l), rowAt(r));
      if (order < 0) {
        delete l->first;
        ++l;
        continue;
      }
      if (order > 0) {
        delete r->first;
        ++r;
        continue;
      }
      auto lEnd = l, rEnd = r;
      while (lEnd != left->end() && traits.compareKeys(rowAt(l), rowAt(lEnd)) == 0) ++lEnd;
      while (rEnd != right->end() && traits.compareKeys(rowAt(r), rowAt(rEnd)) == 0) ++rEnd;
      const Row& keyRow = rowAt(l);
      free.clear();
      if (std::next(l) != lEnd || std::next(r) != rEnd)
        traits.freePositions(keyRow).forEach([&](std::size_t p) { free.push_back(p); });
      joined.clear();
      if (std::next(l) == lEnd && std::next(r) == rEnd) {
        // One row on each side: nothing to group.
        joined.emplace_back(traits.joinPair(keyRow, rowAt(r)), cross(l->second, r->second));
      } else if (free.size() * traits.bits <= 64) {
        auto collect = [&](kivra::TupleSet::iterator from, kivra::TupleSet::iterator to, std::vector<CodedRow>& run) {
          run.clear();
          for (auto it = from; it != to; ++it) run.push_back({traits.encode(rowAt(it), free), it->second});
          std::sort(run.begin(), run.end(), [](const CodedRow& a, const CodedRow& b) { return a.code < b.code; });
        };
        collect(l, lEnd, leftRun);
        collect(r, rEnd, rightRun);
        LatticeJoin<kivra::Solution*, Unite, Cross> lattice(static_cast<unsigned>(free.size()), traits.bits, unite, cross);
        for (const CodedRow& z : lattice.join(leftRun, rightRun))
          joined.emplace_back(traits.decode(keyRow, free, z.code), z.solution);
      } else {
        // Pair by pair; equal joined rows unite.
        std::vector<std::pair<Row*, kivra::Solution*>> pairs;
        for (auto a = l; a != lEnd; ++a)
          for (auto b = r; b != rEnd; ++b)
            pairs.emplace_back(traits.joinPair(rowAt(a), rowAt(b)), cross(a->second, b->second));
        std::stable_sort(pairs.begin(), pairs.end(),
                         [](const auto& a, const auto& b) { return a.first->precedes(*b.first); });
        for (std::size_t i = 0; i < pairs.size();) {
          std::size_t j = i + 1;
          kivra::Solution* s = pairs[i].second;
          for (; j < pairs.size() && !pairs[i].first->precedes(*pairs[j].first); ++j) {
            s = unite(s, pairs[j].second);
            delete pairs[j].first;
          }
          joined.emplace_back(pairs[i].first, s);
          i = j;
        }
      }
      if (joined.size() > 1)
        std::sort(joined.begin(), joined.end(), [](const auto& a, const auto& b) { return a.first->precedes(*b.first); });
      for (auto& [row, solution] : joined) table->emplace_hint(table->end(), row, solution);
      for (; l != lEnd; ++l) delete l->first;
      for (; r != rEnd; ++r) delete r->first;
    }
    releaseRows(left, l);
    releaseRows(right, r);
  }
};

// The admissible rows' branch join for ArgumentationUtil::joinRunsByLattice:
// runs of equal in-sets; a free position is out (00), an undefeated
// attacker (01) or defeated (11), and the joined state is the larger one.
struct AdmissibleJoin {
  using Row = AdmissibleArgumentationTuple;
  explicit AdmissibleJoin(std::size_t width) : width(width), all(BagSet::prefix(width)) {}

  static constexpr unsigned bits = 2;
  static std::strong_ordering compareKeys(const Row& a, const Row& b) { return a.inArguments <=> b.inArguments; }
  BagSet freePositions(const Row& row) const { return all - row.inArguments; }
  static std::uint64_t encode(const Row& row, const std::vector<std::size_t>& free) {
    std::uint64_t code = 0;
    for (std::size_t p : free)
      code = (code << 2) | (row.defeatedArguments.test(p) ? 3u : row.attackingArguments.test(p) ? 1u : 0u);
    return code;
  }
  Row* decode(const Row& key, const std::vector<std::size_t>& free, std::uint64_t code) const {
    auto* row = new Row();
    row->inArguments = key.inArguments;
    row->attackingArguments = BagSet(width);
    row->defeatedArguments = BagSet(width);
    row->outArguments = BagSet(width);
    for (std::size_t i = free.size(); i-- > 0; code >>= 2) {
      switch (code & 3) {
        case 0: row->outArguments.set(free[i]); break;
        case 1: row->attackingArguments.set(free[i]); break;
        default: row->defeatedArguments.set(free[i]); break;
      }
    }
    return row;
  }
  Row* joinPair(const Row& a, const Row& b) const { return ArgumentationUtil::joinAdmissibleRows(a, b, all); }

  std::size_t width;
  BagSet all;
};

// What the admissible, stable and complete algorithms share in building a
// table, between their framework base `Base` and their own rules: a rule
// collects its rows (addRow) and flushRows adds them to its table in one
// sorted pass, an equal row deleted and its solution united with the first
// one's. In-arguments join a row's solution when they leave the bag and at
// the root, so the rules add them through withArguments and withRootMembers.
template <class Row, class Base>
class RowCollectingAlgorithm : public Base {
 public:
  using Base::Base;

 protected:
  void addRow(Row* row, kivra::Solution* solution) { produced.emplace_back(row, solution); }
  void flushRows(kivra::TupleSet* table) {
    ArgumentationUtil::fillTable(produced, table, [&](kivra::Solution* a, kivra::Solution* b) {
      return this->combineSolutions(kivra::Union, a, b);
    });
  }
  // s with the given arguments added to every candidate set; s itself when
  // there are none.
  kivra::Solution* withArguments(kivra::Solution* s, const std::vector<kivra::Vertex>& arguments) {
    if (arguments.empty()) return s;
    if (arguments.size() == 1) return this->addToSolution(s, arguments.front());
    return this->addToSolution(s, kivra::VertexSet(arguments.begin(), arguments.end()));
  }
  // The root row's solution with its in-arguments added.
  kivra::Solution* withRootMembers(kivra::Solution* s, const BagSet& in, const kivra::ExtendedHypertree* root) {
    leaving.clear();
    in.forEach([&](std::size_t p) { leaving.push_back(root->getVertices()[p]); });
    return withArguments(s, leaving);
  }

  // Scratch for the arguments that leave a row's bag.
  std::vector<kivra::Vertex> leaving;

 private:
  std::vector<std::pair<Row*, kivra::Solution*>> produced;
};
