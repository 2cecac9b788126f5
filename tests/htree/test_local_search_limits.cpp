// Limits of the local-search models: neighbour lists longer than a fixed row,
// degrees beyond a 16-bit signed count, and the selected-set count of the
// set cover, which a new start selection resets and which a search that has
// no allowed move leaves as it is.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "kivra/SetCoverLS.h"
#include "kivra/probSol.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using kivra::probSol;
using kivra::SetCoverLS;

// The list-only model: a centre with 1,001 neighbours keeps all of them.
TEST(LocalSearchLimits, NeighbourListsGrowBeyondAThousand) {
  const int n = 1002;
  Hypergraph* G = buildGraph(n, starEdges(n));
  probSol P;
  P.createGraphFromHypNew(G);
  ASSERT_EQ(P.iNrOfNeighboors[0], n - 1);
  std::vector<int> Listed(P.iGraph[0], P.iGraph[0] + n - 1);
  std::sort(Listed.begin(), Listed.end());
  EXPECT_EQ(Listed.front(), 1);
  EXPECT_EQ(Listed.back(), n - 1);
  EXPECT_EQ(std::adjacent_find(Listed.begin(), Listed.end()), Listed.end());
  delete G;
}

// A fan of 32,769 nodes: a path of 32,768 nodes, each also joined to a
// centre of degree 32,768. As a 16-bit signed count that degree would be the
// smallest and the centre would go first, filling in the whole path (a run
// the alarm ends); the path's ends go first instead, and the width is 2.
TEST(LocalSearchLimitsDeathTest, MinimumDegreeBeyondSixteenBits) {
  const int n = 32769;
  EdgeList Fan = starEdges(n);
  for (int v = 2; v < n; ++v) Fan.push_back({v, v + 1});
  EXPECT_EXIT(
      {
        ::alarm(10);
        Hypergraph* G = buildGraph(n, Fan);
        probSol P;
        P.createGraphFromHyp(G);
        P.MinDegreeOrdering();
        P.calculateFitness(-1, -1);
        std::exit(P.iNodePosInOrdering[0] >= n - 3 && P.fFitness == 2.0f ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(LocalSearchLimits, SetCoverStartsCountTheirOwnSelection) {
  // Two variables; the sets {0}, {1} and {0, 1}.
  bool Cells[] = {true, false, true, false, true, true};
  SetCoverLS L;
  L.minimalSC(Cells, 3, 2, 2);
  ASSERT_EQ(L.getNrOfSelectedSets(), 1);
  L.greedySetCover(SetCoverLS::DET_GREEDY);
  EXPECT_EQ(L.getNrOfSelectedSets(), 1);
  L.emptySetCover();
  EXPECT_EQ(L.getNrOfSelectedSets(), 0);
}

// One variable in one set. The search removes the set once; adding it back
// is then barred (while adding, fewer sets than the best cover), and right
// after its removal it is tabu as well: no later step has a move to make.
TEST(LocalSearchLimits, SetCoverSearchWithoutAllowedMoveMakesNone) {
  bool Cells[] = {true};
  SetCoverLS L;
  L.setTSParametres(1000, 10, 0, 10, true, true);
  L.minimalSC(Cells, 1, 1, 1);
  EXPECT_EQ(L.lFrequencyBasedMemory[0], 1);
  EXPECT_EQ(L.getNrOfSelectedSets(), 1);
  EXPECT_EQ(L.iSelectedSets[0], 1);
}
