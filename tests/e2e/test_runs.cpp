// Whole runs of the binary: result forms, the data line, warnings, empty
// frameworks, unknown arguments, syntax errors and scanner limits.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "run_binary.h"

using zelkovant_test::runBinary;

namespace {

const std::string kUndeclaredAB =
    "\nThe following arguments have not been explicitly defined as argument:\na; b; \n";

struct Case {
  std::vector<std::string> args;
  std::string input;
  std::string out;
  std::string err;
  int status;
};

void expectRun(const Case& c) {
  auto r = runBinary(c.args, c.input);
  std::string joined;
  for (const auto& a : c.args) joined += "[" + a + "]";
  EXPECT_EQ(r.out, c.out) << joined << "\ninput:\n" << c.input;
  EXPECT_EQ(r.err, c.err) << joined << "\ninput:\n" << c.input;
  EXPECT_EQ(r.status, c.status) << joined << "\ninput:\n" << c.input;
}

}  // namespace

TEST(Runs, ResultForms) {
  const std::string ab = "att(a,b).\n";
  const std::vector<Case> cases = {
      {{}, ab, kUndeclaredAB + "Solutions: 2\n{{},{a}}\n", "", 0},
      {{"--count"}, ab, kUndeclaredAB + "Solutions: 2\n", "", 0},
      {{"--cou"}, ab, kUndeclaredAB + "Solutions: 2\n", "", 0},
      {{"--cred", "b"}, ab, kUndeclaredAB + "NO\n", "", 0},
      {{"--skept", "a"}, ab, kUndeclaredAB + "NO\n", "", 0},
      {{"--cred", "a"}, ab, kUndeclaredAB + "YES\n", "", 0},
      // The count line always shows every set; the bound limits the list.
      {{"--enum=1"}, ab, kUndeclaredAB + "Solutions: 2\n{{}}\n", "", 0},
      {{"--enum=2"}, ab, kUndeclaredAB + "Solutions: 2\n{{},{a}}\n", "", 0},
      {{"--enum=x"}, ab, kUndeclaredAB + "Solutions: 2\n{{},{a}}\n", "", 0},
      {{"--enum=1x"}, ab, kUndeclaredAB + "Solutions: 2\n{{}}\n", "", 0},
      {{"--enum=-3"}, ab, kUndeclaredAB + "Solutions: 2\n{{},{a}}\n", "", 0},
      // Beyond the int range: no wrap-around into a small bound.
      {{"--enum=4294967297"}, ab, kUndeclaredAB + "Solutions: 2\n{{},{a}}\n", "", 0},
      {{"--enum=-4294967295"}, ab, kUndeclaredAB + "Solutions: 2\n{{},{a}}\n", "", 0},
      // Ids follow the reverse statement order, names print in id order.
      {{"-s", "complete"}, "arg(a).\narg(b).\natt(a,b).\natt(b,c).\n",
       "\nThe following arguments have not been explicitly defined as argument:\nc; \nSolutions: 1\n{{c,a}}\n", "", 0},
      {{"-t", "-r", "1"}, "arg(a).\narg(b).\natt(a,b).\n", "Width: 1\n", "", 0},
      {{"-t", "-d", "-r", "1"}, "arg(a).\narg(b).\natt(a,b).\n", "1\n", "", 0},
  };
  for (const auto& c : cases) expectRun(c);
}

TEST(Runs, StableOddCycleHasNoExtension) {
  const std::string cycle = "arg(a).\narg(b).\narg(c).\natt(a,b).\natt(b,c).\natt(c,a).\n";
  expectRun({{"-s", "stable"}, cycle, "Solutions: 0\n{}\n", "", 0});
  expectRun({{"-s", "stable", "--count"}, cycle, "Solutions: 0\n", "", 0});
  expectRun({{"-s", "stable", "--skept", "a"}, cycle, "YES\n", "", 0});
  expectRun({{"-s", "stable", "--cred", "a"}, cycle, "NO\n", "", 0});
}

TEST(Runs, DataLine) {
  const std::string af = "arg(a).\narg(b).\natt(a,b).\n";
  auto enumeration = runBinary({"-d", "-r", "12"}, af);
  EXPECT_TRUE(std::regex_match(enumeration.out, std::regex("; 12; [0-9.e-]+; \\{\\{\\},\\{a\\}\\};\n")))
      << enumeration.out;
  EXPECT_EQ(enumeration.status, 0);

  auto count = runBinary({"-d", "-r", "-1", "--count", "-f", ZELKOVANT_SOURCE_DIR "/examples/mutual.apx"});
  EXPECT_TRUE(std::regex_match(count.out, std::regex(".*/examples/mutual\\.apx; 4294967295; [0-9.e-]+; 4; \n")))
      << count.out;

  // -d silences the warnings and -b adds nothing.
  auto quiet = runBinary({"-d", "-b", "-r", "3", "--skept", "a"}, "att(a,b).\n");
  EXPECT_TRUE(std::regex_match(quiet.out, std::regex("; 3; [0-9.e-]+; NO; \n"))) << quiet.out;
}

TEST(Runs, TimingLines) {
  auto r = runBinary({"-b", "-r", "4"}, "arg(a).\narg(b).\natt(a,b).\n");
  EXPECT_TRUE(std::regex_match(r.out, std::regex("Using seed: 4\n"
                                                 "Calculating solution content\\.\\.\\. done! \\(took [0-9.e-]+ seconds\\)\n"
                                                 "-{41}\n"
                                                 "Overall time: [0-9.e-]+ seconds\n"
                                                 "Solutions: 2\n\\{\\{\\},\\{a\\}\\}\n")))
      << r.out;
}

