// Set-cover local search: the set/variable lists, greedy tie-breaks and
// their random draws, move bookkeeping against recomputation, the tabu ring,
// the searches' results and their printed lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "kivra/SetCoverLS.h"

using kivra::SetCoverLS;

namespace {

// A matrix of iVars rows by Sets.size() columns.
struct Instance {
  int iVars = 0;
  int iSets = 0;
  std::unique_ptr<bool[]> Cells;
};

Instance instanceOf(int iVars, const std::vector<std::vector<int>>& Sets) {
  Instance I;
  I.iVars = iVars;
  I.iSets = static_cast<int>(Sets.size());
  I.Cells = std::make_unique<bool[]>(static_cast<size_t>(iVars) * I.iSets + 1);
  for (int s = 0; s < I.iSets; ++s)
    for (int v : Sets[s]) I.Cells[static_cast<size_t>(v) * I.iSets + s] = true;
  return I;
}

std::vector<int> selectedOf(const SetCoverLS& L) {
  std::vector<int> Chosen;
  for (int s = 0; s < L.iNrOfSets; ++s)
    if (L.iSelectedSets[s]) Chosen.push_back(s);
  return Chosen;
}

bool coversAll(const Instance& I, const SetCoverLS& L) {
  for (int v = 0; v < I.iVars; ++v) {
    bool bCovered = false;
    for (int s = 0; s < I.iSets; ++s) bCovered = bCovered || (L.iSelectedSets[s] && I.Cells[v * I.iSets + s]);
    if (!bCovered) return false;
  }
  return true;
}

// The penalties are process-wide; bring them back to (1.0, 1.0).
void restPenalties() {
  SetCoverLS Probe;
  Probe.iNumberOfSelectedSets = 1;
  Probe.calculateFitness();
  if (Probe.dFitness != 1.0) Probe.changePenalties();
}

// The upper bound on selected sets is process-wide too, and localSearchSC
// starts from the value it finds; a search that starts with no set selected
// and finds no cover leaves 10000.
void restUpperBound() {
  SetCoverLS Probe;
  Probe.setTSParametres(1, 1, 0, 10, true, true);
  Probe.minimalSC(nullptr, 0, 0, 1);
}

// The greedy trap: the largest set {0,1,3,4} is not part of the optimum {A, B}.
Instance trap() { return instanceOf(6, {{0, 1, 3, 4}, {0, 1, 2}, {3, 4, 5}}); }

}  // namespace

TEST(SetCoverLS, ListsKeepOrderAndMarkEmptyRanges) {
  // Set 1 is empty, variable 3 lies in no set.
  Instance I = instanceOf(4, {{0, 2}, {}, {1}, {0, 1}});
  SetCoverLS L;
  L.minimalSC(I.Cells.get(), I.iSets, I.iVars, 0);
  EXPECT_EQ(std::vector<int>(L.iSetsVar, L.iSetsVar + 5), (std::vector<int>{0, 2, 1, 0, 1}));
  EXPECT_EQ(std::vector<int>(L.iSetsVarRange, L.iSetsVarRange + 8), (std::vector<int>{0, 1, 2, -1, 2, 2, 3, 4}));
  EXPECT_EQ(std::vector<int>(L.iVarSets, L.iVarSets + 5), (std::vector<int>{0, 3, 2, 3, 0}));
  EXPECT_EQ(std::vector<int>(L.iVarSetsRange, L.iVarSetsRange + 8), (std::vector<int>{0, 1, 2, 3, 4, 4, 5, -1}));
}

TEST(SetCoverLS, GreedyTieBreaks) {
  Instance Pair = instanceOf(2, {{0}, {1}, {0, 1}});
  SetCoverLS L;
  L.minimalSC(Pair.Cells.get(), Pair.iSets, Pair.iVars, 2);
  EXPECT_EQ(L.getNrOfSelectedSets(), 1);
  EXPECT_EQ(selectedOf(L), std::vector<int>{2});

  // Sets 0 and 2 tie first (keep 0); then 1 and 2 tie on one uncovered
  // variable, and set 2 is the larger.
  Instance Ties = instanceOf(4, {{0, 1, 2}, {3}, {1, 2, 3}});
  SetCoverLS Det;
  Det.minimalSC(Ties.Cells.get(), Ties.iSets, Ties.iVars, 0);
  Det.greedySetCover(SetCoverLS::DET_GREEDY);
  EXPECT_EQ(selectedOf(Det), (std::vector<int>{0, 1}));
  SetCoverLS Max;
  Max.minimalSC(Ties.Cells.get(), Ties.iSets, Ties.iVars, 0);
  Max.greedySetCover(SetCoverLS::MAX_GREEDY);
  EXPECT_EQ(selectedOf(Max), (std::vector<int>{0, 2}));
  EXPECT_EQ(Max.iNrOfCoveredVar, 4);
  EXPECT_EQ(Max.iNrVarCovBySingleSet, 2);

  // The batch variant takes every set of the round's best count at once.
  SetCoverLS Batch;
  Instance Twins = instanceOf(4, {{0, 1}, {2, 3}, {0}});
  Batch.minimalSC(Twins.Cells.get(), Twins.iSets, Twins.iVars, 0);
  Batch.greedySetCover1(SetCoverLS::DET_GREEDY);
  EXPECT_EQ(selectedOf(Batch), (std::vector<int>{0, 1}));
  EXPECT_EQ(Batch.iNrOfCoveredVar, 4);
}

