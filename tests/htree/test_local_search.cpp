// The local-search heuristics over elimination orderings: the ordering model
// (graph files, the width of an ordering against a plain elimination, greedy
// orderings against plain-scan references making the same random draws,
// moves), the searches (best ordering installed and evaluated, repeatable
// under a seed, stopping rules, output) and the hypergraph's local-search
// order.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <numeric>
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

// A hypergraph on nodes 0 .. n-1 (IDs 1 .. n) with the given hyperedges.
Hypergraph* buildHypergraph(int n, const std::vector<std::vector<int>>& HEdges) {
  Hypergraph* G = new Hypergraph;
  for (int i = 0; i < n; ++i) G->MyNodes.push_back(new Node(i + 1, i + 1));
  int k = 0;
  for (const auto& Members : HEdges) {
    Hyperedge* e = new Hyperedge(k, k);
    ++k;
    G->MyEdges.push_back(e);
    for (int v : Members) {
      G->MyNodes[static_cast<std::size_t>(v)]->insEdge(e);
      e->insNode(G->MyNodes[static_cast<std::size_t>(v)]);
    }
  }
  G->iMyMaxNbrOfNodes = n;
  G->iMyMaxNbrOfEdges = static_cast<int>(HEdges.size());
  G->updateNeighbourhood();
  return G;
}

Hypergraph* buildGraph(int n, const Edges& E) {
  std::vector<std::vector<int>> H;
  for (auto [u, v] : E) H.push_back({u, v});
  return buildHypergraph(n, H);
}

Edges randomGraph(int n, double p, std::mt19937& Rng) {
  Edges E;
  std::bernoulli_distribution Coin(p);
  for (int u = 0; u < n; ++u)
    for (int v = u + 1; v < n; ++v)
      if (Coin(Rng)) E.push_back({u, v});
  return E;
}

