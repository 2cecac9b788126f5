// One solving run through the library as the program runs it: problem,
// decomposition with a given seed, algorithm, and one content factory that
// evaluates the solution (enumeration, counting or acceptance). Shared by the
// in-process differential tests and the fuzz target.
#pragma once

#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "AdmissibleNormalizedArgumentation.h"
#include "AdmissibleSemiNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "ArgumentationSolution.h"
#include "CompleteNormalizedArgumentation.h"
#include "PreferredNormalizedArgumentation.h"
#include "StableNormalizedArgumentation.h"
#include "brute_force.h"
#include "kivra/CountingSolutionContent.h"

namespace zelkovant_test {

enum class Algorithm { Admissible, SemiAdmissible, Stable, Complete, Preferred };

// One solving run on a fresh problem; its solution is evaluated once, by one of the modes.
class SolvingRun {
 public:
  SolvingRun(const std::string& text, Algorithm which, unsigned seed) : input(text), problem(&input, true) {
    switch (which) {
      case Algorithm::Admissible: algorithm.reset(new AdmissibleNormalizedArgumentationAlgorithm(&problem)); break;
      case Algorithm::SemiAdmissible: algorithm.reset(new AdmissibleSemiNormalizedArgumentationAlgorithm(&problem)); break;
      case Algorithm::Stable: algorithm.reset(new StableNormalizedArgumentationAlgorithm(&problem)); break;
      case Algorithm::Complete: algorithm.reset(new CompleteNormalizedArgumentationAlgorithm(&problem)); break;
      case Algorithm::Preferred: algorithm.reset(new PreferredNormalizedArgumentationAlgorithm(&problem)); break;
    }
    std::srand(seed);
    solution = problem.calculateSolution(algorithm.get());
  }

  // The enumeration exactly as the program prints it (printedEnumeration's
  // form): every set the content holds, in the content's own order.
  std::string enumerate() {
    kivra::GenericInstantiator<kivra::EnumerationSolutionContent> inst;
    kivra::SolutionContent* content = solution->getContent(&inst);
    std::ostringstream printed;
    std::streambuf* standardOutput = std::cout.rdbuf(printed.rdbuf());
    const bool dataLine = dOpt;
    const int bound = enum_nbr;
    dOpt = false;
    enum_nbr = 0;
    printSolution(content, ENUMERATION, &problem);
    dOpt = dataLine;
    enum_nbr = bound;
    std::cout.rdbuf(standardOutput);
    return printed.str();
  }
  // The id the problem gave an argument (0: none).
  unsigned id(const std::string& name) { return problem.getVertexId(name); }
  std::string count() {
    kivra::GenericInstantiator<kivra::CountingSolutionContent> inst;
    return static_cast<kivra::CountingSolutionContent*>(solution->getContent(&inst))->count.get_str();
  }
  template <class Content>
  bool accepts(const std::string& name) {
    ArgumentationInstantiator<Content> inst(name.c_str(), &problem);
    return static_cast<Content*>(solution->getContent(&inst))->accepted;
  }

 private:
  std::istringstream input;
  ArgumentationProblem problem;
  std::unique_ptr<kivra::AbstractHTDAlgorithm> algorithm;
  kivra::Solution* solution = nullptr;
};

}  // namespace zelkovant_test
