// Heap exhaustion at every point of a run, through the real binary: a shim
// preloaded into the program fails its k-th allocation and every one after
// it. Each road (semantics and normalization by output mode, the data line,
// the timing lines, the width) is swept over every k from the first
// allocation main makes to one past its last. A run must then either complete
// exactly as without the shim, or end with status 1 and the memory message
// (the scanner, when it cannot have its buffer, ends with its own message and
// status 2); never abort, never print another reason, and never leave a line
// unended or a number cut from its line. Sanitizer builds replace the
// allocator themselves, so only plain builds run these.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "run_binary.h"

using zelkovant_test::Redirect;
using zelkovant_test::RunResult;
using zelkovant_test::runBinaryRedirected;

namespace {

#if defined(ZELKOVANT_FAIL_ALLOC)
constexpr bool kShimBuilt = true;
const std::string kShim = ZELKOVANT_FAIL_ALLOC;
#else
constexpr bool kShimBuilt = false;
const std::string kShim;
#endif
const char* const kNeedsShim =
    "the allocation-failure shim cannot be preloaded into an AddressSanitizer build; the e2e preset runs this "
    "test (cmake --workflow --preset e2e)";

// Two pairs of mutual attacks, a chain, a self-attack, an undeclared argument
// (a warning line comes first) and a blank after a comma.
const std::string kFramework =
    "% a small framework\n"
    "arg(a). arg(b). arg(c). arg(d). arg(e).\n"
    "att(a,b). att(b,a). att(b,c). att(c,d). att(d,c). att(d,e). att(e,e). att(f,a).\n"
    "att(e, b).\n";

const std::string kMemoryMessage = std::string("zelkovant: ERROR - Error assigning memory. - ") + std::strerror(ENOMEM) + "\n";
// The scanner reports the allocation of its buffer its own way.
const std::string kScannerMemoryMessage = "out of dynamic memory in yy_create_buffer()\n";

std::string writeTemporary(const std::string& name, const std::string& text) {
  const std::string path = testing::TempDir() + "zelkovant_" + std::to_string(getpid()) + "_" + name;
  std::ofstream(path) << text;
  return path;
}

// One run under the shim: allocations fail from the k-th on (0: none fails);
// `counted` receives the number of allocations the run made.
RunResult runFailingFrom(const std::vector<std::string>& args, const std::string& input, unsigned long k,
                         unsigned long* counted = nullptr) {
  Redirect redirect;
  redirect.environment = {"LD_PRELOAD=" + kShim, "ZELKOVANT_FAIL_ALLOC_AT=" + std::to_string(k)};
  const std::string countFile = testing::TempDir() + "zelkovant_" + std::to_string(getpid()) + "_count";
  if (counted != nullptr) redirect.environment.push_back("ZELKOVANT_ALLOC_COUNT_FILE=" + countFile);
  RunResult r = runBinaryRedirected(args, input, redirect);
  if (counted != nullptr) {
    *counted = 0;
    std::ifstream(countFile) >> *counted;
    unlink(countFile.c_str());
  }
  return r;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// CPU times differ from run to run: the data line's time field and the
// figures of the timing lines are masked.
std::string masked(const std::string& line) {
  static const std::regex dataTime("^([^;]*; [0-9]+; )[0-9.e+-]+; ");
  static const std::regex seconds("[0-9][0-9.e+-]* seconds");
  return std::regex_replace(std::regex_replace(line, dataTime, "$1#; "), seconds, "# seconds");
}

// What is wrong with the standard output of a run that ended on an error,
// given the complete run's output: every line but the last must be the
// complete run's, and the last one, ended by a newline, may stop early only
// where a field, a progress message or a whole set ends.
std::string cutOutputProblem(const std::string& out, const std::string& complete) {
  if (out.empty()) return "";
  if (out.back() != '\n') return "the last line is not ended";
  const std::vector<std::string> got = linesOf(out), want = linesOf(complete);
  if (got.size() > want.size()) return "more lines than the complete run";
  for (std::size_t i = 0; i + 1 < got.size(); ++i)
    if (masked(got[i]) != masked(want[i])) return "line " + std::to_string(i + 1) + " differs";
  const std::string last = masked(got.back()), full = masked(want[got.size() - 1]);
  if (last == full) return "";
  if (full.compare(0, last.size(), last) != 0) return "the last line is not a part of the complete one";
  const bool fieldEnd = last.ends_with("; ") && !last.ends_with("Solutions: ");
  const bool progressEnd = last.ends_with("... ");
  const bool setEnd = last.ends_with("}") && full[last.size()] == ',';
  if (!fieldEnd && !progressEnd && !setEnd) return "the last line is cut inside a field";
  return "";
}

// What is wrong with a run whose allocations failed from some point on.
std::string failureProblem(const RunResult& r, const RunResult& complete) {
  if (r.status == 0) {
    if (masked(r.out) != masked(complete.out) || r.err != complete.err) return "completed with another output";
    return "";
  }
  const bool memory = r.status == 1 && r.err == kMemoryMessage;
  const bool scannerMemory = r.status == 2 && r.err == kScannerMemoryMessage;
  if (!memory && !scannerMemory) return "ended otherwise than with the memory message";
  return cutOutputProblem(r.out, complete.out);
}

struct Road {
  std::string name;
  std::vector<std::string> args;
  bool fromStdin = false;
};

void PrintTo(const Road& road, std::ostream* os) { *os << road.name; }

std::vector<Road> allRoads() {
  std::vector<Road> roads;
  const struct {
    const char* name;
    std::vector<std::string> args;
  } algorithms[] = {{"admissible", {}},
                    {"admissible_semi", {"-n", "semi"}},
                    {"stable", {"-s", "stable"}},
                    {"complete", {"-s", "complete"}},
                    {"preferred", {"-s", "preferred"}}};
  const struct {
    const char* name;
    std::vector<std::string> args;
  } modes[] = {{"enum", {}}, {"count", {"--count"}}, {"cred", {"--cred", "d"}}, {"skept", {"--skept", "b"}}};
  for (const auto& algorithm : algorithms)
    for (const auto& mode : modes) {
      Road road{std::string(algorithm.name) + "_" + mode.name, algorithm.args};
      road.args.insert(road.args.end(), mode.args.begin(), mode.args.end());
      roads.push_back(road);
    }
  roads.push_back({"admissible_enum_bounded", {"--enum=2"}});
  roads.push_back({"data_line_enum", {"-d", "-s", "complete"}});
  roads.push_back({"data_line_count", {"-d", "--count"}});
  roads.push_back({"data_line_cred", {"-d", "-s", "preferred", "--cred", "b"}});
  roads.push_back({"timing_count", {"-b", "--count", "-s", "complete"}});
  roads.push_back({"timing_enum", {"-b", "-s", "stable"}});
  roads.push_back({"width", {"-t"}});
  roads.push_back({"data_line_width", {"-t", "-d"}});
  roads.push_back({"stdin_count", {"--count", "-s", "preferred"}, true});
  return roads;
}

class AllocationSweep : public ::testing::TestWithParam<Road> {};

TEST_P(AllocationSweep, EveryFailurePointEndsCleanly) {
  if (!kShimBuilt) GTEST_SKIP() << kNeedsShim;
  const Road road = GetParam();
  std::vector<std::string> args = {"-r", "1"};
  args.insert(args.end(), road.args.begin(), road.args.end());
  std::string input;
  if (road.fromStdin) {
    input = kFramework;
  } else {
    args.insert(args.end(), {"-f", writeTemporary(road.name + ".apx", kFramework)});
  }
  struct Removal {
    std::string path;
    ~Removal() {
      if (!path.empty()) unlink(path.c_str());
    }
  } removal{road.fromStdin ? "" : args.back()};

  unsigned long allocations = 0;
  const RunResult complete = runFailingFrom(args, input, 0, &allocations);
  ASSERT_EQ(complete.status, 0) << complete.err;
  ASSERT_GT(allocations, 10u) << "the shim counted nothing";

  // Problems are gathered by kind, so that one report names every point
  // that shows it.
  struct Kind {
    std::vector<unsigned long> points;
    RunResult first;
  };
  std::map<std::string, Kind> problems;
  unsigned long reported = 0;
  for (unsigned long k = 1; k <= allocations + 1; ++k) {
    const RunResult r = runFailingFrom(args, input, k);
    if (r.status == 1) ++reported;
    const std::string problem = failureProblem(r, complete);
    if (problem.empty()) continue;
    const std::string kind =
        problem + " (status " + std::to_string(r.status) + ", " + r.err.substr(0, r.err.find('\n')) + ")";
    Kind& entry = problems[kind];
    if (entry.points.empty()) entry.first = r;
    entry.points.push_back(k);
  }
  for (const auto& [kind, entry] : problems) {
    std::string points;
    for (std::size_t i = 0; i < entry.points.size() && i < 20; ++i) points += " " + std::to_string(entry.points[i]);
    if (entry.points.size() > 20) points += " ...";
    ADD_FAILURE() << road.name << ": " << kind << "\nwhen allocations fail from one of" << points << " (of "
                  << allocations << ")\nfirst one's stdout:\n"
                  << entry.first.out << "\nstderr:\n"
                  << entry.first.err;
  }
  // The shim must have been in effect: most points end in the memory report.
  EXPECT_GT(reported, allocations / 2);
}

// The counts are arbitrary-precision numbers, whose allocations are the last
// of a counting run: from the "Calculating solution content... " of -b on.
// Each of them must end in the memory report, not in an abort.
TEST(AllocationFailures, CountingReportsExhaustedMemory) {
  if (!kShimBuilt) GTEST_SKIP() << kNeedsShim;
  const std::string file = writeTemporary("counting.apx", kFramework);
  for (std::string semantics : {"admissible", "complete", "preferred", "stable"}) {
    const std::vector<std::string> args = {"-b", "--count", "-r", "1", "-s", semantics, "-f", file};
    unsigned long allocations = 0;
    const RunResult complete = runFailingFrom(args, "", 0, &allocations);
    ASSERT_EQ(complete.status, 0) << complete.err;
    int contentPoints = 0;
    for (unsigned long k = allocations; k >= 1; --k) {
      const RunResult r = runFailingFrom(args, "", k);
      if (r.out.find("Calculating solution content... ") == std::string::npos) break;
      ++contentPoints;
      EXPECT_EQ(r.status, 1) << semantics << " failing from " << k << "\n" << r.err;
      EXPECT_EQ(r.err, kMemoryMessage) << semantics << " failing from " << k;
      EXPECT_EQ(cutOutputProblem(r.out, complete.out), "") << semantics << " failing from " << k << "\n" << r.out;
    }
    EXPECT_GT(contentPoints, 0) << semantics;
  }
  unlink(file.c_str());
}

// Opening the -f file takes memory; when there is none, the file is not
// missing.
TEST(AllocationFailures, OpeningTheInputIsNoMissingFile) {
  if (!kShimBuilt) GTEST_SKIP() << kNeedsShim;
  const std::string file = writeTemporary("opening.apx", kFramework);
  for (unsigned long k = 1; k <= 4; ++k) {
    const RunResult r = runFailingFrom({"--count", "-f", file}, "", k);
    EXPECT_EQ(r.err.find("Could not find file"), std::string::npos) << "failing from " << k << ": " << r.err;
    EXPECT_EQ(r.status, 1) << "failing from " << k;
  }
  // A file that is really missing still says so.
  const RunResult missing = runFailingFrom({"--count", "-f", file + ".missing"}, "", 0);
  EXPECT_EQ(missing.err, "zelkovant: Could not find file '" + file + ".missing'!\n");
  EXPECT_EQ(missing.status, 1);
  unlink(file.c_str());
}

INSTANTIATE_TEST_SUITE_P(Roads, AllocationSweep, ::testing::ValuesIn(allRoads()),
                         [](const ::testing::TestParamInfo<Road>& info) { return info.param.name; });

}  // namespace
