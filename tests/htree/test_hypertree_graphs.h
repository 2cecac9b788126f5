// Hypergraph builders and an independent decomposition checker shared by the
// library tests (which take their standard headers from here too).
#pragma once

#include <algorithm>
#include <functional>
#include <new>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "kivra/Hypergraph.h"
#include "kivra/Hypertree.h"

namespace decomposition_test {

using kivra::ChiSet;
using kivra::Hyperedge;
using kivra::Hypergraph;
using kivra::Hypertree;
using kivra::LambdaSet;
using kivra::Node;
using EdgeList = std::vector<std::vector<int>>;

// Where buildGraph makes the k-th node or hyperedge (counted from 0); by
// default the heap gives the memory.
using Placement = std::function<void*(std::size_t)>;

// Nodes with IDs (and names) 1..n in stored order; hyperedge k has ID k and
// holds the listed nodes in order (a node listed twice is held twice, and
// holds the hyperedge twice). Neighbourhoods are computed as the graph
// builder does.
inline Hypergraph* buildGraph(int n, const EdgeList& Edges, const Placement& NodeAt = {},
                              const Placement& EdgeAt = {}) {
  Hypergraph* G = new Hypergraph;
  for (int i = 1; i <= n; ++i)
    G->MyNodes.push_back(NodeAt ? new (NodeAt(static_cast<std::size_t>(i - 1))) Node(i, i) : new Node(i, i));
  for (const auto& Members : Edges) {
    const int k = static_cast<int>(G->MyEdges.size());
    Hyperedge* E = EdgeAt ? new (EdgeAt(static_cast<std::size_t>(k))) Hyperedge(k, k) : new Hyperedge(k, k);
    G->MyEdges.push_back(E);
    for (int v : Members) G->MyNodes[static_cast<size_t>(v - 1)]->insEdge(E);
    for (int v : Members) E->insNode(G->MyNodes[static_cast<size_t>(v - 1)]);
  }
  for (Node* V : G->MyNodes) V->updateNeighbourhood();
  for (Hyperedge* E : G->MyEdges) E->updateNeighbourhood();
  G->iMyMaxNbrOfNodes = n;
  G->iMyMaxNbrOfEdges = static_cast<int>(Edges.size());
  return G;
}

inline EdgeList pathEdges(int n) {
  EdgeList Edges;
  for (int i = 1; i < n; ++i) Edges.push_back({i, i + 1});
  return Edges;
}

inline EdgeList gridEdges(int iWidth, int iLength) {
  EdgeList Edges;
  auto id = [iWidth](int c, int r) { return c * iWidth + r + 1; };
  for (int c = 0; c < iLength; ++c)
    for (int r = 0; r < iWidth; ++r) {
      if (r + 1 < iWidth) Edges.push_back({id(c, r), id(c, r + 1)});
      if (c + 1 < iLength) Edges.push_back({id(c, r), id(c + 1, r)});
    }
  return Edges;
}

// Centre 1, leaves 2..n.
inline EdgeList starEdges(int n) {
  EdgeList Edges;
  for (int i = 2; i <= n; ++i) Edges.push_back({1, i});
  return Edges;
}

inline EdgeList randomEdges(int n, int m, unsigned seed) {
  std::mt19937 Rng(seed);
  EdgeList Edges;
  for (int k = 0; k < m; ++k) Edges.push_back({static_cast<int>(Rng() % n) + 1, static_cast<int>(Rng() % n) + 1});
  return Edges;
}

// m hyperedges of one to four members drawn with repetition: self-loops,
// repeated members and genuine hyperedges.
inline EdgeList randomHyperedges(std::mt19937& Rng, int n, int m) {
  EdgeList Edges(static_cast<size_t>(m));
  for (auto& Members : Edges)
    for (unsigned j = 0, iSize = 1 + Rng() % 4; j < iSize; ++j) Members.push_back(1 + static_cast<int>(Rng() % n));
  return Edges;
}

// The nodes of a tree in pre-order, walked iteratively.
inline std::vector<Hypertree*> treeNodes(Hypertree* Root) {
  std::vector<Hypertree*> Order, Stack{Root};
  while (!Stack.empty()) {
    Hypertree* T = Stack.back();
    Stack.pop_back();
    Order.push_back(T);
    for (auto It = T->getChildren()->rbegin(); It != T->getChildren()->rend(); ++It) Stack.push_back(*It);
  }
  return Order;
}

inline std::vector<int> idsOf(const ChiSet& Bag) {
  std::vector<int> Ids;
  for (Node* V : Bag) Ids.push_back(V->getID());
  std::sort(Ids.begin(), Ids.end());
  return Ids;
}

// Bags in pre-order as sorted ID lists: a canonical picture of a tree.
inline EdgeList bagsOf(Hypertree* Root) {
  EdgeList Bags;
  for (Hypertree* T : treeNodes(Root)) Bags.push_back(idsOf(*T->getChi()));
  return Bags;
}

// Empty when Root is a tree decomposition of G whose every bag is covered by
// its own lambda; otherwise a description of the first violation. Shares no
// code with the library.
inline std::string checkDecomposition(Hypertree* Root, Hypergraph* G) {
  std::vector<Hypertree*> Nodes = treeNodes(Root);
  if (std::set<Hypertree*>(Nodes.begin(), Nodes.end()).size() != Nodes.size()) return "a tree node is reachable twice";
  if (Root->getParent() != nullptr) return "the root has a parent";
  std::unordered_map<Node*, std::vector<Hypertree*>> Holders;
  for (Hypertree* T : Nodes) {
    for (Hypertree* C : *T->getChildren())
      if (C->getParent() != T) return "a child does not point back to its parent";
    for (Node* V : *T->getChi()) Holders[V].push_back(T);
  }
  for (int i = 0; i < G->getNbrOfNodes(); ++i)
    if (Holders.count(G->getNode(i)) == 0) return "vertex " + std::to_string(G->getNode(i)->getID()) + " is in no bag";
  for (int j = 0; j < G->getNbrOfEdges(); ++j) {
    Hyperedge* E = G->getEdge(j);
    bool bInside = E->getNbrOfNodes() == 0;
    for (Hypertree* T : bInside ? std::vector<Hypertree*>{} : Holders[E->getNode(0)]) {
      bool bAll = true;
      for (int k = 0; k < E->getNbrOfNodes(); ++k) bAll = bAll && T->getChi()->count(E->getNode(k)) != 0;
      bInside = bInside || bAll;
    }
    if (!bInside) return "hyperedge " + std::to_string(E->getID()) + " lies in no bag";
  }
  // The bags holding a vertex are connected iff exactly one of them has a
  // parent without the vertex (or no parent).
  for (auto& [V, Bags] : Holders) {
    int iTops = 0;
    for (Hypertree* T : Bags) iTops += T->getParent() == nullptr || T->getParent()->getChi()->count(V) == 0;
    if (iTops != 1) return "the bags of vertex " + std::to_string(V->getID()) + " are not connected";
  }
  for (Hypertree* T : Nodes)
    for (Node* V : *T->getChi()) {
      bool bCovered = false;
      for (Hyperedge* E : *T->getLambda())
        for (int k = 0; k < E->getNbrOfNodes(); ++k) bCovered = bCovered || E->getNode(k) == V;
      if (!bCovered) return "vertex " + std::to_string(V->getID()) + " is not covered by its node's lambda";
    }
  return "";
}

}  // namespace decomposition_test
