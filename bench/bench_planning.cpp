// A real planning framework of width 11 (bench/data/planning-ferry2-pddl3.apx,
// seed 1): counting and both acceptance questions for every semantics. These
// are the widest real frameworks the tables reach, so each run shows what a
// table of a few million rows costs. Each run happens in a child process, so
// that the reported user CPU time and peak memory (peak_MB, the child's
// maximum resident set) belong to that run alone.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "ArgumentationProblem.h"
#include "ArgumentationSolution.h"
#include "bench_algorithms.h"
#include "child_run.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"

#ifndef ZELKOVANT_BENCH_DATA
#define ZELKOVANT_BENCH_DATA "bench/data"
#endif

namespace {

using zelkovant_bench::makeAlgorithm;
using zelkovant_bench::Semantics;
using enum zelkovant_bench::Semantics;

enum Mode { Count, Credulous, Skeptical };

std::string planningText() {
  std::ifstream in(std::string(ZELKOVANT_BENCH_DATA) + "/planning-ferry2-pddl3.apx");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// One run as the program does it, in a child process; returns the child's
// user CPU seconds and stores its peak resident megabytes (-1 on failure).
double solveInChild(const std::string& text, Semantics semantics, Mode mode, double& peakMegabytes) {
  return zelkovant_bench::userSecondsInChild(
      [&] {
        srand(1);
        auto* input = new std::istringstream(text);
        auto* problem = new ArgumentationProblem(input, true);
        kivra::Solution* solution = problem->calculateSolution(makeAlgorithm(semantics, problem));
        kivra::Instantiator* instantiator = nullptr;
        switch (mode) {
          case Count: instantiator = new kivra::GenericInstantiator<kivra::CountingSolutionContent>(); break;
          case Credulous: instantiator = new ArgumentationInstantiator<CredulousSolutionContent>("a0", problem); break;
          case Skeptical: instantiator = new ArgumentationInstantiator<SkepticalSolutionContent>("a0", problem); break;
        }
        benchmark::DoNotOptimize(solution->getContent(instantiator));
      },
      peakMegabytes);
}

void BM_Planning(benchmark::State& state, Semantics semantics, Mode mode) {
  static const std::string text = planningText();
  if (text.empty()) {
    state.SkipWithError("bench/data/planning-ferry2-pddl3.apx could not be read");
    return;
  }
  double peak = 0;
  for (auto _ : state) state.SetIterationTime(solveInChild(text, semantics, mode, peak));
  state.counters["peak_MB"] = peak;
  if (peak < 0) state.SkipWithError("the run failed");
}

void once(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
}

}  // namespace

#define PLANNING(name, semantics)                                                     \
  BENCHMARK_CAPTURE(BM_Planning, name##_count, semantics, Count)->Apply(once);        \
  BENCHMARK_CAPTURE(BM_Planning, name##_cred, semantics, Credulous)->Apply(once);     \
  BENCHMARK_CAPTURE(BM_Planning, name##_skept, semantics, Skeptical)->Apply(once)

PLANNING(admissible, Admissible);
PLANNING(admissible_semi, AdmissibleSemi);
PLANNING(stable, Stable);
PLANNING(complete, Complete);
PLANNING(preferred, Preferred);

BENCHMARK_MAIN();
