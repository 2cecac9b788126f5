#include "CompleteNormalizedArgumentation.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "ArgumentationUtil.h"
#include "kivra/support.h"

using kivra::ExtendedHypertree;
using kivra::Solution;
using kivra::TupleSet;
using kivra::Vertex;
using kivra::VertexSet;

double CompleteNormalizedArgumentationAlgorithm::permutationNodeTime = 0;
double CompleteNormalizedArgumentationAlgorithm::branchNodeTime = 0;

namespace {

CompleteArgumentationTuple* row(const TupleSet::value_type& entry) {
  return static_cast<CompleteArgumentationTuple*>(entry.first);
}

// The attacks of one argument x, answered from its adjacency.
class AttacksOf {
 public:
  AttacksOf(ArgumentationProblem* problem, Vertex x) : targets(problem->getAttacksFromArg(x)) {}
  bool operator()(Vertex v) const { return targets && targets->count(v) > 0; }

 private:
  const VertexSet* targets;
};

}  // namespace

CompleteNormalizedArgumentationAlgorithm::CompleteNormalizedArgumentationAlgorithm(kivra::Problem* problem)
    : kivra::AbstractNormalizedHTDAlgorithm(problem),
      argumentationProblem(static_cast<ArgumentationProblem*>(problem)) {}

void CompleteNormalizedArgumentationAlgorithm::addRow(CompleteArgumentationTuple* newRow, Solution* s,
                                                      TupleSet* table) {
  auto [it, inserted] = table->try_emplace(newRow, s);
  if (!inserted) {
    it->second = combineSolutions(kivra::Union, it->second, s);
    delete newRow;
  }
}

TupleSet* CompleteNormalizedArgumentationAlgorithm::recCols(VertexSet in, VertexSet defProved,
                                                            VertexSet defPending, VertexSet outProved,
                                                            VertexSet outPending, VertexSet remaining,
                                                            ArgumentationProblem* problem) {
  CompleteArgumentationTuple current;
  current.inArguments = std::move(in);
  current.defProvedArguments = std::move(defProved);
  current.defPendingArguments = std::move(defPending);
  current.outProvedArguments = std::move(outProved);
  current.outPendingArguments = std::move(outPending);
  const std::vector<Vertex> order(remaining.begin(), remaining.end());
  TupleSet* table = new TupleSet();  // owned by the caller
  labelRemaining(current, order, 0, problem, table);
  return table;
}

void CompleteNormalizedArgumentationAlgorithm::labelRemaining(CompleteArgumentationTuple& cur,
                                                              const std::vector<Vertex>& remaining,
                                                              std::size_t next, ArgumentationProblem* problem,
                                                              TupleSet* table) {
  if (next == remaining.size()) {
    // Different labellings of the same arguments never coincide.
    auto* finished = new CompleteArgumentationTuple(cur);
    table->emplace(finished, createLeafSolution(finished->inArguments));
    return;
  }
  const Vertex x = remaining[next];

  // def: always possible; proved at once when the in-set attacks x.
  const bool attackedByIn = problem->argumentIsAttackedBySet(cur.inArguments, x);
  VertexSet& defSet = attackedByIn ? cur.defProvedArguments : cur.defPendingArguments;
  defSet.insert(x);
  labelRemaining(cur, remaining, next + 1, problem, table);
  defSet.erase(x);

  // out and in both require that x and the in-set leave each other alone.
  if (attackedByIn || problem->argumentAttacksSet(cur.inArguments, x)) return;

  // out: x proves every pending out argument it attacks.
  const AttacksOf xAttacks(problem, x);
  std::vector<Vertex> proved;
  for (Vertex u : cur.outPendingArguments)
    if (xAttacks(u)) proved.push_back(u);
  const bool attackedByOut = problem->argumentIsAttackedBySet(cur.outProvedArguments, x) ||
                             problem->argumentIsAttackedBySet(cur.outPendingArguments, x) || xAttacks(x);
  const bool attacksOut = problem->argumentAttacksSet(cur.outProvedArguments, x) ||
                          problem->argumentAttacksSet(cur.outPendingArguments, x);
  for (Vertex u : proved) {
    cur.outPendingArguments.erase(u);
    cur.outProvedArguments.insert(u);
  }
  VertexSet& outSet = attackedByOut ? cur.outProvedArguments : cur.outPendingArguments;
  outSet.insert(x);
  labelRemaining(cur, remaining, next + 1, problem, table);
  outSet.erase(x);
  for (Vertex u : proved) {
    cur.outProvedArguments.erase(u);
    cur.outPendingArguments.insert(u);
  }

  // in: x must not be in conflict with itself or with any out argument.
  if (attackedByOut || attacksOut) return;
  std::vector<Vertex> defeated;
  for (Vertex d : cur.defPendingArguments)
    if (xAttacks(d)) defeated.push_back(d);
  for (Vertex d : defeated) {
    cur.defPendingArguments.erase(d);
    cur.defProvedArguments.insert(d);
  }
  cur.inArguments.insert(x);
  labelRemaining(cur, remaining, next + 1, problem, table);
  cur.inArguments.erase(x);
  for (Vertex d : defeated) {
    cur.defProvedArguments.erase(d);
    cur.defPendingArguments.insert(d);
  }
}

