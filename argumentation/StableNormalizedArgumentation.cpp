#include "StableNormalizedArgumentation.h"

#include <algorithm>
#include <iterator>

#include "ArgumentationUtil.h"

using kivra::ExtendedHypertree;
using kivra::Solution;
using kivra::TupleSet;
using kivra::VertexSet;

namespace {

StableArgumentationTuple* row(const TupleSet::value_type& entry) {
  return static_cast<StableArgumentationTuple*>(entry.first);
}

bool intersects(const VertexSet& a, const VertexSet& b) {
  const VertexSet& small = a.size() <= b.size() ? a : b;
  const VertexSet& large = a.size() <= b.size() ? b : a;
  for (kivra::Vertex v : small)
    if (large.count(v)) return true;
  return false;
}

void eraseAll(VertexSet& from, const VertexSet& what) {
  for (kivra::Vertex v : what) from.erase(v);
}

}  // namespace

StableNormalizedArgumentationAlgorithm::StableNormalizedArgumentationAlgorithm(kivra::Problem* problem)
    : kivra::AbstractNormalizedHTDAlgorithm(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

void StableNormalizedArgumentationAlgorithm::addRow(StableArgumentationTuple* newRow, Solution* s,
                                                    TupleSet* table) {
  auto [it, inserted] = table->try_emplace(newRow, s);
  if (!inserted) {
    it->second = combineSolutions(kivra::Union, it->second, s);
    delete newRow;
  }
}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateLeafNode(const ExtendedHypertree* node) {
  TupleSet* table = new TupleSet();  // owned by the caller
  const VertexSet bag(node->getVertices());
  for (const VertexSet& in : ArgumentationUtil::conflictFreeSets(&bag, argumentationProblem)) {
    auto* r = new StableArgumentationTuple();
    r->inArguments = in;
    VertexSet outside;
    std::set_difference(bag.begin(), bag.end(), in.begin(), in.end(),
                        std::inserter(outside, outside.end()));
    r->attackedArguments = ArgumentationUtil::attackedWithin(in, outside, argumentationProblem);
    std::set_difference(outside.begin(), outside.end(), r->attackedArguments.begin(),
                        r->attackedArguments.end(),
                        std::inserter(r->unattackedArguments, r->unattackedArguments.end()));
    // Rows of one leaf differ in their in-sets, so nothing merges here.
    table->emplace(r, createLeafSolution(r->inArguments));
  }
  return table;
}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateIntroductionNode(const ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  TupleSet* table = new TupleSet();
  const kivra::Vertex a = node->getDifference();
  ArgumentationProblem* af = argumentationProblem;
  const VertexSet* targetsOfA = af->getAttacksFromArg(a);  // null when a attacks nothing
  auto aAttacks = [targetsOfA](kivra::Vertex v) { return targetsOfA && targetsOfA->count(v) > 0; };
  const bool selfAttack = aAttacks(a);

  // Each child row is taken out of the child table before it is reused as
  // the row with a outside, so no table key is ever changed.
  while (!child->empty()) {
    auto taken = child->extract(child->begin());
    auto* t = static_cast<StableArgumentationTuple*>(taken.key());
    Solution* s = taken.mapped();
    if (af->argumentIsAttackedBySet(t->inArguments, a)) {
      t->attackedArguments.insert(a);
    } else {
      // a may join when it attacks neither itself nor a member of the in-set.
      if (!selfAttack && !af->argumentAttacksSet(t->inArguments, a)) {
        auto* inRow = new StableArgumentationTuple();
        inRow->inArguments = t->inArguments;
        inRow->inArguments.insert(a);
        inRow->attackedArguments = t->attackedArguments;
        for (kivra::Vertex r : t->unattackedArguments) {
          if (aAttacks(r))
            inRow->attackedArguments.insert(r);
          else
            inRow->unattackedArguments.insert(r);
        }
        addRow(inRow, addToSolution(s, a), table);
      }
      t->unattackedArguments.insert(a);
    }
    addRow(t, s, table);
  }
  delete child;
  return table;
}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateRemovalNode(const ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  TupleSet* table = new TupleSet();
  const VertexSet removed(node->getRemovedVertices());

  // Rows are taken out of the child table before they are projected.
  while (!child->empty()) {
    auto taken = child->extract(child->begin());
    auto* t = static_cast<StableArgumentationTuple*>(taken.key());
    // An argument leaving the bag unattacked can never be attacked later.
    if (intersects(t->unattackedArguments, removed)) {
      delete t;
      continue;
    }
    eraseAll(t->inArguments, removed);
    eraseAll(t->attackedArguments, removed);
    addRow(t, taken.mapped(), table);
  }
  delete child;
  return table;
}

TupleSet* StableNormalizedArgumentationAlgorithm::evaluateBranchNode(const ExtendedHypertree* node) {
  TupleSet* left = evaluateNode(node->firstChild());
  TupleSet* right = evaluateNode(node->secondChild());
  TupleSet* table = new TupleSet();

  // Both tables list rows by in-set first; join the runs of equal in-sets.
  using Row = StableArgumentationTuple;
  ArgumentationUtil::joinRunsByInSet<Row>(left, right, [&](const Row& lt, Solution* ls, const Row& qt, Solution* qs) {
    auto* joined = new Row();
    joined->inArguments = lt.inArguments;
    std::set_intersection(lt.unattackedArguments.begin(), lt.unattackedArguments.end(),
                          qt.unattackedArguments.begin(), qt.unattackedArguments.end(),
                          std::inserter(joined->unattackedArguments, joined->unattackedArguments.end()));
    std::set_union(lt.attackedArguments.begin(), lt.attackedArguments.end(), qt.attackedArguments.begin(),
                   qt.attackedArguments.end(),
                   std::inserter(joined->attackedArguments, joined->attackedArguments.end()));
    addRow(joined, combineSolutions(kivra::CrossJoin, ls, qs), table);
  });
  return table;
}

Solution* StableNormalizedArgumentationAlgorithm::selectSolution(TupleSet* table, const ExtendedHypertree*) {
  Solution* result = createEmptySolution();
  for (auto& entry : *table)
    if (row(entry)->unattackedArguments.empty())
      result = combineSolutions(kivra::Union, result, entry.second);
  return result;
}
