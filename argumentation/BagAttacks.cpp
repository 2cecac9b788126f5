#include "BagAttacks.h"

#include <algorithm>

#include "ArgumentationProblem.h"

using kivra::Vertex;
using kivra::VertexSet;

const BagAttacks& BagAttacks::assign(const std::vector<Vertex>& bag, ArgumentationProblem* problem) {
  members.assign(bag.begin(), bag.end());
  targets.assign(bag.size(), BagSet(bag.size()));
  sources.assign(bag.size(), BagSet(bag.size()));
  everything = BagSet::prefix(bag.size());
  for (std::size_t from = 0; from < members.size(); ++from) {
    // Both ascending: walk the shorter of the argument's targets and the bag,
    // searching the other from where the previous search stopped.
    const auto [first, last] = problem->attackedRange(members[from]);
    auto mark = [&](std::size_t to) {
      targets[from].set(to);
      sources[to].set(from);
    };
    if (static_cast<std::size_t>(last - first) <= members.size()) {
      auto at = members.begin();
      for (const Vertex* v = first; v != last; ++v) {
        at = std::lower_bound(at, members.end(), *v);
        if (at == members.end()) break;
        if (*at == *v) mark(static_cast<std::size_t>(at - members.begin()));
      }
    } else {
      const Vertex* at = first;
      for (std::size_t to = 0; to < members.size(); ++to) {
        at = std::lower_bound(at, last, members[to]);
        if (at == last) break;
        if (*at == members[to]) mark(to);
      }
    }
  }
  return *this;
}

std::size_t BagAttacks::position(Vertex argument) const {
  return static_cast<std::size_t>(std::lower_bound(members.begin(), members.end(), argument) - members.begin());
}

BagSet BagAttacks::attackedBy(const BagSet& s) const {
  BagSet result = none();
  s.forEach([&](std::size_t p) { result |= targets[p]; });
  return result;
}

BagSet BagAttacks::attackersOf(const BagSet& s) const {
  BagSet result = none();
  s.forEach([&](std::size_t p) { result |= sources[p]; });
  return result;
}

VertexSet BagAttacks::vertices(const BagSet& s) const {
  VertexSet result;
  s.forEach([&](std::size_t p) { result.insert(result.end(), members[p]); });
  return result;
}

namespace {

template <class Range>
BagSet positionsIn(const std::vector<Vertex>& members, BagSet result, const Range& s) {
  for (Vertex v : s) {
    auto at = std::lower_bound(members.begin(), members.end(), v);
    if (at != members.end() && *at == v) result.set(static_cast<std::size_t>(at - members.begin()));
  }
  return result;
}

}  // namespace

BagSet BagAttacks::positions(const VertexSet& s) const { return positionsIn(members, none(), s); }

BagSet BagAttacks::positions(const std::vector<Vertex>& s) const { return positionsIn(members, none(), s); }

const BagProjection& BagProjection::assign(const std::vector<Vertex>& kept, const std::vector<Vertex>& leaving) {
  childWidth = kept.size() + leaving.size();
  removed = BagSet(childWidth);
  descending.clear();
  std::size_t before = 0;  // leaving arguments already placed
  for (Vertex v : leaving) {
    const auto keptBelow = static_cast<std::size_t>(std::lower_bound(kept.begin(), kept.end(), v) - kept.begin());
    removed.set(keptBelow + before);
    descending.insert(descending.begin(), keptBelow + before);
    ++before;
  }
  return *this;
}

BagSet BagProjection::apply(const BagSet& s) const {
  BagSet result = s;
  std::size_t width = childWidth;
  for (std::size_t p : descending) result = result.erased(p, --width);
  return result;
}

BagEmbedding::BagEmbedding(const BagSet& added, std::size_t width) : smallWidth(width - added.count()) {
  added.forEach([&](std::size_t p) { ascending.push_back(p); });
}

BagSet BagEmbedding::apply(const BagSet& s) const {
  BagSet result = s;
  std::size_t width = smallWidth;
  // Inserting the positions in ascending order places each one at its
  // position in the larger bag.
  for (std::size_t p : ascending) result = result.inserted(p, ++width);
  return result;
}

std::vector<BagSet> BagAttacks::conflictFreeSubsets(const BagSet& candidates) const {
  // Depth-first over the candidates in ascending order, the include branch
  // before the exclude branch; a frame per decided candidate.
  std::vector<std::size_t> order;
  candidates.forEach([&](std::size_t p) { order.push_back(p); });
  std::vector<BagSet> result;
  BagSet chosen = none();
  enum class Next : unsigned char { Include, Exclude, Done };
  std::vector<Next> frames{Next::Include};
  while (!frames.empty()) {
    const std::size_t depth = frames.size() - 1;
    if (depth == order.size()) {
      result.push_back(chosen);
      frames.pop_back();
      continue;
    }
    const std::size_t x = order[depth];
    switch (frames.back()) {
      case Next::Include:
        frames.back() = Next::Exclude;
        chosen.set(x);
        // Checking against chosen with x also rejects a self-attacker.
        if (!targets[x].intersects(chosen) && !sources[x].intersects(chosen)) {
          frames.push_back(Next::Include);
        } else {
          chosen.reset(x);
        }
        break;
      case Next::Exclude:
        chosen.reset(x);
        frames.back() = Next::Done;
        frames.push_back(Next::Include);
        break;
      case Next::Done:
        frames.pop_back();
        break;
    }
  }
  return result;
}
