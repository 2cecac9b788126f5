// The ordering metaheuristics and the hypergraph's local-search order: every
// search ends with its best ordering installed and correctly evaluated,
// repeats itself under a fixed seed, keeps its documented stopping rules and
// output; the tabu lists; the order returned through the hypergraph.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "kivra/Hypergraph.h"
#include "kivra/TabuSearch.h"
#include "kivra/probSol.h"

using kivra::Hypergraph;
using kivra::Hyperedge;
using kivra::Node;
using kivra::probSol;
using kivra::TabuSearch;

namespace {

using Edges = std::vector<std::pair<int, int>>;

Hypergraph* buildGraph(int n, const Edges& E) {
  Hypergraph* G = new Hypergraph;
  for (int i = 0; i < n; ++i) G->MyNodes.push_back(new Node(i + 1, i + 1));
  int k = 0;
  for (auto [u, v] : E) {
    Hyperedge* e = new Hyperedge(k, k);
    ++k;
    G->MyEdges.push_back(e);
    for (int x : {u, v}) {
      G->MyNodes[static_cast<std::size_t>(x)]->insEdge(e);
      e->insNode(G->MyNodes[static_cast<std::size_t>(x)]);
    }
  }
  G->iMyMaxNbrOfNodes = n;
  G->iMyMaxNbrOfEdges = static_cast<int>(E.size());
  G->updateNeighbourhood();
  return G;
}

Edges grid(int w, int h) {
  Edges E;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (x + 1 < w) E.push_back({y * w + x, y * w + x + 1});
      if (y + 1 < h) E.push_back({y * w + x, (y + 1) * w + x});
    }
  return E;
}

Edges star(int iLeaves) {
  Edges E;
  for (int i = 1; i <= iLeaves; ++i) E.push_back({0, i});
  return E;
}

// Width of an ordering by plain elimination.
int referenceWidth(int n, const Edges& E, const std::vector<int>& Order) {
  std::vector<std::set<int>> Adj(static_cast<std::size_t>(n));
  for (auto [u, v] : E) {
    Adj[static_cast<std::size_t>(u)].insert(v);
    Adj[static_cast<std::size_t>(v)].insert(u);
  }
  std::vector<bool> Gone(static_cast<std::size_t>(n), false);
  int iWidth = 0;
  for (int a = 0; a + 1 < n; ++a) {
    const int v = Order[static_cast<std::size_t>(a)];
    std::vector<int> Later;
    for (int w : Adj[static_cast<std::size_t>(v)])
      if (!Gone[static_cast<std::size_t>(w)]) Later.push_back(w);
    for (int x : Later)
      for (int y : Later)
        if (x != y) Adj[static_cast<std::size_t>(x)].insert(y);
    Gone[static_cast<std::size_t>(v)] = true;
    iWidth = std::max(iWidth, static_cast<int>(Later.size()));
  }
  return iWidth;
}

std::vector<int> orderingOf(const probSol& P) { return std::vector<int>(P.iElimOrdering, P.iElimOrdering + P.iNrOfNodes); }

void setOrdering(probSol& P, std::vector<int> Order) {
  std::vector<unsigned short> O(Order.begin(), Order.end());
  P.setNewOrdering(O.data());
}

using Search = std::function<int(TabuSearch&, probSol&, bool)>;

struct NamedSearch {
  const char* cName;
  Search Run;
};

const std::vector<NamedSearch>& allSearches() {
  static const std::vector<NamedSearch> Searches = {
      {"tabu", [](TabuSearch& T, probSol& P, bool b) { return T.tabuSearchAlg(P, b); }},
      {"fiduccia", [](TabuSearch& T, probSol& P, bool b) { return T.fiduciaSearchAlg(P, b); }},
      {"min-conflicts", [](TabuSearch& T, probSol& P, bool b) { return T.minConflicts(P, b); }},
      {"min-conflicts tabu", [](TabuSearch& T, probSol& P, bool b) { return T.minConflictsTS(P, b); }},
      {"random walk", [](TabuSearch& T, probSol& P, bool b) { return T.randomWalk(P, b); }},
      {"annealing", [](TabuSearch& T, probSol& P, bool b) { return T.SA(P, b); }},
      {"great deluge", [](TabuSearch& T, probSol& P, bool b) { return T.GreatDeLuge(P, b); }},
  };
  return Searches;
}

