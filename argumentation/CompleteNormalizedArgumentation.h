// Complete extensions by dynamic programming over a normalized tree decomposition.
#pragma once

#include <utility>
#include <vector>

#include <cstddef>

#include "ArgumentationProblem.h"
#include "RowTableAlgorithm.h"
#include "CompleteArgumentationTuple.h"
#include "NodeTimes.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"

// A complete extension E is conflict-free, attacks every attacker of its
// members, and contains every argument all of whose attackers it attacks.
// Equivalently, labelling every argument in (member of E), def (attacked by
// E) or out (neither): no attack between in arguments or from an out argument
// to an in argument, every def argument has an in attacker, and every out
// argument has an out attacker (possibly itself) - otherwise E would defend it.
//
// A row (CompleteArgumentationTuple) is such a labelling of a bag; def and
// out are split into proved (the required attacker has been seen in the
// subtree) and pending. Every attack lies inside some bag, so an argument may
// leave the bag only once proved; at the root the rows without pending
// arguments are the complete extensions. Rows hold positions in the node's
// bag (see BagSet); a rule asks the framework for the attacks within its bag
// once (BagAttacks).
//
// Each rule takes ownership of its children's tables and rows and deletes
// them once read; the table it returns belongs to the caller. A row is never
// changed while it is a key of a table: a rule that reuses a child row takes
// it out of the child table first.
class CompleteNormalizedArgumentationAlgorithm
    : public RowTableAlgorithm<CompleteArgumentationTuple, CompleteJoin, kivra::AbstractNormalizedHTDAlgorithm>,
      public NodeTimes<CompleteNormalizedArgumentationAlgorithm> {
 public:
  // problem must be an ArgumentationProblem; it is not owned.
  explicit CompleteNormalizedArgumentationAlgorithm(kivra::Problem* problem);

 protected:
  // The union of the solutions of the root rows without pending arguments.
  kivra::Solution* selectSolution(kivra::TupleSet* table, const kivra::ExtendedHypertree* root) override;
  // The node rules: each consumes its children's tables and returns a new one.
  kivra::TupleSet* evaluateBranchNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateIntroductionNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateRemovalNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateLeafNode(const kivra::ExtendedHypertree* node) override;

  // The table of every labelling of the arguments R (ascending) that extends
  // the labelling I, DP, DQ, OP, OQ of the arguments before them: R's
  // smallest argument takes def, out and in in turn where the rules allow,
  // then the rest are labelled recursively. The rows are in the positions of
  // the leaf bag being evaluated; the caller owns the table.
  virtual kivra::TupleSet* recCols(kivra::VertexSet I, kivra::VertexSet DP, kivra::VertexSet DQ,
                                   kivra::VertexSet OP, kivra::VertexSet OQ, kivra::VertexSet R,
                                   ArgumentationProblem* problem);

  ArgumentationProblem* argumentationProblem;
};
