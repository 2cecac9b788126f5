// The iterative tree walks: post-order with each node's parent in the walk, a
// stop, subtrees kept out by a skip predicate or by their class, and a fold.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kivra/Hypertree.h"
#include "kivra/TreeWalk.h"

namespace {

using kivra::Hypertree;
namespace treewalk = kivra::treewalk;

// A node of another class, which a walk over it does not enter from below.
struct Named : Hypertree {
  explicit Named(char name) : name(name) {}
  char name;
};

// r(a(c, d), b(e)), e a plain Hypertree.
struct Tree {
  Tree() {
    for (char c : std::string("abcd")) nodes[c] = new Named(c);
    root->insChild(nodes['a'], true);
    root->insChild(nodes['b'], true);
    nodes['a']->insChild(nodes['c'], true);
    nodes['a']->insChild(nodes['d'], true);
    nodes['b']->insChild(new Hypertree, true);
  }
  std::unique_ptr<Named> root = std::make_unique<Named>('r');
  std::map<char, Named*> nodes;
};

TEST(TreeWalk, PostOrderParentsStopsSkipsAndFolds) {
  Tree tree;
  std::string visits;
  EXPECT_TRUE(treewalk::postOrder(tree.root.get(), [&](Named* node, Named* parent) {
    visits += std::string(1, node->name) + (parent ? parent->name : '-');
  }));
  EXPECT_EQ(visits, "cadaarbrr-") << "the plain node below b is not entered";

  visits.clear();
  EXPECT_FALSE(treewalk::postOrder(tree.root.get(), [&](Named* node) {
    visits += node->name;
    return node->name != 'd';
  }));
  EXPECT_EQ(visits, "cd");

  visits.clear();
  treewalk::postOrder(
      tree.root.get(), [&](Named* node) { visits += node->name; }, [](Named* child) { return child->name == 'a'; });
  EXPECT_EQ(visits, "br");

  // Every node's bracketed children, in order: r(a(c,d),b()).
  const std::string folded = treewalk::fold<std::string>(
      static_cast<const Named*>(tree.root.get()), [](const Named* node, std::vector<std::string>& children) {
        std::string text(1, node->name);
        if (children.empty() && node->getChildren()->empty()) return text;
        text += "(";
        for (std::size_t i = 0; i < children.size(); ++i) text += (i ? "," : "") + children[i];
        return text + ")";
      });
  EXPECT_EQ(folded, "r(a(c,d),b())");
  EXPECT_EQ(treewalk::preOrder(tree.root.get()).size(), 6u) << "pre-order lists every node";
}

}  // namespace
