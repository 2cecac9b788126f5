// Typed tree decomposition: a hypertree node with a node kind, its bag as
// vertex ids and the vertices it introduces or removes relative to its child,
// plus the normalizations that turn a converted decomposition into a tree of
// a few fixed node kinds.
#pragma once

#include <cstdint>
#include <vector>

#include "kivra/Global.h"
#include "kivra/Hypertree.h"

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
  // Deletes the subtree below this node.
  ~ExtendedHypertree() override;

  TreeNodeType getType() const { return type; }
  const VertexSet& getVertices() const { return vertices; }
  const VertexSet& getIntroducedVertices() const { return introduced; }
  const VertexSet& getRemovedVertices() const { return removed; }
  // The smallest introduced vertex, else the smallest removed one, else 0.
  Vertex getDifference() const;

  // isRoot() is the base's: true when the node has no parent.
  // Parent and children as typed nodes; null where there is none or it is
  // not a typed node.
  ExtendedHypertree* parent() const;
  ExtendedHypertree* firstChild() const;
  ExtendedHypertree* secondChild() const;

  // Number of Branch nodes in the subtree.
  unsigned int getNumberOfJoinNodes() override;

  // A new typed tree of the given form; this tree is left unchanged.
  ExtendedHypertree* normalize(NormalizationType normalization) const;

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
  // Normalizes this single node given its children's normalized trees.
  ExtendedHypertree* normalizeNode(NormalizationType normalization,
                                   std::vector<ExtendedHypertree*>& normalizedChildren) const;
  ExtendedHypertree* createNormalizedJoinNode(ExtendedHypertree* left, ExtendedHypertree* right,
                                              const VertexSet& top,
                                              NormalizationType normalization) const;
  // Inserts the chain of one-vertex Introduction and Removal nodes between
  // this node and its parent.
  void adapt();
  static ExtendedHypertree* createChild(ExtendedHypertree* child, const VertexSet& bag,
                                        Vertex difference, TreeNodeType type);

  // The child list entry at `index` as a typed node, or null.
  ExtendedHypertree* childAt(unsigned int index) const;

  TreeNodeType type;
  VertexSet vertices;
  VertexSet introduced;
  VertexSet removed;
};

}  // namespace kivra
