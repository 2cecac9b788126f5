// Minimum-degree elimination ordering (the ordering every solver run uses)
// on three shapes at 10^4, 10^5 and 10^6 vertices: a random graph of average
// degree 4, a grid of width 5 and a star. Building the hypergraph is not
// timed; each iteration reseeds the generator and computes one ordering.
// A random graph's width grows linearly with its size (the fill-in cliques
// cost the cube of the width), so it runs at 10^4 vertices only; a random
// graph of the same density whose edges join vertices at most 8 apart in
// stored order has small width and runs at all three sizes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "kivra/Hypergraph.h"

namespace {

using EdgeList = std::vector<std::pair<int, int>>;

// A hypergraph of two-vertex edges over vertices 0..n-1, linked the way the
// solver's graph builder links them.
kivra::Hypergraph* buildGraph(int n, const EdgeList& Edges) {
  auto* G = new kivra::Hypergraph;
  G->MyNodes.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) G->MyNodes.push_back(new kivra::Node(i + 1, i + 1));
  int k = 0;
  for (auto [a, b] : Edges) {
    auto* e = new kivra::Hyperedge(k, k);
    ++k;
    G->MyEdges.push_back(e);
    kivra::Node* A = G->MyNodes[static_cast<std::size_t>(a)];
    kivra::Node* B = G->MyNodes[static_cast<std::size_t>(b)];
    A->insEdge(e);
    B->insEdge(e);
    e->insNode(A);
    e->insNode(B);
  }
  G->iMyMaxNbrOfNodes = n;
  G->iMyMaxNbrOfEdges = k;
  G->updateNeighbourhood();
  return G;
}

EdgeList randomEdges(int n) {
  std::mt19937 Gen(42);
  std::uniform_int_distribution<int> Pick(0, n - 1);
  EdgeList Edges;
  for (long i = 0; i < 2L * n; ++i) {
    const int a = Pick(Gen);
    const int b = Pick(Gen);
    if (a != b) Edges.emplace_back(a, b);
  }
  return Edges;
}

EdgeList localRandomEdges(int n) {
  std::mt19937 Gen(42);
  EdgeList Edges;
  for (int v = 0; v < n; ++v) {
    for (int j = 0; j < 2; ++j) {
      const int w = v + 1 + static_cast<int>(Gen() % 8);
      if (w < n) Edges.emplace_back(v, w);
    }
  }
  return Edges;
}

EdgeList gridEdges(int n) {
  const int iWidth = 5;
  EdgeList Edges;
  for (int v = 0; v < n; ++v) {
    if (v % iWidth + 1 < iWidth && v + 1 < n) Edges.emplace_back(v, v + 1);
    if (v + iWidth < n) Edges.emplace_back(v, v + iWidth);
  }
  return Edges;
}

EdgeList starEdges(int n) {
  EdgeList Edges;
  for (int v = 1; v < n; ++v) Edges.emplace_back(0, v);
  return Edges;
}

template <EdgeList (*Shape)(int)>
void BM_MinimumDegree(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  kivra::Hypergraph* G = buildGraph(n, Shape(n));
  for (auto _ : state) {
    srand(1);
    kivra::Node** Order = G->getMIWOrder(0);
    benchmark::DoNotOptimize(Order);
    delete[] Order;
  }
  state.SetItemsProcessed(state.iterations() * n);
  delete G;
}

}  // namespace

BENCHMARK(BM_MinimumDegree<gridEdges>)->Name("MinimumDegree/grid5")->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimumDegree<starEdges>)->Name("MinimumDegree/star")->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimumDegree<localRandomEdges>)->Name("MinimumDegree/random4local")->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimumDegree<randomEdges>)->Name("MinimumDegree/random4")->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
