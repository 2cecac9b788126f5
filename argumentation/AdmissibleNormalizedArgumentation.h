// Admissible extensions by dynamic programming over a normalized tree
// decomposition (Leaf, Introduction, Removal and Branch nodes).
//
// At a node with bag V whose subtree holds the arguments X, a row with in-set
// I stands for every conflict-free S ⊆ X with S ∩ V = I in which every
// attacker of S from X \ V is attacked by S; the row's other sets classify
// V \ I towards S (defeated by S, undefeated attacker of S, neither). At the
// root, S is admissible exactly when its row has no undefeated attacker.
// Rows hold positions in the node's bag; each rule asks the framework for the
// attacks within its bag once (BagAttacks) and moves the child rows into its
// own bag's positions.
#pragma once

#include <utility>
#include <vector>

#include "AdmissibleArgumentationTuple.h"
#include "RowTableAlgorithm.h"
#include "NodeTimes.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/Problem.h"

class ArgumentationProblem;

class AdmissibleNormalizedArgumentationAlgorithm
    : public RowTableAlgorithm<AdmissibleArgumentationTuple, AdmissibleJoin, kivra::AbstractNormalizedHTDAlgorithm>,
      public NodeTimes<AdmissibleNormalizedArgumentationAlgorithm> {
 public:
  // `problem` must be an ArgumentationProblem; not owned.
  explicit AdmissibleNormalizedArgumentationAlgorithm(kivra::Problem* problem);
  ~AdmissibleNormalizedArgumentationAlgorithm() override;

 protected:
  // Each rule returns a new table owned by the caller and releases the child
  // tables it consumed, rows included. A solution may be shared by several
  // rows, so no rule releases one: the framework reclaims the solutions that
  // no table reaches.
  kivra::Solution* selectSolution(kivra::TupleSet* tuples, const kivra::ExtendedHypertree* root) override;
  kivra::TupleSet* evaluateBranchNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateIntroductionNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateRemovalNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateLeafNode(const kivra::ExtendedHypertree* node) override;

  ArgumentationProblem* argumentationProblem;
};
