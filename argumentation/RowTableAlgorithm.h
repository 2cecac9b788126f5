// The base of the admissible, stable and complete algorithms: what their
// rules share between the framework and their own row classes.
#pragma once

#include <cstddef>

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
// - Rows enter a node's table one at a time through the framework's
//   addToTupleSet with Union (addRow): a row equal to one already there
//   takes its place with the union of both solutions, and the row it
//   displaces is deleted.
// - A row's solution holds every in-argument put in so far, also those
//   already out of the bag: a leaf pairs each row with the leaf solution of
//   its in-set, an argument that joins the in-set at an introduction is
//   added to the solution there, a removal carries solutions over as they
//   are, and a branch cross-joins the solutions of the rows it pairs.
// - The branch rule joins its children's tables run by run with the join
//   traits Join (joinChildren); the root selection unites the solutions of
//   the accepted root rows onto the empty solution (selectRows).
//
// Row provides forEachSet (its sets, for the moves between bags); Join is
// its traits for joinRunsByLattice.
template <class Row, class Join, class Base>
class RowTableAlgorithm : public Base {
 public:
  using Base::Base;

 protected:
  // Adds (row, solution) to table; rows that become equal merge.
  void addRow(Row* row, kivra::Solution* solution, kivra::TupleSet* table) {
    delete this->addToTupleSet(row, solution, table, kivra::Union);
  }

  // The removal of the arguments `removal` lets go from the rows of `child`,
  // which it consumes: a row for which blocked(row, removal.removed) holds (a
  // leaving argument whose label can no longer be settled) is deleted; every
  // other row moves into the smaller bag and is added to `table` with its
  // solution unchanged.
  template <class Blocked>
  void projectRows(kivra::TupleSet* child, const BagProjection& removal, Blocked blocked, kivra::TupleSet* table) {
    ArgumentationUtil::takeEach(child, [&](kivra::Tuple* tuple, kivra::Solution* solution) {
      auto* row = static_cast<Row*>(tuple);
      if (blocked(*row, removal.removed)) {
        delete row;
        return;
      }
      row->forEachSet([&](BagSet& set) { set = removal.apply(set); });
      addRow(row, solution, table);
    });
  }

  // An introduction node's bag, made the rules' bagWork, and the argument
  // it introduces: the argument itself, the bag's width, the argument's
  // position, the positions it attacks and those attacking it, and whether
  // it attacks itself.
  struct Introduction {
    kivra::Vertex argument;
    std::size_t width;
    std::size_t position;
    const BagSet& targets;
    const BagSet& attackers;
    bool selfAttack;
  };
  Introduction introduce(const kivra::ExtendedHypertree* node, ArgumentationProblem* problem) {
    const BagAttacks& bag = bagWork.assign(node->getVertices(), problem);
    const kivra::Vertex a = node->getDifference();
    const std::size_t p = bag.position(a);
    return {a, bag.size(), p, bag.attacksOf(p), bag.attackersOf(p), bag.attacks(p, p)};
  }

  // The removal rule's work: the child's table, projected (projectRows)
  // into a new table, which is the caller's.
  template <class Blocked>
  kivra::TupleSet* removeFromChild(const kivra::ExtendedHypertree* node, Blocked blocked) {
    kivra::TupleSet* child = this->evaluateNode(node->firstChild());
    auto* table = new kivra::TupleSet();
    projectRows(child, projectionWork.assign(node->getVertices(), node->getRemovedVertices()), blocked, table);
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
        left, right, Join(node->getVertices().size()),
        [&](kivra::Solution* a, kivra::Solution* b) { return this->combineSolutions(kivra::Union, a, b); },
        [&](kivra::Solution* a, kivra::Solution* b) { return this->combineSolutions(kivra::CrossJoin, a, b); },
        [&](Row* row, kivra::Solution* solution) { addRow(row, solution, table); });
    return table;
  }

  // The root selection: the Union, onto the empty solution and in table
  // order, of the solutions of the root rows that accepted(row) admits. The
  // table stays the caller's.
  template <class Accepted>
  kivra::Solution* selectRows(kivra::TupleSet* table, Accepted accepted) {
    kivra::Solution* result = this->createEmptySolution();
    for (const auto& [tuple, solution] : *table)
      if (accepted(*static_cast<const Row*>(tuple))) result = this->combineSolutions(kivra::Union, result, solution);
    return result;
  }

  // Storage the rules reuse from node to node: the bag's attacks and the
  // move of rows out of a child's bag.
  BagAttacks bagWork;
  BagProjection projectionWork;
};
