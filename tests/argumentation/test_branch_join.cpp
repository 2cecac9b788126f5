// The branch join's pair-by-pair road for runs too wide for a lattice.
// Solutions here are stand-ins that record what was combined: a left row i
// is {(i, -1)}, a right row j {(-1, j)}, a cross join pairs them up and a
// union adds up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "AdmissibleArgumentationTuple.h"
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

}  // namespace

namespace {

using AdmissibleRow = AdmissibleArgumentationTuple;
using StableRow = StableArgumentationTuple;
using CompleteRow = CompleteArgumentationTuple;

// A row as the words of its sets (bags here fit one word).
std::vector<std::uint64_t> words(const AdmissibleRow& r) {
  return {r.inArguments.word(0), r.attackingArguments.word(0), r.defeatedArguments.word(0), r.outArguments.word(0)};
}
std::vector<std::uint64_t> words(const StableRow& r) {
  return {r.inArguments.word(0), r.attackedArguments.word(0), r.unattackedArguments.word(0)};
}
std::vector<std::uint64_t> words(const CompleteRow& r) {
  return {r.inArguments.word(0), r.defProvedArguments.word(0), r.defPendingArguments.word(0),
          r.outProvedArguments.word(0), r.outPendingArguments.word(0)};
}

// A random row of a bag of `width` positions whose in-set (and for complete
// rows the def union) is one of a few, so that runs hold several rows.
void randomize(AdmissibleRow& r, std::mt19937& rng, std::size_t width, const BagSet& in, const BagSet&) {
  r.inArguments = in;
  for (BagSet* s : {&r.attackingArguments, &r.defeatedArguments, &r.outArguments}) *s = BagSet(width);
  for (std::size_t p = 0; p < width; ++p)
    if (!in.test(p)) (rng() % 3 == 0 ? r.outArguments : rng() % 2 ? r.attackingArguments : r.defeatedArguments).set(p);
}
void randomize(StableRow& r, std::mt19937& rng, std::size_t width, const BagSet& in, const BagSet&) {
  r.inArguments = in;
  r.attackedArguments = r.unattackedArguments = BagSet(width);
  for (std::size_t p = 0; p < width; ++p)
    if (!in.test(p)) (rng() % 2 ? r.attackedArguments : r.unattackedArguments).set(p);
}
void randomize(CompleteRow& r, std::mt19937& rng, std::size_t width, const BagSet& in, const BagSet& def) {
  r.inArguments = in;
  for (BagSet* s : {&r.defProvedArguments, &r.defPendingArguments, &r.outProvedArguments, &r.outPendingArguments})
    *s = BagSet(width);
  for (std::size_t p = 0; p < width; ++p) {
    if (in.test(p)) continue;
    const bool proved = rng() % 2;
    if (def.test(p))
      (proved ? r.defProvedArguments : r.defPendingArguments).set(p);
    else
      (proved ? r.outProvedArguments : r.outPendingArguments).set(p);
  }
}

// The join traits with no lattice at all: every run of more than one row
// on a side is joined pair by pair.
template <class Join>
struct PairByPair : Join {
  using Join::Join;
  static constexpr unsigned latticePositions = 0;
};

using Pairs = std::multiset<std::pair<int, int>>;
using Joined = std::vector<std::pair<std::vector<std::uint64_t>, Pairs>>;

// Joins copies of both tables with `traits` and returns the table's rows in
// order with the pairs their solutions hold; counts the cross joins made.
template <class Traits>
Joined join(const std::vector<typename Traits::Row*>& left, const std::vector<typename Traits::Row*>& right,
            const Traits& traits, int& crosses) {
  using Row = typename Traits::Row;
  Tokens<Pairs> tokens;
  auto unite = [&](kivra::Solution* a, kivra::Solution* b) {
    Pairs u = tokens.of(a);
    u.insert(tokens.of(b).begin(), tokens.of(b).end());
    return tokens.make(u);
  };
  auto cross = [&](kivra::Solution* a, kivra::Solution* b) {
    ++crosses;
    Pairs c;
    for (auto [i, unusedRight] : tokens.of(a))
      for (auto [unusedLeft, j] : tokens.of(b)) c.insert({i, j});
    return tokens.make(c);
  };
  auto* l = new kivra::TupleSet();
  auto* r = new kivra::TupleSet();
  for (std::size_t i = 0; i < left.size(); ++i) l->emplace(new Row(*left[i]), tokens.make(Pairs{{int(i), -1}}));
  for (std::size_t j = 0; j < right.size(); ++j) r->emplace(new Row(*right[j]), tokens.make(Pairs{{-1, int(j)}}));
  // Joined rows go into the table as the rules' tables take them: equal
  // ones merge, their solutions united.
  kivra::TupleSet table;
  auto add = [&](Row* row, kivra::Solution* solution) {
    auto [at, added] = table.try_emplace(row, solution);
    if (added) return;
    at->second = unite(at->second, solution);
    delete row;
  };
  joinRunsByLattice(l, r, traits, unite, cross, add);
  Joined out;
  for (auto& [row, solution] : table) {
    out.emplace_back(words(*static_cast<Row*>(row)), tokens.of(solution));
    delete row;
  }
  return out;
}

// Random child tables: the pair-by-pair join against the lattice join and
// against the definition (each pair of rows with equal keys once, under the
// row joinPair makes of them).
template <class Join>
void compareRoads(std::mt19937& rng, int rounds) {
  using Row = typename Join::Row;
  for (int round = 0; round < rounds; ++round) {
    const std::size_t width = 1 + rng() % 10;
    std::vector<BagSet> ins, defs;
    for (int k = 0; k < 3; ++k) {
      BagSet in(width), def(width);
      for (std::size_t p = 0; p < width; ++p) {
        if (rng() % 4 == 0) in.set(p);
        if (rng() % 2 == 0) def.set(p);
      }
      ins.push_back(in);
      defs.push_back(def - in);
    }
    // Child tables hold each row once, in row order.
    auto table = [&]() {
      std::vector<Row*> rows;
      for (unsigned k = rng() % 25; k > 0; --k) {
        auto* row = new Row();
        randomize(*row, rng, width, ins[rng() % ins.size()], defs[rng() % defs.size()]);
        bool fresh = true;
        for (Row* other : rows) fresh = fresh && (row->precedes(*other) || other->precedes(*row));
        if (fresh)
          rows.push_back(row);
        else
          delete row;
      }
      std::sort(rows.begin(), rows.end(), [](Row* a, Row* b) { return a->precedes(*b); });
      return rows;
    };
    const std::vector<Row*> left = table(), right = table();

    const Join traits(width);
    std::map<std::vector<std::uint64_t>, Pairs> expected;
    int pairs = 0;
    for (std::size_t i = 0; i < left.size(); ++i)
      for (std::size_t j = 0; j < right.size(); ++j) {
        if (traits.compareKeys(*left[i], *right[j]) != 0) continue;
        Row* joined = traits.joinPair(*left[i], *right[j]);
        expected[words(*joined)].insert({int(i), int(j)});
        delete joined;
        ++pairs;
      }

    int latticeCrosses = 0, pairCrosses = 0;
    const Joined byLattice = join(left, right, traits, latticeCrosses);
    const Joined byPairs = join(left, right, PairByPair<Join>(width), pairCrosses);
    ASSERT_EQ(byPairs, byLattice) << "round " << round;
    EXPECT_EQ(expected, (std::map<std::vector<std::uint64_t>, Pairs>(byPairs.begin(), byPairs.end())))
        << "round " << round;
    EXPECT_EQ(pairCrosses, pairs) << "one cross join per pair of rows";
    EXPECT_LE(latticeCrosses, pairs);
    for (Row* row : left) delete row;
    for (Row* row : right) delete row;
  }
}

}  // namespace

TEST(BranchJoin, PairByPairMatchesTheLatticeOnRandomTables) {
  std::mt19937 rng(4711);
  compareRoads<AdmissibleJoin>(rng, 150);
  compareRoads<StableJoin>(rng, 150);
  compareRoads<CompleteJoin>(rng, 150);
}
