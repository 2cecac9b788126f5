// The framework-text parser, tested through the statements it hands on.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ArgumentationLexer.h"
#include "ArgumentationParser.h"
#include "parser_recorder.h"

using zelkovant_test::Calls;
using zelkovant_test::parseText;

TEST(Parser, StatementsArriveInReverseFileOrder) {
  auto result = parseText("arg(a). arg(b). att(a,b). att(b,c).");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.calls, (Calls{"att b c", "att a b", "arg b", "arg a"}));
  EXPECT_EQ(result.err, "");
}

TEST(Parser, TextWithoutStatements) {
  for (const char* text : {"", "% only a comment\n", "  \t\r\n\n", "arg att words 123\n"}) {
    auto result = parseText(text);
    EXPECT_EQ(result.status, 0) << text;
    EXPECT_TRUE(result.calls.empty()) << text;
    EXPECT_EQ(result.err, "") << text;
  }
}

TEST(Parser, NamesAreCutFromTheStatementText) {
  EXPECT_EQ(parseText("att(a,   b).").calls, Calls{"att a b"});
  EXPECT_EQ(parseText("att(att,arg).arg(arg).").calls, (Calls{"arg arg", "att att arg"}));
  EXPECT_EQ(parseText("att(x,x).att(x,x).").calls, (Calls{"att x x", "att x x"}));
  EXPECT_EQ(parseText("a1 arg(0).\r\narg(zz9).").calls, (Calls{"arg zz9", "arg 0"}));
}

TEST(Parser, SyntaxErrorKeepsTheStatementsBeforeIt) {
  auto result = parseText("arg(a).\narg(B).");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.calls, Calls{"arg a"});
  EXPECT_EQ(result.err, "\nParser error - line: 2, at word: (\n");

  // Statements after the stray character are not applied, even well-formed ones.
  result = parseText("att(a,b).\natt(b,c). ( att(c,d).\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.calls, (Calls{"att b c", "att a b"}));
  EXPECT_EQ(result.err, "\nParser error - line: 2, at word: (\n");
}

// More statements than a bounded parser stack would take: every one is
// applied, the last of the file first.
TEST(Parser, MillionsOfStatementsAreAllApplied) {
  constexpr int kAttacks = 1200000;
  std::string text;
  text.reserve(kAttacks * 20);
  for (int i = 0; i < kAttacks; ++i) {
    text += "att(a";
    text += std::to_string(i);
    text += ",b";
    text += std::to_string(i);
    text += ").\n";
  }

  class Counter : public ArgumentationStatementSink {
   public:
    void addArgument(std::string) override { ++arguments; }
    void addAttack(std::string attacker, std::string attacked) override {
      int expected = kAttacks - 1 - attacks;
      if (attacker != "a" + std::to_string(expected) || attacked != "b" + std::to_string(expected)) ++outOfOrder;
      ++attacks;
    }
    int arguments = 0;
    int attacks = 0;
    int outOfOrder = 0;
  } counter;

  std::istringstream in(std::move(text));
  ArgumentationFlexLexer lexer;
  ArgumentationParser parser(&lexer, &in, &counter);
  EXPECT_EQ(parser.yyparse(), 0);
  EXPECT_EQ(counter.attacks, kAttacks);
  EXPECT_EQ(counter.arguments, 0);
  EXPECT_EQ(counter.outOfOrder, 0);
}
