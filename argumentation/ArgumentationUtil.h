// Set operations on argument ids shared by the dynamic-programming rules of
// the argumentation semantics: disjointness, the arguments a set attacks, and
// the conflict-free subsets of a bag.
#pragma once

#include <vector>

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
};
