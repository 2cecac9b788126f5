// The branch join of two runs of rows, as a convolution over a product of
// chains, with as few solution operations as the algebra allows.
//
// Within one run of a branch node (rows of both children that agree on the
// join key, e.g. the in-set), a row is fixed by one small state per free bag
// position, and the joined row of two rows takes at every position the larger
// of the two states: for the admissible rows out < attacking < defeated, for
// the stable rows unattacked < attacked, for the complete rows pending <
// proved. States are coded so that the larger of two is their bitwise OR
// (one bit: 0 < 1; two bits: 00 < 01 < 11), and a row's code holds its
// positions' states one after another, the first position in the highest
// bits.
//
// The joined table h(z) = Union over x | y = z of CrossJoin(f(x), g(y)) is
// computed position by position: with f_s, g_s the rows whose first state is
// s, and G_{<=s}, F_{<s} the pointwise unions of the rows below,
//   h_s = f_s * G_{<=s}  +  F_{<s} * g_s,
// which splits the pairs of rows exactly (each pair once, at the first
// position where the larger state comes from the left or from a strictly
// smaller left state). Since the cross join distributes over the union for
// every solution content (sets of sets, counts, consistency and acceptance
// flags), uniting first and joining once gives the same contents as joining
// every pair, with far fewer solution nodes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "kivra/AbstractAlgorithm.h"

// One row of a run: the states of its free positions and its solution (a
// Value: a solution in the rules, a stand-in in the tests).
template <class Value>
struct Coded {
  std::uint64_t code;
  Value solution;
};
// A row of a branch node's run, with its solution.
using CodedRow = Coded<kivra::Solution*>;

// Unite(a, b) and Cross(left, right) make the Union and CrossJoin of two
// solutions (Value: kivra::Solution* in the rules).
template <class Value, class Unite, class Cross>
class LatticeJoin {
 public:
  // One row of a run with its value.
  using Entry = Coded<Value>;

  // `positions` free positions of `bits` bits each (1 or 2); positions * bits <= 64.
  LatticeJoin(unsigned positions, unsigned bits, Unite unite, Cross cross)
      : positions(positions), bits(bits), unite(unite), cross(cross) {}

  // Both runs ascending by code, without repeated codes. The result is
  // ascending by code, one entry per joined code.
  std::vector<Entry> join(std::span<const Entry> left, std::span<const Entry> right) {
    return convolve(left, right, 0);
  }

 private:
  // Bits of the positions from `c` on.
  std::uint64_t mask(unsigned c) const {
    const unsigned width = (positions - c) * bits;
    return width >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
  }
  unsigned shift(unsigned c) const { return (positions - 1 - c) * bits; }

