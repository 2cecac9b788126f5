// Set-cover local search: greedy tie-breaks and their random draws, move
// bookkeeping against recomputation, the tabu search against brute force,
// small and degenerate instances with their check lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "kivra/SetCoverLS.h"

using kivra::SetCoverLS;

namespace {

// A matrix of iVars rows by iSets columns, and per variable the bit mask of
// the sets that hold it.
struct Instance {
  Instance(int iVariables, const std::vector<std::vector<int>>& Sets)
      : iVars(iVariables), iSets(static_cast<int>(Sets.size())), Cells(static_cast<size_t>(iVars * iSets + 1)),
        SetsOf(static_cast<size_t>(iVars)) {
    for (int s = 0; s < iSets; ++s)
      for (int v : Sets[static_cast<size_t>(s)]) SetsOf[static_cast<size_t>(v)] |= 1u << s;
    for (int v = 0; v < iVars; ++v)
      for (int s = 0; s < iSets; ++s)
        Cells[static_cast<size_t>(v * iSets + s)] = SetsOf[static_cast<size_t>(v)] >> s & 1;
  }
  bool* cells() { return reinterpret_cast<bool*>(Cells.data()); }
  bool coversAll(unsigned Mask) const {
    return std::all_of(SetsOf.begin(), SetsOf.end(), [Mask](unsigned x) { return (x & Mask) != 0; });
  }
  int iVars, iSets;
  std::vector<char> Cells;
  std::vector<unsigned> SetsOf;
};

// Every variable in a random home set, and in each other set with chance 1/4.
Instance randomInstance(std::mt19937& Gen, int iVars, int iSets) {
  std::vector<std::vector<int>> Sets(static_cast<size_t>(iSets));
  for (int v = 0; v < iVars; ++v)
    for (int s = 0, iHome = static_cast<int>(Gen() % iSets); s < iSets; ++s)
      if (s == iHome || Gen() % 4 == 0) Sets[static_cast<size_t>(s)].push_back(v);
  return Instance(iVars, Sets);
}

// Bit s set when set s is selected.
unsigned selected(const SetCoverLS& L) {
  unsigned Mask = 0;
  for (int s = 0; s < L.iNrOfSets; ++s) Mask |= L.iSelectedSets[s] ? 1u << s : 0u;
  return Mask;
}

}  // namespace

TEST(SetCoverLS, GreedyTieBreaksAndDraws) {
  // Ties: sets 0 and 2 tie first (keep 0); then 1 and 2 tie on one uncovered
  // variable, and MAX_GREEDY prefers the larger set 2. Random ties draw once
  // per tie: singletons tie in the first two rounds (2 + 1 draws); an empty
  // set before a non-empty one ties at count 0.
  Instance Ties(4, {{0, 1, 2}, {3}, {1, 2, 3}}), Singles(3, {{0}, {1}, {2}}), Empty(1, {{}, {0}});
  using Case = std::tuple<Instance*, int, int, unsigned>;  // instance, tie rule, draws, selection
  for (auto [I, iType, iDraws, Expected] :
       {Case{&Ties, SetCoverLS::DET_GREEDY, 0, 0b011}, Case{&Ties, SetCoverLS::MAX_GREEDY, 0, 0b101},
        Case{&Singles, SetCoverLS::RND_GREEDY, 3, 0b111}, Case{&Empty, SetCoverLS::RND_GREEDY, 2, 0b10},
        Case{&Empty, SetCoverLS::DET_GREEDY, 0, 0b10}}) {
    SetCoverLS L;
    L.minimalSC(I->cells(), I->iSets, I->iVars, 0);
    srand(11);
    L.greedySetCover(iType);
    const int iNext = rand();
    srand(11);
    for (int k = 0; k < iDraws; ++k) rand();
    EXPECT_EQ(iNext, rand());
    EXPECT_EQ(selected(L), Expected);
  }
}

