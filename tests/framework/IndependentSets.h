// A small problem solved end to end by the framework: the independent sets of
// a graph, by dynamic programming over normalized, strongly normalized and
// semi-normalized decompositions. A table row is the part of an independent
// set that lies in the node's bag.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <random>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
#include "kivra/Problem.h"

namespace fwtest {

using kivra::Solution;
using kivra::TupleSet;
using kivra::Vertex;
using kivra::VertexSet;

struct Graph {
  VertexSet vertices;    // every vertex lies on some edge
  kivra::EdgeSet edges;  // (a, b) with a < b, or (a, a) for a loop
};

class GraphProblem : public kivra::Problem {
 public:
  explicit GraphProblem(Graph graph, bool benchmark = false)
      : kivra::Problem(benchmark), graph(std::move(graph)) {}

  void parse() override {
    ++parseCalls;
    for (Vertex v : graph.vertices) ids[v] = storeVertexName(std::to_string(v).insert(0, 1, 'v'));
  }
  void preprocess() override {
    adjacent.assign(vertexNames.size(), {});
    for (auto [a, b] : graph.edges) {
      adjacent[idOf(a)].push_back(idOf(b));
      adjacent[idOf(b)].push_back(idOf(a));
    }
  }
  kivra::Hypergraph* buildHypergraphRepresentation() override {
    VertexSet ids;
    kivra::EdgeSet edges;
    for (Vertex v : graph.vertices) ids.insert(idOf(v));
    for (auto [a, b] : graph.edges) edges.insert({idOf(a), idOf(b)});
    return createGraphFromSets(ids, edges);
  }

  // Whether vertex id `v` can join `set` (ids) keeping it independent.
  bool fits(const VertexSet& set, Vertex v) const {
    for (Vertex u : adjacent[v])
      if (u == v || set.count(u)) return false;
    return true;
  }

  Vertex idOf(Vertex v) const { return ids.at(v); }
  // A set of ids in original vertex numbers.
  VertexSet originals(const VertexSet& ids) {
    VertexSet result;
    for (Vertex id : ids) result.insert(static_cast<Vertex>(std::stoul(getVertexName(id).substr(1))));
    return result;
  }

  using kivra::Problem::createGraphFromDisjointSets;
  using kivra::Problem::createGraphFromSets;
  using kivra::Problem::storeVertexName;

  Graph graph;
  int parseCalls = 0;
  std::vector<std::vector<Vertex>> adjacent;  // by vertex id
  std::map<Vertex, Vertex> ids;               // original vertex to id
};

class SetTuple : public kivra::Tuple {
 public:
  explicit SetTuple(VertexSet chosen) : chosen(std::move(chosen)) {}
  bool operator<(const kivra::Tuple& other) const override {
    return chosen < static_cast<const SetTuple&>(other).chosen;
  }
  bool operator==(const kivra::Tuple& other) const override {
    return chosen == static_cast<const SetTuple&>(other).chosen;
  }
  int hash() const override { return -1; }
  VertexSet chosen;
};

inline const VertexSet& chosenOf(kivra::Tuple* t) { return static_cast<SetTuple*>(t)->chosen; }

// Every subset of `candidates` that can extend `base` independently.
inline std::vector<VertexSet> extensions(const GraphProblem& p, const VertexSet& base,
                                         const VertexSet& candidates) {
  std::vector<VertexSet> result{VertexSet()};
  for (Vertex v : candidates) {
    std::size_t count = result.size();
    for (std::size_t i = 0; i < count; ++i) {
      VertexSet all = base;
      all.insert(result[i].begin(), result[i].end());
      if (!p.fits(all, v)) continue;
      VertexSet grown = result[i];
      grown.insert(v);
      result.push_back(grown);
    }
  }
  return result;
}

// Rules shared by both forms: branch join and root selection.
template <class Base>
class IndependentSetRules : public Base {
 public:
  explicit IndependentSetRules(GraphProblem* p) : Base(p), graph(p) {}

 protected:
  TupleSet* evaluateBranchNode(const kivra::ExtendedHypertree* node) override {
    TupleSet* left = this->evaluateNode(node->firstChild());
    TupleSet* right = this->evaluateNode(node->secondChild());
    auto* table = new TupleSet;
    auto l = left->begin();
    auto r = right->begin();
    while (l != left->end() && r != right->end()) {
      if (*l->first < *r->first) {
        ++l;
      } else if (*r->first < *l->first) {
        ++r;
      } else {
        this->addToTupleSet(new SetTuple(chosenOf(l->first)),
                            this->combineSolutions(kivra::CrossJoin, l->second, r->second), table,
                            kivra::Union);
        ++l;
        ++r;
      }
    }
    release(left);
    release(right);
    return table;
  }

  const kivra::ExtendedHypertree* prepareHypertreeDecomposition(
      const kivra::ExtendedHypertree* root) override {
    converted = root;
    return prepared = Base::prepareHypertreeDecomposition(root);
  }

