// The ordering model of the local searches: graph files, the width of an
// ordering against a plain elimination, greedy orderings against plain-scan
// references that make the same random draws, and the moves.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "kivra/Hypergraph.h"
#include "kivra/probSol.h"

using kivra::Hypergraph;
using kivra::Hyperedge;
using kivra::Node;
using kivra::probSol;

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

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = std::filesystem::temp_directory_path() / ("lso_model_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }
  std::string write(const std::string& Name, const std::string& Text) {
    const std::string Path = (Dir / Name).string();
    std::ofstream(Path) << Text;
    return Path;
  }
  std::filesystem::path Dir;
};

// ------------------------------------------------------------ graph files

using GraphFileTest = TempDir;

TEST_F(GraphFileTest, ReadsProblemAndEdgeLinesSkippingOthersAndRepeats) {
  const std::string Path = write("g.txt",
                                 "c a comment line\n"
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
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n\nNr nodes 3Nr. of edges:2\n\n");
  ASSERT_EQ(P.iNrOfNodes, 3);
  EXPECT_EQ(P.iNrOfEdges, 2);
  EXPECT_EQ(P.iNrOfNeighboors[0], 1);
  EXPECT_EQ(P.iNrOfNeighboors[1], 2);
  EXPECT_EQ(P.iNrOfNeighboors[2], 1);
  EXPECT_EQ(P.iGraph[1][0], 0);
  EXPECT_EQ(P.iGraph[1][1], 2);
  // The self-loop sets only its diagonal entry; nodes outside 1..n are skipped.
  EXPECT_TRUE(P.iZeroOneGraph[2][2]);
  EXPECT_EQ(P.iZeroOneGraph.size(), 5u);
  EXPECT_EQ(P.Hyp, nullptr);
  // The file graph is usable as it is: identity ordering, path width 1.
  P.calculateFitness(-1, -1);
  EXPECT_EQ(P.fFitness, 1.0f);
}

TEST_F(GraphFileTest, LongLinesAreReadWhole) {
  const std::string Path = write("long.txt", "c " + std::string(300, 'x') + "\np edge 2 1\ne 1 2" + std::string(150, ' ') + "\n");
  probSol P;
  testing::internal::CaptureStdout();
  P.readFromFile(Path.c_str());
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(P.iNrOfNodes, 2);
  EXPECT_EQ(P.iNrOfNeighboors[0], 1);
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

TEST(GraphFileDeathTest, TooManyNodesIsFatal) {
  const std::string Path = std::filesystem::temp_directory_path() / ("lso_big_" + std::to_string(::getpid()));
  std::ofstream(Path) << "p edge 70000 0\n";
  EXPECT_EXIT(
      {
        probSol P;
        P.readFromFile(Path.c_str());
      },
      ::testing::ExitedWithCode(1), "ERROR in probSol::readFromFile: Set size exceeded\\.");
  std::filesystem::remove(Path);
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
  for (int i = 0; i < 4; ++i) EXPECT_EQ(G->getNode(i)->getLabel(), i);
  EXPECT_EQ(G->getEdge(1)->getLabel(), 1);

  probSol Q;
  Q.createGraphFromHypNew(G);
  EXPECT_EQ(orderingOf(Q), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(std::vector<int>(Q.iGraph[2], Q.iGraph[2] + Q.iNrOfNeighboors[2]), (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(Q.iZeroOneGraph.size(), 0u);
  EXPECT_TRUE(Q.bAreNodesConnected(3, 2));
  EXPECT_FALSE(Q.bAreNodesConnected(0, 3));
  delete G;
}

TEST(OrderingModel, ListVariantHoldsNodesOfAnyDegree) {
  Edges Star;
  for (int i = 1; i <= 1500; ++i) Star.push_back({0, i});
  Hypergraph* G = buildGraph(1501, Star);
  probSol P;
  P.createGraphFromHypNew(G);
  EXPECT_EQ(P.iNrOfNeighboors[0], 1500);
  EXPECT_TRUE(P.bAreNodesConnected(0, 1500));
  delete G;
}

TEST(OrderingModelDeathTest, MoreNodesThanSixteenBitsIsFatal) {
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

TEST(OrderingFitness, ExperimentalVariantGivesTheSameWidth) {
  std::mt19937 Rng(11);
  for (int iRound = 0; iRound < 20; ++iRound) {
    const int n = 3 + iRound;
    const Edges E = randomGraph(n, 0.3, Rng);
    Hypergraph* G = buildGraph(n, E);
    probSol P;
    P.createGraphFromHyp(G);
    std::vector<int> Order(static_cast<std::size_t>(n));
    std::iota(Order.begin(), Order.end(), 0);
    std::shuffle(Order.begin(), Order.end(), Rng);
    setOrdering(P, Order);
    P.calculateFitnessTest(-1, -1);
    EXPECT_EQ(P.fFitness, static_cast<float>(referenceWidth(n, E, Order)));
    expectPrimalAdjacency(P, E);
    if (G->getNbrOfEdges() > 0) {
      EXPECT_EQ(G->getEdge(0)->getLabel(), -1);
    }
    delete G;
  }
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

TEST(GreedyOrderings, StarLeavesBeforeCentreAndMcsDrawsTheFirstNode) {
  Edges Star;
  for (int i = 1; i < 8; ++i) Star.push_back({0, i});
  Hypergraph* G = buildGraph(8, Star);
  probSol P;
  P.createGraphFromHyp(G);
  for (int iSeed = 1; iSeed < 6; ++iSeed) {
    std::srand(static_cast<unsigned>(iSeed));
    P.MinDegreeOrdering();
    EXPECT_EQ(P.iElimOrdering[6] == 0 || P.iElimOrdering[7] == 0, true);
    std::srand(static_cast<unsigned>(iSeed));
    const int iFirst = std::rand() % 8;
    std::srand(static_cast<unsigned>(iSeed));
    P.fFitness = 5;
    P.MCSOrdering();
    EXPECT_EQ(P.iElimOrdering[7], iFirst);
    EXPECT_EQ(P.fFitness, 0.0f);
  }
  delete G;
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
  P.DoMove(5, 0);
  EXPECT_EQ(orderingOf(P), (std::vector<int>{5, 3, 0, 11, 7, 1, 9, 2, 4, 10, 6, 8}));
  EXPECT_TRUE(isPermutation(P));
  P.fFitness = 99;
  P.DoMove(7, 4);  // its own position: only the fitness is recomputed
  EXPECT_EQ(orderingOf(P), (std::vector<int>{5, 3, 0, 11, 7, 1, 9, 2, 4, 10, 6, 8}));
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

TEST_F(OrderingMoves, DoubleSwapAndNeighbourBounds) {
  std::vector<int> Expected = orderingOf(P);
  P.doubleSwap(5, 4, 8, 1);
  std::swap(Expected[0], Expected[4]);
  std::swap(Expected[11], Expected[1]);
  EXPECT_EQ(orderingOf(P), Expected);
  EXPECT_EQ(P.fFitness, static_cast<float>(referenceWidth(12, E, Expected)));
  P.calculateFitness(-1, -1);
  for (int v = 0; v < 12; ++v) {
    int iPre = -1;
    int iSuc = -1;
    P.nearestNodes(v, &iPre, &iSuc);
    int iLowest = 12;
    for (unsigned k = 0; k < P.iTempNrOfNeighboors[v]; ++k) iLowest = std::min(iLowest, static_cast<int>(P.iNodePosInOrdering[P.iGraph[v][k]]));
    EXPECT_EQ(iPre, 0);
    EXPECT_EQ(iSuc, iLowest);
  }
}

TEST_F(OrderingMoves, PerturbationsKeepAPermutationAndDrawAsDocumented) {
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
  EXPECT_TRUE(isPermutation(P));
  P.performNRandMoves(6);
  EXPECT_TRUE(isPermutation(P));
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

}  // namespace
