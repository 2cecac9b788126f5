#include "kivra/AbstractAlgorithm.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "kivra/CountingSolutionContent.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/SolutionPool.h"
#include "kivra/TreeWalk.h"
#include "kivra/support.h"

namespace kivra {

namespace {

// Assertion failures name the source as the build of this file does.
constexpr const char* kSourceFile = "./AbstractAlgorithm.cpp";

}  // namespace

// ---------------------------------------------------------------------------
// Rows, contents, factories

Tuple::~Tuple() {}

SolutionContent::~SolutionContent() {}

SolutionContent* SolutionContent::calculateUnionAll(const std::vector<SolutionContent*>& others) {
  SolutionContent* result = calculateUnion(others.front());
  for (std::size_t i = 1; i < others.size(); ++i) {
    SolutionContent* next = result->calculateUnion(others[i]);
    delete result;
    result = next;
  }
  return result;
}

SolutionContent* SolutionContent::addInto(std::span<const Vertex> ascending) {
  VertexSet vertices;
  for (Vertex v : ascending) vertices.insert(vertices.end(), v);
  return calculateAdd(vertices);
}

Instantiator::~Instantiator() {}

// ---------------------------------------------------------------------------
// Solution

namespace {

std::uint8_t newFlags() { return SolutionPool::instance().newNodeFlags(); }

}  // namespace

void* Solution::operator new(std::size_t size) {
  if (size > sizeof(Solution)) _printError(40, kSourceFile, "size <= sizeof(Solution)");
  return SolutionPool::instance().take();
}

void Solution::operator delete(void* node, std::size_t) {
  if (node) SolutionPool::instance().give(node);
}

std::size_t Solution::liveNodes() { return SolutionPool::instance().liveNodes(); }

Solution::Solution(SolutionContent* value)
    : content(value), leftArgument(nullptr), rightArgument(nullptr), operation(Value),
      parameterKind(0), flags(newFlags()), pendingParents(0) {}

Solution::Solution()
    : content(nullptr), leftArgument(nullptr), rightArgument(nullptr), operation(NewEmpty),
      parameterKind(0), flags(newFlags()), pendingParents(0) {}

Solution::Solution(const VertexSet& leaf)
    : content(nullptr), leftArgument(nullptr), rightArgument(nullptr), operation(NewLeaf),
      parameterKind(0), flags(newFlags()), pendingParents(0) {
  setParameter(leaf);
}

Solution::Solution(Solution* child, const VertexSet& added)
    : content(nullptr), leftArgument(child), rightArgument(nullptr), operation(Add),
      parameterKind(0), flags(newFlags()), pendingParents(0) {
  setParameter(added);
}

Solution::Solution(Solution* child, Vertex added)
    : content(nullptr), leftArgument(child), parameterVertex(added), operation(Add),
      parameterKind(1), flags(newFlags()), pendingParents(0) {}

Solution::Solution(Operation op, Solution* left, Solution* right)
    : content(nullptr), leftArgument(left), rightArgument(right),
      operation(static_cast<std::uint8_t>(op)), parameterKind(0), flags(newFlags()), pendingParents(0) {
  if (!(op == CrossJoin || op == Union))
    _printError(208, kSourceFile, "operation == CrossJoin || operation == Union");
}

Solution::~Solution() {
  delete content;
  if (parameterKind == 2) delete[] parameterVertices;
}

void Solution::setParameter(const VertexSet& vertices) {
  if (vertices.size() == 1) {
    parameterKind = 1;
    parameterVertex = *vertices.begin();
  } else if (vertices.size() >= 2) {
    parameterKind = 2;
    parameterVertices = new Vertex[vertices.size() + 1];
    parameterVertices[0] = static_cast<Vertex>(vertices.size());
    std::copy(vertices.begin(), vertices.end(), parameterVertices + 1);
  }
}

Solution* Solution::getRightArgument() const {
  return hasRightArgument() ? rightArgument : nullptr;
}

VertexSet Solution::getParameter() const {
  if (parameterKind == 1) return VertexSet{parameterVertex};
  VertexSet result;
  if (parameterKind == 2) {
    // Stored ascending, so every insertion goes to the end.
    for (Vertex i = 1; i <= parameterVertices[0]; ++i)
      result.insert(result.end(), parameterVertices[i]);
  }
  return result;
}

std::span<const Vertex> Solution::parameterIds() const {
  if (parameterKind == 1) return {&parameterVertex, 1};
  if (parameterKind == 2) return {parameterVertices + 1, parameterVertices[0]};
  return {};
}

// Whether this is the last use of an operand's content within the current
// evaluation, after which it is released. A borrowed content is read by the
// lender's other parents too.
bool Solution::lastUse() const {
  // A long chain of borrowers is taken as shared rather than walked at
  // every use: the answer "not the last use" is always safe.
  const Solution* node = this;
  for (int steps = 0; steps < 8; ++steps, node = node->lender()) {
    if (node->pendingParents != 1) return false;
    if (!node->borrows()) return true;
  }
  return false;
}

SolutionContent* Solution::takeContent() {
  SolutionContent* taken = content;
  content = nullptr;
  // Taken at its last use: every lender below had this node as its only
  // reader left, and lets go as well.
  for (Solution* node = this; node->borrows();) {
    Solution* next = node->lender();
    node->flags &= static_cast<std::uint8_t>(~Borrowed);
    next->content = nullptr;
    next->pendingParents = 0;
    node = next;
  }
  return taken;
}

void Solution::borrow(Solution* from) {
  content = from->content;
  flags |= from == leftArgument ? BorrowedLeft : BorrowedRight;
  // Held until this node's last parent has used it.
  ++from->pendingParents;
}

void Solution::evaluateLocally(const Instantiator* inst, Solution* const* operands, std::size_t count,
                               bool mayBorrow) {
  // An operand whose content this node's would equal lends it instead of
  // having it copied, while it is computed in the same call (it holds
  // the content only until its last parent has used it).
  const auto mayLend = [&](const Solution* operand) { return mayBorrow && operand->pendingParents > 0; };
  switch (operation) {
    case CrossJoin: {
      Solution* left = operands[0];
      Solution* right = operands[1];
      if (left != right && !left->lastUse() && right->lastUse() && right->content->crossJoinCommutes())
        std::swap(left, right);
      if (left != right && left->lastUse()) {
        content = left->content->crossJoinInto(right->content);
        if (content == left->content) left->takeContent();
      } else if (left != right && right->content->isCrossJoinIdentity() && mayLend(left)) {
        borrow(left);
      } else if (left != right && left->content->isCrossJoinIdentity() && mayLend(right) &&
                 left->content->crossJoinCommutes()) {
        borrow(right);
      } else {
        content = left->content->calculateCrossJoin(right->content);
      }
      break;
    }
    case Union:
      if (count == 2) {
        Solution* left = operands[0];
        Solution* right = operands[1];
        if (left != right && !left->lastUse() && right->lastUse() && right->content->unionCommutes())
          std::swap(left, right);
        if (left != right && left->lastUse()) {
          content = left->content->unionInto(right->content);
          if (content == left->content) left->takeContent();
        } else {
          content = left->content->calculateUnion(right->content);
        }
      } else {
        std::vector<SolutionContent*> others;
        others.reserve(count - 1);
        for (std::size_t i = 1; i < count; ++i) others.push_back(operands[i]->content);
        content = operands[0]->content->calculateUnionAll(others);
      }
      break;
    case Add:
      if (!operands[0]->lastUse()) {
        if (operands[0]->content->ignoresAddedVertices() && mayLend(operands[0]))
          borrow(operands[0]);
        else
          content = operands[0]->content->calculateAdd(getParameter());
      } else if (operands[0]->content->ignoresAddedVertices()) {
        content = operands[0]->takeContent();
      } else {
        content = operands[0]->content->addInto(parameterIds());
        if (content == operands[0]->content) operands[0]->takeContent();
      }
      break;
    case NewLeaf:
      if (!inst) _printError(265, kSourceFile, "inst");
      content = inst->createLeafSolution(getParameter());
      break;
    case NewEmpty:
      if (!inst) _printError(269, kSourceFile, "inst");
      content = inst->createEmptySolution();
      break;
    default:
      break;
  }
}

void Solution::consumed() {
  // A borrower's last use is also one use of its lender's content.
  for (Solution* node = this; node->pendingParents != 0 && --node->pendingParents == 0;) {
    if (!node->borrows()) {
      delete node->content;
      node->content = nullptr;
      return;
    }
    Solution* lender = node->lender();
    node->content = nullptr;
    node->flags &= static_cast<std::uint8_t>(~Borrowed);
    node = lender;
  }
}

SolutionContent* Solution::getContent(const Instantiator* inst) {
  if (operation > 5) _printError(273, kSourceFile, "0");
  if (content) return content;

  // Count, for every node that needs computing, its parents within this
  // call, so that a shared node is computed once and released after its
  // last use. Nodes that already hold a content are used as they are.
  std::vector<Solution*> pending{this};
  while (!pending.empty()) {
    Solution* node = pending.back();
    pending.pop_back();
    if (node->operation > 5 || !node->hasLeftArgument()) continue;
    Solution* operands[2] = {node->leftArgument, node->hasRightArgument() ? node->rightArgument : nullptr};
    for (Solution* operand : operands)
      if (operand && !operand->content && operand->pendingParents++ == 0) pending.push_back(operand);
  }

  // Depth-first, the left operand's whole expression before the right one's;
  // a node is computed once all its operands hold contents. A Union takes
  // over the operands of every Union below it that has no other parent in
  // this call, and, for contents that prefer it, unites them at once: a
  // table's rows folded one by one into a chain of k Unions then cost one
  // k-way union of sets instead of k ever larger ones. The Unions taken over
  // are never computed. Explicit stacks keep arbitrarily deep expressions off
  // the call stack.
  struct Frame {
    Solution* node;
    std::size_t first;  // the node's operands are operands[first, end of operands)
    std::size_t next;   // operands before this one hold contents
    // A Union of more than two operands whose contents gain nothing from
    // uniting all at once unites them one by one as they come, releasing
    // each at once, as a chain of Unions would.
    bool folding;
    SolutionContent* folded;  // owned: the union so far, once two are united
  };
  std::vector<Frame> frames;
  std::vector<Solution*> operands;
  std::vector<Solution*> unionTree;
  const auto open = [&](Solution* node) {
    if (node->operation > 5) _printError(273, kSourceFile, "0");
    const std::size_t first = operands.size();
    if (node->operation == Union) {
      unionTree.assign({node->rightArgument, node->leftArgument});
      while (!unionTree.empty()) {
        Solution* operand = unionTree.back();
        unionTree.pop_back();
        if (operand->operation == Union && !operand->content && operand->pendingParents == 1) {
          operand->pendingParents = 0;
          unionTree.push_back(operand->rightArgument);
          unionTree.push_back(operand->leftArgument);
        } else {
          operands.push_back(operand);
        }
      }
    } else if (node->hasLeftArgument()) {
      operands.push_back(node->leftArgument);
      if (node->hasRightArgument()) operands.push_back(node->rightArgument);
    }
    frames.push_back({node, first, first, false, nullptr});
  };
  open(this);
  while (!frames.empty()) {
    Frame& frame = frames.back();
    for (; frame.next < operands.size() && operands[frame.next]->content; ++frame.next) {
      if (frame.next == frame.first) {
        frame.folding = frame.node->operation == Union && operands.size() - frame.first > 2 &&
                        !operands[frame.first]->content->prefersUnionAll();
      } else if (frame.folding) {
        Solution* operand = operands[frame.next];
        Solution* head = operands[frame.first];
        SolutionContent* united;
        if (frame.folded) {
          // The union so far is this frame's own: it takes the next operand in place.
          united = frame.folded->unionInto(operand->content);
          if (united != frame.folded) delete frame.folded;
        } else if (head != operand && head->lastUse()) {
          united = head->content->unionInto(operand->content);
          if (united == head->content) head->takeContent();
          head->consumed();
        } else {
          united = head->content->calculateUnion(operand->content);
          head->consumed();
        }
        frame.folded = united;
        operand->consumed();
      }
    }
    if (frame.next < operands.size()) {
      open(operands[frame.next]);
      continue;
    }
    const std::size_t first = frame.first;
    if (frame.folding) {
      frame.node->content = frame.folded;
    } else {
      frame.node->evaluateLocally(inst, operands.data() + first, operands.size() - first, frame.node != this);
      for (std::size_t i = first; i < operands.size(); ++i) operands[i]->consumed();
    }
    operands.resize(first);
    frames.pop_back();
  }
  return content;
}

// ---------------------------------------------------------------------------
// Enumeration
//
// A content's sets are kept sorted and duplicate-free, so every operation
// either preserves an order it can predict (a merge of sorted runs, or a
// vertex inserted that no set holds) or forms its sets and sorts them once.

namespace {

using Ids = std::vector<Vertex>;
using Offsets = std::vector<std::size_t>;
using Ascending = std::span<const Vertex>;

// Read access to sets in a content's layout.
struct SetsView {
  const Vertex* ids;
  const std::size_t* offsets;
  std::size_t count;

