// Set cover by greedy construction and penalty-weighted tabu search.
//
// The selection is kept with per-variable coverage counts, so a move (adding
// or removing one set) is evaluated and applied in time proportional to the
// size of the set. Each best-move step evaluates every set once; the tabu
// ring keeps per-set occurrence counts, so "is this set tabu" costs O(1).
#include "kivra/SetCoverLS.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <new>
#include <vector>

#include "kivra/Globals.h"

namespace kivra {

namespace {

// Penalties of the fitness, process-wide (changePenalties toggles them).
float PENALTY_FOR_VAR = 1.0f;
float PENALTY_FOR_SETS = 1.0f;
constexpr float PENALTY_FOR_SINGLECOVER = 0.0f;

// Kind of the searches' random step. 1, the only kind: one set drawn
// uniformly changes state (added when unselected, removed when selected).
constexpr int randomOption = 1;

// Upper bound on the number of selected sets while adding.
int uperBound = 100000;

// changePenalties: set means the next call raises the set penalty.
bool bPenaltiesAtRest = true;

// Write position of the tabu ring.
int iTabuRingCounter = 0;

// Best-move values: the start of the minimum search, and the value of a move
// that may not be made in this step (never chosen).
constexpr double dNoMoveYet = 100000000;
constexpr double dExcludedMove = 100000001;

constexpr const char* cNoMemory = "Error assigning memory.";

// Iterations without improvement at which the extended searches change the
// penalties for a while.
constexpr int iPenaltyPeriodSC = 50000;
constexpr int iPenaltyPeriodSC1 = 500000;

int* allocInts(long lCount, const char* cLocation) {
  int* Array = new (std::nothrow) int[lCount > 0 ? static_cast<std::size_t>(lCount) : 1];
  if (Array == nullptr) writeErrorMsg(cNoMemory, cLocation, true);
  return Array;
}

int* allocZeros(long lCount, const char* cLocation) {
  int* Array = allocInts(lCount, cLocation);
  std::fill(Array, Array + std::max(lCount, 0L), 0);
  return Array;
}

void replaceArray(int*& Array, int* NewArray) {
  delete[] Array;
  Array = NewArray;
}

int secondsSince(std::time_t tStart) { return static_cast<int>(std::difftime(std::time(nullptr), tStart)); }

// The set a random step changes (-1 when there are no sets), one draw.
int randomStepSet(int iSets) {
  static_assert(randomOption == 1, "a random step changes one set drawn at random");
  return iSets > 0 ? random_range(0, iSets - 1) : -1;
}

}  // namespace

SetCoverLS::SetCoverLS()
    : lProblem(nullptr),
      iSetsVar(nullptr),
      iSetsVarRange(nullptr),
      iVarSets(nullptr),
      iVarSetsRange(nullptr),
      iNrOfVar(0),
      iNrOfSets(0),
      iCoveredVar(nullptr),
      iNrVarCovBySingleSet(0),
      iNrOfCoveredVar(0),
      iSelectedSets(nullptr),
      iNumberOfSelectedSets(0),
      iUVarInSets(nullptr),
      iVarInSets(nullptr),
      lTabuList(nullptr),
      lFrequencyBasedMemory(nullptr),
      dFitness(0.0),
      iMaxNrNotImproves(700000),
      lNumberOfEvaluations(1000000000),
      intRandomProb(0),
      intTabuLength(10),
      bTSDeterministic(false),
      bInitialSolGreedy(true) {}

SetCoverLS::~SetCoverLS() {
  delete[] iSetsVar;
  delete[] iSetsVarRange;
  delete[] iVarSets;
  delete[] iVarSetsRange;
  delete[] iCoveredVar;
  delete[] iSelectedSets;
  delete[] iUVarInSets;
  delete[] iVarInSets;
  delete[] lFrequencyBasedMemory;
  releaseTabuList();
}

void SetCoverLS::setTSParametres(long lMaxNrOfEvaluations, int iNrOfMaxIterationsNoImprovment,
                                 int iProbForRandomMove, int iLengthOfTabuList, bool bIsTSDeterministic,
                                 bool bGenerateGreedyInitialSol) {
  lNumberOfEvaluations = lMaxNrOfEvaluations;
  iMaxNrNotImproves = iNrOfMaxIterationsNoImprovment;
  intRandomProb = iProbForRandomMove;
  intTabuLength = iLengthOfTabuList;
  bTSDeterministic = bIsTSDeterministic;
  bInitialSolGreedy = bGenerateGreedyInitialSol;
}

int SetCoverLS::minimalSC(bool* setCovMatrix, int iNumberOfSets, int iNumberOfVariables, int iSearchOption) {
  lProblem = setCovMatrix;
  iNrOfSets = iNumberOfSets;
  iNrOfVar = iNumberOfVariables;
  setVarSets();
  if (iSearchOption == 1) {
    localSearchSC2();
  } else if (iSearchOption == 2) {
    greedySetCover(DET_GREEDY);
  }
  return 0;
}

void SetCoverLS::setVarSets() {
  const char* cLocation = "SetCoverLS:setVarSets";
  const int iSets = std::max(iNrOfSets, 0);
  const int iVars = std::max(iNrOfVar, 0);
  // Sizes of the sets first, so that the sets' lists can be filled in the
  // same row-by-row pass as the variables' lists.
  std::vector<int> iNextOfSet(static_cast<std::size_t>(iSets), 0);
  long lEntries = 0;
  for (int v = 0; v < iVars; ++v) {
    const bool* Row = lProblem + static_cast<std::size_t>(v) * iSets;
    for (int s = 0; s < iSets; ++s) {
      if (Row[s]) {
        ++lEntries;
        ++iNextOfSet[s];
      }
    }
  }
  replaceArray(iSetsVar, allocInts(lEntries, cLocation));
  replaceArray(iVarSets, allocInts(lEntries, cLocation));
  replaceArray(iSetsVarRange, allocInts(2L * iSets, cLocation));
  replaceArray(iVarSetsRange, allocInts(2L * iVars, cLocation));

  int iNext = 0;
  for (int s = 0; s < iSets; ++s) {
    const int iSize = iNextOfSet[s];
    iSetsVarRange[2 * s] = iNext;
    iSetsVarRange[2 * s + 1] = iSize > 0 ? iNext + iSize - 1 : -1;
    iNextOfSet[s] = iNext;
    iNext += iSize;
  }
  iNext = 0;
  for (int v = 0; v < iVars; ++v) {
    const bool* Row = lProblem + static_cast<std::size_t>(v) * iSets;
    const int iFrom = iNext;
    for (int s = 0; s < iSets; ++s) {
      if (Row[s]) {
        iVarSets[iNext++] = s;
        iSetsVar[iNextOfSet[s]++] = v;
      }
    }
    iVarSetsRange[2 * v] = iFrom;
    iVarSetsRange[2 * v + 1] = iNext > iFrom ? iNext - 1 : -1;
  }
}

void SetCoverLS::emptySetCover() {
  const char* cLocation = "SetCoverLS:emptySetCover";
  replaceArray(iCoveredVar, allocZeros(iNrOfVar, cLocation));
  iNrOfCoveredVar = 0;
  iNrVarCovBySingleSet = 0;
  replaceArray(iSelectedSets, allocZeros(iNrOfSets, cLocation));
  iNumberOfSelectedSets = 0;
}

void SetCoverLS::greedySetCover(int iGreedyType) {
  const char* cLocation = "SetCoverLS:greedySetCover";
  replaceArray(iCoveredVar, allocZeros(iNrOfVar, cLocation));
  iNrVarCovBySingleSet = 0;
  iNrOfCoveredVar = 0;
  replaceArray(iSelectedSets, allocZeros(iNrOfSets, cLocation));
  iNumberOfSelectedSets = 0;
  replaceArray(iUVarInSets, allocInts(iNrOfSets, cLocation));
  replaceArray(iVarInSets, allocInts(iNrOfSets, cLocation));
  for (int s = 0; s < iNrOfSets; ++s) {
    const int iTo = iSetsVarRange[2 * s + 1];
    iUVarInSets[s] = iTo < 0 ? 0 : iTo - iSetsVarRange[2 * s] + 1;
    iVarInSets[s] = iUVarInSets[s];
  }

  for (;;) {
    int iBest = 0;
    int iChoice = 0;
    for (int s = 0; s < iNrOfSets; ++s) {
      if (iSelectedSets[s]) continue;
      if (iUVarInSets[s] > iBest) {
        iChoice = s;
        iBest = iUVarInSets[s];
      } else if (iUVarInSets[s] == iBest) {
        if (iGreedyType == MAX_GREEDY) {
          if (iVarInSets[s] > iVarInSets[iChoice]) iChoice = s;
        } else if (iGreedyType == RND_GREEDY) {
          if (random_range(0, 100) < 30) iChoice = s;
        }
      }
    }
    if (iBest == 0 || iNrOfCoveredVar == iNrOfVar) break;

    iSelectedSets[iChoice] = 1;
    ++iNumberOfSelectedSets;
    for (int i = iSetsVarRange[2 * iChoice]; i <= iSetsVarRange[2 * iChoice + 1]; ++i) {
      const int v = iSetsVar[i];
      if (iCoveredVar[v] == 0) {
        ++iNrOfCoveredVar;
        for (int j = iVarSetsRange[2 * v]; j <= iVarSetsRange[2 * v + 1]; ++j) {
          if (iUVarInSets[iVarSets[j]] > 0) --iUVarInSets[iVarSets[j]];
        }
        ++iNrVarCovBySingleSet;
      } else if (iCoveredVar[v] == 1) {
        --iNrVarCovBySingleSet;
      }
      ++iCoveredVar[v];
    }
  }
}

void SetCoverLS::greedySetCover1(int iGreedyType) {
  const char* cLocation = "SetCoverLS:greedySetCover1";
  // Coverage is a flag here (0 or 1); the single-cover count is not kept.
  replaceArray(iCoveredVar, allocZeros(iNrOfVar, cLocation));
  iNrOfCoveredVar = 0;
  replaceArray(iSelectedSets, allocZeros(iNrOfSets, cLocation));
  iNumberOfSelectedSets = 0;
  replaceArray(iUVarInSets, allocZeros(iNrOfSets, cLocation));
  replaceArray(iVarInSets, allocZeros(iNrOfSets, cLocation));
  for (int v = 0; v < iNrOfVar; ++v) {
    const bool* Row = lProblem + static_cast<std::size_t>(v) * iNrOfSets;
    for (int s = 0; s < iNrOfSets; ++s) {
      if (Row[s]) ++iVarInSets[s];
    }
  }
  std::copy(iVarInSets, iVarInSets + std::max(iNrOfSets, 0), iUVarInSets);

  int* iSnapshot = allocInts(iNrOfSets, cLocation);
  for (;;) {
    std::copy(iUVarInSets, iUVarInSets + std::max(iNrOfSets, 0), iSnapshot);
    int iBest = 0;
    int iChoice = 0;
    for (int s = 0; s < iNrOfSets; ++s) {
      if (iSelectedSets[s]) continue;
      if (iSnapshot[s] > iBest) {
        iChoice = s;
        iBest = iSnapshot[s];
      } else if (iSnapshot[s] == iBest) {
        if (iGreedyType == MAX_GREEDY) {
          if (iVarInSets[s] > iVarInSets[iChoice]) iChoice = s;
        } else if (iGreedyType == RND_GREEDY) {
          if (random_range(0, 100) < 50) iChoice = s;
        }
      }
    }
    if (iBest == 0 || iNrOfCoveredVar == iNrOfVar) break;

    for (int s = 0; s < iNrOfSets; ++s) {
      if (iSelectedSets[s] || iSnapshot[s] != iBest) continue;
      iSelectedSets[s] = 1;
      ++iNumberOfSelectedSets;
      for (int i = iSetsVarRange[2 * s]; i <= iSetsVarRange[2 * s + 1]; ++i) {
        const int v = iSetsVar[i];
        if (iCoveredVar[v] != 0) continue;
        iCoveredVar[v] = 1;
        ++iNrOfCoveredVar;
        for (int j = iVarSetsRange[2 * v]; j <= iVarSetsRange[2 * v + 1]; ++j) {
          if (iUVarInSets[iVarSets[j]] > 0) --iUVarInSets[iVarSets[j]];
        }
      }
    }
  }
  delete[] iSnapshot;
}

// ---------------------------------------------------------------------------
// Moves and fitness

namespace {

double fitnessOf(int iNrOfVar, int iCovered, int iSelected, int iSingle) {
  return (iNrOfVar - iCovered) * PENALTY_FOR_VAR + iSelected * PENALTY_FOR_SETS +
         iSingle * PENALTY_FOR_SINGLECOVER;
}

// Changes of the covered and single-cover counts when one more (or one
// fewer) selected set contains a variable now covered iCoverage times.
void addDelta(int iCoverage, int& iCovered, int& iSingle) {
  if (iCoverage == 0) {
    ++iCovered;
    ++iSingle;
  } else if (iCoverage == 1) {
    --iSingle;
  }
}

void removeDelta(int iCoverage, int& iCovered, int& iSingle) {
  if (iCoverage == 2) {
    ++iSingle;
  } else if (iCoverage == 1) {
    --iSingle;
    --iCovered;
  }
}

}  // namespace

void SetCoverLS::calculateFitness() {
  dFitness = fitnessOf(iNrOfVar, iNrOfCoveredVar, iNumberOfSelectedSets, iNrVarCovBySingleSet);
}

double SetCoverLS::calculateFitnessFromMove(int iSet, int iOption) {
  int iCovered = iNrOfCoveredVar;
  int iSingle = iNrVarCovBySingleSet;
  for (int i = iSetsVarRange[2 * iSet]; i <= iSetsVarRange[2 * iSet + 1]; ++i) {
    const int iCoverage = iCoveredVar[iSetsVar[i]];
    if (iOption > 0) {
      addDelta(iCoverage, iCovered, iSingle);
    } else {
      removeDelta(iCoverage, iCovered, iSingle);
    }
  }
  const int iSelected = iNumberOfSelectedSets + (iOption > 0 ? 1 : -1);
  return fitnessOf(iNrOfVar, iCovered, iSelected, iSingle);
}

void SetCoverLS::applyMove(int iSet, int iOption) {
  for (int i = iSetsVarRange[2 * iSet]; i <= iSetsVarRange[2 * iSet + 1]; ++i) {
    const int v = iSetsVar[i];
    if (iOption > 0) {
      addDelta(iCoveredVar[v], iNrOfCoveredVar, iNrVarCovBySingleSet);
      ++iCoveredVar[v];
    } else {
      removeDelta(iCoveredVar[v], iNrOfCoveredVar, iNrVarCovBySingleSet);
      --iCoveredVar[v];
    }
  }
  if (iOption > 0) {
    ++iNumberOfSelectedSets;
    iSelectedSets[iSet] = 1;
  } else {
    --iNumberOfSelectedSets;
    iSelectedSets[iSet] = 0;
  }
}

void SetCoverLS::DoMove(int iSet, int iOption) {
  applyMove(iSet, iOption);
  if (lFrequencyBasedMemory != nullptr) ++lFrequencyBasedMemory[iSet];
  calculateFitness();
}

void SetCoverLS::DoSwapMove(int iSet1, int iSet2) {
  applyMove(iSet1, -1);
  applyMove(iSet2, 1);
  if (lFrequencyBasedMemory != nullptr) {
    ++lFrequencyBasedMemory[iSet1];
    ++lFrequencyBasedMemory[iSet2];
  }
  calculateFitness();
}

double SetCoverLS::calculateFitnessFromSwapMove(int iSet1, int iSet2) {
  // Variables in both sets keep their coverage.
  int iCovered = iNrOfCoveredVar;
  int iSingle = iNrVarCovBySingleSet;
  const std::size_t iRow = static_cast<std::size_t>(iNrOfSets);
  for (int i = iSetsVarRange[2 * iSet1]; i <= iSetsVarRange[2 * iSet1 + 1]; ++i) {
    const int v = iSetsVar[i];
    if (!lProblem[v * iRow + iSet2]) removeDelta(iCoveredVar[v], iCovered, iSingle);
  }
  for (int i = iSetsVarRange[2 * iSet2]; i <= iSetsVarRange[2 * iSet2 + 1]; ++i) {
    const int v = iSetsVar[i];
    if (!lProblem[v * iRow + iSet1]) addDelta(iCoveredVar[v], iCovered, iSingle);
  }
  return fitnessOf(iNrOfVar, iCovered, iNumberOfSelectedSets, iSingle);
}

void SetCoverLS::changePenalties() {
  if (bPenaltiesAtRest) {
    PENALTY_FOR_VAR = 1.0f;
    PENALTY_FOR_SETS = 2.0f;
    bPenaltiesAtRest = false;
  } else {
    PENALTY_FOR_VAR = 1.0f;
    PENALTY_FOR_SETS = 1.0f;
    bPenaltiesAtRest = true;
  }
}

int SetCoverLS::isSolutionTabu(int iSet) {
  if (lTabuList == nullptr || intTabuLength < 1) return 0;
  if (iTabuCount != nullptr && iSet >= 0 && iSet < iNrOfSets) return iTabuCount[iSet] > 0 ? 1 : 0;
  for (int i = 0; i < intTabuLength; ++i) {
    if (lTabuList[i] == iSet) return 1;
  }
  return 0;
}

void SetCoverLS::updateTabuList(int iSet) {
  // Without a ring there is nothing to write (and no length to wrap by).
  if (lTabuList == nullptr || intTabuLength < 1) return;
  const int iPos = iTabuRingCounter % intTabuLength;
  if (iTabuCount != nullptr) {
    const int iOld = lTabuList[iPos];
    if (iOld >= 0 && iOld < iNrOfSets) --iTabuCount[iOld];
    if (iOld == -1) --iTabuNoMoveSlots;
    if (iSet >= 0 && iSet < iNrOfSets) ++iTabuCount[iSet];
    if (iSet == -1) ++iTabuNoMoveSlots;
  }
  lTabuList[iPos] = iSet;
  iTabuRingCounter = iPos + 1;
}

void SetCoverLS::allocTabuList(const char* cLocation) {
  releaseTabuList();
  lTabuList = allocInts(intTabuLength, cLocation);
  std::fill(lTabuList, lTabuList + std::max(intTabuLength, 0), -1);
  iTabuCount = allocZeros(iNrOfSets, cLocation);
  iTabuNoMoveSlots = std::max(intTabuLength, 0);
}

void SetCoverLS::releaseTabuList() {
  delete[] lTabuList;
  lTabuList = nullptr;
  delete[] iTabuCount;
  iTabuCount = nullptr;
  iTabuNoMoveSlots = 0;
}

void SetCoverLS::iCheckSolution() {
  int iUncovered = 0;
  for (int v = 0; v < iNrOfVar; ++v) {
    bool bCovered = false;
    for (int j = iVarSetsRange[2 * v]; j <= iVarSetsRange[2 * v + 1] && !bCovered; ++j) {
      bCovered = iSelectedSets != nullptr && iSelectedSets[iVarSets[j]] != 0;
    }
    if (!bCovered) ++iUncovered;
  }
  int iSets = 0;
  for (int s = 0; s < iNrOfSets && iSelectedSets != nullptr; ++s) {
    if (iSelectedSets[s]) ++iSets;
  }
  if (iUncovered == 0) {
    std::cout << "SOLUTION IS LEGAL" << "   Sets:  " << iSets << "\n";
  } else {
    std::cout << "\n" << "SOLUTION IS NOT LEGAL" << "\n" << " NOT COV VAR " << iUncovered << "      Sets:  " << iSets
              << "\n";
  }
}

// ---------------------------------------------------------------------------
// Searches

void SetCoverLS::startSelection() {
  if (bInitialSolGreedy) {
    greedySetCover(DET_GREEDY);
  } else {
    emptySetCover();
  }
}

void SetCoverLS::installSelection(const int* iBestSelected) {
  // The coverage is rebuilt from the selection, so that the object is left
  // consistent for further moves and checks.
  std::copy(iBestSelected, iBestSelected + std::max(iNrOfSets, 0), iSelectedSets);
  std::fill(iCoveredVar, iCoveredVar + std::max(iNrOfVar, 0), 0);
  iNrOfCoveredVar = 0;
  iNrVarCovBySingleSet = 0;
  iNumberOfSelectedSets = 0;
  for (int s = 0; s < iNrOfSets; ++s) {
    if (iSelectedSets[s]) applyMove(s, 1);
  }
  calculateFitness();
}

int SetCoverLS::localSearchSC2() {
  const std::time_t tStart = std::time(nullptr);
  const int iSets = std::max(iNrOfSets, 0);
  // Per set, the last iteration in which it contained a variable that a
  // removal left uncovered; -1 before any.
  int* iConnectedSets = allocInts(iSets, "SetCoverLS:localSearchSC1");
  std::fill(iConnectedSets, iConnectedSets + iSets, -1);
  int* iBestSelected = allocInts(iSets, "SetCoverLS:localSearchSC");

  int iResult = 0;
  startSelection();
  bool bLegal = bInitialSolGreedy;
  if (bInitialSolGreedy) iResult = secondsSince(tStart);
  calculateFitness();
  std::copy(iSelectedSets, iSelectedSets + iSets, iBestSelected);
  double dBestFitness = dFitness;

  intTabuLength = static_cast<int>(intTabuLength / 100.0 * iNumberOfSelectedSets) + 1;
  allocTabuList("SetCoverLS:localSearchSC2");
  replaceArray(lFrequencyBasedMemory, allocZeros(iSets, "SetCoverLS:localSearchSC2"));
  uperBound = iNumberOfSelectedSets > 0 ? iNumberOfSelectedSets - 1 : 10000;
  double dIterationBest = dFitness;

  long lEvaluations = 0;
  int iNotImproved = 0;
  bool bLastIteratImproved = false;
  for (int t = 0; lEvaluations < lNumberOfEvaluations && iNotImproved < iMaxNrNotImproves; ++t) {
    bool bImproving = false;
    int iSet = -1;
    if (random_range(0, 100) < intRandomProb) {
      // Random steps wait until the ring holds real moves only.
      if (iTabuNoMoveSlots == 0) iSet = randomStepSet(iSets);
    } else {
      double dBestMove = dNoMoveYet;
      const bool bMayAdd = iNumberOfSelectedSets < uperBound;
      for (int s = 0; s < iSets; ++s) {
        double dValue;
        if (iSelectedSets[s]) {
          dValue = calculateFitnessFromMove(s, -1);
          ++lEvaluations;
        } else if (!bMayAdd || (bLastIteratImproved && iConnectedSets[s] != t - 1)) {
          dValue = dExcludedMove;
        } else {
          dValue = calculateFitnessFromMove(s, 1);
          ++lEvaluations;
        }
        // A tabu set is taken only when it beats the best so far (aspiration).
        if (intTabuLength >= 1 && isSolutionTabu(s) && !(dValue < dIterationBest)) continue;
        if (dValue < dBestMove) {
          iSet = s;
          dBestMove = dValue;
        } else if (dValue == dBestMove && !bTSDeterministic && rand() % 10 < 1) {
          iSet = s;
        }
        if (dValue < dIterationBest) {
          bImproving = true;
          dIterationBest = dValue;
        }
      }
    }

    // No set may be moved when every candidate is tabu or barred; the step
    // then makes no move, like a random step that waits.
    if (iSet >= 0) {
      if (iSelectedSets[iSet]) {
        DoMove(iSet, -1);
        for (int i = iSetsVarRange[2 * iSet]; i <= iSetsVarRange[2 * iSet + 1]; ++i) {
          const int v = iSetsVar[i];
          if (iCoveredVar[v] != 0) continue;
          for (int j = iVarSetsRange[2 * v]; j <= iVarSetsRange[2 * v + 1]; ++j) iConnectedSets[iVarSets[j]] = t;
        }
        if (bLegal) bLastIteratImproved = true;
      } else {
        DoMove(iSet, 1);
        bLastIteratImproved = false;
      }
    }

    // The first cover found is kept even when it is not cheaper than the
    // start: from the empty selection, a cover of as many sets as there are
    // variables scores no better than covering nothing, and keeping only
    // cheaper ones would end the search on a selection that covers nothing.
    if (iNrOfCoveredVar == iNrOfVar && (dFitness < dBestFitness || !bLegal)) {
      std::copy(iSelectedSets, iSelectedSets + iSets, iBestSelected);
      dBestFitness = dFitness;
      uperBound = iNumberOfSelectedSets - 1;
      dIterationBest = dFitness;
      iResult = secondsSince(tStart);
      bLegal = true;
    }

    updateTabuList(iSet);
    ++iNotImproved;
    if (bImproving) iNotImproved = 0;
  }

  installSelection(iBestSelected);
  delete[] iConnectedSets;
  delete[] iBestSelected;
  releaseTabuList();
  return iResult;
}

void SetCoverLS::localSearchSC() { extendedSearch(false); }

int SetCoverLS::localSearchSC1() { return extendedSearch(true); }

// The extended searches add to the moves of localSearchSC2:
// - swap moves (remove one selected set, add one unselected set), evaluated
//   in the best-move steps in which no set may be added;
// - a phase best: in iterations whose cycle count modulo 200 is 3 or more the
//   best selection of the phase is kept; at 0 it is installed again. While it
//   is held, best-move steps alternate between only removals and only
//   additions;
// - penalty changes: after every iPenaltyPeriod iterations without
//   improvement the set penalty is raised for 10 iterations.
int SetCoverLS::extendedSearch(bool bVariant1) {
  const char* cLocation = bVariant1 ? "SetCoverLS:localSearchSC1" : "SetCoverLS:localSearchSC";
  const int iPenaltyPeriod = bVariant1 ? iPenaltyPeriodSC1 : iPenaltyPeriodSC;
  const std::time_t tStart = std::time(nullptr);
  const int iSets = std::max(iNrOfSets, 0);
  const int iVars = std::max(iNrOfVar, 0);

  int iResult = 0;
  startSelection();
  bool bLegal = bInitialSolGreedy;
  if (bInitialSolGreedy) iResult = secondsSince(tStart);
  calculateFitness();
  if (bVariant1 && bInitialSolGreedy) {
    std::cout << "****Greedy SOLUTION***** Fitness: " << dFitness << "  " << iNrOfVar - iNrOfCoveredVar << "  "
              << iNumberOfSelectedSets << "\n";
  }

  int* iConnectedSets = allocInts(iSets, cLocation);
  std::fill(iConnectedSets, iConnectedSets + iSets, -1);
  int* iBestSelected = allocInts(iSets, cLocation);
  int* iPhaseSelected = allocInts(iSets, cLocation);
  int* iPhaseCovered = allocInts(iVars, cLocation);
  std::copy(iSelectedSets, iSelectedSets + iSets, iBestSelected);
  double dBestFitness = dFitness;

  if (bVariant1) {
    intTabuLength = static_cast<int>(intTabuLength / 100.0 * iNumberOfSelectedSets) + 1;
    uperBound = iNumberOfSelectedSets > 0 ? iNumberOfSelectedSets - 1 : 10000;
  } else if (intTabuLength < 1) {
    intTabuLength = 1;
  }
  allocTabuList(cLocation);
  replaceArray(lFrequencyBasedMemory, allocZeros(iSets, cLocation));
  double dIterationBest = dFitness;

  // Saved phase best.
  bool bPhaseHeld = false;
  int iPhaseNrCovered = 0;
  int iPhaseNrSingle = 0;
  int iPhaseNrSelected = 0;
  double dPhaseFitness = 0.0;
  auto savePhase = [&]() {
    std::copy(iSelectedSets, iSelectedSets + iSets, iPhaseSelected);
    std::copy(iCoveredVar, iCoveredVar + iVars, iPhaseCovered);
    iPhaseNrCovered = iNrOfCoveredVar;
    iPhaseNrSingle = iNrVarCovBySingleSet;
    iPhaseNrSelected = iNumberOfSelectedSets;
    dPhaseFitness = dFitness;
  };

  long lCycle = 0;
  long lPenaltyCounter = 0;
  bool bPenaltiesChanged = false;
  bool bRemovalTurn = true;
  long lEvaluations = 0;
  int iNotImproved = 0;
  bool bLastIteratImproved = false;
  for (int t = 0; lEvaluations < lNumberOfEvaluations && iNotImproved < iMaxNrNotImproves; ++t) {
    ++lCycle;
    if (lCycle % 200 >= 3) {
      if (!bPhaseHeld || dFitness < dPhaseFitness) savePhase();
      bPhaseHeld = true;
    } else if (bPhaseHeld) {
      std::copy(iPhaseSelected, iPhaseSelected + iSets, iSelectedSets);
      std::copy(iPhaseCovered, iPhaseCovered + iVars, iCoveredVar);
      iNrOfCoveredVar = iPhaseNrCovered;
      iNrVarCovBySingleSet = iPhaseNrSingle;
      iNumberOfSelectedSets = iPhaseNrSelected;
      // Recomputed rather than copied: the penalties may have changed since.
      calculateFitness();
      bPhaseHeld = false;
    }

    if (!bPenaltiesChanged && iNotImproved > 0 && iNotImproved % iPenaltyPeriod == 0) {
      changePenalties();
      calculateFitness();
      bPenaltiesChanged = true;
    }
    if (bPenaltiesChanged && ++lPenaltyCounter % 10 == 0) {
      changePenalties();
      calculateFitness();
      std::cout << "***********CHANGE OF PENALTIES***********" << "\n\n";
      bPenaltiesChanged = false;
    }

    bool bImproving = false;
    int iSet = -1;
    int iSwapIn = -1;
    if (random_range(0, 100) < intRandomProb) {
      iSet = randomStepSet(iSets);
    } else {
      // 0: as localSearchSC2; 1: removals only; 2: additions only.
      int iKind = 0;
      if (bPhaseHeld) {
        iKind = bRemovalTurn ? 1 : 2;
        bRemovalTurn = !bRemovalTurn;
      }
      const bool bMayAdd = iKind == 2 || (iKind == 0 && iNumberOfSelectedSets < uperBound);
      double dBestMove = dNoMoveYet;
      auto consider = [&](double dValue, bool bTabu, int iFirst, int iSecond) {
        if (intTabuLength >= 1 && bTabu && !(dValue < dIterationBest)) return;
        const bool bTie = dValue == dBestMove && !bTSDeterministic &&
                          (bVariant1 ? rand() % 10 < 1 : rand() % 10 <= 3);
        if (dValue < dBestMove || bTie) {
          iSet = iFirst;
          iSwapIn = iSecond;
          dBestMove = std::min(dBestMove, dValue);
        }
        if (dValue < dIterationBest) {
          bImproving = true;
          dIterationBest = dValue;
        }
      };
      for (int s = 0; s < iSets; ++s) {
        double dValue = dExcludedMove;
        if (iSelectedSets[s]) {
          if (iKind != 2) {
            dValue = calculateFitnessFromMove(s, -1);
            ++lEvaluations;
          }
        } else if (bMayAdd && (iKind == 2 || !bLastIteratImproved || iConnectedSets[s] == t - 1)) {
          dValue = calculateFitnessFromMove(s, 1);
          ++lEvaluations;
        }
        consider(dValue, isSolutionTabu(s) != 0, s, -1);
      }
      if (iKind == 0 && !bMayAdd) {
        for (int s1 = 0; s1 < iSets; ++s1) {
          if (!iSelectedSets[s1]) continue;
          for (int s2 = 0; s2 < iSets; ++s2) {
            if (iSelectedSets[s2]) continue;
            const double dValue = calculateFitnessFromSwapMove(s1, s2);
            ++lEvaluations;
            consider(dValue, isSolutionTabu(s1) || isSolutionTabu(s2), s1, s2);
          }
        }
      }
    }

    if (iSet >= 0) {
      const bool bRemoves = iSelectedSets[iSet] != 0;
      if (iSwapIn >= 0) {
        DoSwapMove(iSet, iSwapIn);
      } else {
        DoMove(iSet, bRemoves ? -1 : 1);
      }
      if (bRemoves) {
        for (int i = iSetsVarRange[2 * iSet]; i <= iSetsVarRange[2 * iSet + 1]; ++i) {
          const int v = iSetsVar[i];
          if (iCoveredVar[v] != 0) continue;
          for (int j = iVarSetsRange[2 * v]; j <= iVarSetsRange[2 * v + 1]; ++j) iConnectedSets[iVarSets[j]] = t;
        }
      }
      if (bRemoves && iSwapIn < 0) {
        if (bLegal) bLastIteratImproved = true;
      } else {
        bLastIteratImproved = false;
      }
    }

    // As in localSearchSC2, the first cover is kept even when it is not
    // cheaper than the start.
    if (iNrOfCoveredVar == iNrOfVar && (dFitness < dBestFitness || !bLegal)) {
      iCheckSolution();
      std::copy(iSelectedSets, iSelectedSets + iSets, iBestSelected);
      dBestFitness = dFitness;
      uperBound = iNumberOfSelectedSets - 1;
      dIterationBest = dFitness;
      iResult = secondsSince(tStart);
      bLegal = true;
      std::cout << "\n"
                << "UncoveredVAr:   " << iNrOfVar - iNrOfCoveredVar << "       Sets:  " << iNumberOfSelectedSets
                << "  " << dFitness << "\n\n\n"
                << "IMPROVEMNT in ITERATION:  " << t + 1 << "\n\n";
    }

    updateTabuList(iSet);
    if (iSwapIn >= 0) updateTabuList(iSwapIn);
    ++iNotImproved;
    if (bImproving) iNotImproved = 0;
    std::cout << "\n"
              << "UncoveredVAr:   " << iNrOfVar - iNrOfCoveredVar << "       Sets:  " << iNumberOfSelectedSets
              << "    Fitness: " << dFitness << "\n";
  }

  installSelection(iBestSelected);
  delete[] iConnectedSets;
  delete[] iBestSelected;
  delete[] iPhaseSelected;
  delete[] iPhaseCovered;
  releaseTabuList();
  return iResult;
}

}  // namespace kivra
