// One row of a dynamic-programming table of the admissible semantics.
//
// For the bag V of a decomposition node and a candidate set S drawn from the
// arguments of the node's subtree, a row records how each bag argument stands
// towards S. The sets hold positions in V (see BagSet); the algorithms keep
// the four sets pairwise disjoint with union V; the class itself is a plain
// value holder and enforces nothing.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "BagSet.h"
#include "kivra/AbstractAlgorithm.h"

class AdmissibleArgumentationTuple : public kivra::Tuple {
 public:
  AdmissibleArgumentationTuple() = default;
  ~AdmissibleArgumentationTuple() override = default;

  // Lexicographic over inArguments, attackingArguments, defeatedArguments,
  // outArguments, each compared as its ascending argument sequence. Because
  // the in-set decides first, rows with equal in-sets are adjacent in a table
  // and their runs appear in ascending order of the in-sets; branch joins
  // rely on it. other must be an AdmissibleArgumentationTuple of the same bag.
  bool operator<(const kivra::Tuple& other) const override;
  // The same order between two rows of this class, without a virtual call.
  bool precedes(const AdmissibleArgumentationTuple& o) const {
    if (auto c = inArguments <=> o.inArguments; c != 0) return c < 0;
    if (auto c = attackingArguments <=> o.attackingArguments; c != 0) return c < 0;
    if (auto c = defeatedArguments <=> o.defeatedArguments; c != 0) return c < 0;
    return outArguments < o.outArguments;
  }
  // All four sets equal. other must be an AdmissibleArgumentationTuple.
  bool operator==(const kivra::Tuple& other) const override;
  // Unused; always -1.
  int hash() const override;

  // Rows are made and dropped by the million: they come from a pool.
  static void* operator new(std::size_t size) { return kivra::allocateRow<AdmissibleArgumentationTuple>(size); }
  static void operator delete(void* row, std::size_t size) { kivra::releaseRow<AdmissibleArgumentationTuple>(row, size); }

  // Calls f on each of the four sets.
  template <class F>
  void forEachSet(F f) {
    f(inArguments), f(outArguments), f(attackingArguments), f(defeatedArguments);
  }

  BagSet inArguments;         // members of S
  BagSet outArguments;        // not in S, not attacked by S, attack no member of S
  BagSet attackingArguments;  // not in S, not attacked by S, attack some member of S
  BagSet defeatedArguments;   // not in S, attacked by some member of S
};

// The removal test of the admissible rules (both normalizations): an
// undefeated attacker that leaves the bag (its positions `removed`) can never
// be defeated later, so the row's candidate sets are not admissible.
inline bool undefeatedAttackerLeaves(const AdmissibleArgumentationTuple& row, const BagSet& removed) {
  return row.attackingArguments.intersects(removed);
}
// At the root, the rows without an undefeated attacker are admissible.
inline bool admissibleAtRoot(const AdmissibleArgumentationTuple& row) { return row.attackingArguments.empty(); }

// The admissible rows' branch join for joinRunsByLattice (BranchJoin.h):
// runs of equal in-sets; a free position is out (00), an undefeated
// attacker (01) or defeated (11), and the joined state is the larger one.
struct AdmissibleJoin : InSetJoinTraits<AdmissibleArgumentationTuple> {
  using InSetJoinTraits::InSetJoinTraits;

  static constexpr unsigned bits = 2;
  static constexpr unsigned latticePositions = 32;
  static std::strong_ordering compareKeys(const Row& a, const Row& b) { return a.inArguments <=> b.inArguments; }
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
  // Out where both are out, defeated where either defeats, and every other
  // non-member an undefeated attacker.
  Row* joinPair(const Row& a, const Row& b) const {
    auto* joined = new Row();
    joined->inArguments = a.inArguments;
    joined->outArguments = a.outArguments & b.outArguments;
    joined->defeatedArguments = a.defeatedArguments | b.defeatedArguments;
    joined->attackingArguments = all - joined->inArguments - joined->outArguments - joined->defeatedArguments;
    return joined;
  }
};
