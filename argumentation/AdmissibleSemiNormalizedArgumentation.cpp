#include "AdmissibleSemiNormalizedArgumentation.h"

#include <algorithm>
#include <iterator>

#include "ArgumentationUtil.h"
#include "kivra/support.h"

using kivra::ExtendedHypertree;
using kivra::Solution;
using kivra::TupleSet;
using kivra::Vertex;
using kivra::VertexSet;

double AdmissibleSemiNormalizedArgumentationAlgorithm::branchNodeTime = 0;
double AdmissibleSemiNormalizedArgumentationAlgorithm::permutationNodeTime = 0;

namespace {

AdmissibleArgumentationTuple* row(const TupleSet::value_type& entry) {
  return static_cast<AdmissibleArgumentationTuple*>(entry.first);
}

void eraseAll(VertexSet& from, const VertexSet& what) {
  for (Vertex v : what) from.erase(v);
}

bool intersects(const VertexSet& a, const VertexSet& b) {
  const VertexSet& small = a.size() <= b.size() ? a : b;
  const VertexSet& large = a.size() <= b.size() ? b : a;
  for (Vertex v : small)
    if (large.count(v)) return true;
  return false;
}

}  // namespace

AdmissibleSemiNormalizedArgumentationAlgorithm::AdmissibleSemiNormalizedArgumentationAlgorithm(
    kivra::Problem* problem)
    : kivra::AbstractSemiNormalizedHTDAlgorithm(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

void AdmissibleSemiNormalizedArgumentationAlgorithm::addRow(AdmissibleArgumentationTuple* newRow, Solution* s,
                                                            TupleSet* table) {
  auto [it, inserted] = table->try_emplace(newRow, s);
  if (!inserted) {
    it->second = combineSolutions(kivra::Union, it->second, s);
    delete newRow;
  }
}

TupleSet* AdmissibleSemiNormalizedArgumentationAlgorithm::evaluatePermutationNode(const ExtendedHypertree* node) {
  ArgumentationProblem* af = argumentationProblem;
  kivra::Timer timer;
  TupleSet* child;
  if (node->getType() == kivra::Leaf) {
    timer.start();
    child = new TupleSet();
    addRow(new AdmissibleArgumentationTuple(), createLeafSolution(VertexSet()), child);
  } else {
    child = evaluateNode(node->firstChild());
    timer.start();  // the child's own evaluation is not counted
  }
  const VertexSet introduced(node->getIntroducedVertices());
  const VertexSet removed(node->getRemovedVertices());

  // Removal: an undefeated attacker that leaves the bag can never be defeated.
  TupleSet* intermediate = new TupleSet();
  // Rows are taken out of the child table before they are projected.
  while (!child->empty()) {
    auto taken = child->extract(child->begin());
    auto* t = static_cast<AdmissibleArgumentationTuple*>(taken.key());
    if (intersects(t->attackingArguments, removed)) {
      delete t;
      continue;
    }
    eraseAll(t->inArguments, removed);
    eraseAll(t->outArguments, removed);
    eraseAll(t->defeatedArguments, removed);
    addRow(t, taken.mapped(), intermediate);
  }
  delete child;

  // Introduction: extend each row by every compatible conflict-free subset.
  TupleSet* table = new TupleSet();
  const std::vector<VertexSet> subsets = ArgumentationUtil::conflictFreeSets(&introduced, af);
  for (auto& entry : *intermediate) {
    const AdmissibleArgumentationTuple* t = row(entry);
    for (const VertexSet& joining : subsets) {
      bool compatible = true;
      for (Vertex x : joining) {
        if (af->argumentIsAttackedBySet(t->inArguments, x) || af->argumentAttacksSet(t->inArguments, x)) {
          compatible = false;
          break;
        }
      }
      if (!compatible) continue;

      auto* extended = new AdmissibleArgumentationTuple();
      extended->inArguments = t->inArguments;
      extended->inArguments.insert(joining.begin(), joining.end());
      extended->defeatedArguments = t->defeatedArguments;
      const VertexSet& in = extended->inArguments;
      for (Vertex y : t->attackingArguments)
        (af->argumentIsAttackedBySet(in, y) ? extended->defeatedArguments : extended->attackingArguments).insert(y);
      VertexSet unsettled;
      std::set_difference(introduced.begin(), introduced.end(), in.begin(), in.end(),
                          std::inserter(unsettled, unsettled.end()));
      unsettled.insert(t->outArguments.begin(), t->outArguments.end());
      for (Vertex u : unsettled) {
        if (af->argumentIsAttackedBySet(in, u))
          extended->defeatedArguments.insert(u);
        else if (af->argumentAttacksSet(in, u))
          extended->attackingArguments.insert(u);
        else
          extended->outArguments.insert(u);
      }
      // Adding nothing leaves every member as it is, so the empty subset
      // keeps the row's own solution.
      Solution* s = joining.empty() ? entry.second : addToSolution(entry.second, joining);
      addRow(extended, s, table);
    }
    delete t;
  }
  delete intermediate;
  permutationNodeTime += timer.stop().first;
  return table;
}

TupleSet* AdmissibleSemiNormalizedArgumentationAlgorithm::evaluateBranchNode(const ExtendedHypertree* node) {
  TupleSet* left = evaluateNode(node->firstChild());
  TupleSet* right = evaluateNode(node->secondChild());
  kivra::Timer timer;
  timer.start();
  TupleSet* table = new TupleSet();
  const VertexSet& bag = node->getVertices();

  // Both tables list rows by in-set first; join the runs of equal in-sets.
  using Row = AdmissibleArgumentationTuple;
  ArgumentationUtil::joinRunsByInSet<Row>(left, right, [&](const Row& lt, Solution* ls, const Row& qt, Solution* qs) {
    Row* joined = ArgumentationUtil::joinAdmissibleRows(lt, qt, bag);
    addRow(joined, combineSolutions(kivra::CrossJoin, ls, qs), table);
  });
  branchNodeTime += timer.stop().first;
  return table;
}

Solution* AdmissibleSemiNormalizedArgumentationAlgorithm::selectSolution(TupleSet* table,
                                                                         const ExtendedHypertree*) {
  Solution* result = createEmptySolution();
  for (auto& entry : *table)
    if (row(entry)->attackingArguments.empty())
      result = combineSolutions(kivra::Union, result, entry.second);
  return result;
}
