// One row of a stable-semantics table: a candidate extension restricted to a bag.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "BagSet.h"
#include "kivra/AbstractAlgorithm.h"

// For the bag of one decomposition node, a row splits the bag into the
// arguments of the candidate extension, the outside arguments that the
// extension (as far as seen) attacks, and the outside ones it does not attack
// yet. The sets hold positions in the bag (see BagSet) and partition it; the
// row enforces nothing itself.
//
// Rows order by in-set first, so that a table lists the rows of one in-set
// next to each other (the branch join walks both child tables on that order),
// then by the attacked set, then by the unattacked set.
class StableArgumentationTuple : public kivra::Tuple {
 public:
  StableArgumentationTuple() = default;
  ~StableArgumentationTuple() override = default;

  bool operator<(const kivra::Tuple& other) const override;
  // The same order between two rows of this class, without a virtual call.
  bool precedes(const StableArgumentationTuple& o) const {
    if (auto c = inArguments <=> o.inArguments; c != 0) return c < 0;
    if (auto c = attackedArguments <=> o.attackedArguments; c != 0) return c < 0;
    return unattackedArguments < o.unattackedArguments;
  }
  bool operator==(const kivra::Tuple& other) const override;
  int hash() const override;

  // Rows are made and dropped by the million: they come from a pool.
  static void* operator new(std::size_t size) { return kivra::allocateRow<StableArgumentationTuple>(size); }
  static void operator delete(void* row, std::size_t size) { kivra::releaseRow<StableArgumentationTuple>(row, size); }

  // Calls f on each of the three sets.
  template <class F>
  void forEachSet(F f) {
    f(inArguments), f(unattackedArguments), f(attackedArguments);
  }

  BagSet inArguments;
  BagSet unattackedArguments;
  BagSet attackedArguments;
};

// The branch join for joinRunsByLattice (BranchJoin.h), by runs of equal in-sets: a free position is unattacked
// (0) or attacked (1), attacked on either side is attacked.
struct StableJoin : InSetJoinTraits<StableArgumentationTuple> {
  using InSetJoinTraits::InSetJoinTraits;

  static constexpr unsigned bits = 1;
  static constexpr unsigned latticePositions = 64;
  static std::strong_ordering compareKeys(const Row& a, const Row& b) { return a.inArguments <=> b.inArguments; }
  static std::uint64_t encode(const Row& row, const std::vector<std::size_t>& free) {
    std::uint64_t code = 0;
    for (std::size_t p : free) code = (code << 1) | (row.attackedArguments.test(p) ? 1u : 0u);
    return code;
  }
  Row* decode(const Row& key, const std::vector<std::size_t>& free, std::uint64_t code) const {
    auto* row = new Row();
    row->inArguments = key.inArguments;
    row->attackedArguments = BagSet(width);
    row->unattackedArguments = BagSet(width);
    for (std::size_t i = free.size(); i-- > 0; code >>= 1)
      (code & 1 ? row->attackedArguments : row->unattackedArguments).set(free[i]);
    return row;
  }
  static Row* joinPair(const Row& a, const Row& b) {
    auto* joined = new Row();
    joined->inArguments = a.inArguments;
    joined->unattackedArguments = a.unattackedArguments & b.unattackedArguments;
    joined->attackedArguments = a.attackedArguments | b.attackedArguments;
    return joined;
  }
};