  Solution* selectSolution(TupleSet* table, const kivra::ExtendedHypertree*) override {
    Solution* result = this->createEmptySolution();
    for (auto& [tuple, solution] : *table) result = this->combineSolutions(kivra::Union, result, solution);
    return result;
  }

  // The table after dropping `removed` from every row and extending each row
  // by every independent choice among `introduced`; consumes `child`.
  TupleSet* step(TupleSet* child, const VertexSet& removed, const VertexSet& introduced) {
    auto* table = new TupleSet;
    for (auto& [tuple, solution] : *child) {
      VertexSet kept;
      for (Vertex v : chosenOf(tuple))
        if (!removed.count(v)) kept.insert(v);
      for (const VertexSet& added : extensions(*graph, kept, introduced)) {
        VertexSet row = kept;
        row.insert(added.begin(), added.end());
        Solution* extended = added.empty()       ? solution
                             : added.size() == 1 ? this->addToSolution(solution, *added.begin())
                                                 : this->addToSolution(solution, added);
        this->addToTupleSet(new SetTuple(row), extended, table, kivra::Union);
      }
    }
    release(child);
    return table;
  }

  static void release(TupleSet* table) {
    for (auto& entry : *table) delete entry.first;
    delete table;
  }

  GraphProblem* graph;

 public:
  const kivra::ExtendedHypertree* converted = nullptr;  // the tree handed to evaluate
  const kivra::ExtendedHypertree* prepared = nullptr;   // the tree the rules ran on
};

// Over a normalized tree: one rule per node kind.
class NormalizedIndependentSets : public IndependentSetRules<kivra::AbstractNormalizedHTDAlgorithm> {
 public:
  explicit NormalizedIndependentSets(GraphProblem* p, kivra::NormalizationType form = kivra::DefaultNormalization)
      : IndependentSetRules(p), form(form) {}

  const kivra::ExtendedHypertree* prepareHypertreeDecomposition(const kivra::ExtendedHypertree* root) override {
    converted = root;
    return prepared = root->normalize(form);
  }

  TupleSet* evaluateLeafNode(const kivra::ExtendedHypertree* node) override {
    auto* table = new TupleSet;
    for (const VertexSet& chosen : extensions(*graph, VertexSet(), node->getVertices()))
      table->emplace(new SetTuple(chosen), createLeafSolution(chosen));
    return table;
  }

  TupleSet* evaluateIntroductionNode(const kivra::ExtendedHypertree* node) override {
    return step(evaluateNode(node->firstChild()), {}, node->getIntroducedVertices());
  }
  TupleSet* evaluateRemovalNode(const kivra::ExtendedHypertree* node) override {
    return step(evaluateNode(node->firstChild()), node->getRemovedVertices(), {});
  }

  kivra::NormalizationType form;
};

// Over a semi-normalized tree: every non-branch node removes and introduces
// any number of vertices at once (a leaf introduces its whole bag).
class SemiNormalizedIndependentSets
    : public IndependentSetRules<kivra::AbstractSemiNormalizedHTDAlgorithm> {
 public:
  explicit SemiNormalizedIndependentSets(GraphProblem* p) : IndependentSetRules(p) {}

  TupleSet* evaluatePermutationNode(const kivra::ExtendedHypertree* node) override {
    TupleSet* child;
    if (node->getType() == kivra::Leaf) {
      child = new TupleSet;
      child->emplace(new SetTuple(VertexSet()), createLeafSolution(VertexSet()));
    } else {
      child = evaluateNode(node->firstChild());
    }
    return step(child, node->getRemovedVertices(), node->getIntroducedVertices());
  }
};

// A random graph on vertices 1..n; a vertex left without an edge gets one.
inline Graph randomGraph(std::mt19937& random, int n, double density) {
  Graph g;
  std::bernoulli_distribution edge(density);
  std::uniform_int_distribution<Vertex> pick(1, static_cast<Vertex>(n));
  for (Vertex a = 1; a <= static_cast<Vertex>(n); ++a)
    for (Vertex b = a + 1; b <= static_cast<Vertex>(n); ++b)
      if (edge(random)) g.edges.insert({a, b});
  for (auto [a, b] : g.edges) g.vertices.insert({a, b});
  for (Vertex v = 1; v <= static_cast<Vertex>(n); ++v) {
    if (g.vertices.count(v)) continue;
    Vertex u = pick(random);
    g.edges.insert({std::min(u, v), std::max(u, v)});
    g.vertices.insert({u, v});
  }
  return g;
}

// All independent sets by trying every subset (original vertex numbers).
inline std::set<VertexSet> bruteForce(const Graph& g) {
  std::vector<Vertex> vs(g.vertices.begin(), g.vertices.end());
  std::set<VertexSet> result;
  for (std::uint32_t mask = 0; mask < (1u << vs.size()); ++mask) {
    VertexSet s;
    for (std::size_t i = 0; i < vs.size(); ++i)
      if (mask >> i & 1) s.insert(vs[i]);
    bool independent = true;
    for (auto [a, b] : g.edges) independent = independent && !(s.count(a) && s.count(b));
    if (independent) result.insert(s);
  }
  return result;
}

}  // namespace fwtest
