// One row of a complete-semantics table: a five-way labelling of a bag.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <vector>

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

  // Calls f on each of the five sets.
  template <class F>
  void forEachSet(F f) {
    f(inArguments), f(defProvedArguments), f(defPendingArguments), f(outProvedArguments), f(outPendingArguments);
  }

  BagSet inArguments;
  BagSet defProvedArguments;
  BagSet defPendingArguments;
  BagSet outProvedArguments;
  BagSet outPendingArguments;
};

// The branch join for joinRunsByLattice (BranchJoin.h), by runs of equal in-sets and def unions: a free position
// (def or out, as the run's key fixes) is pending (0) or proved (1), proved
// on either side is proved.
struct CompleteJoin : InSetJoinTraits<CompleteArgumentationTuple> {
  using InSetJoinTraits::InSetJoinTraits;

  static constexpr unsigned bits = 1;
  static constexpr unsigned latticePositions = 64;
  static std::strong_ordering compareKeys(const Row& a, const Row& b) {
    if (auto c = a.inArguments <=> b.inArguments; c != 0) return c;
    return a.compareDefUnion(b);
  }
  static std::uint64_t encode(const Row& row, const std::vector<std::size_t>& free) {
    std::uint64_t code = 0;
    for (std::size_t p : free)
      code = (code << 1) | (row.defProvedArguments.test(p) || row.outProvedArguments.test(p) ? 1u : 0u);
    return code;
  }
  Row* decode(const Row& key, const std::vector<std::size_t>& free, std::uint64_t code) const {
    auto* row = new Row();
    row->inArguments = key.inArguments;
    const BagSet def = key.getAllDefArguments();
    for (BagSet* set : {&row->defProvedArguments, &row->defPendingArguments, &row->outProvedArguments,
                        &row->outPendingArguments})
      *set = BagSet(width);
    for (std::size_t i = free.size(); i-- > 0; code >>= 1) {
      const std::size_t p = free[i];
      if (def.test(p))
        (code & 1 ? row->defProvedArguments : row->defPendingArguments).set(p);
      else
        (code & 1 ? row->outProvedArguments : row->outPendingArguments).set(p);
    }
    return row;
  }
  static Row* joinPair(const Row& a, const Row& b) {
    auto* joined = new Row();
    joined->inArguments = a.inArguments;
    // Proved in either child is proved; pending only if pending in both.
    joined->defProvedArguments = a.defProvedArguments | b.defProvedArguments;
    joined->defPendingArguments = a.getAllDefArguments() - joined->defProvedArguments;
    joined->outProvedArguments = a.outProvedArguments | b.outProvedArguments;
    joined->outPendingArguments = a.getAllOutArguments() - joined->outProvedArguments;
    return joined;
  }
};
