// The number of solutions, as an arbitrary-precision integer.
#pragma once

#include <gmpxx.h>

#include "kivra/AbstractAlgorithm.h"

namespace kivra {

class CountingSolutionContent : public SolutionContent {
 public:
  // The empty solution set: 0.
  CountingSolutionContent();
  // A single solution: 1 (the set itself is not needed).
  explicit CountingSolutionContent(const VertexSet& vertices);
  ~CountingSolutionContent() override;

  SolutionContent* calculateUnion(SolutionContent* other) override;
  SolutionContent* calculateCrossJoin(SolutionContent* other) override;
  SolutionContent* calculateAdd(const VertexSet& vertices) override;

  // Counts grow to many thousands of digits on long frameworks: a count that
  // nothing reads afterwards takes the result in place, with no new number.
  SolutionContent* unionInto(SolutionContent* other) override;
  SolutionContent* crossJoinInto(SolutionContent* other) override;
  bool ignoresAddedVertices() const override { return true; }
  bool crossJoinCommutes() const override { return true; }
  bool unionCommutes() const override { return true; }
  bool isCrossJoinIdentity() const override;

  mpz_class count;
};

}  // namespace kivra
