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
// trying a longer rule, is kept in the scanner's input buffer of 16,384
// characters, so it holds at most 16,383 of them. A token that ends where no
// rule can extend it (a newline, a comment's newline, a statement's final
// period, a single stray character) needs no character beyond its own text; a
// bare word, a run of blanks or a failing statement needs one more to know
// where it ends. A scan that needs more than the buffer holds (a
// 20,000-character comment line, say) is a fatal error with exit status 2.
//
// The scanner asks for input one character at a time, and only when a match
// needs the next character: nothing past the current token and its
// look-ahead is taken from the stream. The block reads are left to the
// stream's own buffer.
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

// An input buffer of a scanner: the characters read from one stream that
// the scanner still needs (the token being matched and the look-ahead read
// beyond it). Each buffer keeps its own reading position, so a scanner can
// switch between buffers and come back to one where it left it.
struct yy_buffer_state {
  std::istream* input = nullptr;  // the stream read (null: an empty text)
  std::unique_ptr<char[]> chars;  // room for `size` characters
  std::size_t size = 0;           // characters the buffer holds
  std::size_t filled = 0;         // characters read into the buffer
  std::size_t start = 0;          // where the token being matched begins
  bool atEnd = false;             // the stream has reported its end
};

// What the parser needs of a scanner.
class FlexLexer {
 public:
  virtual ~FlexLexer() = default;

  // Text of the last token returned, zero-terminated ("" at end of input).
  const char* YYText() const { return yytext.c_str(); }
  int YYLeng() const { return static_cast<int>(yytext.size()); }

  // Reads from `new_buffer` from now on (from where that buffer left off);
  // the buffer read so far is kept, not deleted.
  virtual void yy_switch_to_buffer(yy_buffer_state* new_buffer) = 0;
  // A new buffer of `size` characters reading from `s`, owned by the caller
  // until it is deleted (the scanner deletes the one it reads when it is
  // destroyed).
  virtual yy_buffer_state* yy_create_buffer(std::istream* s, int size) = 0;
  // Deletes a buffer; deleting the one being read leaves the scanner without.
  virtual void yy_delete_buffer(yy_buffer_state* b) = 0;
  // Reads the current buffer (a new one if there is none) afresh from `s`,
  // dropping whatever it held.
  virtual void yyrestart(std::istream* s) = 0;
  // The next token code; the token's text is then YYText()/YYLeng().
  virtual int yylex() = 0;
  // Reads from a new buffer on `new_in` from now on (when not null), deleting
  // the current one; `new_out` becomes the echo stream (when not null).
  virtual void switch_streams(std::istream* new_in, std::ostream* new_out) = 0;

  // Number of the line on which the last matched token ends (starts at 1).
  int lineno() const { return yylineno; }

 protected:
  std::string yytext;
  int yylineno = 1;
};

class ArgumentationFlexLexer : public FlexLexer {
 public:
  // Characters of the input buffer that switch_streams and the first yylex
  // create; a scan can hold one less (token plus look-ahead).
  static constexpr int kBufferSize = 16384;

  // Either stream may be null; without input the scanner sees an empty text.
  // The input buffer is made when the first token is asked for.
  explicit ArgumentationFlexLexer(std::istream* in = nullptr, std::ostream* out = nullptr);
  ~ArgumentationFlexLexer() override;

  void yy_switch_to_buffer(yy_buffer_state* new_buffer) override;
  // Fewer than 2 characters are taken as 2.
  yy_buffer_state* yy_create_buffer(std::istream* s, int size) override;
  void yy_delete_buffer(yy_buffer_state* b) override;
  void yyrestart(std::istream* s) override;
  int yylex() override;
  void switch_streams(std::istream* new_in, std::ostream* new_out) override;

 protected:
  // Reads one character of the current stream into `buf` (`max_size` is the
  // room there, at least 1): 1 when read, 0 at end of input (or when the
  // stream had already ended or failed), -1 when the stream went bad.
  virtual int LexerInput(char* buf, int max_size);
  // Writes `size` characters of `buf` to the echo stream, if any.
  virtual void LexerOutput(const char* buf, int size);
  // Writes `msg` and a newline to standard error and ends with status 2.
  [[noreturn]] virtual void LexerError(const char* msg);

 private:
  enum class Rule { End, Comment, Blanks, Newline, Word, Argument, Attack, Other };

  // Matches one token at the current buffer's `start` (there is a current
  // buffer); sets `length` to the matched text's length.
  Rule match(std::size_t& length);
  // Tail of a statement after its "arg(" or "att(" (which end at offset k):
  // the offset just past the final "." or 0 when the statement is incomplete.
  std::size_t matchStatementTail(std::size_t k, bool attack);

  // The byte at offset k from the token start, -1 at end of input. Offsets are
  // requested in increasing order during one match, never more than one
  // beyond the characters read.
  int fetch(std::size_t k) {
    std::size_t p = buffer->start + k;
    if (p < readLimit) return static_cast<unsigned char>(buffer->chars[p]);
    return fetchSlow(k);
  }
  // fetch() past the characters read: reads the next character from the
  // stream, or fails when the buffer cannot hold it. fetchSlow takes the
  // usual case, one more character with room for it; fetchRead the others.
  int fetchSlow(std::size_t k);
  int fetchRead(std::size_t k);
  // How many characters the current buffer asks of LexerInput, and taking in
  // the answer `n` (ends the run on a failed read).
  static int readRequest(const yy_buffer_state& b);
  void takeRead(int n);
  // min(filled, start + the pending text the buffer can hold) of the current
  // buffer (0 without one).
  void updateReadLimit();

  std::istream* input;  // the current buffer's stream, or the one to make a buffer for
  std::ostream* echo;   // never written: no rule echoes its text
  yy_buffer_state* buffer = nullptr;  // the buffer read
  std::size_t readLimit = 0;
};
