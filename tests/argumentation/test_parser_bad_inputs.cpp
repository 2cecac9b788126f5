// Runs the parser on every file of the bad-inputs corpus. Each file is named
// after its defect and starts with the line
//   % expect N statements, error on line L at W
// N statements must be applied before the syntax error that the parser
// reports on line L at the stray text W.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "parser_recorder.h"

TEST(ParserCorpus, EveryBadInputIsReportedWhereItsHeaderSays) {
  namespace fs = std::filesystem;
  const fs::path corpus = fs::path(ZELKOVANT_SOURCE_DIR) / "tests" / "argumentation" / "bad-inputs";
  int files = 0;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream file(entry.path(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::string firstLine = text.str().substr(0, text.str().find('\n'));
    unsigned statements = 0;
    int line = 0;
    int wordStart = -1;
    ASSERT_EQ(std::sscanf(firstLine.c_str(), "%% expect %u statements, error on line %d at %n", &statements, &line,
                          &wordStart),
              2)
        << firstLine;
    ASSERT_GT(wordStart, 0) << firstLine;
    std::string word = firstLine.substr(static_cast<std::size_t>(wordStart));

    auto result = zelkovant_test::parseText(text.str());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.calls.size(), statements);
    EXPECT_EQ(result.err, "\nParser error - line: " + std::to_string(line) + ", at word: " + word + "\n");
    ++files;
  }
  EXPECT_GE(files, 10);
}
