// Statistics and checks of hypergraphs and their decompositions: fill-in by
// brute force, removal of contained hyperedges against a step-by-step model,
// the four decomposition checks against plain walks, GML text, fatal
// messages and inputs of 200,000 vertices.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <numeric>
#include <sstream>
#include <tuple>

#include "kivra/H_BucketElim.h"
#include "test_hypertree_graphs.h"

using namespace decomposition_test;

namespace {

using Ids = std::vector<int>;

// Hyperedges of up to iMaxSize members drawn with repetition, possibly none.
EdgeList smallHyperedges(std::mt19937& Gen, int n, int iMaxEdges, int iMaxSize) {
  EdgeList Edges(Gen() % (iMaxEdges + 1));
  for (Ids& Members : Edges)
    for (int s = static_cast<int>(Gen() % (iMaxSize + 1)); s > 0; --s)
      Members.push_back(1 + static_cast<int>(Gen() % n));
  return Edges;
}

// What reduce works on, as ID lists: hyperedges in order (ID, vertices,
// recorded IDs) and every node's hyperedges.
struct ReduceState {
  std::vector<std::tuple<int, Ids, Ids>> Edges;
  std::map<int, Ids> NodeEdges;

  explicit ReduceState(Hypergraph* G) {
    for (int j = 0; j < G->getNbrOfEdges(); ++j) {
      Hyperedge* E = G->getEdge(j);
      Edges.push_back({E->getID(), {}, Ids(E->getCoveredIDs()->begin(), E->getCoveredIDs()->end())});
      for (int k = 0; k < E->getNbrOfNodes(); ++k) std::get<1>(Edges.back()).push_back(E->getNode(k)->getID());
    }
    for (int i = 0; i < G->getNbrOfNodes(); ++i)
      for (int k = 0; k < G->getNode(i)->getNbrOfEdges(); ++k)
        NodeEdges[G->getNode(i)->getID()].push_back(G->getNode(i)->getEdge(k)->getID());
  }

