// One row of a stable-semantics table: a candidate extension restricted to a bag.
#pragma once

#include <cstddef>

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

  BagSet inArguments;
  BagSet unattackedArguments;
  BagSet attackedArguments;
};
