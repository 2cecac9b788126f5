// One row of a complete-semantics table: a five-way labelling of a bag.
#pragma once

#include <compare>
#include <cstddef>

#include "BagSet.h"
#include "kivra/AbstractAlgorithm.h"

// For the bag of one decomposition node, a row labels every bag argument with
// respect to a candidate complete extension E:
//   in            - member of E;
//   def proved    - outside E, and a member of E that attacks it has been seen;
//   def pending   - outside E, to be attacked by a member of E still to come;
//   out proved    - neither in E nor attacked by E, and it attacks itself or an
//                   attacker that is itself out has been seen (E does not
//                   defend it);
//   out pending   - neither in E nor attacked by E, still waiting for an out
//                   attacker.
// The five sets hold positions in the bag (see BagSet) and partition it; the
// row enforces nothing itself.
//
// Rows order by in-set, then by the union of the two def sets, then by the
// single sets in field order. Rows with equal in-set and equal def union are
// therefore adjacent in a table, which the branch join relies on.
class CompleteArgumentationTuple : public kivra::Tuple {
 public:
  CompleteArgumentationTuple() = default;
  CompleteArgumentationTuple(const CompleteArgumentationTuple&) = default;
  CompleteArgumentationTuple& operator=(const CompleteArgumentationTuple&) = default;
  ~CompleteArgumentationTuple() override = default;

  BagSet getAllDefArguments() const { return defProvedArguments | defPendingArguments; }
  BagSet getAllOutArguments() const { return outProvedArguments | outPendingArguments; }

  // Three-way comparison of the def unions of two rows.
  std::strong_ordering compareDefUnion(const CompleteArgumentationTuple& other) const {
    if (defProvedArguments.words() == 1 && defPendingArguments.words() == 1 &&
        other.defProvedArguments.words() == 1 && other.defPendingArguments.words() == 1) {
      return BagSet::compareWords(defProvedArguments.word(0) | defPendingArguments.word(0),
                                  other.defProvedArguments.word(0) | other.defPendingArguments.word(0));
    }
    return getAllDefArguments() <=> other.getAllDefArguments();
  }

  bool operator<(const kivra::Tuple& other) const override;
  // The same order between two rows of this class, without a virtual call.
  bool precedes(const CompleteArgumentationTuple& o) const {
    if (auto c = inArguments <=> o.inArguments; c != 0) return c < 0;
    if (auto c = compareDefUnion(o); c != 0) return c < 0;
    if (auto c = defProvedArguments <=> o.defProvedArguments; c != 0) return c < 0;
    if (auto c = defPendingArguments <=> o.defPendingArguments; c != 0) return c < 0;
    if (auto c = outProvedArguments <=> o.outProvedArguments; c != 0) return c < 0;
    return outPendingArguments < o.outPendingArguments;
  }
  bool operator==(const kivra::Tuple& other) const override;
  int hash() const override;

  // Rows are made and dropped by the million: they come from a pool.
  static void* operator new(std::size_t size) { return kivra::allocateRow<CompleteArgumentationTuple>(size); }
  static void operator delete(void* row, std::size_t size) { kivra::releaseRow<CompleteArgumentationTuple>(row, size); }

  BagSet inArguments;
  BagSet defProvedArguments;
  BagSet defPendingArguments;
  BagSet outProvedArguments;
  BagSet outPendingArguments;
};
