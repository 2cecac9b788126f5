// The base of the admissible, stable and complete algorithms: what their
// rules share between the framework and their own row classes.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "ArgumentationUtil.h"
#include "BagAttacks.h"
#include "BagSet.h"
#include "BranchJoin.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/Global.h"

// What the admissible, stable and complete algorithms share, between their
// framework base `Base` and their own rules over rows of class Row:
//
// - A rule collects its rows (addRow) and flushRows adds them to its table
//   in one sorted pass (ArgumentationUtil::fillTable), equal rows merged.
// - A row's solution leaves out the row's in-arguments while they are in the
//   bag: they join it when they leave the bag (at a removal, projectRows)
//   and at the root (selectRows). Rows that merge at a removal, and the
//   partners of a branch join, then share one Add per leaving member instead
//   of one per row made at its introduction.
// - The branch rule joins its children's tables run by run with the join
//   traits Join (joinChildren); the root selection unites the solutions of
//   the accepted root rows (selectRows).
//
// Row provides precedes (its order) and forEachSet (its sets, for the moves
// between bags); Join is its traits for joinRunsByLattice.
template <class Row, class Join, class Base>
class RowCollectingAlgorithm : public Base {
 public:
  using Base::Base;

 protected:
  void addRow(Row* row, kivra::Solution* solution) { produced.emplace_back(row, solution); }
  void flushRows(kivra::TupleSet* table) {
    ArgumentationUtil::fillTable(produced, table, [&](kivra::Solution* a, kivra::Solution* b) {
      return this->combineSolutions(kivra::Union, a, b);
    });
  }
  // s with the given arguments added to every candidate set; s itself when
  // there are none.
  kivra::Solution* withArguments(kivra::Solution* s, const std::vector<kivra::Vertex>& arguments) {
    if (arguments.empty()) return s;
    if (arguments.size() == 1) return this->addToSolution(s, arguments.front());
    return this->addToSolution(s, kivra::VertexSet(arguments.begin(), arguments.end()));
  }
  // The root row's solution with its in-arguments added.
  kivra::Solution* withRootMembers(kivra::Solution* s, const BagSet& in, const kivra::ExtendedHypertree* root) {
    leaving.clear();
    in.forEach([&](std::size_t p) { leaving.push_back(root->getVertices()[p]); });
    return withArguments(s, leaving);
  }

  // The removal of the arguments `removal` lets go from the rows of `child`,
  // which it consumes: a row for which blocked(row, removal.removed) holds (a
  // leaving argument whose label can no longer be settled) is deleted; every other row moves
  // into the smaller bag, its leaving in-arguments join its solution, and it
  // is collected (addRow) for the caller's flushRows.
  template <class Blocked>
  void projectRows(kivra::TupleSet* child, const BagProjection& removal, Blocked blocked) {
    ArgumentationUtil::takeEach(child, [&](kivra::Tuple* tuple, kivra::Solution* solution) {
      auto* row = static_cast<Row*>(tuple);
      if (blocked(*row, removal.removed)) {
        delete row;
        return;
      }
      removal.leavingIn(row->inArguments, leaving);
      kivra::Solution* s = withArguments(solution, leaving);
      row->forEachSet([&](BagSet& set) { set = removal.apply(set); });
      addRow(row, s);
    });
  }

  // An introduction node's bag, made the rules' bagWork, and the argument
  // it introduces: the bag's width, the argument's position, the positions
  // it attacks and those attacking it, and whether it attacks itself.
  struct Introduction {
    std::size_t width;
    std::size_t position;
    const BagSet& targets;
    const BagSet& attackers;
    bool selfAttack;
  };
  Introduction introduce(const kivra::ExtendedHypertree* node, ArgumentationProblem* problem) {
    const BagAttacks& bag = bagWork.assign(node->getVertices(), problem);
    const std::size_t p = bag.position(node->getDifference());
    return {bag.size(), p, bag.attacksOf(p), bag.attackersOf(p), bag.attacks(p, p)};
  }

  // The removal rule's work: the child's table, projected (projectRows)
  // into a new table, which is the caller's.
  template <class Blocked>
  kivra::TupleSet* removeFromChild(const kivra::ExtendedHypertree* node, Blocked blocked) {
    kivra::TupleSet* child = this->evaluateNode(node->firstChild());
    auto* table = new kivra::TupleSet();
    projectRows(child, projectionWork.assign(node->getVertices(), node->getRemovedVertices()), blocked);
    flushRows(table);
    return table;
  }

  // The branch rule's work: the tables of the first child, then of the
  // second, joined run by run; both are consumed. The new table is the
  // caller's.
  kivra::TupleSet* joinChildren(const kivra::ExtendedHypertree* node) {
    kivra::TupleSet* left = this->evaluateNode(node->firstChild());
    kivra::TupleSet* right = this->evaluateNode(node->secondChild());
    auto* table = new kivra::TupleSet();
    joinRunsByLattice(
        left, right, table, Join(node->getVertices().size()),
        [&](kivra::Solution* a, kivra::Solution* b) { return this->combineSolutions(kivra::Union, a, b); },
        [&](kivra::Solution* a, kivra::Solution* b) { return this->combineSolutions(kivra::CrossJoin, a, b); });
    return table;
  }

  // The root selection: the Union, onto the empty solution and in table
  // order, of the solutions of the root rows that accepted(row) admits, each
  // with the row's in-arguments added. The table stays the caller's.
  template <class Accepted>
  kivra::Solution* selectRows(kivra::TupleSet* table, const kivra::ExtendedHypertree* root, Accepted accepted) {
    kivra::Solution* result = this->createEmptySolution();
    for (const auto& [tuple, solution] : *table) {
      const Row& row = *static_cast<const Row*>(tuple);
      if (accepted(row))
        result = this->combineSolutions(kivra::Union, result, withRootMembers(solution, row.inArguments, root));
    }
    return result;
  }

  // Storage the rules reuse from node to node: the bag's attacks, the move
  // of rows out of a child's bag, and the arguments that leave a row's bag.
  BagAttacks bagWork;
  BagProjection projectionWork;
  std::vector<kivra::Vertex> leaving;

 private:
  std::vector<std::pair<Row*, kivra::Solution*>> produced;
};