TEST(SetCoverLS, MovesMatchRecomputationAndPredictions) {
  std::mt19937 Gen(5);
  Instance I = randomInstance(Gen, 12, 9);
  SetCoverLS L;
  L.minimalSC(I.cells(), 9, 12, 0);
  L.emptySetCover();
  L.lFrequencyBasedMemory = new int[9]();
  for (int k = 0; k < 200; ++k) {
    const int a = static_cast<int>(Gen() % 9), b = static_cast<int>(Gen() % 9);
    const bool bSwap = L.iSelectedSets[a] && !L.iSelectedSets[b];
    const int iOption = L.iSelectedSets[a] ? -1 : 1;
    const double dPredicted = bSwap ? L.calculateFitnessFromSwapMove(a, b) : L.calculateFitnessFromMove(a, iOption);
    bSwap ? L.DoSwapMove(a, b) : L.DoMove(a, iOption);
    ASSERT_EQ(L.dFitness, dPredicted);
    const unsigned Mask = selected(L);
    int iCovered = 0, iSingle = 0;
    for (int v = 0; v < 12; ++v) {
      const int iCount = __builtin_popcount(I.SetsOf[static_cast<size_t>(v)] & Mask);
      ASSERT_EQ(L.iCoveredVar[v], iCount);
      iCovered += iCount > 0;
      iSingle += iCount == 1;
    }
    ASSERT_EQ(L.iNrOfCoveredVar, iCovered);
    ASSERT_EQ(L.iNrVarCovBySingleSet, iSingle);
    ASSERT_EQ(L.iNumberOfSelectedSets, __builtin_popcount(Mask));
    ASSERT_EQ(L.dFitness, 12 - iCovered + __builtin_popcount(Mask));  // penalties (1, 1)
  }
}

TEST(SetCoverLS, TabuSearchAgainstBruteForceAndGreedy) {
  std::mt19937 Gen(17);
  for (int iRound = 0; iRound < 12; ++iRound) {
    const int iVars = 4 + static_cast<int>(Gen() % 8), iSets = 3 + static_cast<int>(Gen() % 8);
    Instance I = randomInstance(Gen, iVars, iSets);
    int iOptimum = iSets;
    for (unsigned m = 0; m < (1u << iSets); ++m)
      if (I.coversAll(m)) iOptimum = std::min(iOptimum, __builtin_popcount(m));
    SetCoverLS Greedy;
    Greedy.minimalSC(I.cells(), iSets, iVars, 2);
    for (bool bGreedyStart : {true, false}) {
      SetCoverLS T;
      T.setTSParametres(200000, 300, 20, 10, false, bGreedyStart);
      srand(100 + static_cast<unsigned>(iRound));
      T.minimalSC(I.cells(), iSets, iVars, 1);
      ASSERT_TRUE(I.coversAll(selected(T))) << "round " << iRound << " greedy start " << bGreedyStart;
      EXPECT_GE(T.getNrOfSelectedSets(), iOptimum);
      EXPECT_LE(T.getNrOfSelectedSets(), bGreedyStart ? Greedy.getNrOfSelectedSets() : iSets);
    }
  }
}

TEST(SetCoverLS, SmallInstancesAndCheckLines) {
  // The greedy trap (its largest set is not in the optimum); from the empty
  // selection, two singletons (their cover is no cheaper than the empty
  // start, yet it is the result: a cover beats a start that covers
  // nothing); one set covering
  // all; no sets at all with random steps; a variable in no set, where the
  // greedy start stays the result.
  using Case = std::tuple<Instance, int, bool, unsigned, const char*>;  // random %, greedy start, selection, check line
  for (auto [I, iRandomProb, bGreedyStart, Expected, cCheck] :
       {Case{{6, {{0, 1, 3, 4}, {0, 1, 2}, {3, 4, 5}}}, 0, true, 0b110, "SOLUTION IS LEGAL   Sets:  2\n"},
        Case{{2, {{0}, {1}}}, 0, false, 0b11, "SOLUTION IS LEGAL   Sets:  2\n"},
        Case{{2, {{0, 1}}}, 0, true, 0b1, "SOLUTION IS LEGAL   Sets:  1\n"},
        Case{{2, {}}, 100, true, 0, "\nSOLUTION IS NOT LEGAL\n NOT COV VAR 2      Sets:  0\n"},
        Case{{3, {{0}, {0, 1}}}, 30, true, 0b10, "\nSOLUTION IS NOT LEGAL\n NOT COV VAR 1      Sets:  1\n"}}) {
    SetCoverLS L;
    L.setTSParametres(1000, 50, iRandomProb, 10, false, bGreedyStart);
    L.minimalSC(I.cells(), I.iSets, I.iVars, 1);
    EXPECT_EQ(selected(L), Expected);
    testing::internal::CaptureStdout();
    L.iCheckSolution();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), cCheck);
  }
}

