#include "ArgumentationParser.h"

#include <cstring>
#include <iostream>
#include <utility>

ArgumentationParser::ArgumentationParser(FlexLexer* lexer, std::istream* input, ArgumentationStatementSink* problem)
    : lexer(lexer), problem(problem) {
  if (input) lexer->switch_streams(input, nullptr);
}

ArgumentationParser::~ArgumentationParser() = default;

int ArgumentationParser::yylex() {
  int token = lexer->yylex();
  yylval.assign(lexer->YYText(), static_cast<std::size_t>(lexer->YYLeng()));
  return token;
}

void ArgumentationParser::yyerror(const char*) {
  std::cerr << std::endl << "Parser error - line: " << lexer->lineno() << ", at word: " << lexer->YYText() << std::endl;
}

int ArgumentationParser::yyparse() {
  yynerrs = 0;
  yychar = -2;
  pendingNames.clear();
  pendingLengths.clear();
  for (;;) {
    yychar = lexer->yylex();
    if (yychar == TokenArgument || yychar == TokenAttack) {
      shiftStatement(yychar, lexer->YYText(), static_cast<std::size_t>(lexer->YYLeng()));
      continue;
    }
    yylval.assign(lexer->YYText(), static_cast<std::size_t>(lexer->YYLeng()));
    // End of input or a token no rule can shift: the statements shifted so
    // far are reduced first, innermost (last read) first.
    applyPendingStatements();
    if (yychar == TokenEnd) return 0;
    ++yynerrs;
    yyerror("syntax error");
    return 1;
  }
}

void ArgumentationParser::shiftStatement(int token, const char* text, std::size_t length) {
  yylval.assign(text, length);
  // "arg(" name ")." or "att(" first "," blanks second ")."; only the blanks
  // after the comma can stand beside a name in a scanned statement.
  const char* first = text + 4;
  const char* last = text + length - 2;
  if (token == TokenArgument) {
    pendingNames.insert(pendingNames.end(), first, last);
    pendingLengths.push_back(static_cast<std::uint16_t>(last - first));
    pendingLengths.push_back(0);
    return;
  }
  const char* comma = static_cast<const char*>(std::memchr(first, ',', static_cast<std::size_t>(last - first)));
  const char* second = comma + 1;
  while (*second == ' ') ++second;
  pendingNames.insert(pendingNames.end(), first, comma);
  pendingNames.insert(pendingNames.end(), second, last);
  pendingLengths.push_back(static_cast<std::uint16_t>(comma - first));
  pendingLengths.push_back(static_cast<std::uint16_t>(last - second));
}

void ArgumentationParser::applyPendingStatements() {
  // The statements are applied last first. The names of the statement a few
  // steps ahead are announced, so that their look-ups overlap: `ahead` walks
  // that many statements in front of `current`.
  constexpr std::size_t kAhead = 8;
  struct Cursor {
    const char* names;
    const std::uint16_t* lengths;
    std::size_t statement;
    std::size_t end;  // where the names of the statement before `statement` end
    std::string_view first, second;
    // Steps back to the previous statement and reads its names.
    void back() {
      --statement;
      const std::uint16_t firstLength = lengths[2 * statement], secondLength = lengths[2 * statement + 1];
      end -= secondLength;
      second = std::string_view(names + end, secondLength);
      end -= firstLength;
      first = std::string_view(names + end, firstLength);
    }
  };
  const std::size_t statements = pendingLengths.size() / 2;
  Cursor current{pendingNames.data(), pendingLengths.data(), statements, pendingNames.size(), {}, {}};
  Cursor ahead = current;
  for (std::size_t k = 0; k < kAhead && k < statements; ++k) ahead.back();
  while (current.statement > 0) {
    if (ahead.statement > 0) {
      ahead.back();
      problem->expectName(ahead.first);
      if (!ahead.second.empty()) problem->expectName(ahead.second);
    }
    current.back();
    if (current.second.empty()) {
      problem->addArgument(std::string(current.first));
    } else {
      problem->addAttack(std::string(current.first), std::string(current.second));
    }
  }
  decltype(pendingNames)().swap(pendingNames);
  decltype(pendingLengths)().swap(pendingLengths);
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

std::string ArgumentationParser::trim(const std::string& text) {
  static constexpr const char* kTrimmed = " \n\r\t";
  std::size_t first = text.find_first_not_of(kTrimmed);
  if (first == std::string::npos) return "";
  std::size_t last = text.find_last_not_of(kTrimmed);
  return text.substr(first, last - first + 1);
}
