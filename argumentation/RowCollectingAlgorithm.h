// The base of the admissible, stable and complete algorithms: what their
// rules share between the framework and their own row classes.
#pragma once

#include <utility>
#include <vector>

#include "ArgumentationUtil.h"
#include "BagSet.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/Global.h"

// What the admissible, stable and complete algorithms share in building a
// table, between their framework base `Base` and their own rules: a rule
// collects its rows (addRow) and flushRows adds them to its table in one
// sorted pass, an equal row deleted and its solution united with the first
// one's. In-arguments join a row's solution when they leave the bag and at
// the root, so the rules add them through withArguments and withRootMembers.
template <class Row, class Base>
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

  // Scratch for the arguments that leave a row's bag.
  std::vector<kivra::Vertex> leaving;

 private:
  std::vector<std::pair<Row*, kivra::Solution*>> produced;
};
