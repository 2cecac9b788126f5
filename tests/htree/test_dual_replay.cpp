// A seed replays the dual-mode decomposition whatever the addresses of the
// hypergraph's objects: the bag minimisation of the dual elimination takes
// its candidates by ordering position, not in the order of their addresses
// (a bag's set order).
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>

#include "kivra/H_BucketElim.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;

namespace {

// k blocks for objects of iSize bytes, by ascending or descending address.
std::vector<void*> blocks(std::size_t k, std::size_t iSize, bool bDescending) {
  std::vector<void*> Blocks(k);
  for (void*& p : Blocks) p = ::operator new(iSize);
  std::sort(Blocks.begin(), Blocks.end(), std::less<void*>());
  if (bDescending) std::reverse(Blocks.begin(), Blocks.end());
  return Blocks;
}

// The hypergraph of buildGraph, its nodes and hyperedges placed so that
// their addresses ascend, or descend, with their IDs.
Hypergraph* buildPlaced(int n, const EdgeList& Edges, bool bDescending) {
  const std::vector<void*> NodeBlocks = blocks(static_cast<size_t>(n), sizeof(Node), bDescending);
  const std::vector<void*> EdgeBlocks = blocks(Edges.size(), sizeof(Hyperedge), bDescending);
  return buildGraph(
      n, Edges, [&](std::size_t k) { return NodeBlocks[k]; }, [&](std::size_t k) { return EdgeBlocks[k]; });
}

// Bags and covers in pre-order, by ID.
std::pair<EdgeList, EdgeList> pictureOf(Hypertree* Root) {
  EdgeList Covers;
  for (Hypertree* T : treeNodes(Root)) {
    std::vector<int> Ids;
    for (Hyperedge* E : *T->getLambda()) Ids.push_back(E->getID());
    std::sort(Ids.begin(), Ids.end());
    Covers.push_back(Ids);
  }
  return {bagsOf(Root), Covers};
}

}  // namespace

// Random hypergraphs of this generator where the order of the candidates
// decides the dual tree for some of the seeds below.
TEST(DualDecomposition, SeedReplaysWhateverTheAddressOrder) {
  for (unsigned iGraph : {6u, 58u, 67u, 83u, 103u, 140u}) {
    std::mt19937 Rng(iGraph);
    const int n = 6 + static_cast<int>(Rng() % 20);
    EdgeList Edges = randomHyperedges(Rng, n, n + static_cast<int>(Rng() % n));
    // Every vertex in some hyperedge, so that every bag can be covered.
    std::vector<bool> Held(static_cast<size_t>(n) + 1, false);
    for (const auto& Members : Edges)
      for (int v : Members) Held[static_cast<size_t>(v)] = true;
    for (int v = 1; v <= n; ++v)
      if (!Held[static_cast<size_t>(v)]) Edges.push_back({v, 1 + static_cast<int>(Rng() % n)});
    Hypergraph* Up = buildPlaced(n, Edges, false);
    Hypergraph* Down = buildPlaced(n, Edges, true);
    for (int iHeuristic : {2, 3}) {
      for (unsigned seed = 1; seed <= 4; ++seed) {
        std::srand(seed);
        Hypertree* A = kivra::H_BucketElim().buildHypertree(Up, iHeuristic, 0, true);
        std::srand(seed);
        Hypertree* B = kivra::H_BucketElim().buildHypertree(Down, iHeuristic, 0, true);
        EXPECT_EQ(pictureOf(A), pictureOf(B)) << "graph " << iGraph << ", heuristic " << iHeuristic << ", seed " << seed;
        delete A;
        delete B;
      }
    }
    delete Up;
    delete Down;
  }
}
