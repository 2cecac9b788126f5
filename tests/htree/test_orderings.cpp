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

namespace {

// Minimum degree with ordered sets: live vertices by (degree, index), the
// r-th candidate reached by stepping through the ties. Fast enough for large
// graphs whose ties stay few.
std::vector<int> orderedSetMinimumDegree(Hypergraph* G) {
  const int n = G->getNbrOfNodes();
  std::vector<std::set<int>> Sets(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) G->getNode(i)->setLabel(i);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < G->getNode(i)->getNbrOfNeighbours(); ++j)
      if (G->getNode(i)->getNeighbour(j)->getLabel() != i)
        Sets[static_cast<size_t>(i)].insert(G->getNode(i)->getNeighbour(j)->getLabel());
  std::set<std::pair<int, int>> Live;
  for (int i = 0; i < n; ++i) Live.insert({static_cast<int>(Sets[static_cast<size_t>(i)].size()), i});
  std::vector<int> Ids(static_cast<size_t>(n));
  for (int s = 0; s < n; ++s) {
    const int iMin = Live.begin()->first;
    const int k = static_cast<int>(std::distance(Live.begin(), Live.lower_bound({iMin + 1, -1})));
    const int c = std::next(Live.begin(), random_range(0, k - 1))->second;
    Live.erase({static_cast<int>(Sets[static_cast<size_t>(c)].size()), c});
    for (int w : Sets[static_cast<size_t>(c)]) {
      std::set<int>& Sw = Sets[static_cast<size_t>(w)];
      Live.erase({static_cast<int>(Sw.size()), w});
      Sw.erase(c);
      for (int u : Sets[static_cast<size_t>(c)])
        if (u != w) Sw.insert(u);
      Live.insert({static_cast<int>(Sw.size()), w});
    }
    Sets[static_cast<size_t>(c)].clear();
    Ids[static_cast<size_t>(n - 1 - s)] = G->getNode(c)->getID();
  }
  return Ids;
}

}  // namespace

TEST(Orderings, MinimumDegreeOnLargeGraphsAndFinalCliques) {
  // Vertex counts past the rank bitsets' block of 4,096 and group of 262,144
  // vertices; the path's ends and the forest's leaves are drawn across
  // blocks. Each graph ends in a clique (the path's trailing K6, the dense
  // random part), from where the ordering is finished by draws among all
  // live vertices; the random part also turns neighbour sets into bitsets.
  struct Case {
    const char* cWhat;
    int n;
    EdgeList Edges;
  };
  std::vector<Case> Cases;
  EdgeList Path = pathEdges(270000);
  for (int a = 270001; a <= 270006; ++a)
    for (int b = a + 1; b <= 270006; ++b) Path.push_back({a, b});
  Path.push_back({270000, 270001});
  Cases.push_back({"path of 270,000 vertices into a K6", 270006, Path});
  EdgeList Forest = randomEdges(6000, 4500, 3);
  EdgeList Dense = randomEdges(300, 1500, 4);
  for (auto& Edge : Dense)
    for (int& v : Edge) v += 6000;
  Forest.insert(Forest.end(), Dense.begin(), Dense.end());
  Cases.push_back({"sparse 6,000 vertices beside a dense 300", 6300, Forest});
  Cases.push_back({"complete graph", 40, [] {
                     EdgeList K;
                     for (int a = 1; a <= 40; ++a)
                       for (int b = a + 1; b <= 40; ++b) K.push_back({a, b});
                     return K;
                   }()});
  for (const Case& C : Cases) {
    Hypergraph* G = buildGraph(C.n, C.Edges);
    srand(17);
    std::vector<int> Fast = takeIds(G->getMIWOrder(0), C.n);
    const int iNext = rand();
    srand(17);
    EXPECT_EQ(Fast, orderedSetMinimumDegree(G)) << C.cWhat;
    EXPECT_EQ(iNext, rand()) << C.cWhat << ": draws differ";
    delete G;
  }
}
