#include "StableNormalizedArgumentation.h"

#include <vector>

#include "ArgumentationUtil.h"

using kivra::ExtendedHypertree, kivra::Solution, kivra::TupleSet, kivra::Vertex, kivra::VertexSet;

using Row = StableArgumentationTuple;

StableNormalizedArgumentationAlgorithm::StableNormalizedArgumentationAlgorithm(kivra::Problem* problem)
    : RowTableAlgorithm(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateLeafNode(const ExtendedHypertree* node) {
  TupleSet* table = new TupleSet();  // owned by the caller
  const BagAttacks& bag = bagWork.assign(node->getVertices(), argumentationProblem);
  for (BagSet& in : bag.conflictFreeSubsets(bag.all())) {
    auto* r = new StableArgumentationTuple();
    const BagSet outside = bag.all() - in;
    r->attackedArguments = outside & bag.attackedBy(in);
    r->unattackedArguments = outside - r->attackedArguments;
    Solution* solution = createLeafSolution(bag.vertices(in));
    r->inArguments = std::move(in);
    // Rows of one leaf differ in their in-sets: a plain insertion will do.
    table->emplace(r, solution);
  }
  return table;
}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateIntroductionNode(const ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  TupleSet* table = new TupleSet();
  // The argument the node introduces (a below), in this bag.
  const Introduction added = introduce(node, argumentationProblem);

  // Each child row is taken out of the child table before it is reused as
  // the row with a outside, so no table key is ever changed.
  ArgumentationUtil::takeEach(child, [&](kivra::Tuple* key, Solution* s) {
    auto* t = static_cast<StableArgumentationTuple*>(key);
    t->inArguments = t->inArguments.inserted(added.position, added.width);
    t->attackedArguments = t->attackedArguments.inserted(added.position, added.width);
    t->unattackedArguments = t->unattackedArguments.inserted(added.position, added.width);
    if (added.attackers.intersects(t->inArguments)) {
      t->attackedArguments.set(added.position);
    } else {
      // a may join when it attacks neither itself nor a member of the in-set.
      if (!added.selfAttack && !added.targets.intersects(t->inArguments)) {
        auto* inRow = new StableArgumentationTuple();
        inRow->inArguments = t->inArguments;
        inRow->inArguments.set(added.position);
        inRow->attackedArguments = t->attackedArguments | (t->unattackedArguments & added.targets);
        inRow->unattackedArguments = t->unattackedArguments - added.targets;
        addRow(inRow, addToSolution(s, added.argument), table);
      }
      t->unattackedArguments.set(added.position);
    }
    addRow(t, s, table);
  });
  return table;
}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateRemovalNode(const ExtendedHypertree* node) {
  // An argument leaving the bag unattacked can never be attacked later.
  return removeFromChild(node, [](const Row& row, const BagSet& removed) {
    return row.unattackedArguments.intersects(removed);
  });
}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateBranchNode(const ExtendedHypertree* node) {
  // Runs of equal in-sets join; both tables list them in ascending order.
  return joinChildren(node);
}

Solution* StableNormalizedArgumentationAlgorithm::selectSolution(TupleSet* table, const ExtendedHypertree*) {
  // At the root the rows without unattacked arguments are stable.
  return selectRows(table, [](const Row& row) { return row.unattackedArguments.empty(); });
}
