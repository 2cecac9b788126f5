// Tokens, texts and line numbers the framework-text scanner produces.
// Malformed statements at the parser level are in the bad-inputs corpus.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "ArgumentationLexer.h"

namespace {

using Tokens = std::vector<std::string>;

// A token as "<kind>'<text>'<line>"; kind A(rgument), T (attack), O(ther), E(nd).
std::string token(char kind, const std::string& text, int line) {
  return kind + ("'" + text + "'") + std::to_string(line);
}
std::string arg(const std::string& text, int line = 1) { return token('A', text, line); }
std::string att(const std::string& text, int line = 1) { return token('T', text, line); }
std::string other(const std::string& text, int line = 1) { return token('O', text, line); }
std::string end(int line = 1) { return token('E', "", line); }

// Every token up to and including the end token.
Tokens scan(const std::string& text) {
  std::istringstream in(text);
  ArgumentationFlexLexer lexer(&in, nullptr);
  Tokens tokens;
  for (;;) {
    const int code = lexer.yylex();
    const char kind = code == TokenArgument ? 'A' : code == TokenAttack ? 'T' : code == TokenOther ? 'O' : 'E';
    tokens.push_back(token(kind, std::string(lexer.YYText(), lexer.YYLeng()), lexer.lineno()));
    if (code == TokenEnd) return tokens;
  }
}

}  // namespace

TEST(Lexer, StatementsSkippedTextAndLines) {
  EXPECT_EQ(scan(""), Tokens{end()});
  EXPECT_EQ(scan("arg(a).arg(b)."), (Tokens{arg("arg(a)."), arg("arg(b)."), end()}));
  EXPECT_EQ(scan("att(a,   b)."), (Tokens{att("att(a,   b)."), end()}));
  EXPECT_EQ(scan("arg att 42 x\t \r"), Tokens{end()});
  EXPECT_EQ(scan("word arg(a12). % comment arg(b).\narg(c)."), (Tokens{arg("arg(a12)."), arg("arg(c).", 2), end(2)}));
  // A statement may follow a blank, a newline, a comment or another statement.
  EXPECT_EQ(scan("\n%c\narg(x).att(x,x).\r\n"), (Tokens{arg("arg(x).", 3), att("att(x,x).", 3), end(4)}));
  // The line counter counts the newlines of matched tokens only.
  EXPECT_EQ(scan("arg(a).\narg(B)."),
            (Tokens{arg("arg(a)."), other("(", 2), other("B", 2), other(")", 2), other(".", 2), end(2)}));
  EXPECT_EQ(scan("\r\n\r\n%x\r\n("), (Tokens{other("(", 4), end(4)}));
}

TEST(Lexer, StrayCharactersBackUpAndComments) {
  // A blank inside a statement breaks it: "arg" is a bare word, "(" is stray.
  EXPECT_EQ(scan("arg(a) ."), (Tokens{other("("), other(")"), other("."), end()}));
  // A failed statement backs up to its leading bare word.
  EXPECT_EQ(scan("arg(a)x"), (Tokens{other("("), other(")"), end()}));
  EXPECT_EQ(scan("att(a,)."), (Tokens{other("("), other(","), other(")"), other("."), end()}));
  // Form feed, vertical tab, bytes above 127 and NUL are stray characters.
  EXPECT_EQ(scan("\f\v\xe9"), (Tokens{other("\f"), other("\v"), other("\xe9"), end()}));
  EXPECT_EQ(scan(std::string("a\0b", 3)), (Tokens{other(std::string(1, '\0')), end()}));
  // A comment needs its newline; without it "%" is stray and the rest is scanned.
  EXPECT_EQ(scan("% a comment\n"), Tokens{end(2)});
  EXPECT_EQ(scan("arg(a).\n% word"), (Tokens{arg("arg(a)."), other("%", 2), end(2)}));
  EXPECT_EQ(scan("%arg(a)."), (Tokens{other("%"), arg("arg(a)."), end()}));
}

// Statements straddle the refills of the input buffer, which holds at most
// 16,383 characters of a token and the look-ahead it needs (the window).
TEST(Lexer, LongTextsAndTheLongestTokenTheWindowHolds) {
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "att(a" + std::to_string(i) + ",  b" + std::to_string(i % 7) + ").\n";
  const Tokens tokens = scan(text);
  ASSERT_EQ(tokens.size(), 40001u);
  for (int i = 0; i < 40000; ++i)
    ASSERT_EQ(tokens[i], att("att(a" + std::to_string(i) + ",  b" + std::to_string(i % 7) + ").", i + 1));
  EXPECT_EQ(tokens.back(), end(40001));

  std::string word(16382, 'w');
  EXPECT_EQ(scan(word + "\n("), (Tokens{other("(", 2), end(2)}));
  // The same word straddling a read block: the pending text moves, whole.
  std::string filler;
  for (int i = 0; i < 30000; ++i) filler += "x ";
  EXPECT_EQ(scan(filler + "\n" + word + "(" + filler + "arg(a)."), (Tokens{other("(", 2), arg("arg(a).", 2), end(2)}));
  // Tokens that no rule can extend fill the whole window, without look-ahead.
  std::string name(16375, 'n');  // "att(" name ",b)."
  EXPECT_EQ(scan("att(" + name + ",b)."), (Tokens{att("att(" + name + ",b)."), end()}));
  std::string comment = "%" + std::string(16381, 'c') + "\n";
  EXPECT_EQ(scan(comment + "arg(a)." + comment), (Tokens{arg("arg(a).", 2), end(3)}));
}

