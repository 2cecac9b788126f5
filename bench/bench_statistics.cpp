// Library operations off the solver's road at scale: dividing a random graph
// of n vertices and 3n edges into 4 parts (vertex i in part i mod 4), and
// the dual mode of bucket elimination on a path of n vertices, whose
// decompositions are as deep as the path is long. Building the hypergraph
// is not timed. Run one case per process (--benchmark_filter) to read its
// own peak resident memory from the counter.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "kivra/H_BucketElim.h"
#include "kivra/Hypergraph.h"
#include "kivra/Hypertree.h"
#include "bench_graphs.h"

namespace {

using namespace zelkovant_bench;

void BM_DivideNodes(benchmark::State& State) {
  const int n = static_cast<int>(State.range(0));
  std::mt19937 Rng(7);
  EdgeList Edges;
  for (int k = 0; k < 3 * n; ++k) Edges.push_back({static_cast<int>(Rng() % n), static_cast<int>(Rng() % n)});
  for (auto _ : State) {
    State.PauseTiming();
    kivra::Hypergraph* G = buildGraph(n, Edges);
    std::vector<int> Parts(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) Parts[static_cast<std::size_t>(i)] = i % 4;
    State.ResumeTiming();
    kivra::Hypergraph** Sub = nullptr;
    kivra::Hyperedge** Sep = nullptr;
    G->divideNodes(Parts.data(), &Sub, &Sep);
    State.PauseTiming();
    for (int p = 0; Sub[p] != nullptr; ++p) delete Sub[p];
    delete[] Sub;
    delete[] Sep;
    delete G;
    State.ResumeTiming();
  }
  State.counters["peak_MB"] = peakMegabytes();
}

void BM_DualModePath(benchmark::State& State) {
  const int n = static_cast<int>(State.range(0));
  EdgeList Edges;
  for (int i = 0; i + 1 < n; ++i) Edges.push_back({i, i + 1});
  int iWidth = 0;
  for (auto _ : State) {
    State.PauseTiming();
    kivra::Hypergraph* G = buildGraph(n, Edges);
    std::srand(1);
    State.ResumeTiming();
    kivra::Hypertree* Tree = kivra::H_BucketElim().buildHypertree(G, 2, 0, true);
    iWidth = Tree->getTreeWidth();
    State.PauseTiming();
    delete Tree;
    delete G;
    State.ResumeTiming();
  }
  State.counters["width"] = iWidth;
  State.counters["peak_MB"] = peakMegabytes();
}

}  // namespace

BENCHMARK(BM_DivideNodes)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DualModePath)->Arg(5000)->Arg(20000)->Arg(80000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
