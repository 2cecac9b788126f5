// The set builders under the enumeration content (see EnumerationSets.h).
#include "EnumerationSets.h"

#include <algorithm>
#include <iterator>

namespace kivra::enumeration {

namespace {

// Lexicographic comparison of ascending id sequences, a proper prefix first:
// negative, zero or positive.
int compareSets(Ascending a, Ascending b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool sameSet(Ascending a, Ascending b) { return std::equal(a.begin(), a.end(), b.begin(), b.end()); }

// Appends `set` unless it equals the last set of `out`: in sorted order,
// repetitions are neighbours.
void appendUnique(SetsBuilder& out, Ascending set) {
  if (out.size() > 0 && sameSet(out[out.size() - 1], set)) return;
  out.append(set);
}

// Appends the sets [from, to) of a sorted run with one copy of their ids;
// the first is left out when it equals the last set of `out`.
void appendStretch(SetsBuilder& out, SetsView run, std::size_t from, std::size_t to) {
  if (from < to && out.size() > 0 && sameSet(out[out.size() - 1], run[from])) ++from;
  if (from == to) return;
  const std::size_t base = out.ids.size(), start = run.offsets[from];
  out.ids.insert(out.ids.end(), run.ids + start, run.ids + run.offsets[to]);
  for (std::size_t i = from + 1; i <= to; ++i) out.offsets.push_back(base + (run.offsets[i] - start));
}

// Sorts the sets of `formed` and drops repetitions.
void sortUnique(const SetsBuilder& formed, SetsBuilder& out) {
  std::vector<std::size_t> order(formed.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const SetsView sets = formed.view();
  std::sort(order.begin(), order.end(),
            [&](std::size_t l, std::size_t r) { return compareSets(sets[l], sets[r]) < 0; });
  out.reserve(formed.size(), formed.ids.size());
  for (std::size_t i : order) appendUnique(out, sets[i]);
}

// {e ∪ {x} : e in `in`} for a vertex x that no set holds. Inserting x keeps
// the order of two sets except where one of them, d, has no id above x and
// the other extends d by an id below x: then d ∪ {x} follows. Such sets wait
// on a stack (each a prefix of the one above it) until the first set that
// does not extend them that way.
void insertFresh(SetsView in, Vertex x, SetsBuilder& out) {
  out.reserve(in.count, in.vertices() + in.count);
  std::vector<std::size_t> waiting;
  const auto release = [&](std::size_t d) {
    const Ascending set = in[d];
    out.ids.insert(out.ids.end(), set.begin(), set.end());
    out.ids.push_back(x);
    out.close();
  };
  for (std::size_t i = 0; i < in.count; ++i) {
    const Ascending set = in[i];
    const std::size_t below = std::lower_bound(set.begin(), set.end(), x) - set.begin();
    while (!waiting.empty()) {
      const Ascending d = in[waiting.back()];
      if (below > d.size() && std::equal(d.begin(), d.end(), set.begin())) break;
      release(waiting.back());
      waiting.pop_back();
    }
    if (below == set.size()) {
      waiting.push_back(i);
      continue;
    }
    out.ids.insert(out.ids.end(), set.begin(), set.begin() + below);
    out.ids.push_back(x);
    out.ids.insert(out.ids.end(), set.begin() + below, set.end());
    out.close();
  }
  while (!waiting.empty()) {
    release(waiting.back());
    waiting.pop_back();
  }
}

// Appends {e ∪ added : e in `in`} to `out`, each set formed once; sorted
// only when the formed sets are out of order.
void formAndOrder(SetsView in, Ascending added, SetsBuilder& out) {
  SetsBuilder formed;
  formed.reserve(in.count, in.vertices() + in.count * added.size());
  bool ordered = true;
  for (std::size_t i = 0; i < in.count; ++i) {
    const Ascending set = in[i];
    std::set_union(set.begin(), set.end(), added.begin(), added.end(), std::back_inserter(formed.ids));
    formed.close();
    if (ordered && i > 0 && compareSets(formed[i - 1], formed[i]) >= 0) ordered = false;
  }
  if (!ordered) {
    sortUnique(formed, out);
  } else if (out.ids.empty() && out.size() == 0) {
    out = std::move(formed);
  } else {
    const std::size_t base = out.ids.size();
    out.ids.insert(out.ids.end(), formed.ids.begin(), formed.ids.end());
    for (std::size_t i = 1; i < formed.offsets.size(); ++i) out.offsets.push_back(base + formed.offsets[i]);
  }
}

}  // namespace

// The union of two sorted runs as one sorted run. Each run's sets up to the
// other run's next set go out as one stretch.
void mergeUnique(SetsView a, SetsView b, SetsBuilder& out) {
  out.reserve(a.count + b.count, a.vertices() + b.vertices());
  std::size_t i = 0, j = 0;
  while (i < a.count && j < b.count) {
    std::size_t end = i;
    while (end < a.count && compareSets(a[end], b[j]) <= 0) ++end;
    appendStretch(out, a, i, end);
    i = end;
    if (i == a.count) break;
    end = j;
    while (end < b.count && compareSets(b[end], a[i]) < 0) ++end;
    appendStretch(out, b, j, end);
    j = end;
  }
  appendStretch(out, a, i, a.count);
  appendStretch(out, b, j, b.count);
}

// {e ∪ added : e in `in`}. Ids of `added` that every set holds change
// nothing; when every other id is in no set, inserting a few of them one by
// one keeps the order predictable, else the sets are formed and ordered.
void addSet(SetsView in, Ascending added, SetsBuilder& out) {
  if (in.count == 1) {
    formAndOrder(in, added, out);
    return;
  }
  std::vector<std::size_t> holders(added.size(), 0);
  for (std::size_t i = 0; i < in.count; ++i) {
    const Ascending set = in[i];
    std::size_t k = 0;
    for (std::size_t j = 0; j < added.size() && k < set.size(); ++j) {
      while (k < set.size() && set[k] < added[j]) ++k;
      if (k < set.size() && set[k] == added[j]) ++holders[j];
    }
  }
  std::vector<Vertex> fresh;
  bool mixed = false;
  for (std::size_t j = 0; j < added.size(); ++j) {
    if (holders[j] == 0) fresh.push_back(added[j]);
    else if (holders[j] < in.count) mixed = true;
  }
  // Inserting a fresh id costs a pass over all sets: many at once are
  // inserted in one pass, the sets sorted if need be.
  if (mixed || fresh.size() > 2) {
    formAndOrder(in, added, out);
    return;
  }
  if (fresh.empty()) {
    out.reserve(in.count, in.vertices());
    appendStretch(out, in, 0, in.count);
    return;
  }
  SetsBuilder step[2];
  SetsView source = in;
  for (std::size_t j = 0; j + 1 < fresh.size(); ++j) {
    SetsBuilder& target = step[j % 2];
    target = SetsBuilder();
    insertFresh(source, fresh[j], target);
    source = target.view();
  }
  insertFresh(source, fresh.back(), out);
}

// Merges sorted runs into one sorted run without repetitions.
void mergeRuns(const std::vector<SetsView>& runs, SetsBuilder& out) {
  struct Cursor {
    SetsView run;
    std::size_t next;
    Ascending set() const { return run[next]; }
  };
  std::vector<Cursor> heap;
  std::size_t sets = 0, vertices = 0;
  for (const SetsView& run : runs) {
    if (run.count == 0) continue;
    heap.push_back({run, 0});
    sets += run.count;
    vertices += run.vertices();
  }
  out.reserve(sets, vertices);
  if (heap.size() == 2) {
    mergeUnique(heap[0].run, heap[1].run, out);
    return;
  }
  // A min-heap on each run's next set.
  const auto later = [](const Cursor& a, const Cursor& b) { return compareSets(a.set(), b.set()) > 0; };
  std::make_heap(heap.begin(), heap.end(), later);
  while (!heap.empty()) {
    std::pop_heap(heap.begin(), heap.end(), later);
    // The run with the least next set gives every set up to the least next
    // set of the others.
    Cursor& c = heap.back();
    std::size_t end = c.run.count;
    if (heap.size() > 1) {
      const Ascending rival = heap.front().set();
      for (end = c.next + 1; end < c.run.count && compareSets(c.run[end], rival) <= 0;) ++end;
    }
    appendStretch(out, c.run, c.next, end);
    c.next = end;
    if (c.next == c.run.count)
      heap.pop_back();
    else
      std::push_heap(heap.begin(), heap.end(), later);
  }
}

}  // namespace kivra::enumeration
