// Operations shared by the dynamic-programming rules of the argumentation
// semantics: disjointness, the arguments a set attacks, the conflict-free
// subsets of a bag, the attacks within one bag as position masks, and the
// consumption of child tables (releasing rows, the branch-node join of rows
// with equal keys).
#pragma once

#include <cstddef>
#include <vector>

#include "BagSet.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/Global.h"

class AdmissibleArgumentationTuple;
class ArgumentationProblem;

// The arguments of one bag, ascending, and the attacks among them as
// position masks, asked of the framework once per node so that the rules
// answer every attack question of a row with a few word operations.
class BagAttacks {
 public:
  // `bag` ascending (a decomposition node's vertex list is).
  BagAttacks(const std::vector<kivra::Vertex>& bag, ArgumentationProblem* problem);
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
  BagProjection(const std::vector<kivra::Vertex>& kept, const std::vector<kivra::Vertex>& leaving);
  BagProjection(const std::vector<kivra::Vertex>& kept, const kivra::VertexSet& leaving)
      : BagProjection(kept, std::vector<kivra::Vertex>(leaving.begin(), leaving.end())) {}
  // s without the leaving positions, in the smaller bag's positions.
  BagSet apply(const BagSet& s) const;

  BagSet removed;  // the leaving arguments' positions in the child's bag
 private:
  std::vector<std::size_t> descending;  // the same positions, largest first
  std::size_t childWidth;
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

  // Deletes the rows of [from, end) of table, then the table itself.
  static void releaseRows(kivra::TupleSet* table, kivra::TupleSet::iterator from);
  // Deletes every row of table, then the table itself.
  static void releaseRows(kivra::TupleSet* table);

  // Merge join of the two child tables of a branch node, both ordered by a key
  // that leads their row order (compareKeys(const Row&, const Row&) returns
  // the three-way order of two rows' keys). Walks both tables once; for every
  // left row whose key some right row shares, calls
  //   joinPair(leftRow, leftSolution, rightRow, rightSolution)
  // for each right row of that run in table order, left rows in table order.
  // Consumes both tables: every row is deleted exactly once (a left row after
  // its run, an unmatched row when the walk passes it, the rest at the end)
  // and both tables are deleted; joinPair must not keep the rows.
  template <class Row, class CompareKeys, class JoinPair>
  static void joinRuns(kivra::TupleSet* left, kivra::TupleSet* right, CompareKeys compareKeys,
                       JoinPair joinPair) {
    auto rowAt = [](kivra::TupleSet::iterator it) -> const Row& { return *static_cast<const Row*>(it->first); };
    auto l = left->begin();
    auto r = right->begin();
    while (l != left->end() && r != right->end()) {
      const Row& lrow = rowAt(l);
      const auto order = compareKeys(lrow, rowAt(r));
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
      for (auto q = r; q != right->end() && compareKeys(lrow, rowAt(q)) == 0; ++q) {
        joinPair(lrow, l->second, rowAt(q), q->second);
      }
      // r stays: the next left row with the same key meets the same run.
      delete l->first;
      ++l;
    }
    // Rows the walk did not reach pair with nothing.
    releaseRows(left, l);
    releaseRows(right, r);
  }

  // joinRuns keyed on the in-set, for rows whose order starts with it.
  template <class Row, class JoinPair>
  static void joinRunsByInSet(kivra::TupleSet* left, kivra::TupleSet* right, JoinPair joinPair) {
    joinRuns<Row>(
        left, right, [](const Row& a, const Row& b) { return a.inArguments <=> b.inArguments; }, joinPair);
  }
};
