// Vertex elimination orderings: worked examples, reproducibility, and the
// fast orderings checked against straightforward reference implementations
// (same candidate lists, same random draws) on many random hypergraphs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "kivra/Globals.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;
using kivra::random_range;
using kivra::sortPointers;

namespace {

// The IDs of an ordering, which is released.
std::vector<int> takeIds(Node** Order, int n) {
  std::vector<int> Ids;
  for (int i = 0; i < n; ++i) Ids.push_back(Order[i]->getID());
  EXPECT_EQ(Order[n], nullptr);
  delete[] Order;
  return Ids;
}

// Minimum degree / minimum fill the plain way: rescan all live vertices per
// step, candidate list in index order, one draw per step, co-sort by rank.
Node** referenceElimination(Hypergraph* G, int preElim, bool bFill) {
  const int n = G->getNbrOfNodes();
  std::vector<int> Rank(static_cast<size_t>(n));
  Node** Res = new Node*[static_cast<size_t>(n) + 1];
  std::vector<std::set<Node*>> Sets(static_cast<size_t>(n));
  std::vector<bool> Live(static_cast<size_t>(n), true);
  for (int i = 0; i < n; ++i) {
    Res[i] = G->getNode(i);
    Res[i]->setLabel(i);
    for (int j = 0; j < Res[i]->getNbrOfNeighbours(); ++j) Sets[static_cast<size_t>(i)].insert(Res[i]->getNeighbour(j));
  }
  Res[n] = nullptr;
  auto score = [&](int i) {
    const std::set<Node*>& S = Sets[static_cast<size_t>(i)];
    long long iScore = bFill ? 0 : static_cast<long long>(S.size());
    for (auto u = S.begin(); bFill && u != S.end(); ++u)
      for (auto w = std::next(u); w != S.end(); ++w) iScore += !Sets[static_cast<size_t>((*u)->getLabel())].count(*w);
    return iScore;
  };
  for (int s = 0; s < n; ++s) {
    int c = s;
    if (s >= preElim || bFill) {
      std::vector<int> Cand;
      long long iMin = 0;
      for (int i = 0; i < n; ++i) {
        if (!Live[static_cast<size_t>(i)]) continue;
        const long long iScore = score(i);
        if (Cand.empty() || iScore < iMin) Cand.clear(), iMin = iScore;
        if (iScore == iMin) Cand.push_back(i);
      }
      c = Cand[static_cast<size_t>(random_range(0, static_cast<int>(Cand.size()) - 1))];
    }
    for (Node* w : Sets[static_cast<size_t>(c)]) {
      std::set<Node*>& Sw = Sets[static_cast<size_t>(w->getLabel())];
      Sw.erase(G->getNode(c));
      for (Node* u : Sets[static_cast<size_t>(c)])
        if (u != w) Sw.insert(u);
    }
    Live[static_cast<size_t>(c)] = false;
    Rank[static_cast<size_t>(c)] = n - s;
  }
  sortPointers(reinterpret_cast<void**>(Res), Rank.data(), 0, n - 1);
  return Res;
}

Node** referenceMCS(Hypergraph* G) {
  const int n = G->getNbrOfNodes();
  std::vector<int> Rank(static_cast<size_t>(n));
  Node** Res = new Node*[static_cast<size_t>(n) + 1];
  for (int i = 0; i < n; ++i) (Res[i] = G->getNode(i))->setLabel(0);
  Res[n] = nullptr;
  for (int s = 0; s < n; ++s) {
    std::vector<int> Cand;
    int iBest = 0;
    for (int i = 0; i < n; ++i) {
      Node* v = G->getNode(i);
      if (v->getLabel() != 0) continue;
      int iScore = 0;
      for (int j = 0; j < v->getNbrOfNeighbours(); ++j) iScore += v->getNeighbour(j)->getLabel();
      if (Cand.empty() || iScore > iBest) Cand.clear(), iBest = iScore;
      if (iScore == iBest) Cand.push_back(i);
    }
    const int c = s == 0 ? rand() % n : Cand[static_cast<size_t>(random_range(0, static_cast<int>(Cand.size()) - 1))];
    G->getNode(c)->setLabel(1);
    Rank[static_cast<size_t>(c)] = s;
  }
  sortPointers(reinterpret_cast<void**>(Res), Rank.data(), 0, n - 1);
  return Res;
}

}  // namespace

