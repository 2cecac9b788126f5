// Fuzz target: arbitrary bytes as a framework text.
//
// The reader must take any input without crashing, and hand on exactly the
// statements a plain reference reading of the format finds: every complete
// statement before the first character that starts no token, last one first.
// When the framework read has few enough arguments, every algorithm is run
// through the whole road (problem, decomposition, algorithm, content factory)
// in every mode, and the answers are compared with the brute-force reference
// of the tests; an enumeration as it is printed, in its order, each set once. Any difference aborts, which the fuzzer reports as a crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "AdmissibleNormalizedArgumentation.h"
#include "AdmissibleSemiNormalizedArgumentation.h"
#include "ArgumentationLexer.h"
#include "ArgumentationParser.h"
#include "ArgumentationProblem.h"
#include "ArgumentationSolution.h"
#include "CompleteNormalizedArgumentation.h"
#include "PreferredNormalizedArgumentation.h"
#include "StableNormalizedArgumentation.h"
#include "brute_force.h"
#include "solving_run.h"
#include "kivra/CountingSolutionContent.h"

using namespace zelkovant_test;

namespace {

// Inputs shorter than the scanner's window never overflow it (an overflow
// ends the process by design); larger frameworks are not brute-forced.
constexpr std::size_t kMaxInput = 16000;
constexpr std::size_t kMaxBruteForceArguments = 8;

using Calls = std::vector<std::string>;

// A problem that records the statements instead of taking them in.
struct Recorder : ArgumentationProblem {
  Recorder() : ArgumentationProblem(nullptr, true) {}
  void addArgument(std::string name) override { calls.push_back("arg " + name); }
  void addAttack(std::string a, std::string b) override { calls.push_back("att " + a + " " + b); }
  Calls calls;
};

bool isName(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }
bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads a statement "arg(NAME)." or "att(NAME," blanks "NAME)." whose
// keyword ends at `i`; on success sets `i` past it and returns the call.
bool referenceStatement(const std::string& text, std::size_t& i, bool attack, std::string& call) {
  std::size_t j = i;
  auto name = [&](std::string& out) {
    std::size_t begin = j;
    while (j < text.size() && isName(text[j])) ++j;
    out = text.substr(begin, j - begin);
    return !out.empty();
  };
  auto literal = [&](char c) { return j < text.size() && text[j] == c ? (++j, true) : false; };
  std::string first, second;
  if (!literal('(') || !name(first)) return false;
  if (attack) {
    if (!literal(',')) return false;
    while (j < text.size() && text[j] == ' ') ++j;
    if (!name(second)) return false;
  }
  if (!literal(')') || !literal('.')) return false;
  i = j;
  call = attack ? "att " + first + " " + second : "arg " + first;
  return true;
}

// The calls a reader must make, in the order it must make them; `stray`
// tells whether a stray character ended the reading.
Calls referenceCalls(const std::string& text, bool& stray) {
  Calls fileOrder;
  stray = true;
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char c = text[i];
    if (c == '\n' || isBlank(c)) {
      ++i;
    } else if (c == '%') {
      std::size_t newline = text.find('\n', i);
      if (newline == std::string::npos) break;  // a comment needs its newline
      i = newline + 1;
    } else if (isName(c)) {
      std::size_t begin = i;
      while (i < text.size() && isName(text[i])) ++i;
      std::string word = text.substr(begin, i - begin);
      std::string call;
      if ((word == "arg" || word == "att") && referenceStatement(text, i, word == "att", call)) {
        fileOrder.push_back(call);
      }
    } else {
      break;  // a stray character ends the reading
    }
  }
  if (i >= text.size()) stray = false;
  return Calls(fileOrder.rbegin(), fileOrder.rend());
}

[[noreturn]] void fail(const std::string& what, const std::string& text) {
  std::fprintf(stderr, "mismatch: %s\non input:\n%s\n", what.c_str(), text.c_str());
  std::abort();
}

// The framework the calls describe: the arguments that take part in an attack.
Framework frameworkOf(const Calls& calls) {
  Framework af;
  std::map<std::string, int> index;
  auto id = [&](const std::string& name) {
    auto [entry, added] = index.emplace(name, static_cast<int>(af.args.size()));
    if (added) af.args.push_back(name);
    return entry->second;
  };
  for (const std::string& call : calls) {
    if (call.compare(0, 4, "att ") != 0) continue;
    std::size_t space = call.find(' ', 4);
    int a = id(call.substr(4, space - 4));
    int b = id(call.substr(space + 1));
    af.attacks.insert({a, b});
  }
  return af;
}

// Every algorithm in every mode; acceptance is asked for one argument chosen
// by the seed, so that the runs (whose objects live on) stay few per input.
void checkEveryRoad(const std::string& text, const Framework& af, unsigned seed) {
  const struct {
    Algorithm algorithm;
    Sem reference;
  } subjects[] = {{Algorithm::Admissible, Sem::Admissible},
                  {Algorithm::SemiAdmissible, Sem::Admissible},
                  {Algorithm::Stable, Sem::Stable},
                  {Algorithm::Complete, Sem::Complete},
                  {Algorithm::Preferred, Sem::Preferred}};
  for (const auto& subject : subjects) {
    const std::string name = semName(subject.reference);
    const Extensions expected = bruteForce(af, subject.reference);
    SolvingRun enumeration(text, subject.algorithm, seed++);
    if (enumeration.enumerate() !=
        printedEnumeration(expected, [&](const std::string& argument) { return enumeration.id(argument); }))
      fail(name + " enumeration", text);
    if (SolvingRun(text, subject.algorithm, seed++).count() != std::to_string(expected.size()))
      fail(name + " count", text);
    if (af.args.empty()) continue;
    const std::string& argument = af.args[seed % af.args.size()];
    bool inSome = false, inAll = true;
    for (const NameSet& extension : expected) {
      inSome = inSome || extension.count(argument) > 0;
      inAll = inAll && extension.count(argument) > 0;
    }
    if (SolvingRun(text, subject.algorithm, seed++).accepts<CredulousSolutionContent>(argument) != inSome)
      fail(name + " credulous " + argument, text);
    if (SolvingRun(text, subject.algorithm, seed++).accepts<SkepticalSolutionContent>(argument) != inAll)
      fail(name + " skeptical " + argument, text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Syntax errors are reported on the error stream: expected, and not news.
  std::cerr.rdbuf(nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);

  std::istringstream input(text);
  ArgumentationFlexLexer lexer;
  Recorder recorder;
  ArgumentationParser parser(&lexer, &input, &recorder);
  const int status = parser.yyparse();
  bool stray = false;
  const Calls expected = referenceCalls(text, stray);
  if (recorder.calls != expected) fail("statements read", text);
  if (status != (stray ? 1 : 0)) fail("parse result", text);

  const Framework af = frameworkOf(expected);
  if (af.args.size() > kMaxBruteForceArguments) return 0;
  unsigned seed = 0;
  for (unsigned char c : text) seed = seed * 31 + c;
  checkEveryRoad(text, af, seed);
  return 0;
}
