// Set cover by greedy construction and penalty-weighted tabu search over a
// 0/1 matrix of variables x sets: choose few sets so that every variable lies
// in a chosen set.
#pragma once

namespace kivra {

// One object solves one instance through minimalSC(). The matrix stays owned
// by the caller and must outlive the object's use of it; every other array
// is owned by the object and released by its destructor.
//
// The fitness of a selection (smaller is better) is
//   uncovered variables x PENALTY_FOR_VAR + selected sets x PENALTY_FOR_SETS
//   + variables covered exactly once x PENALTY_FOR_SINGLECOVER.
// The two penalties, the toggle of changePenalties(), the write position of
// the tabu ring and the upper bound on the number of selected sets while
// adding are process-wide: they keep their values from one object to the
// next (localSearchSC2() and localSearchSC1() reset the upper bound).
//
// Output: localSearchSC(), localSearchSC1() and iCheckSolution() write
// progress lines to standard output; allocation failures are fatal
// ("Error assigning memory.").
class SetCoverLS {
 public:
  // Greedy tie-break rules: keep the lowest-numbered set, replace it at
  // random, or prefer the larger set.
  static constexpr int DET_GREEDY = 1;
  static constexpr int RND_GREEDY = 2;
  static constexpr int MAX_GREEDY = 3;

  SetCoverLS();
  virtual ~SetCoverLS();

  SetCoverLS(const SetCoverLS&) = delete;
  SetCoverLS& operator=(const SetCoverLS&) = delete;

  // Sets, in this order, lNumberOfEvaluations, iMaxNrNotImproves,
  // intRandomProb, intTabuLength, bTSDeterministic and bInitialSolGreedy.
  void setTSParametres(long lMaxNrOfEvaluations, int iNrOfMaxIterationsNoImprovment, int iProbForRandomMove,
                       int iLengthOfTabuList, bool bIsTSDeterministic, bool bGenerateGreedyInitialSol);

  // Solves the instance setCovMatrix (iNumberOfVariables rows of
  // iNumberOfSets entries; entry (v, s) is true when set s contains v).
  // iSearchOption 1: tabu search (localSearchSC2); 2: deterministic greedy
  // cover; any other value only builds the set/variable lists. Returns 0; the
  // result is read from getNrOfSelectedSets() and iSelectedSets.
  int minimalSC(bool* setCovMatrix, int iNumberOfSets, int iNumberOfVariables, int iSearchOption);

  int getNrOfSelectedSets() const { return iNumberOfSelectedSets; }
  // Declared only; there is no definition, so a call does not link.
  int getNrOfUncovVar();
  bool isSetSelected(int iSet);

  // Builds the variable lists of the sets and the set lists of the variables
  // from lProblem.
  void setVarSets();
  // The empty selection: no set selected, no variable covered.
  void emptySetCover();
  // Greedy cover: repeatedly selects the set with the most uncovered
  // variables until no set adds any; ties as iGreedyType says.
  void greedySetCover(int iGreedyType);
  // Batch greedy: per round, selects every set that has the round's best
  // number of uncovered variables.
  void greedySetCover1(int iGreedyType);
  // Tabu search with single add/remove moves from the greedy (or empty)
  // start; installs the best cover found. Returns the whole seconds from its
  // start to its last new best cover.
  int localSearchSC2();
  // Extended searches with swap moves, a periodically restored phase best
  // and temporary penalty changes; they print their progress.
  void localSearchSC();
  int localSearchSC1();
  // Prints whether the selection covers every variable, with the number of
  // selected sets (and of uncovered variables when it does not).
  void iCheckSolution();

  // Moves: iOption +1 adds iSet, -1 removes it.
  void calculateFitness();
  double calculateFitnessFromMove(int iSet, int iOption);
  void DoMove(int iSet, int iOption);
  // Removes iSet1 and adds iSet2.
  void DoSwapMove(int iSet1, int iSet2);
  double calculateFitnessFromSwapMove(int iSet1, int iSet2);
  // Alternates the penalties between (var 1.0, sets 2.0) and (1.0, 1.0);
  // the first call of the process gives (1.0, 2.0).
  void changePenalties();
  // Whether iSet is in the tabu ring.
  int isSolutionTabu(int iSet);
  // Writes iSet at the next position of the tabu ring.
  void updateTabuList(int iSet);

  bool* lProblem;               // the matrix, not owned
  int* iSetsVar;                // the variables of each set, set after set
  int* iSetsVarRange;           // per set: [from, to] in iSetsVar, to = -1 when empty
  int* iVarSets;                // the sets of each variable, variable after variable
  int* iVarSetsRange;           // per variable: [from, to] in iVarSets, to = -1 when empty
  int iNrOfVar;
  int iNrOfSets;
  int* iCoveredVar;             // per variable: number of selected sets containing it
  int iNrVarCovBySingleSet;     // variables covered exactly once
  int iNrOfCoveredVar;          // variables covered at least once
  int* iSelectedSets;           // per set: 1 when selected, else 0
  int iNumberOfSelectedSets;
  int* iUVarInSets;             // per set: its still uncovered variables (greedy)
  int* iVarInSets;              // per set: its size (greedy)
  int* lTabuList;               // ring of recently moved sets
  int* lFrequencyBasedMemory;   // per set: number of moves that touched it
  double dFitness;
  int iMaxNrNotImproves;        // stop after this many iterations without improvement
  long lNumberOfEvaluations;    // evaluation budget
  int intRandomProb;            // per cent chance of a random move
  int intTabuLength;            // searches turn it into a per cent of the start cover's size
  bool bTSDeterministic;        // false: ties are broken at random
  bool bInitialSolGreedy;       // start from the greedy cover, else from the empty selection

 private:
  // Applies the coverage change of adding (+1) or removing (-1) iSet.
  void applyMove(int iSet, int iOption);
  // The search behind localSearchSC (bVariant1 false) and localSearchSC1.
  int extendedSearch(bool bVariant1);
  // The start of every search: the greedy cover or the empty selection, as
  // bInitialSolGreedy says.
  void startSelection();
  // Installs iBestSelected as the selection, with its coverage and fitness.
  void installSelection(const int* iBestSelected);
  // Allocates the tabu ring of intTabuLength entries, all -1 (no move), and
  // its per-set occurrence counts; releaseTabuList() frees both.
  void allocTabuList(const char* cLocation);
  void releaseTabuList();

  // While a search runs: per set, how often it occurs in lTabuList, and how
  // many ring entries are -1, so that both questions take constant time.
  int* iTabuCount = nullptr;
  int iTabuNoMoveSlots = 0;
};

}  // namespace kivra
