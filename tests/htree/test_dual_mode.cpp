// Operations of the dual mode of bucket elimination: bag reconstruction with
// the connectedness closure against the node-by-node rule on random trees
// and on a deep path, lambda thinning on a worked tree, and releasing a
// hypergraph left in its dual arrangement.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kivra/H_BucketElim.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;

namespace {

using Ids = std::vector<int>;

// A random tree over G: node i > 0 hangs below a random earlier node; bags
// and lambdas are random (lambdas as hyperedge positions).
struct RandomTree {
  std::vector<Ids> Chi, Lambda;
  std::vector<int> Parent;

  RandomTree(std::mt19937& Gen, int n, int m) {
    const int iSize = 1 + static_cast<int>(Gen() % 9);
    for (int t = 0; t < iSize; ++t) {
      Parent.push_back(t == 0 ? -1 : static_cast<int>(Gen() % static_cast<unsigned>(t)));
      Chi.emplace_back();
      Lambda.emplace_back();
      for (int v = 1; v <= n; ++v)
        if (Gen() % 5 == 0) Chi.back().push_back(v);
      for (int e = 0; e < m; ++e)
        if (Gen() % 4 == 0) Lambda.back().push_back(e);
    }
  }

  std::vector<Hypertree*> build(Hypergraph* G) const {
    std::vector<Hypertree*> T;
    for (size_t t = 0; t < Chi.size(); ++t) {
      T.push_back(new Hypertree);
      for (int v : Chi[t]) T.back()->insChi(G->getNodeByID(v));
      for (int e : Lambda[t]) T.back()->insLambda(G->getEdge(e));
      if (t > 0) T[static_cast<size_t>(Parent[t])]->insChild(T.back(), true);
    }
    return T;
  }
};

// setChi as the rule states it, node by node: every hyperedge's vertices go
// to the first node (pre-order) of smallest lambda holding it; then, from the
// top, all labels are cleared, the vertices below the k-th child are marked
// k (-1 when already marked by an earlier child), the parent's marked bag
// vertices become -1, and the hypergraph's vertices marked -1 join the bag.
void literalSetChi(Hypertree* Top, Hypergraph* G) {
  std::vector<Hypertree*> Order = treeNodes(Top);
  std::vector<Hypertree*> Holder(static_cast<size_t>(G->getNbrOfEdges()), nullptr);
  for (Hypertree* T : Order)
    for (Hyperedge* E : *T->getLambda()) {
      Hypertree*& H = Holder[static_cast<size_t>(E->getID())];
      if (H == nullptr || H->getLambda()->size() > T->getLambda()->size()) H = T;
    }
  for (int e = 0; e < G->getNbrOfEdges(); ++e)
    if (Holder[static_cast<size_t>(e)] != nullptr)
      for (int k = 0; k < G->getEdge(e)->getNbrOfNodes(); ++k)
        Holder[static_cast<size_t>(e)]->insChi(G->getEdge(e)->getNode(k));
  for (Hypertree* T : Order) {
    G->resetNodeLabels(0);
    int k = 0;
    for (Hypertree* Child : *T->getChildren()) {
      ++k;
      for (Hypertree* Below : treeNodes(Child))
        for (Node* V : *Below->getChi())
          if (V->getLabel() >= 0) V->setLabel(V->getLabel() >= 1 && V->getLabel() < k ? -1 : k);
    }
    if (T->getParent() != nullptr)
      for (Node* V : *T->getParent()->getChi())
        if (V->getLabel() > 0) V->setLabel(-1);
    for (int i = 0; i < G->getNbrOfNodes(); ++i)
      if (G->getNode(i)->getLabel() == -1) T->insChi(G->getNode(i));
  }
}

}  // namespace

TEST(HypertreeDual, SetChiMatchesTheNodeByNodeRule) {
  // Whole trees and subtrees below a parent whose bag takes part.
  std::mt19937 Gen(23);
  for (int iRound = 0; iRound < 400; ++iRound) {
    const int n = 1 + static_cast<int>(Gen() % 8);
    Hypergraph* G = buildGraph(n, randomHyperedges(Gen, n, static_cast<int>(Gen() % 8)));
    RandomTree Shape(Gen, n, G->getNbrOfEdges());
    const size_t iStart = Gen() % 3 == 0 ? Gen() % Shape.Chi.size() : 0;
    std::vector<Hypertree*> Expected = Shape.build(G), Actual = Shape.build(G);
    literalSetChi(Expected[iStart], G);
    Actual[iStart]->setChi(G);
    EXPECT_EQ(bagsOf(Actual[0]), bagsOf(Expected[0])) << iRound;
    std::vector<int> Labels;
    for (int i = 0; i < n; ++i) Labels.push_back(G->getNode(i)->getLabel());
    EXPECT_EQ(Labels, Ids(static_cast<size_t>(n), 0)) << iRound;
    delete Expected[0];
    delete Actual[0];
    delete G;
  }
}

TEST(HypertreeDual, DeepPathAndReleaseInDualArrangement) {
  // A path of 20,000 nodes whose two ends hold vertex 1: the vertex joins
  // every bag in between, and so does vertex 2, held by the middle and by
  // the parent above the path's first node.
  const int iDepth = 20000;
  Hypergraph* G = buildGraph(2, {{1, 2}});
  Hypertree* Above = new Hypertree;
  Above->insChi(G->getNode(1));
  std::vector<Hypertree*> Path;
  for (int i = 0; i < iDepth; ++i) {
    Path.push_back(new Hypertree);
    (i == 0 ? Above : Path[static_cast<size_t>(i - 1)])->insChild(Path.back(), true);
  }
  Path.front()->insChi(G->getNode(0));
  Path.back()->insChi(G->getNode(0));
  Path[iDepth / 2]->insChi(G->getNode(1));
  Path.front()->setChi(G);
  for (int i = 0; i < iDepth; ++i)
    ASSERT_EQ(idsOf(*Path[static_cast<size_t>(i)]->getChi()), (i <= iDepth / 2 ? Ids{1, 2} : Ids{1})) << i;
  delete Above;

  // A hypergraph released after an odd number of dualisations deletes every
  // object as the kind it was made as.
  G->makeDual();
  EXPECT_EQ(G->getNbrOfNodes(), 1);
  delete G;
}

TEST(HypertreeDual, ReduceLambdaDropsWhatTheNeighboursCover) {
  // Hyperedges a = {1, 2}, b = {2, 3}, c = {3, 4}, d = {1, 2, 3}. The root's
  // lambda {a, b, d} and its child's {b, c}: top-down, the root drops b,
  // which its child's lambda holds (no vertex lies under a second child or
  // in a parent's lambda, so nothing is covered again); the child keeps
  // both, having nothing smaller on offer; bottom-up changes nothing.
  Hypergraph* G = buildGraph(4, {{1, 2}, {2, 3}, {3, 4}, {1, 2, 3}});
  Hypertree* Root = new Hypertree;
  Hypertree* Child = new Hypertree;
  Root->insChild(Child, true);
  for (int e : {0, 1, 3}) Root->insLambda(G->getEdge(e));
  for (int e : {1, 2}) Child->insLambda(G->getEdge(e));
  Root->reduceLambda();
  auto ids = [](const LambdaSet& Lambda) {
    Ids L;
    for (Hyperedge* E : Lambda) L.push_back(E->getID());
    std::sort(L.begin(), L.end());
    return L;
  };
  EXPECT_EQ(ids(*Root->getLambda()), (Ids{0, 3}));
  EXPECT_EQ(ids(*Child->getLambda()), (Ids{1, 2}));
  delete Root;
  delete G;
}
