// Gives tests the solution and table operations of the algorithm base.
#pragma once

#include "kivra/AbstractAlgorithm.h"

namespace zelkovant_test {

struct SolutionBuilder : kivra::AbstractHTDAlgorithm {
  SolutionBuilder() : kivra::AbstractHTDAlgorithm(nullptr) {}
  using kivra::AbstractHTDAlgorithm::addToSolution;
  using kivra::AbstractHTDAlgorithm::addToTupleSet;
  using kivra::AbstractHTDAlgorithm::combineSolutions;
  using kivra::AbstractHTDAlgorithm::createEmptySolution;
  using kivra::AbstractHTDAlgorithm::createLeafSolution;
  kivra::TupleSet* evaluateNode(const kivra::ExtendedHypertree*) override { return nullptr; }
  kivra::Solution* selectSolution(kivra::TupleSet*, const kivra::ExtendedHypertree*) override { return nullptr; }
};

}  // namespace zelkovant_test