// Runs one search from the given ordering under a fixed seed; returns the
// installed ordering after checking it against a plain elimination.
std::vector<int> runSearch(const NamedSearch& S, int n, const Edges& E, const std::vector<int>& Start, unsigned iSeed,
                           float* fResult) {
  Hypergraph* G = buildGraph(n, E);
  probSol P;
  P.createGraphFromHyp(G);
  setOrdering(P, Start);
  TabuSearch T;
  T.iMaxNrNotImproves = 6;
  T.timeToStop = 2;  // the searches end on their own long before this
  T.iteratedLocalSearch(P);  // buffers for the searches that need them
  setOrdering(P, Start);
  std::srand(iSeed);
  testing::internal::CaptureStdout();
  const int iSeconds = S.Run(T, P, true);
  testing::internal::GetCapturedStdout();
  EXPECT_GE(iSeconds, 0);
  EXPECT_LE(iSeconds, 2);
  const std::vector<int> Result = orderingOf(P);
  EXPECT_EQ(P.fFitness, static_cast<float>(referenceWidth(n, E, Result))) << S.cName;
  std::vector<int> Sorted = Result;
  std::sort(Sorted.begin(), Sorted.end());
  for (int i = 0; i < n; ++i) EXPECT_EQ(Sorted[static_cast<std::size_t>(i)], i);
  *fResult = P.fFitness;
  delete G;
  return Result;
}

// ------------------------------------------------------------ searches

TEST(OrderingSearches, EndWithTheirBestOrderingEvaluatedAndRepeatUnderASeed) {
  // A 4 x 4 grid from a poor start, and a star with its centre first.
  const Edges Grid = grid(4, 4);
  std::vector<int> GridStart = {5, 6, 9, 10, 0, 3, 12, 15, 1, 2, 4, 7, 8, 11, 13, 14};
  const float fGridStart = static_cast<float>(referenceWidth(16, Grid, GridStart));
  const Edges Star = star(7);
  const std::vector<int> StarStart = {0, 1, 2, 3, 4, 5, 6, 7};
  for (const NamedSearch& S : allSearches()) {
    SCOPED_TRACE(S.cName);
    float fFirst = 0;
    float fSecond = 0;
    const std::vector<int> First = runSearch(S, 16, Grid, GridStart, 17, &fFirst);
    const std::vector<int> Second = runSearch(S, 16, Grid, GridStart, 17, &fSecond);
    EXPECT_EQ(First, Second);
    // The Fiduccia-style search starts from the identity ordering.
    if (std::string(S.cName) != "fiduccia") {
      EXPECT_LE(fFirst, fGridStart);
    }
    float fStar = 0;
    runSearch(S, 8, Star, StarStart, 5, &fStar);
    if (std::string(S.cName) != "fiduccia") {
      EXPECT_LT(fStar, 7.0f);
    }
  }
}

