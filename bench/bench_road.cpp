// The solver's road from text to answer: counting the extensions of each
// semantics, and the width road (-t), on grid-shaped frameworks of width 3 and
// growing length (1,000 to 100,000 arguments). Peak memory is reported as the
// process's maximum resident set after each benchmark (it only grows).
#include <benchmark/benchmark.h>

#include "bench_graphs.h"
#include <sys/resource.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "ArgumentationProblem.h"
#include "bench_algorithms.h"
#include "framework_generator.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"

namespace {

using zelkovant_bench::peakMegabytes;

constexpr int kGridWidth = 3;

const std::string& gridText(long arguments) {
  static std::map<long, std::string> cache;
  auto it = cache.find(arguments);
  if (it == cache.end())
    it = cache.emplace(arguments, zelkovant_bench::gridFramework(kGridWidth, arguments / kGridWidth)).first;
  return it->second;
}

using zelkovant_bench::makeAlgorithm;
using zelkovant_bench::Semantics;
using enum zelkovant_bench::Semantics;

// Parse, decompose, evaluate and count. Like a run of the program, the objects
// made here are never released.
void BM_Count(benchmark::State& state, Semantics semantics) {
  const std::string& text = gridText(state.range(0));
  kivra::GenericInstantiator<kivra::CountingSolutionContent> counting;
  for (auto _ : state) {
    srand(1);
    auto* input = new std::istringstream(text);
    auto* problem = new ArgumentationProblem(input, true);
    kivra::Solution* solution = problem->calculateSolution(makeAlgorithm(semantics, problem));
    benchmark::DoNotOptimize(solution->getContent(&counting));
  }
  state.counters["arguments"] = static_cast<double>(state.range(0));
  state.counters["peak_MB"] = peakMegabytes();
}

// The width road on the frameworks of the scale targets: random frameworks
// of 5,000 to 20,000 arguments with three attacks per argument (seed 1, as
// `genaf random`), a path of 10^6 attacks and the 3-row grid of 1,000,002
// arguments. Run one case per process (--benchmark_filter) to read its own
// peak memory.
void widthOf(benchmark::State& state, const std::string& text) {
  int width = 0;
  for (auto _ : state) {
    srand(1);
    auto* input = new std::istringstream(text);
    auto* problem = new ArgumentationProblem(input, true);
    width = problem->calculateTreeWidth();
  }
  state.counters["width"] = width;
  state.counters["peak_MB"] = peakMegabytes();
}

void BM_Width(benchmark::State& state) { widthOf(state, gridText(state.range(0))); }

void BM_WidthRandom(benchmark::State& state) {
  const std::string text = zelkovant_bench::randomFramework(state.range(0), 3 * state.range(0), 1);
  widthOf(state, text);
}

void BM_WidthPath(benchmark::State& state) {
  std::string text;
  for (long i = 0; i < state.range(0); ++i)
    text += "att(" + zelkovant_bench::argName(i) + "," + zelkovant_bench::argName(i + 1) + ").\n";
  widthOf(state, text);
}

void BM_WidthLargeGrid(benchmark::State& state) {
  const std::string text = zelkovant_bench::gridFramework(kGridWidth, state.range(0) / kGridWidth, 1);
  widthOf(state, text);
}

void sizes(benchmark::internal::Benchmark* b) {
  b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
}

}  // namespace

BENCHMARK(BM_Width)->Apply(sizes);
BENCHMARK(BM_WidthRandom)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WidthPath)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WidthLargeGrid)->Arg(1000002)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Count, admissible, Admissible)->Apply(sizes);
BENCHMARK_CAPTURE(BM_Count, admissible_semi, AdmissibleSemi)->Apply(sizes);
BENCHMARK_CAPTURE(BM_Count, stable, Stable)->Apply(sizes);
BENCHMARK_CAPTURE(BM_Count, complete, Complete)->Apply(sizes);
BENCHMARK_CAPTURE(BM_Count, preferred, Preferred)->Apply(sizes);

BENCHMARK_MAIN();