  Ascending operator[](std::size_t i) const { return {ids + offsets[i], ids + offsets[i + 1]}; }
  // The number of ids of all sets.
  std::size_t vertices() const { return offsets[count] - offsets[0]; }
};

// Sets being formed, in a content's layout.
struct SetsBuilder {
  Ids ids;
  Offsets offsets{0};

  std::size_t size() const { return offsets.size() - 1; }
  SetsView view() const { return {ids.data(), offsets.data(), size()}; }
  Ascending operator[](std::size_t i) const { return view()[i]; }
  // Ends the set whose ids were appended since the last one ended.
  void close() { offsets.push_back(ids.size()); }
  void append(Ascending set) {
    ids.insert(ids.end(), set.begin(), set.end());
    close();
  }
  // Room for `sets` more sets of `vertices` ids in all; growth stays
  // geometric when a builder is appended to repeatedly.
  void reserve(std::size_t sets, std::size_t vertices) {
    grow(offsets, offsets.size() + sets);
    grow(ids, ids.size() + vertices);
  }

 private:
  template <class T>
  static void grow(std::vector<T>& v, std::size_t needed) {
    if (needed > v.capacity()) v.reserve(std::max(needed, 2 * v.capacity()));
  }
};

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

}  // namespace

EnumerationSolutionContent::EnumerationSolutionContent() : offsets{0} {}

EnumerationSolutionContent::EnumerationSolutionContent(const VertexSet& vertices)
    : ids(vertices.begin(), vertices.end()), offsets{0, vertices.size()} {}

EnumerationSolutionContent::~EnumerationSolutionContent() {}

std::vector<VertexSet> EnumerationSolutionContent::getSets() const {
  std::vector<VertexSet> sets;
  sets.reserve(size());
  for (std::size_t i = 0; i < size(); ++i) sets.emplace_back((*this)[i].begin(), (*this)[i].end());
  return sets;
}

namespace {

SetsView viewOf(const std::vector<Vertex>& ids, const std::vector<std::size_t>& offsets) {
  return {ids.data(), offsets.data(), offsets.size() - 1};
}

}  // namespace

void EnumerationSolutionContent::insertAdded() const {
  std::sort(added.begin(), added.end());
  added.erase(std::unique(added.begin(), added.end()), added.end());
  if (offsets.size() > 1) {
    SetsBuilder out;
    addSet(viewOf(ids, offsets), added, out);
    ids = std::move(out.ids);
    offsets = std::move(out.offsets);
  }
  added = std::vector<Vertex>();
}

SolutionContent* EnumerationSolutionContent::calculateUnion(SolutionContent* other) {
  const auto* theirs = static_cast<EnumerationSolutionContent*>(other);
  settle();
  theirs->settle();
  SetsBuilder out;
  mergeUnique(viewOf(ids, offsets), viewOf(theirs->ids, theirs->offsets), out);
  auto* result = new EnumerationSolutionContent();
  result->ids = std::move(out.ids);
  result->offsets = std::move(out.offsets);
  return result;
}

SolutionContent* EnumerationSolutionContent::unionInto(SolutionContent* other) {
  const auto* theirs = static_cast<EnumerationSolutionContent*>(other);
  theirs->settle();
  if (theirs->offsets.size() == 1) return this;
  settle();
  if (offsets.size() == 1) {
    ids = theirs->ids;
    offsets = theirs->offsets;
    return this;
  }
  SetsBuilder out;
  mergeUnique(viewOf(ids, offsets), viewOf(theirs->ids, theirs->offsets), out);
  ids = std::move(out.ids);
  offsets = std::move(out.offsets);
  return this;
}

SolutionContent* EnumerationSolutionContent::calculateUnionAll(const std::vector<SolutionContent*>& others) {
  settle();
  std::vector<SetsView> runs{viewOf(ids, offsets)};
  for (SolutionContent* other : others) {
    const auto* theirs = static_cast<EnumerationSolutionContent*>(other);
    theirs->settle();
    runs.push_back(viewOf(theirs->ids, theirs->offsets));
  }
  SetsBuilder out;
  mergeRuns(runs, out);
  auto* result = new EnumerationSolutionContent();
  result->ids = std::move(out.ids);
  result->offsets = std::move(out.offsets);
  return result;
}

SolutionContent* EnumerationSolutionContent::calculateCrossJoin(SolutionContent* other) {
  const auto* theirs = static_cast<EnumerationSolutionContent*>(other);
  settle();
  theirs->settle();
  // Each set of the smaller operand added to every set of the larger one
  // gives one sorted run; the runs are then merged.
  SetsView outer = viewOf(ids, offsets), inner = viewOf(theirs->ids, theirs->offsets);
  const EnumerationSolutionContent* larger = theirs;
  if (outer.count > inner.count) std::swap(outer, inner), larger = this;
  auto* result = new EnumerationSolutionContent();
  if (outer.count == 1) {
    // One set added to every set of the other: recorded, inserted when read.
    result->ids = larger->ids;
    result->offsets = larger->offsets;
    result->added.assign(outer[0].begin(), outer[0].end());
  } else if (outer.count > 1) {
    SetsBuilder formed;
    // At most every pair, each union at most both sets long.
    formed.reserve(outer.count * inner.count, outer.count * inner.vertices() + inner.count * outer.vertices());
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < outer.count; ++i) {
      addSet(inner, outer[i], formed);
      starts.push_back(formed.size());
    }
    std::vector<SetsView> runs;
    for (std::size_t r = 0; r < outer.count; ++r)
      runs.push_back({formed.ids.data(), formed.offsets.data() + starts[r], starts[r + 1] - starts[r]});
    SetsBuilder out;
    mergeRuns(runs, out);
    result->ids = std::move(out.ids);
    result->offsets = std::move(out.offsets);
  }
  return result;
}

