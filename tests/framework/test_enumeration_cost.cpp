// What building a long extension costs the enumeration content: the ids it
// sorts or copies (EnumerationSolutionContent::handledIds), per id of the
// extension, whatever the shape of the expression that builds it.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
#include "solution_builder.h"

namespace {

using namespace kivra;

using Builder = zelkovant_test::SolutionBuilder;

constexpr Vertex kLength = 20000;

VertexSet upTo(Vertex last) {
  VertexSet all;
  for (Vertex v = 0; v <= last; ++v) all.insert(all.end(), v);
  return all;
}

// Expressions that build the one set {0, ..., last}: every shape in which a
// run's rows may grow an extension, the root folding it onto the empty
// solution. Neighbouring operands of a join overlap in an id, as the rows of
// a branch share the bag's arguments.
struct Shape {
  std::string name;
  std::function<Solution*(Builder&, Vertex& last)> build;
};

std::vector<Shape> shapes() {
  const auto leaf = [](Builder& b, Vertex v) { return b.createLeafSolution({v, v + 1}); };
  return {
      {"a chain of additions",
       [](Builder& b, Vertex& last) {
         Solution* s = b.createLeafSolution({0});
         for (last = 1; last < kLength; ++last) s = b.addToSolution(s, last);
         --last;
         return s;
       }},
      {"joins nested on the right",
       [=](Builder& b, Vertex& last) {
         Solution* s = b.createLeafSolution({kLength});
         for (Vertex v = kLength; v-- > 0;) s = b.combineSolutions(CrossJoin, leaf(b, v), s);
         last = kLength;
         return s;
       }},
      {"joins nested on the left",
       [=](Builder& b, Vertex& last) {
         Solution* s = b.createLeafSolution({0});
         for (Vertex v = 0; v < kLength; ++v) s = b.combineSolutions(CrossJoin, s, leaf(b, v));
         last = kLength;
         return s;
       }},
      {"additions and joins interleaved",
       [=](Builder& b, Vertex& last) {
         Solution* s = b.createLeafSolution({0});
         for (last = 0; last + 2 < kLength;) {
           s = b.addToSolution(s, ++last);
           s = last % 3 ? b.combineSolutions(CrossJoin, leaf(b, last), s) : b.combineSolutions(CrossJoin, s, leaf(b, last));
           ++last;
         }
         return s;
       }},
      {"each level read by two additions that a join brings together",
       [](Builder& b, Vertex& last) {
         // The unfolded expression doubles with each level.
         Solution* s = b.createLeafSolution({0});
         for (last = 0; last + 2 < kLength; last += 2)
           s = b.combineSolutions(CrossJoin, b.addToSolution(s, last + 1), b.addToSolution(s, last + 2));
         return s;
       }},
      {"balanced joins",
       [=](Builder& b, Vertex& last) {
         std::function<Solution*(Vertex, Vertex)> range = [&](Vertex from, Vertex to) {
           if (to - from < 2) return leaf(b, from);
           const Vertex middle = from + (to - from) / 2;
           return b.combineSolutions(CrossJoin, range(from, middle), range(middle, to));
         };
         last = kLength;
         return range(0, kLength);
       }},
  };
}

TEST(EnumerationCost, ALongExtensionCostsAFewIdsPerIdWhateverItsShape) {
  GenericInstantiator<EnumerationSolutionContent> enumerating;
  for (const Shape& shape : shapes()) {
    SCOPED_TRACE(shape.name);
    Builder b;
    Vertex last = 0;
    Solution* root = b.combineSolutions(Union, b.createEmptySolution(), shape.build(b, last));
    const std::uint64_t before = EnumerationSolutionContent::handledIds();
    auto* content = static_cast<EnumerationSolutionContent*>(root->getContent(&enumerating));
    ASSERT_EQ(content->size(), 1u);
    EXPECT_EQ(content->getSets().front(), upTo(last));
    // Gathered, sorted once and read: a quadratic build handles thousands.
    EXPECT_LE(EnumerationSolutionContent::handledIds() - before, 6u * last);
  }
}

// The same through the operations that leave their operands as they are,
// every intermediate content kept: each must still read its own set, and
// releasing a long history must not need a deep stack.
TEST(EnumerationCost, SharedOperandsKeepTheirSetsAndCostNothingUntilRead) {
  const std::uint64_t before = EnumerationSolutionContent::handledIds();
  std::vector<std::unique_ptr<SolutionContent>> kept;
  kept.emplace_back(new EnumerationSolutionContent(VertexSet{0}));
  Vertex last = 0;
  while (last + 2 < 5 * kLength) {
    SolutionContent* previous = kept.back().get();
    EnumerationSolutionContent single(VertexSet{last + 1, last + 2});
    kept.emplace_back(++last % 2 ? previous->calculateAdd({last}) : previous->calculateCrossJoin(&single));
    if (last % 7 == 0) kept.emplace_back(single.calculateCrossJoin(kept.back().get()));
  }
  EXPECT_EQ(EnumerationSolutionContent::handledIds(), before) << "nothing read yet";
  auto* longest = static_cast<EnumerationSolutionContent*>(kept.back().get());
  const VertexSet expected = upTo(longest->getSets().front().size() - 1);
  EXPECT_EQ(longest->getSets().front(), expected);
  EXPECT_LE(EnumerationSolutionContent::handledIds() - before, 6u * expected.size());
  EXPECT_EQ(static_cast<EnumerationSolutionContent*>(kept[0].get())->getSets(), std::vector<VertexSet>{{0}});
  EXPECT_EQ(static_cast<EnumerationSolutionContent*>(kept[1].get())->getSets().front(), upTo(1));
  kept.clear();
}

}  // namespace
