// Typed tree decomposition and its normalizations.
//
// Normalization rebuilds a converted decomposition bottom-up. Every node X
// (bag V) becomes a new node R; a leaf stays a Leaf; a single child is linked
// to R either as one Permutation step (semi-normalized form) or through a
// chain of one-vertex Introduction and Removal nodes (default and strong
// forms, built by adapt); several children are joined pairwise into Branch
// nodes whose two children carry exactly the Branch node's bag. All walks
// over a tree use explicit stacks, so paths hundreds of thousands of nodes
// long are handled without deep recursion.
#include "kivra/ExtendedHypertree.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <list>
#include <utility>
#include <vector>

#include "kivra/BlockPool.h"
#include "kivra/Node.h"
#include "kivra/support.h"
#include "kivra/TreeWalk.h"

namespace kivra {

using treewalk::preOrder;

namespace {

constexpr const char* kSourceFile = "./htree/ExtendedHypertree.cpp";

VertexList difference(const VertexList& a, const VertexList& b) {
  VertexList result;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(result));
  return result;
}

unsigned int chiWidth(const Hypertree* node) {
  return static_cast<unsigned int>(node->getChi()->size());
}

bool isBranch(const Hypertree* node) {
  const auto* typed = dynamic_cast<const ExtendedHypertree*>(node);
  return typed && typed->getType() == Branch;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction and conversion

ExtendedHypertree::ExtendedHypertree(const VertexSet& bag) : type(General), vertices(bag) {}

ExtendedHypertree::ExtendedHypertree(VertexList bag) : type(General), vertices(std::move(bag)) {}

ExtendedHypertree::ExtendedHypertree(Hypertree* source) : type(General) {
  if (!source) return;
  setParent(source->getParent());

  // The converted tree replaces the library tree of a root. Its shape and
  // bags are first taken down in pre-order (per node: the number of
  // children, the bag's size, the bag), a small fraction of the library
  // tree's size, and each node of a root's tree goes once taken down (its
  // parent went before it, its children follow); the typed nodes are made
  // only then, so that they take the place of the memory the library tree
  // leaves, in the order the walks over the typed tree read them.
  const bool release = isRoot();
  std::vector<std::uint32_t> outline;
  visitFetchingAhead(preOrder(source), [&outline, release](Hypertree* node) {
    outline.push_back(static_cast<std::uint32_t>(node->getChildren()->size()));
    const std::size_t at = outline.size();
    outline.push_back(0);
    for (Node* vertex : *node->getChi()) outline.push_back(static_cast<std::uint32_t>(vertex->getName()));
    std::sort(outline.begin() + static_cast<std::ptrdiff_t>(at) + 1, outline.end());
    outline.erase(std::unique(outline.begin() + static_cast<std::ptrdiff_t>(at) + 1, outline.end()), outline.end());
    outline[at] = static_cast<std::uint32_t>(outline.size() - at - 1);
    if (release) {
      node->getChildren()->clear();
      delete node;
    }
  });

  std::size_t at = 0;
  auto next = [&outline, &at](std::uint32_t& children) {
    children = outline[at];
    const auto first = outline.begin() + static_cast<std::ptrdiff_t>(at) + 2;
    const auto last = first + outline[at + 1];
    at += 2 + outline[at + 1];
    VertexList bag;
    bag.assign(first, last);
    return bag;
  };
  // Each typed node with the number of its children still to be made.
  std::vector<std::pair<ExtendedHypertree*, std::uint32_t>> stack(1, {this, 0});
  vertices = next(stack.back().second);
  while (!stack.empty()) {
    auto& [parent, left] = stack.back();
    if (left == 0) {
      stack.pop_back();
      continue;
    }
    --left;
    std::uint32_t children = 0;
    auto* typed = new ExtendedHypertree(next(children));
    parent->insChild(typed, true);
    if (children > 0) stack.emplace_back(typed, children);
  }
}

// The base destructor deletes the subtree below, without allocating.
ExtendedHypertree::~ExtendedHypertree() = default;

void* ExtendedHypertree::operator new(std::size_t size) {
  if (size != sizeof(ExtendedHypertree)) return ::operator new(size);
  return BlockPool<sizeof(ExtendedHypertree), alignof(ExtendedHypertree), true>::take();
}

void ExtendedHypertree::operator delete(void* node, std::size_t size) {
  if (!node) return;
  if (size != sizeof(ExtendedHypertree)) {
    ::operator delete(node);
    return;
  }
  BlockPool<sizeof(ExtendedHypertree), alignof(ExtendedHypertree), true>::give(node);
}

const VertexList ExtendedHypertree::kNoVertices;

void ExtendedHypertree::setIntroduced(VertexList list) {
  if (!differences && list.empty()) return;
  if (!differences) differences = std::make_unique<Differences>();
  differences->introduced = std::move(list);
}

void ExtendedHypertree::setRemoved(VertexList list) {
  if (!differences && list.empty()) return;
  if (!differences) differences = std::make_unique<Differences>();
  differences->removed = std::move(list);
}

// ---------------------------------------------------------------------------
// Accessors

Vertex ExtendedHypertree::getDifference() const {
  if (!differences) return 0;
  if (!differences->introduced.empty()) return *differences->introduced.begin();
  if (!differences->removed.empty()) return *differences->removed.begin();
  return 0;
}

ExtendedHypertree* ExtendedHypertree::parent() const {
  return typed(getParent());
}

ExtendedHypertree* ExtendedHypertree::childAt(unsigned int index) const {
  const auto* children = getChildren();
  if (children->size() <= index) return nullptr;
  return typed(*std::next(children->begin(), index));
}

ExtendedHypertree* ExtendedHypertree::firstChild() const { return childAt(0); }

ExtendedHypertree* ExtendedHypertree::secondChild() const { return childAt(1); }

unsigned int ExtendedHypertree::getNumberOfJoinNodes() {
  unsigned int count = 0;
  std::vector<Hypertree*> stack{this};
  while (!stack.empty()) {
    Hypertree* node = stack.back();
    stack.pop_back();
    auto* typed = dynamic_cast<ExtendedHypertree*>(node);
    if (!typed) {
      // A library node below counts by its own rule.
      count += node->getNumberOfJoinNodes();
      continue;
    }
    if (typed->type == Branch) ++count;
    for (Hypertree* child : *typed->getChildren()) stack.push_back(child);
  }
  return count;
}

// ---------------------------------------------------------------------------
// Normalization

ExtendedHypertree* ExtendedHypertree::normalize(NormalizationType normalization) const {
  // Bottom-up: a node is normalized once all its children are.
  return treewalk::fold<ExtendedHypertree*>(
      this, [normalization](const ExtendedHypertree* node, std::vector<ExtendedHypertree*>& normalizedChildren) {
        return node->normalizeNode(normalization, normalizedChildren);
      });
}

ExtendedHypertree* ExtendedHypertree::normalizeNode(
    NormalizationType normalization, std::vector<ExtendedHypertree*>& normalizedChildren) const {
  const VertexList& bag = vertices;
  auto* result = new ExtendedHypertree(bag);

  if (normalizedChildren.empty()) {
    switch (normalization) {
      case DefaultNormalization:
      case NoNormalization:
        result->type = Leaf;
        break;
      case SemiNormalization:
        result->type = Leaf;
        result->setIntroduced(bag);
        break;
      case StrongNormalization: {
        auto* emptyLeaf = new ExtendedHypertree(VertexList());
        emptyLeaf->type = Leaf;
        if (bag.empty()) {
          // Nothing to introduce: the empty leaf itself stands for the node.
          delete result;
          return emptyLeaf;
        }
        result->insChild(emptyLeaf, true);
        emptyLeaf->adapt();
        break;
      }
      default:
        _printError(109, kSourceFile, "0");
    }
    return result;
  }

  if (normalizedChildren.size() == 1) {
    ExtendedHypertree* child = normalizedChildren.front();
    switch (normalization) {
      case SemiNormalization:
      case NoNormalization:
        result->insChild(child, true);
        result->type = Permutation;
        result->setIntroduced(difference(bag, child->vertices));
        result->setRemoved(difference(child->vertices, bag));
        break;
      case DefaultNormalization:
      case StrongNormalization:
        if (child->vertices == bag) {
          // A child with its parent's bag changes nothing: it stands for the
          // node itself, as when joined children end with the node's bag.
          delete result;
          return child;
        }
        result->insChild(child, true);
        child->adapt();
        break;
      default:
        _printError(134, kSourceFile, "0");
    }
    return result;
  }

  if (normalization == NoNormalization) {
    for (ExtendedHypertree* child : normalizedChildren) result->insChild(child, true);
    return result;
  }

  // Join pairwise from the front until one tree is left; an odd last tree is
  // carried over to the next round.
  std::vector<ExtendedHypertree*> round = std::move(normalizedChildren);
  std::vector<ExtendedHypertree*> next;
  while (round.size() > 1) {
    next.clear();
    for (std::size_t i = 0; i + 1 < round.size(); i += 2)
      next.push_back(createNormalizedJoinNode(round[i], round[i + 1], bag, normalization));
    if (round.size() % 2 == 1) next.push_back(round.back());
    std::swap(round, next);
  }
  ExtendedHypertree* joined = round.front();

  if (joined->vertices == bag) {
    delete result;
    return joined;
  }
  result->insChild(joined, true);
  switch (normalization) {
    case SemiNormalization:
      result->type = Permutation;
      result->setIntroduced(difference(bag, joined->vertices));
      result->setRemoved(difference(joined->vertices, bag));
      break;
    case DefaultNormalization:
    case StrongNormalization:
      joined->adapt();
      break;
    default:
      _printError(192, kSourceFile, "0");
  }
  return result;
}

ExtendedHypertree* ExtendedHypertree::createNormalizedJoinNode(
    ExtendedHypertree* left, ExtendedHypertree* right, const VertexList& top,
    NormalizationType normalization) const {
  // The members of `top` in either operand's bag.
  VertexList bag;
  for (Vertex v : top)
    if (left->vertices.contains(v) || right->vertices.contains(v)) bag.push_back(v);

  auto* join = new ExtendedHypertree(bag);
  join->type = Branch;
  const ExtendedHypertree* operands[2] = {left, right};
  const int failureLines[2] = {240, 269};
  for (int side = 0; side < 2; ++side) {
    auto* operand = const_cast<ExtendedHypertree*>(operands[side]);
    if (operand->vertices == bag) {
      join->insChild(operand, true);
      continue;
    }
    auto* middle = new ExtendedHypertree(bag);
    join->insChild(middle, true);
    middle->insChild(operand, true);
    switch (normalization) {
      case SemiNormalization:
        middle->type = Permutation;
        middle->setIntroduced(difference(bag, operand->vertices));
        middle->setRemoved(difference(operand->vertices, bag));
        break;
      case DefaultNormalization:
      case StrongNormalization:
        operand->adapt();
        break;
      default:
        _printError(failureLines[side], kSourceFile, "0");
    }
  }
  return join;
}

void ExtendedHypertree::adapt() {
  ExtendedHypertree* above = parent();
  if (!above) return;
  const VertexList toIntroduce = difference(above->vertices, vertices);
  const VertexList toRemove = difference(vertices, above->vertices);
  std::size_t steps = toIntroduce.size() + toRemove.size();
  // Equal bags need no step; normalization never links such a pair here.
  if (steps == 0) return;

  // Going down from the parent: first the vertices to introduce drop out of
  // the bag one by one (ascending), then the vertices to remove join it.
  VertexList bag = above->vertices;
  bool stopped = steps < 2;
  for (auto it = toIntroduce.begin(); !stopped && it != toIntroduce.end(); ++it) {
    bag.erase(std::lower_bound(bag.begin(), bag.end(), *it));
    createChild(this, bag, *it, Introduction);
    stopped = --steps < 2;
  }
  for (auto it = toRemove.begin(); !stopped && it != toRemove.end(); ++it) {
    bag.insert(std::lower_bound(bag.begin(), bag.end(), *it), *it);
    createChild(this, bag, *it, Removal);
    stopped = --steps < 2;
  }

  // The node directly above this one takes the last step.
  ExtendedHypertree* last = parent();
  if (!toRemove.empty()) {
    last->type = Removal;
    last->setRemoved(VertexList{*toRemove.rbegin()});
  } else {
    last->type = Introduction;
    last->setIntroduced(VertexList{*toIntroduce.rbegin()});
  }
}

ExtendedHypertree* ExtendedHypertree::createChild(ExtendedHypertree* child, const VertexList& bag,
                                                  Vertex difference, TreeNodeType type) {
  ExtendedHypertree* above = child->parent();
  auto* inserted = new ExtendedHypertree(bag);
  above->remChild(child);
  inserted->insChild(child, true);
  above->insChild(inserted, true);
  above->type = type;
  if (type == Introduction)
    above->setIntroduced(VertexList{difference});
  else
    above->setRemoved(VertexList{difference});
  return child;
}

// ---------------------------------------------------------------------------
// Statistics

unsigned int ExtendedHypertree::getWidthSum() {
  unsigned int sum = 0;
  for (Hypertree* node : preOrder(this)) sum += chiWidth(node);
  return sum;
}

unsigned int ExtendedHypertree::getJoinNodeWidthSum() {
  unsigned int sum = 0;
  for (Hypertree* node : preOrder(this))
    if (isBranch(node)) sum += chiWidth(node);
  return sum;
}

unsigned int ExtendedHypertree::getNodeCountWithWidth(unsigned int width) {
  unsigned int count = 0;
  for (Hypertree* node : preOrder(this))
    if (chiWidth(node) == width) ++count;
  return count;
}

double ExtendedHypertree::getAverageWidth() {
  return static_cast<double>(getWidthSum()) / static_cast<double>(preOrder(this).size());
}

double ExtendedHypertree::getAverageJoinNodeWidth() {
  unsigned int joins = getNumberOfJoinNodes();
  if (joins == 0) return 0;
  return static_cast<double>(getJoinNodeWidthSum()) / static_cast<double>(joins);
}

double ExtendedHypertree::getJoinNodePercentage() {
  return static_cast<double>(getNumberOfJoinNodes()) / static_cast<double>(preOrder(this).size());
}

namespace {

// Distance to the nearest Leaf of every node of a pre-order sequence: 0 at a
// Leaf, 1 + the smaller of the two children's at a Branch, the first child's
// elsewhere (0 for a node without a child). In pre-order a node's first child
// directly follows it and its second child follows the first child's subtree,
// so a reverse sweep with subtree sizes finds both.
std::vector<unsigned int> leafDistances(const std::vector<Hypertree*>& order) {
  std::vector<unsigned int> distance(order.size(), 0);
  std::vector<std::size_t> subtreeSize(order.size(), 1);
  for (std::size_t i = order.size(); i-- > 0;) {
    Hypertree* node = order[i];
    std::size_t childIndex = i + 1;
    unsigned int first = 0;
    unsigned int second = 0;
    std::size_t seen = node->getChildren()->size();
    for (std::size_t c = 0; c < seen; ++c) {
      if (c == 0) first = distance[childIndex];
      if (c == 1) second = distance[childIndex];
      subtreeSize[i] += subtreeSize[childIndex];
      childIndex += subtreeSize[childIndex];
    }
    const auto* typed = dynamic_cast<const ExtendedHypertree*>(node);
    TreeNodeType kind = typed ? typed->getType() : General;
    if (kind == Leaf)
      distance[i] = 0;
    else if (kind == Branch)
      distance[i] = 1 + (seen >= 2 ? std::min(first, second) : first);
    else
      distance[i] = first;
  }
  return distance;
}

}  // namespace

unsigned int ExtendedHypertree::getDistanceToNearestLeaf() {
  return leafDistances(preOrder(this)).front();
}

unsigned int ExtendedHypertree::getJoinLeafDistanceSum() {
  std::vector<Hypertree*> order = preOrder(this);
  std::vector<unsigned int> distance = leafDistances(order);
  unsigned int sum = 0;
  for (std::size_t i = 0; i < order.size(); ++i)
    if (isBranch(order[i])) sum += distance[i];
  return sum;
}

double ExtendedHypertree::getAverageJoinLeafDistance() {
  return static_cast<double>(getJoinLeafDistanceSum()) /
         static_cast<double>(getNumberOfJoinNodes());
}

unsigned int ExtendedHypertree::getDistanceToNearestJoinAncestor() {
  unsigned int steps = 0;
  for (ExtendedHypertree* above = parent(); above; above = above->parent()) {
    ++steps;
    if (above->type == Branch) return steps;
  }
  return 0;
}

unsigned int ExtendedHypertree::getJoinJoinDistanceSum() {
  // Top-down: a node's distance follows from its parent's, so one pass does.
  struct Item {
    Hypertree* node;
    unsigned int distance;  // steps up to the nearest Branch ancestor, 0 if none
  };
  unsigned int sum = 0;
  std::vector<Item> stack{{this, getDistanceToNearestJoinAncestor()}};
  while (!stack.empty()) {
    Item item = stack.back();
    stack.pop_back();
    bool branch = isBranch(item.node);
    if (branch) sum += item.distance;
    unsigned int below = branch ? 1 : (item.distance > 0 ? item.distance + 1 : 0);
    for (Hypertree* child : *item.node->getChildren()) stack.push_back({child, below});
  }
  return sum;
}

double ExtendedHypertree::getAverageJoinJoinDistance() {
  unsigned int joins = getNumberOfJoinNodes();
  if (joins < 2) return 0;
  return static_cast<double>(getJoinJoinDistanceSum()) / static_cast<double>(joins - 1);
}

}  // namespace kivra