SolutionContent* EnumerationSolutionContent::crossJoinInto(SolutionContent* other) {
  const auto* theirs = static_cast<EnumerationSolutionContent*>(other);
  theirs->settle();
  if (theirs->offsets.size() == 2) {
    // Every set of this gains the other's only set.
    added.insert(added.end(), theirs->ids.begin(), theirs->ids.end());
    return this;
  }
  if (theirs->offsets.size() == 1) {
    ids.clear();
    offsets.assign(1, 0);
    added.clear();
    return this;
  }
  settle();
  if (offsets.size() == 2) {
    // This one set added to every set of the other.
    added = ids;
    ids = theirs->ids;
    offsets = theirs->offsets;
    return this;
  }
  return calculateCrossJoin(other);
}

SolutionContent* EnumerationSolutionContent::calculateAdd(const VertexSet& vertices) {
  settle();
  auto* result = new EnumerationSolutionContent();
  result->ids = ids;
  result->offsets = offsets;
  result->added.assign(vertices.begin(), vertices.end());
  return result;
}

SolutionContent* EnumerationSolutionContent::addInto(std::span<const Vertex> ascending) {
  added.insert(added.end(), ascending.begin(), ascending.end());
  return this;
}

// ---------------------------------------------------------------------------
// Counting

CountingSolutionContent::CountingSolutionContent() : count(0) {}

