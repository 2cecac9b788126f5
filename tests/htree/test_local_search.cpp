// The local-search heuristics over elimination orderings: graph files, the
// width of an ordering (whole, windowed and in hypertree mode), the greedy
// orderings and perturbations against plain references making the same
// random draws, tabu lists, the searches with their time limits, and the
// hypergraph's local-search order.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <tuple>

#include "kivra/TabuSearch.h"
#include "kivra/probSol.h"
#include "test_hypertree_graphs.h"

using decomposition_test::EdgeList;
using kivra::Hypergraph;
using kivra::probSol;
using kivra::TabuSearch;

namespace {

// A hypergraph on nodes 0 .. n-1 (the model's numbering; IDs 1 .. n).
Hypergraph* graphOf(int n, EdgeList E) {
  for (auto& Members : E)
    for (int& v : Members) ++v;
  return decomposition_test::buildGraph(n, E);
}

EdgeList randomGraph(int n, double p, std::mt19937& Rng) {
  EdgeList E;
  std::bernoulli_distribution Coin(p);
  for (int u = 0; u < n; ++u)
    for (int v = u + 1; v < n; ++v)
      if (Coin(Rng)) E.push_back({u, v});
  return E;
}

std::vector<std::set<int>> adjacency(int n, const EdgeList& E) {
  std::vector<std::set<int>> Adj(n);
  for (const auto& M : E)
    for (int u : M)
      for (int v : M)
        if (u != v) Adj[u].insert(v);
  return Adj;
}

// The neighbours of v not yet eliminated.
std::vector<int> live(const std::vector<std::set<int>>& Adj, const std::vector<bool>& Gone, int v) {
  std::vector<int> L;
  for (int w : Adj[v])
    if (!Gone[w]) L.push_back(w);
  return L;
}

void eliminate(std::vector<std::set<int>>& Adj, std::vector<bool>& Gone, int v) {
  const std::vector<int> L = live(Adj, Gone, v);
  for (int x : L)
    for (int y : L)
      if (x != y) Adj[x].insert(y);
  Gone[v] = true;
}

// Width of an ordering by plain elimination, and the value per position.
int referenceWidth(int n, const EdgeList& E, const std::vector<int>& Order, std::vector<int>* Values = nullptr) {
  auto Adj = adjacency(n, E);
  std::vector<bool> Gone(n, false);
  int iWidth = 0;
  for (int a = 0; a + 1 < n; ++a) {
    const int iValue = static_cast<int>(live(Adj, Gone, Order[a]).size());
    eliminate(Adj, Gone, Order[a]);
    iWidth = std::max(iWidth, iValue);
    if (Values != nullptr) Values->push_back(iValue);
  }
  return iWidth;
}

// Plain-scan greedy orderings (0 maximum cardinality search, 1 minimum degree,
// 2 minimum fill): every live node in increasing number, ties broken by the
// same reservoir draws, keys recomputed from the filled graph.
std::vector<int> referenceCombined(int n, const EdgeList& E, bool bDegreeFirst);
std::vector<int> referenceGreedy(int n, const EdgeList& E, int iKind) {
  if (iKind >= 3) return referenceCombined(n, E, iKind == 3);
  auto Adj = adjacency(n, E);
  std::vector<bool> Gone(n, false);
  std::vector<int> Numbered(n, 0), Order(n);
  auto key = [&](int v) {
    const std::vector<int> L = live(Adj, Gone, v);
    if (iKind == 0) return static_cast<long>(Numbered[v]);
    if (iKind == 1) return static_cast<long>(L.size());
    long f = 0;
    for (size_t i = 0; i < L.size(); ++i)
      for (size_t j = i + 1; j < L.size(); ++j) f += Adj[L[i]].count(L[j]) == 0;
    return f;
  };
  for (int s = 0; s < n; ++s) {
    const bool bFirstDrawn = iKind == 0 && s == 0;  // the search starts at a random node
    int c = bFirstDrawn ? std::rand() % n : -1;
    long best = iKind == 0 ? 0 : -1;
    for (int v = 0, ties = 0; v < n && !bFirstDrawn; ++v) {
      if (Gone[v]) continue;
      const long k = key(v);
      if (iKind == 0 ? k > best : (best < 0 || k < best)) {
        best = k, c = v, ties = 1;
      } else if (k == best) {
        ++ties;
        if (std::rand() % ties + 1 == ties) c = v;
      }
    }
    Order[iKind == 0 ? n - 1 - s : s] = c;
    if (iKind == 0)
      for (int w : Adj[c]) ++Numbered[w];
    else
      eliminate(Adj, Gone, c);
    Gone[c] = true;
  }
  return Order;
}

// Number of non-adjacent pairs among the live neighbours of v.
long fillOf(const std::vector<std::set<int>>& Adj, const std::vector<bool>& Gone, int v) {
  const std::vector<int> L = live(Adj, Gone, v);
  long f = 0;
  for (size_t i = 0; i < L.size(); ++i)
    for (size_t j = i + 1; j < L.size(); ++j) f += Adj[L[i]].count(L[j]) == 0;
  return f;
}

// The combined orderings: exact degrees; fill counts recomputed only for the
// live neighbours of each eliminated node. Degree first (3): a smaller degree
// replaces the choice, an equal degree ties only with the choice's own fill.
// Fill first (4): a smaller fill, or equal fill and smaller degree, replaces;
// both equal ties.
std::vector<int> referenceCombined(int n, const EdgeList& E, bool bDegreeFirst) {
  auto Adj = adjacency(n, E);
  std::vector<bool> Gone(n, false);
  std::vector<long> Fill(n);
  std::vector<int> Order;
  for (int v = 0; v < n; ++v) Fill[v] = fillOf(Adj, Gone, v);
  for (int s = 0; s < n; ++s) {
    auto degree = [&](int v) { return live(Adj, Gone, v).size(); };
    int c = -1;
    for (int v = 0, ties = 0; v < n; ++v) {
      if (Gone[v]) continue;
      if (c < 0) {
        c = v, ties = 1;
        continue;
      }
      const bool bBetter = bDegreeFirst ? degree(v) < degree(c)
                                        : Fill[v] < Fill[c] || (Fill[v] == Fill[c] && degree(v) < degree(c));
      if (bBetter) {
        c = v, ties = 1;
      } else if (degree(v) == degree(c) && Fill[v] == Fill[c]) {
        ++ties;
        if (std::rand() % ties + 1 == ties) c = v;
      }
    }
    Order.push_back(c);
    eliminate(Adj, Gone, c);
    for (int u : live(Adj, Gone, c)) Fill[u] = fillOf(Adj, Gone, u);
  }
  return Order;
}

std::vector<int> orderingOf(const probSol& P) {
  return std::vector<int>(P.iElimOrdering, P.iElimOrdering + P.iNrOfNodes);
}

void setOrdering(probSol& P, const std::vector<int>& Order) {
  std::vector<unsigned short> O(Order.begin(), Order.end());
  P.setNewOrdering(O.data());
}

// A permutation whose positions are its inverse (which makes it one-to-one).
bool isPermutation(const probSol& P) {
  for (int i = 0; i < P.iNrOfNodes; ++i)
    if (P.iElimOrdering[i] >= P.iNrOfNodes || P.iNodePosInOrdering[P.iElimOrdering[i]] != i) return false;
  return true;
}

// The adjacency relation holds exactly the primal graph (fill edges removed).
void expectPrimalAdjacency(const probSol& P, int n, const EdgeList& E) {
  ASSERT_TRUE(P.iZeroOneGraph.allocated());
  const auto Adj = adjacency(n, E);
  size_t iPresent = 0, iPrimal = 0;
  for (int u = 0; u < n; ++u)
    for (int v : Adj[u]) iPresent += P.iZeroOneGraph[u][v], ++iPrimal;
  EXPECT_TRUE(iPresent == iPrimal && iPrimal == P.iZeroOneGraph.size());
}

std::string writeTemp(const std::string& Name, const std::string& Text) {
  const std::string Path = std::filesystem::temp_directory_path() / ("lso_" + std::to_string(::getpid()) + "_" + Name);
  std::ofstream(Path) << Text;
  return Path;
}

TEST(GraphFile, ReadsProblemAndEdgeLinesSkippingOthersAndRepeats) {
  const std::string Path =
      writeTemp("g.txt", "c a comment longer than a hundred characters " + std::string(120, 'x') +
                             "\n\np edge 3 2\ne 1 2\nc another\ne 2 3\ne 2 1\ne 3 3\ne 0 2\ne 2 4\n");
  probSol P;
  testing::internal::CaptureStdout();
  P.readFromFile(Path.c_str());
  std::filesystem::remove(Path);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n\nNr nodes 3Nr. of edges:2\n\n");
  ASSERT_EQ(P.iNrOfNodes, 3);
  EXPECT_EQ(P.iNrOfEdges, 2);
  EXPECT_EQ(std::vector<int>(P.iNrOfNeighboors, P.iNrOfNeighboors + 3), (std::vector<int>{1, 2, 1}));
  P.calculateFitness(-1, -1);  // identity ordering of a path
  EXPECT_EQ(P.fFitness, 1.0f);
  // The self-loop sets only its diagonal entry; nodes outside 1..n are skipped.
  EXPECT_TRUE(P.iZeroOneGraph[2][2]);
  EXPECT_EQ(P.iZeroOneGraph.size(), 5u);
}

// The adjacency matrix is the primal graph as soon as a model is built from a
// hypergraph or a file, before any computation; the list-only model has none.
TEST(OrderingModel, AdjacencyMatrixIsThePrimalGraphFromConstructionOn) {
  const EdgeList E = {{0, 1}, {1, 2, 3}, {3, 0}, {1, 0}, {4, 5}};  // node 6 stays alone
  Hypergraph* G = graphOf(7, E);
  probSol P;
  P.createGraphFromHyp(G);
  expectPrimalAdjacency(P, 7, E);
  probSol L;
  L.createGraphFromHypNew(G);
  EXPECT_FALSE(L.iZeroOneGraph.allocated());
  delete G;

  const std::string Path = writeTemp("loop.txt", "p edge 4 3\ne 1 2\ne 2 3\ne 3 3\ne 2 1\n");
  probSol F;
  testing::internal::CaptureStdout();
  F.readFromFile(Path.c_str());
  testing::internal::GetCapturedStdout();
  std::filesystem::remove(Path);
  ASSERT_TRUE(F.iZeroOneGraph.allocated());
  EXPECT_TRUE(F.iZeroOneGraph[0][1] && F.iZeroOneGraph[1][0] && F.iZeroOneGraph[1][2] && F.iZeroOneGraph[2][1]);
  EXPECT_TRUE(F.iZeroOneGraph[2][2]);  // the self-loop, on the diagonal only
  EXPECT_EQ(F.iZeroOneGraph.size(), 5u);
}

TEST(GraphFileDeathTest, MissingFileAndTooManyNodesAreFatal) {
  // The message goes to standard output, sent into the checked stream here.
  EXPECT_EXIT((::dup2(2, 1), probSol().readFromFile("/nonexistent/lso/graph.txt")), ::testing::ExitedWithCode(1),
              "\nError opening file\\.\\.\\.  /nonexistent/lso/graph\\.txt\nProbleme me hapjen e fajllit\n\n");
  // Counts beyond an int are refused, not wrapped (4294967299 would wrap to 3).
  for (const char* cProblem : {"p edge 70000 0\n", "p edge 4294967299 0\n", "p edge 3 4294967298\n"}) {
    const std::string Path = writeTemp("big.txt", cProblem);
    EXPECT_EXIT(probSol().readFromFile(Path.c_str()), ::testing::ExitedWithCode(1),
                "ERROR in probSol::readFromFile: Set size exceeded\\.");
    std::filesystem::remove(Path);
  }
  // A file graph has no hyperedges to cover bags with: hypertree mode is refused.
  const std::string Path = writeTemp("path.txt", "p edge 3 2\ne 1 2\ne 2 3\n");
  EXPECT_EXIT(
      {
        probSol P;
        P.readFromFile(Path.c_str());
        P.bHypertreeAlg = true;
        P.calculateFitness(-1, -1);
      },
      ::testing::ExitedWithCode(1), "ERROR in probSol/calculateFitness: Hypertree mode needs a graph built from a hypergraph\\.");
  std::filesystem::remove(Path);
  EXPECT_EXIT(probSol().createGraphFromHyp(graphOf(65537, {})), ::testing::ExitedWithCode(1),
              "ERROR in probSol::createGraphFromHyp: Set size exceeded\\.");
}

// Builds the model of G and gives it a random ordering of its n nodes, which it returns.
std::vector<int> setRandomOrdering(probSol& P, Hypergraph* G, int n, std::mt19937& Rng) {
  P.createGraphFromHyp(G);
  std::vector<int> Order(n);
  std::iota(Order.begin(), Order.end(), 0);
  std::shuffle(Order.begin(), Order.end(), Rng);
  setOrdering(P, Order);
  return Order;
}

// Width, values per position and the nodes of the largest value agree with a
// plain elimination, and so do the windowed fitness after a swap and the move
// and swap trials, which restore ordering and measures; the adjacency relation
// is the primal graph again after every computation.
TEST(OrderingFitness, AgreesWithPlainEliminationOnRandomGraphs) {
  std::mt19937 Rng(7);
  for (int iRound = 0; iRound < 60; ++iRound) {
    SCOPED_TRACE("round " + std::to_string(iRound));
    const int n = 2 + iRound % 25;
    const EdgeList E = randomGraph(n, 0.1 + 0.05 * (iRound % 8), Rng);
    Hypergraph* G = graphOf(n, E);
    probSol P;
    const std::vector<int> Order = setRandomOrdering(P, G, n, Rng);
    std::vector<int> Values, Largest;
    const int iWidth = referenceWidth(n, E, Order, &Values);
    ASSERT_EQ(P.fFitness, static_cast<float>(iWidth));
    for (int a = 0; a + 1 < n; ++a)
      if (Values[a] == iWidth) Largest.push_back(Order[a]);
    EXPECT_EQ(std::vector<int>(P.iMaxCliqueNodes, P.iMaxCliqueNodes + P.iNrNodesLargestClique), Largest);
    EXPECT_EQ(P.iLargestCliqueNode, iWidth > 0 ? Largest.front() : 0);
    for (int v = 0; v < n; ++v) EXPECT_FALSE(P.bNodeEliminated[v]);
    expectPrimalAdjacency(P, n, E);

    std::uniform_int_distribution<int> Pick(0, n - 1);
    const int iNode = Pick(Rng), iPos = Pick(Rng);
    std::vector<int> Moved = Order, Swapped = Order;
    Moved.erase(std::find(Moved.begin(), Moved.end(), iNode));
    Moved.insert(Moved.begin() + iPos, iNode);
    std::swap(Swapped[P.iNodePosInOrdering[iNode]], Swapped[iPos]);
    const std::vector<int> Sizes(P.iCliqueSizes, P.iCliqueSizes + n);  // what windowed computations reuse
    EXPECT_EQ(P.calculateFitnessFromMove(iNode, iPos), referenceWidth(n, E, Moved));
    EXPECT_EQ(P.calculateFitnessFromSwap(iNode, iPos), referenceWidth(n, E, Swapped));
    EXPECT_EQ(orderingOf(P), Order);
    EXPECT_EQ(P.fFitness, static_cast<float>(iWidth));
    EXPECT_EQ(std::vector<int>(P.iCliqueSizes, P.iCliqueSizes + n), Sizes);
    EXPECT_TRUE(isPermutation(P));

    P.Swap(iNode, iPos);  // windowed
    EXPECT_EQ(orderingOf(P), Swapped);
    EXPECT_EQ(P.fFitness, static_cast<float>(referenceWidth(n, E, Swapped)));
    expectPrimalAdjacency(P, n, E);
    delete G;
  }
}

// A windowed computation reuses the stored values beyond its window; values
// left stale by an early stop must be recomputed when a later window reaches
// them. The fixed case: the first swap's computation stops early (width 6
// reached), so the second swap must not reuse positions 6 and 7.
TEST(OrderingFitness, WindowedComputationsAgreeWithWholeOnes) {
  {
    const EdgeList E = {{0, 1}, {0, 2}, {0, 3}, {0, 7}, {0, 8}, {1, 4}, {1, 7}, {2, 4}, {2, 8},
                        {3, 5}, {3, 6}, {3, 8}, {4, 5}, {4, 6}, {4, 7}, {4, 8}, {5, 8}, {6, 8}};
    Hypergraph* G = graphOf(9, E);
    probSol P;
    P.createGraphFromHyp(G);
    setOrdering(P, {8, 2, 5, 6, 4, 1, 7, 0, 3});
    EXPECT_EQ(P.fFitness, 6.0f);
    P.Swap(4, 7);
    P.Swap(6, 0);
    EXPECT_EQ(orderingOf(P), (std::vector<int>{6, 2, 5, 8, 0, 1, 7, 4, 3}));
    EXPECT_EQ(P.fFitness, 4.0f);
    delete G;
  }
  // Random sequences of swaps, double swaps, moves and their trials.
  std::mt19937 Rng(11);
  for (int iRound = 0; iRound < 40; ++iRound) {
    SCOPED_TRACE("round " + std::to_string(iRound));
    const int n = 3 + iRound % 14;
    const EdgeList E = randomGraph(n, 0.2 + 0.1 * (iRound % 5), Rng);
    Hypergraph* G = graphOf(n, E);
    probSol P;
    const std::vector<int> Order = setRandomOrdering(P, G, n, Rng);
    std::uniform_int_distribution<int> Pick(0, n - 1);
    for (int iStep = 0; iStep < 60; ++iStep) {
      const int iNode = Pick(Rng), iPos = Pick(Rng), iNode2 = Pick(Rng), iPos2 = Pick(Rng);
      switch (iStep % 5) {
        case 0:
          P.Swap(iNode, iPos);
          break;
        case 1:
          P.doubleSwap(iNode, iPos, iNode2, iPos2);
          break;
        case 2: {
          std::vector<int> Swapped = orderingOf(P);
          std::swap(Swapped[P.iNodePosInOrdering[iNode]], Swapped[iPos]);
          ASSERT_EQ(P.calculateFitnessFromSwap(iNode, iPos), referenceWidth(n, E, Swapped));
          break;
        }
        case 3: {
          std::vector<int> Moved = orderingOf(P);
          Moved.erase(std::find(Moved.begin(), Moved.end(), iNode));
          Moved.insert(Moved.begin() + iPos, iNode);
          ASSERT_EQ(P.calculateFitnessFromMove(iNode, iPos), referenceWidth(n, E, Moved));
          break;
        }
        default:
          P.DoMove(iNode, iPos);
      }
      ASSERT_TRUE(isPermutation(P));
      ASSERT_EQ(P.fFitness, static_cast<float>(referenceWidth(n, E, orderingOf(P)))) << "step " << iStep;
    }
    delete G;
  }
}

TEST(GreedyOrderings, FastScansMakeTheSameChoicesAndDrawsAsPlainScans) {
  std::mt19937 Rng(3);
  for (int iRound = 0; iRound < 45; ++iRound) {
    const int n = 1 + iRound % 30;
    const EdgeList E = randomGraph(n, 0.08 * (1 + iRound % 5), Rng);
    Hypergraph* G = graphOf(n, E);
    probSol P;
    P.createGraphFromHyp(G);
    for (int iKind = 0; iKind < 5; ++iKind) {
      SCOPED_TRACE("round " + std::to_string(iRound) + " kind " + std::to_string(iKind));
      std::srand(100 + iRound);
      const std::vector<int> Expected = referenceGreedy(n, E, iKind);
      const int iNextDraw = std::rand();
      std::srand(100 + iRound);
      void (probSol::*Ordering[])() = {&probSol::MCSOrdering, &probSol::MinDegreeOrdering, &probSol::MinFillOrdering,
                                       &probSol::MinDegreeAndFillOrdering, &probSol::MinFillAndDegreeOrdering};
      (P.*Ordering[iKind])();
      EXPECT_EQ(orderingOf(P), Expected);
      EXPECT_EQ(std::rand(), iNextDraw);
      EXPECT_TRUE(isPermutation(P));
      expectPrimalAdjacency(P, n, E);
    }
    delete G;
  }
}

// The centre of a 300-node star has 44,551 missing pairs among its
// neighbours, beyond a 16-bit count: it must still come last (width 1).
TEST(GreedyOrderings, MinimumFillCountsBeyondSixteenBits) {
  EdgeList Star;
  for (int v = 1; v < 300; ++v) Star.push_back({0, v});
  Hypergraph* G = graphOf(300, Star);
  probSol P;
  P.createGraphFromHyp(G);
  for (auto Ordering : {&probSol::MinFillOrdering, &probSol::MinFillAndDegreeOrdering}) {
    (P.*Ordering)();
    P.calculateFitness(-1, -1);
    EXPECT_EQ(P.fFitness, 1.0f);
    EXPECT_GE(P.iNodePosInOrdering[0], 298);
  }
  delete G;
}

// Perturbations against a replay of their draws on a plain ordering; each
// ends with the fitness of the ordering it leaves.
TEST(OrderingPerturbations, FollowTheirDrawsAndLeaveTheFitnessComputed) {
  std::mt19937 Rng(9);
  const int n = 14;
  const EdgeList E = randomGraph(n, 0.3, Rng);
  Hypergraph* G = graphOf(n, E);
  probSol P;
  P.createGraphFromHyp(G);
  auto swapNodes = [](std::vector<int>& O, int a, int b) {
    std::iter_swap(std::find(O.begin(), O.end(), a), std::find(O.begin(), O.end(), b));
  };
  for (int iCount : {0, 1, 2, 5}) {
    SCOPED_TRACE("count " + std::to_string(iCount));
    for (int iKind = 0; iKind < 4; ++iKind) {
      std::vector<int> Start(n);
      std::iota(Start.begin(), Start.end(), 0);
      std::shuffle(Start.begin(), Start.end(), Rng);
      setOrdering(P, Start);
      const std::vector<int> Largest(P.iMaxCliqueNodes, P.iMaxCliqueNodes + P.iNrNodesLargestClique);
      std::vector<int> Expected = Start;
      std::srand(50 + iCount);
      switch (iKind) {
        case 0:  // the largest-clique nodes, at least one, each with a random node
          for (int j = 0; j < std::min<int>(std::max(1, iCount), static_cast<int>(Largest.size())); ++j)
            swapNodes(Expected, Largest[j], std::rand() % n);
          break;
        case 1:  // one pair fewer than asked
          for (int j = 1; j < iCount; ++j) {
            const int a = std::rand() % n;
            swapNodes(Expected, a, std::rand() % n);
          }
          break;
        case 2:  // one move fewer than asked
          for (int j = 1; j < iCount; ++j) {
            const int iNode = std::rand() % n, iPos = std::rand() % n;
            Expected.erase(std::find(Expected.begin(), Expected.end(), iNode));
            Expected.insert(Expected.begin() + iPos, iNode);
          }
          break;
        default:  // draws until one falls on the last node, at most iCount draws
          for (int j = 0; j < std::max(1, iCount) && std::rand() % n != n - 1; ++j) {
          }
      }
      const int iNextDraw = std::rand();
      std::srand(50 + iCount);
      const float fBefore = P.fFitness;
      if (iKind == 0) P.moveLargestCliques(iCount);
      if (iKind == 1) P.performNRandSwaps(iCount);
      if (iKind == 2) P.performNRandMoves(iCount);
      if (iKind == 3) P.destroyPart(iCount);
      EXPECT_EQ(std::rand(), iNextDraw) << iKind;
      EXPECT_EQ(orderingOf(P), Expected) << iKind;
      EXPECT_EQ(P.fFitness, iKind == 3 ? fBefore : static_cast<float>(referenceWidth(n, E, Expected))) << iKind;
    }
  }
  delete G;
}

// Hypertree mode: the fitness is the width plus the largest greedy cover of a
// bag by hyperedges, over 100.
TEST(OrderingFitness, HypertreeModeAddsTheLargestBagCover) {
  using Case = std::tuple<int, EdgeList, std::vector<int>, float, int>;  // n, hyperedges, order, fitness, cover
  for (const auto& [n, E, Order, fFitness, iCover] :
       {Case{4, {{0, 1, 2, 3}}, {0, 1, 2, 3}, 3.01f, 1},                      // one hyperedge holds every bag
        Case{3, {{0, 1}, {1, 2}}, {0, 1, 2}, 1.01f, 1},                       // a path in order
        Case{5, {{0, 1}, {0, 2}, {0, 3}, {0, 4}}, {0, 1, 2, 3, 4}, 4.04f, 4},  // a star, centre first
        Case{5, {{0, 1, 2}, {2, 3, 4}, {0, 4}}, {2, 0, 1, 3, 4}, 4.02f, 2}}) {
    Hypergraph* G = graphOf(n, E);
    probSol P;
    P.createGraphFromHyp(G);
    P.bHypertreeAlg = true;
    setOrdering(P, Order);
    EXPECT_FLOAT_EQ(P.fFitness, fFitness);
    EXPECT_EQ(P.iLargestClique, iCover);
    expectPrimalAdjacency(P, n, E);
    delete G;
  }
}

// Ring tabu list: (node, position) entries, written round a ring whose write
// position all drivers share; per-node iteration stamps.
TEST(TabuLists, RingEntriesAndNodeStamps) {
  TabuSearch A, B;
  for (TabuSearch* T : {&A, &B}) {
    T->intTabuLength = 3;
    T->iTabuList = new int[3];
    T->iTabuListPos = new int[3];
    T->resetTabuList();
  }
  A.updateTabuList(4, 7);
  B.updateTabuList(5, 8);  // B writes where A would have written next
  A.updateTabuList(6, -1);
  int iFour = -1;
  for (int k = 0; k < 3; ++k)
    if (A.iTabuList[k] == 4) iFour = k;
  ASSERT_GE(iFour, 0);
  EXPECT_EQ(B.iTabuList[(iFour + 1) % 3], 5);
  EXPECT_EQ(A.iTabuList[(iFour + 2) % 3], 6);
  EXPECT_TRUE(A.isSolutionTabu(4, -1) && A.isSolutionTabu(4, 7) && A.isSolutionTabu(6, -1));
  EXPECT_FALSE(A.isSolutionTabu(4, 8) || A.isSolutionTabu(5, -1) || A.isSolutionTabu(6, 0));
  EXPECT_TRUE(A.isSwapTabu(1, 6) && A.isSwapTabu(4, 2));
  EXPECT_FALSE(A.isSwapTabu(1, 2));
  A.updateTabuList(1, 0);  // the ring overwrites its oldest entry
  A.updateTabuList(2, 0);
  A.updateTabuList(3, 0);
  EXPECT_FALSE(A.isSolutionTabu(4, -1) || A.isSolutionTabu(6, -1));
  A.resetTabuList();
  EXPECT_FALSE(A.isSolutionTabu(1, -1) || A.isSolutionTabu(2, -1) || A.isSolutionTabu(3, -1));

  TabuSearch C;
  C.intTabuLength = 2;
  C.iTabuList = new int[3]();
  EXPECT_FALSE(C.isNodeTabu(0, 1));  // stamp 0: never marked
  C.updateNodeTabuList(0, 5);
  EXPECT_TRUE(C.isNodeTabu(0, 5) && C.isNodeTabu(0, 7));
  EXPECT_FALSE(C.isNodeTabu(0, 8));  // the tenure has passed
}

// Simulated annealing accepts a swap that is not better with chance
// exp(delta / T) (one half for an equal one), by one draw in hundredths.
TEST(OrderingSearches, AnnealingAcceptanceChances) {
  using Case = std::tuple<double, double, int, int>;  // delta, temperature, accepted of 10,000 within [lo, hi]
  for (const auto& [dDelta, dTemperature, iLow, iHigh] :
       {Case{0, 0.05, 4700, 5300}, Case{-1, 1, 3400, 4000}, Case{-2, 1, 1200, 1700}, Case{-1, 0.05, 50, 150}}) {
    std::srand(21);
    int iAccepted = 0;
    for (int k = 0; k < 10000; ++k) iAccepted += TabuSearch::acceptsWorseSwap(dDelta, dTemperature);
    EXPECT_TRUE(iAccepted >= iLow && iAccepted <= iHigh) << dDelta << " at " << dTemperature << ": " << iAccepted;
    std::srand(21);
    for (int k = 0; k < 10000; ++k) std::rand();
    const int iNext = std::rand();
    std::srand(21);
    for (int k = 0; k < 10000; ++k) TabuSearch::acceptsWorseSwap(dDelta, dTemperature);
    EXPECT_EQ(std::rand(), iNext);  // one draw each
  }
}

using Search = std::function<int(TabuSearch&, probSol&, bool)>;

const std::vector<std::pair<std::string, Search>> kSearches = {
    {"tabu", [](TabuSearch& T, probSol& P, bool b) { return T.tabuSearchAlg(P, b); }},
    {"fiduccia", [](TabuSearch& T, probSol& P, bool b) { return T.fiduciaSearchAlg(P, b); }},
    {"min-conflicts", [](TabuSearch& T, probSol& P, bool b) { return T.minConflicts(P, b); }},
    {"min-conflicts tabu", [](TabuSearch& T, probSol& P, bool b) { return T.minConflictsTS(P, b); }},
    {"random walk", [](TabuSearch& T, probSol& P, bool b) { return T.randomWalk(P, b); }},
    {"annealing", [](TabuSearch& T, probSol& P, bool b) { return T.SA(P, b); }},
    {"great deluge", [](TabuSearch& T, probSol& P, bool b) { return T.GreatDeLuge(P, b); }},
};

// Runs a search from Start (n > 1) or from the model's own ordering under a
// fixed seed; returns the installed ordering, checked to be a permutation
// evaluated as a plain elimination evaluates it; Out receives what it printed.
std::vector<int> runSearch(const Search& Run, int n, const EdgeList& E, const std::vector<int>& Start,
                           std::string& Out) {
  Hypergraph* G = graphOf(n, E);
  probSol P;
  P.createGraphFromHyp(G);
  TabuSearch T;
  T.iMaxNrNotImproves = 6;
  T.timeToStop = 2;          // the searches end on their own long before this
  T.iteratedLocalSearch(P);  // buffers for the searches that need them
  if (n > 1) setOrdering(P, Start);
  std::srand(17);
  testing::internal::CaptureStdout();
  const int iSeconds = Run(T, P, n > 1);
  Out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(iSeconds >= 0 && iSeconds <= 2);
  EXPECT_TRUE(isPermutation(P));
  const std::vector<int> Result = orderingOf(P);
  EXPECT_EQ(P.fFitness, static_cast<float>(referenceWidth(n, E, Result)));
  delete G;
  return Result;
}

TEST(OrderingSearches, EndWithTheirBestOrderingEvaluatedAndRepeatUnderASeed) {
  EdgeList Grid = decomposition_test::gridEdges(4, 4);  // from a poor start
  for (auto& Members : Grid)
    for (int& v : Members) --v;
  const std::vector<int> Start = {5, 6, 9, 10, 0, 3, 12, 15, 1, 2, 4, 7, 8, 11, 13, 14};
  for (const auto& [Name, Run] : kSearches) {
    SCOPED_TRACE(Name);
    std::string Out, Again;
    const std::vector<int> First = runSearch(Run, 16, Grid, Start, Out);
    EXPECT_EQ(runSearch(Run, 16, Grid, Start, Again), First);
    if (Name != "fiduccia") {  // which starts from the identity ordering
      EXPECT_LE(referenceWidth(16, Grid, First), referenceWidth(16, Grid, Start));
    }
    if (Name == "great deluge") {  // reports each new best: the last one is the result
      EXPECT_TRUE(Out.ends_with("\nIMPROVED....\n" + std::to_string(referenceWidth(16, Grid, First)) + "\n\n")) << Out;
    }
    for (int n : {0, 1}) runSearch(Run, n, {}, {}, Again);
  }
}

// In tabu search and the Fiduccia-style search an aspirated tabu move becomes
// the choice without lowering the value later candidates must beat, so a
// later non-tabu candidate that beats only the earlier ones replaces it. In
// these two deterministic runs that happens (the tabu search then ends on a
// different ordering of the same width; the Fiduccia-style search finds
// nothing better than its identity start); an aspiration that also lowered
// the bar ends elsewhere.
TEST(OrderingSearches, AspirationDoesNotLowerTheBarForLaterCandidates) {
  using Case = std::tuple<int, int, EdgeList, std::vector<int>, std::vector<int>>;  // search, n, edges, start, result
  for (const auto& [iSearch, n, E, Start, Expected] :
       {Case{0, 8, {{0, 2}, {0, 7}, {1, 2}, {1, 3}, {1, 5}, {1, 7}, {2, 3}, {3, 4}, {3, 5}, {4, 5}},
             {5, 6, 7, 2, 1, 0, 4, 3}, {6, 7, 0, 4, 2, 5, 3, 1}},
        Case{1, 8, {{0, 1}, {0, 2}, {1, 2}, {1, 3}, {1, 4}, {1, 7}, {2, 3}, {2, 4}, {3, 4}, {3, 6}, {4, 5}, {5, 7}, {6, 7}},
             {3, 6, 1, 0, 4, 7, 2, 5}, {0, 1, 2, 3, 4, 5, 6, 7}}}) {
    Hypergraph* G = graphOf(n, E);
    probSol P;
    P.createGraphFromHyp(G);
    TabuSearch T;
    T.iteratedLocalSearch(P);
    setOrdering(P, Start);
    T.intRandomProb = 0;
    T.bTSDeterministic = true;
    T.intTabuLength = 3;
    T.iMaxNrNotImproves = 4;
    std::srand(1);
    kSearches[static_cast<size_t>(iSearch)].second(T, P, true);
    EXPECT_EQ(orderingOf(P), Expected) << kSearches[static_cast<size_t>(iSearch)].first;
    delete G;
  }
}

// Great deluge with its default settings (time limits of hours) ends on its
// own where every move stays within its band: a triangle, a cycle and a path.
// Run in a child process that an alarm ends if the search does not.
TEST(OrderingSearchesDeathTest, GreatDelugeEndsOnFlatLandscapesWithItsDefaults) {
  EdgeList Cycle = decomposition_test::pathEdges(50), Path = Cycle;
  Cycle.push_back({1, 50});
  for (EdgeList* E : {&Cycle, &Path})
    for (auto& Members : *E)
      for (int& v : Members) --v;
  for (const auto& [n, E] : {std::pair<int, EdgeList>{3, {{0, 1}, {1, 2}, {0, 2}}}, {50, Cycle}, {50, Path}}) {
    EXPECT_EXIT(
        {
          ::alarm(5);
          Hypergraph* G = graphOf(n, E);
          probSol P;
          P.createGraphFromHyp(G);
          TabuSearch T;
          std::srand(3);
          T.GreatDeLuge(P, false);
          std::exit(P.fFitness == static_cast<float>(referenceWidth(n, E, orderingOf(P))) ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "");
  }
}

// Each search with its default settings but a time limit of one second, on a
// graph where one tabu iteration alone takes many seconds, returns within the
// limit plus a little; the child process is ended by an alarm otherwise.
class SearchTimeLimit : public testing::TestWithParam<int> {};

TEST_P(SearchTimeLimit, ReturnsWithinTheLimit) {
  const auto& [Name, Run] = kSearches[static_cast<size_t>(GetParam())];
  SCOPED_TRACE(Name);
  std::mt19937 Rng(4);
  const int n = 700;
  EdgeList E;
  for (int k = 0; k < 2 * n; ++k) E.push_back({static_cast<int>(Rng() % n), static_cast<int>(Rng() % n)});
  EXPECT_EXIT(
      {
        Hypergraph* G = graphOf(n, E);
        probSol P;
        P.createGraphFromHyp(G);
        TabuSearch T;
        T.iteratedLocalSearch(P);  // buffers, and a start ordering for the searches that keep theirs
        P.calculateFitness(-1, -1);
        T.timeToStop = 1;
        std::cout.setstate(std::ios::failbit);  // the Fiduccia-style search reports its noise moves
        ::alarm(3);
        Run(T, P, true);
        std::exit(isPermutation(P) ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(OrderingSearches, SearchTimeLimit, testing::Range(0, 7));

// The model's maximum cardinality search read back to front, labels reset.
TEST(LocalSearchOrder, IsTheModelsMaximumCardinalitySearchBackToFront) {
  std::mt19937 Rng(1);
  for (int n : {0, 1, 5, 12, 40}) {
    Hypergraph* G = graphOf(n, randomGraph(n, 0.15, Rng));
    for (int i = 0; i < n; ++i) G->getNode(i)->setLabel(7);
    std::srand(n);
    auto** Order = G->getLocalSearchOrder(0);
    std::vector<int> Ids;
    for (int i = n - 1; i >= 0; --i) Ids.push_back(Order[i]->getID() - 1);
    EXPECT_EQ(Order[n], nullptr);
    delete[] Order;
    for (int i = 0; i < n; ++i) EXPECT_EQ(G->getNode(i)->getLabel(), 0);
    probSol P;
    P.createGraphFromHyp(G);
    std::srand(n);
    P.MCSOrdering();
    EXPECT_EQ(Ids, orderingOf(P)) << n;
    delete G;
  }
}

}  // namespace
