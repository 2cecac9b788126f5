// The framework-text parser, tested through the statements it hands on: on
// good texts, on a very long one, and on every file of the bad-inputs corpus.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ArgumentationLexer.h"
#include "ArgumentationParser.h"
#include "ArgumentationProblem.h"

namespace {

using Calls = std::vector<std::string>;

// A problem that records "arg NAME" and "att ATTACKER ATTACKED" instead of
// taking the statements in.
struct Recorder : ArgumentationProblem {
  Recorder() : ArgumentationProblem(nullptr, true) {}
  void addArgument(std::string name) override { calls.push_back("arg " + name); }
  void addAttack(std::string a, std::string b) override { calls.push_back("att " + a + " " + b); }
  Calls calls;
};

struct ParseResult {
  int status;
  Calls calls;
  std::string err;
};

ParseResult parseText(const std::string& text) {
  std::istringstream in(text);
  ArgumentationFlexLexer lexer;
  Recorder recorder;
  ArgumentationParser parser(&lexer, &in, &recorder);
  ::testing::internal::CaptureStderr();
  const int status = parser.yyparse();
  return {status, recorder.calls, ::testing::internal::GetCapturedStderr()};
}

}  // namespace

TEST(Parser, StatementsArriveInReverseFileOrderWithTheirNames) {
  auto result = parseText("arg(a). arg(b). att(a,b). att(b,c).");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.calls, (Calls{"att b c", "att a b", "arg b", "arg a"}));
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(parseText("att(a,   b).").calls, Calls{"att a b"});
  EXPECT_EQ(parseText("att(att,arg).arg(arg).").calls, (Calls{"arg arg", "att att arg"}));
  EXPECT_EQ(parseText("att(x,x).att(x,x).").calls, (Calls{"att x x", "att x x"}));
  EXPECT_EQ(parseText("a1 arg(0).\r\narg(zz9).").calls, (Calls{"arg zz9", "arg 0"}));
  for (const char* text : {"", "% only a comment\n", "  \t\r\n\n", "arg att words 123\n"}) {
    result = parseText(text);
    EXPECT_TRUE(result.status == 0 && result.calls.empty() && result.err.empty()) << text;
  }
}

namespace {

// A parser whose tokens and texts come from a script, when it has one, instead
// of the scanner.
class ScriptedParser : public ArgumentationParser {
 public:
  using Script = std::vector<std::pair<int, std::string>>;
  ScriptedParser(std::istream* input, ArgumentationProblem* problem, Script script = {})
      : ArgumentationParser(&lexer, nullptr, problem), script(std::move(script)) {
    lexer.switch_streams(input, nullptr);  // made after the parser part
  }
  using ArgumentationParser::yylval;

  int yylex() override {
    if (script.empty()) return ArgumentationParser::yylex();
    if (next == script.size()) return TokenEnd;
    yylval = script[next].second.data();
    return script[next++].first;
  }

 private:
  ArgumentationFlexLexer lexer;
  Script script;
  std::size_t next = 0;
};

}  // namespace

TEST(Parser, YylexLeavesACopyOfTheTokenTextInYylval) {
  std::istringstream in("arg(a). att(b,  c).\n(");
  Recorder recorder;
  ScriptedParser parser(&in, &recorder);
  for (const char* text : {"arg(a).", "att(b,  c).", "(", ""}) {
    parser.yylex();
    EXPECT_STREQ(parser.yylval, text);
  }
}

// The parser runs on the problem it is given: the statements build that
// problem's arguments, last statement of the file first.
TEST(Parser, StatementsBuildTheProblemItIsGiven) {
  std::istringstream in("arg(a). arg(b). att(a,b). att(b,c).");
  ArgumentationFlexLexer lexer;
  ArgumentationProblem problem(nullptr, true);
  ArgumentationParser parser(&lexer, &in, &problem);
  ArgumentationProblem* given = parser.getProblem();
  EXPECT_EQ(given, &problem);
  EXPECT_EQ(parser.yyparse(), 0);
  EXPECT_EQ(problem.getVertexId("b"), 1u);
  EXPECT_EQ(problem.getVertexId("c"), 2u);
  EXPECT_EQ(problem.getVertexId("a"), 3u);
}

// yyparse takes its tokens through yylex() and hands the texts left in yylval
// to the actions, which trim " \n\r\t" around the argument and the attacked
// name only.
TEST(Parser, ActionsTakeTheNamesOutOfTheStatementTexts) {
  Recorder recorder;
  ScriptedParser parser(nullptr, &recorder,
                        {{TokenArgument, "arg( \tn m\r\n)."}, {TokenAttack, "att( a,\t b \n)."}, {TokenAttack, "att(p,q)."}});
  EXPECT_EQ(parser.yyparse(), 0);
  EXPECT_EQ(recorder.calls, (Calls{"att p q", "att  a b", "arg n m"}));  // the attacker is " a"
  parser.addArgumentId("arg(\f\v).");
  EXPECT_EQ(recorder.calls.back(), "arg \f\v");
  EXPECT_THROW(parser.addArgumentId("arg"), std::out_of_range);
  EXPECT_THROW(parser.addAttackId("att"), std::out_of_range);
  EXPECT_EQ(ArgumentationParser::trim(" \n\r\t \t"), "");
  EXPECT_EQ(ArgumentationParser::trim("\r\n a \t b\n "), "a \t b");
}

// More statements than a bounded parser stack would take: every one is
// applied, the last of the file first.
TEST(Parser, MillionsOfStatementsAreAllApplied) {
  constexpr int kAttacks = 1200000;
  std::string text;
  text.reserve(kAttacks * 20);
  for (int i = 0; i < kAttacks; ++i) text += "att(a" + std::to_string(i) + ",b" + std::to_string(i) + ").\n";
  struct Counter : ArgumentationProblem {
    Counter() : ArgumentationProblem(nullptr, true) {}
    void addArgument(std::string) override { ++wrong; }
    void addAttack(std::string a, std::string b) override {
      const std::string n = std::to_string(kAttacks - 1 - attacks++);
      if (a != "a" + n || b != "b" + n) ++wrong;
    }
    int attacks = 0, wrong = 0;
  } counter;
  std::istringstream in(std::move(text));
  ArgumentationFlexLexer lexer;
  ArgumentationParser parser(&lexer, &in, &counter);
  EXPECT_EQ(parser.yyparse(), 0);
  EXPECT_EQ(counter.attacks, kAttacks);
  EXPECT_EQ(counter.wrong, 0);
}

// Each corpus file is named after its defect and starts with the line
//   % expect N statements, error on line L at W
// N statements must be applied before the syntax error that the parser
// reports on line L at the stray text W.
TEST(Parser, EveryBadInputIsReportedWhereItsHeaderSays) {
  namespace fs = std::filesystem;
  int files = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(ZELKOVANT_SOURCE_DIR) / "tests/argumentation/bad-inputs")) {
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream file(entry.path(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string header = text.str().substr(0, text.str().find('\n'));
    unsigned statements = 0;
    int line = 0, wordStart = -1;
    ASSERT_EQ(std::sscanf(header.c_str(), "%% expect %u statements, error on line %d at %n", &statements, &line,
                          &wordStart), 2);
    ASSERT_GT(wordStart, 0) << header;
    auto result = parseText(text.str());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.calls.size(), statements);
    EXPECT_EQ(result.err, "\nParser error - line: " + std::to_string(line) + ", at word: " +
                              header.substr(static_cast<std::size_t>(wordStart)) + "\n");
    ++files;
  }
  EXPECT_GE(files, 10);
}
