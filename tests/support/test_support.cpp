// Timer, fatal-error reporting and bit counting.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "kivra/BitCount.h"
#include "kivra/support.h"

namespace {

void burnCpu() {
  volatile unsigned long sink = 0;
  for (unsigned long i = 0; i < 20000000UL; ++i) sink = sink + i;
}

}  // namespace

TEST(Timer, StopMeasuresFromTheSameStart) {
  kivra::Timer t;
  burnCpu();
  auto first = t.stop();
  burnCpu();
  auto second = t.stop();
  EXPECT_GE(first.first, 0.0);
  EXPECT_GE(second.first, first.first);
  EXPECT_GE(second.second, 0.0);

  std::ostringstream printed;
  t.printStop(printed);
  EXPECT_FALSE(printed.str().empty());
  EXPECT_EQ(printed.str().find('\n'), std::string::npos);
}

TEST(ErrorHandling, ProgramNameIsTruncatedAndDefaulted) {
  std::string longName(5000, 'p');
  kivra::InitializeErrorHandling(longName.c_str());
  EXPECT_EQ(std::string(kivra::sProgramName), longName.substr(0, 4095));

  kivra::InitializeErrorHandling(nullptr);
  EXPECT_STREQ(kivra::sProgramName, "Error");
}

TEST(ErrorHandlingDeathTest, MessageFormsAndExitStatus) {
  kivra::InitializeErrorHandling("prog");
  EXPECT_EXIT(
      {
        errno = 0;
        kivra::_printError("0");
      },
      ::testing::ExitedWithCode(1), "^prog: ERROR - 0\n$");
  const std::string missing = std::strerror(ENOENT);
  EXPECT_EXIT(
      {
        errno = ENOENT;
        kivra::_printError("cannot go on");
      },
      ::testing::ExitedWithCode(1), "^prog: ERROR - cannot go on - " + missing + "\n$");
  EXPECT_EXIT(
      {
        errno = 0;
        kivra::_printError(265, "./AbstractAlgorithm.cpp", "inst");
      },
      ::testing::ExitedWithCode(1), "^prog: \\./AbstractAlgorithm\\.cpp:265: ERROR - inst\n$");
}

TEST(BitCount, UniteAndCountMatchesWordByWord) {
  // Runs of several lengths (none, shorter and longer than a cache line),
  // with sparse, dense and full words.
  std::mt19937_64 Rng(7);
  for (std::size_t iWords : {0u, 1u, 3u, 8u, 67u, 313u}) {
    std::vector<std::uint64_t> Into(iWords), From(iWords);
    for (std::size_t k = 0; k < iWords; ++k) {
      Into[k] = k % 5 == 0 ? ~std::uint64_t{0} : Rng() & Rng();
      From[k] = k % 7 == 0 ? 0 : Rng() | Rng();
    }
    std::vector<std::uint64_t> Expected = Into;
    std::uint32_t iExpected = 0;
    for (std::size_t k = 0; k < iWords; ++k) {
      Expected[k] |= From[k];
      for (int b = 0; b < 64; ++b) iExpected += (Expected[k] >> b) & 1;
    }
    EXPECT_EQ(kivra::uniteAndCount(Into.data(), From.data(), iWords), iExpected) << iWords << " words";
    EXPECT_EQ(Into, Expected) << iWords << " words";
  }
}