TEST(OrderingSearches, WithoutImprovementTheStartOrderingIsReinstalled) {
  // A path in its natural order already has the least width.
  Edges Path;
  for (int i = 0; i + 1 < 9; ++i) Path.push_back({i, i + 1});
  Hypergraph* G = buildGraph(9, Path);
  for (const NamedSearch& S : allSearches()) {
    SCOPED_TRACE(S.cName);
    probSol P;
    P.createGraphFromHyp(G);
    TabuSearch T;
    T.intTabuLength = 0;  // the ring-list searches run with length 1
    // Every ordering of a path has width 1 or 2: great deluge accepts every
    // move and only its time limit ends it.
    T.timeToStop = 1;
    T.iteratedLocalSearch(P);
    P.randomIntialSolution();
    std::srand(3);
    testing::internal::CaptureStdout();
    EXPECT_EQ(S.Run(T, P, false), 0);
    const std::string Out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(orderingOf(P), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(P.fFitness, 1.0f);
    EXPECT_EQ(Out.find("IMPROVED"), std::string::npos);
  }
  delete G;
}

TEST(OrderingSearches, EmptyAndSingleNodeModels) {
  for (int n : {0, 1}) {
    Hypergraph* G = buildGraph(n, {});
    for (const NamedSearch& S : allSearches()) {
      SCOPED_TRACE(std::string(S.cName) + " n=" + std::to_string(n));
      probSol P;
      P.createGraphFromHyp(G);
      TabuSearch T;
      T.iteratedLocalSearch(P);
      testing::internal::CaptureStdout();
      EXPECT_EQ(S.Run(T, P, false), 0);
      testing::internal::GetCapturedStdout();
      EXPECT_EQ(P.fFitness, 0.0f);
    }
    delete G;
  }
}

TEST(OrderingSearches, TabuSearchWithFullNoiseOnlyMovesTheLargestCliqueNode) {
  const Edges Star = star(5);
  Hypergraph* G = buildGraph(6, Star);
  probSol P;
  P.createGraphFromHyp(G);
  TabuSearch T;
  T.intRandomProb = 100;
  T.iMaxNrNotImproves = 3;
  T.iteratedLocalSearch(P);
  setOrdering(P, {0, 1, 2, 3, 4, 5});
  // Every iteration: one draw for the noise test, one for the position; the
  // node is always the one with the largest value.
  std::srand(8);
  std::vector<int> Expected = {0, 1, 2, 3, 4, 5};
  std::vector<int> Best = Expected;
  int iBest = referenceWidth(6, Star, Expected);
  for (int iNot = 0; iNot < 3;) {
    std::rand();
    const int iPos = std::rand() % 6;
    probSol Q;
    Q.createGraphFromHyp(G);
    setOrdering(Q, Expected);
    Q.DoMove(Q.iLargestCliqueNode, iPos);
    Expected = orderingOf(Q);
    const int w = referenceWidth(6, Star, Expected);
    if (w < iBest) {
      iBest = w;
      Best = Expected;
      iNot = 0;
    } else {
      ++iNot;
    }
  }
  std::srand(8);
  T.tabuSearchAlg(P, true);
  EXPECT_EQ(orderingOf(P), Best);
  delete G;
}

TEST(OrderingSearches, GreatDelugeReportsOnlyNewBestsAndStopsOnAFlatLandscape) {
  {
    const Edges Star = star(6);
    Hypergraph* G = buildGraph(7, Star);
    probSol P;
    P.createGraphFromHyp(G);
    setOrdering(P, {0, 1, 2, 3, 4, 5, 6});
    TabuSearch T;
    std::srand(12);
    testing::internal::CaptureStdout();
    T.GreatDeLuge(P, true);
    const std::string Out = testing::internal::GetCapturedStdout();
    ASSERT_NE(Out.find("\nIMPROVED....\n"), std::string::npos);
    EXPECT_EQ(Out.find("\nIMPROVED....\n" + std::to_string(static_cast<int>(P.fFitness)) + "\n\n") == std::string::npos,
              false);
    EXPECT_LT(P.fFitness, 6.0f);
    delete G;
  }
  {
    // Every ordering of a triangle has width 2: every move is accepted and
    // none is a rejection, so only the time limit ends the search.
    Hypergraph* G = buildGraph(3, {{0, 1}, {1, 2}, {0, 2}});
    probSol P;
    P.createGraphFromHyp(G);
    TabuSearch T;
    T.timeToStop = 1;
    const std::time_t tStart = std::time(nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(T.GreatDeLuge(P, false), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_LE(std::difftime(std::time(nullptr), tStart), 3);
    EXPECT_EQ(P.fFitness, 2.0f);
    delete G;
  }
}

TEST(OrderingSearches, FiducciaNoiseMovesArePrinted) {
  Hypergraph* G = buildGraph(5, {{0, 1}, {1, 2}, {2, 3}, {3, 4}});
  probSol P;
  P.createGraphFromHyp(G);
  TabuSearch T;
  T.intRandomProb = 100;
  T.iMaxNrNotImproves = 1;
  std::srand(2);
  std::rand();
  const int iNode = std::rand() % 5;
  const int iPos = std::rand() % 5;
  std::srand(2);
  testing::internal::CaptureStdout();
  T.fiduciaSearchAlg(P, false);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n\n" + std::to_string(iNode) + "   " + std::to_string(iPos) + "\n\n");
  delete G;
}

// ------------------------------------------------------------ tabu lists

TEST(TabuLists, RingIsSharedNodeStampsExpire) {
  TabuSearch A;
  TabuSearch B;
  for (TabuSearch* T : {&A, &B}) {
    T->intTabuLength = 3;
    T->iTabuList = new int[3];
    T->iTabuListPos = new int[3];
    T->resetTabuList();
  }
  EXPECT_FALSE(A.isSolutionTabu(4, -1));
  // One write position for both drivers: A's and B's entries interleave.
  A.updateTabuList(4, 1);
  B.updateTabuList(5, 2);
  A.updateTabuList(6, 3);
  int iSlotA = -1;
  int iSlotB = -1;
  for (int k = 0; k < 3; ++k) {
    if (A.iTabuList[k] == 4) iSlotA = k;
    if (B.iTabuList[k] == 5) iSlotB = k;
  }
  ASSERT_GE(iSlotA, 0);
  ASSERT_GE(iSlotB, 0);
  EXPECT_EQ(iSlotB, (iSlotA + 1) % 3);
  EXPECT_EQ(A.iTabuList[(iSlotA + 2) % 3], 6);
  EXPECT_TRUE(A.isSolutionTabu(4, -1));
  EXPECT_TRUE(A.isSolutionTabu(4, 1));
  EXPECT_FALSE(A.isSolutionTabu(4, 2));
  EXPECT_TRUE(A.isSwapTabu(0, 6));
  EXPECT_FALSE(A.isSwapTabu(0, 5));
  A.updateTabuList(7, 0);  // overwrites the oldest entry, node 4
  EXPECT_FALSE(A.isSolutionTabu(4, -1));

  TabuSearch C;
  C.intTabuLength = 2;
  C.iTabuList = new int[2]{0, 0};
  EXPECT_FALSE(C.isNodeTabu(0, 1));  // never marked
  C.updateNodeTabuList(1, 5);
  EXPECT_TRUE(C.isNodeTabu(1, 7));
  EXPECT_FALSE(C.isNodeTabu(1, 8));
}

TEST(TabuLists, ParametersAndModuleValues) {
  TabuSearch T;
  T.setTSParametres(TabuSearch::TS, 11, 12, 13, 14, 15, 16, 17, true, TabuSearch::partPerturbation, 7, 9, false,
                    TabuSearch::acceptIterSol, false, 4);
  EXPECT_EQ(T.iAlgoType, 1);
  EXPECT_EQ(T.intRandomProb, 11);
  EXPECT_EQ(T.intTabuLength, 12);
  EXPECT_EQ(T.lNumberOfEvaluations, 13);
  EXPECT_EQ(T.timeToStop, 14);
  EXPECT_EQ(T.timeWithImproveToStop, 15);
  EXPECT_EQ(T.iNumberOfIterLocal, 16);
  EXPECT_EQ(T.iMaxNrNotImproves, 17);
  EXPECT_TRUE(T.bTSDeterministic);
  EXPECT_EQ(T.iPerturbationType, 3);
  EXPECT_EQ(T.iPerturbationSize, 7);
  EXPECT_EQ(kivra::iInitiPertSize, 7);
  EXPECT_EQ(kivra::maxPertSize, 9);
  EXPECT_FALSE(kivra::mixPerturbation);
  EXPECT_EQ(T.iSolAcceptanceILS, 2);
  EXPECT_FALSE(T.useSwap);
  EXPECT_EQ(kivra::initFitnessBound, 4);
  TabuSearch U;
  EXPECT_TRUE(kivra::mixPerturbation);
  EXPECT_EQ(U.iPerturbationSize, 7);
  EXPECT_EQ(U.intTabuLength, 8);
  EXPECT_EQ(U.iAlgoType, TabuSearch::MCTS);
}

// ------------------------------------------------------------ local-search order

std::vector<int> idsOf(Node** Order, int n) {
  std::vector<int> Ids;
  for (int i = 0; i < n; ++i) Ids.push_back(Order[i]->getID());
  EXPECT_EQ(Order[n], nullptr);
  delete[] Order;
  return Ids;
}

TEST(LocalSearchOrder, IsAMaximumCardinalitySearchReturnedBackToFront) {
  Hypergraph* Empty = buildGraph(0, {});
  Node** Order = Empty->getLocalSearchOrder(0);
  EXPECT_EQ(Order[0], nullptr);
  delete[] Order;
  delete Empty;

  Hypergraph* One = buildGraph(1, {});
  EXPECT_EQ(idsOf(One->getLocalSearchOrder(3), 1), (std::vector<int>{1}));
  delete One;

  std::mt19937 Rng(1);
  for (int iRound = 0; iRound < 10; ++iRound) {
    // Random trees: the order is a perfect elimination ordering.
    const int n = 5 + 7 * iRound;
    Edges Tree;
    for (int v = 1; v < n; ++v) Tree.push_back({std::uniform_int_distribution<int>(0, v - 1)(Rng), v});
    Hypergraph* G = buildGraph(n, Tree);
    std::srand(static_cast<unsigned>(iRound));
    const std::vector<int> Ids = idsOf(G->getLocalSearchOrder(iRound), n);
    std::srand(static_cast<unsigned>(iRound));
    EXPECT_EQ(idsOf(G->getLocalSearchOrder(-1), n), Ids);
    for (int i = 0; i < n; ++i) EXPECT_EQ(G->getNode(i)->getLabel(), 0);
    std::vector<int> Elimination;  // eliminated first = last entry
    for (int i = n - 1; i >= 0; --i) Elimination.push_back(Ids[static_cast<std::size_t>(i)] - 1);
    EXPECT_EQ(referenceWidth(n, Tree, Elimination), 1);
    // The same draws as the ordering model's own search.
    probSol P;
    P.createGraphFromHyp(G);
    std::srand(static_cast<unsigned>(iRound));
    P.MCSOrdering();
    EXPECT_EQ(orderingOf(P), Elimination);
    delete G;
  }
  // The module values written on the way stay.
  EXPECT_EQ(kivra::iInitiPertSize, 3);
  EXPECT_EQ(kivra::maxPertSize, 10);
  EXPECT_EQ(kivra::acceptedFitnessBound, 3);
  EXPECT_EQ(TabuSearch().iPerturbationSize, 3);
}

TEST(LocalSearchOrder, LargeSparseGraphStaysFast) {
  const Edges Grid = grid(100, 60);
  Hypergraph* G = buildGraph(6000, Grid);
  std::srand(1);
  Node** Order = G->getLocalSearchOrder(0);
  std::set<Node*> Seen(Order, Order + 6000);
  EXPECT_EQ(Seen.size(), 6000u);
  EXPECT_EQ(Order[6000], nullptr);
  delete[] Order;
  probSol P;
  P.createGraphFromHyp(G);
  P.MinDegreeOrdering();
  P.calculateFitness(-1, -1);
  EXPECT_GE(P.fFitness, 60.0f);  // a grid's treewidth is its shorter side
  EXPECT_LE(P.fFitness, 300.0f);
  delete G;
}

}  // namespace
