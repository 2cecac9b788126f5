// Deleting a solution node releases what the node owns, its content and its
// vertex set, and nothing of its operands: they may be operands of other
// expressions still in use.
#include <gtest/gtest.h>

#include "kivra/AbstractAlgorithm.h"
#include "solution_builder.h"

namespace {

using namespace kivra;

using Builder = zelkovant_test::SolutionBuilder;

// A count whose live instances are counted.
struct Counted : SolutionContent {
  explicit Counted(int n) : n(n) { ++live; }
  ~Counted() override { --live; }
  SolutionContent* calculateUnion(SolutionContent* o) override { return new Counted(n + static_cast<Counted*>(o)->n); }
  SolutionContent* calculateCrossJoin(SolutionContent* o) override {
    return new Counted(n * static_cast<Counted*>(o)->n);
  }
  SolutionContent* calculateAdd(const VertexSet&) override { return new Counted(n); }
  int n;
  static inline int live = 0;
};

struct Counting : Instantiator {
  SolutionContent* createEmptySolution() const override { return new Counted(0); }
  SolutionContent* createLeafSolution(const VertexSet&) const override { return new Counted(1); }
};

int valueOf(Solution* s, const Counting& inst) { return static_cast<Counted*>(s->getContent(&inst))->n; }

}  // namespace

TEST(SolutionRelease, DeletingANodeLeavesItsSharedOperands) {
  Builder b;
  Counting inst;
  Solution* shared = b.createLeafSolution({1, 2});
  Solution* pair = b.combineSolutions(Union, b.createLeafSolution({3}), b.createLeafSolution({4}));
  Solution* kept = b.combineSolutions(CrossJoin, shared, b.addToSolution(pair, VertexSet{5, 6}));
  // Both operands of each deleted node are shared with `kept`, one of them twice.
  Solution* evaluated = b.combineSolutions(Union, shared, b.addToSolution(shared, VertexSet{7, 8}));
  Solution* lazy = b.combineSolutions(CrossJoin, pair, shared);
  ASSERT_EQ(valueOf(evaluated, inst), 2);
  const int before = Counted::live;
  delete evaluated;
  EXPECT_EQ(Counted::live, before - 1) << "its own content, nothing more";
  delete lazy;
  EXPECT_EQ(Counted::live, before - 1);
  EXPECT_EQ(valueOf(kept, inst), 2);
}