CountingSolutionContent::CountingSolutionContent(const VertexSet&) : count(1) {}

CountingSolutionContent::~CountingSolutionContent() {}

SolutionContent* CountingSolutionContent::calculateUnion(SolutionContent* other) {
  auto* result = new CountingSolutionContent();
  result->count = count + static_cast<CountingSolutionContent*>(other)->count;
  return result;
}

SolutionContent* CountingSolutionContent::calculateCrossJoin(SolutionContent* other) {
  auto* result = new CountingSolutionContent();
  const mpz_class& factor = static_cast<CountingSolutionContent*>(other)->count;
  // A join with a single solution is the most common case: a copy, not a product.
  if (factor == 1) {
    result->count = count;
  } else if (count == 1) {
    result->count = factor;
  } else {
    result->count = count * factor;
  }
  return result;
}

SolutionContent* CountingSolutionContent::unionInto(SolutionContent* other) {
  count += static_cast<CountingSolutionContent*>(other)->count;
  return this;
}

SolutionContent* CountingSolutionContent::crossJoinInto(SolutionContent* other) {
  const mpz_class& factor = static_cast<CountingSolutionContent*>(other)->count;
  if (factor != 1) count *= factor;
  return this;
}

bool CountingSolutionContent::isCrossJoinIdentity() const { return count == 1; }

