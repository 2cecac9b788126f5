#include "CompleteNormalizedArgumentation.h"

#include <vector>

#include "ArgumentationUtil.h"

using kivra::ExtendedHypertree, kivra::Solution, kivra::TupleSet, kivra::Vertex, kivra::VertexSet;

namespace {

using Row = CompleteArgumentationTuple;

// Each set of a row in the positions of a larger bag, `position` added.
void insertPosition(CompleteArgumentationTuple& t, std::size_t position, std::size_t width) {
  t.forEachSet([&](BagSet& set) { set = set.inserted(position, width); });
}

}  // namespace

CompleteNormalizedArgumentationAlgorithm::CompleteNormalizedArgumentationAlgorithm(kivra::Problem* problem)
    : RowTableAlgorithm(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

TupleSet* CompleteNormalizedArgumentationAlgorithm::recCols(VertexSet I, VertexSet DP, VertexSet DQ, VertexSet OP,
                                                           VertexSet OQ, VertexSet R, ArgumentationProblem* problem) {
  auto* result = new TupleSet();  // owned by the caller
  if (R.empty()) {
    // Every argument of the leaf's bag is labelled; the row's solution holds
    // its in-set.
    auto* finished = new CompleteArgumentationTuple();
    finished->inArguments = bagWork.positions(I);
    finished->defProvedArguments = bagWork.positions(DP);
    finished->defPendingArguments = bagWork.positions(DQ);
    finished->outProvedArguments = bagWork.positions(OP);
    finished->outPendingArguments = bagWork.positions(OQ);
    addRow(finished, createLeafSolution(I), result);
    return result;
  }
  const Vertex x = *R.begin();
  R.erase(R.begin());
  // Rows of different branches never coincide (x is labelled differently in
  // each), so a branch's entries go in as they are.
  const auto take = [result](TupleSet* branch) {
    result->insert(branch->begin(), branch->end());
    delete branch;
  };
  const auto targetsIn = [&](const VertexSet& s) {
    VertexSet hit;
    for (auto [at, end] = problem->attackedRange(x); at != end; ++at)
      if (s.count(*at)) hit.insert(hit.end(), *at);
    return hit;
  };
  const auto minus = [](VertexSet s, const VertexSet& gone) {
    for (Vertex v : gone) s.erase(v);
    return s;
  };
  const auto with = [](VertexSet s, const VertexSet& added) {
    s.insert(added.begin(), added.end());
    return s;
  };

  // def: always possible; proved at once when the in-set attacks x.
  const bool attackedByIn = problem->argumentIsAttackedBySet(I, x);
  if (attackedByIn)
    take(recCols(I, with(DP, {x}), DQ, OP, OQ, R, problem));
  else
    take(recCols(I, DP, with(DQ, {x}), OP, OQ, R, problem));
  // out and in both require that x and the in-set leave each other alone.
  if (attackedByIn || problem->argumentAttacksSet(I, x)) return result;

  // out: x proves every pending out argument it attacks.
  const VertexSet M = targetsIn(OQ);
  if (problem->argumentIsAttackedBySet(OP, x) || problem->argumentIsAttackedBySet(OQ, x) ||
      problem->argumentAttacksSet(VertexSet{x}, x)) {
    take(recCols(I, DP, DQ, with(with(OP, {x}), M), minus(OQ, M), R, problem));
    return result;  // x can never be in
  }
  take(recCols(I, DP, DQ, with(OP, M), with(minus(OQ, M), {x}), R, problem));

  // in: x must not attack an out argument.
  if (problem->argumentAttacksSet(OP, x) || problem->argumentAttacksSet(OQ, x)) return result;
  const VertexSet N = targetsIn(DQ);
  take(recCols(with(I, {x}), with(DP, N), minus(DQ, N), OP, OQ, R, problem));
  return result;
}

TupleSet* CompleteNormalizedArgumentationAlgorithm::evaluateLeafNode(const ExtendedHypertree* node) {
  startLeafTime();
  // recCols makes the rows in this bag's positions.
  bagWork.assign(node->getVertices(), argumentationProblem);
  const auto& bag = node->getVertices();
  TupleSet* table = recCols(VertexSet(), VertexSet(), VertexSet(), VertexSet(), VertexSet(),
                            VertexSet(bag.begin(), bag.end()), argumentationProblem);
  return permutationDone(table);
}

TupleSet* CompleteNormalizedArgumentationAlgorithm::evaluateIntroductionNode(const ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  TupleSet* table = new TupleSet();
  // The argument the node introduces (x below), in this bag.
  const Introduction added = introduce(node, argumentationProblem);

  // Each child row is taken out of the child table before it is reused as
  // the def row, so no table key is ever changed.
  ArgumentationUtil::takeEach(child, [&](kivra::Tuple* key, Solution* s) {
    auto* t = static_cast<CompleteArgumentationTuple*>(key);
    insertPosition(*t, added.position, added.width);

    const bool attackedByIn = added.attackers.intersects(t->inArguments);
    CompleteArgumentationTuple* outRow = nullptr;
    CompleteArgumentationTuple* inRow = nullptr;
    if (!attackedByIn && !added.targets.intersects(t->inArguments)) {
      const bool attackedByOut =
          added.attackers.intersects(t->outProvedArguments) || added.attackers.intersects(t->outPendingArguments);
      outRow = new CompleteArgumentationTuple(*t);
      outRow->outPendingArguments = t->outPendingArguments - added.targets;
      outRow->outProvedArguments |= t->outPendingArguments & added.targets;
      (attackedByOut || added.selfAttack ? outRow->outProvedArguments : outRow->outPendingArguments).set(added.position);

      const bool attacksOut = added.targets.intersects(t->outProvedArguments) || added.targets.intersects(t->outPendingArguments);
      if (!added.selfAttack && !attackedByOut && !attacksOut) {
        inRow = new CompleteArgumentationTuple(*t);
        inRow->inArguments.set(added.position);
        inRow->defPendingArguments = t->defPendingArguments - added.targets;
        inRow->defProvedArguments |= t->defPendingArguments & added.targets;
      }
    }
    // The child row itself becomes the def row.
    (attackedByIn ? t->defProvedArguments : t->defPendingArguments).set(added.position);
    addRow(t, s, table);
    if (outRow) addRow(outRow, s, table);
    if (inRow) addRow(inRow, addToSolution(s, added.argument), table);
  });
  return permutationDone(table);
}

TupleSet* CompleteNormalizedArgumentationAlgorithm::evaluateRemovalNode(const ExtendedHypertree* node) {
  // A pending argument that leaves the bag can never be settled.
  return permutationDone(removeFromChild(node, [](const Row& row, const BagSet& removed) {
    return row.defPendingArguments.intersects(removed) || row.outPendingArguments.intersects(removed);
  }));
}

TupleSet* CompleteNormalizedArgumentationAlgorithm::evaluateBranchNode(const ExtendedHypertree* node) {
  // Runs of equal in-sets and def unions join; both tables list them in ascending order.
  return branchDone(joinChildren(node));
}

Solution* CompleteNormalizedArgumentationAlgorithm::selectSolution(TupleSet* table, const ExtendedHypertree*) {
  // At the root the rows without pending arguments are complete.
  return selectRows(table, [](const Row& row) {
    return row.defPendingArguments.empty() && row.outPendingArguments.empty();
  });
}
