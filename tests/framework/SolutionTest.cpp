// Lazy solutions, their contents and factories, and table insertion.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"
#include "kivra/support.h"

namespace {

using kivra::ConsistencySolutionContent;
using kivra::CountingSolutionContent;
using kivra::EnumerationSolutionContent;
using kivra::Solution;
using kivra::SolutionContent;
using kivra::TupleSet;
using kivra::VertexSet;

// Gives tests the solution and table operations of the algorithm base.
class Builder : public kivra::AbstractHTDAlgorithm {
 public:
  Builder() : kivra::AbstractHTDAlgorithm(nullptr) {}
  using kivra::AbstractHTDAlgorithm::addToSolution;
  using kivra::AbstractHTDAlgorithm::addToTupleSet;
  using kivra::AbstractHTDAlgorithm::combineSolutions;
  using kivra::AbstractHTDAlgorithm::createEmptySolution;
  using kivra::AbstractHTDAlgorithm::createLeafSolution;

  // Runs `select` as the root selection of a run with the given factory.
  Solution* runWith(kivra::Instantiator* inst, std::function<Solution*()> select) {
    selector = std::move(select);
    kivra::ExtendedHypertree tree{VertexSet()};
    return evaluate(&tree, inst);
  }

 protected:
  TupleSet* evaluateNode(const kivra::ExtendedHypertree*) override { return nullptr; }
  Solution* selectSolution(TupleSet*, const kivra::ExtendedHypertree*) override { return selector(); }

