// Property tests: bucket elimination yields valid, covered tree decompositions
// over many hypergraph shapes, for every ordering heuristic and in dual mode,
// and a seed always yields the same decomposition.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kivra/H_BucketElim.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using kivra::H_BucketElim;

namespace {

struct Shape {
  std::string Name;
  int n;
  EdgeList Edges;
};

// Grids, a star, a path, a random tree, self-loops (a node listed twice),
// several connected parts, random pairs and random hyperedges of one to four
// members (every vertex in some hyperedge: an uncovered vertex cannot be
// covered), and a wheel, whose high-degree centre takes the run-based
// covering.
std::vector<Shape> shapes() {
  std::vector<Shape> All = {
      {"grid3x6", 18, gridEdges(3, 6)},
      {"grid4x4", 16, gridEdges(4, 4)},
      {"star", 12, starEdges(12)},
      {"path", 15, pathEdges(15)},
      {"selfloops", 6, {{1, 1}, {1, 2}, {2, 3}, {3, 3}, {4, 5}, {5, 5}, {6, 6}}},
      {"parts", 11, {{1, 2}, {2, 3}, {3, 1}, {4, 5}, {5, 6}, {7, 8}, {8, 9}, {9, 10}, {10, 7}, {11, 11}}},
      {"tree", 25, {}},
      {"wheel", 70, starEdges(70)}};
  std::mt19937 Rng(7);
  for (int v = 2; v <= 25; ++v) All[6].Edges.push_back({static_cast<int>(Rng() % (v - 1)) + 1, v});
  for (int v = 2; v <= 70; ++v) All[7].Edges.push_back({v, v % 69 + 2});
  for (unsigned s = 1; s <= 14; ++s) {
    const int n = 4 + static_cast<int>(s * 3);
    EdgeList Edges = s % 2 ? randomEdges(n, 2 * n, s) : randomHyperedges(Rng, n, n);
    std::vector<bool> Used(static_cast<size_t>(n) + 1, false);
    for (const auto& E : Edges)
      for (int v : E) Used[static_cast<size_t>(v)] = true;
    for (int v = 1; v <= n; ++v)
      if (!Used[static_cast<size_t>(v)]) Edges.push_back({v, v % n + 1});
    All.push_back({"random" + std::to_string(s), n, Edges});
  }
  return All;
}

}  // namespace

TEST(DecompositionProperty, EveryHeuristicAndModeGivesValidCoveredDecompositions) {
  struct Run {
    unsigned iSeed;
    int iPreElim;
    bool bDual;
  };
  for (const Shape& S : shapes())
    for (int iHeuristic = 1; iHeuristic <= 4; ++iHeuristic)
      for (Run R : {Run{1, 0, false}, Run{2, 0, false}, Run{3, 3, false}, Run{5, 0, true}}) {
        std::srand(R.iSeed);
        Hypergraph* G = buildGraph(S.n, S.Edges);
        Hypertree* Tree = H_BucketElim().buildHypertree(G, iHeuristic, R.iPreElim, R.bDual);
        EXPECT_EQ(checkDecomposition(Tree, G), "")
            << S.Name << " heuristic " << iHeuristic << " seed " << R.iSeed << (R.bDual ? " dual" : "");
        EXPECT_EQ(G->getNbrOfNodes(), S.n);  // handed back in its primal roles
        delete Tree;
        delete G;
      }
}

TEST(DecompositionProperty, SameSeedSameBagsCoversAndLaterDraws) {
  for (const Shape& S : shapes())
    for (bool bDual : {false, true}) {
      std::vector<int> Runs[2];
      for (std::vector<int>& Run : Runs) {
        std::srand(42);
        Hypergraph* G = buildGraph(S.n, S.Edges);
        Hypertree* Tree = H_BucketElim().buildHypertree(G, 2, 0, bDual);
        for (Hypertree* T : treeNodes(Tree)) {
          for (int Id : idsOf(*T->getChi())) Run.push_back(Id);
          Run.push_back(-static_cast<int>(T->getLambda()->size()));
        }
        Run.push_back(std::rand());
        delete Tree;
        delete G;
      }
      EXPECT_EQ(Runs[0], Runs[1]) << S.Name << (bDual ? " dual" : "");
    }
}