namespace {

// A stream buffer that delivers some text and then fails to read.
class FailingBuffer : public std::streambuf {
 protected:
  int_type underflow() override {
    if (delivered) throw std::ios_base::failure("read error");
    delivered = true;
    setg(text, text, text + 7);
    return traits_type::to_int_type(text[0]);
  }

 private:
  char text[8] = "arg(a).";
  bool delivered = false;
};

// Records what every read of the input delivered.
class RecordingLexer : public ArgumentationFlexLexer {
 public:
  std::vector<int> reads;

 protected:
  int LexerInput(char* buf, int max_size) override {
    reads.push_back(ArgumentationFlexLexer::LexerInput(buf, max_size));
    return reads.back();
  }
};

}  // namespace

// One character per read, and only when a match needs it: a token no rule
// can extend reads nothing beyond itself; "xy" needs the "(" to end.
TEST(Lexer, ReadsOneCharacterAtATimeAndOnlyWhatAMatchNeeds) {
  std::istringstream in("arg(a).\nxy(z");
  RecordingLexer lexer;
  lexer.switch_streams(&in, nullptr);
  ASSERT_EQ(lexer.yylex(), TokenArgument);
  EXPECT_EQ(lexer.reads, std::vector<int>(7, 1));
  ASSERT_EQ(lexer.yylex(), TokenOther);
  EXPECT_EQ(lexer.reads, std::vector<int>(11, 1));
  ASSERT_EQ(lexer.yylex(), TokenEnd);
  ASSERT_EQ(lexer.yylex(), TokenEnd);
  std::vector<int> reads(13, 1);
  reads.back() = 0;  // the end is read once
  EXPECT_EQ(lexer.reads, reads);
}

// Each buffer reads its own stream and keeps its place while another is read.
TEST(Lexer, BuffersSwitchAndRestart) {
  std::istringstream first("arg(a). arg(b)."), second("att(x,y).\narg(z)."), third("arg(c).");
  ArgumentationFlexLexer lexer;
  yy_buffer_state* a = lexer.yy_create_buffer(&first, ArgumentationFlexLexer::kBufferSize);
  yy_buffer_state* b = lexer.yy_create_buffer(&second, ArgumentationFlexLexer::kBufferSize);
  std::string texts;
  for (yy_buffer_state* buffer : {a, b, a, a, b}) {
    lexer.yy_switch_to_buffer(buffer);
    lexer.yylex();
    texts += std::string(lexer.YYText()) + "|";
  }
  EXPECT_EQ(texts, "arg(a).|att(x,y).|arg(b).||arg(z).|");
  lexer.yy_delete_buffer(a);
  // A restart drops what the current buffer held and reads the new stream.
  lexer.yyrestart(&third);
  EXPECT_EQ(lexer.yylex(), TokenArgument);
  EXPECT_EQ(std::string(lexer.YYText()), "arg(c).");
}

TEST(LexerDeathTest, OverflowAndReadErrorsAreFatal) {
  const char* overflow = "input buffer overflow, can't enlarge buffer because scanner uses REJECT\n";
  EXPECT_EXIT(scan("%" + std::string(20000, 'c') + "\n"), ::testing::ExitedWithCode(2), overflow);
  EXPECT_EXIT(scan("%" + std::string(16382, 'c') + "\n"), ::testing::ExitedWithCode(2), overflow);
  EXPECT_EXIT(scan("arg(" + std::string(16378, 'n') + ")."), ::testing::ExitedWithCode(2), overflow);
  EXPECT_EXIT(scan(std::string(16383, 'w')), ::testing::ExitedWithCode(2), overflow);
  EXPECT_EXIT(scan("x" + std::string(16383, ' ')), ::testing::ExitedWithCode(2), overflow);
  // An unfinished statement keeps its whole text pending.
  EXPECT_EXIT(scan("arg(" + std::string(16379, 'n')), ::testing::ExitedWithCode(2), overflow);
  auto failingRead = [] {
    FailingBuffer buffer;
    std::istream in(&buffer);
    ArgumentationFlexLexer lexer(&in, nullptr);
    while (lexer.yylex() != TokenEnd) {
    }
  };
  EXPECT_EXIT(failingRead(), ::testing::ExitedWithCode(2), "^input in flex scanner failed\n$");
}
