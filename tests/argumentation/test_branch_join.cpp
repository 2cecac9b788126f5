// The table fill that every admissible, stable and complete rule ends with.
// Solutions here are stand-ins that record what was combined.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "AdmissibleArgumentationTuple.h"
#include "ArgumentationUtil.h"
#include "BranchJoin.h"
#include "CompleteArgumentationTuple.h"
#include "StableArgumentationTuple.h"

namespace {

// Values standing in for solutions: a token points at its value and is
// never read as a solution.
template <class Value>
struct Tokens {
  std::deque<Value> values;
  kivra::Solution* make(Value v) {
    values.push_back(std::move(v));
    return reinterpret_cast<kivra::Solution*>(&values.back());
  }
  static const Value& of(kivra::Solution* s) { return *reinterpret_cast<const Value*>(s); }
};

// Stable rows that count how many of them are alive.
struct CountedRow : StableArgumentationTuple {
  static inline int alive = 0;
  CountedRow() { ++alive; }
  ~CountedRow() override { --alive; }
};

}  // namespace

// Equal rows merge as one insertion after another through addToTupleSet
// would merge them: the last one keeps the key, its solution the Union of
// the earlier ones' (left) and its own (right); the others are deleted.
TEST(TableFill, EqualRowsMergeIntoTheNewestInTheOrderGiven) {
  Tokens<std::string> tokens;
  auto unite = [&](kivra::Solution* a, kivra::Solution* b) {
    return tokens.make("(" + tokens.of(a) + "+" + tokens.of(b) + ")");
  };
  auto row = [](std::size_t in) {
    auto* r = new CountedRow();
    r->inArguments.set(in);
    return r;
  };
  // Twenty copies of one row among others, more than a sort handles by insertion.
  // In-sets {2} (c0 .. c19), and {1} (x0, x10) and {3} (x5, x15) between them.
  std::vector<std::pair<CountedRow*, kivra::Solution*>> rows;
  std::string expected = "c0";
  CountedRow* newest = nullptr;
  for (int i = 0; i < 20; ++i) {
    newest = row(2);
    rows.emplace_back(newest, tokens.make("c" + std::to_string(i)));
    if (i > 0) expected = "(" + expected + "+c" + std::to_string(i) + ")";
    if (i % 5 == 0) rows.emplace_back(row(1 + i % 2 * 2), tokens.make("x" + std::to_string(i)));
  }
  kivra::TupleSet table;
  ArgumentationUtil::fillTable(rows, &table, unite);
  EXPECT_TRUE(rows.empty());
  ASSERT_EQ(table.size(), 3u);
  auto at = table.begin();
  EXPECT_EQ(tokens.of(at->second), "(x0+x10)");
  ++at;
  EXPECT_EQ(at->first, newest);
  EXPECT_EQ(tokens.of(at->second), expected);
  ++at;
  EXPECT_EQ(tokens.of(at->second), "(x5+x15)");
  EXPECT_EQ(CountedRow::alive, 3);
  for (auto& entry : table) delete entry.first;
}
