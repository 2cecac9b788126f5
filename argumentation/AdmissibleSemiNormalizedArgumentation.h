// Admissible sets by dynamic programming over a semi-normalized tree decomposition.
#pragma once

#include <utility>
#include <vector>

#include "AdmissibleArgumentationTuple.h"
#include "ArgumentationProblem.h"
#include "RowTableAlgorithm.h"
#include "NodeTimes.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"

// An admissible set S is conflict-free and attacks every attacker of its
// members. A row (AdmissibleArgumentationTuple) is S restricted to a bag, each
// other bag argument classified against S as defeated (attacked by S),
// attacking (an undefeated attacker of S) or out (neither). Its solution holds
// every such S with all its members, those still in the bag too: the
// arguments that join the in-set at a node are added to the solution there
// (see RowTableAlgorithm).
//
// A semi-normalized tree has leaves, branch nodes, and permutation nodes that
// remove and introduce any number of arguments at once. A permutation first
// drops the rows in which a removed argument is still an undefeated attacker
// (all its attacks have been seen) and projects the rest, then extends every
// row by each conflict-free subset of the introduced arguments that is
// compatible with the row's in-set. A leaf is a permutation from the single
// empty row. At the root the rows without undefeated attackers are admissible.
// Rows hold positions in the node's bag (see BagSet); a rule asks the
// framework for the attacks within its bag once (BagAttacks).
//
// Each rule takes ownership of its children's tables and rows and deletes
// them once read, or passes them on in its own table (taken out of the child
// table first, so that no key is changed while in a table); the table it
// returns belongs to the caller.
class AdmissibleSemiNormalizedArgumentationAlgorithm
    : public RowTableAlgorithm<AdmissibleArgumentationTuple, AdmissibleJoin,
                                    kivra::AbstractSemiNormalizedHTDAlgorithm>,
      public NodeTimes<AdmissibleSemiNormalizedArgumentationAlgorithm> {
 public:
  // problem must be an ArgumentationProblem; it is not owned.
  explicit AdmissibleSemiNormalizedArgumentationAlgorithm(kivra::Problem* problem);
  ~AdmissibleSemiNormalizedArgumentationAlgorithm() override = default;

 protected:
  kivra::Solution* selectSolution(kivra::TupleSet* table, const kivra::ExtendedHypertree* root) override;
  kivra::TupleSet* evaluateBranchNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluatePermutationNode(const kivra::ExtendedHypertree* node) override;

  ArgumentationProblem* argumentationProblem;

  // The arguments a permutation node keeps from its child, and the
  // arguments of each subset of those it introduces; reused from node to node.
  std::vector<kivra::Vertex> kept;
  std::vector<kivra::VertexSet> joiningArguments;
};