TEST(Orderings, PathEndsGoFirstWithEqualChance) {
  // Path a-b-c: either end is eliminated first (last in the ordering); never b.
  Hypergraph* Path = buildGraph(3, pathEdges(3));
  std::map<int, int> First;
  for (unsigned seed = 1; seed <= 400; ++seed) {
    srand(seed);
    ++First[takeIds(Path->getMIWOrder(0), 3)[2]];
  }
  EXPECT_EQ(First.count(2), 0u);
  EXPECT_GT(First[1], 140);
  EXPECT_GT(First[3], 140);
  delete Path;
}

TEST(Orderings, SingleNodeAndEmptyGraph) {
  Hypergraph* One = buildGraph(1, {});
  Hypergraph Empty;
  for (Hypergraph* G : {One, &Empty})
    for (Node** Order :
         {G->getInputOrder(0), G->getMIWOrder(0), G->getMFOrder(0), G->getMCSOrder(0), G->getRandomOrder()})
      EXPECT_EQ(takeIds(Order, G->getNbrOfNodes()), std::vector<int>(G->getNbrOfNodes(), 1));
  delete One;
}

TEST(Orderings, FastOrderingsMatchReferences) {
  // Same ordering and same number of rand() draws as the references, on
  // random hypergraphs (self-loops, several parts), grids, stars and trees;
  // the larger cases leave the co-sort's insertion-sort range and make hub
  // neighbour sets switch to hashing.
  std::mt19937 Gen(101);
  std::vector<std::pair<int, EdgeList>> Cases;
  for (int t = 0; t < 240; ++t) {
    const int n = 1 + static_cast<int>(Gen() % 40), w = 1 + static_cast<int>(Gen() % 5);
    EdgeList Tree;
    for (int i = 2; i <= n; ++i) Tree.push_back({1 + static_cast<int>(Gen() % (i - 1)), i});
    if (t % 4 == 0) Cases.push_back({n, randomHyperedges(Gen, n, static_cast<int>(Gen() % (2 * n + 1)))});
    if (t % 4 == 1) Cases.push_back({w * (n % 8 + 1), gridEdges(w, n % 8 + 1)});
    if (t % 4 == 2) Cases.push_back({n, starEdges(n)});
    if (t % 4 == 3) Cases.push_back({n, Tree});
  }
  Cases.push_back({400, starEdges(400)});
  Cases.push_back({300, gridEdges(4, 75)});
  Cases.push_back({120, randomEdges(120, 500, 9)});
  for (size_t t = 0; t < Cases.size(); ++t) {
    const int n = Cases[t].first;
    Hypergraph* G = buildGraph(n, Cases[t].second);
    const int preElim = t % 5 == 0 ? static_cast<int>(t % 4) : 0;
    auto compare = [&](const char* cName, auto Fast, auto Reference) {
      srand(static_cast<unsigned>(t) + 1);
      std::vector<int> FastIds = takeIds(Fast(), n);
      const int iNext = rand();
      srand(static_cast<unsigned>(t) + 1);
      EXPECT_EQ(FastIds, takeIds(Reference(), n)) << cName << ", case " << t;
      EXPECT_EQ(iNext, rand()) << cName << " draws differ, case " << t;
    };
    compare("minimum degree", [&] { return G->getMIWOrder(preElim); },
            [&] { return referenceElimination(G, preElim, false); });
    compare("minimum fill", [&] { return G->getMFOrder(preElim); }, [&] { return referenceElimination(G, 0, true); });
    compare("maximum cardinality", [&] { return G->getMCSOrder(0); }, [&] { return referenceMCS(G); });
    delete G;
  }
}
