// GML output of a decomposition: the exact text for small trees, name order,
// subtrees, an unwritable file and a long path.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_hypertree_graphs.h"

using namespace decomposition_test;

namespace {

std::string readFile(const std::string& Path) {
  std::ifstream In(Path);
  std::stringstream Text;
  Text << In.rdbuf();
  return Text.str();
}

std::string gmlOf(Hypertree* T, Hypergraph* G) {
  std::string Path = testing::TempDir() + "zelkovant_tree.gml";
  T->outputToGML(G, Path.c_str());
  std::string Text = readFile(Path);
  std::remove(Path.c_str());
  return Text;
}

std::string nodeBlock(int iId, const std::string& Label) {
  return "  node [\n    id " + std::to_string(iId) + "\n    label \"" + Label +
         "\"\n    vgj [\n      labelPosition \"in\"\n      shape \"Rectangle\"\n    ]\n  ]\n\n";
}

std::string edgeBlock(int iSource, int iTarget) {
  return "  edge [\n    source " + std::to_string(iSource) + "\n    target " + std::to_string(iTarget) + "\n  ]\n\n";
}

const std::string kHead = "graph [\n\n  directed 0\n\n";
const std::string kTail = "]\n";

}  // namespace

TEST(GML, SingleNodeAndEmptySets) {
  Hypergraph* G = buildGraph(3, {{1, 2}, {2, 3}});
  Hypertree Root;
  EXPECT_EQ(gmlOf(&Root, G), kHead + nodeBlock(1, "{}    {}") + kTail);
  Root.insChi(G->getNode(2));
  Root.insChi(G->getNode(1));
  Root.insLambda(G->getEdge(1));
  EXPECT_EQ(gmlOf(&Root, G), kHead + nodeBlock(1, "{1}    {2, 3}") + kTail);
  delete G;
}

TEST(GML, TreeInPreOrderWithNamesByPosition) {
  // Names differ from IDs and positions; names are listed by position.
  Hypergraph* G = new Hypergraph;
  for (int i = 0; i < 5; ++i) G->MyNodes.push_back(new Node(i, 50 - i));
  for (int j = 0; j < 5; ++j) G->MyEdges.push_back(new Hyperedge(j, j));
  G->iMyMaxNbrOfNodes = G->iMyMaxNbrOfEdges = 5;
  // Inserted the other way round and held in address order: the output
  // order comes from the positions alone.
  Hypertree* Root = new Hypertree;
  for (int i : {4, 0, 2}) Root->insChi(G->getNode(i));
  for (int j : {4, 1}) Root->insLambda(G->getEdge(j));
  Hypertree* Left = new Hypertree;
  Left->insChi(G->getNode(3));
  Hypertree* Right = new Hypertree;
  Hypertree* Below = new Hypertree;
  Below->insLambda(G->getEdge(0));
  Root->insChild(Left, true);
  Root->insChild(Right, true);
  Right->insChild(Below, true);
  const std::string Expected = kHead + nodeBlock(1, "{1, 4}    {50, 48, 46}") + nodeBlock(2, "{}    {47}") +
                               nodeBlock(3, "{}    {}") + nodeBlock(4, "{0}    {}") + edgeBlock(1, 2) +
                               edgeBlock(1, 3) + edgeBlock(3, 4) + kTail;
  EXPECT_EQ(gmlOf(Root, G), Expected);
  // The numbers and positions stay behind as labels.
  EXPECT_EQ(Below->getLabel(), 4);
  EXPECT_EQ(G->getEdge(3)->getLabel(), 3);

  // Written from a subtree: numbered from 1 there, no edge to the parent
  // outside the file.
  EXPECT_EQ(gmlOf(Right, G), kHead + nodeBlock(1, "{}    {}") + nodeBlock(2, "{0}    {}") + edgeBlock(1, 2) + kTail);
  delete Root;
  delete G;
}

TEST(GMLDeathTest, FileThatCannotBeOpened) {
  Hypergraph G;
  Hypertree T;
  EXPECT_EXIT(T.outputToGML(&G, "/nonexistent-directory/tree.gml"), ::testing::ExitedWithCode(1),
              "^ERROR in Hypertree::outputToGML: Error opening file.\n$");
}

TEST(GML, LongPath) {
  // A chain of 200,000 tree nodes is written without deep recursion; an
  // existing file is truncated.
  const int n = 200000;
  Hypergraph* G = buildGraph(n, pathEdges(n));
  Hypertree* Root = new Hypertree;
  for (Hypertree *T = Root, *Next; T != nullptr; T = Next) {
    int i = static_cast<int>(T->getParent() == nullptr ? 0 : T->getParent()->getLabel() + 1);
    T->setLabel(i);
    T->insChi(G->getNode(i));
    T->insChi(G->getNode(i + 1));
    T->insLambda(G->getEdge(i));
    Next = i + 2 < n ? new Hypertree : nullptr;
    if (Next != nullptr) T->insChild(Next, true);
  }
  std::string Path = testing::TempDir() + "zelkovant_path.gml";
  std::ofstream(Path) << std::string(100 * n, 'x');
  Root->outputToGML(G, Path.c_str());
  std::string Text = readFile(Path);
  std::remove(Path.c_str());
  EXPECT_EQ(Text.substr(0, kHead.size()), kHead);
  const std::string Last = std::to_string(n - 2) + "}    {" + std::to_string(n - 1) + ", " + std::to_string(n);
  const std::string Suffix = nodeBlock(n - 1, "{" + Last + "}") + edgeBlock(1, 2);
  EXPECT_NE(Text.find(Suffix), std::string::npos);
  EXPECT_EQ(Text.substr(Text.size() - edgeBlock(n - 2, n - 1).size() - kTail.size()), edgeBlock(n - 2, n - 1) + kTail);
  delete Root;
  delete G;
}