TEST(SetCoverLS, ChangePenaltiesRaisesTheSetPenaltyAndRestoresIt) {
  Instance I(3, {{0}, {1}, {0, 1}});
  SetCoverLS L;
  L.minimalSC(I.cells(), 3, 3, 2);  // greedy: set 2 covers two variables, variable 2 stays uncovered
  ASSERT_EQ(selected(L), 0b100u);
  std::vector<double> Fitness;
  for (int k = 0; k < 3; ++k) {
    if (k > 0) L.changePenalties();
    L.calculateFitness();
    Fitness.push_back(L.dFitness);
  }
  // One uncovered variable at penalty 1 and one set at penalty 1 or 2; the
  // toggle is process-wide, so either state may come first.
  EXPECT_EQ(std::min(Fitness[0], Fitness[1]), 2.0);
  EXPECT_EQ(std::max(Fitness[0], Fitness[1]), 3.0);
  EXPECT_EQ(Fitness[2], Fitness[0]);
}

// The extended searches report every iteration (uncovered variables, sets,
// fitness) and every new best cover (the check line, then the cover with the
// iteration it was found in); from the greedy trap they find the cover of
// two sets. localSearchSC1 first reports the greedy start.
TEST(SetCoverLS, ExtendedSearchesReportIterationsAndImprovements) {
  Instance Trap(6, {{0, 1, 3, 4}, {0, 1, 2}, {3, 4, 5}});
  for (bool bVariant1 : {false, true}) {
    SCOPED_TRACE(bVariant1 ? "localSearchSC1" : "localSearchSC");
    SetCoverLS L;
    L.setTSParametres(100000, 40, 0, bVariant1 ? 100 : 2, false, true);
    L.minimalSC(Trap.cells(), 3, 6, 0);
    srand(3);
    testing::internal::CaptureStdout();
    if (bVariant1)
      L.localSearchSC1();
    else
      L.localSearchSC();
    const std::string Out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(selected(L), 0b110u);
    if (bVariant1) {
      EXPECT_TRUE(Out.starts_with("****Greedy SOLUTION***** Fitness: 3  0  3\n")) << Out.substr(0, 80);
    }
    const std::regex Iteration("\nUncoveredVAr:   (\\d+)       Sets:  (\\d+)    Fitness: ([0-9.]+)\n");
    int iIterations = 0;
    for (std::sregex_iterator It(Out.begin(), Out.end(), Iteration), End; It != End; ++It, ++iIterations) {
      const int iUncovered = std::stoi((*It)[1]), iSets = std::stoi((*It)[2]);
      const double dFitness = std::stod((*It)[3]);
      EXPECT_TRUE(dFitness == iUncovered + iSets || dFitness == iUncovered + 2 * iSets) << It->str();
    }
    EXPECT_GE(iIterations, 40);
    const std::regex Improvement(
        "SOLUTION IS LEGAL   Sets:  (\\d+)\n\nUncoveredVAr:   0       Sets:  (\\d+)  (\\d+)\n\n\n"
        "IMPROVEMNT in ITERATION:  (\\d+)\n\n");
    std::vector<int> Sizes, Iterations;
    for (std::sregex_iterator It(Out.begin(), Out.end(), Improvement), End; It != End; ++It) {
      EXPECT_EQ((*It)[1], (*It)[2]);
      Sizes.push_back(std::stoi((*It)[2]));
      Iterations.push_back(std::stoi((*It)[4]));
    }
    ASSERT_FALSE(Sizes.empty());
    EXPECT_EQ(Sizes.back(), 2);
    EXPECT_TRUE(std::is_sorted(Iterations.begin(), Iterations.end()));
  }
}
