// The branch rule's join of two child tables, run by run: rows of both
// children that agree on the join key (a run) combine as a LatticeJoin over
// the states of their free positions.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

#include "LatticeJoin.h"
#include "kivra/AbstractAlgorithm.h"

// The branch join of two child tables into `table` by runs of equal keys,
// each run joined as a LatticeJoin over the rows' free positions. `traits`
// gives, for its row class Row:
//   compareKeys(a, b)        three-way order of the join keys, leading the row order;
//   bits                     bits per free position (1 or 2);
//   latticePositions         the most free positions joined as a lattice
//                            (at most 64 / bits, one code word);
//   freePositions(row)       the positions whose states vary within the row's run;
//   encode(row, free)        the states of row at the free positions;
//   decode(keyRow, free, c)  a new row of keyRow's run with the states of code c;
//   joinPair(a, b)           the joined row of two rows of a run, new.
// Runs with more free positions are joined pair by pair. The joined rows are
// handed to add(row, solution), which puts them into the node's table, run
// after run, each run's in ascending row order (Row::precedes), so that every
// row follows those before it; rows that are equal keep the order in which
// they were made. Both child tables are consumed.
template <class Traits, class Unite, class Cross, class Add>
void joinRunsByLattice(kivra::TupleSet* left, kivra::TupleSet* right, const Traits& traits, Unite unite, Cross cross,
                       Add add) {
  using Row = typename Traits::Row;
  static_assert(Traits::latticePositions * Traits::bits <= 64, "a run's code must fit one word");
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
    } else if (free.size() <= Traits::latticePositions) {
      auto collect = [&](kivra::TupleSet::iterator from, kivra::TupleSet::iterator to, std::vector<CodedRow>& run) {
        run.clear();
        for (auto it = from; it != to; ++it) run.push_back({traits.encode(rowAt(it), free), it->second});
        std::sort(run.begin(), run.end(), [](const CodedRow& a, const CodedRow& b) { return a.code < b.code; });
      };
      collect(l, lEnd, leftRun);
      collect(r, rEnd, rightRun);
      LatticeJoin<kivra::Solution*, Unite, Cross> lattice(static_cast<unsigned>(free.size()), Traits::bits, unite,
                                                          cross);
      for (const CodedRow& z : lattice.join(leftRun, rightRun))
        joined.emplace_back(traits.decode(keyRow, free, z.code), z.solution);
    } else {
      // Pair by pair; equal joined rows merge in the table.
      for (auto a = l; a != lEnd; ++a)
        for (auto b = r; b != rEnd; ++b)
          joined.emplace_back(traits.joinPair(rowAt(a), rowAt(b)), cross(a->second, b->second));
    }
    std::stable_sort(joined.begin(), joined.end(),
                     [](const auto& a, const auto& b) { return a.first->precedes(*b.first); });
    for (const auto& [row, solution] : joined) add(row, solution);
    for (; l != lEnd; ++l) delete l->first;
    for (; r != rEnd; ++r) delete r->first;
  }
  kivra::AbstractHTDAlgorithm::releaseTable(left, l);
  kivra::AbstractHTDAlgorithm::releaseTable(right, r);
}