// A framework without attacks has exactly one extension, the empty set.
TEST(Runs, EmptyFramework) {
  const std::string unattacking =
      "\nThe following arguments do not appear in any attack relation (they will be ignored):\nx; y; \n";
  for (std::string semantics : {"admissible", "complete", "stable", "preferred"}) {
    expectRun({{"-s", semantics}, "", "Solutions: 1\n{{}}\n", "", 0});
    expectRun({{"-s", semantics, "--count"}, "% nothing here\n", "Solutions: 1\n", "", 0});
    expectRun({{"-s", semantics}, "arg(x).\narg(y).\n", unattacking + "Solutions: 1\n{{}}\n", "", 0});
  }
  expectRun({{"-n", "semi"}, "", "Solutions: 1\n{{}}\n", "", 0});
  expectRun({{"-t"}, "", "Width: -1\n", "", 0});
  expectRun({{"-t", "-d"}, "", "-1\n", "", 0});
  // A syntax error before the first statement leaves an empty framework.
  expectRun({{}, "ARG(a).\natt(a,b).\n", "Solutions: 1\n{{}}\n", "\nParser error - line: 1, at word: A\n", 0});
}

TEST(Runs, UnknownArgumentForAcceptance) {
  const std::string af = "arg(x).\nattack\natt(a,b).\n";
  expectRun({{"--cred", "x"}, af, kUndeclaredAB,
             "Argument 'x' does not appear in the argumentation framework.\n", 1});
  expectRun({{"--skept", "A"}, af, kUndeclaredAB,
             "Argument 'A' does not appear in the argumentation framework.\n", 1});
  // With -d the fields already written stay on the line, which is ended.
  expectRun({{"-d", "-r", "9", "--cred", "x"}, af, "; 9; \n",
             "Argument 'x' does not appear in the argumentation framework.\n", 1});
  // On an empty framework no argument is known.
  expectRun({{"--cred", "a"}, "", "", "Argument 'a' does not appear in the argumentation framework.\n", 1});
}

// A run that stops on an error ends the line it began: data lines appended
// to one file by run after run stay one per line, and the progress text of
// -b does not run into the next output.
TEST(Runs, FailedRunEndsItsLine) {
  const std::string af = "arg(x).\natt(a,b).\n";
  const std::string unknown = "Argument 'x' does not appear in the argumentation framework.\n";
  auto data = runBinary({"-d", "-r", "9", "--cred", "x"}, af);
  auto next = runBinary({"-d", "-r", "9", "--cred", "a"}, af);
  EXPECT_EQ(data.status, 1);
  EXPECT_TRUE(std::regex_match(data.out + next.out, std::regex("; 9; \n; 9; [0-9.e-]+; YES; \n")))
      << data.out + next.out;

  expectRun({{"-b", "-r", "5", "--skept", "x"}, af,
             "Using seed: 5\n" + kUndeclaredAB + "Calculating solution content... \n",
             unknown, 1});
  // A scanner error after the first fields of the data line.
  expectRun({{"-d", "-r", "2"}, "arg(a).%" + std::string(20000, 'c') + "\n", "; 2; \n",
             "input buffer overflow, can't enlarge buffer because scanner uses REJECT\n", 2});
}

// A syntax error keeps the statements before it; the run ends with status 0.
TEST(Runs, SyntaxErrorKeepsEarlierStatements) {
  expectRun({{}, "att(a,b).\narg(B).\natt(b,c).\n", kUndeclaredAB + "Solutions: 2\n{{},{a}}\n",
             "\nParser error - line: 2, at word: (\n", 0});
  expectRun({{"--count"}, "att(a,b).\n% no newline", kUndeclaredAB + "Solutions: 2\n",
             "\nParser error - line: 2, at word: %\n", 0});
}

// The scanner holds at most 16,383 characters of a token and the look-ahead
// it needs: a comment line or a statement of exactly that length is read, a
// token that needs one character more stops the program.
TEST(Runs, LongestTokensAndTheScannerWindow) {
  const std::string ab = "arg(a).arg(b).att(a,b).\n";
  const std::string comment = "%" + std::string(16381, 'c') + "\n";
  expectRun({{}, comment + ab + comment, "Solutions: 2\n{{},{a}}\n", "", 0});
  const std::string longName(16377, 'n');
  expectRun({{"--count"}, ab + "arg(" + longName + ").",
             "\nThe following arguments do not appear in any attack relation (they will be ignored):\n" + longName +
                 "; \nSolutions: 2\n",
             "", 0});
  const std::string attackName(16375, 'n');
  expectRun({{"--cred", attackName}, "att(a," + attackName + ").arg(a).arg(" + attackName + ").\n", "NO\n", "", 0});

  const std::string overflow = "input buffer overflow, can't enlarge buffer because scanner uses REJECT\n";
  expectRun({{}, ab + "%" + std::string(20000, 'c') + "\n", "", overflow, 2});
  expectRun({{}, ab + "%" + std::string(16382, 'c') + "\n", "", overflow, 2});
  expectRun({{}, ab + "arg(" + longName + "n).", "", overflow, 2});
  // A bare word or a run of blanks needs one character after it.
  expectRun({{}, ab + std::string(16383, 'w') + "\n", "", overflow, 2});
  expectRun({{}, ab + std::string(16383, ' ') + "\n", "", overflow, 2});
  expectRun({{}, std::string(16382, 'w') + "\n" + ab, "Solutions: 2\n{{},{a}}\n", "", 0});
}