  // reduce walked literally: position by position, removals shifting the list.
  void reduce(bool bFinalOnly) {
    int iCount = static_cast<int>(Edges.size());
    for (int i = 0; i < iCount; ++i) {
      std::set<int> Labelled(std::get<1>(Edges[i]).begin(), std::get<1>(Edges[i]).end());
      for (int j = (bFinalOnly && i != iCount - 1) ? iCount - 1 : 0; j < iCount; ++j) {
        auto [iId, Members, Covered] = Edges[j];
        bool bInside = j != i;
        for (int v : Members) bInside = bInside && Labelled.count(v) != 0;
        if (!bInside) continue;
        Ids& Mine = std::get<2>(Edges[i]);
        Mine.push_back(iId);
        Mine.insert(Mine.end(), Covered.begin(), Covered.end());
        for (int v : Members)
          if (auto It = std::find(NodeEdges[v].begin(), NodeEdges[v].end(), iId); It != NodeEdges[v].end())
            NodeEdges[v].erase(It);
        Edges.erase(Edges.begin() + j);
        --iCount;
        i -= j < i ? 1 : 0;
        --j;
      }
    }
  }
};

Hypertree* bag(Hypergraph* G, Hypertree* Parent, const Ids& Chi, const Ids& Lambda = {}) {
  Hypertree* T = new Hypertree;
  for (int v : Chi) T->insChi(G->getNodeByID(v));
  for (int e : Lambda) T->insLambda(G->getEdge(e));
  if (Parent != nullptr) Parent->insChild(T, true);
  return T;
}

// The checks walked node by node over the whole graph, as plainly as
// possible, to compare results and the labels left behind.
namespace plain {

Hyperedge* cond1(Hypertree* Root, Hypergraph* G) {
  G->resetEdgeLabels(0);
  G->resetNodeLabels(0);
  for (Hypertree* T : treeNodes(Root)) {
    for (Node* V : *T->getChi()) V->setLabel(1);
    for (int j = 0; j < G->getNbrOfEdges(); ++j) {
      bool bAll = true;
      for (int k = 0; k < G->getEdge(j)->getNbrOfNodes(); ++k)
        bAll = bAll && G->getEdge(j)->getNode(k)->getLabel() != 0;
      if (bAll) G->getEdge(j)->setLabel(1);
    }
    for (Node* V : *T->getChi()) V->setLabel(0);
  }
  for (int j = 0; j < G->getNbrOfEdges(); ++j)
    if (G->getEdge(j)->getLabel() == 0) return G->getEdge(j);
  return nullptr;
}

Node* cond2(Hypertree* T) {
  for (Hypertree* C : *T->getChildren()) {
    if (Node* Found = cond2(C)) return Found;
    for (Node* V : *C->getChi())
      if (T->getChi()->count(V) == 0) V->setLabel(1);
  }
  for (Node* V : *T->getChi())
    if (V->getLabel() != 0) return V;
  return nullptr;
}

// In pre-order, the first node whose bag is not covered by its lambda; the
// lambda's vertices stay labelled 1 there.
Hypertree* cond3(Hypertree* Root) {
  for (Hypertree* T : treeNodes(Root))
    for (int iLabel : {1, 0}) {
      for (Hyperedge* E : *T->getLambda())
        for (int k = 0; k < E->getNbrOfNodes(); ++k) E->getNode(k)->setLabel(iLabel);
      for (Node* V : *T->getChi())
        if (iLabel == 1 && V->getLabel() == 0) return T;
    }
  return nullptr;
}

// In pre-order, the first node with a lambda vertex outside its bag that
// occurs in its subtree.
Hypertree* cond4(Hypertree* Root, Hypergraph* G) {
  for (Hypertree* T : treeNodes(Root)) {
    G->resetNodeLabels(0);
    for (Hypertree* Below : treeNodes(T))
      for (Node* V : *Below->getChi()) V->setLabel(1);
    for (Hyperedge* E : *T->getLambda())
      for (int k = 0; k < E->getNbrOfNodes(); ++k)
        if (E->getNode(k)->getLabel() != 0) E->getNode(k)->setLabel(2);
    for (Node* V : *T->getChi()) V->decLabel(1);
    for (int i = 0; i < G->getNbrOfNodes(); ++i)
      if (G->getNode(i)->getLabel() > 1) return T;
  }
  return nullptr;
}

}  // namespace plain

// The labels of all nodes, then of all hyperedges; set first when given.
Ids labels(Hypergraph* G, const Ids& Set = {}) {
  Ids L;
  for (int i = 0, n = G->getNbrOfNodes(); i < n + G->getNbrOfEdges(); ++i) {
    kivra::Component* C = i < n ? static_cast<kivra::Component*>(G->getNode(i)) : G->getEdge(i - n);
    if (!Set.empty()) C->setLabel(Set[i]);
    L.push_back(C->getLabel());
  }
  return L;
}

// GML written to a file already holding longer text, read back.
std::string gmlOf(Hypertree* T, Hypergraph* G) {
  std::string Path = testing::TempDir() + "zelkovant_tree.gml";
  std::ofstream(Path) << std::string(4096, 'x');
  T->outputToGML(G, Path.c_str());
  std::stringstream Text;
  Text << std::ifstream(Path).rdbuf();
  std::remove(Path.c_str());
  return Text.str();
}

std::string gmlNode(int iId, const std::string& Label) {
  return "  node [\n    id " + std::to_string(iId) + "\n    label \"" + Label +
         "\"\n    vgj [\n      labelPosition \"in\"\n      shape \"Rectangle\"\n    ]\n  ]\n\n";
}

std::string gmlEdge(int iSource, int iTarget) {
  return "  edge [\n    source " + std::to_string(iSource) + "\n    target " + std::to_string(iTarget) + "\n  ]\n\n";
}

const std::string kGmlHead = "graph [\n\n  directed 0\n\n";

}  // namespace

TEST(HypergraphStatistics, FillInAgainstBruteForce) {
  Hypergraph* G = buildGraph(4, {{1, 2}, {3, 4}});
  EXPECT_FALSE(G->isConnected());
  delete G;

  std::mt19937 Gen(11);
  for (int iRound = 0; iRound < 60; ++iRound) {
    int n = 1 + static_cast<int>(Gen() % 12);
    EdgeList Edges = smallHyperedges(Gen, n, 20, 4);
    G = buildGraph(n, Edges);
    // Pairs of neighbours that are not adjacent, from the hyperedges alone.
    std::vector<std::set<int>> Adjacent(static_cast<size_t>(n + 1));
    for (const Ids& Members : Edges)
      for (int a : Members)
        for (int b : Members)
          if (a != b) Adjacent[a].insert(b);
    std::vector<long long> Fill(static_cast<size_t>(n), 0);
    for (int v = 1; v <= n; ++v)
      for (int a : Adjacent[v])
        for (int b : Adjacent[v]) Fill[v - 1] += a < b && Adjacent[a].count(b) == 0;
    EXPECT_EQ(G->getMinimumNodeFill(), *std::min_element(Fill.begin(), Fill.end())) << iRound;
    EXPECT_EQ(G->getMaximumNodeFill(), *std::max_element(Fill.begin(), Fill.end())) << iRound;
    EXPECT_DOUBLE_EQ(G->getAverageNodeFill(), static_cast<double>(std::accumulate(Fill.begin(), Fill.end(), 0LL)) / n);
    testing::internal::CaptureStdout();  // the node's computation prints its pairs
    for (int i = 0; i < n; ++i) EXPECT_EQ(G->getNode(i)->getFillIn(), Fill[i]) << iRound;
    testing::internal::GetCapturedStdout();
    delete G;
  }
}