SolutionContent* CountingSolutionContent::calculateAdd(const VertexSet&) {
  auto* result = new CountingSolutionContent();
  result->count = count;
  return result;
}

// ---------------------------------------------------------------------------
// Consistency

ConsistencySolutionContent::ConsistencySolutionContent() : consistent(false) {}

ConsistencySolutionContent::ConsistencySolutionContent(const VertexSet&) : consistent(true) {}

ConsistencySolutionContent::~ConsistencySolutionContent() {}

SolutionContent* ConsistencySolutionContent::calculateUnion(SolutionContent* other) {
  auto* result = new ConsistencySolutionContent();
  result->consistent = consistent || static_cast<ConsistencySolutionContent*>(other)->consistent;
  return result;
}

SolutionContent* ConsistencySolutionContent::calculateCrossJoin(SolutionContent* other) {
  auto* result = new ConsistencySolutionContent();
  result->consistent = consistent && static_cast<ConsistencySolutionContent*>(other)->consistent;
  return result;
}

SolutionContent* ConsistencySolutionContent::calculateAdd(const VertexSet&) {
  auto* result = new ConsistencySolutionContent();
  result->consistent = consistent;
  return result;
}

// ---------------------------------------------------------------------------
// AbstractHTDAlgorithm

AbstractHTDAlgorithm::AbstractHTDAlgorithm(Problem* problem) : prob(problem), inst(nullptr) {}

