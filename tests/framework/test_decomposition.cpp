// Conversion of library trees into typed trees, and the normalized forms.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "kivra/ExtendedHypertree.h"
#include "kivra/Node.h"
#include "kivra/support.h"

namespace {

using namespace kivra;

ExtendedHypertree* tree(VertexSet bag, std::initializer_list<ExtendedHypertree*> children = {}) {
  auto* node = new ExtendedHypertree(bag);
  for (ExtendedHypertree* child : children) node->insChild(child, true);
  return node;
}

std::string text(const std::vector<kivra::Vertex>& s) {
  std::string out = "{";
  for (auto v : s) out += (out.size() > 1 ? "," : "") + std::to_string(v);
  return out + "}";
}

// "<kind>[+introduced][-removed]<bag>(children)"; e.g. "I+{1}{1,2}(L{2})".
std::string show(const ExtendedHypertree* node) {
  std::string out(1, "GLBRIP"[node->getType()]);
  if (!node->getIntroducedVertices().empty()) out += "+" + text(node->getIntroducedVertices());
  if (!node->getRemovedVertices().empty()) out += "-" + text(node->getRemovedVertices());
  out += text(node->getVertices());
  std::string separator = "(";
  for (Hypertree* child : *node->getChildren()) {
    EXPECT_EQ(child->getParent(), node);
    out += separator + show(static_cast<ExtendedHypertree*>(child)), separator = ",";
  }
  return separator == "," ? out + ")" : out;
}

std::string normalized(ExtendedHypertree* input, kivra::NormalizationType form) {
  std::string before = show(input);
  ExtendedHypertree* result = input->normalize(form);
  EXPECT_EQ(show(input), before) << "the input is left as it was";
  EXPECT_TRUE(result->isRoot());
  std::string out = show(result);
  delete result;
  delete input;
  return out;
}

ExtendedHypertree* threeLeaves() {
  return tree({1, 2, 3}, {tree({1, 2, 5}), tree({2, 3}), tree({3, 6})});
}

// Each tree in each form: the default form joins children pairwise from the
// front and steps one vertex at a time (children with the node's bag are
// joined directly, a single such child stands for its parent); the semi form
// takes one permutation step; the strong form starts from empty leaves.
TEST(Normalization, WorkedExamples) {
  const auto D = kivra::DefaultNormalization, S = kivra::SemiNormalization, T = kivra::StrongNormalization;
  struct Case {
    ExtendedHypertree* input;
    kivra::NormalizationType form;
    const char* expected;
  } cases[] = {
      {threeLeaves(), D,
       "B{1,2,3}(B{1,2,3}(I+{3}{1,2,3}(R-{5}{1,2}(L{1,2,5})),I+{1}{1,2,3}(L{2,3})),"
       "I+{1}{1,2,3}(I+{2}{2,3}(R-{6}{3}(L{3,6}))))"},
      {tree({1, 2, 3}, {tree({2, 4})}), D, "I+{1}{1,2,3}(I+{3}{2,3}(R-{4}{2}(L{2,4})))"},
      {tree({1, 2}, {tree({1, 2}), tree({1, 2})}), D, "B{1,2}(L{1,2},L{1,2})"},
      {tree({1}, {tree({1}), tree({1}), tree({1}), tree({1}), tree({1})}), D,
       "B{1}(B{1}(B{1}(L{1},L{1}),B{1}(L{1},L{1})),L{1})"},
      {tree({1, 2}, {tree({1, 2})}), D, "L{1,2}"},
      {threeLeaves(), S,
       "B{1,2,3}(B{1,2,3}(P+{3}-{5}{1,2,3}(L+{1,2,5}{1,2,5}),P+{1}{1,2,3}(L+{2,3}{2,3})),"
       "P+{1,2}-{6}{1,2,3}(L+{3,6}{3,6}))"},
      {tree({1, 2}, {tree({1, 2})}), S, "P{1,2}(L+{1,2}{1,2})"},
      {tree({4, 7}), T, "I+{4}{4,7}(I+{7}{7}(L{}))"},
      {tree({}), T, "L{}"},
      {tree({1, 2}, {tree({1, 2}, {tree({2})})}), T, "I+{1}{1,2}(I+{2}{2}(L{}))"},
      {tree({1, 2}, {tree({2}), tree({3})}), kivra::NoNormalization, "G{1,2}(L{2},L{3})"},
  };
  for (const Case& c : cases) EXPECT_EQ(normalized(c.input, c.form), c.expected);
}

TEST(NormalizationDeathTest, UnknownFormStopsAtTheFirstLeaf) {
  kivra::InitializeErrorHandling("fw");
  ExtendedHypertree* input = threeLeaves();
  EXPECT_EXIT(input->normalize(static_cast<kivra::NormalizationType>(7)), ::testing::ExitedWithCode(1),
              "^fw: \\./htree/ExtendedHypertree\\.cpp:109: ERROR - 0\n$");
  delete input;
}

TEST(TypedTree, Statistics) {
  ExtendedHypertree* root = threeLeaves()->normalize(kivra::DefaultNormalization);
  EXPECT_EQ(root->firstChild()->firstChild()->getDifference(), 3u) << "introduced before removed";
  EXPECT_EQ(root->getNumberOfJoinNodes(), 2u);
  // The root's right side reaches a leaf through single-child nodes only.
  EXPECT_EQ(root->getDistanceToNearestLeaf(), 1u);
  EXPECT_EQ(root->getJoinLeafDistanceSum(), 2u);
  delete root;
}

// A library node whose deletion is observable.
class WatchedTree : public Hypertree {
 public:
  explicit WatchedTree(int* deletions) : deletions(deletions) {}
  ~WatchedTree() override { ++*deletions; }
  int* deletions;
};

TEST(TypedTree, ConversionKeepsShapeAndReleasesTheSource) {
  kivra::Node a(3, 3), b(1, 1), c(2, 2);
  int deletions = 0;
  auto watched = [&](std::initializer_list<kivra::Node*> bag) {
    auto* t = new WatchedTree(&deletions);
    for (kivra::Node* n : bag) t->insChi(n);
    return t;
  };
  Hypertree* source = watched({&a, &b});
  source->insChild(watched({&c}), true);
  source->insChild(watched({&a}), true);
  ExtendedHypertree converted(source);
  EXPECT_EQ(deletions, 3) << "the whole source tree is released";
  EXPECT_EQ(show(&converted), "G{1,3}(G{2},G{3})");
  EXPECT_TRUE(converted.getChi()->empty());
}

}  // namespace
