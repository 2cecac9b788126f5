// Runs the framework-text parser on a string and records, in order, every
// statement it hands on, its result and what it wrote to standard error.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ArgumentationLexer.h"
#include "ArgumentationParser.h"

namespace zelkovant_test {

using Calls = std::vector<std::string>;

// Records "arg NAME" and "att ATTACKER ATTACKED".
class StatementRecorder : public ArgumentationStatementSink {
 public:
  void addArgument(std::string name) override { calls.push_back("arg " + name); }
  void addAttack(std::string attacker, std::string attacked) override {
    calls.push_back("att " + attacker + " " + attacked);
  }
  Calls calls;
};

struct ParseResult {
  int status = -1;
  Calls calls;
  std::string err;
};

inline ParseResult parseText(const std::string& text) {
  std::istringstream in(text);
  ArgumentationFlexLexer lexer;
  StatementRecorder recorder;
  ArgumentationParser parser(&lexer, &in, &recorder);
  ParseResult result;
  ::testing::internal::CaptureStderr();
  result.status = parser.yyparse();
  result.err = ::testing::internal::GetCapturedStderr();
  result.calls = recorder.calls;
  return result;
}

}  // namespace zelkovant_test
