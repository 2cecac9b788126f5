// Property tests: bucket elimination yields valid, covered tree decompositions
// over many hypergraph shapes, for every ordering heuristic and in dual mode,
// and a seed always yields the same decomposition.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "kivra/H_BucketElim.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using kivra::H_BucketElim;

namespace {

struct Shape {
  std::string Name;
  int n;
  std::vector<std::vector<int>> Edges;
};

// Every vertex in some hyperedge (an uncovered vertex cannot be covered):
// a vertex left out gets an edge to the next vertex.
std::vector<std::vector<int>> withoutIsolated(int n, std::vector<std::vector<int>> Edges) {
  std::vector<bool> Used(static_cast<size_t>(n) + 1, false);
  for (const auto& E : Edges)
    for (int v : E) Used[static_cast<size_t>(v)] = true;
  for (int v = 1; v <= n; ++v)
    if (!Used[static_cast<size_t>(v)]) Edges.push_back({v, v % n + 1});
  return Edges;
}

// Random graphs, grids, trees, self-loops (a node listed twice), several
// connected parts and genuine hyperedges of three and more vertices.
std::vector<Shape> shapes() {
  std::vector<Shape> All;
  for (std::uint32_t s = 1; s <= 12; ++s) {
    int n = 4 + static_cast<int>(s * 3);
    All.push_back({"random" + std::to_string(s), n, withoutIsolated(n, randomEdges(n, 2 * n, s))});
  }
  All.push_back({"grid3x6", 18, gridEdges(3, 6)});
  All.push_back({"grid4x4", 16, gridEdges(4, 4)});
  All.push_back({"star", 12, starEdges(12)});
  All.push_back({"path", 15, pathEdges(15)});
  {
    // High-degree centres beside ordinary structure: a wheel, and two hubs
    // sharing leaves with both attack directions and a few self-loops.
    std::vector<std::vector<int>> Wheel = starEdges(70);
    for (int v = 2; v <= 70; ++v) Wheel.push_back({v, v % 69 + 2});
    All.push_back({"wheel", 70, Wheel});
    std::vector<std::vector<int>> Hubs;
    for (int v = 3; v <= 80; ++v) {
      Hubs.push_back({1, v});
      if (v % 3 == 0) Hubs.push_back({v, 1});
      if (v % 2 == 0) Hubs.push_back({2, v});
      if (v % 7 == 0) Hubs.push_back({v, v});
      if (v % 5 == 0) Hubs.push_back({v, v + 1 <= 80 ? v + 1 : 3, 2});
    }
    All.push_back({"hubs", 80, Hubs});
  }
  {
    std::mt19937 Rng(7);
    std::vector<std::vector<int>> Tree;
    for (int v = 2; v <= 25; ++v) Tree.push_back({static_cast<int>(Rng() % (v - 1)) + 1, v});
    All.push_back({"tree", 25, Tree});
  }
  All.push_back({"selfloops", 6, {{1, 1}, {1, 2}, {2, 3}, {3, 3}, {4, 5}, {5, 5}, {6, 6}}});
  {
    // Three parts: a triangle, a path and a square with a self-loop.
    All.push_back({"parts", 11, {{1, 2}, {2, 3}, {3, 1}, {4, 5}, {5, 6}, {7, 8}, {8, 9}, {9, 10}, {10, 7}, {11, 11}}});
  }
  {
    std::mt19937 Rng(11);
    std::vector<std::vector<int>> Hyper;
    for (int k = 0; k < 14; ++k) {
      std::vector<int> Members;
      int iSize = 1 + static_cast<int>(Rng() % 4);
      for (int i = 0; i < iSize; ++i) Members.push_back(static_cast<int>(Rng() % 12) + 1);
      Hyper.push_back(Members);
    }
    for (int v = 1; v <= 12; ++v) Hyper.push_back({v, v % 12 + 1});
    All.push_back({"hyperedges", 12, Hyper});
  }
  return All;
}

}  // namespace

TEST(DecompositionProperty, EveryHeuristicGivesValidCoveredDecompositions) {
  for (const Shape& S : shapes())
    for (int iHeuristic = 1; iHeuristic <= 4; ++iHeuristic)
      for (unsigned seed = 1; seed <= 3; ++seed) {
        std::srand(seed);
        Hypergraph* G = buildGraph(S.n, S.Edges);
        H_BucketElim Elim;
        Hypertree* Tree = Elim.buildHypertree(G, iHeuristic, 0, false);
        EXPECT_EQ(checkDecomposition(Tree, G), "") << S.Name << " heuristic " << iHeuristic << " seed " << seed;
        delete Tree;
        delete G;
      }
}

TEST(DecompositionProperty, DualModeGivesValidCoveredDecompositions) {
  for (const Shape& S : shapes())
    for (int iHeuristic = 1; iHeuristic <= 4; ++iHeuristic) {
      std::srand(5);
      Hypergraph* G = buildGraph(S.n, S.Edges);
      H_BucketElim Elim;
      Hypertree* Tree = Elim.buildHypertree(G, iHeuristic, 0, true);
      EXPECT_EQ(checkDecomposition(Tree, G), "") << S.Name << " heuristic " << iHeuristic;
      // The hypergraph is handed back in its primal roles.
      EXPECT_EQ(G->getNbrOfNodes(), S.n);
      delete Tree;
      delete G;
    }
}

TEST(DecompositionProperty, PreEliminatedVerticesStillGiveValidDecompositions) {
  for (const Shape& S : shapes()) {
    std::srand(3);
    Hypergraph* G = buildGraph(S.n, S.Edges);
    H_BucketElim Elim;
    Hypertree* Tree = Elim.buildHypertree(G, 2, 3, false);
    EXPECT_EQ(checkDecomposition(Tree, G), "") << S.Name;
    delete Tree;
    delete G;
  }
}

TEST(DecompositionProperty, SameSeedSameBags) {
  for (const Shape& S : shapes())
    for (bool bDual : {false, true}) {
      std::vector<std::vector<int>> First, Second;
      std::vector<int> FirstLambdaSizes, SecondLambdaSizes;
      for (int iRun = 0; iRun < 2; ++iRun) {
        std::srand(42);
        Hypergraph* G = buildGraph(S.n, S.Edges);
        H_BucketElim Elim;
        Hypertree* Tree = Elim.buildHypertree(G, 2, 0, bDual);
        (iRun == 0 ? First : Second) = bagsOf(Tree);
        for (Hypertree* T : treeNodes(Tree))
          (iRun == 0 ? FirstLambdaSizes : SecondLambdaSizes).push_back(static_cast<int>(T->getLambda()->size()));
        // The random draws that follow are the same as well.
        (iRun == 0 ? FirstLambdaSizes : SecondLambdaSizes).push_back(std::rand());
        delete Tree;
        delete G;
      }
      EXPECT_EQ(First, Second) << S.Name << (bDual ? " dual" : "");
      EXPECT_EQ(FirstLambdaSizes, SecondLambdaSizes) << S.Name << (bDual ? " dual" : "");
    }
}
