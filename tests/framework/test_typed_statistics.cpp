// Statistics of typed decompositions against their definitions walked node by
// node, on normalized and semi-normalized random trees, whole and from inner
// nodes (whose distance to a Branch ancestor reaches above them), with
// widths given to some nodes through the base's bag.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "kivra/ExtendedHypertree.h"
#include "kivra/Node.h"

namespace {

using namespace kivra;

ExtendedHypertree* typed(Hypertree* node) { return static_cast<ExtendedHypertree*>(node); }

std::vector<ExtendedHypertree*> subtree(ExtendedHypertree* top) {
  std::vector<ExtendedHypertree*> nodes{top};
  for (std::size_t i = 0; i < nodes.size(); ++i)
    for (Hypertree* child : *nodes[i]->getChildren()) nodes.push_back(typed(child));
  return nodes;
}

unsigned width(ExtendedHypertree* node) { return static_cast<unsigned>(node->getChi()->size()); }
bool branch(ExtendedHypertree* node) { return node->getType() == Branch; }

unsigned leafDistance(ExtendedHypertree* node) {
  if (node->getType() == Leaf || node->getChildren()->empty()) return 0;
  unsigned first = leafDistance(node->firstChild());
  if (!branch(node)) return first;
  return 1 + std::min(first, leafDistance(node->secondChild()));
}

unsigned joinAncestorDistance(ExtendedHypertree* node) {
  unsigned steps = 0;
  for (Hypertree* above = node->getParent(); above != nullptr; above = above->getParent()) {
    ++steps;
    if (branch(typed(above))) return steps;
  }
  return 0;
}

}  // namespace

TEST(TypedTree, StatisticsFollowTheirDefinitions) {
  std::mt19937 gen(31);
  std::vector<std::unique_ptr<Node>> vertices;
  for (int i = 0; i < 4; ++i) vertices.emplace_back(new Node(100 + i, 100 + i));
  for (int round = 0; round < 150; ++round) {
    // A random library tree over bags of names 1..5.
    std::vector<Hypertree*> shape;
    std::vector<std::unique_ptr<Node>> names;
    for (int i = 1; i <= 5; ++i) names.emplace_back(new Node(i, i));
    for (int t = 0, size = 1 + static_cast<int>(gen() % 7); t < size; ++t) {
      shape.push_back(new Hypertree);
      for (auto& name : names)
        if (gen() % 2 == 0) shape.back()->insChi(name.get());
      if (t > 0) shape[gen() % static_cast<unsigned>(t)]->insChild(shape.back(), true);
    }
    auto* converted = new ExtendedHypertree(shape[0]);
    ExtendedHypertree* root =
        converted->normalize(round % 2 == 0 ? DefaultNormalization : SemiNormalization);
    delete converted;
    std::vector<ExtendedHypertree*> all = subtree(root);
    for (ExtendedHypertree* node : all)
      for (auto& vertex : vertices)
        if (gen() % 3 == 0) node->insChi(vertex.get());

    for (ExtendedHypertree* top : {root, all[gen() % all.size()]}) {
      std::vector<ExtendedHypertree*> nodes = subtree(top);
      unsigned widths = 0, joinWidths = 0, joins = 0, joinLeaf = 0, joinJoin = 0;
      std::vector<unsigned> withWidth(6, 0);
      for (ExtendedHypertree* node : nodes) {
        widths += width(node);
        ++withWidth[width(node)];
        if (!branch(node)) continue;
        ++joins;
        joinWidths += width(node);
        joinLeaf += leafDistance(node);
        joinJoin += joinAncestorDistance(node);
      }
      const double count = static_cast<double>(nodes.size());
      EXPECT_EQ(top->getNumberOfJoinNodes(), joins) << round;
      EXPECT_EQ(top->getWidthSum(), widths) << round;
      EXPECT_EQ(top->getJoinNodeWidthSum(), joinWidths) << round;
      for (unsigned w = 0; w < withWidth.size(); ++w) EXPECT_EQ(top->getNodeCountWithWidth(w), withWidth[w]) << round;
      EXPECT_DOUBLE_EQ(top->getAverageWidth(), widths / count) << round;
      EXPECT_DOUBLE_EQ(top->getAverageJoinNodeWidth(), joins == 0 ? 0.0 : static_cast<double>(joinWidths) / joins);
      EXPECT_DOUBLE_EQ(top->getJoinNodePercentage(), joins / count) << round;
      EXPECT_EQ(top->getDistanceToNearestLeaf(), leafDistance(top)) << round;
      EXPECT_EQ(top->getJoinLeafDistanceSum(), joinLeaf) << round;
      if (joins == 0)
        EXPECT_TRUE(std::isnan(top->getAverageJoinLeafDistance())) << round;
      else
        EXPECT_DOUBLE_EQ(top->getAverageJoinLeafDistance(), static_cast<double>(joinLeaf) / joins) << round;
      EXPECT_EQ(top->getDistanceToNearestJoinAncestor(), joinAncestorDistance(top)) << round;
      EXPECT_EQ(top->getJoinJoinDistanceSum(), joinJoin) << round;
      EXPECT_DOUBLE_EQ(top->getAverageJoinJoinDistance(),
                       joins < 2 ? 0.0 : static_cast<double>(joinJoin) / (joins - 1))
          << round;
    }
    delete root;
  }
}