 private:
  std::function<Solution*()> selector;
};

class Row : public kivra::Tuple {
 public:
  explicit Row(int key) : key(key) {}
  bool operator<(const kivra::Tuple& o) const override { return key < static_cast<const Row&>(o).key; }
  bool operator==(const kivra::Tuple& o) const override { return key == static_cast<const Row&>(o).key; }
  int hash() const override { return -1; }
  int key;
};

// Enumeration factory that logs every content it makes.
class Recorder : public kivra::Instantiator {
 public:
  SolutionContent* createEmptySolution() const override {
    log.push_back("empty");
    return new EnumerationSolutionContent();
  }
  SolutionContent* createLeafSolution(const VertexSet& s) const override {
    std::string entry = "leaf";
    for (auto v : s) entry += " " + std::to_string(v);
    log.push_back(entry);
    return new EnumerationSolutionContent(s);
  }
  mutable std::vector<std::string> log;
};

std::set<VertexSet> sets(SolutionContent* c) { return static_cast<EnumerationSolutionContent*>(c)->enumerations; }
mpz_class count(SolutionContent* c) { return static_cast<CountingSolutionContent*>(c)->count; }

TEST(Contents, EachDomainFollowsTheSetOperations) {
  kivra::GenericInstantiator<CountingSolutionContent> counting;
  SolutionContent* leaf = counting.createLeafSolution({});
  SolutionContent* empty = counting.createEmptySolution();
  EXPECT_EQ(count(leaf), 1);
  EXPECT_EQ(count(counting.createLeafSolution({4, 9})), 1);
  EXPECT_EQ(count(leaf->calculateCrossJoin(leaf)), 1);
  EXPECT_EQ(count(leaf->calculateUnion(leaf)->calculateAdd({7})), 2);
  EXPECT_EQ(count(empty->calculateUnion(empty)), 0);
  SolutionContent* big = leaf->calculateUnion(leaf);
  for (int i = 0; i < 7; ++i) big = big->calculateCrossJoin(big);
  EXPECT_EQ(count(big), mpz_class(1) << 128) << "no overflow";

  EnumerationSolutionContent one({1}), two({2}), three({3}), none, emptySet(VertexSet{});
  EXPECT_EQ(sets(one.calculateUnion(&one)), (std::set<VertexSet>{{1}}));
  SolutionContent* left = one.calculateUnion(&two);
  SolutionContent* right = two.calculateUnion(&three);
  EXPECT_EQ(sets(left->calculateCrossJoin(right)), (std::set<VertexSet>{{1, 2}, {1, 3}, {2}, {2, 3}}));
  EXPECT_EQ(sets(emptySet.calculateUnion(&one)->calculateAdd({3})), (std::set<VertexSet>{{1, 3}, {3}}));
  EXPECT_EQ(sets(none.calculateUnion(&emptySet)), (std::set<VertexSet>{{}}));
  EXPECT_TRUE(sets(none.calculateCrossJoin(&one)).empty());
  EXPECT_EQ(sets(left), (std::set<VertexSet>{{1}, {2}})) << "operands are unchanged";

  ConsistencySolutionContent exists(VertexSet{5}), nothing;
  auto flag = [](SolutionContent* c) { return static_cast<ConsistencySolutionContent*>(c)->consistent; };
  EXPECT_FALSE(flag(exists.calculateCrossJoin(&nothing)));
  EXPECT_TRUE(flag(exists.calculateUnion(&nothing)->calculateAdd({1})));
}

TEST(Solutions, EvaluationIsMemoisedAndLeftFirst) {
  Builder b;
  Solution* shared = b.createLeafSolution({2});
  Solution* left = b.combineSolutions(kivra::Union, b.createLeafSolution({1}), shared);
  Solution* right = b.combineSolutions(kivra::CrossJoin, shared, b.addToSolution(b.createEmptySolution(), 9));
  Solution* root = b.combineSolutions(kivra::Union, left, b.addToSolution(right, VertexSet{3, 4}));
  EXPECT_EQ(root->getOperation(), kivra::Union);

  Recorder recorder;
  SolutionContent* content = root->getContent(&recorder);
  EXPECT_EQ(recorder.log, (std::vector<std::string>{"leaf 1", "leaf 2", "empty"}))
      << "the shared leaf is made once, operands left before right";
  EXPECT_EQ(sets(content), (std::set<VertexSet>{{1}, {2}}));
  EXPECT_EQ(root->getOperation(), kivra::Value);
  EXPECT_EQ(root->getContent(nullptr), content) << "a second evaluation needs no factory";
  EXPECT_EQ(recorder.log.size(), 3u);

  // Inner contents are released once used, the definitions stay.
  EXPECT_EQ(shared->getStoredContent(), nullptr);
  EXPECT_EQ(right->getOperation(), kivra::CrossJoin);
  EXPECT_TRUE(sets(right->getContent(&recorder)).empty()) << "joined with an empty set";
  EXPECT_EQ(recorder.log, (std::vector<std::string>{"leaf 1", "leaf 2", "empty", "leaf 2", "empty"}));

  // A node evaluated before is used as it is by a later evaluation above it.
  Solution* above = b.combineSolutions(kivra::Union, right, b.createLeafSolution({}));
  above->getContent(&recorder);
  EXPECT_EQ(recorder.log.size(), 6u);
  EXPECT_NE(right->getStoredContent(), nullptr);
}

TEST(Solutions, FactorySetMakesValuesAndAddStaysLazy) {
  Builder b;
  kivra::GenericInstantiator<CountingSolutionContent> counting;
  Solution* leaf = nullptr;
  Solution* add = nullptr;
  b.runWith(&counting, [&] {
    leaf = b.createLeafSolution({1, 2});
    add = b.addToSolution(leaf, 3);
    return b.createEmptySolution();
  });
  EXPECT_EQ(leaf->getOperation(), kivra::Value);
  EXPECT_EQ(count(leaf->getContent(nullptr)), 1);
  EXPECT_EQ(add->getOperation(), kivra::Add);
  EXPECT_EQ(add->getParameter(), (VertexSet{3}));

  Solution* lazy = b.runWith(nullptr, [&] { return b.createLeafSolution({4, 6, 8}); });
  EXPECT_EQ(lazy->getOperation(), kivra::NewLeaf);
  EXPECT_EQ(lazy->getParameter(), (VertexSet{4, 6, 8}));
  EXPECT_EQ(b.createEmptySolution()->getOperation(), kivra::NewEmpty);
}

TEST(Solutions, NodesStaySmall) {
  // The whole expression graph of a run is kept; every byte counts.
  EXPECT_LE(sizeof(Solution), 32u);
}

TEST(Solutions, DeepExpressionsNeedNoDeepStack) {
  Builder b;
  const int depth = 200000;
  Solution* leftDeep = b.createLeafSolution({0});
  Solution* rightDeep = b.createLeafSolution({0});
  Solution* addChain = b.createLeafSolution({});
  for (int i = 1; i < depth; ++i) {
    leftDeep = b.combineSolutions(kivra::Union, leftDeep, b.createLeafSolution({}));
    rightDeep = b.combineSolutions(kivra::Union, b.createLeafSolution({}), rightDeep);
    addChain = b.addToSolution(addChain, static_cast<kivra::Vertex>(i % 5));
  }
  kivra::GenericInstantiator<CountingSolutionContent> counting;
  EXPECT_EQ(count(leftDeep->getContent(&counting)), depth);
  EXPECT_EQ(count(rightDeep->getContent(&counting)), depth);
  kivra::GenericInstantiator<EnumerationSolutionContent> enumerating;
  EXPECT_EQ(sets(addChain->getContent(&enumerating)), (std::set<VertexSet>{{0, 1, 2, 3, 4}}));
}

using SolutionsDeathTest = ::testing::Test;

TEST_F(SolutionsDeathTest, FailuresNameTheirSourceLine) {
  Builder b;
  kivra::InitializeErrorHandling("fw");
  EXPECT_EXIT(b.combineSolutions(kivra::Add, b.createEmptySolution(), b.createEmptySolution()),
              ::testing::ExitedWithCode(1),
              "^fw: \\./AbstractAlgorithm\\.cpp:208: ERROR - operation == CrossJoin \\|\\| operation == Union\n$");
  // Without a factory the first lazy leaf or empty solution met decides.
  Solution* emptyFirst = b.combineSolutions(kivra::Union, b.createEmptySolution(), b.createLeafSolution({}));
  Solution* leafFirst = b.combineSolutions(kivra::Union, b.createLeafSolution({}), b.createEmptySolution());
  EXPECT_EXIT(emptyFirst->getContent(nullptr), ::testing::ExitedWithCode(1), "AbstractAlgorithm\\.cpp:269: ERROR - inst\n$");
  EXPECT_EXIT(leafFirst->getContent(nullptr), ::testing::ExitedWithCode(1), "AbstractAlgorithm\\.cpp:265: ERROR - inst\n$");
}

TEST(Tables, EqualRowsMergeUnderTheNewestRow) {
  Builder b;
  TupleSet table;
  Solution* s1 = b.createLeafSolution({1});
  Solution* s2 = b.createLeafSolution({2});
  Solution* s3 = b.createLeafSolution({3});
  Row first(7), second(7), third(7), other(3);

  b.addToTupleSet(&first, s1, &table, kivra::Union);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table.begin()->second, s1) << "a new row keeps its solution";

  EXPECT_FALSE(table.insert({&second, s2}).second) << "plain insertion of an equal row is refused";
  EXPECT_EQ(table.begin()->first, &first);

  b.addToTupleSet(&second, s2, &table, kivra::Union);
  b.addToTupleSet(&third, s3, &table, kivra::Union);
  b.addToTupleSet(&other, s1, &table, kivra::Union);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table.begin()->first, &other) << "rows are ordered by value";
  auto merged = std::next(table.begin());
  EXPECT_EQ(merged->first, &third);
  Solution* top = merged->second;
  ASSERT_EQ(top->getOperation(), kivra::Union);
  EXPECT_EQ(top->getRightArgument(), s3);
  ASSERT_EQ(top->getLeftArgument()->getOperation(), kivra::Union);
  EXPECT_EQ(top->getLeftArgument()->getLeftArgument(), s1);
  EXPECT_EQ(top->getLeftArgument()->getRightArgument(), s2);
}

}  // namespace
