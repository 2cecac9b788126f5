// How the binary hands its enumeration to standard output: every set goes
// out in a write of its own, so a reader (or a run cut short) sees the
// extensions set by set. The writes are observed with strace.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "run_binary.h"

using zelkovant_test::runBinary;

namespace {

constexpr const char* kStrace = "/usr/bin/strace";

// The data of every write(2) the binary made to descriptor 1, in order.
std::vector<std::string> writesToStandardOutput(const std::vector<std::string>& args, const std::string& input) {
  char logName[] = "/tmp/zelkovant-writes-XXXXXX";
  const int fd = mkstemp(logName);
  if (fd < 0) throw std::runtime_error("mkstemp");
  close(fd);
  // -xx prints every byte as \xHH, which reads back without ambiguity.
  std::vector<std::string> traced = {"-qq", "-o", logName, "-e", "trace=write", "-s", "1000000", "-xx", ZELKOVANT_BIN};
  traced.insert(traced.end(), args.begin(), args.end());
  const auto run = runBinary(traced, input, kStrace);
  EXPECT_EQ(run.status, 0) << run.err;

  std::ifstream log(logName);
  std::vector<std::string> writes;
  const std::regex call(R"(^write\(1, \"((?:\\x[0-9a-f]{2})*)\", \d+\) += \d+$)");
  for (std::string line; std::getline(log, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, call)) continue;
    std::string bytes;
    const std::string hex = m[1];
    for (std::size_t i = 0; i + 4 <= hex.size(); i += 4) bytes += static_cast<char>(std::stoi(hex.substr(i + 2, 2), nullptr, 16));
    writes.push_back(bytes);
  }
  std::remove(logName);
  return writes;
}

class OutputWrites : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kStrace, X_OK) != 0) GTEST_SKIP() << "strace is not installed (.ci/run installs it)";
  }
};

// a and b attack each other, b attacks c; ids b 1, a 2, c 3 (statements
// arrive last first). Admissible: {}, {b}, {c,a}, {a}; stable: {b}, {c,a}.
const std::string kFramework = "arg(a).\narg(b).\narg(c).\natt(a,b).\natt(b,a).\natt(b,c).\n";

}  // namespace

TEST_F(OutputWrites, EachSetOfAnEnumerationIsWrittenOnItsOwn) {
  EXPECT_EQ(writesToStandardOutput({"-r", "1"}, kFramework),
            (std::vector<std::string>{"Solutions: 4\n", "{{}", ",{b}", ",{c,a}", ",{a}", "}\n"}));
  // A bound stops after its last set; the count line still counts all.
  EXPECT_EQ(writesToStandardOutput({"-r", "1", "--enum=2"}, kFramework),
            (std::vector<std::string>{"Solutions: 4\n", "{{}", ",{b}", "}\n"}));
  EXPECT_EQ(writesToStandardOutput({"-r", "1", "-s", "stable"}, kFramework),
            (std::vector<std::string>{"Solutions: 2\n", "{{b}", ",{c,a}", "}\n"}));
  // No set at all: the braces of the empty list go out together.
  EXPECT_EQ(writesToStandardOutput({"-r", "1", "-s", "stable"}, "arg(a).\natt(a,a).\n"),
            (std::vector<std::string>{"Solutions: 0\n", "{}\n"}));
}

TEST_F(OutputWrites, DataLineSetsAreWrittenOnTheirOwnToo) {
  const auto writes = writesToStandardOutput({"-r", "1", "-d"}, kFramework);
  ASSERT_EQ(writes.size(), 6u);
  // The first set goes out with the fields before it; the line ends last.
  EXPECT_TRUE(writes[0].starts_with("; 1; ") && writes[0].ends_with("; {{}")) << writes[0];
  EXPECT_EQ(std::vector<std::string>(writes.begin() + 1, writes.end()),
            (std::vector<std::string>{",{b}", ",{c,a}", ",{a}", "};", "\n"}));
}
