#include "StableNormalizedArgumentation.h"

#include <compare>
#include <cstdint>
#include <vector>

#include "ArgumentationUtil.h"
#include "BranchJoin.h"

using kivra::ExtendedHypertree;
using kivra::Solution;
using kivra::TupleSet;
using kivra::Vertex;
using kivra::VertexSet;

namespace {

StableArgumentationTuple* row(const TupleSet::value_type& entry) {
  return static_cast<StableArgumentationTuple*>(entry.first);
}

}  // namespace

StableNormalizedArgumentationAlgorithm::StableNormalizedArgumentationAlgorithm(kivra::Problem* problem)
    : RowCollectingAlgorithm<StableArgumentationTuple, kivra::AbstractNormalizedHTDAlgorithm>(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateLeafNode(const ExtendedHypertree* node) {
  TupleSet* table = new TupleSet();  // owned by the caller
  const BagAttacks& bag = bagWork.assign(node->getVertices(), argumentationProblem);
  for (BagSet& in : bag.conflictFreeSubsets(bag.all())) {
    auto* r = new StableArgumentationTuple();
    const BagSet outside = bag.all() - in;
    r->attackedArguments = outside & bag.attackedBy(in);
    r->unattackedArguments = outside - r->attackedArguments;
    r->inArguments = std::move(in);
    // Rows of one leaf differ in their in-sets, so nothing merges here.
    addRow(r, createLeafSolution(VertexSet()));
  }
  flushRows(table);
  return table;
}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateIntroductionNode(const ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  TupleSet* table = new TupleSet();
  const Vertex a = node->getDifference();
  const BagAttacks& bag = bagWork.assign(node->getVertices(), argumentationProblem);
  const std::size_t width = bag.size();
  const std::size_t p = bag.position(a);
  const BagSet& targetsOfA = bag.attacksOf(p);
  const BagSet& attackersOfA = bag.attackersOf(p);
  const bool selfAttack = bag.attacks(p, p);

  // Each child row is taken out of the child table before it is reused as
  // the row with a outside, so no table key is ever changed.
  ArgumentationUtil::takeEntries(child, consumed);
  for (auto [key, mapped] : consumed) {
    auto* t = static_cast<StableArgumentationTuple*>(key);
    Solution* s = mapped;
    t->inArguments = t->inArguments.inserted(p, width);
    t->attackedArguments = t->attackedArguments.inserted(p, width);
    t->unattackedArguments = t->unattackedArguments.inserted(p, width);
    if (attackersOfA.intersects(t->inArguments)) {
      t->attackedArguments.set(p);
    } else {
      // a may join when it attacks neither itself nor a member of the in-set.
      if (!selfAttack && !targetsOfA.intersects(t->inArguments)) {
        auto* inRow = new StableArgumentationTuple();
        inRow->inArguments = t->inArguments;
        inRow->inArguments.set(p);
        inRow->attackedArguments = t->attackedArguments | (t->unattackedArguments & targetsOfA);
        inRow->unattackedArguments = t->unattackedArguments - targetsOfA;
        addRow(inRow, s);
      }
      t->unattackedArguments.set(p);
    }
    addRow(t, s);
  }
  flushRows(table);
  return table;
}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateRemovalNode(const ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  TupleSet* table = new TupleSet();
  const BagProjection& removal = projectionWork.assign(node->getVertices(), node->getRemovedVertices());

  // Rows are taken out of the child table before they are projected.
  ArgumentationUtil::takeEntries(child, consumed);
  for (auto [key, mapped] : consumed) {
    auto* t = static_cast<StableArgumentationTuple*>(key);
    // An argument leaving the bag unattacked can never be attacked later.
    if (t->unattackedArguments.intersects(removal.removed)) {
      delete t;
      continue;
    }
    removal.leavingIn(t->inArguments, leaving);
    Solution* s = withArguments(mapped, leaving);
    t->inArguments = removal.apply(t->inArguments);
    t->attackedArguments = removal.apply(t->attackedArguments);
    t->unattackedArguments = removal.apply(t->unattackedArguments);
    addRow(t, s);
  }
  flushRows(table);
  return table;
}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateBranchNode(const ExtendedHypertree* node) {
  TupleSet* left = evaluateNode(node->firstChild());
  TupleSet* right = evaluateNode(node->secondChild());
  TupleSet* table = new TupleSet();
  // Runs of equal in-sets join; both tables list them in ascending order.
  joinRunsByLattice(
      left, right, table, StableJoin(node->getVertices().size()),
      [&](Solution* a, Solution* b) { return combineSolutions(kivra::Union, a, b); },
      [&](Solution* a, Solution* b) { return combineSolutions(kivra::CrossJoin, a, b); });
  return table;
}

Solution* StableNormalizedArgumentationAlgorithm::selectSolution(TupleSet* table, const ExtendedHypertree* root) {
  Solution* result = createEmptySolution();
  for (auto& entry : *table)
    if (row(entry)->unattackedArguments.empty())
      result = combineSolutions(kivra::Union, result, withRootMembers(entry.second, row(entry)->inArguments, root));
  return result;
}
