// Stable extensions by dynamic programming over a normalized tree decomposition.
#pragma once

#include <utility>
#include <vector>

#include "ArgumentationProblem.h"
#include "StableArgumentationTuple.h"
#include "RowTableAlgorithm.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"

// A stable extension is a conflict-free set S of arguments that attacks every
// argument outside S. A row of a node's table (StableArgumentationTuple) is S
// restricted to the node's bag, with every outside bag argument marked as
// attacked or not yet attacked by the part of S seen in the subtree; its
// solution holds every such S with all its members put in so far (see
// RowTableAlgorithm).
//
// Every attack lies inside some bag, so when an argument leaves the bag its
// status is final: a row in which it is still unattacked cannot become stable
// and is dropped. At the root the rows without unattacked arguments are the
// stable extensions. Rows hold positions in the node's bag (see BagSet); a
// rule asks the framework for the attacks within its bag once (BagAttacks).
//
// Each rule takes ownership of its children's tables and rows and deletes
// them once read, or passes them on in its own table (taken out of the child
// table first, so that no key is changed while in a table); the table it
// returns belongs to the caller.
class StableNormalizedArgumentationAlgorithm
    : public RowTableAlgorithm<StableArgumentationTuple, StableJoin, kivra::AbstractNormalizedHTDAlgorithm> {
 public:
  // problem must be an ArgumentationProblem; it is not owned.
  explicit StableNormalizedArgumentationAlgorithm(kivra::Problem* problem);
  ~StableNormalizedArgumentationAlgorithm() override = default;

 protected:
  kivra::Solution* selectSolution(kivra::TupleSet* table, const kivra::ExtendedHypertree* root) override;
  kivra::TupleSet* evaluateBranchNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateIntroductionNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateRemovalNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateLeafNode(const kivra::ExtendedHypertree* node) override;

  ArgumentationProblem* argumentationProblem;
};
