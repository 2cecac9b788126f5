#include "kivra/AbstractAlgorithm.h"

#include <algorithm>
#include <vector>

#include "kivra/CountingSolutionContent.h"
#include "kivra/ExtendedHypertree.h"
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

Instantiator::~Instantiator() {}

// ---------------------------------------------------------------------------
// Solution

namespace {

// Hands out Solution-sized blocks from large chunks; released blocks are
// reused. Chunks are never returned: solutions live until the process ends.
class SolutionPool {
 public:
  void* take() {
    if (freeList) {
      FreeBlock* block = freeList;
      freeList = block->next;
      return block;
    }
    if (used == kBlocksPerChunk) {
      chunk = static_cast<Block*>(::operator new(sizeof(Block) * kBlocksPerChunk));
      chunks.push_back(chunk);
      used = 0;
    }
    return &chunk[used++];
  }
  void give(void* block) {
    auto* released = static_cast<FreeBlock*>(block);
    released->next = freeList;
    freeList = released;
  }

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  struct Block {
    alignas(Solution) unsigned char bytes[sizeof(Solution)];
  };
  static constexpr std::size_t kBlocksPerChunk = 16384;
  std::vector<Block*> chunks;  // every chunk stays reachable
  Block* chunk = nullptr;
  std::size_t used = kBlocksPerChunk;
  FreeBlock* freeList = nullptr;
};

SolutionPool& solutionPool() {
  static SolutionPool* pool = new SolutionPool();  // outlives every solution
  return *pool;
}

}  // namespace

void* Solution::operator new(std::size_t size) {
  if (size != sizeof(Solution)) return ::operator new(size);
  return solutionPool().take();
}

void Solution::operator delete(void* node, std::size_t size) {
  if (!node) return;
  if (size != sizeof(Solution)) {
    ::operator delete(node);
    return;
  }
  solutionPool().give(node);
}

Solution::Solution(SolutionContent* value)
    : content(value), leftArgument(nullptr), rightArgument(nullptr), operation(Value),
      parameterKind(0), pendingParents(0) {}

Solution::Solution()
    : content(nullptr), leftArgument(nullptr), rightArgument(nullptr), operation(NewEmpty),
      parameterKind(0), pendingParents(0) {}

Solution::Solution(const VertexSet& leaf)
    : content(nullptr), leftArgument(nullptr), rightArgument(nullptr), operation(NewLeaf),
      parameterKind(0), pendingParents(0) {
  setParameter(leaf);
}

Solution::Solution(Solution* child, const VertexSet& added)
    : content(nullptr), leftArgument(child), rightArgument(nullptr), operation(Add),
      parameterKind(0), pendingParents(0) {
  setParameter(added);
}

Solution::Solution(Solution* child, Vertex added)
    : content(nullptr), leftArgument(child), parameterVertex(added), operation(Add),
      parameterKind(1), pendingParents(0) {}

