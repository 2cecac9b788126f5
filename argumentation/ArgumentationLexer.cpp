#include "ArgumentationLexer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

// Bytes requested from the stream per read.
constexpr std::size_t kReadBlock = 1 << 16;

bool isNameChar(int c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }
bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

ArgumentationFlexLexer::ArgumentationFlexLexer(std::istream* in, std::ostream* out)
    : input(in), echo(out), capacity(kMaxPendingText + kReadBlock + 1) {
  buffer.reset(new (std::nothrow) char[capacity]);
  if (!buffer) LexerError("out of dynamic memory in yy_create_buffer()");
}

ArgumentationFlexLexer::~ArgumentationFlexLexer() = default;

void ArgumentationFlexLexer::switch_streams(std::istream* in, std::ostream* out) {
  if (in) {
    input = in;
    resetBuffer();
  }
  if (out) echo = out;
}

void ArgumentationFlexLexer::resetBuffer() {
  filled = 0;
  start = 0;
  readLimit = 0;
  atEnd = false;
}

int ArgumentationFlexLexer::LexerInput(char* buf, int max) {
  if (!input || input->eof() || input->fail()) return 0;
  input->read(buf, max);
  if (input->bad()) return -1;
  return static_cast<int>(input->gcount());
}

void ArgumentationFlexLexer::LexerError(const char* msg) {
  std::cerr << msg << std::endl;
  std::exit(2);
}

void ArgumentationFlexLexer::updateReadLimit() { readLimit = std::min(filled, start + kMaxPendingText); }

int ArgumentationFlexLexer::fetchSlow(std::size_t k) {
  // The window holds the token and its look-ahead; it never grows, so a scan
  // that needs one character more than the window holds cannot go on.
  if (k >= kMaxPendingText) LexerError("input buffer overflow, can't enlarge buffer because scanner uses REJECT");
  while (start + k >= filled) {
    if (atEnd) return -1;
    // Keep only the pending text, at the front, and read behind it.
    if (start > 0) {
      std::memmove(buffer.get(), buffer.get() + start, filled - start);
      filled -= start;
      start = 0;
    }
    int n = LexerInput(buffer.get() + filled, static_cast<int>(capacity - filled));
    if (n < 0) LexerError("input in flex scanner failed");
    if (n == 0) {
      atEnd = true;
      updateReadLimit();
      return -1;
    }
    filled += static_cast<std::size_t>(n);
    updateReadLimit();
  }
  return static_cast<unsigned char>(buffer[start + k]);
}

std::size_t ArgumentationFlexLexer::matchStatementTail(std::size_t k, bool attack) {
  std::size_t j = k;
  while (isNameChar(fetch(j))) ++j;
  if (j == k) return 0;
  int c = fetch(j);
  if (attack) {
    if (c != ',') return 0;
    ++j;
    while (fetch(j) == ' ') ++j;
    std::size_t second = j;
    while (isNameChar(fetch(j))) ++j;
    if (j == second) return 0;
    c = fetch(j);
  }
  if (c != ')') return 0;
  ++j;
  if (fetch(j) != '.') return 0;
  return j + 1;
}

ArgumentationFlexLexer::Rule ArgumentationFlexLexer::match(std::size_t& length) {
  int c = fetch(0);
  if (c < 0) {
    length = 0;
    return Rule::End;
  }
  Rule rule = Rule::Other;
  length = 1;
  if (c == '\n') {
    rule = Rule::Newline;
  } else if (isBlank(c)) {
    std::size_t k = 1;
    while (isBlank(fetch(k))) ++k;
    rule = Rule::Blanks;
    length = k;
  } else if (c == '%') {
    // Without its newline the "%" is a stray character.
    for (std::size_t k = 1;; ++k) {
      int d = fetch(k);
      if (d < 0) break;
      if (d == '\n') {
        rule = Rule::Comment;
        length = k + 1;
        break;
      }
    }
  } else if (isNameChar(c)) {
    std::size_t k = 1;
    int d;
    while (isNameChar(d = fetch(k))) ++k;
    rule = Rule::Word;
    length = k;
    if (k == 3 && d == '(' && buffer[start] == 'a') {
      char second = buffer[start + 1];
      char third = buffer[start + 2];
      bool argument = second == 'r' && third == 'g';
      bool attack = second == 't' && third == 't';
      if (argument || attack) {
        std::size_t end = matchStatementTail(4, attack);
        if (end != 0) {
          rule = attack ? Rule::Attack : Rule::Argument;
          length = end;
        }
      }
    }
  }
  return rule;
}

int ArgumentationFlexLexer::yylex() {
  for (;;) {
    std::size_t length;
    Rule rule = match(length);
    const char* text = buffer.get() + start;
    start += length;
    updateReadLimit();
    switch (rule) {
      case Rule::Comment:
      case Rule::Newline:
        ++yylineno;
        break;
      case Rule::Blanks:
      case Rule::Word:
        break;
      case Rule::Argument:
        yytext.assign(text, length);
        return TokenArgument;
      case Rule::Attack:
        yytext.assign(text, length);
        return TokenAttack;
      case Rule::Other:
        yytext.assign(1, *text);
        return TokenOther;
      case Rule::End:
        yytext.clear();
        return TokenEnd;
    }
  }
}
