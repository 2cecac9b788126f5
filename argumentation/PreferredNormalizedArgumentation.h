// Preferred extensions by dynamic programming over a normalized tree
// decomposition (leaf, introduction, removal and branch nodes).
//
// A row of the table of a node with bag B stands for the sets E of arguments
// of the node's subtree that are conflict-free and defeat every already
// removed argument that attacks them. It holds E's colouring of B and, as its
// certificates, the colourings of B of all strictly larger such sets, less
// those that another of them dominates (same In set, no weaker colour at any
// other position). Rows that a certificate of their own dominates can never
// be accepted and are left out. At the root a row is preferred when its
// colouring shows an admissible set (no undefeated attacker) and none of its
// certificates does.
#pragma once

#include <vector>

#include "BagAttacks.h"
#include "PreferredArgumentationTuple.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/Global.h"

class ArgumentationProblem;

class PreferredNormalizedArgumentationAlgorithm : public kivra::AbstractNormalizedHTDAlgorithm {
 public:
  // problem must be an ArgumentationProblem; it is not owned.
  explicit PreferredNormalizedArgumentationAlgorithm(kivra::Problem* problem);
  ~PreferredNormalizedArgumentationAlgorithm() override;

  // Colouring operations. A bag is read in ascending id order; colourings are
  // positional over it. The node rules apply the same operations to packed
  // colourings.

  // The bag arguments coloured In.
  kivra::VertexSet getInArgs(const kivra::VertexSet& bag, const BagColoring& coloring) const;
  // Every argument of the whole framework attacked by some member of set.
  kivra::VertexSet attackedBySet(const kivra::VertexSet& set, ArgumentationProblem* problem) const;
  // The colouring of bag (which holds introduced) obtained from childColoring,
  // a colouring of bag without introduced whose In set is inArgs, with the
  // introduced argument kept out of the set: Defeated when inArgs attacks it,
  // else Attacker when it attacks inArgs, else Out. In the last case, canBeIn
  // becomes true unless the argument attacks itself; it is never reset.
  BagColoring getIntroColorings(const kivra::VertexSet& inArgs, const BagColoring& childColoring,
                                kivra::Vertex introduced, bool& canBeIn, const kivra::VertexSet& bag) const;
  // The positionwise join of two colourings with equal In sets: Defeated
  // wins, In and Out survive only when both agree, anything else is Attacker.
  BagColoring getBranchColorings(const BagColoring& a, const BagColoring& b, const kivra::VertexSet& bag) const;
  // The joins of coloring with every member of certificates that has the same In set.
  CertificateSet getEqualInSets(const BagColoring& coloring, const CertificateSet& certificates,
                                const kivra::VertexSet& bag) const;
  // Every conflict-free subset of bag in ascending order of the bit mask whose
  // bit i selects the i-th smallest argument: {}, {b0}, {b1}, {b0,b1}, {b2}, ...
  // Bags of any size are enumerated; the work grows with the number of sets.
  std::vector<kivra::VertexSet> conflictFreeSets(const kivra::VertexSet& bag) const;
  // True iff every position coloured In in a is coloured In in b.
  bool isSubset(const BagColoring& a, const BagColoring& b) const;
  // True iff argument attacks some member of set.
  bool attCheck(const kivra::VertexSet& set, kivra::Vertex argument, ArgumentationProblem* problem) const;

 protected:
  // The union of the solutions of the admissible root rows none of whose
  // certificates is admissible. The root table stays the framework's, which
  // releases it once the solution is selected.
  kivra::Solution* selectSolution(kivra::TupleSet* tuples, const kivra::ExtendedHypertree* root) override;
  // Every node rule returns a new table owned by the caller and releases its
  // children's tables together with their rows.
  kivra::TupleSet* evaluateBranchNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateIntroductionNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateRemovalNode(const kivra::ExtendedHypertree* node) override;
  kivra::TupleSet* evaluateLeafNode(const kivra::ExtendedHypertree* node) override;

  ArgumentationProblem* argumentationProblem;

 private:
  // True iff a attacks b.
  bool attacks(kivra::Vertex a, kivra::Vertex b) const;
  // The attacks within the bag of the leaf being evaluated; one for all
  // leaves, so that its storage is reused.
  BagAttacks bagAttacks;
  // Adds (row, solution) to table through addToTupleSet with Union: a row
  // equal to one already there takes its place with the union of both
  // solutions, and the displaced row is deleted.
  void addRow(PreferredArgumentationTuple* row, kivra::Solution* solution, kivra::TupleSet* table);
};
