// The binary's answers against the brute-force reference on random
// frameworks, for every semantics and output mode, with varying seeds. The
// algorithms themselves are compared in process on thousands of frameworks;
// these runs check what only the program shows: the options choosing
// semantics, normalization, mode and seed, reading standard input, and the
// printed answer. A few dozen frameworks per shard suffice for that. An
// enumeration must print every set once, in the order of the argument ids,
// which follow the input's statements last first.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "brute_force.h"
#include "run_binary.h"

using namespace zelkovant_test;

namespace {

constexpr int kFrameworks = 40;
constexpr int kMaxArgs = 12;

enum class Mode { Enumerate, Count, Credulous, Skeptical };

struct Shard {
  Sem sem;
  bool semi;
  Mode mode;
};

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

std::string describe(const Shard& s) {
  static const char* modes[] = {"enum", "count", "cred", "skept"};
  return std::string(semName(s.sem)) + (s.semi ? "-semi" : "") + "-" + modes[static_cast<int>(s.mode)];
}

// Names the shard in test output instead of dumping its bytes.
void PrintTo(const Shard& s, std::ostream* os) { *os << describe(s); }

class Differential : public ::testing::TestWithParam<Shard> {};

TEST_P(Differential, AgreesWithBruteForce) {
  const Shard shard = GetParam();
  std::mt19937 rng(static_cast<unsigned>(1000 * static_cast<int>(shard.sem) + 100 * shard.semi +
                                         static_cast<int>(shard.mode) + 17));
  int failures = 0;
  for (int i = 0; i < kFrameworks && failures < 5; ++i) {
    RandomInput in = randomInput(rng, kMaxArgs);
    Extensions expected = bruteForce(in.af, shard.sem);
    std::vector<std::string> args = {"-r", std::to_string(rng() % 100000), "-s", semName(shard.sem)};
    if (shard.semi) args.insert(args.end(), {"-n", "semi"});
    std::string queried;
    switch (shard.mode) {
      case Mode::Enumerate: break;
      case Mode::Count: args.push_back("--count"); break;
      case Mode::Credulous:
      case Mode::Skeptical:
        if (in.af.args.empty()) continue;
        queried = in.af.args[rng() % in.af.args.size()];
        args.push_back(shard.mode == Mode::Credulous ? "--cred" : "--skept");
        args.push_back(queried);
        break;
    }
    RunResult r = runBinary(args, in.text);
    std::string context = describe(shard) + " framework #" + std::to_string(i) + " args:";
    for (const auto& a : args) context += " " + a;
    context += "\n" + in.text + "stdout:\n" + r.out + "stderr:\n" + r.err;
    auto out = lines(r.out);
    bool ok = r.status == 0 && !out.empty();
    if (ok) {
      switch (shard.mode) {
        case Mode::Enumerate: {
          // The last two lines, in the exact order the ids prescribe.
          const std::string wanted =
              printedEnumeration(expected, [&](const std::string& name) { return in.ids.at(name); });
          ok = r.out.ends_with(wanted) &&
               (r.out.size() == wanted.size() || r.out[r.out.size() - wanted.size() - 1] == '\n');
          break;
        }
        case Mode::Count:
          ok = out.back() == "Solutions: " + std::to_string(expected.size());
          break;
        case Mode::Credulous:
        case Mode::Skeptical: {
          bool cred = false, skept = true;
          for (const auto& e : expected) {
            bool member = e.count(queried) > 0;
            cred = cred || member;
            skept = skept && member;
          }
          bool answer = shard.mode == Mode::Credulous ? cred : skept;
          ok = out.back() == (answer ? "YES" : "NO");
          break;
        }
      }
    }
    if (!ok) {
      ++failures;
      ADD_FAILURE() << context;
    }
  }
}

std::vector<Shard> allShards() {
  std::vector<Shard> shards;
  for (Mode m : {Mode::Enumerate, Mode::Count, Mode::Credulous, Mode::Skeptical}) {
    for (Sem s : {Sem::Admissible, Sem::Complete, Sem::Stable, Sem::Preferred}) shards.push_back({s, false, m});
    shards.push_back({Sem::Admissible, true, m});
  }
  return shards;
}

INSTANTIATE_TEST_SUITE_P(AllSemantics, Differential, ::testing::ValuesIn(allShards()),
                         [](const ::testing::TestParamInfo<Shard>& info) {
                           std::string name = describe(info.param);
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
