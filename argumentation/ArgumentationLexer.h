// Scanner of the argumentation-framework text format.
//
// The input is a sequence of statements arg(NAME). and att(NAME,NAME). with
// "%" comments; NAME is one or more of [a-z0-9]. The scanner takes, at each
// position, the longest text any rule matches (the earlier rule on a tie) and
// backs up to the longest complete match when a longer statement fails part
// way. Comments, blanks, newlines and bare words are skipped; statements and
// single stray characters are returned as tokens:
//
//   1 comment    "%" [^\n]* "\n"                          skipped
//   2 blanks     [ \t\r]+                                  skipped
//   3 newline    "\n"                                      skipped
//   4 bare word  NAME                                      skipped
//   5 argument   "arg(" NAME ")."                         TokenArgument
//   6 attack     "att(" NAME "," " "* NAME ")."           TokenAttack
//   7 other      any single byte except "\n"              TokenOther
//     end of input                                         TokenEnd
//
// The text of the token being matched, plus the characters read ahead while
// trying a longer rule, is kept in a window of at most 16,383 characters. A
// token that ends where no rule can extend it (a newline, a comment's
// newline, a statement's final period, a single stray character) needs no
// character beyond its own text; a bare word, a run of blanks or a failing
// statement needs one more to know where it ends. A scan that needs more
// than the window holds (a 20,000-character comment line, say) is a fatal
// error with exit status 2. The input is read in large blocks.
#pragma once

#include <cstddef>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

// Token codes handed to the parser.
enum ArgumentationToken : int {
  TokenEnd = 0,
  TokenOther = 258,
  TokenArgument = 259,
  TokenAttack = 260,
};

// What the parser needs of a scanner.
class FlexLexer {
 public:
  virtual ~FlexLexer() = default;

  // The next token code; the token's text is then YYText()/YYLeng().
  virtual int yylex() = 0;
  // Reads from `in` from now on (when not null); `out` becomes the echo stream
  // (when not null).
  virtual void switch_streams(std::istream* in, std::ostream* out) = 0;

  // Text of the last token returned, zero-terminated ("" at end of input).
  const char* YYText() const { return yytext.c_str(); }
  int YYLeng() const { return static_cast<int>(yytext.size()); }
  // Number of the line on which the last matched token ends (starts at 1).
  int lineno() const { return yylineno; }

 protected:
  std::string yytext;
  int yylineno = 1;
};

class ArgumentationFlexLexer : public FlexLexer {
 public:
  // Longest text (token plus look-ahead) the scanner can hold while matching.
  static constexpr std::size_t kMaxPendingText = 16383;

  // Either stream may be null; without input the scanner sees an empty text.
  explicit ArgumentationFlexLexer(std::istream* in = nullptr, std::ostream* out = nullptr);
  ~ArgumentationFlexLexer() override;

  int yylex() override;
  // A new input drops whatever was buffered from the previous one.
  void switch_streams(std::istream* in, std::ostream* out) override;

 protected:
  // Reads up to `max` bytes into `buf`: the count read, 0 at end of input (or
  // when the stream had already ended or failed), -1 when the stream went bad.
  virtual int LexerInput(char* buf, int max);
  // Writes `msg` and a newline to standard error and ends with status 2.
  [[noreturn]] virtual void LexerError(const char* msg);

 private:
  enum class Rule { End, Comment, Blanks, Newline, Word, Argument, Attack, Other };

  // Matches one token at `start`; sets `length` to the matched text's length.
  Rule match(std::size_t& length);
  // Tail of a statement after its "arg(" or "att(" (which end at offset k):
  // the offset just past the final "." or 0 when the statement is incomplete.
  std::size_t matchStatementTail(std::size_t k, bool attack);

  // The byte at offset k from the token start, -1 at end of input. Offsets are
  // requested in increasing order during one match.
  int fetch(std::size_t k) {
    std::size_t p = start + k;
    if (p < readLimit) return static_cast<unsigned char>(buffer[p]);
    return fetchSlow(k);
  }
  int fetchSlow(std::size_t k);
  void updateReadLimit();
  void resetBuffer();

  std::istream* input;
  std::ostream* echo;  // never written: no rule echoes its text
  std::unique_ptr<char[]> buffer;
  std::size_t capacity;
  std::size_t filled = 0;     // bytes of buffer holding input
  std::size_t start = 0;      // offset of the token being matched
  std::size_t readLimit = 0;  // min(filled, start + kMaxPendingText)
  bool atEnd = false;         // the input has reported its end
};
