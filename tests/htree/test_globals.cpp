// The library's small utilities at their edges: the widest unsigned number
// as text, binary search at and between the entries, and subset tests of
// empty sets with the labels they leave behind.
#include <gtest/gtest.h>

#include "kivra/Globals.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;

TEST(Globals, NumberTextSearchAndSubsets) {
  char cText[11];
  EXPECT_STREQ(kivra::uitoa(4294967295u, cText), "4294967295");
  EXPECT_STREQ(kivra::uitoa(0, cText), "0");

  int Values[] = {1, 3, 5};
  EXPECT_TRUE(kivra::searchArray(Values, 0, 2, 3));
  EXPECT_FALSE(kivra::searchArray(Values, 0, 2, 4));
  EXPECT_FALSE(kivra::searchArray(Values, 0, 2, 6));  // past the last entry
  EXPECT_FALSE(kivra::searchArray(Values, 1, 2, 1));  // outside the range searched
  EXPECT_FALSE(kivra::searchArray(Values, 0, -1, 1));  // an empty range

  Hypergraph* G = buildGraph(3, {{1, 2}, {2, 3}});
  std::set<Node*> Empty, Some{G->getNode(0), G->getNode(1)}, Other{G->getNode(2)};
  EXPECT_TRUE(kivra::isSubset(&Empty, &Some));
  EXPECT_TRUE(kivra::isSubset(&Empty, &Empty));
  EXPECT_FALSE(kivra::isSubset(&Some, &Empty));
  EXPECT_FALSE(kivra::isSubset(&Some, &Other));
  // The members of the second set are left labelled 1, those only in the
  // first 0.
  EXPECT_EQ((std::vector<int>{G->getNode(0)->getLabel(), G->getNode(2)->getLabel()}), (std::vector<int>{0, 1}));
  std::set<Hyperedge*> Edges{G->getEdge(0)}, NoEdges;
  EXPECT_TRUE(kivra::isSubset(&NoEdges, &Edges));
  EXPECT_FALSE(kivra::isSubset(&Edges, &NoEdges));
  delete G;
}
