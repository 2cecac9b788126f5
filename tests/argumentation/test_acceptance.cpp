// Credulous and skeptical acceptance contents and their factory.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ArgumentationSolution.h"
#include "kivra/Problem.h"

namespace {

class NamesProblem : public kivra::Problem {
 public:
  NamesProblem() : kivra::Problem(false) {}
  void parse() override {}
  void preprocess() override {}
  kivra::Hypergraph* buildHypergraphRepresentation() override { return nullptr; }
  kivra::Vertex add(const std::string& name) { return storeVertexName(name); }
};

// Problem with the names x (id 1) .. e (id 5); the queried argument is e.
class AcceptanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* n : {"x", "b", "c", "d", "e"}) problem.add(n);
  }

  template <class T>
  static bool accepted(kivra::SolutionContent* c) {
    std::unique_ptr<kivra::SolutionContent> owned(c);
    return static_cast<T*>(c)->accepted;
  }

  NamesProblem problem;
  char name[2] = "e";
};

TEST_F(AcceptanceTest, LeafAndEmptyContents) {
  ArgumentationInstantiator<CredulousSolutionContent> cred(name, &problem);
  ArgumentationInstantiator<SkepticalSolutionContent> skept(name, &problem);

  std::unique_ptr<kivra::SolutionContent> leaf(cred.createLeafSolution({2, 5}));
  auto* c = static_cast<CredulousSolutionContent*>(leaf.get());
  EXPECT_TRUE(c->accepted);
  EXPECT_EQ(c->vertexId, 5u);
  EXPECT_EQ(c->problem, &problem);

  EXPECT_FALSE(accepted<CredulousSolutionContent>(cred.createLeafSolution({2, 4})));
  EXPECT_FALSE(accepted<CredulousSolutionContent>(cred.createEmptySolution()));
  EXPECT_TRUE(accepted<SkepticalSolutionContent>(skept.createLeafSolution({5})));
  EXPECT_FALSE(accepted<SkepticalSolutionContent>(skept.createLeafSolution({})));
  EXPECT_TRUE(accepted<SkepticalSolutionContent>(skept.createEmptySolution()));
}

// Each combination, checked against the set meaning: credulous = in some
// member, skeptical = in every member.
TEST_F(AcceptanceTest, OperationsFollowTheSetMeaning) {
  ArgumentationInstantiator<CredulousSolutionContent> cred(name, &problem);
  ArgumentationInstantiator<SkepticalSolutionContent> skept(name, &problem);
  std::unique_ptr<kivra::SolutionContent> cWith(cred.createLeafSolution({5})), cWithout(cred.createLeafSolution({1}));
  std::unique_ptr<kivra::SolutionContent> sWith(skept.createLeafSolution({5})), sWithout(skept.createLeafSolution({1}));

  // {{5}} ∪ {{1}}: in some member, not in every member.
  EXPECT_TRUE(accepted<CredulousSolutionContent>(cWith->calculateUnion(cWithout.get())));
  EXPECT_FALSE(accepted<SkepticalSolutionContent>(sWith->calculateUnion(sWithout.get())));
  EXPECT_FALSE(accepted<CredulousSolutionContent>(cWithout->calculateUnion(cWithout.get())));
  EXPECT_TRUE(accepted<SkepticalSolutionContent>(sWith->calculateUnion(sWith.get())));
  // {{5}} × {{1}} = {{1,5}}.
  EXPECT_TRUE(accepted<CredulousSolutionContent>(cWithout->calculateCrossJoin(cWith.get())));
  EXPECT_TRUE(accepted<SkepticalSolutionContent>(sWithout->calculateCrossJoin(sWith.get())));
  EXPECT_FALSE(accepted<SkepticalSolutionContent>(sWithout->calculateCrossJoin(sWithout.get())));
  // {{1}} + {5} = {{1,5}}; + {2} leaves e out.
  EXPECT_TRUE(accepted<CredulousSolutionContent>(cWithout->calculateAdd({5})));
  EXPECT_TRUE(accepted<SkepticalSolutionContent>(sWithout->calculateAdd({5})));
  EXPECT_FALSE(accepted<CredulousSolutionContent>(cWithout->calculateAdd({2})));
  EXPECT_FALSE(accepted<SkepticalSolutionContent>(sWithout->calculateAdd({2})));

  // Operands are unchanged; results keep the id and problem.
  EXPECT_FALSE(static_cast<CredulousSolutionContent*>(cWithout.get())->accepted);
  std::unique_ptr<kivra::SolutionContent> r(sWith->calculateUnion(sWithout.get()));
  EXPECT_EQ(static_cast<SkepticalSolutionContent*>(r.get())->vertexId, 5u);
  EXPECT_EQ(static_cast<SkepticalSolutionContent*>(r.get())->problem, &problem);
}

