// Statistics and checks of hypergraphs and their decompositions: fill-in by
// brute force, removal of contained hyperedges against a step-by-step model,
// the four decomposition checks against plain walks, GML text, fatal
// messages and inputs of 200,000 vertices.
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
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
// The neighbour lists of all hyperedges, removed ones too, are read from
// AllEdges (the hyperedges before the reduction) when bReadNeighbours.
struct ReduceState {
  std::vector<std::tuple<int, Ids, Ids>> Edges;
  std::map<int, Ids> NodeEdges;
  std::map<int, Ids> Neighbours;

  ReduceState(Hypergraph* G, const std::vector<Hyperedge*>& AllEdges, bool bReadNeighbours) {
    for (int j = 0; j < G->getNbrOfEdges(); ++j) {
      Hyperedge* E = G->getEdge(j);
      Edges.push_back({E->getID(), {}, Ids(E->getCoveredIDs()->begin(), E->getCoveredIDs()->end())});
      for (int k = 0; k < E->getNbrOfNodes(); ++k) std::get<1>(Edges.back()).push_back(E->getNode(k)->getID());
    }
    for (int i = 0; i < G->getNbrOfNodes(); ++i)
      for (int k = 0; k < G->getNode(i)->getNbrOfEdges(); ++k)
        NodeEdges[G->getNode(i)->getID()].push_back(G->getNode(i)->getEdge(k)->getID());
    if (bReadNeighbours) {
      for (Hyperedge* E : AllEdges) {
        Ids& Mine = Neighbours[E->getID()];
        for (int k = 0; k < E->getNbrOfNeighbours(); ++k) Mine.push_back(E->getNeighbour(k)->getID());
      }
      return;
    }
    // The hyperedges met at the hyperedge's vertices, by ascending ID.
    for (const auto& [iId, Members, Covered] : Edges) {
      std::set<int> Met;
      for (int v : Members)
        if (auto It = NodeEdges.find(v); It != NodeEdges.end()) Met.insert(It->second.begin(), It->second.end());
      Met.erase(iId);
      Neighbours[iId] = Ids(Met.begin(), Met.end());
    }
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
        // Every neighbour of the removed hyperedge drops it.
        for (int iNbr : Neighbours[iId]) {
          Ids& Theirs = Neighbours[iNbr];
          if (auto It = std::find(Theirs.begin(), Theirs.end(), iId); It != Theirs.end()) Theirs.erase(It);
        }
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
  // CTest runs the tests of this file in parallel processes: each process
  // and each call writes its own file.
  static int iCalls = 0;
  std::string Path = testing::TempDir() + "zelkovant_tree_" + std::to_string(getpid()) + "_" +
                     std::to_string(++iCalls) + ".gml";
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
      std::vector<Hyperedge*> AllEdges(G->MyEdges.begin(), G->MyEdges.end());
      ReduceState Expected(G, AllEdges, false);
      Expected.reduce(bFinalOnly);
      // Lists read before the reduction and lists not read yet end the same.
      for (Hyperedge* E : AllEdges)
        if (Gen() % 2 == 0) E->getNbrOfNeighbours();
      G->reduce(bFinalOnly);
      ReduceState Actual(G, AllEdges, true);
      EXPECT_EQ(Actual.Edges, Expected.Edges) << iRound;
      EXPECT_EQ(Actual.NodeEdges, Expected.NodeEdges) << iRound;
      EXPECT_EQ(Actual.Neighbours, Expected.Neighbours) << iRound;
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
  // before the first and the 100,000th: the fill saturates in both
  // computations, and reduce costs what the removed hyperedges' neighbour
  // lists hold.
  EdgeList Edges;
  for (int i = 2; i <= n; ++i) {
    if (i % 100000 == 2) Edges.push_back({1});
    Edges.push_back({1, i});
  }
  G = buildGraph(n, Edges);
  EXPECT_EQ(G->getMaximumNodeFill(), INT_MAX);  // C(199,999, 2) does not fit
  testing::internal::CaptureStdout();
  EXPECT_EQ(G->getNode(0)->getFillIn(), INT_MAX);
  EXPECT_EQ(testing::internal::GetCapturedStdout().substr(0, 27), "neihbours: 199999\n1;199998,");
  EXPECT_EQ(G->getNode(1)->getNbrOfNeighbours(), 1);
  G->reduce(false);
  EXPECT_EQ(G->getNbrOfEdges(), n - 1);
  EXPECT_EQ(G->getEdge(0)->getCoveredIDs()->size(), 2u);  // the other centre copy and the first
  delete G;

  // Four parts of a random graph: the hyperedges joining each part's
  // separator vertices are not expanded into neighbour lists.
  const int m = 60000;
  G = buildGraph(n / 10, randomEdges(n / 10, m, 4));
  std::vector<int> Parts(static_cast<size_t>(n / 10));
  for (size_t i = 0; i < Parts.size(); ++i) Parts[i] = static_cast<int>(i % 4);
  Hypergraph** Sub = nullptr;
  Hyperedge** Sep = nullptr;
  G->divideNodes(Parts.data(), &Sub, &Sep);
  int iEdges = 0;
  while (Sep[iEdges] != nullptr) ++iEdges;
  for (int p = 0; p < 4; ++p) {
    iEdges += Sub[p]->getNbrOfEdges() - 1;  // less the joint hyperedge
    Hyperedge* Joint = Sub[p]->getEdge(Sub[p]->getNbrOfEdges() - 1);
    EXPECT_GT(Joint->getNbrOfNodes(), 1000);
    EXPECT_GE(Joint->getNode(0)->getNbrOfNeighbours(), Joint->getNbrOfNodes() - 1);
    delete Sub[p];
  }
  EXPECT_EQ(iEdges, m);
  EXPECT_EQ(Sub[4], nullptr);
  delete[] Sub;
  delete[] Sep;
  delete G;
}

TEST(HypergraphStatistics, EmptyGraphAndPresetLabels) {
  Hypergraph Empty;
  EXPECT_EQ(Empty.getAverageNodeDegree(), -1.0);
  EXPECT_EQ(Empty.getMaximumNodeDegree(), -1);
  EXPECT_EQ(Empty.getMinimumNodeDegree(), -1);
  EXPECT_TRUE(Empty.isConnected());
  EXPECT_EQ(Empty.getMinimumNodeFill(), 0);
  EXPECT_EQ(Empty.getMaximumNodeFill(), 0);
  EXPECT_TRUE(std::isnan(Empty.getAverageNodeFill()));  // 0 / 0

  // The walk from a hyperedge stops at every hyperedge whose label is not 0
  // (negative included) and labels the start 1 whatever it held.
  Hypergraph* G = buildGraph(6, pathEdges(6));  // hyperedges 0-1-2-3-4 in a row
  labels(G, {0, 0, 0, 0, 0, 0, 7, 0, -1, 0, 0});
  G->labelReachEdges(G->getEdge(0));
  EXPECT_EQ(labels(G), (Ids{0, 0, 0, 0, 0, 0, 1, 1, -1, 0, 0}));
  labels(G, {0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0});
  G->labelReachEdges(G->getEdge(2));
  EXPECT_EQ(labels(G), (Ids{0, 0, 0, 0, 0, 0, 1, 1, 1, 5, 0}));
  delete G;
}

TEST(HypergraphStatistics, DivideNodesIntoParts) {
  // Parts {1, 2, 3} and {4, 5, 6}; {3, 4} and {7, 5} cross, so vertex 7,
  // whose only hyperedge crosses, belongs to no part.
  Hypergraph* G = buildGraph(7, {{1, 2}, {2, 3}, {3, 4}, {5, 4}, {5, 6}, {6}, {7, 5}});
  int Parts[] = {0, 0, 0, 1, 1, 1, 0};
  Hypergraph** Sub = nullptr;
  Hyperedge** Sep = nullptr;
  G->divideNodes(Parts, &Sub, &Sep);
  EXPECT_EQ((Ids(Parts, Parts + 7)), (Ids{0, 0, 0, 1, 1, 1, -1}));
  EXPECT_EQ((std::vector<Hyperedge*>{Sep[0], Sep[1], Sep[2]}),
            (std::vector<Hyperedge*>{G->getEdge(2), G->getEdge(6), nullptr}));
  ASSERT_EQ(Sub[2], nullptr);

  // A part as (node ID, its hyperedge IDs) and (hyperedge ID, its node IDs).
  auto picture = [](Hypergraph* P) {
    std::vector<std::pair<int, Ids>> Nodes, Edges;
    for (int i = 0; i < P->getNbrOfNodes(); ++i) {
      Nodes.push_back({P->getNode(i)->getID(), {}});
      for (int k = 0; k < P->getNode(i)->getNbrOfEdges(); ++k)
        Nodes.back().second.push_back(P->getNode(i)->getEdge(k)->getID());
    }
    for (int j = 0; j < P->getNbrOfEdges(); ++j) {
      Edges.push_back({P->getEdge(j)->getID(), {}});
      for (int k = 0; k < P->getEdge(j)->getNbrOfNodes(); ++k)
        Edges.back().second.push_back(P->getEdge(j)->getNode(k)->getID());
    }
    return std::make_pair(Nodes, Edges);
  };
  // The joint hyperedges take the next numbers of one counter, and the first
  // edge slot of the separator vertices.
  const int j0 = Sub[0]->getEdge(2)->getID();
  using Picture = std::pair<std::vector<std::pair<int, Ids>>, std::vector<std::pair<int, Ids>>>;
  EXPECT_EQ(picture(Sub[0]), (Picture{{{1, {0}}, {2, {0, 1}}, {3, {j0, 1}}}, {{0, {1, 2}}, {1, {2, 3}}, {j0, {3}}}}));
  EXPECT_EQ(picture(Sub[1]), (Picture{{{4, {j0 + 1, 3}}, {5, {j0 + 1, 3, 4}}, {6, {4, 5}}},
                                      {{3, {4, 5}}, {4, {5, 6}}, {5, {6}}, {j0 + 1, {4, 5}}}}));
  // Neighbour lists describe the parts alone.
  Node* Five = Sub[1]->getNode(1);
  EXPECT_EQ((Ids{Five->getNbrOfNeighbours(), Five->getNeighbour(0)->getID(), Five->getNeighbour(1)->getID()}),
            (Ids{2, 4, 6}));
  EXPECT_EQ(Sub[1]->getEdge(3)->getNbrOfNeighbours(), 2);

  // Clones are fresh objects; the divided hypergraph keeps its own.
  EXPECT_NE(Sub[0]->getNode(0), G->getNode(0));
  EXPECT_EQ(G->getNode(2)->getNbrOfEdges(), 2);
  for (int p = 0; p < 2; ++p) delete Sub[p];
  delete[] Sub;
  delete[] Sep;
  delete G;
}

namespace {

// A node that reports its own number of join nodes.
struct FixedJoins : Hypertree {
  unsigned int getNumberOfJoinNodes() override { return 10; }
};

}  // namespace

TEST(HypertreeStatistics, AveragesOverSingleChildAndJoinNodes) {
  Hypergraph* G = buildGraph(6, {});
  // {1,2,3} joins {2,3,4} (over {4,6}) and {3,5}: one single-child node with
  // change |{2,3,6}| = 3, one join node with overhead |{3}| = 1.
  Hypertree* Root = bag(G, nullptr, {1, 2, 3});
  bag(G, bag(G, Root, {2, 3, 4}), {4, 6});
  bag(G, Root, {3, 5});
  EXPECT_EQ(Root->getAverageChiSetChange(), 3.0);
  EXPECT_EQ(Root->getAverageJoinOverhead(), 1.0);
  // Without single-child or join nodes the averages are 0 / 0.
  Hypertree* Leaf = Root->getChildren()->back();
  EXPECT_TRUE(std::isnan(Leaf->getAverageChiSetChange()));
  EXPECT_TRUE(std::isnan(Leaf->getAverageJoinOverhead()));

  // A child of a derived kind counts its join nodes by its own rule.
  Root->getChildren()->front()->insChild(new FixedJoins, true);
  EXPECT_EQ(Root->getNumberOfJoinNodes(), 12u);
  delete Root;
  delete G;
}
