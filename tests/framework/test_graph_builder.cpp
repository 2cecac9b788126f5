// The hypergraph built from vertex and pair lists.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "kivra/Problem.h"

namespace {

using kivra::Vertex;

struct Builder : kivra::Problem {
  Builder() : kivra::Problem(false) {}
  void parse() override {}
  void preprocess() override {}
  kivra::Hypergraph* buildHypergraphRepresentation() override { return nullptr; }
  using kivra::Problem::createGraphFromSets;
};

}  // namespace

TEST(GraphBuilder, EveryNodeListsItsHyperedgesInPairOrder) {
  // Random pairs give degrees from none to about twenty (lists in place and
  // in the member slots), loops counting twice. Appending to one node's list
  // then leaves every other list as it was.
  std::mt19937 Rng(11);
  for (int iRound = 0; iRound < 20; ++iRound) {
    const Vertex n = 2 + Rng() % 12;
    std::vector<Vertex> Vertices;
    std::vector<std::pair<Vertex, Vertex>> Pairs;
    for (Vertex v = 1; v <= n; ++v) Vertices.push_back(3 * v);
    for (Vertex a : Vertices)
      for (Vertex b : Vertices)
        if (Rng() % 3 == 0) Pairs.emplace_back(a, b);
    if (Pairs.empty()) continue;
    std::unique_ptr<kivra::Hypergraph> G(Builder::createGraphFromSets(
        std::span<const Vertex>(Vertices), std::span<const std::pair<Vertex, Vertex>>(Pairs)));
    std::vector<std::vector<int>> Expected(n);
    for (std::size_t k = 0; k < Pairs.size(); ++k)
      for (Vertex End : {Pairs[k].first, Pairs[k].second}) Expected[End / 3 - 1].push_back(static_cast<int>(k));
    for (Vertex grown = 0; grown <= n; ++grown) {
      if (grown > 0) {
        G->getNode(static_cast<int>(grown - 1))->insEdge(G->getEdge(0));
        Expected[grown - 1].push_back(0);
      }
      for (Vertex i = 0; i < n; ++i) {
        kivra::Node* Node = G->getNode(static_cast<int>(i));
        ASSERT_EQ(Node->getNbrOfEdges(), static_cast<int>(Expected[i].size()));
        for (int j = 0; j < Node->getNbrOfEdges(); ++j) ASSERT_EQ(Node->getEdge(j)->getID(), Expected[i][j]);
      }
    }
  }
}

namespace {

// Names v1..v300 and a stored "__aux" besides the auxiliary one.
struct Named : Builder {
  void parse() override {
    for (int i = 1; i <= 300; ++i) storeVertexName("v" + std::to_string(i));
    storeVertexName("__aux");
  }
  kivra::Hypergraph* buildHypergraphRepresentation() override { return createGraphFromSets({1, 2}, {{1, 2}}); }
  using kivra::Problem::storeVertexName;
};

}  // namespace

TEST(GraphBuilder, NamesAreFoundAndStoredAfterTheDecomposition) {
  // The pipeline drops the name index once the input is read; look-ups and
  // stores afterwards see every name as before.
  Named p;
  EXPECT_EQ(p.calculateTreeWidth(), 1);
  for (int i = 1; i <= 300; ++i) ASSERT_EQ(p.getVertexId("v" + std::to_string(i)), static_cast<Vertex>(i));
  EXPECT_EQ(p.getVertexId("__aux"), 301u) << "the stored one, not the auxiliary vertex";
  EXPECT_EQ(p.getVertexId("v0"), 0u);
  EXPECT_EQ(p.storeVertexName("v7"), 7u);
  EXPECT_EQ(p.storeVertexName("w"), 302u);
  EXPECT_EQ(p.getVertexId("w"), 302u);
}
