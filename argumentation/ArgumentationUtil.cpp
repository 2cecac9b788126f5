#include "ArgumentationUtil.h"

#include <vector>

#include "ArgumentationProblem.h"

using kivra::Vertex;
using kivra::VertexSet;

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