AbstractHTDAlgorithm::~AbstractHTDAlgorithm() {}

Problem* AbstractHTDAlgorithm::problem() { return prob; }

const ExtendedHypertree* AbstractHTDAlgorithm::prepareHypertreeDecomposition(
    const ExtendedHypertree* root) {
  return root;
}

std::optional<NormalizationType> AbstractHTDAlgorithm::walkNormalization() const { return std::nullopt; }

Solution* AbstractHTDAlgorithm::evaluate(const ExtendedHypertree* tree, Instantiator* instantiator) {
  reclaiming = SolutionPool::instance().beginRun();
  Solution* result = run(tree, instantiator);
  if (reclaiming) SolutionPool::instance().endRun(result);
  reclaiming = false;
  return result;
}

void AbstractHTDAlgorithm::releaseTable(TupleSet* table) { releaseTable(table, table->begin()); }

void AbstractHTDAlgorithm::releaseTable(TupleSet* table, TupleSet::iterator from) {
  for (; from != table->end(); ++from) delete from->first;
  delete table;
}

void AbstractHTDAlgorithm::reclaimUnreachable() {
  SolutionPool& pool = SolutionPool::instance();
  if (!reclaiming || !pool.due()) return;
  for (const auto& [node, table] : pendingTables) {
    if (!table) continue;
    // A few roots at a time keep the stack short.
    std::size_t roots = 0;
    for (const auto& entry : *table) {
      pool.addRoot(entry.second);
      if (++roots % 64 == 0) pool.markReached();
    }
    pool.markReached();
  }
  pool.sweep(false);
}