Solution::Solution(Operation op, Solution* left, Solution* right)
    : content(nullptr), leftArgument(left), rightArgument(right),
      operation(static_cast<std::uint8_t>(op)), parameterKind(0), pendingParents(0) {
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

void Solution::evaluateLocally(const Instantiator* inst) {
  switch (operation) {
    case CrossJoin:
      content = leftArgument->content->calculateCrossJoin(rightArgument->content);
      break;
    case Union:
      content = leftArgument->content->calculateUnion(rightArgument->content);
      break;
    case Add:
      content = leftArgument->content->calculateAdd(getParameter());
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
  if (pendingParents == 0 || --pendingParents > 0) return;
  delete content;
  content = nullptr;
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
  // a node is computed once both operands hold contents. The explicit stack
  // keeps arbitrarily deep expressions off the call stack.
  pending.push_back(this);
  while (!pending.empty()) {
    Solution* node = pending.back();
    if (node->operation > 5) _printError(273, kSourceFile, "0");
    if (node->content) {
      pending.pop_back();
      continue;
    }
    if (node->hasLeftArgument()) {
      if (!node->leftArgument->content) {
        pending.push_back(node->leftArgument);
        continue;
      }
      if (node->hasRightArgument() && !node->rightArgument->content) {
        pending.push_back(node->rightArgument);
        continue;
      }
    }
    node->evaluateLocally(inst);
    if (node->hasLeftArgument()) {
      node->leftArgument->consumed();
      if (node->hasRightArgument()) node->rightArgument->consumed();
    }
    pending.pop_back();
  }
  return content;
}

// ---------------------------------------------------------------------------
// Enumeration

EnumerationSolutionContent::EnumerationSolutionContent() {}

EnumerationSolutionContent::EnumerationSolutionContent(const VertexSet& vertices) {
  enumerations.insert(vertices);
}

EnumerationSolutionContent::~EnumerationSolutionContent() {}

SolutionContent* EnumerationSolutionContent::calculateUnion(SolutionContent* other) {
  auto* result = new EnumerationSolutionContent();
  result->enumerations = enumerations;
  const auto& theirs = static_cast<EnumerationSolutionContent*>(other)->enumerations;
  result->enumerations.insert(theirs.begin(), theirs.end());
  return result;
}

SolutionContent* EnumerationSolutionContent::calculateCrossJoin(SolutionContent* other) {
  auto* result = new EnumerationSolutionContent();
  const auto& theirs = static_cast<EnumerationSolutionContent*>(other)->enumerations;
  for (const VertexSet& mine : enumerations) {
    for (const VertexSet& their : theirs) {
      VertexSet joined = mine;
      joined.insert(their.begin(), their.end());
      result->enumerations.insert(std::move(joined));
    }
  }
  return result;
}

SolutionContent* EnumerationSolutionContent::calculateAdd(const VertexSet& vertices) {
  auto* result = new EnumerationSolutionContent();
  for (const VertexSet& mine : enumerations) {
    VertexSet extended = mine;
    extended.insert(vertices.begin(), vertices.end());
    result->enumerations.insert(std::move(extended));
  }
  return result;
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
  result->count = count * static_cast<CountingSolutionContent*>(other)->count;
  return result;
}

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

Solution* AbstractHTDAlgorithm::evaluate(const ExtendedHypertree* tree, Instantiator* instantiator) {
  inst = instantiator;
  const ExtendedHypertree* root = prepareHypertreeDecomposition(tree);
  // A prepared copy belongs to this run alone: the bottom-up walk deletes its
  // nodes as soon as their parent's rule has consumed them.
  releaseConsumedNodes = bottomUpWalk && root != tree;
  TupleSet* table = bottomUpWalk ? evaluateBottomUp(root) : evaluateNode(root);
  Solution* result = selectSolution(table, root);
  if (releaseConsumedNodes) delete root;
  releaseConsumedNodes = false;
  return result;
}

TupleSet* AbstractHTDAlgorithm::evaluateBottomUp(const ExtendedHypertree* root) {
  // Post-order walk with an explicit stack. Each node's rule runs once all its
  // children's tables are finished, in the order the rules' own recursion
  // would finish them (first child's subtree before the second's). While a
  // rule runs, the entries of `finished` from its frame's base on are exactly
  // its children's tables, in child order.
  struct Frame {
    const ExtendedHypertree* node;
    std::list<Hypertree*>::const_iterator next;  // next child to descend into
    std::size_t base;                            // size of `finished` on entry
  };
  std::vector<Frame> frames;
  const auto enter = [&](const ExtendedHypertree* node) {
    auto* children = const_cast<ExtendedHypertree*>(node)->getChildren();
    frames.push_back(Frame{node, children->cbegin(), finished.size()});
  };

  finished.clear();
  enter(root);
  TupleSet* rootTable = nullptr;
  while (!frames.empty()) {
    Frame& frame = frames.back();
    auto* children = const_cast<ExtendedHypertree*>(frame.node)->getChildren();
    if (frame.next != children->cend()) {
      auto* child = dynamic_cast<const ExtendedHypertree*>(*frame.next);
      ++frame.next;
      if (child) enter(child);
      continue;
    }
    const ExtendedHypertree* node = frame.node;
    const std::size_t base = frame.base;
    std::size_t savedBase = finishedBase;
    finishedBase = base;
    TupleSet* table = evaluateNode(node);
    finishedBase = savedBase;
    // Tables a rule did not take are not needed by anyone else.
    finished.resize(base);
    if (releaseConsumedNodes) {
      // The children's tables are consumed, and so are the children: their
      // own children went when they were evaluated.
      auto* parent = const_cast<ExtendedHypertree*>(node);
      std::vector<Hypertree*> consumed(parent->getChildren()->begin(), parent->getChildren()->end());
      parent->remChildren();
      for (Hypertree* child : consumed) delete child;
    }
    frames.pop_back();
    if (frames.empty())
      rootTable = table;
    else
      finished.emplace_back(node, table);
  }
  finished.clear();
  finished.shrink_to_fit();
  finishedBase = 0;
  return rootTable;
}

TupleSet* AbstractHTDAlgorithm::takeFinishedTable(const ExtendedHypertree* node) {
  for (std::size_t i = finishedBase; i < finished.size(); ++i) {
    if (finished[i].first == node && finished[i].second) {
      TupleSet* table = finished[i].second;
      finished[i].second = nullptr;
      return table;
    }
  }
  return nullptr;
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
    : AbstractHTDAlgorithm(problem) {
  bottomUpWalk = true;
}

AbstractSemiNormalizedHTDAlgorithm::~AbstractSemiNormalizedHTDAlgorithm() {}

const ExtendedHypertree* AbstractSemiNormalizedHTDAlgorithm::prepareHypertreeDecomposition(
    const ExtendedHypertree* root) {
  return root->normalize(SemiNormalization);
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
  return root->normalize(DefaultNormalization);
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
