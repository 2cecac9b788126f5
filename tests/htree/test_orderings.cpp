// Vertex elimination orderings: worked examples, reproducibility, and the
// fast orderings checked against straightforward reference implementations
// (same candidate lists, same random draws) on many random hypergraphs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "kivra/Globals.h"
#include "kivra/Hypergraph.h"

using namespace kivra;

namespace {

// Nodes with IDs 1..n; every edge linked in both directions, as the graph
// builder does (a node listed twice makes a self-loop).
Hypergraph* build(int n, const std::vector<std::vector<int>>& Edges) {
  Hypergraph* G = new Hypergraph;
  for (int i = 1; i <= n; ++i) G->MyNodes.push_back(new Node(i, i));
  int k = 0;
  for (const auto& Members : Edges) {
    Hyperedge* e = new Hyperedge(k, k);
    ++k;
    G->MyEdges.push_back(e);
    for (int v : Members) {
      G->MyNodes[static_cast<std::size_t>(v - 1)]->insEdge(e);
      e->insNode(G->MyNodes[static_cast<std::size_t>(v - 1)]);
    }
  }
  G->iMyMaxNbrOfNodes = n;
  G->iMyMaxNbrOfEdges = static_cast<int>(Edges.size());
  G->updateNeighbourhood();
  return G;
}

// The IDs of an ordering, which is released.
std::vector<int> takeIds(Node** Order, int n) {
  std::vector<int> Ids;
  for (int i = 0; i < n; ++i) Ids.push_back(Order[i]->getID());
  EXPECT_EQ(Order[n], nullptr);
  delete[] Order;
  return Ids;
}

// ------------------------------------------------ reference implementations

// Minimum degree / minimum fill exactly as described: rescan all live
// vertices per step, candidate list in index order, one draw, co-sort by rank.
Node** referenceElimination(Hypergraph* G, int preElim, bool bFill) {
  const int n = G->getNbrOfNodes();
  std::vector<int> Rank(static_cast<std::size_t>(n));
  Node** Res = new Node*[static_cast<std::size_t>(n) + 1];
  std::vector<std::set<Node*>*> Sets(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    Node* v = G->getNode(i);
    Res[i] = v;
    v->setLabel(i);
    Sets[static_cast<std::size_t>(i)] = new std::set<Node*>;
    for (int j = 0; j < v->getNbrOfNeighbours(); ++j) Sets[static_cast<std::size_t>(i)]->insert(v->getNeighbour(j));
  }
  Res[n] = nullptr;
  auto score = [&](int i) -> long long {
    const std::set<Node*>& S = *Sets[static_cast<std::size_t>(i)];
    if (!bFill) return static_cast<long long>(S.size());
    long long iFill = 0;
    for (auto u = S.begin(); u != S.end(); ++u) {
      for (auto w = std::next(u); w != S.end(); ++w)
        if (!Sets[static_cast<std::size_t>((*u)->getLabel())]->count(*w)) ++iFill;
    }
    return iFill;
  };
  for (int s = 0; s < n; ++s) {
    int c;
    if (s < preElim && !bFill) {
      c = s;
    } else {
      std::vector<int> Cand;
      long long iMin = 0;
      for (int i = 0; i < n; ++i) {
        if (!Sets[static_cast<std::size_t>(i)]) continue;
        const long long iScore = score(i);
        if (Cand.empty() || iScore < iMin) {
          Cand.clear();
          Cand.push_back(i);
          iMin = iScore;
        } else if (iScore == iMin) {
          Cand.push_back(i);
        }
      }
      c = Cand[static_cast<std::size_t>(random_range(0, static_cast<int>(Cand.size()) - 1))];
    }
    std::set<Node*>& Sc = *Sets[static_cast<std::size_t>(c)];
    for (Node* w : Sc) {
      std::set<Node*>& Sw = *Sets[static_cast<std::size_t>(w->getLabel())];
      EXPECT_EQ(Sw.count(G->getNode(c)), 1u);
      Sw.erase(G->getNode(c));
      for (Node* u : Sc)
        if (u != w) Sw.insert(u);
    }
    delete Sets[static_cast<std::size_t>(c)];
    Sets[static_cast<std::size_t>(c)] = nullptr;
    Rank[static_cast<std::size_t>(c)] = n - s;
  }
  sortPointers(reinterpret_cast<void**>(Res), Rank.data(), 0, n - 1);
  return Res;
}

Node** referenceMCS(Hypergraph* G) {
  const int n = G->getNbrOfNodes();
  std::vector<int> Rank(static_cast<std::size_t>(n));
  Node** Res = new Node*[static_cast<std::size_t>(n) + 1];
  for (int i = 0; i < n; ++i) {
    Res[i] = G->getNode(i);
    Res[i]->setLabel(0);
  }
  Res[n] = nullptr;
  const int iFirst = rand() % n;
  Rank[static_cast<std::size_t>(iFirst)] = 0;
  G->getNode(iFirst)->setLabel(1);
  for (int s = 1; s < n; ++s) {
    std::vector<int> Cand;
    int iBest = 0;
    for (int i = 0; i < n; ++i) {
      Node* v = G->getNode(i);
      if (v->getLabel() != 0) continue;
      int iScore = 0;
      for (int j = 0; j < v->getNbrOfNeighbours(); ++j) iScore += v->getNeighbour(j)->getLabel();
      if (Cand.empty() || iScore > iBest) {
        Cand.clear();
        Cand.push_back(i);
        iBest = iScore;
      } else if (iScore == iBest) {
        Cand.push_back(i);
      }
    }
    const int c = Cand[static_cast<std::size_t>(random_range(0, static_cast<int>(Cand.size()) - 1))];
    G->getNode(c)->setLabel(1);
    Rank[static_cast<std::size_t>(c)] = s;
  }
  sortPointers(reinterpret_cast<void**>(Res), Rank.data(), 0, n - 1);
  return Res;
}

// --------------------------------------------------------- graph families

std::vector<std::vector<int>> randomHyperedges(std::mt19937& Gen, int n) {
  std::vector<std::vector<int>> Edges;
  const int m = static_cast<int>(Gen() % static_cast<unsigned>(2 * n + 1));
  for (int k = 0; k < m; ++k) {
    const int iSize = 1 + static_cast<int>(Gen() % 4);
    std::vector<int> Members;
    for (int j = 0; j < iSize; ++j) Members.push_back(1 + static_cast<int>(Gen() % static_cast<unsigned>(n)));
    if (iSize == 1 && Gen() % 2) Members.push_back(Members[0]);  // self-loop
    Edges.push_back(Members);
  }
  return Edges;
}

std::vector<std::vector<int>> grid(int iWidth, int iRows) {
  std::vector<std::vector<int>> Edges;
  auto id = [iWidth](int r, int c) { return r * iWidth + c + 1; };
  for (int r = 0; r < iRows; ++r) {
    for (int c = 0; c < iWidth; ++c) {
      if (c + 1 < iWidth) Edges.push_back({id(r, c), id(r, c + 1)});
      if (r + 1 < iRows) Edges.push_back({id(r, c), id(r + 1, c)});
    }
  }
  return Edges;
}

std::vector<std::vector<int>> star(int n) {
  std::vector<std::vector<int>> Edges;
  for (int i = 2; i <= n; ++i) Edges.push_back({1, i});
  return Edges;
}

std::vector<std::vector<int>> randomTree(std::mt19937& Gen, int n) {
  std::vector<std::vector<int>> Edges;
  for (int i = 2; i <= n; ++i) Edges.push_back({1 + static_cast<int>(Gen() % static_cast<unsigned>(i - 1)), i});
  return Edges;
}

struct Case {
  int n;
  std::vector<std::vector<int>> Edges;
};

// Random hypergraphs (self-loops, several parts), grids, stars and trees.
std::vector<Case> families(unsigned iSeed, int iCount) {
  std::mt19937 Gen(iSeed);
  std::vector<Case> Cases;
  for (int t = 0; t < iCount; ++t) {
    const int n = 1 + static_cast<int>(Gen() % 40);
    const int w = 1 + static_cast<int>(Gen() % 5);
    const int r = 1 + static_cast<int>(Gen() % 8);
    if (t % 4 == 0) Cases.push_back({n, randomHyperedges(Gen, n)});
    if (t % 4 == 1) Cases.push_back({w * r, grid(w, r)});
    if (t % 4 == 2) Cases.push_back({n, star(n)});
    if (t % 4 == 3) Cases.push_back({n, randomTree(Gen, n)});
  }
  return Cases;
}

}  // namespace