TEST(SetCoverLS, RandomGreedyDrawsOncePerTieIncludingEmptyCounts) {
  // Singletons: ties at 1 in the first two rounds (2 + 1 draws), none after.
  // An empty set before a non-empty one ties at count 0 in every scan.
  struct Case {
    Instance I;
    int iDraws;
  };
  std::vector<Case> Cases;
  Cases.push_back({instanceOf(3, {{0}, {1}, {2}}), 3});
  Cases.push_back({instanceOf(1, {{}, {0}}), 2});
  for (const Case& C : Cases) {
    for (int iType : {SetCoverLS::RND_GREEDY, SetCoverLS::DET_GREEDY}) {
      SetCoverLS L;
      L.minimalSC(C.I.Cells.get(), C.I.iSets, C.I.iVars, 0);
      srand(11);
      L.greedySetCover(iType);
      const int iNext = rand();
      srand(11);
      for (int k = 0; k < (iType == SetCoverLS::RND_GREEDY ? C.iDraws : 0); ++k) rand();
      EXPECT_EQ(iNext, rand());
      EXPECT_TRUE(coversAll(C.I, L));
    }
  }
}

TEST(SetCoverLS, CheckReportsLegalAndUncoveredSelections) {
  Instance Legal = instanceOf(2, {{0}, {1}, {0, 1}});
  SetCoverLS L;
  L.minimalSC(Legal.Cells.get(), Legal.iSets, Legal.iVars, 2);
  testing::internal::CaptureStdout();
  L.iCheckSolution();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "SOLUTION IS LEGAL   Sets:  1\n");

  // Variable 1 lies in no set: greedy stops once no set adds anything.
  Instance Orphan = instanceOf(2, {{0}});
  SetCoverLS O;
  O.minimalSC(Orphan.Cells.get(), Orphan.iSets, Orphan.iVars, 2);
  EXPECT_EQ(O.iNrOfCoveredVar, 1);
  testing::internal::CaptureStdout();
  O.iCheckSolution();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nSOLUTION IS NOT LEGAL\n NOT COV VAR 1      Sets:  1\n");
}

TEST(SetCoverLS, MovesMatchRecomputationAndPredictions) {
  restPenalties();
  std::mt19937 Gen(5);
  std::vector<std::vector<int>> Sets(9);
  for (auto& Set : Sets)
    for (int v = 0; v < 12; ++v)
      if (Gen() % 3 == 0) Set.push_back(v);
  Instance I = instanceOf(12, Sets);
  SetCoverLS L;
  L.minimalSC(I.Cells.get(), I.iSets, I.iVars, 0);
  L.emptySetCover();
  L.lFrequencyBasedMemory = new int[9]();
  L.calculateFitness();

  auto expectConsistent = [&]() {
    int iCovered = 0, iSingle = 0, iSelected = 0;
    for (int v = 0; v < 12; ++v) {
      int iCount = 0;
      for (int s = 0; s < 9; ++s) iCount += L.iSelectedSets[s] && I.Cells[v * 9 + s];
      ASSERT_EQ(L.iCoveredVar[v], iCount);
      iCovered += iCount > 0;
      iSingle += iCount == 1;
    }
    for (int s = 0; s < 9; ++s) iSelected += L.iSelectedSets[s];
    ASSERT_EQ(L.iNrOfCoveredVar, iCovered);
    ASSERT_EQ(L.iNrVarCovBySingleSet, iSingle);
    ASSERT_EQ(L.iNumberOfSelectedSets, iSelected);
    ASSERT_EQ(L.dFitness, 12 - iCovered + iSelected);
  };
  int iMoves = 0;
  for (int k = 0; k < 200; ++k) {
    const int a = static_cast<int>(Gen() % 9), b = static_cast<int>(Gen() % 9);
    ASSERT_EQ(L.calculateFitnessFromSwapMove(a, a), L.dFitness);
    if (L.iSelectedSets[a] && !L.iSelectedSets[b]) {
      const double dPredicted = L.calculateFitnessFromSwapMove(a, b);
      L.DoSwapMove(a, b);
      iMoves += 2;
      ASSERT_EQ(L.dFitness, dPredicted);
    } else {
      const int iOption = L.iSelectedSets[a] ? -1 : 1;
      const double dPredicted = L.calculateFitnessFromMove(a, iOption);
      L.DoMove(a, iOption);
      iMoves += 1;
      ASSERT_EQ(L.dFitness, dPredicted);
    }
    expectConsistent();
  }
  int iCounted = 0;
  for (int s = 0; s < 9; ++s) iCounted += L.lFrequencyBasedMemory[s];
  EXPECT_EQ(iCounted, iMoves);
}