TupleSet* CompleteNormalizedArgumentationAlgorithm::evaluateLeafNode(const ExtendedHypertree* node) {
  kivra::Timer timer;
  timer.start();
  TupleSet* table = recCols(VertexSet(), VertexSet(), VertexSet(), VertexSet(), VertexSet(),
                            VertexSet(node->getVertices()), argumentationProblem);
  permutationNodeTime += timer.stop().first;
  return table;
}

TupleSet* CompleteNormalizedArgumentationAlgorithm::evaluateIntroductionNode(const ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  kivra::Timer timer;
  timer.start();
  TupleSet* table = new TupleSet();
  const Vertex x = node->getDifference();
  ArgumentationProblem* af = argumentationProblem;
  const AttacksOf xAttacks(af, x);
  const bool selfAttack = xAttacks(x);

  // Each child row is taken out of the child table before it is reused as
  // the def row, so no table key is ever changed.
  while (!child->empty()) {
    auto taken = child->extract(child->begin());
    auto* t = static_cast<CompleteArgumentationTuple*>(taken.key());
    Solution* s = taken.mapped();

    const bool attackedByIn = af->argumentIsAttackedBySet(t->inArguments, x);
    CompleteArgumentationTuple* outRow = nullptr;
    CompleteArgumentationTuple* inRow = nullptr;
    if (!attackedByIn && !af->argumentAttacksSet(t->inArguments, x)) {
      const bool attackedByOut = af->argumentIsAttackedBySet(t->outProvedArguments, x) ||
                                 af->argumentIsAttackedBySet(t->outPendingArguments, x);
      outRow = new CompleteArgumentationTuple(*t);
      outRow->outPendingArguments.clear();
      for (Vertex u : t->outPendingArguments)
        (xAttacks(u) ? outRow->outProvedArguments : outRow->outPendingArguments).insert(u);
      (attackedByOut || selfAttack ? outRow->outProvedArguments : outRow->outPendingArguments).insert(x);

      const bool attacksOut = af->argumentAttacksSet(t->outProvedArguments, x) ||
                              af->argumentAttacksSet(t->outPendingArguments, x);
      if (!selfAttack && !attackedByOut && !attacksOut) {
        inRow = new CompleteArgumentationTuple(*t);
        inRow->inArguments.insert(x);
        inRow->defPendingArguments.clear();
        for (Vertex d : t->defPendingArguments)
          (xAttacks(d) ? inRow->defProvedArguments : inRow->defPendingArguments).insert(d);
      }
    }
    // The child row itself becomes the def row.
    (attackedByIn ? t->defProvedArguments : t->defPendingArguments).insert(x);
    addRow(t, s, table);
    if (outRow) addRow(outRow, s, table);
    if (inRow) addRow(inRow, addToSolution(s, x), table);
  }
  delete child;
  permutationNodeTime += timer.stop().first;
  return table;
}

