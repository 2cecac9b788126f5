#include "AdmissibleSemiNormalizedArgumentation.h"

#include <vector>

#include "ArgumentationUtil.h"

using kivra::ExtendedHypertree, kivra::Solution, kivra::TupleSet, kivra::VertexSet;

namespace {

AdmissibleArgumentationTuple* row(const TupleSet::value_type& entry) {
  return static_cast<AdmissibleArgumentationTuple*>(entry.first);
}

}  // namespace

AdmissibleSemiNormalizedArgumentationAlgorithm::AdmissibleSemiNormalizedArgumentationAlgorithm(
    kivra::Problem* problem)
    : RowTableAlgorithm(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

TupleSet* AdmissibleSemiNormalizedArgumentationAlgorithm::evaluatePermutationNode(const ExtendedHypertree* node) {
  using Row = AdmissibleArgumentationTuple;
  TupleSet* child;
  if (node->getType() == kivra::Leaf) {
    // A leaf's time starts here; any other node's where its child's stopped.
    startLeafTime();
    child = new TupleSet();
    addRow(new Row(), createLeafSolution(VertexSet()), child);
  } else {
    child = evaluateNode(node->firstChild());
  }
  const BagAttacks& bag = bagWork.assign(node->getVertices(), argumentationProblem);
  const BagSet introduced = bag.positions(node->getIntroducedVertices());
  // The arguments the node keeps from its child, between removal and introduction.
  kept.clear();
  for (std::size_t p = 0; p < bag.size(); ++p)
    if (!introduced.test(p)) kept.push_back(bag.vertex(p));
  const BagProjection& removal = projectionWork.assign(kept, node->getRemovedVertices());
  const BagEmbedding introduction(introduced, bag.size());

  // Removal: rows in which an undefeated attacker leaves go, the others move
  // into the smaller bag.
  TupleSet* intermediate = new TupleSet();
  projectRows(child, removal, undefeatedAttackerLeaves, intermediate);

  // Introduction: extend each row by every compatible conflict-free subset.
  TupleSet* table = new TupleSet();
  const std::vector<BagSet> subsets = bag.conflictFreeSubsets(introduced);
  // Each subset's arguments, added to the solution of every row it extends.
  joiningArguments.clear();
  for (const BagSet& joining : subsets) joiningArguments.push_back(bag.vertices(joining));
  for (auto& entry : *intermediate) {
    const Row* t = row(entry);
    const BagSet in = introduction.apply(t->inArguments);
    const BagSet out = introduction.apply(t->outArguments);
    const BagSet attacking = introduction.apply(t->attackingArguments);
    const BagSet defeated = introduction.apply(t->defeatedArguments);
    // New members may neither attack nor be attacked by the row's in-set.
    const BagSet incompatible = bag.attackedBy(in) | bag.attackersOf(in);
    for (std::size_t i = 0; i < subsets.size(); ++i) {
      const BagSet& joining = subsets[i];
      if (joining.intersects(incompatible)) continue;

      auto* extended = new Row();
      extended->inArguments = in | joining;
      const BagSet attackedByIn = bag.attackedBy(extended->inArguments);
      const BagSet attackersOfIn = bag.attackersOf(extended->inArguments);
      const BagSet unsettled = (introduced - extended->inArguments) | out;
      extended->defeatedArguments = defeated | (attacking & attackedByIn) | (unsettled & attackedByIn);
      extended->attackingArguments = (attacking - attackedByIn) | ((unsettled - attackedByIn) & attackersOfIn);
      extended->outArguments = unsettled - attackedByIn - attackersOfIn;
      addRow(extended, addToSolution(entry.second, joiningArguments[i]), table);
    }
    delete t;
  }
  delete intermediate;
  return permutationDone(table);
}

TupleSet* AdmissibleSemiNormalizedArgumentationAlgorithm::evaluateBranchNode(const ExtendedHypertree* node) {
  // Runs of equal in-sets join; both tables list them in ascending order.
  return branchDone(joinChildren(node));
}

Solution* AdmissibleSemiNormalizedArgumentationAlgorithm::selectSolution(TupleSet* table,
                                                                         const ExtendedHypertree*) {
  return selectRows(table, admissibleAtRoot);
}
