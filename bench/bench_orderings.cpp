// Minimum-degree elimination ordering (the ordering every solver run uses)
// on three shapes at 10^4, 10^5 and 10^6 vertices: a random graph of average
// degree 4, a grid of width 5 and a star. Building the hypergraph is not
// timed; each iteration reseeds the generator and computes one ordering.
// A random graph's width grows linearly with its size (the fill-in cliques
// cost the cube of the width), so it runs at 10^4 vertices only; a random
// graph of the same density whose edges join vertices at most 8 apart in
// stored order has small width and runs at all three sizes.
//
// The local searches' ordering model: one whole width computation of the
// identity ordering of a random graph of average degree 4 (the step every
// search repeats, dominated by the fill edges of its wide cliques), and one
// swap trial with its windowed computation, at 1,000 and 5,000 vertices.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "kivra/Hypergraph.h"
#include "kivra/probSol.h"
#include "bench_graphs.h"

namespace {

using namespace zelkovant_bench;


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

void BM_OrderingFitness(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  kivra::Hypergraph* G = buildGraph(n, randomEdges(n));
  kivra::probSol Model;
  Model.createGraphFromHyp(G);
  Model.randomIntialSolution();
  for (auto _ : state) {
    Model.calculateFitness(-1, -1);
    benchmark::DoNotOptimize(Model.fFitness);
  }
  state.counters["width"] = static_cast<double>(Model.iLargestClique);
  state.counters["peakMB"] = peakMegabytes();
  delete G;
}

void BM_OrderingSwapTrial(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  kivra::Hypergraph* G = buildGraph(n, randomEdges(n));
  kivra::probSol Model;
  Model.createGraphFromHyp(G);
  Model.randomIntialSolution();
  Model.calculateFitness(-1, -1);
  std::mt19937 Gen(7);
  for (auto _ : state) {
    const int iNode = static_cast<int>(Gen() % static_cast<unsigned>(n));
    const int iPosition = static_cast<int>(Gen() % static_cast<unsigned>(n));
    benchmark::DoNotOptimize(Model.calculateFitnessFromSwap(iNode, iPosition));
  }
  delete G;
}

}  // namespace

BENCHMARK(BM_OrderingFitness)->Name("OrderingFitness/random4")->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrderingSwapTrial)->Name("OrderingSwapTrial/random4")->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimumDegree<gridEdges>)->Name("MinimumDegree/grid5")->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimumDegree<starEdges>)->Name("MinimumDegree/star")->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimumDegree<localRandomEdges>)->Name("MinimumDegree/random4local")->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimumDegree<randomEdges>)->Name("MinimumDegree/random4")->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
