// Preferred semantics at scale on grid-shaped frameworks of width 3: counting
// up to a million arguments, and credulous acceptance of one argument at two
// lengths ten times apart, whose times per argument show whether the work
// grows linearly. Each benchmark reports the process's peak resident set
// (it only grows, so sizes run from small to large) and the user CPU time per
// argument, which other processes on the machine disturb less than wall time.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "ArgumentationProblem.h"
#include "ArgumentationSolution.h"
#include "PreferredNormalizedArgumentation.h"
#include "bench_graphs.h"
#include "framework_generator.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"

namespace {

constexpr int kGridWidth = 3;

double userSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec) + 1e-6 * static_cast<double>(usage.ru_utime.tv_usec);
}

// Parse, decompose, evaluate and hand the solution to `evaluate`. Like a run
// of the program, the objects made here are never released.
template <class Evaluate>
void run(benchmark::State& state, Evaluate evaluate) {
  const long columns = state.range(0);
  const std::string text = zelkovant_bench::gridFramework(kGridWidth, columns);
  double seconds = 0;
  for (auto _ : state) {
    const double start = userSeconds();
    srand(1);
    auto* input = new std::istringstream(text);
    auto* problem = new ArgumentationProblem(input, true);
    kivra::Solution* solution = problem->calculateSolution(new PreferredNormalizedArgumentationAlgorithm(problem));
    evaluate(problem, solution);
    seconds += userSeconds() - start;
  }
  const double arguments = static_cast<double>(kGridWidth * columns);
  state.counters["arguments"] = arguments;
  state.counters["user_us_per_argument"] = 1e6 * seconds / static_cast<double>(state.iterations()) / arguments;
  state.counters["peak_MB"] = zelkovant_bench::peakMegabytes();
}

void BM_PreferredCount(benchmark::State& state) {
  kivra::GenericInstantiator<kivra::CountingSolutionContent> counting;
  run(state, [&](kivra::Problem*, kivra::Solution* solution) {
    benchmark::DoNotOptimize(solution->getContent(&counting));
  });
}

void BM_PreferredCredulous(benchmark::State& state) {
  run(state, [](kivra::Problem* problem, kivra::Solution* solution) {
    ArgumentationInstantiator<CredulousSolutionContent> credulous("a5", problem);
    benchmark::DoNotOptimize(solution->getContent(&credulous));
  });
}

}  // namespace

// Grid lengths (columns); the last count is the million-argument run.
BENCHMARK(BM_PreferredCredulous)->Arg(10000)->Arg(100000)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_PreferredCount)->Arg(10000)->Arg(100000)->Arg(333334)->Unit(benchmark::kSecond)->Iterations(1);

BENCHMARK_MAIN();