TEST(SetCoverLS, PenaltiesToggleAndRestore) {
  restPenalties();
  SetCoverLS L;
  L.iNrOfVar = 3;
  L.iNrOfCoveredVar = 2;
  L.iNumberOfSelectedSets = 2;
  L.calculateFitness();
  EXPECT_EQ(L.dFitness, 3.0);
  L.changePenalties();
  L.calculateFitness();
  EXPECT_EQ(L.dFitness, 5.0);
  L.changePenalties();
  L.calculateFitness();
  EXPECT_EQ(L.dFitness, 3.0);
}

TEST(SetCoverLS, TabuRingKeepsTheLastMoves) {
  SetCoverLS L;
  L.intTabuLength = 3;
  L.lTabuList = new int[3]{-1, -1, -1};
  for (int s : {5, 6, 7, 8}) L.updateTabuList(s);
  EXPECT_FALSE(L.isSolutionTabu(5));
  for (int s : {6, 7, 8}) EXPECT_TRUE(L.isSolutionTabu(s));
  EXPECT_FALSE(L.isSolutionTabu(-1));
  // Without a length there is no ring to write or to search.
  L.intTabuLength = 0;
  L.updateTabuList(9);
  EXPECT_FALSE(L.isSolutionTabu(6));
}

TEST(SetCoverLS, TabuSearchImprovesOnGreedy) {
  restPenalties();
  Instance I = trap();
  SetCoverLS Greedy;
  Greedy.minimalSC(I.Cells.get(), I.iSets, I.iVars, 2);
  EXPECT_EQ(Greedy.getNrOfSelectedSets(), 3);

  SetCoverLS L;
  L.setTSParametres(100000, 200, 0, 10, true, true);
  srand(3);
  EXPECT_EQ(L.minimalSC(I.Cells.get(), I.iSets, I.iVars, 1), 0);
  EXPECT_EQ(selectedOf(L), (std::vector<int>{1, 2}));
  EXPECT_EQ(L.getNrOfSelectedSets(), 2);
  EXPECT_EQ(L.iNrOfCoveredVar, 6);
  EXPECT_EQ(L.dFitness, 2.0);
  EXPECT_EQ(L.lTabuList, nullptr);
}

TEST(SetCoverLS, TabuSearchOnRandomInstancesKeepsLegalCovers) {
  restPenalties();
  std::mt19937 Gen(17);
  for (int iRound = 0; iRound < 12; ++iRound) {
    const int iVars = 4 + static_cast<int>(Gen() % 8), iSets = 3 + static_cast<int>(Gen() % 8);
    std::vector<std::vector<int>> Sets(iSets);
    for (int v = 0; v < iVars; ++v) {
      Sets[Gen() % iSets].push_back(v);  // every variable is coverable
      for (int s = 0; s < iSets; ++s)
        if (Gen() % 4 == 0 && (Sets[s].empty() || Sets[s].back() != v)) Sets[s].push_back(v);
    }
    Instance I = instanceOf(iVars, Sets);
    // Brute-force optimum.
    int iOptimum = iSets;
    for (unsigned m = 0; m < (1u << iSets); ++m) {
      bool bAll = true;
      for (int v = 0; v < iVars && bAll; ++v) {
        bool bCovered = false;
        for (int s = 0; s < iSets; ++s) bCovered = bCovered || ((m >> s & 1) && I.Cells[v * iSets + s]);
        bAll = bCovered;
      }
      if (bAll) iOptimum = std::min(iOptimum, __builtin_popcount(m));
    }
    SetCoverLS Greedy;
    Greedy.minimalSC(I.Cells.get(), iSets, iVars, 2);
    for (bool bGreedyStart : {true, false}) {
      SetCoverLS L;
      L.setTSParametres(200000, 300, 20, 10, false, bGreedyStart);
      srand(100 + iRound);
      L.minimalSC(I.Cells.get(), iSets, iVars, 1);
      ASSERT_TRUE(coversAll(I, L)) << "round " << iRound << " greedy start " << bGreedyStart;
      EXPECT_GE(L.getNrOfSelectedSets(), iOptimum);
      if (bGreedyStart) {
        EXPECT_LE(L.getNrOfSelectedSets(), Greedy.getNrOfSelectedSets());
      }
    }
  }
}

