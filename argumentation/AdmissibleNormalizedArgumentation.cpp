#include "AdmissibleNormalizedArgumentation.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "AdmissibleArgumentationTuple.h"
#include "ArgumentationProblem.h"
#include "ArgumentationUtil.h"
#include "kivra/support.h"

using kivra::ExtendedHypertree;
using kivra::Solution;
using kivra::TupleSet;
using kivra::Vertex;
using kivra::VertexSet;

double AdmissibleNormalizedArgumentationAlgorithm::branchNodeTime = 0.0;
double AdmissibleNormalizedArgumentationAlgorithm::permutationNodeTime = 0.0;

namespace {

using Row = AdmissibleArgumentationTuple;

const Row& rowOf(const kivra::Tuple* tuple) { return *static_cast<const Row*>(tuple); }

// a \ b, for ascending sets.
VertexSet difference(const VertexSet& a, const VertexSet& b) {
  VertexSet result;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(result, result.end()));
  return result;
}

// Removes every member of `drop` from `from`.
void eraseAll(VertexSet& from, const VertexSet& drop) {
  for (Vertex v : drop) from.erase(v);
}

}  // namespace

AdmissibleNormalizedArgumentationAlgorithm::AdmissibleNormalizedArgumentationAlgorithm(kivra::Problem* problem)
    : kivra::AbstractNormalizedHTDAlgorithm(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

AdmissibleNormalizedArgumentationAlgorithm::~AdmissibleNormalizedArgumentationAlgorithm() {}

void AdmissibleNormalizedArgumentationAlgorithm::insertRow(Row* row, Solution* solution, TupleSet* table) {
  auto [entry, inserted] = table->emplace(row, solution);
  if (inserted) return;
  // An equal row is already there: unite the solutions (stored one left, new
  // one right). Rows are equal in all four sets, so the stored row object
  // can stay the key and the new one goes, which spares a second search.
  entry->second = combineSolutions(kivra::Union, entry->second, solution);
  delete row;
}

TupleSet* AdmissibleNormalizedArgumentationAlgorithm::evaluateLeafNode(const ExtendedHypertree* node) {
  kivra::Timer timer;
  auto* table = new TupleSet();
  const VertexSet bag = node->getVertices();

  for (VertexSet& in : ArgumentationUtil::conflictFreeSets(&bag, argumentationProblem)) {
    auto* row = new Row();
    if (in.empty()) {
      row->outArguments = bag;
    } else {
      const VertexSet rest = difference(bag, in);
      row->defeatedArguments = ArgumentationUtil::attackedWithin(in, rest, argumentationProblem);
      for (Vertex r : rest) {
        if (row->defeatedArguments.count(r) != 0) continue;
        if (argumentationProblem->argumentAttacksSet(in, r)) {
          row->attackingArguments.insert(row->attackingArguments.end(), r);
        } else {
          row->outArguments.insert(row->outArguments.end(), r);
        }
      }
    }
    row->inArguments = std::move(in);
    // Rows of different in-sets never coincide: a plain insertion suffices.
    table->emplace(row, createLeafSolution(row->inArguments));
  }

  permutationNodeTime += timer.stop().first;
  return table;
}

TupleSet* AdmissibleNormalizedArgumentationAlgorithm::evaluateIntroductionNode(const ExtendedHypertree* node) {
  const Vertex a = node->getDifference();
  TupleSet* child = evaluateNode(node->firstChild());

  kivra::Timer timer;
  auto* table = new TupleSet();
  const VertexSet& bag = node->getVertices();
  const VertexSet onlyA{a};
  const VertexSet* targets = argumentationProblem->getAttacksFromArg(a);
  const bool selfAttacking = argumentationProblem->argumentAttacksSet(onlyA, a);
  // The bag arguments that a attacks, found by looking each one up in a's
  // targets rather than walking all of them.
  VertexSet targetsInBag;
  if (targets != nullptr) {
    for (Vertex v : bag) {
      if (targets->count(v) != 0) targetsInBag.insert(targetsInBag.end(), v);
    }
  }

  for (auto& [tuple, solution] : *child) {
    auto& t = *static_cast<Row*>(tuple);
    enum class Place { Defeated, Attacking, Out } place;
    if (argumentationProblem->argumentIsAttackedBySet(t.inArguments, a)) {
      place = Place::Defeated;
    } else if (argumentationProblem->argumentAttacksSet(t.inArguments, a)) {
      place = Place::Attacking;
    } else {
      place = Place::Out;
    }

    if (place == Place::Out && !selfAttacking) {
      // a joins the candidate set.
      auto* joined = new Row();
      joined->inArguments = t.inArguments;
      joined->inArguments.insert(a);
      joined->defeatedArguments = t.defeatedArguments;
      joined->defeatedArguments.insert(targetsInBag.begin(), targetsInBag.end());
      for (Vertex r : t.outArguments) {
        if (targetsInBag.count(r) == 0 && !argumentationProblem->argumentAttacksSet(onlyA, r)) {
          joined->outArguments.insert(joined->outArguments.end(), r);
        }
      }
      for (Vertex v : bag) {
        if (joined->inArguments.count(v) == 0 && joined->defeatedArguments.count(v) == 0 &&
            joined->outArguments.count(v) == 0) {
          joined->attackingArguments.insert(joined->attackingArguments.end(), v);
        }
      }
      insertRow(joined, addToSolution(solution, a), table);
    }

    // a stays outside the candidate set; the child row is not read again, so
    // its sets are moved rather than copied.
    auto* kept = new Row();
    kept->inArguments = std::move(t.inArguments);
    kept->outArguments = std::move(t.outArguments);
    kept->attackingArguments = std::move(t.attackingArguments);
    kept->defeatedArguments = std::move(t.defeatedArguments);
    switch (place) {
      case Place::Defeated:
        kept->defeatedArguments.insert(a);
        break;
      case Place::Attacking:
        kept->attackingArguments.insert(a);
        break;
      case Place::Out:
        kept->outArguments.insert(a);
        break;
    }
    insertRow(kept, solution, table);
  }
  // The child rows were emptied above and nothing refers to them any more.
  ArgumentationUtil::releaseRows(child);

  permutationNodeTime += timer.stop().first;
  return table;
}

TupleSet* AdmissibleNormalizedArgumentationAlgorithm::evaluateRemovalNode(const ExtendedHypertree* node) {
  VertexSet removed = node->getRemovedVertices();
  TupleSet* child = evaluateNode(node->firstChild());

  kivra::Timer timer;
  auto* table = new TupleSet();
  for (auto& [tuple, solution] : *child) {
    auto* t = static_cast<Row*>(tuple);
    // An undefeated attacker that leaves the decomposition can never be
    // defeated later: the row's candidate sets are not admissible.
    if (!ArgumentationUtil::isDisjoint(t->attackingArguments, removed)) {
      delete t;
      continue;
    }
    auto* projected = new Row();
    projected->inArguments = std::move(t->inArguments);
    projected->attackingArguments = std::move(t->attackingArguments);
    projected->defeatedArguments = std::move(t->defeatedArguments);
    projected->outArguments = std::move(t->outArguments);
    eraseAll(projected->inArguments, removed);
    eraseAll(projected->attackingArguments, removed);
    eraseAll(projected->defeatedArguments, removed);
    eraseAll(projected->outArguments, removed);
    insertRow(projected, solution, table);
    delete t;
  }
  delete child;

  permutationNodeTime += timer.stop().first;
  return table;
}

TupleSet* AdmissibleNormalizedArgumentationAlgorithm::evaluateBranchNode(const ExtendedHypertree* node) {
  TupleSet* left = evaluateNode(node->firstChild());
  TupleSet* right = evaluateNode(node->secondChild());

  kivra::Timer timer;
  auto* table = new TupleSet();
  const VertexSet& bag = node->getVertices();

  // Merge join on the in-set: both tables list equal in-sets consecutively,
  // in ascending order of the in-sets. Every left row of a run is paired with
  // the whole run of right rows of the same in-set.
  ArgumentationUtil::joinRunsByInSet<Row>(left, right, [&](const Row& lrow, Solution* lsol, const Row& rrow,
                                                           Solution* rsol) {
    Row* joined = ArgumentationUtil::joinAdmissibleRows(lrow, rrow, bag);
    insertRow(joined, combineSolutions(kivra::CrossJoin, lsol, rsol), table);
  });

  branchNodeTime += timer.stop().first;
  return table;
}

Solution* AdmissibleNormalizedArgumentationAlgorithm::selectSolution(TupleSet* tuples,
                                                                      const ExtendedHypertree* /*root*/) {
  Solution* result = createEmptySolution();
  for (const auto& [tuple, solution] : *tuples) {
    if (rowOf(tuple).attackingArguments.empty()) result = combineSolutions(kivra::Union, result, solution);
  }
  return result;
}
