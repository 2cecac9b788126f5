// The semantics' algorithms by name, for benchmarks that run the solving road.
#pragma once

#include "AdmissibleNormalizedArgumentation.h"
#include "AdmissibleSemiNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "CompleteNormalizedArgumentation.h"
#include "PreferredNormalizedArgumentation.h"
#include "StableNormalizedArgumentation.h"

namespace zelkovant_bench {

enum Semantics { Admissible, AdmissibleSemi, Stable, Complete, Preferred };

// A new algorithm object of the given semantics on `problem`; the caller owns it.
inline kivra::AbstractHTDAlgorithm* makeAlgorithm(Semantics semantics, ArgumentationProblem* problem) {
  switch (semantics) {
    case Admissible: return new AdmissibleNormalizedArgumentationAlgorithm(problem);
    case AdmissibleSemi: return new AdmissibleSemiNormalizedArgumentationAlgorithm(problem);
    case Stable: return new StableNormalizedArgumentationAlgorithm(problem);
    case Complete: return new CompleteNormalizedArgumentationAlgorithm(problem);
    case Preferred: return new PreferredNormalizedArgumentationAlgorithm(problem);
  }
  return nullptr;
}

}  // namespace zelkovant_bench
