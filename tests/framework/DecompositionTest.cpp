// Conversion of library trees into typed trees, and the normalized forms.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "kivra/ExtendedHypertree.h"
#include "kivra/Node.h"
#include "kivra/support.h"

namespace {

using kivra::ExtendedHypertree;
using kivra::Hypertree;
using kivra::VertexSet;

ExtendedHypertree* tree(VertexSet bag, std::initializer_list<ExtendedHypertree*> children = {}) {
  auto* node = new ExtendedHypertree(bag);
  for (ExtendedHypertree* child : children) node->insChild(child, true);
  return node;
}

std::string text(const VertexSet& s) {
  std::string out = "{";
  for (auto v : s) out += (out.size() > 1 ? "," : "") + std::to_string(v);
  return out + "}";
}

// "<kind>[+introduced][-removed]<bag>(children)"; e.g. "I+{1}{1,2}(L{2})".
std::string show(const ExtendedHypertree* node) {
  static const char* kinds = "GLBRIP";
  std::string out(1, kinds[node->getType()]);
  if (!node->getIntroducedVertices().empty()) out += "+" + text(node->getIntroducedVertices());
  if (!node->getRemovedVertices().empty()) out += "-" + text(node->getRemovedVertices());
  out += text(node->getVertices());
  const auto* children = node->getChildren();
  if (children->empty()) return out;
  out += "(";
  bool first = true;
  for (Hypertree* child : *children) {
    out += (first ? "" : ",") + show(static_cast<ExtendedHypertree*>(child));
    first = false;
    EXPECT_EQ(child->getParent(), node);
  }
  return out + ")";
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

TEST(Normalization, DefaultJoinsPairwiseAndStepsOneVertexAtATime) {
  EXPECT_EQ(normalized(threeLeaves(), kivra::DefaultNormalization),
            "B{1,2,3}(B{1,2,3}(I+{3}{1,2,3}(R-{5}{1,2}(L{1,2,5})),I+{1}{1,2,3}(L{2,3})),"
            "I+{1}{1,2,3}(I+{2}{2,3}(R-{6}{3}(L{3,6}))))");
  EXPECT_EQ(normalized(tree({1, 2, 3}, {tree({2, 4})}), kivra::DefaultNormalization),
            "I+{1}{1,2,3}(I+{3}{2,3}(R-{4}{2}(L{2,4})))");
  // One vertex apart: the node itself takes the step.
  EXPECT_EQ(normalized(tree({1, 2}, {tree({1})}), kivra::DefaultNormalization), "I+{2}{1,2}(L{1})");
  EXPECT_EQ(normalized(tree({1}, {tree({1, 2})}), kivra::DefaultNormalization), "R-{2}{1}(L{1,2})");
  // Children with the node's bag are joined directly; the node's copy goes.
  EXPECT_EQ(normalized(tree({1, 2}, {tree({1, 2}), tree({1, 2})}), kivra::DefaultNormalization),
            "B{1,2}(L{1,2},L{1,2})");
  EXPECT_EQ(normalized(tree({4, 7}), kivra::DefaultNormalization), "L{4,7}");
}

TEST(Normalization, SemiUsesOnePermutationStep) {
  EXPECT_EQ(normalized(threeLeaves(), kivra::SemiNormalization),
            "B{1,2,3}(B{1,2,3}(P+{3}-{5}{1,2,3}(L+{1,2,5}{1,2,5}),P+{1}{1,2,3}(L+{2,3}{2,3})),"
            "P+{1,2}-{6}{1,2,3}(L+{3,6}{3,6}))");
  EXPECT_EQ(normalized(tree({1, 2}, {tree({1, 2})}), kivra::SemiNormalization), "P{1,2}(L+{1,2}{1,2})");
}

TEST(Normalization, StrongAndNoneForms) {
  EXPECT_EQ(normalized(tree({4, 7}), kivra::StrongNormalization), "I+{4}{4,7}(I+{7}{7}(L{}))");
  EXPECT_EQ(normalized(tree({}), kivra::StrongNormalization), "L{}");
  EXPECT_EQ(normalized(tree({1, 2}, {tree({2}), tree({3})}), kivra::NoNormalization),
            "G{1,2}(L{2},L{3})");
  EXPECT_EQ(normalized(tree({1, 2}, {tree({2, 3})}), kivra::NoNormalization), "P+{1}-{3}{1,2}(L{2,3})");
}

TEST(Normalization, FiveChildrenPairFromTheFront) {
  auto* input = tree({1}, {tree({1}), tree({1}), tree({1}), tree({1}), tree({1})});
  EXPECT_EQ(normalized(input, kivra::DefaultNormalization),
            "B{1}(B{1}(B{1}(L{1},L{1}),B{1}(L{1},L{1})),L{1})");
}

TEST(Normalization, SingleChildWithItsParentsBagStandsForTheParent) {
  // Such a pair needs no step; the child's normalized tree replaces the node.
  EXPECT_EQ(normalized(tree({1, 2}, {tree({1, 2})}), kivra::DefaultNormalization), "L{1,2}");
  EXPECT_EQ(normalized(tree({1, 2}, {tree({1, 2}, {tree({2})})}), kivra::StrongNormalization),
            "I+{1}{1,2}(I+{2}{2}(L{}))");
}

TEST(NormalizationDeathTest, UnknownFormStopsAtTheFirstLeaf) {
  kivra::InitializeErrorHandling("fw");
  ExtendedHypertree* input = threeLeaves();
  EXPECT_EXIT(input->normalize(static_cast<kivra::NormalizationType>(7)), ::testing::ExitedWithCode(1),
              "^fw: \\./htree/ExtendedHypertree\\.cpp:109: ERROR - 0\n$");
  delete input;
}

TEST(TypedTree, AccessorsAndStatistics) {
  ExtendedHypertree* root = threeLeaves()->normalize(kivra::DefaultNormalization);
  ExtendedHypertree* j1 = root->firstChild();
  EXPECT_EQ(j1->parent(), root);
  EXPECT_EQ(j1->firstChild()->getDifference(), 3u) << "introduced before removed";
  EXPECT_EQ(j1->firstChild()->firstChild()->getDifference(), 5u);
  EXPECT_EQ(j1->firstChild()->secondChild(), nullptr);
  EXPECT_EQ(root->getNumberOfJoinNodes(), 2u);
  // The root's right side reaches a leaf through single-child nodes only.
  EXPECT_EQ(root->getDistanceToNearestLeaf(), 1u);
  EXPECT_EQ(root->getJoinLeafDistanceSum(), 2u);
  EXPECT_EQ(j1->getDistanceToNearestJoinAncestor(), 1u);
  EXPECT_DOUBLE_EQ(root->getAverageJoinJoinDistance(), 1.0);
  EXPECT_EQ(root->getNodeCountWithWidth(0), 11u) << "typed nodes leave the library bag empty";
  EXPECT_DOUBLE_EQ(root->getJoinNodePercentage(), 2.0 / 11.0);
  delete root;
}

// A library node whose deletion is observable.
class WatchedTree : public Hypertree {
 public:
  explicit WatchedTree(int* deletions) : deletions(deletions) {}
  ~WatchedTree() override { ++*deletions; }
  int* deletions;
};

TEST(TypedTree, ConversionKeepsShapeAndReplacesTheSource) {
  kivra::Node a(3, 3), b(1, 1), c(2, 2);
  int deletions = 0;
  auto* source = new WatchedTree(&deletions);
  source->insChi(&a);
  source->insChi(&b);
  auto* first = new WatchedTree(&deletions);
  first->insChi(&c);
  auto* second = new WatchedTree(&deletions);
  second->insChi(&a);
  source->insChild(first, true);
  source->insChild(second, true);

  ExtendedHypertree converted(source);
  EXPECT_EQ(deletions, 3) << "the whole source tree is released";
  EXPECT_EQ(show(&converted), "G{1,3}(G{2},G{3})");
  EXPECT_TRUE(converted.getChi()->empty());
}

TEST(TypedTree, DeepPathsConvertNormalizeAndDeleteWithoutRecursion) {
  const int length = 200000;
  std::vector<kivra::Node*> nodes;
  for (int i = 0; i <= length; ++i) nodes.push_back(new kivra::Node(i, i));
  // A path decomposition with bags {i, i+1}, the root holding {0, 1}.
  auto* source = new Hypertree();
  Hypertree* bottom = source;
  for (int i = 0; i < length; ++i) {
    Hypertree* node = i == 0 ? source : new Hypertree();
    node->insChi(nodes[i]);
    node->insChi(nodes[i + 1]);
    if (node != source) bottom->insChild(node, true);
    bottom = node;
  }
  auto* typed = new ExtendedHypertree(source);
  ExtendedHypertree* deepest = typed;
  while (deepest->firstChild()) deepest = deepest->firstChild();
  EXPECT_EQ(deepest->getVertices(), (VertexSet{length - 1, length}));

  for (auto form : {kivra::DefaultNormalization, kivra::SemiNormalization, kivra::StrongNormalization}) {
    ExtendedHypertree* result = typed->normalize(form);
    int depth = 0;
    for (ExtendedHypertree* n = result; n; n = n->firstChild()) ++depth;
    int expected = form == kivra::DefaultNormalization ? 2 * length - 1
                   : form == kivra::SemiNormalization  ? length
                                                       : 2 * length + 1;
    EXPECT_EQ(depth, expected) << "form " << form;
    EXPECT_EQ(result->getNumberOfJoinNodes(), 0u);
    EXPECT_EQ(result->getDistanceToNearestLeaf(), 0u);
    delete result;
  }
  delete typed;
  for (kivra::Node* n : nodes) delete n;
}

}  // namespace
