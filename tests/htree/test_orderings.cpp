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

std::vector<int> ids(Node** Order, int n) {
  std::vector<int> Ids;
  for (int i = 0; i < n; ++i) Ids.push_back(Order[i]->getID());
  EXPECT_EQ(Order[n], nullptr);
  return Ids;
}

std::vector<int> takeIds(Node** Order, int n) {
  std::vector<int> Ids = ids(Order, n);
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

std::vector<Case> families(unsigned iSeed, int iCount) {
  std::mt19937 Gen(iSeed);
  std::vector<Case> Cases;
  for (int t = 0; t < iCount; ++t) {
    const int n = 1 + static_cast<int>(Gen() % 40);
    switch (t % 4) {
      case 0:
        Cases.push_back({n, randomHyperedges(Gen, n)});
        break;
      case 1: {
        const int w = 1 + static_cast<int>(Gen() % 5);
        const int r = 1 + static_cast<int>(Gen() % 8);
        Cases.push_back({w * r, grid(w, r)});
        break;
      }
      case 2:
        Cases.push_back({n, star(n)});
        break;
      default:
        Cases.push_back({n, randomTree(Gen, n)});
        break;
    }
  }
  return Cases;
}

}  // namespace

// ------------------------------------------------------------ examples

TEST(Orderings, StarLeavesGoFirst) {
  // Centre x = 1, leaves 2, 3, 4.
  for (unsigned seed = 1; seed <= 40; ++seed) {
    Hypergraph* G = build(4, {{1, 2}, {1, 3}, {1, 4}});
    srand(seed);
    std::vector<int> Order = takeIds(G->getMIWOrder(0), 4);
    // Positions 3 and 2 (eliminated first and second) are leaves.
    EXPECT_NE(Order[3], 1);
    EXPECT_NE(Order[2], 1);
    EXPECT_EQ(std::set<int>(Order.begin(), Order.end()), (std::set<int>{1, 2, 3, 4}));
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

TEST(Orderings, PreEliminatedNodesComeFirst) {
  // Node 1 is the star's centre; with preElim 2 it and node 2 still go first.
  for (unsigned seed = 1; seed <= 20; ++seed) {
    Hypergraph* G = build(5, {{1, 2}, {1, 3}, {1, 4}, {1, 5}});
    srand(seed);
    std::vector<int> Order = takeIds(G->getMIWOrder(2), 5);
    EXPECT_EQ(Order[4], 1);
    EXPECT_EQ(Order[3], 2);
    delete G;
  }
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

TEST(Orderings, LabelsAfterwards) {
  Hypergraph* G = build(4, {{1, 2}, {2, 3, 4}});
  delete[] G->getMIWOrder(0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(G->getNode(i)->getLabel(), i);
  delete[] G->getMCSOrder(0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(G->getNode(i)->getLabel(), 1);
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

TEST(Orderings, RandomOrderIsTheExchangeShuffle) {
  Hypergraph* G = build(7, {});
  srand(5);
  std::vector<int> Idx = {0, 1, 2, 3, 4, 5, 6};
  for (int i = 1; i < 7; ++i) std::swap(Idx[static_cast<std::size_t>(i)], Idx[static_cast<std::size_t>(rand() % (i + 1))]);
  srand(5);
  std::vector<int> Order = takeIds(G->getRandomOrder(), 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Order[static_cast<std::size_t>(i)], Idx[static_cast<std::size_t>(i)] + 1);
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

TEST(Orderings, MinimumDegreeMatchesReference) {
  int iCase = 0;
  for (const Case& C : families(101, 240)) {
    Hypergraph* G = build(C.n, C.Edges);
    for (unsigned seed : {1u, 2u, 77u}) {
      const int preElim = (iCase % 5 == 0) ? static_cast<int>(seed % 4) : 0;
      srand(seed + static_cast<unsigned>(iCase));
      std::vector<int> Fast = takeIds(G->getMIWOrder(preElim), C.n);
      const int iNextFast = rand();
      srand(seed + static_cast<unsigned>(iCase));
      std::vector<int> Ref = takeIds(referenceElimination(G, preElim, false), C.n);
      const int iNextRef = rand();
      ASSERT_EQ(Fast, Ref) << "case " << iCase << " seed " << seed;
      ASSERT_EQ(iNextFast, iNextRef) << "different number of draws, case " << iCase;
    }
    delete G;
    ++iCase;
  }
}

TEST(Orderings, MinimumFillMatchesReference) {
  int iCase = 0;
  for (const Case& C : families(202, 160)) {
    Hypergraph* G = build(C.n, C.Edges);
    for (unsigned seed : {3u, 9u}) {
      srand(seed + static_cast<unsigned>(iCase));
      std::vector<int> Fast = takeIds(G->getMFOrder(2), C.n);  // preElim is ignored
      const int iNextFast = rand();
      srand(seed + static_cast<unsigned>(iCase));
      std::vector<int> Ref = takeIds(referenceElimination(G, 0, true), C.n);
      ASSERT_EQ(Fast, Ref) << "case " << iCase << " seed " << seed;
      ASSERT_EQ(iNextFast, rand());
    }
    delete G;
    ++iCase;
  }
}

TEST(Orderings, MaximumCardinalitySearchMatchesReference) {
  int iCase = 0;
  for (const Case& C : families(303, 160)) {
    Hypergraph* G = build(C.n, C.Edges);
    for (unsigned seed : {4u, 8u}) {
      srand(seed + static_cast<unsigned>(iCase));
      std::vector<int> Fast = takeIds(G->getMCSOrder(0), C.n);
      const int iNextFast = rand();
      srand(seed + static_cast<unsigned>(iCase));
      std::vector<int> Ref = takeIds(referenceMCS(G), C.n);
      ASSERT_EQ(Fast, Ref) << "case " << iCase << " seed " << seed;
      ASSERT_EQ(iNextFast, rand());
    }
    delete G;
    ++iCase;
  }
}

TEST(Orderings, LargerGraphsMatchReference) {
  // Enough vertices for the co-sort to leave insertion sort and for hub
  // neighbour sets to switch to hashing.
  std::mt19937 Gen(9);
  std::vector<Case> Cases = {{400, star(400)}, {300, grid(4, 75)}, {250, randomTree(Gen, 250)}};
  std::vector<std::vector<int>> Dense;
  for (int i = 0; i < 500; ++i)
    Dense.push_back({1 + static_cast<int>(Gen() % 120), 1 + static_cast<int>(Gen() % 120)});
  Cases.push_back({120, Dense});
  for (const Case& C : Cases) {
    Hypergraph* G = build(C.n, C.Edges);
    srand(17);
    std::vector<int> Fast = takeIds(G->getMIWOrder(0), C.n);
    srand(17);
    EXPECT_EQ(Fast, takeIds(referenceElimination(G, 0, false), C.n));
    srand(18);
    Fast = takeIds(G->getMFOrder(0), C.n);
    srand(18);
    EXPECT_EQ(Fast, takeIds(referenceElimination(G, 0, true), C.n));
    srand(19);
    Fast = takeIds(G->getMCSOrder(0), C.n);
    srand(19);
    EXPECT_EQ(Fast, takeIds(referenceMCS(G), C.n));
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
