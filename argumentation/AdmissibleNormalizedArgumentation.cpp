#include "AdmissibleNormalizedArgumentation.h"

#include <utility>
#include <vector>

#include "AdmissibleArgumentationTuple.h"
#include "ArgumentationProblem.h"
#include "ArgumentationUtil.h"

using kivra::ExtendedHypertree, kivra::Solution, kivra::TupleSet, kivra::Vertex, kivra::VertexSet;

using Row = AdmissibleArgumentationTuple;

AdmissibleNormalizedArgumentationAlgorithm::AdmissibleNormalizedArgumentationAlgorithm(kivra::Problem* problem)
    : RowTableAlgorithm(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

AdmissibleNormalizedArgumentationAlgorithm::~AdmissibleNormalizedArgumentationAlgorithm() {}

TupleSet* AdmissibleNormalizedArgumentationAlgorithm::evaluateLeafNode(const ExtendedHypertree* node) {
  startLeafTime();
  auto* table = new TupleSet();
  const BagAttacks& bag = bagWork.assign(node->getVertices(), argumentationProblem);

  for (BagSet& in : bag.conflictFreeSubsets(bag.all())) {
    auto* row = new Row();
    const BagSet rest = bag.all() - in;
    row->defeatedArguments = rest & bag.attackedBy(in);
    row->attackingArguments = (rest - row->defeatedArguments) & bag.attackersOf(in);
    row->outArguments = rest - row->defeatedArguments - row->attackingArguments;
    Solution* solution = createLeafSolution(bag.vertices(in));
    row->inArguments = std::move(in);
    // Rows of different in-sets never coincide: a plain insertion will do.
    table->emplace(row, solution);
  }
  return permutationDone(table);
}

TupleSet* AdmissibleNormalizedArgumentationAlgorithm::evaluateIntroductionNode(const ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  auto* table = new TupleSet();
  // The argument the node introduces (a below), in this bag.
  const Introduction added = introduce(node, argumentationProblem);
  const BagAttacks& bag = bagWork;

  for (auto& [tuple, solution] : *child) {
    auto& t = *static_cast<Row*>(tuple);
    // The child row in this bag's positions.
    BagSet in = t.inArguments.inserted(added.position, added.width);
    enum class Place { Defeated, Attacking, Out } place;
    if (added.attackers.intersects(in)) {
      place = Place::Defeated;
    } else if (added.targets.intersects(in)) {
      place = Place::Attacking;
    } else {
      place = Place::Out;
    }
    auto* kept = new Row();
    kept->outArguments = t.outArguments.inserted(added.position, added.width);
    kept->attackingArguments = t.attackingArguments.inserted(added.position, added.width);
    kept->defeatedArguments = t.defeatedArguments.inserted(added.position, added.width);

    if (place == Place::Out && !added.selfAttack) {
      // a joins the candidate set.
      auto* joined = new Row();
      joined->inArguments = in;
      joined->inArguments.set(added.position);
      joined->defeatedArguments = kept->defeatedArguments | added.targets;
      joined->outArguments = kept->outArguments - added.targets - added.attackers;
      joined->attackingArguments =
          bag.all() - joined->inArguments - joined->defeatedArguments - joined->outArguments;
      addRow(joined, addToSolution(solution, added.argument), table);
    }

    // a stays outside the candidate set.
    kept->inArguments = std::move(in);
    switch (place) {
      case Place::Defeated:
        kept->defeatedArguments.set(added.position);
        break;
      case Place::Attacking:
        kept->attackingArguments.set(added.position);
        break;
      case Place::Out:
        kept->outArguments.set(added.position);
        break;
    }
    addRow(kept, solution, table);
  }
  releaseTable(child);
  return permutationDone(table);
}

TupleSet* AdmissibleNormalizedArgumentationAlgorithm::evaluateRemovalNode(const ExtendedHypertree* node) {
  return permutationDone(removeFromChild(node, undefeatedAttackerLeaves));
}

TupleSet* AdmissibleNormalizedArgumentationAlgorithm::evaluateBranchNode(const ExtendedHypertree* node) {
  // Runs of equal in-sets join; both tables list them in ascending order.
  return branchDone(joinChildren(node));
}

Solution* AdmissibleNormalizedArgumentationAlgorithm::selectSolution(TupleSet* tuples, const ExtendedHypertree*) {
  return selectRows(tuples, admissibleAtRoot);
}
