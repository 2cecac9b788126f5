// Enumeration inside the process: the solution of a run evaluated into the
// set of all extensions, then printed into a stream that discards it. Stable
// extensions of k mutually attacking pairs (2^k sets), admissible sets of
// grid frameworks of width 3, the one stable extension of a path of n
// attacks (one set that grows by an argument at a time: its cost should
// grow linearly with n, as counting's does), and the one stable, complete
// and preferred extension of deep tree-shaped frameworks (genaf tree),
// each beside the count of the same framework: enumerating and printing
// should stay within twice the count's time and grow tenfold per tenfold of
// arguments. Peak memory is the process's maximum resident
// set after each benchmark (it only grows: run one case per process, with
// --benchmark_filter, to read a case's own peak).
#include <benchmark/benchmark.h>

#include "bench_graphs.h"

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "AdmissibleNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "ArgumentationSolution.h"
#include "CompleteNormalizedArgumentation.h"
#include "PreferredNormalizedArgumentation.h"
#include "StableNormalizedArgumentation.h"
#include "framework_generator.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"

namespace {

using zelkovant_bench::peakMegabytes;

std::string mutualPairs(long pairs) {
  std::string text;
  for (long i = 0; i < pairs; ++i) {
    const std::string a = zelkovant_bench::argName(2 * i), b = zelkovant_bench::argName(2 * i + 1);
    text += "att(" + a + "," + b + ").\natt(" + b + "," + a + ").\n";
  }
  return text;
}

std::string path(long attacks) {
  std::string text;
  for (long i = 0; i < attacks; ++i)
    text += "att(" + zelkovant_bench::argName(i) + "," + zelkovant_bench::argName(i + 1) + ").\n";
  return text;
}

// Accepts and forgets everything written to it.
class Discard : public std::streambuf {
 protected:
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

// A run of the program in `mode` (ENUMERATION or COUNTING): the framework
// solved, its solution evaluated and printed into a stream that discards it.
// Returns the content.
template <class Algorithm, class Content>
Content* solveAndPrint(benchmark::State& state, const std::string& text, OutputType mode) {
  kivra::GenericInstantiator<Content> instantiator;
  Discard discard;
  Content* content = nullptr;
  for (auto _ : state) {
    // Like a run of the program, the objects made here are never released.
    srand(1);
    auto* input = new std::istringstream(text);
    auto* problem = new ArgumentationProblem(input, true);
    kivra::Solution* solution = problem->calculateSolution(new Algorithm(problem));
    content = static_cast<Content*>(solution->getContent(&instantiator));
    std::streambuf* console = std::cout.rdbuf(&discard);
    printSolution(content, mode, problem);
    std::cout.rdbuf(console);
  }
  state.counters["peak_MB"] = peakMegabytes();
  return content;
}

template <class Algorithm>
void enumerate(benchmark::State& state, const std::string& text) {
  auto* content = solveAndPrint<Algorithm, kivra::EnumerationSolutionContent>(state, text, ENUMERATION);
  state.counters["sets"] = static_cast<double>(content ? content->size() : 0);
}

// The generated text of a tree of state.range(0) arguments, made outside
// the timed loop.
std::string tree(const benchmark::State& state) { return zelkovant_bench::treeFramework(state.range(0)); }

template <class Algorithm>
void BM_TreeEnumeration(benchmark::State& state) {
  const std::string text = tree(state);
  enumerate<Algorithm>(state, text);
  state.counters["time_per_arg"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

template <class Algorithm>
void BM_TreeCount(benchmark::State& state) {
  const std::string text = tree(state);
  solveAndPrint<Algorithm, kivra::CountingSolutionContent>(state, text, COUNTING);
  state.counters["time_per_arg"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

void BM_StablePairs(benchmark::State& state) {
  enumerate<StableNormalizedArgumentationAlgorithm>(state, mutualPairs(state.range(0)));
}

void BM_AdmissibleGrid(benchmark::State& state) {
  enumerate<AdmissibleNormalizedArgumentationAlgorithm>(state, zelkovant_bench::gridFramework(3, state.range(0)));
}

void BM_StablePath(benchmark::State& state) {
  enumerate<StableNormalizedArgumentationAlgorithm>(state, path(state.range(0)));
}

}  // namespace

// Tree-shaped frameworks: one extension of about half the arguments.
#define TREE_CASES ->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1)
BENCHMARK_TEMPLATE(BM_TreeCount, StableNormalizedArgumentationAlgorithm) TREE_CASES;
BENCHMARK_TEMPLATE(BM_TreeEnumeration, StableNormalizedArgumentationAlgorithm) TREE_CASES;
BENCHMARK_TEMPLATE(BM_TreeCount, CompleteNormalizedArgumentationAlgorithm) TREE_CASES;
BENCHMARK_TEMPLATE(BM_TreeEnumeration, CompleteNormalizedArgumentationAlgorithm) TREE_CASES;
BENCHMARK_TEMPLATE(BM_TreeCount, PreferredNormalizedArgumentationAlgorithm) TREE_CASES;
BENCHMARK_TEMPLATE(BM_TreeEnumeration, PreferredNormalizedArgumentationAlgorithm) TREE_CASES;

BENCHMARK(BM_StablePath)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_StablePairs)->Arg(12)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AdmissibleGrid)->Arg(10)->Arg(15)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