Solution* AbstractHTDAlgorithm::run(const ExtendedHypertree* tree, Instantiator* instantiator) {
  inst = instantiator;
  const ExtendedHypertree* root = prepareHypertreeDecomposition(tree);
  const std::optional<NormalizationType> form = walkNormalization();
  TupleSet* table;
  ExtendedHypertree* normalizedRoot = nullptr;
  if (form) {
    normalizedRoot = evaluateNormalizing(root, *form);
    table = takeFinishedTable(normalizedRoot);
    pendingTables.clear();
    root = normalizedRoot;
  } else {
    table = evaluateNode(root);
  }
  Solution* result = selectSolution(table, root);
  releaseTable(table);
  delete normalizedRoot;
  return result;
}

ExtendedHypertree* AbstractHTDAlgorithm::evaluateNormalizing(const ExtendedHypertree* source,
                                                             NormalizationType form) {
  pendingTables.clear();
  return treewalk::fold<ExtendedHypertree*>(
      source, [&](const ExtendedHypertree* node, std::vector<ExtendedHypertree*>& children) {
        ExtendedHypertree* piece = node->normalizeNode(form, children);
        evaluatePiece(piece);
        return piece;
      });
}

void AbstractHTDAlgorithm::evaluatePiece(ExtendedHypertree* piece) {
  // Nodes with a pending table were evaluated with an earlier piece: the
  // walk does not enter them.
  const auto evaluated = [this](const ExtendedHypertree* node) { return pendingTables.count(node) != 0; };
  if (evaluated(piece)) return;
  treewalk::postOrder(
      piece,
      [this](ExtendedHypertree* node) {
        TupleSet* table = evaluateNode(node);
        // The children's tables are consumed (those a rule did not take are
        // needed by no one), and so are the children.
        std::vector<Hypertree*> consumed(node->getChildren()->begin(), node->getChildren()->end());
        node->remChildren();
        for (Hypertree* child : consumed) {
          pendingTables.erase(static_cast<const ExtendedHypertree*>(child));
          delete child;
        }
        pendingTables.emplace(node, table);
        reclaimUnreachable();
      },
      evaluated);
}

TupleSet* AbstractHTDAlgorithm::takeFinishedTable(const ExtendedHypertree* node) {
  auto entry = pendingTables.find(node);
  if (entry == pendingTables.end()) return nullptr;
  TupleSet* table = entry->second;
  entry->second = nullptr;
  return table;
}