// ------------------------------------------------------------ examples

TEST(Orderings, StarLeavesGoFirstUnlessPreEliminated) {
  // Centre 1, leaves 2..5: two leaves go first (degree 1 against 4, then 3);
  // with preElim 2 the stored nodes 1 and 2 go first whatever their degree.
  for (unsigned seed = 1; seed <= 30; ++seed) {
    Hypergraph* G = build(5, {{1, 2}, {1, 3}, {1, 4}, {1, 5}});
    srand(seed);
    std::vector<int> Order = takeIds(G->getMIWOrder(0), 5);
    EXPECT_NE(Order[4], 1);
    EXPECT_NE(Order[3], 1);
    EXPECT_EQ(std::set<int>(Order.begin(), Order.end()), (std::set<int>{1, 2, 3, 4, 5}));
    Order = takeIds(G->getMIWOrder(2), 5);
    EXPECT_EQ(Order[4], 1);
    EXPECT_EQ(Order[3], 2);
    delete G;
  }
}

TEST(Orderings, PathEndsFirstWithEqualChance) {
  std::map<int, int> First;
  for (unsigned seed = 1; seed <= 400; ++seed) {
    Hypergraph* G = build(3, {{1, 2}, {2, 3}});
    srand(seed);
    ++First[takeIds(G->getMIWOrder(0), 3)[2]];
    delete G;
  }
  EXPECT_EQ(First.count(2), 0u);
  EXPECT_GT(First[1], 140);
  EXPECT_GT(First[3], 140);
}