TupleSet* CompleteNormalizedArgumentationAlgorithm::evaluateRemovalNode(const ExtendedHypertree* node) {
  TupleSet* child = evaluateNode(node->firstChild());
  kivra::Timer timer;
  timer.start();
  TupleSet* table = new TupleSet();
  const Vertex x = node->getDifference();

  // Rows are taken out of the child table before x is erased from them, so
  // no table key is ever changed.
  while (!child->empty()) {
    auto taken = child->extract(child->begin());
    auto* t = static_cast<CompleteArgumentationTuple*>(taken.key());
    // A pending argument that leaves the bag can never be settled.
    if (t->defPendingArguments.count(x) || t->outPendingArguments.count(x)) {
      delete t;
      continue;
    }
    t->inArguments.erase(x);
    t->defProvedArguments.erase(x);
    t->outProvedArguments.erase(x);
    addRow(t, taken.mapped(), table);
  }
  delete child;
  permutationNodeTime += timer.stop().first;
  return table;
}

TupleSet* CompleteNormalizedArgumentationAlgorithm::evaluateBranchNode(const ExtendedHypertree* node) {
  TupleSet* left = evaluateNode(node->firstChild());
  TupleSet* right = evaluateNode(node->secondChild());
  kivra::Timer timer;
  timer.start();
  TupleSet* table = new TupleSet();

  // Both tables are sorted by in-set, then def union; join the runs where both agree.
  using Row = CompleteArgumentationTuple;
  auto compareKeys = [](const Row& a, const Row& b) {
    if (auto c = a.inArguments <=> b.inArguments; c != 0) return c;
    return a.compareDefUnion(b);
  };
  // The def and out arguments of the current left row, shared by its whole
  // run. Left rows stay alive until their run is done and were all allocated
  // before the join, so their addresses identify them.
  const Row* unionsOf = nullptr;
  VertexSet defAll;
  VertexSet outAll;
  ArgumentationUtil::joinRuns<Row>(left, right, compareKeys, [&](const Row& lt, Solution* ls, const Row& qt,
                                                                  Solution* qs) {
    if (unionsOf != &lt) {
      defAll = lt.getAllDefArguments();
      outAll = lt.getAllOutArguments();
      unionsOf = &lt;
    }
    auto* joined = new Row();
    joined->inArguments = lt.inArguments;
    // Proved in either child is proved; pending only if pending in both.
    std::set_union(lt.defProvedArguments.begin(), lt.defProvedArguments.end(), qt.defProvedArguments.begin(),
                   qt.defProvedArguments.end(),
                   std::inserter(joined->defProvedArguments, joined->defProvedArguments.end()));
    std::set_difference(defAll.begin(), defAll.end(), joined->defProvedArguments.begin(),
                        joined->defProvedArguments.end(),
                        std::inserter(joined->defPendingArguments, joined->defPendingArguments.end()));
    std::set_union(lt.outProvedArguments.begin(), lt.outProvedArguments.end(), qt.outProvedArguments.begin(),
                   qt.outProvedArguments.end(),
                   std::inserter(joined->outProvedArguments, joined->outProvedArguments.end()));
    std::set_difference(outAll.begin(), outAll.end(), joined->outProvedArguments.begin(),
                        joined->outProvedArguments.end(),
                        std::inserter(joined->outPendingArguments, joined->outPendingArguments.end()));
    addRow(joined, combineSolutions(kivra::CrossJoin, ls, qs), table);
  });
  branchNodeTime += timer.stop().first;
  return table;
}

Solution* CompleteNormalizedArgumentationAlgorithm::selectSolution(TupleSet* table, const ExtendedHypertree*) {
  Solution* result = createEmptySolution();
  for (auto& entry : *table) {
    const CompleteArgumentationTuple* t = row(entry);
    if (t->defPendingArguments.empty() && t->outPendingArguments.empty())
      result = combineSolutions(kivra::Union, result, entry.second);
  }
  return result;
}
