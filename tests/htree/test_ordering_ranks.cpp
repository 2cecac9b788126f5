// Minimum-degree orderings of graphs with more than 4,096 and more than
// 262,144 vertices, where the draw among the vertices of smallest degree
// must find the r-th of them across many blocks of the rank structure,
// against the rule carried out with counting trees: candidates in stored
// order, one draw per step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "kivra/Globals.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;

namespace {

// Positions 0..n-1 with a count of members below each prefix (Fenwick).
class CountingTree {
 public:
  explicit CountingTree(int n) : Sums(static_cast<size_t>(n) + 1, 0) {}
  void add(int i, int iDelta) {
    for (size_t k = static_cast<size_t>(i) + 1; k < Sums.size(); k += k & (~k + 1)) Sums[k] += iDelta;
  }
  // The member with exactly r smaller members.
  int select(int r) const {
    size_t iPos = 0;
    size_t iStep = 1;
    while (iStep * 2 < Sums.size()) iStep *= 2;
    for (; iStep > 0; iStep /= 2)
      if (iPos + iStep < Sums.size() && Sums[iPos + iStep] <= r) r -= Sums[iPos += iStep];
    return static_cast<int>(iPos);
  }

 private:
  std::vector<int> Sums;
};

// Node IDs from the vertex eliminated last to the one eliminated first.
std::vector<int> literalMinimumDegree(Hypergraph* G, int preElim) {
  const int n = G->getNbrOfNodes();
  G->labelNodesConsecutively();
  std::vector<std::set<int>> Nbrs(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < G->getNode(i)->getNbrOfNeighbours(); ++j)
      Nbrs[static_cast<size_t>(i)].insert(G->getNode(i)->getNeighbour(j)->getLabel());
  std::map<size_t, std::pair<int, CountingTree>> ByDegree;  // degree -> (count, members)
  auto enter = [&](int v, int iDelta) {
    auto It = ByDegree.find(Nbrs[static_cast<size_t>(v)].size());
    if (It == ByDegree.end()) It = ByDegree.emplace(Nbrs[static_cast<size_t>(v)].size(), std::pair(0, CountingTree(n))).first;
    It->second.first += iDelta;
    It->second.second.add(v, iDelta);
  };
  for (int v = 0; v < n; ++v) enter(v, 1);
  std::vector<int> Order(static_cast<size_t>(n));
  for (int s = 0; s < n; ++s) {
    int c = s;
    if (s >= preElim) {
      auto It = ByDegree.begin();
      while (It->second.first == 0) ++It;
      c = It->second.second.select(kivra::random_range(0, It->second.first - 1));
    }
    enter(c, -1);
    std::set<int> Mine = std::move(Nbrs[static_cast<size_t>(c)]);
    for (int w : Mine) {
      enter(w, -1);
      std::set<int>& Theirs = Nbrs[static_cast<size_t>(w)];
      Theirs.erase(c);
      for (int u : Mine)
        if (u != w) Theirs.insert(u);
      enter(w, 1);
    }
    Order[static_cast<size_t>(n - 1 - s)] = G->getNode(c)->getID();
  }
  return Order;
}

// A random forest over the first n - 40 vertices (about half of them roots)
// and a clique of the last 40, whose degrees exceed the small-degree range.
EdgeList forestAndClique(int n, unsigned iSeed) {
  std::mt19937 Gen(iSeed);
  EdgeList Edges;
  for (int v = 2; v <= n - 40; ++v)
    if (Gen() % 2 == 0) Edges.push_back({1 + static_cast<int>(Gen() % static_cast<unsigned>(v - 1)), v});
  for (int a = n - 39; a <= n; ++a)
    for (int b = a + 1; b <= n; ++b) Edges.push_back({a, b});
  return Edges;
}

}  // namespace

TEST(OrderingRanks, MinimumDegreeAcrossRankBlocks) {
  for (auto [n, preElim] : {std::pair{5000, 0}, std::pair{5000, 7}, std::pair{270000, 0}}) {
    Hypergraph* G = buildGraph(n, forestAndClique(n, static_cast<unsigned>(n + preElim)));
    std::srand(static_cast<unsigned>(preElim) + 5);
    Node** Fast = G->getMIWOrder(preElim);
    const int iNext = std::rand();
    std::vector<int> FastIds;
    for (int i = 0; i < n; ++i) FastIds.push_back(Fast[i]->getID());
    delete[] Fast;
    std::srand(static_cast<unsigned>(preElim) + 5);
    EXPECT_EQ(FastIds, literalMinimumDegree(G, preElim)) << n;
    EXPECT_EQ(iNext, std::rand()) << n << ": the draws differ";
    delete G;
  }
}