TEST(Orderings, SingleNodeAndEmptyGraph) {
  Hypergraph* One = build(1, {});
  Hypergraph Empty;
  srand(3);
  EXPECT_EQ(takeIds(One->getInputOrder(0), 1), (std::vector<int>{1}));
  EXPECT_EQ(takeIds(One->getMIWOrder(0), 1), (std::vector<int>{1}));
  EXPECT_EQ(takeIds(One->getMFOrder(0), 1), (std::vector<int>{1}));
  EXPECT_EQ(takeIds(One->getMCSOrder(0), 1), (std::vector<int>{1}));
  EXPECT_EQ(takeIds(One->getRandomOrder(), 1), (std::vector<int>{1}));
  for (Node** Order : {Empty.getInputOrder(0), Empty.getMIWOrder(0), Empty.getMFOrder(0), Empty.getMCSOrder(0),
                       Empty.getRandomOrder()}) {
    EXPECT_EQ(Order[0], nullptr);
    delete[] Order;
  }
  delete One;
}

TEST(Orderings, EveryTieBreakDrawsOnce) {
  // Minimum degree on a graph without edges: n steps, n draws (also for the
  // last step with a single candidate).
  Hypergraph* G = build(6, {});
  srand(11);
  delete[] G->getMIWOrder(0);
  const int iAfter = rand();
  srand(11);
  for (int i = 0; i < 6; ++i) rand();
  EXPECT_EQ(iAfter, rand());
  delete G;
}

