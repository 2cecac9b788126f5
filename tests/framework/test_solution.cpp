// Lazy solutions, their contents and factories, and table insertion.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
#include "solution_builder.h"
#include "kivra/CountingSolutionContent.h"
#include "kivra/support.h"

namespace {

using namespace kivra;
using Sets = std::vector<VertexSet>;  // in the content's order

using Builder = zelkovant_test::SolutionBuilder;

// Enumeration factory that logs every content it makes.
struct Recorder : kivra::Instantiator {
  SolutionContent* createEmptySolution() const override {
    return log.push_back("empty"), new EnumerationSolutionContent();
  }
  SolutionContent* createLeafSolution(const VertexSet& s) const override {
    return log.push_back("leaf " + std::to_string(s.empty() ? 0 : *s.begin())), new EnumerationSolutionContent(s);
  }
  mutable std::vector<std::string> log;
};

Sets sets(SolutionContent* c) { return static_cast<EnumerationSolutionContent*>(c)->getSets(); }
mpz_class count(SolutionContent* c) { return static_cast<CountingSolutionContent*>(c)->count; }

TEST(Contents, EachDomainFollowsTheSetOperations) {
  kivra::GenericInstantiator<CountingSolutionContent> counting;
  SolutionContent* leaf = counting.createLeafSolution({4, 9});
  SolutionContent* big = leaf->calculateUnion(leaf)->calculateAdd({7});
  EXPECT_EQ(count(big), 2);
  EXPECT_EQ(count(counting.createEmptySolution()->calculateCrossJoin(leaf)), 0);
  for (int i = 0; i < 7; ++i) big = big->calculateCrossJoin(big);
  EXPECT_EQ(count(big), mpz_class(1) << 128) << "no overflow";

  EnumerationSolutionContent one({1}), two({2}), three({3}), none, emptySet(VertexSet{});
  SolutionContent* left = one.calculateUnion(&two);
  EXPECT_EQ(sets(left->calculateCrossJoin(two.calculateUnion(&three))), (Sets{{1, 2}, {1, 3}, {2}, {2, 3}}));
  EXPECT_EQ(sets(emptySet.calculateUnion(&one)->calculateAdd({3})), (Sets{{1, 3}, {3}}));
  EXPECT_TRUE(sets(none.calculateCrossJoin(&one)).empty());
  EXPECT_EQ(sets(left), (Sets{{1}, {2}})) << "operands are unchanged";

  kivra::ConsistencySolutionContent exists(VertexSet{5}), nothing;
  EXPECT_FALSE(static_cast<kivra::ConsistencySolutionContent*>(exists.calculateCrossJoin(&nothing))->consistent);
  EXPECT_TRUE(static_cast<kivra::ConsistencySolutionContent*>(exists.calculateUnion(&nothing))->consistent);
}

// Enumeration contents against a plain set of sets, on random contents over
// few ids so that prefixes, repeated unions and ids held by some, all or no
// sets are common. The sets and their order must match exactly.
TEST(Contents, EnumerationMatchesASetOfSetsInContentAndOrder) {
  using Model = std::set<VertexSet>;
  std::mt19937 random(1207);
  const auto randomSet = [&](unsigned universe, const VertexSet& core) {
    VertexSet s = core;
    for (Vertex v = 1; v <= universe; ++v)
      if (random() % 3 == 0) s.insert(v);
    return s;
  };
  // A content built as the union of leaves, with its model. Every set holds
  // `core`; ids above a random bound are in no set.
  const auto randomContent = [&](Model& model, const VertexSet& core) {
    const unsigned universe = 1 + random() % 9, sets = random() % 12;
    std::unique_ptr<SolutionContent> content(new EnumerationSolutionContent());
    model.clear();
    for (unsigned i = 0; i < sets; ++i) {
      VertexSet s = randomSet(universe, core);
      model.insert(s);
      EnumerationSolutionContent leaf(s);
      content.reset(content->calculateUnion(&leaf));
    }
    return content;
  };
  const auto expect = [](SolutionContent* content, const Model& model) {
    std::unique_ptr<SolutionContent> owned(content);
    EXPECT_EQ(sets(content), Sets(model.begin(), model.end()));
  };
  for (int round = 0; round < 1500; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const VertexSet core = random() % 3 ? VertexSet{} : randomSet(4, {});
    Model left, right;
    auto a = randomContent(left, core);
    auto b = randomContent(right, random() % 2 ? core : VertexSet{});
    EXPECT_EQ(sets(a.get()), Sets(left.begin(), left.end()));

    Model united = left, third;
    united.insert(right.begin(), right.end());
    expect(a->calculateUnion(b.get()), united);
    auto c = randomContent(third, core);
    united.insert(third.begin(), third.end());
    expect(a->calculateUnionAll({b.get(), c.get(), a.get()}), united);

    Model joined;
    for (const VertexSet& l : left)
      for (VertexSet r : right) joined.insert((r.insert(l.begin(), l.end()), r));
    expect(a->calculateCrossJoin(b.get()), joined);
    expect(b->calculateCrossJoin(a.get()), joined);

    const VertexSet added = randomSet(12, random() % 2 ? core : VertexSet{});
    Model extended;
    for (VertexSet l : left) extended.insert((l.insert(added.begin(), added.end()), l));
    expect(a->calculateAdd(added), extended);

    // The in-place forms on a copy that nothing else reads: additions are
    // recorded and inserted when the sets are next read, by an accessor or
    // by an operation with another content.
    Model model = left;
    SolutionContent* owned = a->calculateAdd({});
    for (int step = 0; step < 4; ++step) {
      const VertexSet more = randomSet(12, {});
      const std::vector<Vertex> ids(more.begin(), more.end());
      ASSERT_EQ(owned->addInto(ids), owned);
      Model next;
      for (VertexSet l : model) next.insert((l.insert(more.begin(), more.end()), l));
      model = next;
    }
    const VertexSet only = randomSet(12, {});
    EnumerationSolutionContent one(only);
    for (auto* other : {b.get(), static_cast<SolutionContent*>(&one)}) {
      const Model theirs = other == b.get() ? right : Model{only};
      SolutionContent* next = owned->crossJoinInto(other);
      if (next != owned) delete owned;
      owned = next;
      Model joinedModel;
      for (const VertexSet& l : model)
        for (VertexSet r : theirs) joinedModel.insert((r.insert(l.begin(), l.end()), r));
      model = joinedModel;
      EXPECT_EQ(sets(owned), Sets(model.begin(), model.end()));
      const Vertex x = static_cast<Vertex>(1 + random() % 12);
      ASSERT_EQ(owned->addInto(std::vector<Vertex>{x}), owned);
      Model grown;
      for (VertexSet l : model) grown.insert((l.insert(x), l));
      model = grown;
      ASSERT_EQ(owned->unionInto(c.get()), owned);
      model.insert(third.begin(), third.end());
      EXPECT_EQ(sets(owned), Sets(model.begin(), model.end()));
    }
    delete owned;
  }
}

TEST(Solutions, EvaluationIsMemoisedLeftFirstAndReleasesInnerContents) {
  Builder b;
  Solution* shared = b.createLeafSolution({2});
  Solution* left = b.combineSolutions(kivra::Union, b.createLeafSolution({1}), shared);
  Solution* right = b.combineSolutions(kivra::CrossJoin, shared, b.addToSolution(b.createEmptySolution(), 9));
  Solution* root = b.combineSolutions(kivra::Union, left, b.addToSolution(right, VertexSet{3, 4}));
  Recorder recorder;
  SolutionContent* content = root->getContent(&recorder);
  EXPECT_EQ(recorder.log, (std::vector<std::string>{"leaf 1", "leaf 2", "empty"}))
      << "the shared leaf is made once, operands left before right";
  EXPECT_EQ(sets(content), (Sets{{1}, {2}}));
  EXPECT_EQ(root->getContent(nullptr), content) << "a second evaluation needs no factory";
  // Inner contents are released once used, the definitions stay.
  EXPECT_EQ(shared->getStoredContent(), nullptr);
  EXPECT_TRUE(sets(right->getContent(&recorder)).empty());
  EXPECT_EQ(recorder.log.size(), 5u);
  // A node evaluated before is used as it is by a later evaluation above it.
  b.combineSolutions(kivra::Union, right, b.createLeafSolution({}))->getContent(&recorder);
  EXPECT_EQ(recorder.log.size(), 6u);
  // The whole expression graph of a run is kept; every byte counts.
  EXPECT_LE(sizeof(Solution), 32u);
}

// A chain of unions is united at once; a union with a second parent inside
// the chain is still computed once, and leaves are made left first.
TEST(Solutions, UnionChainsKeepTheOrderAndSharedUnions) {
  Builder b;
  Solution* pair = b.combineSolutions(kivra::Union, b.createLeafSolution({3}), b.createLeafSolution({1}));
  Solution* chain = b.combineSolutions(kivra::Union, b.createLeafSolution({5}), pair);
  chain = b.combineSolutions(kivra::Union, b.combineSolutions(kivra::Union, chain, b.createLeafSolution({2})),
                             b.createEmptySolution());
  Solution* root = b.combineSolutions(kivra::CrossJoin, chain, b.addToSolution(pair, 7));
  Recorder recorder;
  EXPECT_EQ(sets(root->getContent(&recorder)), (Sets{{1, 2, 7}, {1, 3, 7}, {1, 5, 7}, {1, 7}, {2, 3, 7}, {3, 5, 7}, {3, 7}}));
  EXPECT_EQ(recorder.log, (std::vector<std::string>{"leaf 5", "leaf 3", "leaf 1", "leaf 2", "empty"}));
  EXPECT_EQ(sets(chain->getContent(&recorder)), (Sets{{1}, {2}, {3}, {5}})) << "inner nodes keep their definitions";

  // Counts are united one by one, each operand released once used.
  Solution* leaf = b.createLeafSolution({});
  Solution* counted = b.combineSolutions(kivra::Union, leaf, b.createLeafSolution({}));
  for (int i = 0; i < 3; ++i) counted = b.combineSolutions(kivra::Union, counted, b.addToSolution(leaf, 1));
  kivra::GenericInstantiator<CountingSolutionContent> counting;
  EXPECT_EQ(count(b.combineSolutions(kivra::CrossJoin, counted, counted)->getContent(&counting)), 25);
  EXPECT_EQ(leaf->getStoredContent(), nullptr);
}

// A count that nothing reads afterwards takes its parent's result in place;
// a content with another parent still to come, or one evaluated by an
// earlier call, must stay as it is.
TEST(Solutions, CountsTakenOverInPlaceLeaveSharedContentsIntact) {
  Builder b;
  kivra::GenericInstantiator<CountingSolutionContent> counting;
  const auto sum = [&](int n) {
    Solution* s = b.createLeafSolution({});
    for (int i = 1; i < n; ++i) s = b.combineSolutions(kivra::Union, s, b.createLeafSolution({}));
    return s;
  };
  Solution* two = sum(2);
  Solution* six = b.combineSolutions(kivra::CrossJoin, two, sum(3));
  Solution* three = b.combineSolutions(kivra::Union, two, b.createLeafSolution({}));
  Solution* four = b.combineSolutions(kivra::CrossJoin, b.addToSolution(two, 1), b.addToSolution(two, 2));
  Solution* root = b.combineSolutions(kivra::Union, b.combineSolutions(kivra::Union, six, three), four);
  EXPECT_EQ(count(root->getContent(&counting)), 13);

  Solution* kept = sum(2);
  EXPECT_EQ(count(kept->getContent(&counting)), 2);
  EXPECT_EQ(count(b.combineSolutions(kivra::CrossJoin, kept, sum(3))->getContent(&counting)), 6);
  EXPECT_EQ(count(b.combineSolutions(kivra::CrossJoin, sum(5), kept)->getContent(&counting)), 10);
  EXPECT_EQ(count(b.combineSolutions(kivra::Union, kept, sum(4))->getContent(&counting)), 6);
  EXPECT_EQ(count(b.addToSolution(kept, 3)->getContent(&counting)), 2);
  EXPECT_EQ(count(kept->getContent(&counting)), 2) << "an evaluated content is never taken over";
}

// Random expressions with much sharing, counted (in even rounds) or
// enumerated (in odd ones) against the sets kept while building them.
// Contents that equal an operand's (an Add of a count, a cross join with a
// count of 1 or with the empty set alone) are shared rather than copied, and
// a shared content taken over in place would change another node's; later
// evaluations also meet nodes evaluated before.
TEST(Solutions, SharedContentsStayRightInRandomExpressions) {
  using Model = std::set<VertexSet>;
  std::mt19937 random(4242);
  kivra::GenericInstantiator<CountingSolutionContent> counting;
  kivra::GenericInstantiator<EnumerationSolutionContent> enumerating;
  {
    // A join with one set is not a join with the empty set alone; both
    // operands have other parents, so neither is taken over.
    Builder b;
    Solution* pair = b.combineSolutions(kivra::Union, b.createLeafSolution({1}), b.createLeafSolution({2}));
    Solution *three = b.createLeafSolution({3}), *none = b.createLeafSolution({});
    Solution* joined = b.combineSolutions(kivra::CrossJoin, pair, three);
    Solution* same = b.combineSolutions(kivra::CrossJoin, none, pair);
    Solution* rest = b.combineSolutions(kivra::Union, b.combineSolutions(kivra::Union, pair, three), none);
    Solution* root = b.combineSolutions(kivra::Union, b.combineSolutions(kivra::Union, joined, same), rest);
    EXPECT_EQ(sets(root->getContent(&enumerating)), (Sets{{}, {1}, {1, 3}, {2}, {2, 3}, {3}}));
  }
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    Builder b;
    std::vector<Solution*> nodes;
    std::vector<Model> models;
    std::vector<mpz_class> counts;  // with repetitions, unlike the sets
    const auto pick = [&] {
      // Mostly recent nodes, so that chains grow long.
      const std::size_t n = nodes.size();
      return random() % 3 ? n - 1 - random() % std::min<std::size_t>(n, 4) : random() % n;
    };
    for (int i = 0; i < 40; ++i) {
      const unsigned kind = nodes.size() < 2 ? random() % 2 : random() % 7;
      if (kind == 0) {
        const VertexSet leaf = random() % 2 ? VertexSet{} : VertexSet{static_cast<Vertex>(random() % 6)};
        nodes.push_back(b.createLeafSolution(leaf)), models.push_back({leaf}), counts.push_back(1);
      } else if (kind == 1) {
        nodes.push_back(b.createEmptySolution()), models.push_back({}), counts.push_back(0);
      } else if (kind <= 3) {
        const std::size_t a = pick();
        const Vertex v = static_cast<Vertex>(random() % 6);
        Model added;
        for (VertexSet set : models[a]) added.insert((set.insert(v), set));
        nodes.push_back(b.addToSolution(nodes[a], v)), models.push_back(added), counts.push_back(counts[a]);
      } else {
        const std::size_t l = pick(), r = pick();
        const bool join = kind <= 5;
        nodes.push_back(b.combineSolutions(join ? kivra::CrossJoin : kivra::Union, nodes[l], nodes[r]));
        Model combined = join ? Model{} : models[l];
        for (const VertexSet& x : models[r]) {
          if (!join) combined.insert(x);
          if (join)
            for (VertexSet y : models[l]) combined.insert((y.insert(x.begin(), x.end()), y));
        }
        models.push_back(combined);
        counts.push_back(join ? mpz_class(counts[l] * counts[r]) : mpz_class(counts[l] + counts[r]));
      }
    }
    for (int evaluation = 0; evaluation < 4; ++evaluation) {
      const std::size_t root = evaluation == 0 ? nodes.size() - 1 : random() % nodes.size();
      if (round % 2 == 0)
        EXPECT_EQ(count(nodes[root]->getContent(&counting)), counts[root]) << "node " << root;
      else
        EXPECT_EQ(sets(nodes[root]->getContent(&enumerating)), Sets(models[root].begin(), models[root].end()))
            << "node " << root;
    }
  }
}