// The empty solution set joined with anything, or extended, stays empty:
// nothing is credulously accepted in it and everything skeptically.
TEST_F(AcceptanceTest, EmptySolutionSetStaysEmptyThroughJoinAndAdd) {
  ArgumentationInstantiator<CredulousSolutionContent> cred(name, &problem);
  ArgumentationInstantiator<SkepticalSolutionContent> skept(name, &problem);
  std::unique_ptr<kivra::SolutionContent> cEmpty(cred.createEmptySolution()), cWith(cred.createLeafSolution({5}));
  std::unique_ptr<kivra::SolutionContent> sEmpty(skept.createEmptySolution()), sWithout(skept.createLeafSolution({1}));

  EXPECT_FALSE(accepted<CredulousSolutionContent>(cEmpty->calculateCrossJoin(cWith.get())));
  EXPECT_FALSE(accepted<CredulousSolutionContent>(cWith->calculateCrossJoin(cEmpty.get())));
  EXPECT_FALSE(accepted<CredulousSolutionContent>(cEmpty->calculateAdd({5})));
  // ... and an empty join or extension stays empty under a further union.
  std::unique_ptr<kivra::SolutionContent> joined(cWith->calculateCrossJoin(cEmpty.get()));
  EXPECT_FALSE(accepted<CredulousSolutionContent>(joined->calculateUnion(cEmpty.get())));
  std::unique_ptr<kivra::SolutionContent> added(cEmpty->calculateAdd({5}));
  EXPECT_TRUE(accepted<CredulousSolutionContent>(added->calculateUnion(cWith.get())));
  EXPECT_TRUE(accepted<CredulousSolutionContent>(cEmpty->calculateUnion(cWith.get())));

  EXPECT_TRUE(accepted<SkepticalSolutionContent>(sEmpty->calculateCrossJoin(sWithout.get())));
  EXPECT_TRUE(accepted<SkepticalSolutionContent>(sWithout->calculateCrossJoin(sEmpty.get())));
  EXPECT_TRUE(accepted<SkepticalSolutionContent>(sEmpty->calculateAdd({1})));
  EXPECT_FALSE(accepted<SkepticalSolutionContent>(sEmpty->calculateUnion(sWithout.get())));
}

TEST_F(AcceptanceTest, UnknownArgumentEndsTheRun) {
  char upper[] = "E";
  ArgumentationInstantiator<CredulousSolutionContent> cred(upper, &problem);
  ArgumentationInstantiator<SkepticalSolutionContent> skept(upper, &problem);
  EXPECT_EXIT(delete cred.createEmptySolution(), ::testing::ExitedWithCode(1),
              "^Argument 'E' does not appear in the argumentation framework.\n$");
  EXPECT_EXIT(delete skept.createLeafSolution({1}), ::testing::ExitedWithCode(1),
              "^Argument 'E' does not appear in the argumentation framework.\n$");
  char aux[] = "__aux";
  ArgumentationInstantiator<CredulousSolutionContent> auxiliary(aux, &problem);
  EXPECT_EXIT(delete auxiliary.createEmptySolution(), ::testing::ExitedWithCode(1), "Argument '__aux'");
}

}  // namespace
