// Counting the independent sets of a grid graph four vertices wide through the
// whole framework pipeline (decomposition, normalization, dynamic programming,
// lazy counting), reporting CPU time and the process's peak resident memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>

#include "../tests/framework/IndependentSets.h"
#include "kivra/CountingSolutionContent.h"

namespace {

fwtest::Graph grid(int width, int vertices) {
  fwtest::Graph g;
  const int length = vertices / width;
  auto id = [width](int row, int column) { return static_cast<kivra::Vertex>(column * width + row + 1); };
  for (int column = 0; column < length; ++column) {
    for (int row = 0; row < width; ++row) {
      if (row + 1 < width) g.edges.insert({id(row, column), id(row + 1, column)});
      if (column + 1 < length) g.edges.insert({id(row, column), id(row, column + 1)});
      g.vertices.insert(id(row, column));
    }
  }
  return g;
}

double peakMegabytes() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

template <class Algorithm>
void countGrid(benchmark::State& state) {
  fwtest::Graph g = grid(4, static_cast<int>(state.range(0)));
  kivra::GenericInstantiator<kivra::CountingSolutionContent> counting;
  std::size_t bits = 0;
  for (auto _ : state) {
    // Like a run of the solver, nothing of the run is released.
    auto* problem = new fwtest::GraphProblem(g);
    std::srand(1);
    Algorithm algorithm(problem);
    kivra::Solution* solution = problem->calculateSolution(&algorithm);
    auto* count = static_cast<kivra::CountingSolutionContent*>(solution->getContent(&counting));
    bits = mpz_sizeinbase(count->count.get_mpz_t(), 2);
  }
  state.counters["count_bits"] = static_cast<double>(bits);
  state.counters["peak_MB"] = peakMegabytes();
  state.counters["solution_bytes"] = sizeof(kivra::Solution);
}

BENCHMARK_TEMPLATE(countGrid, fwtest::NormalizedIndependentSets)
    ->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_TEMPLATE(countGrid, fwtest::SemiNormalizedIndependentSets)
    ->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
