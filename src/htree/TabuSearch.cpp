// Metaheuristics over elimination orderings. Every search works in place on
// a probSol, remembers the best ordering met in bestSetSolution, reinstalls
// it at the end (which recomputes its fitness) and returns the whole seconds
// from its start to its last new best.
//
// The frame of the tabu, Fiduccia-style, min-conflicts (both) and random
// walk searches: loop while the evaluation count is below
// lNumberOfEvaluations and fewer than iMaxNrNotImproves consecutive
// iterations went by without a new best. Simulated annealing and great
// deluge run their own restart loops; great deluge counts every attempt that
// brings no new best (rejected or accepted within its band) toward its end,
// so a flat landscape ends it too. All of them also stop on the wall-clock
// limits timeToStop (since the start) and timeWithImproveToStop (since the
// last new best), checked before every evaluation of a candidate, so that a
// search returns within its limit plus about one evaluation even when one
// iteration evaluates every node.
#include "kivra/TabuSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <new>
#include <vector>

#include "kivra/Globals.h"
#include "kivra/probSol.h"

namespace kivra {

int iMaxIterPerTemsperature = 10;
float fInitTemperature = 5.0f;
float fMinTemperature = 0.01f;
float fTempDecrease = 0.99f;
int iMaxRestarts = 5;
int iMaxInsideNoImprove = 10;
int iRandomNoiseProb = 10;
int Level = 0;
int UP = 1;
int DEV = 2;
int iGDRandomNoiseProb = 20;
int iGDMaxRestarts = 1;
int iGDMaxInsideNoImprove = 5;
bool mixPerturbation = true;
int iInitiPertSize = 5;
int maxPertSize = 8;
int initFitnessBound = 3;
int acceptedFitnessBound = initFitnessBound;

namespace {

// Write position of the ring tabu list, shared by all drivers.
int iRingPosition = 0;

// Wall-clock bookkeeping of one search.
class SearchClock {
 public:
  SearchClock() : tStart(std::time(nullptr)), tLastBest(tStart) {}
  // A new best now: its time is the search's result so far.
  void newBest() {
    tLastBest = std::time(nullptr);
    iRecorded = static_cast<int>(std::difftime(tLastBest, tStart));
  }
  // The search's result becomes the time elapsed so far.
  void record() { iRecorded = static_cast<int>(std::difftime(std::time(nullptr), tStart)); }
  bool expired(int iTimeToStop, int iTimeWithoutBest) const {
    const std::time_t tNow = std::time(nullptr);
    return std::difftime(tNow, tStart) >= iTimeToStop || std::difftime(tNow, tLastBest) >= iTimeWithoutBest;
  }
  int recorded() const { return iRecorded; }

