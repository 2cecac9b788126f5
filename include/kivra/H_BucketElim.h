// Tree decomposition of a hypergraph by bucket elimination along a vertex
// elimination ordering.
#pragma once

#include <set>

#include "kivra/Hypertree.h"

namespace kivra {

class CompSet;
class Hypergraph;
class Hypertree;
class Node;

class H_BucketElim {
 public:
  H_BucketElim() = default;
  virtual ~H_BucketElim() = default;

  // Decomposes HGraph along the ordering of heuristic iHeuristic (1 stored
  // order, 2 minimum degree, 3 minimum fill, 4 maximum cardinality search;
  // any other code is fatal), the first preElim stored vertices eliminated
  // first where the heuristic supports it. bDual decomposes the dual
  // hypergraph as well and keeps the narrower result. The new tree is owned
  // by the caller and points into HGraph, which must outlive it. A hypergraph
  // without vertices yields a single node with an empty bag (tree width -1).
  Hypertree* buildHypertree(Hypergraph* HGraph, int iHeuristic, int preElim, bool bDual);
  // The same along a given ordering (position 0 eliminated last); VarOrder
  // stays the caller's.
  Hypertree* buildHypertree(Hypergraph* HGraph, Node** VarOrder, bool bDual);

 private:
  // The ordering of heuristic iHeuristic (see buildHypertree), owned by the
  // caller; an unknown code is fatal.
  Node** ordering(Hypergraph* HGraph, int iHeuristic, int preElim);
  void fillBuckets1(CompSet** Buckets, int iNbrOfBuckets, Node** VarOrder);
  void fillBuckets2(CompSet** Buckets, int iNbrOfBuckets, Node** VarOrder);
  // With bShrink (not in dual mode) every node is shrunk as soon as its
  // subtree is complete, which gives the tree shrink(false) would give, and
  // each bucket is deleted (and nulled) once its node is built.
  Hypertree* eliminateBuckets(CompSet** Buckets, int iNbrOfBuckets, Node** VarOrder, bool bDual, bool bShrink);
  void minimize(ChiSet* Chi, int iOrderPos, CompSet** Buckets, int iNbrOfBuckets);
  // Local improvements of an ordering by its decomposition's hypertree width;
  // they rearrange VarOrder in place.
  void improveOrderRand(Hypergraph* HGraph, Node** VarOrder, bool bDual);
  void improveOrderConf(Hypergraph* HGraph, Node** VarOrder, bool bDual);
};

}  // namespace kivra
