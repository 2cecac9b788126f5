#include "ArgumentationUtil.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "AdmissibleArgumentationTuple.h"
#include "ArgumentationProblem.h"

using kivra::Vertex;
using kivra::VertexSet;

const BagAttacks& BagAttacks::assign(const std::vector<Vertex>& bag, ArgumentationProblem* problem) {
  members.assign(bag.begin(), bag.end());
  targets.assign(bag.size(), BagSet(bag.size()));
  sources.assign(bag.size(), BagSet(bag.size()));
  everything = BagSet::prefix(bag.size());
  for (std::size_t from = 0; from < members.size(); ++from) {
    const VertexSet* attacked = problem->getAttacksFromArg(members[from]);
    if (attacked == nullptr) continue;
    // Walk whichever is shorter: the bag, or the argument's targets.
    if (attacked->size() <= members.size()) {
      for (Vertex v : *attacked) {
        auto at = std::lower_bound(members.begin(), members.end(), v);
        if (at == members.end() || *at != v) continue;
        const auto to = static_cast<std::size_t>(at - members.begin());
        targets[from].set(to);
        sources[to].set(from);
      }
    } else {
      for (std::size_t to = 0; to < members.size(); ++to) {
        if (attacked->count(members[to]) == 0) continue;
        targets[from].set(to);
        sources[to].set(from);
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
  leavingArguments.assign(leaving.begin(), leaving.end());
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

bool ArgumentationUtil::isDisjoint(VertexSet& a, VertexSet& b) {
  if (a.empty() || b.empty()) return true;
  auto ia = a.begin();
  auto ib = b.begin();
  while (ia != a.end() && ib != b.end()) {
    if (*ia == *ib) return false;
    if (*ia < *ib) {
      ++ia;
    } else {
      ++ib;
    }
  }
  return true;
}

VertexSet ArgumentationUtil::attackedBySet(const VertexSet* s, ArgumentationProblem* problem) {
  VertexSet result;
  for (Vertex a : *s) {
    const VertexSet* targets = problem->getAttacksFromArg(a);
    if (targets != nullptr) result.insert(targets->begin(), targets->end());
  }
  return result;
}

VertexSet ArgumentationUtil::attackedWithin(const VertexSet& s, const VertexSet& candidates,
                                            ArgumentationProblem* problem) {
  VertexSet result;
  if (s.empty()) return result;
  for (Vertex c : candidates) {
    if (problem->argumentIsAttackedBySet(s, c)) result.insert(result.end(), c);
  }
  return result;
}

AdmissibleArgumentationTuple* ArgumentationUtil::joinAdmissibleRows(const AdmissibleArgumentationTuple& left,
                                                                    const AdmissibleArgumentationTuple& right,
                                                                    const BagSet& all) {
  auto* joined = new AdmissibleArgumentationTuple();
  joined->inArguments = left.inArguments;
  joined->outArguments = left.outArguments & right.outArguments;
  joined->defeatedArguments = left.defeatedArguments | right.defeatedArguments;
  // Whatever is neither in, out nor defeated attacks the in-set undefeated.
  joined->attackingArguments = all - joined->inArguments - joined->outArguments - joined->defeatedArguments;
  return joined;
}

void ArgumentationUtil::releaseRows(kivra::TupleSet* table, kivra::TupleSet::iterator from) {
  for (; from != table->end(); ++from) delete from->first;
  delete table;
}

void ArgumentationUtil::releaseRows(kivra::TupleSet* table) { releaseRows(table, table->begin()); }

std::vector<VertexSet> ArgumentationUtil::conflictFreeSets(const VertexSet* bag, ArgumentationProblem* problem) {
  return rec(VertexSet(), VertexSet(), *bag, problem);
}

std::vector<VertexSet> ArgumentationUtil::rec(VertexSet chosen, VertexSet /*rejected*/, VertexSet remaining,
                                              ArgumentationProblem* problem) {
  // Depth-first over the arguments of remaining in ascending order, the
  // include branch before the exclude branch. chosen is edited in place; a
  // frame per decided argument remembers which branch comes next and whether
  // it put its argument into chosen (so that it removes only what it added).
  const std::vector<Vertex> order(remaining.begin(), remaining.end());
  const std::size_t n = order.size();
  std::vector<VertexSet> result;

  enum class Next { Include, Exclude, Done };
  struct Frame {
    Next next;
    bool added;
  };
  std::vector<Frame> frames;
  frames.reserve(n + 1);
  frames.push_back({Next::Include, false});

  while (!frames.empty()) {
    const std::size_t depth = frames.size() - 1;
    if (depth == n) {
      result.push_back(chosen);
      frames.pop_back();
      continue;
    }
    const Vertex x = order[depth];
    Frame& frame = frames.back();
    switch (frame.next) {
      case Next::Include: {
        frame.next = Next::Exclude;
        frame.added = chosen.insert(x).second;
        // Testing against chosen ∪ {x} also rejects an argument that attacks itself.
        if (!problem->argumentAttacksSet(chosen, x) && !problem->argumentIsAttackedBySet(chosen, x)) {
          frames.push_back({Next::Include, false});
        }
        break;
      }
      case Next::Exclude:
        if (frame.added) chosen.erase(x);
        frame.added = false;
        frame.next = Next::Done;
        frames.push_back({Next::Include, false});
        break;
      case Next::Done:
        frames.pop_back();
        break;
    }
  }
  return result;
}
