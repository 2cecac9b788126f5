// Every algorithm run through the library as the program runs it (problem,
// decomposition, algorithm, content factory), against a brute-force reference
// on random frameworks: enumeration, counting, credulous and skeptical
// acceptance, each run with its own decomposition seed. The enumeration is
// compared as printed: every set once, in the order of the output. Then frameworks too
// large for brute force, whose extensions are known.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "brute_force.h"
#include "solving_run.h"

using namespace zelkovant_test;

namespace {

struct Subject {
  Algorithm algorithm;
  Sem reference;
};

// Names the algorithm in test names and output instead of dumping its bytes.
std::string describe(const Subject& subject) {
  static const char* names[] = {"admissible", "admissible_semi", "stable", "complete", "preferred"};
  return names[static_cast<int>(subject.algorithm)];
}
void PrintTo(const Subject& subject, std::ostream* os) { *os << describe(subject); }
std::string subjectName(const ::testing::TestParamInfo<Subject>& info) { return describe(info.param); }

class AgainstBruteForce : public ::testing::TestWithParam<Subject> {};

// 400 frameworks of up to 12 arguments per algorithm.
TEST_P(AgainstBruteForce, EveryModeAgrees) {
  const Subject subject = GetParam();
  std::mt19937 rng(17 + static_cast<unsigned>(subject.algorithm));
  int failures = 0;
  for (int i = 0; i < 400 && failures < 3; ++i) {
    RandomInput in = randomInput(rng, 12);
    const Extensions expected = bruteForce(in.af, subject.reference);
    std::string failure;
    SolvingRun enumeration(in.text, subject.algorithm, rng());
    const std::string printed = enumeration.enumerate();
    const std::string wanted = printedEnumeration(expected, [&](const std::string& name) { return enumeration.id(name); });
    if (printed != wanted) failure += "enumeration\n" + printed + "instead of\n" + wanted;
    if (SolvingRun(in.text, subject.algorithm, rng()).count() != std::to_string(expected.size())) failure += "count\n";
    for (int q = 0; q < 2 && !in.af.args.empty(); ++q) {
      const std::string queried = in.af.args[rng() % in.af.args.size()];
      bool inSome = false, inAll = true;
      for (const auto& e : expected) {
        inSome = inSome || e.count(queried) > 0;
        inAll = inAll && e.count(queried) > 0;
      }
      if (SolvingRun(in.text, subject.algorithm, rng()).accepts<CredulousSolutionContent>(queried) != inSome)
        failure += "credulous " + queried + "\n";
      if (SolvingRun(in.text, subject.algorithm, rng()).accepts<SkepticalSolutionContent>(queried) != inAll)
        failure += "skeptical " + queried + "\n";
    }
    if (!failure.empty()) {
      ++failures;
      ADD_FAILURE() << semName(subject.reference) << " differs on framework #" << i << ":\n" << in.text << failure;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(RandomFrameworks, AgainstBruteForce,
                         ::testing::Values(Subject{Algorithm::Admissible, Sem::Admissible},
                                           Subject{Algorithm::SemiAdmissible, Sem::Admissible},
                                           Subject{Algorithm::Stable, Sem::Stable},
                                           Subject{Algorithm::Complete, Sem::Complete},
                                           Subject{Algorithm::Preferred, Sem::Preferred}),
                         subjectName);

// A chain a0 -> a1 -> ... makes a decomposition as deep as the framework is
// long; its one stable, complete and preferred extension are the even
// positions, and its admissible sets the prefixes {a0, a2, ..., a2k} of those,
// the empty one included. An even cycle has two stable and three complete
// extensions, an odd one none and one.
TEST(LargeFrameworks, ChainsAndCycles) {
  const int n = 20001;
  std::string chain;
  for (int i = 0; i + 1 < n; ++i) chain += "att(a" + std::to_string(i) + ",a" + std::to_string(i + 1) + ").\n";
  const std::string admissible = std::to_string((n + 1) / 2 + 1);
  EXPECT_EQ(SolvingRun(chain, Algorithm::Admissible, 3).count(), admissible);
  EXPECT_EQ(SolvingRun(chain, Algorithm::SemiAdmissible, 4).count(), admissible);
  EXPECT_EQ(SolvingRun(chain, Algorithm::Stable, 5).count(), "1");
  EXPECT_EQ(SolvingRun(chain, Algorithm::Complete, 6).count(), "1");
  EXPECT_EQ(SolvingRun(chain, Algorithm::Preferred, 7).count(), "1");
  EXPECT_TRUE(SolvingRun(chain, Algorithm::Stable, 8).accepts<CredulousSolutionContent>("a20000"));
  EXPECT_FALSE(SolvingRun(chain, Algorithm::Complete, 9).accepts<SkepticalSolutionContent>("a19999"));
  for (int length : {200, 201}) {
    std::string cycle;
    for (int i = 0; i < length; ++i)
      cycle += "att(c" + std::to_string(i) + ",c" + std::to_string((i + 1) % length) + ").\n";
    EXPECT_EQ(SolvingRun(cycle, Algorithm::Stable, length).count(), length % 2 ? "0" : "2");
    EXPECT_EQ(SolvingRun(cycle, Algorithm::Complete, length).count(), length % 2 ? "1" : "3");
  }
}

}  // namespace