TEST(Solutions, DeepExpressionsNeedNoDeepStack) {
  Builder b;
  const int depth = 200000;
  Solution *leftDeep = b.createLeafSolution({0}), *rightDeep = b.createLeafSolution({0});
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
  EXPECT_EQ(sets(addChain->getContent(&enumerating)), (Sets{{0, 1, 2, 3, 4}}));
}

TEST(SolutionsDeathTest, FailuresNameTheirSourceLine) {
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

struct Row : kivra::Tuple {
  explicit Row(int key) : key(key) {}
  bool operator<(const kivra::Tuple& o) const override { return key < static_cast<const Row&>(o).key; }
  bool operator==(const kivra::Tuple& o) const override { return key == static_cast<const Row&>(o).key; }
  int hash() const override { return -1; }
  int key;
};

// An equal row takes the key's place; the solutions are united, older left.
TEST(Tables, EqualRowsMergeUnderTheNewestRow) {
  Builder b;
  TupleSet table;
  Solution *s1 = b.createLeafSolution({1}), *s2 = b.createLeafSolution({2}), *s3 = b.createLeafSolution({3});
  Row first(7), second(7), third(7), other(3);
  b.addToTupleSet(&first, s1, &table, kivra::Union);
  EXPECT_EQ(table.begin()->second, s1) << "a new row keeps its solution";
  for (auto [row, s] : {std::pair{&second, s2}, {&third, s3}, {&other, s1}}) b.addToTupleSet(row, s, &table, kivra::Union);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(std::next(table.begin())->first, &third);
  Solution* top = std::next(table.begin())->second;
  ASSERT_EQ(top->getOperation(), kivra::Union);
  EXPECT_EQ(top->getRightArgument(), s3);
  EXPECT_EQ(top->getLeftArgument()->getLeftArgument(), s1);
  EXPECT_EQ(top->getLeftArgument()->getRightArgument(), s2);
}

}  // namespace
