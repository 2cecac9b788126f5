// Graph shapes and measurements shared by the benchmarks.
#pragma once

#include <sys/resource.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "kivra/Hyperedge.h"
#include "kivra/Hypergraph.h"
#include "kivra/Node.h"

namespace zelkovant_bench {

using EdgeList = std::vector<std::pair<int, int>>;

// Vertices 0..n-1 (IDs 1..n) and one two-vertex hyperedge per pair, linked the
// way the solver's graph builder links them.
inline kivra::Hypergraph* buildGraph(int n, const EdgeList& Edges) {
  auto* G = new kivra::Hypergraph;
  G->MyNodes.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) G->MyNodes.push_back(new kivra::Node(i + 1, i + 1));
  int k = 0;
  for (auto [a, b] : Edges) {
    auto* E = new kivra::Hyperedge(k, k);
    ++k;
    G->MyEdges.push_back(E);
    kivra::Node* A = G->MyNodes[static_cast<std::size_t>(a)];
    kivra::Node* B = G->MyNodes[static_cast<std::size_t>(b)];
    A->insEdge(E);
    B->insEdge(E);
    E->insNode(A);
    E->insNode(B);
  }
  G->iMyMaxNbrOfNodes = n;
  G->iMyMaxNbrOfEdges = k;
  G->updateNeighbourhood();
  return G;
}

// A grid of width 5 over vertices 0..n-1, column by column.
inline EdgeList gridEdges(int n) {
  const int iWidth = 5;
  EdgeList Edges;
  for (int v = 0; v < n; ++v) {
    if (v % iWidth + 1 < iWidth && v + 1 < n) Edges.emplace_back(v, v + 1);
    if (v + iWidth < n) Edges.emplace_back(v, v + iWidth);
  }
  return Edges;
}

// Vertex 0 joined to every other vertex.
inline EdgeList starEdges(int n) {
  EdgeList Edges;
  for (int v = 1; v < n; ++v) Edges.emplace_back(0, v);
  return Edges;
}

// The process's maximum resident set so far, in megabytes (it only grows).
inline double peakMegabytes() {
  rusage Usage{};
  getrusage(RUSAGE_SELF, &Usage);
  return static_cast<double>(Usage.ru_maxrss) / 1024.0;
}

}  // namespace zelkovant_bench
