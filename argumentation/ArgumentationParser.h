// Parser of the argumentation-framework text format.
//
// The statement list is right-recursive (af -> statement af | empty), so every
// statement is shifted first and reduced only at the end of the input or at
// the first token that starts no statement; the reductions then run from the
// innermost outward and the statements reach the receiver in reverse file
// order. A stray character is a syntax error: the statements before it are
// still applied, one message goes to standard error, and the rest of the input
// is not read. There is no limit on the number of statements.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "ArgumentationLexer.h"
#include "kivra/LargeTable.h"

// Receives the statements of a framework text, in the order they are applied.
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
  // Neither lexer nor problem is owned. A non-null input is installed in the
  // lexer at once.
  ArgumentationParser(FlexLexer* lexer, std::istream* input, ArgumentationStatementSink* problem);
  virtual ~ArgumentationParser();

  // Reads the whole input (or up to the first syntax error) and applies the
  // statements read: 0 when the input was accepted, 1 after a syntax error.
  int yyparse();

  // Reports a syntax error at the scanner's current token; `msg` is ignored.
  virtual void yyerror(const char* msg);
  // The next token code from the scanner; its text is kept in yylval.
  virtual int yylex();

  // Actions, each on the full text of one statement.
  void addArgumentId(const std::string& text);
  void addAttackId(const std::string& text);
  // `text` without leading and trailing spaces, newlines, carriage returns and tabs.
  static std::string trim(const std::string& text);

  ArgumentationStatementSink* getProblem() { return problem; }

 private:
  // Shifts a statement: its names go to the pending names.
  void shiftStatement(int token, const char* text, std::size_t length);
  void applyPendingStatements();

  std::string yylval;  // text of the last token read
  int yynerrs = 0;     // syntax errors reported by the last parse
  int yychar = -2;     // look-ahead token, -2 when none
  FlexLexer* lexer;
  ArgumentationStatementSink* problem;

  // Shifted statements not yet reduced: their names back to back, and for
  // each statement the lengths of its first and its second name (0 for
  // arg(...)); no name is longer than the scanner's window.
  std::vector<char, kivra::LargeTableAllocator<char>> pendingNames;
  std::vector<std::uint16_t, kivra::LargeTableAllocator<std::uint16_t>> pendingLengths;
};
