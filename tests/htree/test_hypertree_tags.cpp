// Pointers and identifiers attached to decomposition nodes.
#include <gtest/gtest.h>

#include "kivra/Hypertree.h"
#include "kivra/Node.h"

using namespace kivra;

TEST(HypertreeTags, AttachedPointersAndIDsAreFoundAndFollowMerges) {
  Node a(1, 1), b(2, 2), c(3, 3);
  Hypertree* T[3] = {new Hypertree(), new Hypertree(), new Hypertree()};
  // The root and its first child have the same bag: shrink merges them.
  for (Node* Member : {&a, &b}) T[0]->insChi(Member), T[1]->insChi(Member);
  for (Node* Member : {&b, &c}) T[2]->insChi(Member);
  T[0]->insChild(T[1], true);
  T[0]->insChild(T[2], true);
  int x = 0, y = 0;
  T[1]->insPointer(&x);
  T[2]->insPointer(&y);
  for (int i : {1, 2}) T[i]->insID(7);
  T[0]->insID(5);
  EXPECT_EQ(T[0]->getHTNode(7), T[1]) << "the first in pre-order";
  EXPECT_EQ(T[0]->getHTNode(&y), T[2]);
  T[0]->shrink(false);
  // The merged node's pointers pass to the root, its identifiers do not.
  EXPECT_EQ(T[0]->getHTNode(&x), T[0]);
  EXPECT_EQ(T[0]->getHTNode(7), T[2]);
  EXPECT_EQ(T[0]->getHTNode(99), nullptr);
  EXPECT_EQ(T[2]->getHTNode(5), nullptr) << "a subtree is searched from its own root";
  delete T[0];
}
