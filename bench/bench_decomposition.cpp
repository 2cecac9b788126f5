// The whole decomposition step of a solver run, buildHypertree(hg, 2, 0,
// false): minimum-degree ordering, bucket elimination, shrink and covering
// of every bag. Shapes: a random graph of average degree 4 (vertices in no
// edge dropped, as the solver drops arguments in no attack), a grid of width
// 5 and a star, at 10^4, 10^5 and 10^6 vertices; also a wheel (a star whose
// leaves form a cycle), where the centre meets bags that need real covering. Building the hypergraph is
// not timed. The counters give the tree width, the number of tree nodes and
// the process's peak resident memory (run one case per process, with
// --benchmark_filter, to read a case's own peak).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "kivra/H_BucketElim.h"
#include "kivra/Hyperedge.h"
#include "kivra/Hypergraph.h"
#include "kivra/Hypertree.h"
#include "bench_graphs.h"

namespace {

using namespace zelkovant_bench;


// 2n random pairs; the vertices they touch, renumbered densely.
kivra::Hypergraph* randomGraph(int n) {
  std::mt19937 Rng(12345);
  EdgeList Edges;
  for (int k = 0; k < 2 * n; ++k) Edges.push_back({static_cast<int>(Rng() % n), static_cast<int>(Rng() % n)});
  std::vector<int> Index(static_cast<std::size_t>(n), -1);
  int iUsed = 0;
  for (auto& [a, b] : Edges) {
    for (int* v : {&a, &b}) {
      int& Slot = Index[static_cast<std::size_t>(*v)];
      if (Slot < 0) Slot = iUsed++;
      *v = Slot;
    }
  }
  return buildGraph(iUsed, Edges);
}


kivra::Hypergraph* gridGraph(int n) { return buildGraph(n / 5 * 5, gridEdges(n / 5 * 5)); }

kivra::Hypergraph* starGraph(int n) { return buildGraph(n, starEdges(n)); }

// A star whose leaves also form a cycle: every bag holds the centre beside
// leaves of degree 3, so no bag is covered by forced hyperedges alone.
kivra::Hypergraph* wheelGraph(int n) {
  EdgeList Edges;
  for (int i = 1; i < n; ++i) Edges.push_back({0, i});
  for (int i = 1; i < n; ++i) Edges.push_back({i, i % (n - 1) + 1});
  return buildGraph(n, Edges);
}


template <kivra::Hypergraph* (*Make)(int)>
void BM_BuildHypertree(benchmark::State& State) {
  kivra::Hypergraph* G = Make(static_cast<int>(State.range(0)));
  int iWidth = 0;
  unsigned iNodes = 0;
  for (auto _ : State) {
    std::srand(1);
    kivra::H_BucketElim Elim;
    kivra::Hypertree* Tree = Elim.buildHypertree(G, 2, 0, false);
    State.PauseTiming();
    iWidth = Tree->getTreeWidth();
    iNodes = Tree->getNumberOfDescendants();
    delete Tree;
    State.ResumeTiming();
  }
  State.counters["width"] = iWidth;
  State.counters["tree_nodes"] = iNodes;
  State.counters["peak_MB"] = peakMegabytes();
  delete G;
}

}  // namespace

BENCHMARK_TEMPLATE(BM_BuildHypertree, randomGraph)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_TEMPLATE(BM_BuildHypertree, gridGraph)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_TEMPLATE(BM_BuildHypertree, starGraph)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_TEMPLATE(BM_BuildHypertree, wheelGraph)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
