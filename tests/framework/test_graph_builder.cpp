// The hypergraph built from vertex and pair lists.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <span>
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