Edges cycle(int n) {
  Edges E;
  for (int i = 0; i < n; ++i) E.push_back({i, (i + 1) % n});
  return E;
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

// A random tree, or with k > 1 a random k-tree (chordal, clique number k+1).
Edges randomKTree(int n, int k, std::mt19937& Rng) {
  Edges E;
  std::vector<std::vector<int>> Cliques;
  std::vector<int> First;
  for (int i = 0; i <= k && i < n; ++i) {
    for (int j = 0; j < i; ++j) E.push_back({j, i});
    First.push_back(i);
  }
  Cliques.push_back(First);
  for (int v = k + 1; v < n; ++v) {
    std::vector<int> Base = Cliques[std::uniform_int_distribution<std::size_t>(0, Cliques.size() - 1)(Rng)];
    if (static_cast<int>(Base.size()) > k) Base.erase(Base.begin() + static_cast<long>(std::uniform_int_distribution<int>(0, k)(Rng)));
    for (int u : Base) E.push_back({u, v});
    Base.push_back(v);
    Cliques.push_back(Base);
  }
  return E;
}

// Width of an ordering by plain elimination, and the value per position.
int referenceWidth(int n, const Edges& E, const std::vector<int>& Order, std::vector<int>* Values = nullptr) {
  std::vector<std::set<int>> Adj(static_cast<std::size_t>(n));
  for (auto [u, v] : E)
    if (u != v) {
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
    if (Values != nullptr) Values->push_back(static_cast<int>(Later.size()));
  }
  return iWidth;
}

std::vector<int> orderingOf(const probSol& P) { return std::vector<int>(P.iElimOrdering, P.iElimOrdering + P.iNrOfNodes); }

void setOrdering(probSol& P, const std::vector<int>& Order) {
  std::vector<unsigned short> O(Order.begin(), Order.end());
  P.setNewOrdering(O.data());
}

// The adjacency relation holds exactly the primal graph (both directions).
void expectPrimalAdjacency(const probSol& P, const Edges& E) {
  std::set<std::pair<int, int>> Pairs;
  for (auto [u, v] : E) {
    Pairs.insert({u, v});
    Pairs.insert({v, u});
  }
  EXPECT_EQ(P.iZeroOneGraph.size(), Pairs.size());
  for (auto [u, v] : Pairs) EXPECT_TRUE(P.iZeroOneGraph[static_cast<unsigned>(u)][static_cast<unsigned>(v)]);
}

bool isPermutation(const probSol& P) {
  std::vector<int> O = orderingOf(P);
  for (int i = 0; i < P.iNrOfNodes; ++i)
    if (P.iNodePosInOrdering[O[static_cast<std::size_t>(i)]] != i) return false;
  std::sort(O.begin(), O.end());
  for (int i = 0; i < P.iNrOfNodes; ++i)
    if (O[static_cast<std::size_t>(i)] != i) return false;
  return true;
}

// Writes a file into the temporary directory; returns its path.
std::string writeTemp(const std::string& Name, const std::string& Text) {
  const std::string Path = std::filesystem::temp_directory_path() / ("lso_" + std::to_string(::getpid()) + "_" + Name);
  std::ofstream(Path) << Text;
  return Path;
}

// ------------------------------------------------------------ graph files

TEST(GraphFile, ReadsProblemAndEdgeLinesSkippingOthersAndRepeats) {
  const std::string Path = writeTemp("g.txt",
                                 "c a comment longer than a hundred characters " + std::string(120, 'x') + "\n"
                                 "\n"
                                 "p edge 3 2\n"
                                 "e 1 2\n"
                                 "c another\n"
                                 "e 2 3\n"
                                 "e 2 1\n"
                                 "e 3 3\n"
                                 "e 0 2\n"
                                 "e 2 4\n");
  probSol P;
  testing::internal::CaptureStdout();
  P.readFromFile(Path.c_str());
  std::filesystem::remove(Path);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n\nNr nodes 3Nr. of edges:2\n\n");
  ASSERT_EQ(P.iNrOfNodes, 3);
  EXPECT_EQ(P.iNrOfEdges, 2);
  EXPECT_EQ(P.iNrOfNeighboors[0], 1);
  EXPECT_EQ(P.iNrOfNeighboors[1], 2);
  EXPECT_EQ(P.iNrOfNeighboors[2], 1);
  // The self-loop sets only its diagonal entry; nodes outside 1..n are skipped.
  EXPECT_TRUE(P.iZeroOneGraph[2][2]);
  EXPECT_EQ(P.iZeroOneGraph.size(), 5u);
  // The file graph is usable as it is: identity ordering, path width 1.
  P.calculateFitness(-1, -1);
  EXPECT_EQ(P.fFitness, 1.0f);
}

TEST(GraphFileDeathTest, MissingFileEndsWithMessageOnStandardOutput) {
  EXPECT_EXIT(
      {
        ::dup2(2, 1);  // standard output into the checked stream
        probSol P;
        P.readFromFile("/nonexistent/lso/graph.txt");
      },
      ::testing::ExitedWithCode(1),
      "\nError opening file\\.\\.\\.  /nonexistent/lso/graph\\.txt\nProbleme me hapjen e fajllit\n\n");
}

// ------------------------------------------------------------ construction

TEST(OrderingModel, BuildsPrimalGraphAndHyperedgeListsFromHypergraph) {
  // Hyperedges {0,1,2} and {2,3}: node 2 lies in both.
  Hypergraph* G = buildHypergraph(4, {{0, 1, 2}, {2, 3}});
  probSol P;
  P.createGraphFromHyp(G);
  ASSERT_EQ(P.iNrOfNodes, 4);
  EXPECT_EQ(P.iNrOfEdges, 2);
  EXPECT_EQ(orderingOf(P), (std::vector<int>{3, 2, 1, 0}));
  EXPECT_TRUE(isPermutation(P));
  EXPECT_EQ(std::vector<int>(P.iGraph[2], P.iGraph[2] + P.iNrOfNeighboors[2]), (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(std::vector<int>(P.iGraph[1], P.iGraph[1] + P.iNrOfNeighboors[1]), (std::vector<int>{0, 2}));
  EXPECT_EQ(P.iNrOfNodeEdges[2], 2);
  EXPECT_EQ(P.iNodesEdges[2][0], 0);
  EXPECT_EQ(P.iNodesEdges[2][1], 1);
  expectPrimalAdjacency(P, {{0, 1}, {0, 2}, {1, 2}, {2, 3}});
  EXPECT_EQ(G->getNode(3)->getLabel(), 3);

  probSol Q;
  Q.createGraphFromHypNew(G);
  EXPECT_EQ(orderingOf(Q), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_TRUE(Q.bAreNodesConnected(3, 2));
  EXPECT_FALSE(Q.bAreNodesConnected(0, 3));
  delete G;

  // The list-only variant holds nodes of any degree.
  Hypergraph* Star = buildGraph(1501, star(1500));
  Q.createGraphFromHypNew(Star);
  EXPECT_EQ(Q.iNrOfNeighboors[0], 1500);
  EXPECT_TRUE(Q.bAreNodesConnected(0, 1500));
  delete Star;
}

TEST(OrderingModelDeathTest, MoreNodesThanSixteenBitsIsFatal) {
  const std::string Path = writeTemp("big.txt", "p edge 70000 0\n");
  EXPECT_EXIT(
      {
        probSol P;
        P.readFromFile(Path.c_str());
      },
      ::testing::ExitedWithCode(1), "ERROR in probSol::readFromFile: Set size exceeded\\.");
  std::filesystem::remove(Path);
  EXPECT_EXIT(
      {
        Hypergraph* G = buildHypergraph(65537, {});
        probSol P;
        P.createGraphFromHyp(G);
      },
      ::testing::ExitedWithCode(1), "ERROR in probSol::createGraphFromHyp: Set size exceeded\\.");
}

// ------------------------------------------------------------ fitness

TEST(OrderingFitness, SmallCases) {
  struct Case {
    const char* cName;
    int n;
    Edges E;
    std::vector<int> Order;
    float fWidth;
  };
  const std::vector<Case> Cases = {
      {"empty", 0, {}, {}, 0},
      {"single node", 1, {}, {0}, 0},
      {"path in order", 3, {{0, 1}, {1, 2}}, {0, 1, 2}, 1},
      {"path middle first", 3, {{0, 1}, {1, 2}}, {1, 0, 2}, 2},
      {"triangle", 3, {{0, 1}, {1, 2}, {0, 2}}, {2, 0, 1}, 2},
      {"star centre first", 5, {{0, 1}, {0, 2}, {0, 3}, {0, 4}}, {0, 1, 2, 3, 4}, 4},
      {"cycle identity", 7, cycle(7), {0, 1, 2, 3, 4, 5, 6}, 2},
      {"cycle reverse", 7, cycle(7), {6, 5, 4, 3, 2, 1, 0}, 2},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.cName);
    Hypergraph* G = buildGraph(C.n, C.E);
    probSol P;
    P.createGraphFromHyp(G);
    setOrdering(P, C.Order);
    EXPECT_EQ(P.fFitness, C.fWidth);
    EXPECT_EQ(P.iLargestClique, static_cast<int>(C.fWidth));
    if (C.n <= 1) {
      EXPECT_EQ(P.iNrNodesLargestClique, 0);
    }
    expectPrimalAdjacency(P, C.E);
    delete G;
  }
}

// Random graphs and orderings: width, values per position and the nodes of
// the largest value agree with a plain elimination; the adjacency relation is
// the primal graph again afterwards.
TEST(OrderingFitness, AgreesWithPlainEliminationOnRandomGraphs) {
  std::mt19937 Rng(7);
  for (int iRound = 0; iRound < 60; ++iRound) {
    const int n = 2 + iRound % 25;
    const Edges E = randomGraph(n, 0.1 + 0.05 * (iRound % 8), Rng);
    Hypergraph* G = buildGraph(n, E);
    probSol P;
    P.createGraphFromHyp(G);
    std::vector<int> Order(static_cast<std::size_t>(n));
    std::iota(Order.begin(), Order.end(), 0);
    std::shuffle(Order.begin(), Order.end(), Rng);
    setOrdering(P, Order);
    std::vector<int> Values;
    const int iWidth = referenceWidth(n, E, Order, &Values);
    ASSERT_EQ(P.fFitness, static_cast<float>(iWidth)) << "round " << iRound;
    std::vector<int> Largest;
    for (int a = 0; a + 1 < n; ++a)
      if (Values[static_cast<std::size_t>(a)] == iWidth) Largest.push_back(Order[static_cast<std::size_t>(a)]);
    EXPECT_EQ(std::vector<int>(P.iMaxCliqueNodes, P.iMaxCliqueNodes + P.iNrNodesLargestClique), Largest);
    // Without edges the best stays 0 and no node ever sets it.
    if (iWidth > 0) {
      EXPECT_EQ(P.iLargestCliqueNode, Largest.front());
    }
    expectPrimalAdjacency(P, E);
    for (int v = 0; v < n; ++v) EXPECT_FALSE(P.bNodeEliminated[v]);
    P.calculateFitnessTest(-1, -1);  // the experimental variant: same width
    EXPECT_EQ(P.fFitness, static_cast<float>(iWidth));
    expectPrimalAdjacency(P, E);
    if (G->getNbrOfEdges() > 0) {
      EXPECT_EQ(G->getEdge(0)->getLabel(), -1);
    }

    // A swap with the windowed computation gives the full width.
    const int p = std::uniform_int_distribution<int>(0, n - 1)(Rng);
    const int q = std::uniform_int_distribution<int>(0, n - 1)(Rng);
    P.Swap(P.iElimOrdering[p], q);
    std::swap(Order[static_cast<std::size_t>(p)], Order[static_cast<std::size_t>(q)]);
    EXPECT_EQ(P.fFitness, static_cast<float>(referenceWidth(n, E, Order))) << "round " << iRound;
    expectPrimalAdjacency(P, E);
    delete G;
  }
}

TEST(OrderingFitness, HypertreeModeAddsTheLargestBagCover) {
  Hypergraph* G = buildHypergraph(4, {{0, 1, 2}, {2, 3}});
  probSol P;
  P.createGraphFromHyp(G);
  P.bHypertreeAlg = true;
  // Bags {0,1,2}, {1,2}, {2,3}: width 2, every bag covered by one hyperedge.
  setOrdering(P, {0, 1, 2, 3});
  EXPECT_FLOAT_EQ(P.fFitness, 2.01f);
  EXPECT_EQ(P.iLargestClique, 1);
  EXPECT_EQ(P.iNrNodesLargestClique, 3);
  expectPrimalAdjacency(P, {{0, 1}, {0, 2}, {1, 2}, {2, 3}});
  delete G;
}

// ------------------------------------------------------------ orderings

// Plain-scan references: every live node in increasing number, reservoir
// ties with the same draws, keys recomputed from a plain filled graph.
std::vector<int> referenceGreedy(int n, const Edges& E, int iKind) {
  std::vector<std::set<int>> Adj(static_cast<std::size_t>(n));
  for (auto [u, v] : E)
    if (u != v) {
      Adj[static_cast<std::size_t>(u)].insert(v);
      Adj[static_cast<std::size_t>(v)].insert(u);
    }
  std::vector<bool> Gone(static_cast<std::size_t>(n), false);
  std::vector<int> Numbered(static_cast<std::size_t>(n), 0);
  std::vector<int> Order(static_cast<std::size_t>(n));
  auto live = [&](int v) {
    std::vector<int> L;
    for (int w : Adj[static_cast<std::size_t>(v)])
      if (!Gone[static_cast<std::size_t>(w)]) L.push_back(w);
    return L;
  };
  auto fill = [&](int v) {
    const std::vector<int> L = live(v);
    long f = 0;
    for (std::size_t i = 0; i < L.size(); ++i)
      for (std::size_t j = i + 1; j < L.size(); ++j)
        if (!Adj[static_cast<std::size_t>(L[i])].count(L[j])) ++f;
    return f;
  };
  for (int s = 0; s < n; ++s) {
    int c = -1;
    if (iKind == 0 && s == 0) {
      c = std::rand() % n;
    } else {
      long best = iKind == 0 ? 0 : -1;
      int ties = 0;
      for (int v = 0; v < n; ++v) {
        if (Gone[static_cast<std::size_t>(v)]) continue;
        // Maximum cardinality search maximises; the others minimise.
        const long k = iKind == 0 ? Numbered[static_cast<std::size_t>(v)]
                                  : (iKind == 1 ? static_cast<long>(live(v).size()) : fill(v));
        const bool bBetter = iKind == 0 ? k > best : (best < 0 || k < best);
        if (bBetter) {
          best = k;
          c = v;
          ties = 1;
        } else if (k == best) {
          ++ties;
          if (std::rand() % ties + 1 == ties) c = v;
        }
      }
    }
    Gone[static_cast<std::size_t>(c)] = true;
    if (iKind == 0) {
      Order[static_cast<std::size_t>(n - 1 - s)] = c;
      for (int w : Adj[static_cast<std::size_t>(c)]) ++Numbered[static_cast<std::size_t>(w)];
    } else {
      Order[static_cast<std::size_t>(s)] = c;
      const std::vector<int> L = live(c);
      for (int x : L)
        for (int y : L)
          if (x != y) Adj[static_cast<std::size_t>(x)].insert(y);
    }
  }
  return Order;
}

TEST(GreedyOrderings, FastScansMakeTheSameChoicesAndDrawsAsPlainScans) {
  std::mt19937 Rng(3);
  for (int iRound = 0; iRound < 45; ++iRound) {
    const int n = 1 + iRound % 30;
    const Edges E = (iRound % 3 == 0) ? randomKTree(n, 1 + iRound % 3, Rng) : randomGraph(n, 0.08 * (1 + iRound % 5), Rng);
    Hypergraph* G = buildGraph(n, E);
    probSol P;
    P.createGraphFromHyp(G);
    for (int iKind = 0; iKind < 3; ++iKind) {
      SCOPED_TRACE("round " + std::to_string(iRound) + " kind " + std::to_string(iKind));
      std::srand(static_cast<unsigned>(100 + iRound));
      const std::vector<int> Expected = referenceGreedy(n, E, iKind);
      const int iNextDraw = std::rand();
      std::srand(static_cast<unsigned>(100 + iRound));
      if (iKind == 0) P.MCSOrdering();
      if (iKind == 1) P.MinDegreeOrdering();
      if (iKind == 2) P.MinFillOrdering();
      EXPECT_EQ(orderingOf(P), Expected);
      EXPECT_EQ(std::rand(), iNextDraw);
      EXPECT_TRUE(isPermutation(P));
      expectPrimalAdjacency(P, E);
    }
    delete G;
  }
}

TEST(GreedyOrderings, ChordalGraphsGetPerfectEliminationOrderings) {
  std::mt19937 Rng(5);
  for (int iRound = 0; iRound < 12; ++iRound) {
    const int k = 1 + iRound % 4;
    const int n = 10 + 3 * iRound;
    const Edges E = randomKTree(n, k, Rng);
    Hypergraph* G = buildGraph(n, E);
    probSol P;
    P.createGraphFromHyp(G);
    for (void (probSol::*Ordering)() : {&probSol::MCSOrdering, &probSol::NewMCSOrder, &probSol::MinDegreeOrdering,
                                        &probSol::MinFillOrdering, &probSol::MinFillAndDegreeOrdering}) {
      (P.*Ordering)();
      P.calculateFitness(-1, -1);
      EXPECT_EQ(P.fFitness, static_cast<float>(k)) << "round " << iRound;
    }
    P.MinDegreeAndFillOrdering();
    EXPECT_TRUE(isPermutation(P));
    probSol Q;
    Q.createGraphFromHypNew(G);
    if (k == 1) {
      Q.NewMinFillOrder();
      EXPECT_TRUE(isPermutation(Q));
      Q.calculateFitness(-1, -1);
      EXPECT_EQ(Q.fFitness, 1.0f);
    }
    delete G;
  }
}

// ------------------------------------------------------------ moves

class OrderingMoves : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 Rng(9);
    E = randomGraph(12, 0.3, Rng);
    G = buildGraph(12, E);
    P.createGraphFromHyp(G);
    setOrdering(P, {5, 3, 0, 11, 7, 1, 9, 2, 4, 10, 6, 8});
  }
  void TearDown() override { delete G; }
  Edges E;
  Hypergraph* G = nullptr;
  probSol P;
};

TEST_F(OrderingMoves, DoMoveShiftsTheNodesInBetween) {
  P.DoMove(5, 2);
  EXPECT_EQ(orderingOf(P), (std::vector<int>{3, 0, 5, 11, 7, 1, 9, 2, 4, 10, 6, 8}));
  P.fFitness = 99;
  P.DoMove(7, 4);  // its own position: only the fitness is recomputed
  EXPECT_EQ(orderingOf(P), (std::vector<int>{3, 0, 5, 11, 7, 1, 9, 2, 4, 10, 6, 8}));
  EXPECT_EQ(P.fFitness, static_cast<float>(referenceWidth(12, E, orderingOf(P))));
}

TEST_F(OrderingMoves, SwapsAndTrialsRestoreOrderingAndMeasures) {
  const std::vector<int> Before = orderingOf(P);
  const float fBefore = P.fFitness;
  const std::vector<int> Sizes(P.iCliqueSizes, P.iCliqueSizes + 12);
  P.Swap(0, 9);
  EXPECT_EQ(P.fFitness, static_cast<float>(referenceWidth(12, E, orderingOf(P))));
  P.Swap(0, 2);
  EXPECT_EQ(orderingOf(P), Before);
  EXPECT_EQ(P.fFitness, fBefore);

  for (int iNode = 0; iNode < 12; ++iNode) {
    for (int iPos : {0, 5, 11}) {
      std::vector<int> Moved = Before;
      Moved.erase(std::find(Moved.begin(), Moved.end(), iNode));
      Moved.insert(Moved.begin() + iPos, iNode);
      EXPECT_EQ(P.calculateFitnessFromMove(iNode, iPos), referenceWidth(12, E, Moved));
      std::vector<int> Swapped = Before;
      std::swap(Swapped[static_cast<std::size_t>(P.iNodePosInOrdering[iNode])], Swapped[static_cast<std::size_t>(iPos)]);
      EXPECT_EQ(P.calculateFitnessFromSwap(iNode, iPos), referenceWidth(12, E, Swapped));
      EXPECT_EQ(orderingOf(P), Before);
      EXPECT_EQ(P.fFitness, fBefore);
      EXPECT_EQ(std::vector<int>(P.iCliqueSizes, P.iCliqueSizes + 12), Sizes);
      EXPECT_TRUE(isPermutation(P));
    }
  }
  expectPrimalAdjacency(P, E);
}

TEST_F(OrderingMoves, DoubleSwapAndPerturbations) {
  std::vector<int> Expected = orderingOf(P);
  P.doubleSwap(5, 4, 8, 1);
  std::swap(Expected[0], Expected[4]);
  std::swap(Expected[11], Expected[1]);
  EXPECT_EQ(orderingOf(P), Expected);
  EXPECT_EQ(P.fFitness, static_cast<float>(referenceWidth(12, E, Expected)));

  const std::vector<int> Before = orderingOf(P);
  std::srand(21);
  const int iFirst = std::rand();
  std::srand(21);
  P.fFitness = 99;
  P.performNRandSwaps(1);
  EXPECT_EQ(orderingOf(P), Before);
  EXPECT_EQ(P.fFitness, static_cast<float>(referenceWidth(12, E, Before)));
  EXPECT_EQ(std::rand(), iFirst);  // no draw

  P.performNRandSwaps(6);
  P.performNRandMoves(6);
  P.moveLargestCliques(3);
  EXPECT_TRUE(isPermutation(P));
  EXPECT_EQ(P.fFitness, static_cast<float>(referenceWidth(12, E, orderingOf(P))));

  // destroyPart draws until a value that is n - 1 modulo n, at most the
  // given number of times, and changes nothing.
  std::srand(4);
  int iDraws = 0;
  for (int r = std::rand(); ++iDraws < 50 && r % 12 != 11;) r = std::rand();
  const int iAfter = std::rand();
  const std::vector<int> Now = orderingOf(P);
  std::srand(4);
  P.destroyPart(50);
  EXPECT_EQ(std::rand(), iAfter);
  EXPECT_EQ(orderingOf(P), Now);
}

// ------------------------------------------------------------ searches

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
    EXPECT_LT(P.fFitness, 6.0f);  // the last report is the final best
    EXPECT_NE(Out.find("\nIMPROVED....\n" + std::to_string(static_cast<int>(P.fFitness)) + "\n\n"), std::string::npos);
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
  // One write position for both drivers: A's and B's entries interleave.
  A.updateTabuList(4, 1);
  B.updateTabuList(5, 2);
  A.updateTabuList(6, 3);
  const long k = std::find(A.iTabuList, A.iTabuList + 3, 4) - A.iTabuList;
  ASSERT_LT(k, 3);
  EXPECT_EQ(B.iTabuList[(k + 1) % 3], 5);
  EXPECT_EQ(A.iTabuList[(k + 2) % 3], 6);
  EXPECT_TRUE(A.isSolutionTabu(4, 1));
  EXPECT_FALSE(A.isSolutionTabu(4, 2));
  EXPECT_TRUE(A.isSwapTabu(0, 6));
  A.updateTabuList(7, 0);  // overwrites the oldest entry, node 4
  EXPECT_FALSE(A.isSolutionTabu(4, -1));

  // Node stamps: tabu within intTabuLength iterations of a marking.
  B.resetTabuList();
  B.iTabuList[0] = 0;
  EXPECT_FALSE(B.isNodeTabu(0, 1));  // never marked
  B.updateNodeTabuList(1, 5);
  EXPECT_TRUE(B.isNodeTabu(1, 8));
  EXPECT_FALSE(B.isNodeTabu(1, 9));
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
    const int n = 5 + 7 * iRound;
    Edges Tree;
    for (int v = 1; v < n; ++v) Tree.push_back({std::uniform_int_distribution<int>(0, v - 1)(Rng), v});
    Hypergraph* G = buildGraph(n, Tree);
    std::srand(static_cast<unsigned>(iRound));
    const std::vector<int> Ids = idsOf(G->getLocalSearchOrder(iRound), n);
    for (int i = 0; i < n; ++i) EXPECT_EQ(G->getNode(i)->getLabel(), 0);
    // The model's own search, read back to front.
    std::vector<int> Elimination(Ids.rbegin(), Ids.rend());
    for (int& v : Elimination) --v;
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
  delete G;
}

}  // namespace
