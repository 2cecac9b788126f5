// Tree decomposition of a plain graph (vertices and two-vertex edges given as
// lists) by bucket elimination along a minimum-degree ordering, without
// hypergraph or hypertree objects.
//
// The result is the tree H_BucketElim::buildHypertree(G, 2, 0, false) builds
// for the hypergraph G of the same lists (one node per vertex in list order,
// one hyperedge per pair in pair order), with the same random draws of the
// ordering: the same bags, the same shape and the same child order. Only the
// edge covers (lambda sets), which the solving road never reads, are not
// made, nor their draws.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "kivra/Global.h"

namespace kivra {

// A decomposition as flat arrays. Nodes are numbered in pre-order from the
// root (node 0); node k's bag is Bags[BagStart[k] .. BagStart[k + 1]) (vertex
// ids, ascending) and its children, in order, are
// Children[ChildStart[k] .. ChildStart[k + 1]).
struct GraphDecomposition {
  std::vector<std::uint32_t> BagStart;
  std::vector<Vertex> Bags;
  std::vector<std::uint32_t> ChildStart;
  std::vector<std::uint32_t> Children;

  std::size_t size() const { return BagStart.empty() ? 0 : BagStart.size() - 1; }
};

// The minimum-degree ordering (Hypergraph::getMIWOrder) of the graph on the
// indices 0..n-1 whose index i has the neighbours Adjacent[Start[i] ..
// Start[i + 1]) (repeats and i itself are ignored; every relation must be
// listed on both sides): Order[p] is the index at ordering position p,
// position n - 1 being eliminated first.
std::vector<std::uint32_t> minimumDegreeOrder(const std::vector<std::uint32_t>& Start,
                                              const std::vector<std::uint32_t>& Adjacent, int n, int preElim);

// The decomposition of the graph with the given vertices (ascending, no
// repeats) and edges (pairs of those vertices). Fatal when an edge names a
// vertex that is not listed.
GraphDecomposition decomposeGraph(const std::vector<Vertex>& Vertices,
                                  const std::vector<std::pair<Vertex, Vertex>>& Edges);

// The tree width of that decomposition (-1 without vertices), computed from
// the bag sizes alone, as H_BucketElim::getTreeWidth does.
int graphTreeWidth(const std::vector<Vertex>& Vertices, const std::vector<std::pair<Vertex, Vertex>>& Edges);

}  // namespace kivra
