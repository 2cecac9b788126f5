// Complete extensions by dynamic programming over a normalized tree decomposition.
#pragma once

#include <cstddef>
#include <vector>

#include "ArgumentationProblem.h"
#include "CompleteArgumentationTuple.h"
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
// arguments are the complete extensions.
//
// Each rule takes ownership of its children's tables and rows and deletes
// them once read; the table it returns belongs to the caller. A row is never
// changed while it is a key of a table: a rule that reuses a child row takes
// it out of the child table first.
class CompleteNormalizedArgumentationAlgorithm : public kivra::AbstractNormalizedHTDAlgorithm {
 public:
  // problem must be an ArgumentationProblem; it is not owned.
  explicit CompleteNormalizedArgumentationAlgorithm(kivra::Problem* problem);
  ~CompleteNormalizedArgumentationAlgorithm() override = default;

  // User CPU seconds spent in leaf, introduction and removal rules, and in
  // branch rules, over all runs of this class. Only ever added to.
  static double permutationNodeTime;
  static double branchNodeTime;

 protected:
  kivra::Solution* selectSolution(kivra::TupleSet* table, const kivra::ExtendedHypertree* root) override;
  kivra::TupleSet* evaluateBranchNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateIntroductionNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateRemovalNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateLeafNode(const kivra::ExtendedHypertree* node) override;

  // Every labelling that extends the row (in, defProved, defPending,
  // outProved, outPending) by the arguments of remaining, each row paired
  // with the leaf solution of its in-set. Returns a new table owned by the caller.
  virtual kivra::TupleSet* recCols(kivra::VertexSet in, kivra::VertexSet defProved,
                                   kivra::VertexSet defPending, kivra::VertexSet outProved,
                                   kivra::VertexSet outPending, kivra::VertexSet remaining,
                                   ArgumentationProblem* problem);

  ArgumentationProblem* argumentationProblem;

 private:
  // Adds row with solution s; an equal row already in the table keeps its
  // place, its solution becomes the Union of the old and s, and row is deleted.
  void addRow(CompleteArgumentationTuple* row, kivra::Solution* s, kivra::TupleSet* table);

  // Depth-first labelling of remaining[next..] onto current (restored on return).
  void labelRemaining(CompleteArgumentationTuple& current, const std::vector<kivra::Vertex>& remaining,
                      std::size_t next, ArgumentationProblem* problem, kivra::TupleSet* table);
};
