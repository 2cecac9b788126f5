#include "ArgumentationUtil.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "AdmissibleArgumentationTuple.h"
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
                                                                    const VertexSet& bag) {
  auto* joined = new AdmissibleArgumentationTuple();
  joined->inArguments = left.inArguments;
  std::set_intersection(left.outArguments.begin(), left.outArguments.end(), right.outArguments.begin(),
                        right.outArguments.end(), std::inserter(joined->outArguments, joined->outArguments.end()));
  std::set_union(left.defeatedArguments.begin(), left.defeatedArguments.end(), right.defeatedArguments.begin(),
                 right.defeatedArguments.end(),
                 std::inserter(joined->defeatedArguments, joined->defeatedArguments.end()));
  // Whatever is neither in, out nor defeated attacks the in-set undefeated.
  for (Vertex v : bag) {
    if (joined->inArguments.count(v) == 0 && joined->outArguments.count(v) == 0 &&
        joined->defeatedArguments.count(v) == 0) {
      joined->attackingArguments.insert(joined->attackingArguments.end(), v);
    }
  }
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