 private:
  std::time_t tStart;
  std::time_t tLastBest;
  int iRecorded = 0;
};

void copyOrdering(const probSol& P, unsigned short* iTarget) {
  std::copy(P.iElimOrdering, P.iElimOrdering + P.iNrOfNodes, iTarget);
}

}  // namespace

TabuSearch::TabuSearch()
    : iTabuList(nullptr),
      iTabuListPos(nullptr),
      lFrequencyBasedMemory(nullptr),
      iMaxNrNotImproves(10),
      lNumberOfEvaluations(1000000000),
      timeToStop(10000),
      timeWithImproveToStop(10000),
      iNumberOfIterLocal(1000000),
      intRandomProb(50),
      intTabuLength(8),
      bTSDeterministic(false),
      iAlgoType(MCTS),
      iPerturbationType(randPerturbation),
      iPerturbationSize(iInitiPertSize),
      iSolAcceptanceILS(acceptSolWithBound),
      useSwap(true),
      bestSetSolution(nullptr) {
  mixPerturbation = true;
}

TabuSearch::~TabuSearch() {
  delete[] iTabuList;
  delete[] iTabuListPos;
  delete[] lFrequencyBasedMemory;
  delete[] bestSetSolution;
}

void TabuSearch::setTSParametres(int iAlgoType1, int intRandomProb1, int intTabuLength1, int lNumberOfEvaluations1,
                                 int timeToStop1, int timeWithImproveToStop1, int iNumberOfIterLocal1,
                                 int iMaxNrNotImproves1, bool bTSDeterministic1, int iPerturbationType1,
                                 int iInitiPertSize1, int maxPertSize1, bool mixPerturbation1,
                                 int iSolAcceptanceILS1, bool useSwap1, int initFitnessBound1) {
  iAlgoType = iAlgoType1;
  intRandomProb = intRandomProb1;
  intTabuLength = intTabuLength1;
  lNumberOfEvaluations = lNumberOfEvaluations1;
  timeToStop = timeToStop1;
  timeWithImproveToStop = timeWithImproveToStop1;
  iNumberOfIterLocal = iNumberOfIterLocal1;
  iMaxNrNotImproves = iMaxNrNotImproves1;
  bTSDeterministic = bTSDeterministic1;
  iPerturbationType = iPerturbationType1;
  iPerturbationSize = iInitiPertSize1;
  iInitiPertSize = iInitiPertSize1;
  maxPertSize = maxPertSize1;
  mixPerturbation = mixPerturbation1;
  iSolAcceptanceILS = iSolAcceptanceILS1;
  useSwap = useSwap1;
  initFitnessBound = initFitnessBound1;
}

// ------------------------------------------------------------ buffers

void TabuSearch::prepareBuffers(int n, bool bNodeStamps) {
  if (iMyBestSolutionSize < n || bestSetSolution == nullptr) {
    delete[] bestSetSolution;
    bestSetSolution = new (std::nothrow) unsigned short[static_cast<std::size_t>(std::max(n, 0))];
    if (bestSetSolution == nullptr) writeErrorMsg("Error assigning memory.", "TabuSearch::bestSetSolution", true);
    iMyBestSolutionSize = n;
  }
  if (bNodeStamps && (iMyTabuListSize < n || iTabuList == nullptr)) {
    delete[] iTabuList;
    iTabuList = new (std::nothrow) int[static_cast<std::size_t>(std::max(n, 0))];
    if (iTabuList == nullptr) writeErrorMsg("Error assigning memory.", "TabuSearch::iTabuList", true);
    iMyTabuListSize = n;
  }
}

void TabuSearch::allocRingLists() {
  if (intTabuLength <= 0) intTabuLength = 1;
  delete[] iTabuList;
  delete[] iTabuListPos;
  iTabuList = new (std::nothrow) int[static_cast<std::size_t>(intTabuLength)];
  iTabuListPos = new (std::nothrow) int[static_cast<std::size_t>(intTabuLength)];
  if (iTabuList == nullptr || iTabuListPos == nullptr) writeErrorMsg("Error assigning memory.", "TabuSearch::iTabuList", true);
  iMyTabuListSize = intTabuLength;
  resetTabuList();
}

void TabuSearch::releaseRingLists() {
  delete[] iTabuList;
  delete[] iTabuListPos;
  iTabuList = nullptr;
  iTabuListPos = nullptr;
  iMyTabuListSize = 0;
}

// ------------------------------------------------------------ tabu lists

int TabuSearch::isSolutionTabu(int iNode, int pos) {
  if (iTabuList == nullptr) return 0;
  for (int k = 0; k < intTabuLength; ++k) {
    if (iTabuList[k] != iNode) continue;
    if (pos == -1) return 1;
    if (iTabuListPos != nullptr && iTabuListPos[k] == pos) return 1;
  }
  return 0;
}

int TabuSearch::isSwapTabu(int iNode1, int iNode2) {
  return (isSolutionTabu(iNode1, -1) || isSolutionTabu(iNode2, -1)) ? 1 : 0;
}

void TabuSearch::updateTabuList(int iNode, int pos) {
  if (iTabuList == nullptr || intTabuLength <= 0) return;
  const int k = iRingPosition % intTabuLength;
  iTabuList[k] = iNode;
  if (iTabuListPos != nullptr) iTabuListPos[k] = pos;
  iRingPosition = k + 1;
}

void TabuSearch::resetTabuList() {
  if (iTabuList == nullptr) return;
  for (int k = 0; k < intTabuLength; ++k) {
    iTabuList[k] = -1;
    if (iTabuListPos != nullptr) iTabuListPos[k] = -1;
  }
}

int TabuSearch::isNodeTabu(int iNode1, int iIteration) {
  if (iIteration - iTabuList[iNode1] > intTabuLength) return 0;
  return iTabuList[iNode1] != 0 ? 1 : 0;
}

void TabuSearch::updateNodeTabuList(int iNode, int iIteration) { iTabuList[iNode] = iIteration; }

// ------------------------------------------------------------ searches

int TabuSearch::tabuSearchAlg(probSol& P, bool initSolGiven) {
  SearchClock Clock;
  const int n = P.iNrOfNodes;
  if (!initSolGiven) {
    P.randomIntialSolution();
    P.calculateFitness(-1, -1);
  }
  prepareBuffers(n, false);
  copyOrdering(P, bestSetSolution);
  double best = P.fFitness;
  allocRingLists();
  long iEvaluations = 0;
  int iNotImproved = 0;
  bool bTimeUp = false;
  while (n > 0 && iEvaluations < lNumberOfEvaluations && iNotImproved < iMaxNrNotImproves &&
         !Clock.expired(timeToStop, timeWithImproveToStop)) {
    int iNode = -1;
    int iPos = -1;
    bool bNoise = std::rand() % 100 < intRandomProb;
    if (!bNoise) {
      double dBest = 1000000;
      int iTies = 0;
      for (int i = 0; i < n && !bTimeUp; ++i) {
        int iPre = 0;
        int iSuc = 0;
        P.nearestNodes(i, &iPre, &iSuc);
        if (P.iCliqueSizes[i] == 0) continue;
        const bool bTabu = isSolutionTabu(i, -1) != 0;
        for (int iTarget : {iPre, iSuc}) {
          if (iTarget >= n) continue;  // a node without listed neighbours has no successor bound
          if (Clock.expired(timeToStop, timeWithImproveToStop)) {
            bTimeUp = true;
            break;
          }
          const double f = P.calculateFitnessFromMove(i, iTarget);
          if (!bTabu) {
            if (f < dBest) {
              iNode = i;
              iPos = iTarget;
              dBest = f;
              iTies = 1;
            } else if (f == dBest && !bTSDeterministic) {
              ++iTies;
              if (std::rand() % iTies + 1 == iTies) {
                iNode = i;
                iPos = iTarget;
              }
            }
          } else if (f < best) {  // aspiration: the choice, without lowering dBest
            iNode = i;
            iPos = iTarget;
          }
        }
        iEvaluations += 2;
      }
      if (bTimeUp) break;  // the iteration is abandoned
      if (P.fFitness <= dBest) bNoise = true;
    }
    if (bNoise) {
      iNode = P.iLargestCliqueNode;
      iPos = std::rand() % n;
    }
    P.DoMove(iNode, iPos);
    ++iEvaluations;
    updateTabuList(iNode, -1);
    if (P.fFitness < best) {
      copyOrdering(P, bestSetSolution);
      best = P.fFitness;
      Clock.newBest();
      iNotImproved = 0;
    } else {
      ++iNotImproved;
    }
  }
  releaseRingLists();
  P.setNewOrdering(bestSetSolution);
  return Clock.recorded();
}

int TabuSearch::fiduciaSearchAlg(probSol& P, bool initSolGiven) {
  (void)initSolGiven;  // always starts from the identity ordering
  SearchClock Clock;
  const int n = P.iNrOfNodes;
  P.randomIntialSolution();
  P.calculateFitness(-1, -1);
  prepareBuffers(n, false);
  copyOrdering(P, bestSetSolution);
  double best = P.fFitness;
  intTabuLength = n > 0 ? n : 1;
  allocRingLists();
  long iEvaluations = 0;
  int iNotImproved = 0;
  long iIteration = 0;
  bool bTimeUp = false;
  while (n > 0 && iEvaluations < lNumberOfEvaluations && iNotImproved < iMaxNrNotImproves &&
         !Clock.expired(timeToStop, timeWithImproveToStop)) {
    ++iIteration;
    if (iIteration % n == 0) {
      P.setNewOrdering(bestSetSolution);
      resetTabuList();
    }
    int iNode = -1;
    int iPos = -1;
    if (std::rand() % 100 < intRandomProb) {
      iNode = std::rand() % n;
      iPos = std::rand() % n;
      std::cout << "\n\n" << iNode << "   " << iPos << "\n\n";
    } else {
      double dBest = 1000000;
      for (int i = 0; i < n && !bTimeUp; ++i) {
        int iPre = 0;
        int iSuc = 0;
        P.nearestNodes(i, &iPre, &iSuc);
        if (P.iCliqueSizes[i] == 0) continue;
        const bool bTabu = isSolutionTabu(i, -1) != 0;
        for (int iTarget : {iPre, iSuc}) {
          if (iTarget >= n) continue;
          if (Clock.expired(timeToStop, timeWithImproveToStop)) {
            bTimeUp = true;
            break;
          }
          const double f = P.calculateFitnessFromMove(i, iTarget);
          if (!bTabu) {
            if (f < dBest) {
              iNode = i;
              iPos = iTarget;
              dBest = f;
            } else if (f == dBest && !bTSDeterministic && std::rand() % 10 < 1) {
              iNode = i;
              iPos = iTarget;
            }
          } else if (f < best) {  // aspiration: the choice, without lowering dBest
            iNode = i;
            iPos = iTarget;
          }
        }
        iEvaluations += 2;
      }
      if (bTimeUp) break;  // the iteration is abandoned
    }
    // No candidate at all (every node tabu or without a stored value): the
    // iteration makes no move.
    if (iNode >= 0) {
      P.DoMove(iNode, iPos);
      ++iEvaluations;
      updateTabuList(iNode, -1);
    }
    if (P.fFitness < best) {
      copyOrdering(P, bestSetSolution);
      best = P.fFitness;
      Clock.newBest();
      iNotImproved = 0;
    } else {
      ++iNotImproved;
    }
  }
  releaseRingLists();
  P.setNewOrdering(bestSetSolution);
  return Clock.recorded();
}

int TabuSearch::minConflicts(probSol& P, bool initSolGiven) {
  SearchClock Clock;
  const int n = P.iNrOfNodes;
  if (!initSolGiven) {
    P.randomIntialSolution();
    P.calculateFitness(-1, -1);
  }
  prepareBuffers(n, false);
  copyOrdering(P, bestSetSolution);
  double best = P.fFitness;
  allocRingLists();  // allocated for the search's lifetime, not consulted
  long iEvaluations = 0;
  int iNotImproved = 0;
  // The move of the last iteration that chose one; until then the largest
  // clique node staying where it is.
  int iNode = n > 0 ? P.iLargestCliqueNode : 0;
  int iPos = n > 0 ? P.iNodePosInOrdering[iNode] : 0;
  std::vector<unsigned short> Neighbours;
  bool bTimeUp = false;
  while (n > 0 && iEvaluations < lNumberOfEvaluations && iNotImproved < iMaxNrNotImproves &&
         !Clock.expired(timeToStop, timeWithImproveToStop)) {
    if (std::rand() % 100 < intRandomProb) {
      iNode = P.iLargestCliqueNode;
      iPos = std::rand() % n;
      P.DoMove(iNode, iPos);
      ++iEvaluations;
    } else {
      const int v = P.iLargestCliqueNode;
      if (P.iCliqueSizes[v] == P.iLargestClique && P.iTempNrOfNeighboors[v] > 0) {
        // The candidates are the working neighbours as the last computation
        // left them; the trials below rewrite the working lists.
        Neighbours.assign(P.iGraph[v], P.iGraph[v] + P.iTempNrOfNeighboors[v]);
        double dBest = 1000000;
        int iTies = 0;
        for (unsigned short w : Neighbours) {
          if (Clock.expired(timeToStop, timeWithImproveToStop)) {
            bTimeUp = true;
            break;
          }
          const int iTarget = P.iNodePosInOrdering[w];
          const double f = P.calculateFitnessFromMove(v, iTarget);
          ++iEvaluations;
          if (f < dBest) {
            iNode = v;
            iPos = iTarget;
            dBest = f;
            iTies = 1;
          } else if (f == dBest) {
            ++iTies;
            if (std::rand() % iTies + 1 == iTies) {
              iNode = v;
              iPos = iTarget;
            }
          }
        }
        if (bTimeUp) break;  // the iteration is abandoned
      }
    }
    P.DoMove(iNode, iPos);
    ++iEvaluations;
    if (P.fFitness < best) {
      copyOrdering(P, bestSetSolution);
      best = P.fFitness;
      Clock.newBest();
      iNotImproved = 0;
    } else {
      ++iNotImproved;
    }
  }
  releaseRingLists();
  P.setNewOrdering(bestSetSolution);
  return Clock.recorded();
}

int TabuSearch::minConflictsTS(probSol& P, bool initSolGiven) {
  SearchClock Clock;
  const int n = P.iNrOfNodes;
  if (!initSolGiven) P.calculateFitness(-1, -1);
  prepareBuffers(n, true);
  for (int i = 0; i < n; ++i) iTabuList[i] = 0;
  if (intTabuLength == 0) intTabuLength = 1;
  copyOrdering(P, bestSetSolution);
  double best = P.fFitness;
  long iEvaluations = 0;
  int iNotImproved = 0;
  int t = 0;
  // Fewer than two nodes: no position is evaluated, so there is no largest
  // clique node to start from.
  while (n >= 2 && P.iNrNodesLargestClique > 0 && iEvaluations < lNumberOfEvaluations &&
         iNotImproved < iMaxNrNotImproves && !Clock.expired(timeToStop, timeWithImproveToStop)) {
    ++t;
    if (std::rand() % 100 < intRandomProb) {
      const int u1 = P.iMaxCliqueNodes[std::rand() % P.iNrNodesLargestClique];
      const int p1 = std::rand() % n;
      const int u2 = P.iMaxCliqueNodes[std::rand() % P.iNrNodesLargestClique];
      const int p2 = std::rand() % n;
      if (t % 2 == 0) {
        if (!isNodeTabu(u1, t) && !isNodeTabu(u2, t)) {
          const int o1 = P.iNodePosInOrdering[u1];
          const int x1 = P.iElimOrdering[p1];
          // u2's position once u1 has been swapped.
          const int o2 = (u2 == u1) ? p1 : (u2 == x1 ? o1 : P.iNodePosInOrdering[u2]);
          P.doubleSwap(u1, p1, u2, p2);
          if (P.fFitness > best) {
            P.doubleSwap(u2, o2, u1, o1);  // the exact inverse
          } else {
            updateNodeTabuList(u1, t);
            updateNodeTabuList(u2, t);
          }
        }
      } else if (!isNodeTabu(u1, t)) {
        const int o1 = P.iNodePosInOrdering[u1];
        P.Swap(u1, p1);
        if (P.fFitness <= best)
          updateNodeTabuList(u1, t);
        else
          P.Swap(u1, o1);
      }
      ++iEvaluations;
    }
    const int v = P.iLargestCliqueNode;
    double dBest = 1000000;
    int iTies = 0;
    for (int k = 0; k < P.iNrOfNeighboors[v]; ++k) {
      // Out of time: the swaps kept so far stand; the frame's check below
      // ends the search.
      if (Clock.expired(timeToStop, timeWithImproveToStop)) break;
      const int w = P.iGraph[v][k];
      const int iOld = P.iNodePosInOrdering[v];
      P.Swap(v, P.iNodePosInOrdering[w]);
      ++iEvaluations;
      const double f = P.fFitness;
      bool bKeep = false;
      if (!isNodeTabu(v, t) || !isNodeTabu(w, t)) {
        if (f < dBest) {
          bKeep = true;
          dBest = f;
          iTies = 1;
        } else if (f == dBest && !bTSDeterministic) {
          ++iTies;
          bKeep = std::rand() % iTies + 1 == iTies;
        }
      } else if (f < best) {  // aspiration
        bKeep = true;
        dBest = f;
      }
      if (bKeep) {
        updateNodeTabuList(v, t);
        updateNodeTabuList(w, t);
      } else {
        P.Swap(v, iOld);
      }
    }
    if (P.fFitness < best) {
      copyOrdering(P, bestSetSolution);
      best = P.fFitness;
      Clock.newBest();
      iNotImproved = 0;
    } else {
      ++iNotImproved;
    }
  }
  P.setNewOrdering(bestSetSolution);
  return Clock.recorded();
}

int TabuSearch::randomWalk(probSol& P, bool initSolGiven) {
  SearchClock Clock;
  const int n = P.iNrOfNodes;
  if (!initSolGiven) {
    P.randomIntialSolution();
    P.calculateFitness(-1, -1);
  }
  prepareBuffers(n, false);
  copyOrdering(P, bestSetSolution);
  allocRingLists();  // allocated for the search's lifetime, not consulted
  long iEvaluations = 0;
  int iNotImproved = 0;
  while (n > 0 && iEvaluations < lNumberOfEvaluations && iNotImproved < iMaxNrNotImproves &&
         !Clock.expired(timeToStop, timeWithImproveToStop)) {
    double fCurrent = P.fFitness;
    bool bMoved = false;
    for (int i = 0; i < n; ++i) {
      if (P.iCliqueSizes[i] != P.iLargestClique) continue;
      if (Clock.expired(timeToStop, timeWithImproveToStop)) break;  // the pass ends here
      const int iNode = P.iElimOrdering[i];
      const int iPos = std::rand() % n;
      const double f = P.calculateFitnessFromMove(iNode, iPos);
      if (f < fCurrent) {
        fCurrent = f;
        P.DoMove(iNode, iPos);
        ++iEvaluations;
        bMoved = true;
      }
    }
    copyOrdering(P, bestSetSolution);
    if (bMoved) {
      Clock.newBest();
      iNotImproved = 0;
    } else {
      Clock.record();
      ++iNotImproved;
    }
  }
  releaseRingLists();
  P.setNewOrdering(bestSetSolution);
  return Clock.recorded();
}

bool TabuSearch::acceptsWorseSwap(double dDelta, double dTemperature) {
  const double p = (dDelta == 0) ? 0.5 : std::exp(dDelta / dTemperature);
  // The draw is a fraction in hundredths: 0.00 .. 0.99.
  return static_cast<double>(std::rand() % 100) / 100.0 < p;
}

int TabuSearch::SA(probSol& P, bool initSolGiven) {
  SearchClock Clock;
  const int n = P.iNrOfNodes;
  if (!initSolGiven) P.calculateFitness(-1, -1);
  prepareBuffers(n, false);
  copyOrdering(P, bestSetSolution);
  double best = P.fFitness;
  bool bStop = n < 2 || P.iNrNodesLargestClique <= 0;
  for (int r = 0; r < iMaxRestarts && !bStop; ++r) {
    float T = fInitTemperature;
    while (T > fMinTemperature && !bStop) {
      int iFailures = 0;
      while (iFailures < iMaxInsideNoImprove) {
        if (Clock.expired(timeToStop, timeWithImproveToStop)) {
          bStop = true;
          break;
        }
        const double fCurrent = P.fFitness;
        const int iNode = (std::rand() % 100 < iRandomNoiseProb)
                              ? std::rand() % n
                              : P.iMaxCliqueNodes[std::rand() % P.iNrNodesLargestClique];
        const int iPos = std::rand() % n;
        const double fNew = (iPos == P.iNodePosInOrdering[iNode]) ? fCurrent : P.calculateFitnessFromSwap(iNode, iPos);
        if (fNew < fCurrent) {
          P.Swap(iNode, iPos);
          P.calculateFitness(-1, -1);
          if (P.fFitness < best) {
            copyOrdering(P, bestSetSolution);
            best = P.fFitness;
            Clock.newBest();
            iFailures = 0;
          }
          P.calculateFitness(-1, -1);
        } else {
          ++iFailures;
          if (acceptsWorseSwap(fCurrent - fNew, T)) P.Swap(iNode, iPos);
        }
      }
      T *= fTempDecrease;
    }
  }
  P.setNewOrdering(bestSetSolution);
  return Clock.recorded();
}

int TabuSearch::GreatDeLuge(probSol& P, bool initSolGiven) {
  SearchClock Clock;
  const int n = P.iNrOfNodes;
  if (!initSolGiven) P.calculateFitness(-1, -1);
  prepareBuffers(n, false);
  copyOrdering(P, bestSetSolution);
  double best = P.fFitness;
  bool bStop = n < 2 || P.iNrNodesLargestClique <= 0;
  for (int r = 0; r < iGDMaxRestarts && !bStop; ++r) {
    // Attempts since the last new best: every attempt without a new best
    // counts, accepted (within the band or level with the best) as well as
    // rejected. Counting rejections alone would never end a run on a flat
    // landscape, where no swap leaves the band.
    int iWithoutBest = 0;
    while (iWithoutBest < iGDMaxInsideNoImprove) {
      if (Clock.expired(timeToStop, timeWithImproveToStop)) {
        bStop = true;
        break;
      }
      const double fCurrent = P.fFitness;
      const int iNode = (std::rand() % 100 < iGDRandomNoiseProb)
                            ? std::rand() % n
                            : P.iMaxCliqueNodes[std::rand() % P.iNrNodesLargestClique];
      const int iPos = std::rand() % n;
      const double fNew = (iPos == P.iNodePosInOrdering[iNode]) ? fCurrent : P.calculateFitnessFromSwap(iNode, iPos);
      if (fNew >= best + DEV) {
        ++iWithoutBest;
      } else if (fNew > best) {
        P.Swap(iNode, iPos);
        ++iWithoutBest;
      } else {
        P.Swap(iNode, iPos);
        P.calculateFitness(-1, -1);
        if (P.fFitness < best) {
          copyOrdering(P, bestSetSolution);
          Clock.newBest();
          best = P.fFitness;
          std::cout << "\nIMPROVED....\n" << P.fFitness << "\n\n";
          iWithoutBest = 0;
        } else {
          ++iWithoutBest;
        }
        P.calculateFitness(-1, -1);
      }
    }
  }
  P.setNewOrdering(bestSetSolution);
  return Clock.recorded();
}

int TabuSearch::iteratedLocalSearch(probSol& P) {
  const int n = P.iNrOfNodes;
  delete[] iTabuList;
  delete[] bestSetSolution;
  iTabuList = new (std::nothrow) int[static_cast<std::size_t>(std::max(n, 0))];
  bestSetSolution = new (std::nothrow) unsigned short[static_cast<std::size_t>(std::max(n, 0))];
  if (iTabuList == nullptr || bestSetSolution == nullptr)
    writeErrorMsg("Error assigning memory.", "TabuSearch::iteratedLocalSearch", true);
  iMyTabuListSize = n;
  iMyBestSolutionSize = n;
  acceptedFitnessBound = initFitnessBound;
  P.MCSOrdering();
  return 0;
}

}  // namespace kivra
