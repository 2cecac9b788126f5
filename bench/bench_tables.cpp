// Counting runs on the shapes that stress the dynamic-programming tables:
// 3-row grids (admissible on both normalizations, stable, complete), a path
// (every semantics) and small random frameworks of width 17 to 19 (complete,
// whose tables there hold hundreds of thousands of rows). Each run happens in
// a child process, so that the reported user CPU time and peak memory
// (peak_MB, the child's maximum resident set) belong to that run alone.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <sstream>
#include <string>

#include "ArgumentationProblem.h"
#include "bench_algorithms.h"
#include "child_run.h"
#include "framework_generator.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"

namespace {

using zelkovant_bench::makeAlgorithm;
using zelkovant_bench::Semantics;
using enum zelkovant_bench::Semantics;

// One counting run as the program does it, in a child process; returns the
// child's user CPU seconds and stores its peak resident megabytes.
double countInChild(const std::string& text, Semantics semantics, double& peakMegabytes) {
  return zelkovant_bench::userSecondsInChild(
      [&] {
        srand(1);
        auto* input = new std::istringstream(text);
        auto* problem = new ArgumentationProblem(input, true);
        kivra::Solution* solution = problem->calculateSolution(makeAlgorithm(semantics, problem));
        kivra::GenericInstantiator<kivra::CountingSolutionContent> counting;
        benchmark::DoNotOptimize(solution->getContent(&counting));
      },
      peakMegabytes);
}

void run(benchmark::State& state, const std::string& text, Semantics semantics) {
  double peak = 0;
  for (auto _ : state) state.SetIterationTime(countInChild(text, semantics, peak));
  state.counters["peak_MB"] = peak;
  if (peak < 0) state.SkipWithError("the counting run failed");
}

// A grid of three rows and range(0) arguments.
void BM_Grid(benchmark::State& state, Semantics semantics) {
  run(state, zelkovant_bench::gridFramework(3, state.range(0) / 3), semantics);
  state.counters["arguments"] = static_cast<double>(state.range(0));
}

// A path of range(0) attacks.
void BM_Path(benchmark::State& state, Semantics semantics) {
  run(state, zelkovant_bench::gridFramework(1, state.range(0) + 1), semantics);
  state.counters["attacks"] = static_cast<double>(state.range(0));
}

// 38 arguments, range(0) random attacks (seed 3: width 17 at 160 attacks, 19 at 180).
void BM_RandomComplete(benchmark::State& state) {
  run(state, zelkovant_bench::randomFramework(38, state.range(0), 3), Complete);
}

void gridSizes(benchmark::internal::Benchmark* b) {
  b->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
}
void pathSizes(benchmark::internal::Benchmark* b) {
  b->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
}

}  // namespace

BENCHMARK_CAPTURE(BM_Grid, admissible, Admissible)->Apply(gridSizes);
BENCHMARK_CAPTURE(BM_Grid, admissible_semi, AdmissibleSemi)->Apply(gridSizes);
BENCHMARK_CAPTURE(BM_Grid, stable, Stable)->Apply(gridSizes);
BENCHMARK_CAPTURE(BM_Grid, complete, Complete)->Apply(gridSizes);
BENCHMARK_CAPTURE(BM_Path, admissible, Admissible)->Apply(pathSizes);
BENCHMARK_CAPTURE(BM_Path, stable, Stable)->Apply(pathSizes);
BENCHMARK_CAPTURE(BM_Path, complete, Complete)->Apply(pathSizes);
BENCHMARK(BM_RandomComplete)->Arg(160)->Arg(180)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

BENCHMARK_MAIN();