TEST(HypergraphStatistics, ReduceMatchesLiteralWalk) {
  // Repeated vertices, equal and empty hyperedges, IDs recorded beforehand
  // and vertices outside the graph, in both modes.
  std::mt19937 Gen(5);
  for (int iRound = 0; iRound < 200; ++iRound) {
    int n = 1 + static_cast<int>(Gen() % 6);
    EdgeList Edges = smallHyperedges(Gen, n, 12, 3);
    for (int k = static_cast<int>(Edges.size()) / 3; k > 0; --k) Edges.push_back(Edges[Gen() % Edges.size()]);
    for (bool bFinalOnly : {false, true}) {
      Hypergraph* G = buildGraph(n, Edges);
      Node Stranger(99, 99);
      if (Gen() % 4 == 0 && !Edges.empty()) G->getEdge(static_cast<int>(Gen() % Edges.size()))->insNode(&Stranger);
      for (int j = 0; j < G->getNbrOfEdges(); ++j)
        if (Gen() % 4 == 0) G->getEdge(j)->insCoveredID(100 + j);
      ReduceState Expected(G);
      Expected.reduce(bFinalOnly);
      G->reduce(bFinalOnly);
      ReduceState Actual(G);
      EXPECT_EQ(Actual.Edges, Expected.Edges) << iRound;
      EXPECT_EQ(Actual.NodeEdges, Expected.NodeEdges) << iRound;
      delete G;
    }
  }
}

TEST(HypertreeChecks, AgreeWithPlainWalkOnRandomTrees) {
  std::mt19937 Gen(17);
  for (int iRound = 0; iRound < 300; ++iRound) {
    int n = 1 + static_cast<int>(Gen() % 7);
    Hypergraph* G = buildGraph(n, smallHyperedges(Gen, n, 7, 2));
    std::vector<Hypertree*> Tree;
    for (int t = 0, iSize = 1 + static_cast<int>(Gen() % 8); t < iSize; ++t) {
      Ids Chi, Lambda;
      for (int v = 1; v <= n; ++v)
        if (Gen() % 3 == 0) Chi.push_back(v);
      for (int e = 0; e < G->getNbrOfEdges(); ++e)
        if (Gen() % 4 == 0) Lambda.push_back(e);
      Tree.push_back(bag(G, t == 0 ? nullptr : Tree[Gen() % t], Chi, Lambda));
    }
    Hypertree* Root = Tree[0];
    Ids Start;  // arbitrary starting labels, zero for about half
    for (int i = 0; i < n + G->getNbrOfEdges(); ++i)
      Start.push_back(Gen() % 2 == 0 ? 0 : static_cast<int>(Gen() % 5) - 2);
    // Each check against its plain walk from the same labels: same result,
    // same labels left behind.
    auto agree = [&](auto Plain, auto Library) {
      labels(G, Start);
      auto Expected = Plain();
      Ids ExpectedLabels = labels(G);
      labels(G, Start);
      EXPECT_EQ(Library(), Expected) << iRound;
      EXPECT_EQ(labels(G), ExpectedLabels) << iRound;
    };
    agree([&] { return plain::cond1(Root, G); }, [&] { return Root->checkCond1(G); });
    agree([&] { return (G->resetNodeLabels(0), plain::cond2(Root)); }, [&] { return Root->checkCond2(G); });
    agree([&] { return (G->resetNodeLabels(0), plain::cond3(Root)); }, [&] { return Root->checkCond3(G); });
    agree([&] { return plain::cond4(Root, G); }, [&] { return Root->checkCond4(G); });

    // Bag statistics by definition.
    unsigned int iChange = 0, iOverhead = 0;
    for (Hypertree* T : Tree) {
      std::list<Hypertree*>* Children = T->getChildren();
      for (Node* V : *T->getChi()) {
        unsigned int iIn = 0;
        for (Hypertree* C : *Children) iIn += C->getChi()->count(V) != 0;
        iChange += Children->size() == 1 && iIn == 0;
        iOverhead += Children->size() >= 2 && iIn == Children->size();
      }
      if (Children->size() == 1)
        for (Node* V : *Children->front()->getChi()) iChange += T->getChi()->count(V) == 0;
    }
    EXPECT_EQ(Root->getChiSetChangeSum(), iChange) << iRound;
    EXPECT_EQ(Root->getJoinOverheadSum(), iOverhead) << iRound;
    delete Root;
    delete G;
  }
}

