// Credulous and skeptical acceptance contents, and the printing of the final
// solution content in every output mode, normal and -d.
#include <gtest/gtest.h>
#include <gmpxx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "ArgumentationSolution.h"
#include "kivra/CountingSolutionContent.h"
#include "kivra/Problem.h"

namespace {

using Content = std::unique_ptr<kivra::SolutionContent>;

// A problem that only holds the names x (id 1) .. e (id 5), then v6 .. v16.
class NamesProblem : public kivra::Problem {
 public:
  NamesProblem() : kivra::Problem(false) {
    for (const char* n : {"x", "b", "c", "d", "e"}) storeVertexName(n);
    for (int id = 6; id <= 16; ++id) storeVertexName("v" + std::to_string(id));
  }
  void parse() override {}
  void preprocess() override {}
  kivra::Hypergraph* buildHypergraphRepresentation() override { return nullptr; }
};

template <class T>
bool accepted(kivra::SolutionContent* c) {
  Content owned(c);
  return static_cast<T*>(c)->accepted;
}

// Each operation against the set meaning, for argument e (id 5): credulous =
// in some member, skeptical = in every member. The empty solution set stays
// empty through join and add: nothing is credulously accepted in it, and
// everything skeptically. Operands are left unchanged.
TEST(Acceptance, OperationsFollowTheSetMeaning) {
  NamesProblem problem;
  char name[] = "e";
  ArgumentationInstantiator<CredulousSolutionContent> cred(name, &problem);
  ArgumentationInstantiator<SkepticalSolutionContent> skept(name, &problem);
  using C = CredulousSolutionContent;
  using S = SkepticalSolutionContent;
  Content cWith(cred.createLeafSolution({2, 5})), cWithout(cred.createLeafSolution({1})), cEmpty(cred.createEmptySolution());
  Content sWith(skept.createLeafSolution({5})), sWithout(skept.createLeafSolution({1})), sEmpty(skept.createEmptySolution());
  EXPECT_TRUE(accepted<C>(cred.createLeafSolution({5})));
  EXPECT_FALSE(accepted<C>(cred.createEmptySolution()));
  EXPECT_FALSE(accepted<S>(skept.createLeafSolution({})));
  EXPECT_TRUE(accepted<S>(skept.createEmptySolution()));

  EXPECT_TRUE(accepted<C>(cWith->calculateUnion(cWithout.get())));
  EXPECT_FALSE(accepted<S>(sWith->calculateUnion(sWithout.get())));
  EXPECT_TRUE(accepted<C>(cWithout->calculateCrossJoin(cWith.get())));
  EXPECT_TRUE(accepted<S>(sWithout->calculateCrossJoin(sWith.get())));
  EXPECT_FALSE(accepted<S>(sWithout->calculateCrossJoin(sWithout.get())));
  EXPECT_TRUE(accepted<C>(cWithout->calculateAdd({5})));
  EXPECT_TRUE(accepted<S>(sWithout->calculateAdd({5})));
  EXPECT_FALSE(accepted<S>(sWithout->calculateAdd({2})));
  EXPECT_FALSE(static_cast<C*>(cWithout.get())->accepted);

  EXPECT_FALSE(accepted<C>(cEmpty->calculateCrossJoin(cWith.get())));
  EXPECT_FALSE(accepted<C>(cWith->calculateCrossJoin(cEmpty.get())));
  Content added(cEmpty->calculateAdd({5}));
  EXPECT_FALSE(static_cast<C*>(added.get())->accepted);
  EXPECT_TRUE(accepted<C>(added->calculateUnion(cWith.get())));
  EXPECT_TRUE(accepted<S>(sEmpty->calculateCrossJoin(sWithout.get())));
  EXPECT_TRUE(accepted<S>(sEmpty->calculateAdd({1})));
  EXPECT_FALSE(accepted<S>(sEmpty->calculateUnion(sWithout.get())));
}

TEST(AcceptanceDeathTest, UnknownArgumentEndsTheRun) {
  NamesProblem problem;
  char upper[] = "E", aux[] = "__aux";
  ArgumentationInstantiator<CredulousSolutionContent> cred(upper, &problem);
  ArgumentationInstantiator<SkepticalSolutionContent> skept(upper, &problem);
  ArgumentationInstantiator<CredulousSolutionContent> auxiliary(aux, &problem);
  EXPECT_EXIT(delete cred.createEmptySolution(), ::testing::ExitedWithCode(1),
              "^Argument 'E' does not appear in the argumentation framework.\n$");
  EXPECT_EXIT(delete skept.createLeafSolution({1}), ::testing::ExitedWithCode(1),
              "^Argument 'E' does not appear in the argumentation framework.\n$");
  EXPECT_EXIT(delete auxiliary.createEmptySolution(), ::testing::ExitedWithCode(1), "Argument '__aux'");
}

class Output : public ::testing::Test {
 protected:
  void SetUp() override { dOpt = false, enum_nbr = 0; }
  void TearDown() override { dOpt = false, enum_nbr = 0; }
  std::string print(kivra::SolutionContent* content, int mode) {
    ::testing::internal::CaptureStdout();
    printSolution(content, static_cast<OutputType>(mode), &problem);
    return ::testing::internal::GetCapturedStdout();
  }
  NamesProblem problem;
};

// The content holding exactly the given sets.
Content setsOf(std::initializer_list<kivra::VertexSet> sets) {
  Content content(new kivra::EnumerationSolutionContent());
  for (const kivra::VertexSet& s : sets) {
    kivra::EnumerationSolutionContent leaf(s);
    content.reset(content->calculateUnion(&leaf));
  }
  return content;
}

TEST_F(Output, EnumerationInSetOrderWithNamesInIdOrderAndTheBound) {
  kivra::EnumerationSolutionContent none;
  Content owned = setsOf({{5}, {}, {1, 5}, {2, 5}});
  auto& content = *static_cast<kivra::EnumerationSolutionContent*>(owned.get());
  EXPECT_EQ(print(&content, ENUMERATION), "Solutions: 4\n{{},{x,e},{b,e},{e}}\n");
  EXPECT_EQ(print(&none, ENUMERATION), "Solutions: 0\n{}\n");
  for (int bound : {5, -3}) {
    enum_nbr = bound;
    EXPECT_EQ(print(&content, ENUMERATION), "Solutions: 4\n{{},{x,e},{b,e},{e}}\n");
  }
  enum_nbr = 2;  // limits the printed sets but not the count
  EXPECT_EQ(print(&content, ENUMERATION), "Solutions: 4\n{{},{x,e}}\n");
  dOpt = true;
  EXPECT_EQ(print(&content, ENUMERATION), "{{},{x,e}};");
  enum_nbr = 0;
  EXPECT_EQ(print(&content, ENUMERATION), "{{},{x,e},{b,e},{e}};");
  EXPECT_EQ(print(&none, ENUMERATION), "{};");
}

// All 2^16 subsets of the ids 1 .. 16, about a megabyte of output: written in
// blocks, it must read exactly as the sets one after another.
TEST_F(Output, LongEnumerationsAreWrittenWhole) {
  Content all(new kivra::EnumerationSolutionContent(kivra::VertexSet{}));
  for (kivra::Vertex v = 1; v <= 16; ++v) {
    Content choice = setsOf({{}, {v}});
    all.reset(all->calculateCrossJoin(choice.get()));
  }
  auto* content = static_cast<kivra::EnumerationSolutionContent*>(all.get());
  std::string expected = "{";
  for (const kivra::VertexSet& set : content->getSets()) {
    expected += expected.size() > 1 ? ",{" : "{";
    for (kivra::Vertex v : set) expected += problem.getVertexName(v) + (v == *set.rbegin() ? "" : ",");
    expected += "}";
  }
  EXPECT_EQ(print(content, ENUMERATION), "Solutions: 65536\n" + expected + "}\n");
  enum_nbr = 40000;
  const std::string bounded = print(content, ENUMERATION);
  EXPECT_EQ(std::count(bounded.begin(), bounded.end(), '{'), 40001);
  EXPECT_EQ(bounded.substr(0, 100000), ("Solutions: 65536\n" + expected).substr(0, 100000));
  // A failed write ends the run at once.
  EXPECT_EXIT((std::freopen("/dev/full", "w", stdout), printSolution(content, ENUMERATION, &problem), std::exit(0)),
              ::testing::ExitedWithCode(1), "ERROR - could not write to standard output");
}

TEST_F(Output, CountsAnswersAndNothingForMismatchedContent) {
  kivra::CountingSolutionContent count;
  mpz_ui_pow_ui(count.count.get_mpz_t(), 2, 100);
  CredulousSolutionContent credulous(1, &problem);
  SkepticalSolutionContent skeptical(1, &problem);
  credulous.accepted = true;
  skeptical.accepted = false;
  EXPECT_EQ(print(&count, COUNTING), "Solutions: 1267650600228229401496703205376\n");
  EXPECT_EQ(print(&credulous, CREDULOUS), "YES\n");
  EXPECT_EQ(print(&skeptical, SKEPTICAL), "NO\n");
  // Nothing for no content, an unknown mode, or a content of another class.
  EXPECT_EQ(print(nullptr, ENUMERATION) + print(&count, 4) + print(&count, -1) + print(&count, ENUMERATION) +
                print(&count, CREDULOUS) + print(&credulous, COUNTING),
            "");
  dOpt = true;
  EXPECT_EQ(print(&count, COUNTING), "1267650600228229401496703205376; ");
  EXPECT_EQ(print(&credulous, CREDULOUS), "YES; ");
  EXPECT_EQ(print(&skeptical, SKEPTICAL), "NO; ");
}

}  // namespace
