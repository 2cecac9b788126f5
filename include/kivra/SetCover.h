// Greedy set cover: a small set of hyperedges that together contain every
// vertex of a given vertex set.
#pragma once

namespace kivra {

class CompSet;
class Node;

// Runs two greedy rules (most uncovered vertices; heaviest weight of
// uncovered vertices, rare vertices weighing more), each once with a
// deterministic (smallest ID) and once with a random tie-break, and keeps the
// first of the smallest results. Overwrites the labels of the vertices and
// hyperedges involved.
class SetCover {
 public:
  SetCover() = default;
  virtual ~SetCover() = default;

  // A new set (owned by the caller) of hyperedges of HEdges covering every
  // vertex of Nodes, in their HEdges order. Fatal ("Covering not possible.")
  // when a vertex of Nodes lies in no hyperedge of HEdges.
  CompSet* cover(CompSet* Nodes, CompSet* HEdges);

 private:
  bool isCoverable(CompSet* Nodes, CompSet* HEdges);
  CompSet* NodeCover1(CompSet* Nodes, CompSet* HEdges, bool bDeterm);
  CompSet* NodeCover2(CompSet* Nodes, CompSet* HEdges, bool bDeterm);
  // Chooses the hyperedges a vertex is bound to because it is still
  // uncovered and lies in exactly one open hyperedge; returns their number
  // and lowers iUncovered by the vertices they cover.
  int chooseForcedEdges(CompSet* Nodes, int& iUncovered);
};

}  // namespace kivra