TEST(HypertreeStatistics, GMLOfASmallTree) {
  // Names differ from IDs and positions and are listed by position,
  // whatever the insertion or address order; the tree comes in pre-order.
  Hypergraph* G = new Hypergraph;
  for (int i = 0; i < 5; ++i) G->MyNodes.push_back(new Node(i, 50 - i));
  for (int j = 0; j < 5; ++j) G->MyEdges.push_back(new Hyperedge(j, j));
  G->iMyMaxNbrOfNodes = G->iMyMaxNbrOfEdges = 5;
  Hypertree* Root = bag(G, nullptr, {4, 0, 2}, {4, 1});
  bag(G, Root, {3});
  Hypertree* Right = bag(G, Root, {});
  bag(G, Right, {}, {0});
  EXPECT_EQ(gmlOf(Root, G), kGmlHead + gmlNode(1, "{1, 4}    {50, 48, 46}") + gmlNode(2, "{}    {47}") +
                                gmlNode(3, "{}    {}") + gmlNode(4, "{0}    {}") + gmlEdge(1, 2) + gmlEdge(1, 3) +
                                gmlEdge(3, 4) + "]\n");
  // From a subtree: numbered from 1 there, no edge to the parent outside.
  EXPECT_EQ(gmlOf(Right, G), kGmlHead + gmlNode(1, "{}    {}") + gmlNode(2, "{0}    {}") + gmlEdge(1, 2) + "]\n");
  delete Root;
  delete G;
}

TEST(StatisticsDeathTest, FatalMessages) {
  EXPECT_EXIT(Hypertree().outputToText("tree.txt"), ::testing::ExitedWithCode(1),
              "^ERROR in Hypertree::outputToText: Not implemented yet.\n$");
  Hypergraph* G = buildGraph(2, {{1, 2}});
  EXPECT_EXIT(Hypertree().outputToGML(G, "/nonexistent-directory/tree.gml"), ::testing::ExitedWithCode(1),
              "^ERROR in Hypertree::outputToGML: Error opening file.\n$");
  Node Stranger(99, 99);
  G->getEdge(0)->insNode(&Stranger);
  int Parts[] = {0, 0};
  Hypergraph** Sub;
  Hyperedge** Sep;
  EXPECT_EXIT(G->divideNodes(Parts, &Sub, &Sep), ::testing::ExitedWithCode(1),
              "^ERROR in Hypergraph::divideNodes: Node not found.\n$");
  delete G;
}

TEST(HypertreeStatistics, LargeInputs) {
  // A path of 200,000 vertices, its decomposition as deep as the path is
  // long: every walk is iterative and near-linear.
  const int n = 200000;
  Hypergraph* G = buildGraph(n, pathEdges(n));
  EXPECT_TRUE(G->isConnected());
  std::srand(3);
  kivra::H_BucketElim Elim;
  Hypertree* Root = Elim.buildHypertree(G, 2, 0, false);
  EXPECT_EQ((std::vector<void*>{Root->checkCond1(G), Root->checkCond2(G), Root->checkCond3(G), Root->checkCond4(G)}),
            std::vector<void*>(4, nullptr));
  unsigned int iNodes = Root->getNumberOfDescendants();
  unsigned int iSingle = iNodes - Root->getNumberOfJoinNodes() - Root->getNumberOfLeafNodes();
  EXPECT_EQ(Root->getChiSetChangeSum(), 2 * iSingle);
  std::string Text = gmlOf(Root, G);
  EXPECT_EQ(Text.substr(Text.size() - gmlEdge(iNodes - 1, iNodes).size() - 2), gmlEdge(iNodes - 1, iNodes) + "]\n");
  delete Root;
  delete G;

  // A star whose hyperedges all neighbour each other, with the centre alone
  // before every 1,000th: the fill saturates and reduce stays near-linear.
  EdgeList Edges;
  for (int i = 2; i <= n; ++i) {
    if (i % 1000 == 2) Edges.push_back({1});
    Edges.push_back({1, i});
  }
  G = buildGraph(n, Edges);
  EXPECT_EQ(G->getMaximumNodeFill(), INT_MAX);  // C(199,999, 2) does not fit
  G->reduce(false);
  EXPECT_EQ(G->getNbrOfEdges(), n - 1);
  EXPECT_EQ(G->getEdge(0)->getCoveredIDs()->size(), 200u);  // the other 199 centre copies and the first
  delete G;
}
