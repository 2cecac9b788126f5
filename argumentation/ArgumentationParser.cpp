#include "ArgumentationParser.h"

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
  pendingText.clear();
  pendingEnds.clear();
  for (;;) {
    yychar = yylex();
    if (yychar == TokenArgument || yychar == TokenAttack) {
      pendingText += yylval;
      pendingEnds.push_back(pendingText.size());
      continue;
    }
    // End of input or a token no rule can shift: the statements shifted so
    // far are reduced first, innermost (last read) first.
    applyPendingStatements();
    if (yychar == TokenEnd) return 0;
    ++yynerrs;
    yyerror("syntax error");
    return 1;
  }
}

void ArgumentationParser::pendingNames(std::size_t i, std::string_view& first, std::string_view& second) const {
  const std::size_t begin = i == 0 ? 0 : pendingEnds[i - 1];
  const std::string_view text(pendingText.data() + begin, pendingEnds[i] - begin);
  // Both statement kinds start with "a"; the third letter tells them apart.
  // "arg(" name ")." or "att(" first "," blanks second ")."; only the
  // blanks after the comma can surround a name in a scanned statement.
  if (text[2] == 'g') {
    first = text.substr(4, text.size() - 6);
    second = std::string_view();
    return;
  }
  const std::size_t comma = text.find(',');
  first = text.substr(4, comma - 4);
  std::size_t from = comma + 1;
  while (text[from] == ' ') ++from;
  second = text.substr(from, text.size() - 2 - from);
}

void ArgumentationParser::applyPendingStatements() {
  // The statements are applied last first; the names of the statement a few
  // steps ahead are announced, so that their look-ups overlap.
  constexpr std::size_t kAhead = 8;
  std::string_view first, second;
  for (std::size_t i = pendingEnds.size(); i-- > 0;) {
    if (i >= kAhead) {
      pendingNames(i - kAhead, first, second);
      problem->expectName(first);
      if (!second.empty()) problem->expectName(second);
    }
    pendingNames(i, first, second);
    if (second.empty()) {
      problem->addArgument(std::string(first));
    } else {
      problem->addAttack(std::string(first), std::string(second));
    }
  }
  std::string().swap(pendingText);
  std::vector<std::size_t>().swap(pendingEnds);
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