  // The pointwise union of two lists ascending by their codes under m.
  std::vector<Entry> merge(std::span<const Entry> a, std::span<const Entry> b, std::uint64_t m) {
    std::vector<Entry> out;
    out.reserve(a.size() + b.size());
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
      const std::uint64_t x = a[i].code & m, y = b[j].code & m;
      if (x < y) {
        out.push_back({x, a[i++].solution});
      } else if (y < x) {
        out.push_back({y, b[j++].solution});
      } else {
        out.push_back({x, unite(a[i++].solution, b[j++].solution)});
      }
    }
    for (; i < a.size(); ++i) out.push_back({a[i].code & m, a[i].solution});
    for (; j < b.size(); ++j) out.push_back({b[j].code & m, b[j].solution});
    return out;
  }

  // One row against many: group the many by the joined code, unite each
  // group, and join it once with the one.
  template <bool OneOnLeft>
  std::vector<Entry> againstOne(const Entry& one, std::span<const Entry> many, std::uint64_t m) {
    std::vector<Entry> joined;
    joined.reserve(many.size());
    for (const Entry& r : many) joined.push_back({(one.code | r.code) & m, r.solution});
    std::stable_sort(joined.begin(), joined.end(),
                     [](const Entry& a, const Entry& b) { return a.code < b.code; });
    std::vector<Entry> out;
    for (std::size_t i = 0; i < joined.size();) {
      Value group = joined[i].solution;
      std::size_t j = i + 1;
      for (; j < joined.size() && joined[j].code == joined[i].code; ++j) group = unite(group, joined[j].solution);
      out.push_back({joined[i].code, OneOnLeft ? cross(one.solution, group) : cross(group, one.solution)});
      i = j;
    }
    return out;
  }

  // The pointwise union of the parts of one list up to a state, grown on demand.
  struct Prefix {
    explicit Prefix(const std::span<const Entry>* parts) : parts(parts) {}
    std::span<const Entry> through(unsigned s, LatticeJoin& join, std::uint64_t m) {
      for (; covered <= s; ++covered) {
        if (parts[covered].empty()) continue;
        if (current.empty()) {
          current = parts[covered];
        } else {
          std::vector<Entry> grown = join.merge(current, parts[covered], m);
          held = std::move(grown);
          current = held;
        }
      }
      return current;
    }
    const std::span<const Entry>* parts;
    unsigned covered = 0;
    std::span<const Entry> current;
    std::vector<Entry> held;
  };

  // f and g ascending by their codes under mask(c), without repeats there.
  std::vector<Entry> convolve(std::span<const Entry> f, std::span<const Entry> g, unsigned c) {
    if (f.empty() || g.empty()) return {};
    const std::uint64_t m = mask(c);
    if (c == positions) return {{0, cross(f[0].solution, g[0].solution)}};
    if (f.size() == 1) return againstOne<true>(f[0], g, m);
    if (g.size() == 1) return againstOne<false>(g[0], f, m);

    // Split both lists by the state of position c (the highest bits under m).
    const unsigned sh = shift(c);
    const std::uint64_t stateMask = (bits == 1 ? 1u : 3u);
    const unsigned states = bits == 1 ? 2 : 3;
    auto stateOf = [&](const Entry& r) {
      const auto s = static_cast<unsigned>((r.code >> sh) & stateMask);
      return s == 3 ? 2u : s;  // state index: 0, 1, 2 for codes 00, 01, 11
    };
    auto split = [&](std::span<const Entry> list, std::span<const Entry>* parts) {
      std::size_t begin = 0;
      for (unsigned s = 0; s < states; ++s) {
        std::size_t end = begin;
        while (end < list.size() && stateOf(list[end]) == s) ++end;
        parts[s] = list.subspan(begin, end - begin);
        begin = end;
      }
    };
    std::span<const Entry> fs[3], gs[3];
    split(f, fs);
    split(g, gs);
    const std::uint64_t below = mask(c + 1);
    const std::uint64_t codes[3] = {0, 1, 3};

    std::vector<Entry> result;
    // Pointwise unions of g over the states up to s and of f over the states
    // below s, extended only when a product needs them, so that every union
    // made is used.
    Prefix gUpTo(gs), fBelow(fs);
    for (unsigned s = 0; s < states; ++s) {
      std::vector<Entry> first, second;
      if (!fs[s].empty()) first = convolve(fs[s], gUpTo.through(s, *this, below), c + 1);
      if (!gs[s].empty() && s > 0) second = convolve(fBelow.through(s - 1, *this, below), gs[s], c + 1);
      std::vector<Entry> both;
      if (second.empty()) {
        both = std::move(first);
      } else if (first.empty()) {
        both = std::move(second);
      } else {
        both = merge(first, second, below);
      }
      if (result.empty()) {
        result = std::move(both);
        for (Entry& r : result) r.code |= codes[s] << sh;
      } else {
        result.reserve(result.size() + both.size());
        for (Entry& r : both) result.push_back({r.code | (codes[s] << sh), r.solution});
      }
    }
    return result;
  }

  unsigned positions;
  unsigned bits;
  Unite unite;
  Cross cross;
};
