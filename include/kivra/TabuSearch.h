// Local searches over the elimination ordering held by a probSol: tabu
// search, a Fiduccia-style tabu search, min-conflicts with and without tabu
// memory, random walk, simulated annealing and great deluge. Each minimises
// the width of the ordering in place, keeps the best ordering met and leaves
// it installed (with its fitness computed) at the end.
#pragma once

namespace kivra {

class probSol;

// Module values shared by every driver of the process.
extern int iMaxIterPerTemsperature;
extern float fInitTemperature;    // simulated annealing: start temperature
extern float fMinTemperature;     // simulated annealing: stop below this
extern float fTempDecrease;       // simulated annealing: cooling factor
extern int iMaxRestarts;          // simulated annealing: cooling runs
extern int iMaxInsideNoImprove;   // simulated annealing: failed attempts per temperature
extern int iRandomNoiseProb;      // simulated annealing: per cent of random nodes
extern int Level;
extern int UP;
extern int DEV;                   // great deluge: accepted distance above the best
extern int iGDRandomNoiseProb;    // great deluge: per cent of random nodes
extern int iGDMaxRestarts;        // great deluge: runs
extern int iGDMaxInsideNoImprove; // great deluge: rejections per run
extern bool mixPerturbation;
extern int iInitiPertSize;
extern int maxPertSize;
extern int initFitnessBound;
extern int acceptedFitnessBound;

class TabuSearch {
 public:
  // Algorithm codes.
  static constexpr int TS = 1;
  static constexpr int MC = 2;
  static constexpr int MCTS = 3;
  static constexpr int SimAnn = 4;
  static constexpr int GDeLuge = 5;
  static constexpr int RW = 6;
  // Acceptance rules of the iterated search.
  static constexpr int acceptBestSol = 1;
  static constexpr int acceptIterSol = 2;
  static constexpr int acceptSolWithBound = 3;
  // Perturbation kinds.
  static constexpr int randPerturbation = 1;
  static constexpr int largestCperturbation = 2;
  static constexpr int partPerturbation = 3;
  static constexpr long lLargestFitness = 1000000;

  // Default parameters; also sets mixPerturbation and copies iInitiPertSize
  // into iPerturbationSize.
  TabuSearch();
  virtual ~TabuSearch();

  TabuSearch(const TabuSearch&) = delete;
  TabuSearch& operator=(const TabuSearch&) = delete;

  // Each value goes to the field of the same name without the final 1;
  // iInitiPertSize1 goes to iPerturbationSize and to the module value
  // iInitiPertSize; maxPertSize1, mixPerturbation1 and initFitnessBound1 go
  // to the module values of those names.
  void setTSParametres(int iAlgoType1, int intRandomProb1, int intTabuLength1, int lNumberOfEvaluations1,
                       int timeToStop1, int timeWithImproveToStop1, int iNumberOfIterLocal1,
                       int iMaxNrNotImproves1, bool bTSDeterministic1, int iPerturbationType1,
                       int iInitiPertSize1, int maxPertSize1, bool mixPerturbation1, int iSolAcceptanceILS1,
                       bool useSwap1, int initFitnessBound1);

  // The searches. Without initSolGiven, tabuSearchAlg, minConflicts and
  // randomWalk start from the identity ordering; minConflictsTS, SA and
  // GreatDeLuge keep the given ordering and only evaluate it;
  // fiduciaSearchAlg always starts from the identity ordering. Each returns
  // the whole seconds from its start to its last new best (randomWalk: to
  // the end of its last pass), 0 when there was none. Every search also
  // stops once timeToStop seconds have passed since its start, or
  // timeWithImproveToStop seconds since its last new best; the limits are
  // checked before every candidate evaluation, so a search returns within
  // its limit plus about one evaluation (and the final reinstallation).
  // Great deluge ends a run after iGDMaxInsideNoImprove attempts without a
  // new best, whether they were rejected or accepted within its band. In
  // tabu search and the Fiduccia-style search, a tabu move that beats the
  // best (aspiration) becomes the choice without lowering the value later
  // candidates must beat.
  int tabuSearchAlg(probSol& objProbSol, bool initSolGiven);
  int fiduciaSearchAlg(probSol& objProbSol, bool initSolGiven);
  int minConflicts(probSol& objProbSol, bool initSolGiven);
  int minConflictsTS(probSol& objProbSol, bool initSolGiven);
  int randomWalk(probSol& objProbSol, bool initSolGiven);
  int SA(probSol& objProbSol, bool initSolGiven);
  int GreatDeLuge(probSol& objProbSol, bool initSolGiven);
  // Declared only; there is no definition, so a call does not link.
  int iteratedSearchAlg(probSol& objProbSol, bool initSolGiven);

  // The acceptance test of simulated annealing for a swap that is not
  // better, dDelta = current - new fitness (<= 0): accepted with chance
  // exp(dDelta / dTemperature), one half when dDelta is 0, by one rand()
  // draw taken in hundredths.
  static bool acceptsWorseSwap(double dDelta, double dTemperature);

  // Prepares the buffers of the driver (iTabuList and bestSetSolution, one
  // entry per node) and installs a maximum cardinality search ordering in
  // objProbSol; runs no search and computes no fitness. Returns 0.
  int iteratedLocalSearch(probSol& objProbSol);

  // Ring tabu list of (node, position) entries.
  int isSolutionTabu(int iNode, int pos);
  int isSwapTabu(int iNode1, int iNode2);
  // Writes at the next ring position; the position counter is shared by all
  // drivers of the process.
  void updateTabuList(int iNode, int pos);
  void resetTabuList();
  // Per-node iteration stamps (min-conflicts with tabu memory).
  int isNodeTabu(int iNode1, int iIteration);
  void updateNodeTabuList(int iNode, int iIteration);

  int* iTabuList;
  int* iTabuListPos;
  int* lFrequencyBasedMemory;
  int iMaxNrNotImproves;
  long lNumberOfEvaluations;
  int timeToStop;
  int timeWithImproveToStop;
  long iNumberOfIterLocal;
  int intRandomProb;
  int intTabuLength;
  bool bTSDeterministic;
  int iAlgoType;
  int iPerturbationType;
  int iPerturbationSize;
  int iSolAcceptanceILS;
  bool useSwap;
  unsigned short* bestSetSolution;

 private:
  // Makes sure bestSetSolution (and, with bNodeStamps, iTabuList) hold at
  // least n entries.
  void prepareBuffers(int n, bool bNodeStamps);
  // Allocates the ring lists with intTabuLength entries (0 becomes 1), all -1.
  void allocRingLists();
  void releaseRingLists();

  int iMyTabuListSize = 0;      // entries of iTabuList
  int iMyBestSolutionSize = 0;  // entries of bestSetSolution
};

}  // namespace kivra
