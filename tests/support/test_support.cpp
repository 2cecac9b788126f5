// Timer and fatal-error reporting.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <string>

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
