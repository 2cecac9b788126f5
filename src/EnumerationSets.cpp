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

std::uint64_t handled = 0;

const std::shared_ptr<const Flat>& noSets() {
  static const std::shared_ptr<const Flat> none = std::make_shared<const Flat>();
  return none;
}

const std::shared_ptr<const Flat>& emptySet() {
  static const std::shared_ptr<const Flat> one = std::make_shared<const Flat>(Flat{{}, {0, 0}});
  return one;
}

std::shared_ptr<const Flat> adopt(SetsBuilder&& formed) {
  handled += formed.ids.size();
  if (formed.size() == 0) return noSets();
  if (formed.size() == 1 && formed.ids.empty()) return emptySet();
  return std::make_shared<const Flat>(Flat{std::move(formed.ids), std::move(formed.offsets)});
}

// ---------------------------------------------------------------------------
// Pieces

namespace {

// Drops one reference to `piece`. Pieces nest as deep as the additions that
// made them (a million along a path): the released ones are walked without
// recursion. Releasing allocates nothing (it runs in destructors): a
// released piece whose second piece is still to be dropped waits on a stack
// linked through the piece itself.
void unref(Piece* piece) {
  Piece* waiting = nullptr;  // next[0]: the piece below; next[1]: still to drop
  while (piece || waiting) {
    if (!piece) {
      Piece* done = waiting;
      waiting = done->next[0];
      piece = done->next[1];
      delete done;
      continue;
    }
    if (--piece->refs != 0) {
      piece = nullptr;
      continue;
    }
    Piece* first = piece->next[0];
    if (piece->next[1]) {
      piece->next[0] = waiting;
      waiting = piece;
    } else {
      delete piece;
    }
    piece = first;
  }
}

Piece* ref(Piece* piece) {
  if (piece) ++piece->refs;
  return piece;
}

std::uint32_t lastStamp = 0;

}  // namespace

Pieces::Pieces(const Pieces& other) : piece(ref(other.piece)) {}

Pieces& Pieces::operator=(const Pieces& other) {
  if (piece != other.piece) {
    Piece* old = piece;
    piece = ref(other.piece);
    unref(old);
  }
  return *this;
}

Pieces& Pieces::operator=(Pieces&& other) noexcept {
  if (this != &other) {
    Piece* old = piece;
    piece = other.release();
    unref(old);
  }
  return *this;
}

Pieces::~Pieces() { unref(piece); }

Pieces join(Pieces a, Pieces b) {
  if (!a) return b;
  if (!b) return a;
  auto* piece = new Piece();
  piece->next[0] = a.release();
  piece->next[1] = b.release();
  return Pieces(piece);
}

void addTo(Pieces& pieces, std::span<const Vertex> ids) {
  if (ids.empty()) return;
  Piece* top = pieces.get();
  // A piece already in order keeps it: it need not be sorted again.
  if (top && top->refs == 1 && !top->sorted) {
    top->ids.insert(top->ids.end(), ids.begin(), ids.end());
    return;
  }
  auto* piece = new Piece();
  piece->ids.assign(ids.begin(), ids.end());
  piece->next[0] = pieces.release();
  pieces = Pieces(piece);
}

Pieces setPiece(const std::shared_ptr<const Flat>& one) {
  auto* piece = new Piece();
  piece->set = one;
  return Pieces(piece);
}

std::shared_ptr<const Flat> soleSet(const Pieces& pieces) {
  const Piece* piece = pieces.get();
  if (piece && piece->set && piece->ids.empty() && !piece->next[0] && !piece->next[1]) return piece->set;
  return nullptr;
}

// The vertices of all pieces reached, each piece visited once. Ids of pieces
// that are in order and hold at least an eighth of all ids are merged in as
// they are: a set sorted once is not sorted again when it has grown a little.
// The rest are gathered and sorted together; an id is sorted again only once
// the set it belongs to has grown eightfold since.
Ids collectAscending(const Pieces& pieces) {
  const std::uint32_t stamp = ++lastStamp;
  std::vector<const Piece*> found, stack;
  std::size_t total = 0;
  if (Piece* root = pieces.get()) {
    root->stamp = stamp;
    stack.push_back(root);
  }
  while (!stack.empty()) {
    const Piece* piece = stack.back();
    stack.pop_back();
    found.push_back(piece);
    total += piece->ids.size() + (piece->set ? piece->set->ids.size() : 0);
    for (Piece* next : piece->next)
      if (next && next->stamp != stamp) {
        next->stamp = stamp;
        stack.push_back(next);
      }
  }
  std::vector<Ascending> runs;
  Ids gathered;
  const auto take = [&](Ascending ids, bool inOrder) {
    if (ids.empty()) return;
    if (inOrder && ids.size() * 8 >= total)
      runs.push_back(ids);
    else
      gathered.insert(gathered.end(), ids.begin(), ids.end());
  };
  for (const Piece* piece : found) {
    take(piece->ids, piece->sorted);
    if (piece->set) take(piece->set->ids, true);
  }
  handled += 2 * gathered.size();  // copied, then sorted
  std::sort(gathered.begin(), gathered.end());
  gathered.erase(std::unique(gathered.begin(), gathered.end()), gathered.end());
  // The smaller runs first, so that each merge adds to the smaller result.
  std::sort(runs.begin(), runs.end(), [](Ascending a, Ascending b) { return a.size() < b.size(); });
  for (Ascending run : runs) {
    Ids merged;
    merged.reserve(gathered.size() + run.size());
    std::set_union(gathered.begin(), gathered.end(), run.begin(), run.end(), std::back_inserter(merged));
    handled += merged.size();
    gathered = std::move(merged);
  }
  return gathered;
}

}  // namespace kivra::enumeration
