#include "AdmissibleSemiNormalizedArgumentation.h"

#include <vector>

#include "ArgumentationUtil.h"
#include "BranchJoin.h"
#include "kivra/support.h"

using kivra::ExtendedHypertree;
using kivra::Solution;
using kivra::TupleSet;
using kivra::Vertex;
using kivra::VertexSet;

namespace {

AdmissibleArgumentationTuple* row(const TupleSet::value_type& entry) {
  return static_cast<AdmissibleArgumentationTuple*>(entry.first);
}

}  // namespace

double AdmissibleSemiNormalizedArgumentationAlgorithm::branchNodeTime = 0;
double AdmissibleSemiNormalizedArgumentationAlgorithm::permutationNodeTime = 0;

AdmissibleSemiNormalizedArgumentationAlgorithm::AdmissibleSemiNormalizedArgumentationAlgorithm(
    kivra::Problem* problem)
    : RowCollectingAlgorithm<AdmissibleArgumentationTuple, kivra::AbstractSemiNormalizedHTDAlgorithm>(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

TupleSet* AdmissibleSemiNormalizedArgumentationAlgorithm::evaluatePermutationNode(const ExtendedHypertree* node) {
  using Row = AdmissibleArgumentationTuple;
  TupleSet* child;
  if (node->getType() == kivra::Leaf) {
    // A leaf's time starts here; any other node's where its child's stopped.
    nodeTimer.start();
    child = new TupleSet();
    addRow(new Row(), createLeafSolution(VertexSet()));
    flushRows(child);
  } else {
    child = evaluateNode(node->firstChild());
  }
  const BagAttacks& bag = bagWork.assign(node->getVertices(), argumentationProblem);
  const BagSet introduced = bag.positions(node->getIntroducedVertices());
  // The arguments the node keeps from its child, between removal and introduction.
  std::vector<Vertex> kept;
  for (std::size_t p = 0; p < bag.size(); ++p)
    if (!introduced.test(p)) kept.push_back(bag.vertex(p));
  const BagProjection removal(kept, node->getRemovedVertices());
  const BagEmbedding introduction(introduced, bag.size());

  // Removal: an undefeated attacker that leaves the bag can never be defeated.
  TupleSet* intermediate = new TupleSet();
  // Rows are taken out of the child table before they are projected.
  ArgumentationUtil::takeEntries(child, consumed);
  for (auto [key, mapped] : consumed) {
    auto* t = static_cast<Row*>(key);
    if (t->attackingArguments.intersects(removal.removed)) {
      delete t;
      continue;
    }
    removal.leavingIn(t->inArguments, leaving);
    t->inArguments = removal.apply(t->inArguments);
    t->outArguments = removal.apply(t->outArguments);
    t->defeatedArguments = removal.apply(t->defeatedArguments);
    t->attackingArguments = removal.apply(t->attackingArguments);
    addRow(t, withArguments(mapped, leaving));
  }
  flushRows(intermediate);

  // Introduction: extend each row by every compatible conflict-free subset.
  TupleSet* table = new TupleSet();
  const std::vector<BagSet> subsets = bag.conflictFreeSubsets(introduced);
  for (auto& entry : *intermediate) {
    const Row* t = row(entry);
    const BagSet in = introduction.apply(t->inArguments);
    const BagSet out = introduction.apply(t->outArguments);
    const BagSet attacking = introduction.apply(t->attackingArguments);
    const BagSet defeated = introduction.apply(t->defeatedArguments);
    // New members may neither attack nor be attacked by the row's in-set.
    const BagSet incompatible = bag.attackedBy(in) | bag.attackersOf(in);
    for (const BagSet& joining : subsets) {
      if (joining.intersects(incompatible)) continue;

      auto* extended = new Row();
      extended->inArguments = in | joining;
      const BagSet attackedByIn = bag.attackedBy(extended->inArguments);
      const BagSet attackersOfIn = bag.attackersOf(extended->inArguments);
      const BagSet unsettled = (introduced - extended->inArguments) | out;
      extended->defeatedArguments = defeated | (attacking & attackedByIn) | (unsettled & attackedByIn);
      extended->attackingArguments = (attacking - attackedByIn) | ((unsettled - attackedByIn) & attackersOfIn);
      extended->outArguments = unsettled - attackedByIn - attackersOfIn;
      // The joining arguments enter the solution when they leave the bag.
      addRow(extended, entry.second);
    }
    delete t;
  }
  flushRows(table);
  delete intermediate;
  permutationNodeTime += nodeTimer.lap().first;
  return table;
}

TupleSet* AdmissibleSemiNormalizedArgumentationAlgorithm::evaluateBranchNode(const ExtendedHypertree* node) {
  TupleSet* left = evaluateNode(node->firstChild());
  TupleSet* right = evaluateNode(node->secondChild());
  TupleSet* table = new TupleSet();
  // Runs of equal in-sets join; both tables list them in ascending order.
  joinRunsByLattice(
      left, right, table, AdmissibleJoin(node->getVertices().size()),
      [&](Solution* a, Solution* b) { return combineSolutions(kivra::Union, a, b); },
      [&](Solution* a, Solution* b) { return combineSolutions(kivra::CrossJoin, a, b); });
  branchNodeTime += nodeTimer.lap().first;
  return table;
}

Solution* AdmissibleSemiNormalizedArgumentationAlgorithm::selectSolution(TupleSet* table,
                                                                         const ExtendedHypertree* root) {
  Solution* result = createEmptySolution();
  for (auto& entry : *table)
    if (row(entry)->attackingArguments.empty())
      result = combineSolutions(kivra::Union, result, withRootMembers(entry.second, row(entry)->inArguments, root));
  return result;
}
