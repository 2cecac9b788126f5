// Operations on ordered argument sets: disjointness, the arguments a set
// attacks, and the conflict-free subsets of a bag. The rules ask the same
// questions of a bag's attack masks (BagAttacks), which answer them alike and
// in the same order. And the consumption of a child's table by a rule.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
#include "kivra/Global.h"

class ArgumentationProblem;

// A namespace-like holder of static operations; never instantiated.
class ArgumentationUtil {
 public:
  ArgumentationUtil() = default;
  virtual ~ArgumentationUtil() = default;

  // True iff a and b share no element (true at once when either is empty).
  static bool isDisjoint(kivra::VertexSet& a, kivra::VertexSet& b);

  // Every argument of the whole framework attacked by some member of s.
  static kivra::VertexSet attackedBySet(const kivra::VertexSet* s, ArgumentationProblem* problem);

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

  // Takes the entries of table out one by one, in table order, and hands
  // each to f(row, solution); then deletes the table. A row is out of the
  // table before f sees it, so f may change it (no key of a table is ever
  // changed), and the table's storage goes as the rows move on.
  template <class F>
  static void takeEach(kivra::TupleSet* table, F f) {
    while (!table->empty()) {
      auto entry = table->extract(table->begin());
      f(entry.key(), entry.mapped());
    }
    delete table;
  }
};
