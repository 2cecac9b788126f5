// The table of examples in the README's usage section, run through the real
// binary from the source directory: each row's exit status, and the lines of
// standard output and standard error that the row shows. A row's stream cell
// is "—" when nothing is written, or code spans separated by <br>, one per
// line from the first; a span followed by "…" is the start of its line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "run_binary.h"

using zelkovant_test::runBinary;

namespace {

struct ShownLine {
  std::string text;
  bool prefix = false;  // the line only starts with the text
};

struct Stream {
  bool readable = true;
  bool empty = false;
  std::vector<ShownLine> lines;
};

struct Example {
  std::string command;
  int status = -1;
  Stream out, err;
};

// Splits a table row at the pipes that are not escaped; "\|" stands for "|".
std::vector<std::string> cells(const std::string& row) {
  std::vector<std::string> result;
  std::string cell;
  for (std::size_t i = 1; i < row.size(); ++i) {
    if (row[i] == '\\' && i + 1 < row.size() && row[i + 1] == '|') {
      cell += '|';
      ++i;
    } else if (row[i] == '|') {
      result.push_back(cell);
      cell.clear();
    } else {
      cell += row[i];
    }
  }
  return result;
}

std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

Stream parseStream(const std::string& cell) {
  Stream stream;
  std::string rest = trim(cell);
  if (rest == "—") {
    stream.empty = true;
    return stream;
  }
  while (!rest.empty()) {
    if (rest.rfind("<br>", 0) == 0) {
      rest = trim(rest.substr(4));
      continue;
    }
    const auto close = rest.find('`', 1);
    if (rest[0] != '`' || close == std::string::npos) {
      stream.readable = false;
      return stream;
    }
    ShownLine line{rest.substr(1, close - 1)};
    rest = trim(rest.substr(close + 1));
    if (rest.rfind("…", 0) == 0) {
      line.prefix = true;
      rest = trim(rest.substr(std::string("…").size()));
    }
    stream.lines.push_back(line);
  }
  stream.readable = !stream.lines.empty();
  return stream;
}

// The rows of the usage section whose first cell is a zelkovant command.
std::vector<Example> readmeExamples() {
  std::ifstream readme(ZELKOVANT_SOURCE_DIR "/README.md");
  std::vector<Example> examples;
  bool inUsage = false;
  for (std::string line; std::getline(readme, line);) {
    if (line.rfind("## ", 0) == 0) inUsage = line == "## Usage";
    if (!inUsage || line.rfind("| `zelkovant", 0) != 0) continue;
    const std::vector<std::string> row = cells(line);
    Example example;
    example.command = line;
    if (row.size() == 4 && trim(row[0]).back() == '`') {
      example.command = trim(row[0]).substr(1, trim(row[0]).size() - 2);
      example.status = std::stoi(row[1]);
      example.out = parseStream(row[2]);
      example.err = parseStream(row[3]);
    }
    examples.push_back(example);
  }
  return examples;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void expectShown(const Stream& shown, const std::string& written, const char* name) {
  ASSERT_TRUE(shown.readable) << "the " << name << " cell is neither — nor code spans";
  if (shown.empty) {
    EXPECT_EQ(written, "") << name;
    return;
  }
  const std::vector<std::string> lines = linesOf(written);
  ASSERT_GE(lines.size(), shown.lines.size()) << name << ":\n" << written;
  for (std::size_t i = 0; i < shown.lines.size(); ++i) {
    if (shown.lines[i].prefix) {
      EXPECT_EQ(lines[i].substr(0, shown.lines[i].text.size()), shown.lines[i].text) << name << " line " << i + 1;
    } else {
      EXPECT_EQ(lines[i], shown.lines[i].text) << name << " line " << i + 1;
    }
  }
}

// The examples name files relative to the source directory, and the messages
// show those names, so the runs start there; the test's own directory is
// restored afterwards.
class InSourceDirectory {
 public:
  InSourceDirectory() : previous_(open(".", O_RDONLY | O_DIRECTORY)) {
    if (previous_ < 0 || chdir(ZELKOVANT_SOURCE_DIR) != 0) ADD_FAILURE() << "cannot enter the source directory";
  }
  ~InSourceDirectory() {
    if (previous_ >= 0) {
      if (fchdir(previous_) != 0) ADD_FAILURE() << "cannot return to the test's directory";
      close(previous_);
    }
  }
  InSourceDirectory(const InSourceDirectory&) = delete;
  InSourceDirectory& operator=(const InSourceDirectory&) = delete;

 private:
  int previous_;
};

}  // namespace

TEST(ReadmeExamples, EveryExampleOfTheUsageSectionRunsAsShown) {
  const std::vector<Example> examples = readmeExamples();
  // A renamed section or a changed table layout must not leave nothing to run.
  ASSERT_GE(examples.size(), 10u) << "no table of examples found in the README's usage section";
  InSourceDirectory here;
  for (const Example& example : examples) {
    SCOPED_TRACE(example.command);
    ASSERT_NE(example.status, -1) << "a row needs four cells: command, status, standard output, standard error";
    std::vector<std::string> words;
    std::istringstream split(example.command);
    for (std::string word; split >> word;) words.push_back(word);
    ASSERT_EQ(words.front(), "zelkovant");
    words.erase(words.begin());
    // "< file" feeds the file as standard input.
    std::string input;
    if (words.size() >= 2 && words[words.size() - 2] == "<") {
      std::ifstream file(words.back(), std::ios::binary);
      ASSERT_TRUE(file) << words.back();
      input.assign(std::istreambuf_iterator<char>(file), {});
      words.resize(words.size() - 2);
    }
    for (const std::string& word : words) ASSERT_EQ(word.find_first_of("\"'<>|;&$"), std::string::npos) << word;
    const auto result = runBinary(words, input);
    EXPECT_EQ(result.status, example.status) << result.out << result.err;
    expectShown(example.out, result.out, "standard output");
    expectShown(example.err, result.err, "standard error");
  }
}