Solution* AbstractHTDAlgorithm::createEmptySolution() {
  if (inst) return new Solution(inst->createEmptySolution());
  return new Solution();
}

Solution* AbstractHTDAlgorithm::createLeafSolution(const VertexSet& vertices) {
  if (inst) return new Solution(inst->createLeafSolution(vertices));
  return new Solution(vertices);
}

Solution* AbstractHTDAlgorithm::combineSolutions(Operation op, Solution* left, Solution* right) {
  return new Solution(op, left, right);
}

Solution* AbstractHTDAlgorithm::addToSolution(Solution* solution, const VertexSet& vertices) {
  return new Solution(solution, vertices);
}

Solution* AbstractHTDAlgorithm::addToSolution(Solution* solution, Vertex vertex) {
  return new Solution(solution, vertex);
}

void AbstractHTDAlgorithm::addToTupleSet(Tuple* tuple, Solution* solution, TupleSet* table,
                                         Operation op) {
  auto [position, inserted] = table->try_emplace(tuple, solution);
  if (inserted) return;
  // An equal row is already a key: the entry is re-keyed by the new row and
  // its solution becomes the combination of the old (left) and the new one.
  // Re-keying through the node handle keeps the entry's place in the tree.
  Solution* combined = combineSolutions(op, position->second, solution);
  auto hint = std::next(position);
  auto entry = table->extract(position);
  entry.key() = tuple;
  entry.mapped() = combined;
  table->insert(hint, std::move(entry));
}

// ---------------------------------------------------------------------------
// AbstractSemiNormalizedHTDAlgorithm

AbstractSemiNormalizedHTDAlgorithm::AbstractSemiNormalizedHTDAlgorithm(Problem* problem)
    : AbstractHTDAlgorithm(problem) {}

AbstractSemiNormalizedHTDAlgorithm::~AbstractSemiNormalizedHTDAlgorithm() {}

const ExtendedHypertree* AbstractSemiNormalizedHTDAlgorithm::prepareHypertreeDecomposition(
    const ExtendedHypertree* root) {
  return root;
}

std::optional<NormalizationType> AbstractSemiNormalizedHTDAlgorithm::walkNormalization() const {
  return SemiNormalization;
}

TupleSet* AbstractSemiNormalizedHTDAlgorithm::evaluateNode(const ExtendedHypertree* node) {
  if (TupleSet* table = takeFinishedTable(node)) return table;
  switch (node->getType()) {
    case Branch:
      return evaluateBranchNode(node);
    case Leaf:
    case Removal:
    case Introduction:
    case Permutation:
      return evaluatePermutationNode(node);
    default:
      _printError(387, kSourceFile, "0");
  }
}

// ---------------------------------------------------------------------------
// AbstractNormalizedHTDAlgorithm

AbstractNormalizedHTDAlgorithm::AbstractNormalizedHTDAlgorithm(Problem* problem)
    : AbstractSemiNormalizedHTDAlgorithm(problem) {}

AbstractNormalizedHTDAlgorithm::~AbstractNormalizedHTDAlgorithm() {}

const ExtendedHypertree* AbstractNormalizedHTDAlgorithm::prepareHypertreeDecomposition(
    const ExtendedHypertree* root) {
  return root;
}

std::optional<NormalizationType> AbstractNormalizedHTDAlgorithm::walkNormalization() const {
  return DefaultNormalization;
}

TupleSet* AbstractNormalizedHTDAlgorithm::evaluatePermutationNode(const ExtendedHypertree* node) {
  switch (node->getType()) {
    case Removal:
      return evaluateRemovalNode(node);
    case Introduction:
      return evaluateIntroductionNode(node);
    case Leaf:
      return evaluateLeafNode(node);
    default:
      _printError(417, kSourceFile, "0");
  }
}

}  // namespace kivra
