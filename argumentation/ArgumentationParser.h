// Parser of the argumentation-framework text format.
//
// The statement list is right-recursive (af -> statement af | empty), so every
// statement is shifted first and reduced only at the end of the input or at
// the first token that starts no statement; the reductions then run from the
// innermost outward and the statements reach the receiver in reverse file
// order. A stray character is a syntax error: the statements before it are
// still applied, one message goes to standard error, and the rest of the input
// is not read. There is no limit on the number of statements.
//
// Tokens come through yylex(), which leaves a copy of the token's text in
// yylval; a shifted statement keeps that copy until it is reduced, when its
// action (addArgumentId or addAttackId) takes the names out of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ArgumentationLexer.h"
#include "kivra/LargeTable.h"

class ArgumentationProblem;

// Receives the statements of a framework text, in the order they are applied
// (the base through which the parser reaches its ArgumentationProblem).
class ArgumentationStatementSink {
 public:
  virtual ~ArgumentationStatementSink() = default;
  // arg(name).
  virtual void addArgument(std::string name) = 0;
  // att(attacker,attacked).
  virtual void addAttack(std::string attacker, std::string attacked) = 0;
  // A name that a statement applied soon will carry: a receiver may start
  // fetching what it needs to look the name up. Changes nothing.
  virtual void expectName(std::string_view) {}
};

class ArgumentationParser {
 public:
  // Where a token stands in the text. The parser keeps one, reset at each
  // parse, for scanners that track positions; this scanner does not.
  struct Location {
    int first_line = 1;
    int first_column = 1;
    int last_line = 1;
    int last_column = 1;
  };

  // Neither lexer nor problem is owned. A non-null input is installed in the
  // lexer at once. The statements go to the problem's addArgument and
  // addAttack.
  ArgumentationParser(FlexLexer* lexer, std::istream* input, ArgumentationProblem* problem);

  // Reads the whole input (or up to the first syntax error) and applies the
  // statements read: 0 when the input was accepted, 1 after a syntax error.
  int yyparse();

  // Reports a syntax error at the scanner's current token; `msg` is ignored.
  virtual void yyerror(char* msg);
  // The next token code from the scanner; a copy of its text is left in yylval.
  virtual int yylex();

  virtual ~ArgumentationParser();

  // Actions, each on the full text of one statement as the scanner matched it.
  // arg(NAME).: hands on the trimmed NAME. A text shorter than 4 characters
  // throws std::out_of_range.
  void addArgumentId(const std::string& text);
  // att(FIRST,SECOND).: hands on FIRST as it stands (the scanner admits no
  // blank there) and SECOND trimmed (the scanner admits spaces before it). A
  // text shorter than 4 characters throws std::out_of_range.
  void addAttackId(const std::string& text);
  // `text` without leading and trailing spaces, newlines, carriage returns and tabs.
  static std::string trim(const std::string& text);

  ArgumentationProblem* getProblem() { return problem; }

 protected:
  char* yylval = nullptr;  // copy of the text of the last token read
  Location yylloc;         // carried, never set by this scanner
  int yynerrs = 0;         // syntax errors reported by the last parse
  int yychar = -2;         // look-ahead token, -2 when none
  FlexLexer* lexer;
  ArgumentationProblem* problem;

 private:
  // Keeps a copy of the statement in yylval until the statements are reduced.
  void shiftStatement(int token);
  // Runs the actions of the shifted statements, the last one first, and
  // releases their texts.
  void reducePendingStatements();

  // The storage yylval points to after yylex(): every token text is copied
  // into it, replacing the one before, so that the copies do not pile up.
  std::unique_ptr<char[]> tokenText;
  std::size_t tokenTextCapacity = 0;

  // Shifted statements not yet reduced: their texts back to back, and for
  // each statement the length of its text, with kAttackStatement set for
  // att(...).
  static constexpr std::uint32_t kAttackStatement = 1u << 31;
  std::vector<char, kivra::LargeTableAllocator<char>> pendingTexts;
  std::vector<std::uint32_t, kivra::LargeTableAllocator<std::uint32_t>> pendingStatements;
  // The text of the statement being reduced (kept to reuse its storage).
  std::string statementText;
};
