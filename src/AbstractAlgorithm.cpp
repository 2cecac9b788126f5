// The framework's vocabulary: rows, lazy solutions and their evaluation, the
// solution contents and their factories, and the algorithm base classes that
// run the rules over a typed decomposition. Solutions come from the pool of
// SolutionPool.cpp; the enumeration content's sets are formed by the set
// builders of EnumerationSets.cpp.
#include "kivra/AbstractAlgorithm.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "EnumerationSets.h"
#include "kivra/CountingSolutionContent.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/SolutionPool.h"
#include "kivra/TreeWalk.h"
#include "kivra/support.h"

namespace kivra {

namespace {

// Assertion failures name the source as the build of this file does.
constexpr const char* kSourceFile = "./AbstractAlgorithm.cpp";

std::uint8_t newFlags() { return SolutionPool::instance().newNodeFlags(); }

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

void* Solution::operator new(std::size_t size) {
  if (size > sizeof(Solution)) _printError(40, kSourceFile, "size <= sizeof(Solution)");
  return SolutionPool::instance().take();
}

void Solution::operator delete(void* node, std::size_t) {
  if (node) SolutionPool::instance().give(node);
}

std::size_t Solution::liveNodes() { return SolutionPool::instance().liveNodes(); }

Solution::Solution(SolutionContent* value)
    : content(value), leftArgument(nullptr), rightArgument(nullptr), operation(Value), flags(newFlags()),
      pendingParents(0) {}

Solution::Solution()
    : content(nullptr), leftArgument(nullptr), rightArgument(nullptr), operation(NewEmpty), flags(newFlags()),
      pendingParents(0) {}

Solution::Solution(const VertexSet& leaf)
    : content(nullptr), leftArgument(nullptr), parameter(), operation(NewLeaf), flags(newFlags()),
      pendingParents(0) {
  parameter.assign(leaf);
}

Solution::Solution(Solution* child, const VertexSet& added)
    : content(nullptr), leftArgument(child), parameter(), operation(Add), flags(newFlags()), pendingParents(0) {
  parameter.assign(added);
}

Solution::Solution(Solution* child, Vertex added)
    : content(nullptr), leftArgument(child), parameter(), operation(Add), flags(newFlags()), pendingParents(0) {
  parameter.assign(added);
}

Solution::Solution(Operation op, Solution* left, Solution* right)
    : content(nullptr), leftArgument(left), rightArgument(right), operation(static_cast<std::uint8_t>(op)),
      flags(newFlags()), pendingParents(0) {
  if (!(op == CrossJoin || op == Union))
    _printError(208, kSourceFile, "operation == CrossJoin || operation == Union");
}

Solution::~Solution() {
  delete content;
  if (hasParameter()) parameter.release();
}

void Solution::Parameter::assign(const VertexSet& vertices) {
  bits = 0;
  if (vertices.size() == 1) {
    assign(*vertices.begin());
  } else if (vertices.size() >= 2) {
    auto* array = new Vertex[vertices.size() + 1];
    array[0] = static_cast<Vertex>(vertices.size());
    std::copy(vertices.begin(), vertices.end(), array + 1);
    bits = reinterpret_cast<std::uintptr_t>(array);
  }
}

void Solution::Parameter::release() {
  if (bits != 0 && !(bits & 1)) delete[] reinterpret_cast<Vertex*>(static_cast<std::uintptr_t>(bits));
  bits = 0;
}

std::span<const Vertex> Solution::Parameter::ids(Vertex& one) const {
  if (bits & 1) {
    one = static_cast<Vertex>(bits >> 1);
    return {&one, 1};
  }
  if (bits == 0) return {};
  const auto* array = reinterpret_cast<const Vertex*>(static_cast<std::uintptr_t>(bits));
  return {array + 1, array[0]};
}

VertexSet Solution::Parameter::toSet() const {
  Vertex one;
  const std::span<const Vertex> vertices = ids(one);
  // Ascending, so every insertion goes to the end.
  VertexSet result;
  for (Vertex v : vertices) result.insert(result.end(), v);
  return result;
}

Solution* Solution::getRightArgument() const {
  return hasRightArgument() ? rightArgument : nullptr;
}

VertexSet Solution::getParameter() const {
  return hasParameter() ? parameter.toSet() : VertexSet();
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
        Vertex one;
        content = operands[0]->content->addInto(parameter.ids(one));
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
// Enumeration: the content's operations on the set builders of
// EnumerationSets.h.

using enumeration::Flat, enumeration::Piece, enumeration::Pieces, enumeration::SetsBuilder, enumeration::SetsView;
using enumeration::addSet, enumeration::adopt, enumeration::mergeRuns, enumeration::mergeUnique;

namespace {

const EnumerationSolutionContent& enumerationOf(const SolutionContent* content) {
  return *static_cast<const EnumerationSolutionContent*>(content);
}

}  // namespace

EnumerationSolutionContent::EnumerationSolutionContent() : enumerations{enumeration::noSets(), {}} {}

EnumerationSolutionContent::EnumerationSolutionContent(const VertexSet& vertices)
    : enumerations{enumeration::emptySet(), {}} {
  if (!vertices.empty()) {
    auto* piece = new Piece();
    piece->ids.assign(vertices.begin(), vertices.end());
    piece->sorted = true;
    enumerations.added = Pieces(piece);
  }
}

EnumerationSolutionContent::~EnumerationSolutionContent() {}

std::uint64_t EnumerationSolutionContent::handledIds() { return enumeration::handled; }

bool EnumerationSolutionContent::single() const { return enumerations.sets->size() == 1; }

bool EnumerationSolutionContent::isCrossJoinIdentity() const {
  return enumerations.sets == enumeration::emptySet() && !enumerations.added;
}

void EnumerationSolutionContent::settle() const {
  Enumerations& e = enumerations;
  if (!e.added) return;
  if (e.sets->size() == 0) {
    e.added = Pieces();
    return;
  }
  if (e.sets == enumeration::emptySet()) {
    // One set, all of whose ids are in the pieces.
    if (std::shared_ptr<const Flat> whole = enumeration::soleSet(e.added)) {
      e.sets = std::move(whole);
    } else {
      auto flat = std::make_shared<Flat>();
      flat->ids = enumeration::collectAscending(e.added);
      flat->offsets.push_back(flat->ids.size());
      e.sets = std::move(flat);
    }
  } else {
    const enumeration::Ids added = enumeration::collectAscending(e.added);
    SetsBuilder out;
    addSet(e.sets->view(), added, out);
    e.sets = adopt(std::move(out));
  }
  e.added = Pieces();
}

std::size_t EnumerationSolutionContent::size() const {
  // Adding vertices to a single set leaves one set; to several, it may make
  // some of them equal.
  if (enumerations.sets->size() > 1) settle();
  return enumerations.sets->size();
}

std::span<const Vertex> EnumerationSolutionContent::operator[](std::size_t i) const {
  settle();
  return enumerations.sets->view()[i];
}

std::vector<VertexSet> EnumerationSolutionContent::getSets() const {
  settle();
  const SetsView all = enumerations.sets->view();
  std::vector<VertexSet> sets;
  sets.reserve(all.count);
  for (std::size_t i = 0; i < all.count; ++i) sets.emplace_back(all[i].begin(), all[i].end());
  return sets;
}

EnumerationSolutionContent::Enumerations EnumerationSolutionContent::joinSingle(const Enumerations& one,
                                                                               const Enumerations& other) {
  // `one`'s set joins the vertices added to every set of `other`: its own
  // flat set (when it has one) and its pieces, shared, not copied.
  Pieces added = enumeration::join(other.added, one.added);
  if (one.sets != enumeration::emptySet()) added = enumeration::join(std::move(added), enumeration::setPiece(one.sets));
  return {other.sets, std::move(added)};
}

SolutionContent* EnumerationSolutionContent::calculateUnion(SolutionContent* other) {
  auto* result = new EnumerationSolutionContent();
  result->enumerations = enumerations;
  return result->unionInto(other);
}

SolutionContent* EnumerationSolutionContent::unionInto(SolutionContent* other) {
  const EnumerationSolutionContent& theirs = enumerationOf(other);
  if (theirs.enumerations.sets->size() == 0) return this;
  if (enumerations.sets->size() == 0) {
    enumerations = theirs.enumerations;
    return this;
  }
  if (&theirs == this) return this;
  settle();
  theirs.settle();
  SetsBuilder out;
  mergeUnique(enumerations.sets->view(), theirs.enumerations.sets->view(), out);
  enumerations.sets = adopt(std::move(out));
  return this;
}

SolutionContent* EnumerationSolutionContent::calculateUnionAll(const std::vector<SolutionContent*>& others) {
  // Contents without a set add nothing; with only one content left, the
  // union is that content, shared as it is.
  std::vector<const EnumerationSolutionContent*> held;
  if (enumerations.sets->size() > 0) held.push_back(this);
  for (SolutionContent* other : others)
    if (enumerationOf(other).enumerations.sets->size() > 0) held.push_back(&enumerationOf(other));
  auto* result = new EnumerationSolutionContent();
  if (held.size() == 1) {
    result->enumerations = held.front()->enumerations;
  } else if (held.size() > 1) {
    std::vector<SetsView> runs;
    for (const EnumerationSolutionContent* content : held) {
      content->settle();
      runs.push_back(content->enumerations.sets->view());
    }
    SetsBuilder out;
    mergeRuns(runs, out);
    result->enumerations.sets = adopt(std::move(out));
  }
  return result;
}

SolutionContent* EnumerationSolutionContent::calculateCrossJoin(SolutionContent* other) {
  auto* result = new EnumerationSolutionContent();
  result->enumerations = enumerations;
  SolutionContent* joined = result->crossJoinInto(other);
  if (joined != result) delete result;
  return joined;
}

SolutionContent* EnumerationSolutionContent::crossJoinInto(SolutionContent* other) {
  const EnumerationSolutionContent& theirs = enumerationOf(other);
  if (enumerations.sets->size() == 0) return this;
  if (theirs.enumerations.sets->size() == 0) {
    enumerations = Enumerations{enumeration::noSets(), {}};
    return this;
  }
  if (theirs.single()) {
    enumerations = joinSingle(theirs.enumerations, enumerations);
    return this;
  }
  if (single()) {
    enumerations = joinSingle(enumerations, theirs.enumerations);
    return this;
  }
  settle();
  theirs.settle();
  // Each set of the smaller operand added to every set of the larger one
  // gives one sorted run; the runs are then merged.
  SetsView outer = enumerations.sets->view(), inner = theirs.enumerations.sets->view();
  if (outer.count > inner.count) std::swap(outer, inner);
  SetsBuilder formed;
  // At most every pair, each union at most both sets long.
  formed.reserve(outer.count * inner.count, outer.count * inner.vertices() + inner.count * outer.vertices());
  std::vector<std::size_t> starts{0};
  for (std::size_t i = 0; i < outer.count; ++i) {
    addSet(inner, outer[i], formed);
    starts.push_back(formed.size());
  }
  enumeration::handled += formed.ids.size();
  std::vector<SetsView> runs;
  for (std::size_t r = 0; r < outer.count; ++r)
    runs.push_back({formed.ids.data(), formed.offsets.data() + starts[r], starts[r + 1] - starts[r]});
  SetsBuilder out;
  mergeRuns(runs, out);
  enumerations = Enumerations{adopt(std::move(out)), {}};
  return this;
}

SolutionContent* EnumerationSolutionContent::calculateAdd(const VertexSet& vertices) {
  auto* result = new EnumerationSolutionContent();
  result->enumerations = enumerations;
  if (enumerations.sets->size() > 0 && !vertices.empty()) {
    const std::vector<Vertex> ids(vertices.begin(), vertices.end());
    enumeration::addTo(result->enumerations.added, ids);
  }
  return result;
}

SolutionContent* EnumerationSolutionContent::addInto(std::span<const Vertex> ascending) {
  if (enumerations.sets->size() > 0) enumeration::addTo(enumerations.added, ascending);
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

Tuple* AbstractHTDAlgorithm::addToTupleSet(Tuple* tuple, Solution* solution, TupleSet* table, Operation op) {
  // Rules mostly make their rows in ascending order: hinted at the end, a row
  // that follows the last key goes in after one comparison, any other is
  // placed by the usual search.
  const std::size_t before = table->size();
  const auto position = table->try_emplace(table->end(), tuple, solution);
  if (table->size() != before) return nullptr;
  // An equal row is already a key: the entry is re-keyed by the new row and
  // its solution becomes the combination of the old (left) and the new one.
  // Re-keying through the node handle keeps the entry's place in the tree.
  Solution* combined = combineSolutions(op, position->second, solution);
  Tuple* displaced = position->first;
  auto hint = std::next(position);
  auto entry = table->extract(position);
  entry.key() = tuple;
  entry.mapped() = combined;
  table->insert(hint, std::move(entry));
  return displaced;
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
