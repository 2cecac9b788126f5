#include "ArgumentationLexer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

// Characters asked for at most at one read (the stream delivers one).
constexpr std::size_t kReadRequest = 8192;

bool isNameChar(int c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }
bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

ArgumentationFlexLexer::ArgumentationFlexLexer(std::istream* in, std::ostream* out) : input(in), echo(out) {}

ArgumentationFlexLexer::~ArgumentationFlexLexer() { yy_delete_buffer(buffer); }

void ArgumentationFlexLexer::yy_switch_to_buffer(yy_buffer_state* new_buffer) {
  buffer = new_buffer;
  if (buffer) input = buffer->input;
  updateReadLimit();
}

yy_buffer_state* ArgumentationFlexLexer::yy_create_buffer(std::istream* s, int size) {
  std::unique_ptr<yy_buffer_state> created(new (std::nothrow) yy_buffer_state);
  if (!created) LexerError("out of dynamic memory in yy_create_buffer()");
  created->size = static_cast<std::size_t>(std::max(size, 2));
  created->chars.reset(new (std::nothrow) char[created->size]);
  if (!created->chars) LexerError("out of dynamic memory in yy_create_buffer()");
  created->input = s;
  return created.release();
}

void ArgumentationFlexLexer::yy_delete_buffer(yy_buffer_state* b) {
  if (!b) return;
  if (b == buffer) yy_switch_to_buffer(nullptr);
  delete b;
}

void ArgumentationFlexLexer::yyrestart(std::istream* s) {
  if (!buffer) {
    yy_switch_to_buffer(yy_create_buffer(s, kBufferSize));
    return;
  }
  buffer->input = s;
  buffer->filled = 0;
  buffer->start = 0;
  buffer->atEnd = false;
  yy_switch_to_buffer(buffer);
}

void ArgumentationFlexLexer::switch_streams(std::istream* new_in, std::ostream* new_out) {
  if (new_in) {
    yy_delete_buffer(buffer);
    yy_switch_to_buffer(yy_create_buffer(new_in, kBufferSize));
  }
  if (new_out) echo = new_out;
}

int ArgumentationFlexLexer::LexerInput(char* buf, int) {
  if (!input || input->eof() || input->fail()) return 0;
  const std::istream::int_type c = input->get();
  // A character read leaves the stream good; only a failed get needs its
  // state: the end of the input, or a failing stream.
  if (c != std::istream::traits_type::eof()) {
    buf[0] = std::istream::traits_type::to_char_type(c);
    return 1;
  }
  return input->bad() ? -1 : 0;
}

void ArgumentationFlexLexer::LexerOutput(const char* buf, int size) {
  if (echo) echo->write(buf, size);
}

void ArgumentationFlexLexer::LexerError(const char* msg) {
  std::cerr << msg << std::endl;
  std::exit(2);
}

void ArgumentationFlexLexer::updateReadLimit() {
  readLimit = buffer ? std::min(buffer->filled, buffer->start + buffer->size - 1) : 0;
}

int ArgumentationFlexLexer::fetchSlow(std::size_t k) {
  yy_buffer_state& b = *buffer;
  // The usual case, kept short: the next character of the stream is needed,
  // and there is room for it.
  if (b.start + k == b.filled && b.filled < b.size && k < b.size - 1 && !b.atEnd) {
    const int n = LexerInput(b.chars.get() + b.filled, readRequest(b));
    if (n == 1) {
      ++b.filled;
      readLimit = std::min(b.filled, b.start + b.size - 1);
      return static_cast<unsigned char>(b.chars[b.filled - 1]);
    }
    takeRead(n);
  }
  return fetchRead(k);
}

int ArgumentationFlexLexer::fetchRead(std::size_t k) {
  yy_buffer_state& b = *buffer;
  // The buffer holds the token and its look-ahead; it never grows, so a scan
  // that needs one character more than it holds cannot go on.
  if (k >= b.size - 1) LexerError("input buffer overflow, can't enlarge buffer because scanner uses REJECT");
  while (b.start + k >= b.filled) {
    if (b.atEnd) return -1;
    if (b.filled == b.size) {
      // Keep only the pending text, at the front, and read behind it.
      std::memmove(b.chars.get(), b.chars.get() + b.start, b.filled - b.start);
      b.filled -= b.start;
      b.start = 0;
    }
    takeRead(LexerInput(b.chars.get() + b.filled, readRequest(b)));
  }
  return static_cast<unsigned char>(b.chars[b.start + k]);
}

int ArgumentationFlexLexer::readRequest(const yy_buffer_state& b) {
  return static_cast<int>(std::min(kReadRequest, b.size - b.filled));
}

void ArgumentationFlexLexer::takeRead(int n) {
  if (n < 0) LexerError("input in flex scanner failed");
  yy_buffer_state& b = *buffer;
  if (n == 0) {
    b.atEnd = true;
  } else {
    b.filled += std::min(static_cast<std::size_t>(n), b.size - b.filled);
  }
  updateReadLimit();
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
    const char* word = buffer->chars.get() + buffer->start;
    if (k == 3 && d == '(' && word[0] == 'a') {
      char second = word[1];
      char third = word[2];
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
  if (!buffer) {
    if (!input) {
      yytext.clear();
      return TokenEnd;
    }
    yy_switch_to_buffer(yy_create_buffer(input, kBufferSize));
  }
  for (;;) {
    std::size_t length;
    Rule rule = match(length);
    const char* text = buffer->chars.get() + buffer->start;
    buffer->start += length;
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
