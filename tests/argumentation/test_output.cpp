// Printing of the final solution content in every output mode, normal and -d.
#include <gtest/gtest.h>
#include <gmpxx.h>

#include <string>

#include "ArgumentationSolution.h"
#include "kivra/CountingSolutionContent.h"
#include "kivra/Problem.h"

namespace {

// A problem that only holds vertex names.
class NamesProblem : public kivra::Problem {
 public:
  NamesProblem() : kivra::Problem(false) {}
  void parse() override {}
  void preprocess() override {}
  kivra::Hypergraph* buildHypergraphRepresentation() override { return nullptr; }
  kivra::Vertex add(const std::string& name) { return storeVertexName(name); }
};

class OutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dOpt = false;
    enum_nbr = 0;
  }
  void TearDown() override {
    dOpt = false;
    enum_nbr = 0;
  }

  std::string print(kivra::SolutionContent* content, int mode) {
    ::testing::internal::CaptureStdout();
    printSolution(content, static_cast<OutputType>(mode), &problem);
    return ::testing::internal::GetCapturedStdout();
  }

  NamesProblem problem;
};

kivra::EnumerationSolutionContent sets(std::initializer_list<kivra::VertexSet> members) {
  kivra::EnumerationSolutionContent content;
  for (const auto& m : members) content.enumerations.insert(m);
  return content;
}

TEST_F(OutputTest, EnumerationListsAllSetsInSetOrder) {
  problem.add("a");
  problem.add("b");
  auto content = sets({{1}, {}, {1, 2}, {2}});
  EXPECT_EQ(print(&content, ENUMERATION), "Solutions: 4\n{{},{a},{a,b},{b}}\n");
  dOpt = true;
  EXPECT_EQ(print(&content, ENUMERATION), "{{},{a},{a,b},{b}};");
}

TEST_F(OutputTest, NamesFollowIdOrderNotAlphabet) {
  problem.add("b");
  problem.add("c");
  problem.add("a");
  auto content = sets({{2, 3}});
  EXPECT_EQ(print(&content, ENUMERATION), "Solutions: 1\n{{c,a}}\n");
}

TEST_F(OutputTest, BoundLimitsPrintedSetsButNotTheCount) {
  problem.add("a");
  problem.add("b");
  auto content = sets({{}, {1}});
  enum_nbr = 1;
  EXPECT_EQ(print(&content, ENUMERATION), "Solutions: 2\n{{}}\n");
  dOpt = true;
  EXPECT_EQ(print(&content, ENUMERATION), "{{}};");
  dOpt = false;
  enum_nbr = 5;
  EXPECT_EQ(print(&content, ENUMERATION), "Solutions: 2\n{{},{a}}\n");
  enum_nbr = -3;
  EXPECT_EQ(print(&content, ENUMERATION), "Solutions: 2\n{{},{a}}\n");
}

TEST_F(OutputTest, EmptyEnumeration) {
  kivra::EnumerationSolutionContent content;
  EXPECT_EQ(print(&content, ENUMERATION), "Solutions: 0\n{}\n");
  dOpt = true;
  EXPECT_EQ(print(&content, ENUMERATION), "{};");
}

TEST_F(OutputTest, CountIsPrintedInFullPrecision) {
  kivra::CountingSolutionContent content;
  content.count = 2;
  EXPECT_EQ(print(&content, COUNTING), "Solutions: 2\n");
  mpz_ui_pow_ui(content.count.get_mpz_t(), 2, 100);
  EXPECT_EQ(print(&content, COUNTING), "Solutions: 1267650600228229401496703205376\n");
  dOpt = true;
  EXPECT_EQ(print(&content, COUNTING), "1267650600228229401496703205376; ");
}

TEST_F(OutputTest, AcceptanceAnswers) {
  const kivra::Vertex a = problem.add("a");
  CredulousSolutionContent credulous(a, &problem);
  SkepticalSolutionContent skeptical(a, &problem);
  credulous.accepted = true;
  skeptical.accepted = false;
  EXPECT_EQ(print(&credulous, CREDULOUS), "YES\n");
  EXPECT_EQ(print(&skeptical, SKEPTICAL), "NO\n");
  dOpt = true;
  EXPECT_EQ(print(&credulous, CREDULOUS), "YES; ");
  EXPECT_EQ(print(&skeptical, SKEPTICAL), "NO; ");
}

TEST_F(OutputTest, NothingForNullContentUnknownModeOrMismatchedContent) {
  problem.add("a");
  auto content = sets({{1}});
  EXPECT_EQ(print(nullptr, ENUMERATION), "");
  EXPECT_EQ(print(&content, 4), "");
  EXPECT_EQ(print(&content, -1), "");
  // A content of another class than the mode names is not misread.
  EXPECT_EQ(print(&content, COUNTING), "");
  EXPECT_EQ(print(&content, CREDULOUS), "");
}

}  // namespace
