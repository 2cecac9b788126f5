// One row of a dynamic-programming table of the admissible semantics.
//
// For the bag V of a decomposition node and a candidate set S drawn from the
// arguments of the node's subtree, a row records how each bag argument stands
// towards S. The sets hold positions in V (see BagSet); the algorithms keep
// the four sets pairwise disjoint with union V; the class itself is a plain
// value holder and enforces nothing.
#pragma once

#include <cstddef>

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

  BagSet inArguments;         // members of S
  BagSet outArguments;        // not in S, not attacked by S, attack no member of S
  BagSet attackingArguments;  // not in S, not attacked by S, attack some member of S
  BagSet defeatedArguments;   // not in S, attacked by some member of S
};
