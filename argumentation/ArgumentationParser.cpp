#include "ArgumentationParser.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <utility>

#include "ArgumentationProblem.h"

namespace {

// The characters trim removes: " \n\r\t".
bool isTrimmed(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

std::string_view trimmedView(std::string_view text) {
  while (!text.empty() && isTrimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && isTrimmed(text.back())) text.remove_suffix(1);
  return text;
}

// Announces the names the action of a statement will hand on, as far as they
// can be told from its text (nothing for a text no scanner makes).
void announceNames(ArgumentationProblem* problem, std::string_view text, bool attack) {
  if (text.size() < 6) return;
  if (!attack) {
    problem->expectName(trimmedView(text.substr(4, text.size() - 6)));
    return;
  }
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos || comma < 4 || comma + 3 > text.size()) return;
  problem->expectName(text.substr(4, comma - 4));
  problem->expectName(trimmedView(text.substr(comma + 1, text.size() - comma - 3)));
}

}  // namespace

ArgumentationParser::ArgumentationParser(FlexLexer* lexer, std::istream* input, ArgumentationProblem* problem)
    : lexer(lexer), problem(problem) {
  if (input) lexer->switch_streams(input, nullptr);
}

ArgumentationParser::~ArgumentationParser() = default;

int ArgumentationParser::yylex() {
  const int token = lexer->yylex();
  const std::size_t length = static_cast<std::size_t>(lexer->YYLeng());
  if (length >= tokenTextCapacity) {
    const std::size_t capacity = std::max<std::size_t>(length + 1, std::max<std::size_t>(64, 2 * tokenTextCapacity));
    tokenText.reset(new char[capacity]);
    tokenTextCapacity = capacity;
  }
  std::memcpy(tokenText.get(), lexer->YYText(), length);
  tokenText[length] = '\0';
  yylval = tokenText.get();
  return token;
}

void ArgumentationParser::yyerror(char*) {
  std::cerr << std::endl << "Parser error - line: " << lexer->lineno() << ", at word: " << lexer->YYText() << std::endl;
}

int ArgumentationParser::yyparse() {
  yynerrs = 0;
  yychar = -2;
  yylloc = Location{};
  pendingTexts.clear();
  pendingStatements.clear();
  for (;;) {
    yychar = yylex();
    if (yychar == TokenArgument || yychar == TokenAttack) {
      shiftStatement(yychar);
      continue;
    }
    // End of input or a token no rule can shift: the statements shifted so
    // far are reduced first, innermost (last read) first.
    reducePendingStatements();
    if (yychar == TokenEnd) return 0;
    ++yynerrs;
    char message[] = "syntax error";
    yyerror(message);
    return 1;
  }
}

void ArgumentationParser::shiftStatement(int token) {
  const char* text = yylval ? yylval : "";
  const std::size_t length = std::strlen(text);
  if (length >= kAttackStatement) throw std::length_error("statement text too long");
  pendingTexts.insert(pendingTexts.end(), text, text + length);
  pendingStatements.push_back(static_cast<std::uint32_t>(length) | (token == TokenAttack ? kAttackStatement : 0));
}

void ArgumentationParser::reducePendingStatements() {
  // The statements are reduced last first. The names of the statement a few
  // steps ahead are announced, so that their look-ups overlap: `ahead` walks
  // that many statements in front of `current`.
  constexpr std::size_t kAhead = 8;
  struct Cursor {
    const char* texts;
    const std::uint32_t* statements;
    std::size_t statement;
    std::size_t end;  // where the text of the statement before `statement` ends
    std::string_view text;
    bool attack = false;
    // Steps back to the previous statement and reads its text.
    void back() {
      const std::uint32_t entry = statements[--statement];
      attack = (entry & kAttackStatement) != 0;
      const std::size_t length = entry & ~kAttackStatement;
      end -= length;
      text = std::string_view(texts + end, length);
    }
  };
  Cursor current{pendingTexts.data(), pendingStatements.data(), pendingStatements.size(), pendingTexts.size(), {}};
  Cursor ahead = current;
  for (std::size_t k = 0; k < kAhead && ahead.statement > 0; ++k) ahead.back();
  while (current.statement > 0) {
    if (ahead.statement > 0) {
      ahead.back();
      announceNames(problem, ahead.text, ahead.attack);
    }
    current.back();
    statementText.assign(current.text);
    if (current.attack) {
      addAttackId(statementText);
    } else {
      addArgumentId(statementText);
    }
  }
  decltype(pendingTexts)().swap(pendingTexts);
  decltype(pendingStatements)().swap(pendingStatements);
}

void ArgumentationParser::addArgumentId(const std::string& text) {
  // "arg(" name ")."
  problem->addArgument(trim(text.substr(4, text.size() - 6)));
}

void ArgumentationParser::addAttackId(const std::string& text) {
  // "att(" first "," blanks second ")."; only the second name can carry blanks.
  std::size_t comma = text.find(',');
  std::string first = text.substr(4, comma - 4);
  std::string second = trim(text.substr(comma + 1, text.size() - comma - 3));
  problem->addAttack(std::move(first), std::move(second));
}

std::string ArgumentationParser::trim(const std::string& text) { return std::string(trimmedView(text)); }
