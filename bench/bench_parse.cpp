// Reading framework texts: the scanner and parser alone (statements counted,
// not stored), and the whole reading of a problem (parse and preprocess,
// which name the arguments, collect the attacks and build the adjacency).
// Frameworks are grids of width 4 (one declaration per argument, about 1.6
// attacks per argument) and 1,200,000 random attacks between 1,000,000
// arguments (no declarations, many repeated names).
#include <benchmark/benchmark.h>

#include <iostream>
#include <sstream>
#include <string>

#include "ArgumentationLexer.h"
#include "ArgumentationParser.h"
#include "ArgumentationProblem.h"
#include "framework_generator.h"

namespace {

class CountingSink : public ArgumentationProblem {
 public:
  CountingSink() : ArgumentationProblem(nullptr, true) {}
  void addArgument(std::string) override { ++statements; }
  void addAttack(std::string, std::string) override { ++statements; }
  long statements = 0;
};

const std::string& gridText(long length) {
  static long cachedLength = -1;
  static std::string text;
  if (cachedLength != length) {
    text = zelkovant_bench::gridFramework(4, length);
    cachedLength = length;
  }
  return text;
}

// Scans and parses `text` once per iteration into a sink that only counts.
void scanAndParse(benchmark::State& state, const std::string& text) {
  long statements = 0;
  for (auto _ : state) {
    std::istringstream in(text);
    ArgumentationFlexLexer lexer;
    CountingSink sink;
    ArgumentationParser parser(&lexer, &in, &sink);
    parser.yyparse();
    statements = sink.statements;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["statements"] = static_cast<double>(statements);
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}

void BM_ScanAndParse(benchmark::State& state) { scanAndParse(state, gridText(state.range(0))); }

// The scanner and parser alone on 1,200,000 attack statements (23 MB).
void BM_ScanAndParseAttacks(benchmark::State& state) {
  static const std::string text = zelkovant_bench::randomFramework(1000000, 1200000, 1);
  scanAndParse(state, text);
}

// Parse and preprocess as a run does them; the program never destroys its
// problem, so neither is its destruction timed here.
void readProblem(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    std::istringstream in(text);
    auto* problem = new ArgumentationProblem(&in, true);
    problem->parse();
    problem->preprocess();
    benchmark::DoNotOptimize(problem->getVertexCount());
    state.PauseTiming();
    delete problem;
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}

void BM_ReadProblem(benchmark::State& state) { readProblem(state, gridText(state.range(0))); }

// The 3-row grid of 1,000,002 arguments and 2,000,621 attacks (57 MB) that
// the large decomposition measurements use.
void BM_ReadLargeGrid(benchmark::State& state) {
  static const std::string text = zelkovant_bench::gridFramework(3, 333334, 1);
  readProblem(state, text);
}

}  // namespace

// 10,000 to 2,000,000 columns of 4 arguments: about 0.6 MB to 120 MB of text.
BENCHMARK(BM_ScanAndParse)->Arg(10000)->Arg(200000)->Arg(800000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanAndParseAttacks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadProblem)->Arg(10000)->Arg(200000)->Arg(800000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLargeGrid)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