TEST(SetCoverLS, TabuSearchEdgeInstances) {
  restPenalties();
  // From the empty selection, the cover of two singletons is not cheaper
  // than the start, and is still the result.
  Instance Singletons = instanceOf(2, {{0}, {1}});
  SetCoverLS Empty;
  Empty.setTSParametres(1000, 50, 0, 10, true, false);
  Empty.minimalSC(Singletons.Cells.get(), 2, 2, 1);
  EXPECT_EQ(selectedOf(Empty), (std::vector<int>{0, 1}));

  // One set covers all: once it is removed, no set may be added or removed.
  Instance Whole = instanceOf(2, {{0, 1}});
  SetCoverLS One;
  One.setTSParametres(1000, 50, 0, 10, false, true);
  One.minimalSC(Whole.Cells.get(), 1, 2, 1);
  EXPECT_EQ(selectedOf(One), std::vector<int>{0});

  // No sets at all, with random steps: nothing to draw a set from.
  Instance NoSets = instanceOf(2, {});
  SetCoverLS None;
  None.setTSParametres(1000, 50, 100, 10, false, true);
  None.minimalSC(NoSets.Cells.get(), 0, 2, 1);
  EXPECT_EQ(None.getNrOfSelectedSets(), 0);

  // A variable in no set: the greedy start stays the result.
  Instance Orphan = instanceOf(3, {{0}, {0, 1}});
  SetCoverLS O;
  O.setTSParametres(1000, 50, 30, 10, false, true);
  O.minimalSC(Orphan.Cells.get(), 2, 3, 1);
  EXPECT_EQ(selectedOf(O), std::vector<int>{1});
}

TEST(SetCoverLS, ExtendedSearchesPrintProgress) {
  restPenalties();
  restUpperBound();
  Instance I = trap();
  SetCoverLS Sc;
  Sc.setTSParametres(100000, 30, 0, 10, false, false);
  Sc.lProblem = I.Cells.get();
  Sc.iNrOfSets = I.iSets;
  Sc.iNrOfVar = I.iVars;
  Sc.setVarSets();
  srand(1);
  testing::internal::CaptureStdout();
  Sc.localSearchSC();
  std::string Out = testing::internal::GetCapturedStdout();
  EXPECT_NE(Out.find("SOLUTION IS LEGAL   Sets:  "), std::string::npos);
  EXPECT_NE(Out.find("\n\n\nIMPROVEMNT in ITERATION:  "), std::string::npos);
  // The first step adds the set that leaves the fewest variables uncovered.
  EXPECT_EQ(Out.rfind("\nUncoveredVAr:   2       Sets:  1    Fitness: 3\n", 0), 0u);
  EXPECT_TRUE(coversAll(I, Sc));

  SetCoverLS Sc1;
  Sc1.setTSParametres(100000, 30, 0, 10, false, true);
  Sc1.lProblem = I.Cells.get();
  Sc1.iNrOfSets = I.iSets;
  Sc1.iNrOfVar = I.iVars;
  Sc1.setVarSets();
  testing::internal::CaptureStdout();
  Sc1.localSearchSC1();
  Out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(Out.rfind("****Greedy SOLUTION***** Fitness: 3  0  3\n", 0), 0u);
  EXPECT_EQ(Sc1.getNrOfSelectedSets(), 2);
}

TEST(SetCoverLS, PenaltyChangeAfterLongStagnation) {
  restPenalties();
  restUpperBound();
  // The optimum is the start; 50,000 iterations later the set penalty is
  // raised for ten iterations, then restored.
  Instance I = instanceOf(2, {{0}, {1}});
  SetCoverLS L;
  L.setTSParametres(1000000000, 50020, 0, 10, true, true);
  L.lProblem = I.Cells.get();
  L.iNrOfSets = 2;
  L.iNrOfVar = 2;
  L.setVarSets();
  testing::internal::CaptureStdout();
  L.localSearchSC();
  const std::string Out = testing::internal::GetCapturedStdout();
  const std::string Change = "***********CHANGE OF PENALTIES***********\n\n";
  ASSERT_NE(Out.find(Change), std::string::npos);
  EXPECT_EQ(Out.find(Change, Out.find(Change) + 1), std::string::npos);
  EXPECT_EQ(L.dFitness, 2.0);  // both sets, penalties back at 1.0
}
