// Typed tree decomposition: a hypertree node with a node kind, its bag as
// vertex ids and the vertices it introduces or removes relative to its child,
// plus the normalizations that turn a converted decomposition into a tree of
// a few fixed node kinds.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "kivra/Global.h"
#include "kivra/Hypertree.h"
#include "kivra/TreeWalk.h"

namespace kivra {

enum TreeNodeType : std::int32_t {
  General = 0,
  Leaf = 1,
  Branch = 2,
  Removal = 3,
  Introduction = 4,
  Permutation = 5
};

enum NormalizationType : std::int32_t {
  DefaultNormalization = 0,
  SemiNormalization = 1,
  StrongNormalization = 2,
  NoNormalization = 3
};

// The vertices of a bag, or of a bag's difference to its child, ascending and
// without repeats, in one array. A typed tree holds millions of these; an
// ordered set would cost a heap node per vertex. Reads like a VertexSet
// (iteration, size, count, comparison) and converts to one on request.
class VertexList : public std::vector<Vertex> {
 public:
  VertexList() = default;
  explicit VertexList(const VertexSet& set) : std::vector<Vertex>(set.begin(), set.end()) {}
  VertexList(std::initializer_list<Vertex> ids) : std::vector<Vertex>(ids) {
    std::sort(begin(), end());
    erase(std::unique(begin(), end()), end());
  }

  std::size_t count(Vertex v) const { return std::binary_search(begin(), end(), v) ? 1 : 0; }
  bool contains(Vertex v) const { return count(v) != 0; }
  explicit operator VertexSet() const { return VertexSet(begin(), end()); }

  friend bool operator==(const VertexList& a, const VertexList& b) {
    return static_cast<const std::vector<Vertex>&>(a) == static_cast<const std::vector<Vertex>&>(b);
  }
  friend bool operator==(const VertexList& a, const VertexSet& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
  }
};

// In a normalized tree: a Leaf has no child; a Branch has two children with
// exactly its bag; an Introduction (Removal) has one child whose bag lacks
// (has in addition) the one vertex of `introduced` (`removed`); a Permutation
// has one child, its bag being the child's less `removed` plus `introduced`.
// The base's chi and lambda sets stay empty: the bag lives in `vertices`.
class ExtendedHypertree : public Hypertree {
 public:
  // Converts a whole library tree (same shape and child order, bags as the
  // names of the chi nodes). Converting a root deletes the source tree.
  explicit ExtendedHypertree(Hypertree* source);
  // A parentless, childless General node with the given bag.
  explicit ExtendedHypertree(const VertexSet& bag);
  explicit ExtendedHypertree(VertexList bag);
  // Deletes the subtree below this node; allocates nothing.
  ~ExtendedHypertree() override;

  // Typed nodes come by the million: they are taken from a block pool,
  // without a general-purpose allocation's header and work each.
  static void* operator new(std::size_t size);
  static void operator delete(void* node, std::size_t size);

  TreeNodeType getType() const { return type; }
  const VertexList& getVertices() const { return vertices; }
  const VertexList& getIntroducedVertices() const { return differences ? differences->introduced : kNoVertices; }
  const VertexList& getRemovedVertices() const { return differences ? differences->removed : kNoVertices; }
  // The smallest introduced vertex, else the smallest removed one, else 0.
  Vertex getDifference() const;

  // isRoot() is the base's: true when the node has no parent.
  // Parent and children as typed nodes; null where there is none or it is
  // not a typed node.
  ExtendedHypertree* parent() const;
  ExtendedHypertree* firstChild() const;
  ExtendedHypertree* secondChild() const;

  // `node` as a typed node, or null where it is none. Typed trees consist of
  // typed nodes only, so the common case is settled by one type comparison.
  static ExtendedHypertree* typed(Hypertree* node) { return treewalk::as<ExtendedHypertree>(node); }
  static const ExtendedHypertree* typed(const Hypertree* node) { return typed(const_cast<Hypertree*>(node)); }

  // Number of Branch nodes in the subtree.
  unsigned int getNumberOfJoinNodes() override;

  // A new typed tree of the given form; this tree is left unchanged.
  ExtendedHypertree* normalize(NormalizationType normalization) const;
  // One step of normalize, for building the normalized tree bottom-up: the
  // normalized tree of this node given the normalized trees of its children
  // (in child order; the vector is consumed). The result has the children's
  // trees as its lowest parts, or is one of them.
  ExtendedHypertree* normalizeNode(NormalizationType normalization,
                                   std::vector<ExtendedHypertree*>& normalizedChildren) const;

  // Statistics over the subtree. A node's width is the size of the base's
  // chi set, which typed nodes leave empty.
  unsigned int getWidthSum();
  unsigned int getJoinNodeWidthSum();
  unsigned int getNodeCountWithWidth(unsigned int width);
  double getAverageWidth();
  double getAverageJoinNodeWidth();
  double getJoinNodePercentage();
  unsigned int getDistanceToNearestLeaf();
  unsigned int getJoinLeafDistanceSum();
  double getAverageJoinLeafDistance();
  unsigned int getDistanceToNearestJoinAncestor();
  unsigned int getJoinJoinDistanceSum();
  double getAverageJoinJoinDistance();

 private:
  ExtendedHypertree* createNormalizedJoinNode(ExtendedHypertree* left, ExtendedHypertree* right,
                                              const VertexList& top,
                                              NormalizationType normalization) const;
  // Inserts the chain of one-vertex Introduction and Removal nodes between
  // this node and its parent.
  void adapt();
  static ExtendedHypertree* createChild(ExtendedHypertree* child, const VertexList& bag,
                                        Vertex difference, TreeNodeType type);

  // The child list entry at `index` as a typed node, or null.
  ExtendedHypertree* childAt(unsigned int index) const;

  // The vertices introduced and removed relative to the child. Only nodes
  // of a normalized tree have them, and those come and go while the tree is
  // evaluated; the nodes of a converted tree, which live for the whole run,
  // keep a null pointer instead of two empty lists.
  struct Differences {
    VertexList introduced;
    VertexList removed;
  };
  static const VertexList kNoVertices;
  void setIntroduced(VertexList list);
  void setRemoved(VertexList list);

  TreeNodeType type;
  VertexList vertices;
  std::unique_ptr<Differences> differences;
};

}  // namespace kivra