TEST(Orderings, InputAndReplacedStoredOrder) {
  Hypergraph* G = build(5, {{1, 2}, {2, 3}, {3, 4}, {4, 5}});
  EXPECT_EQ(takeIds(G->getInputOrder(3), 5), (std::vector<int>{1, 2, 3, 4, 5}));
  srand(21);
  std::vector<int> Mcs = takeIds(G->getMCSOrder(0), 5);
  srand(21);
  G->setMCSOrder();
  EXPECT_EQ(takeIds(G->getInputOrder(0), 5), Mcs);
  srand(22);
  std::vector<int> Mf = takeIds(G->getMFOrder(0), 5);
  srand(22);
  G->setMFOrder();
  EXPECT_EQ(takeIds(G->getInputOrder(0), 5), Mf);
  delete G;
}

TEST(Orderings, AsymmetricNeighboursAreFatal) {
  // Node 1 lists node 2 as neighbour, node 2 lists nobody.
  auto makeBroken = [] {
    Hypergraph* G = new Hypergraph;
    Node* a = new Node(1, 1, 0, 1);
    Node* b = new Node(2, 2, 0, 0);
    a->insNeighbour(b, 0);
    G->MyNodes = {a, b};
    G->iMyMaxNbrOfNodes = 2;
    return G;
  };
  EXPECT_EXIT(makeBroken()->getMIWOrder(0), ::testing::ExitedWithCode(1),
              "^ERROR in Hypergraph::getMIWOrder: Illegal neighbourhood relation.\n$");
  EXPECT_EXIT(makeBroken()->getMFOrder(0), ::testing::ExitedWithCode(1),
              "^ERROR in Hypergraph::getMIWOrder: Illegal neighbourhood relation.\n$");
  // A neighbour that does not belong to the hypergraph is refused too.
  auto makeForeign = [] {
    Hypergraph* G = new Hypergraph;
    Node* a = new Node(1, 1, 0, 1);
    a->insNeighbour(new Node(7, 7), 0);
    G->MyNodes = {a};
    G->iMyMaxNbrOfNodes = 1;
    return G;
  };
  EXPECT_EXIT(makeForeign()->getMIWOrder(0), ::testing::ExitedWithCode(1), "Illegal neighbourhood relation.");
}

// ---------------------------------------------- against the references

TEST(Orderings, FastOrderingsMatchReferences) {
  // Same ordering and same number of rand() draws as the references. The
  // larger cases leave the co-sort's insertion-sort range and make hub
  // neighbour sets switch to hashing.
  std::vector<Case> Cases = families(101, 240);
  std::mt19937 Gen(9);
  Cases.push_back({400, star(400)});
  Cases.push_back({300, grid(4, 75)});
  Cases.push_back({250, randomTree(Gen, 250)});
  Cases.push_back({120, std::vector<std::vector<int>>(500)});
  for (auto& Edge : Cases.back().Edges) Edge = {1 + static_cast<int>(Gen() % 120), 1 + static_cast<int>(Gen() % 120)};
  for (std::size_t t = 0; t < Cases.size(); ++t) {
    Hypergraph* G = build(Cases[t].n, Cases[t].Edges);
    const int n = Cases[t].n;
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

TEST(Orderings, SameSeedSameOrdering) {
  std::mt19937 Gen(12);
  Hypergraph* G = build(200, randomHyperedges(Gen, 200));
  Hypergraph* H = build(200, star(200));
  for (unsigned seed : {1u, 2u, 3u}) {
    srand(seed);
    std::vector<int> First = takeIds(G->getMIWOrder(0), 200);
    std::vector<int> FirstStar = takeIds(H->getMIWOrder(0), 200);
    srand(seed);
    EXPECT_EQ(First, takeIds(G->getMIWOrder(0), 200));
    EXPECT_EQ(FirstStar, takeIds(H->getMIWOrder(0), 200));
  }
  srand(1);
  std::vector<int> One = takeIds(H->getMIWOrder(0), 200);
  srand(2);
  EXPECT_NE(One, takeIds(H->getMIWOrder(0), 200));  // the seed does decide the ties
  delete G;
  delete H;
}
