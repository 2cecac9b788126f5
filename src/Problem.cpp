#include "kivra/Problem.h"

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <limits>
#include <vector>

#include "kivra/H_BucketElim.h"
#include "kivra/Hyperedge.h"
#include "kivra/Hypertree.h"
#include "kivra/Node.h"
#include "kivra/support.h"

namespace kivra {

namespace {

constexpr const char* kSourceFile = "./Problem.cpp";

}  // namespace

Problem::Problem(bool benchmark)
    : reverseVertexNames(64, NameSlot{0, 0, 0}), parsed(false), decomposition(nullptr), benchmark(benchmark) {
  createAuxiliaryVertex();
}

Problem::~Problem() {}

std::size_t Problem::nameSlotOf(std::string_view name, std::uint32_t hash, std::uint64_t packed) const {
  const std::size_t mask = reverseVertexNames.size() - 1;
  std::size_t slot = hash & mask;
  for (;; slot = (slot + 1) & mask) {
    const NameSlot& entry = reverseVertexNames[slot];
    if (entry.id == 0) return slot;
    if (entry.hash != hash || entry.shortName != packed) continue;
    if (packed != 0 || vertexNames[entry.id] == name) return slot;
  }
}

Vertex Problem::findVertexId(std::string_view name) const {
  restoreNameIndex();
  return reverseVertexNames[nameSlotOf(name, hashName(name), packShortName(name))].id;
}

Vertex Problem::getVertexId(std::string name) { return findVertexId(name); }

std::string Problem::getVertexName(Vertex vertex) { return vertexNames[vertex]; }

unsigned int Problem::getVertexCount() {
  return static_cast<unsigned int>(vertexNames.size()) - 1;
}

void Problem::printVertexNames(std::ostream& out) {
  for (std::size_t i = 0; i < vertexNames.size(); ++i) out << "(" << i << "=" << vertexNames[i] << ")";
  out << std::endl;
}

Vertex Problem::storeVertexName(std::string name) {
  restoreNameIndex();
  const std::uint32_t hash = hashName(name);
  const std::uint64_t packed = packShortName(name);
  const std::size_t slot = nameSlotOf(name, hash, packed);
  if (reverseVertexNames[slot].id != 0) return reverseVertexNames[slot].id;
  vertexNames.push_back(std::move(name));
  const Vertex id = static_cast<Vertex>(vertexNames.size() - 1);
  reverseVertexNames[slot] = {hash, id, packed};
  if (++indexedNames * 2 > reverseVertexNames.size()) growNameIndex();
  return id;
}

void Problem::growNameIndex() {
  // The stored hash bits place every entry; no name is read.
  decltype(reverseVertexNames) old(reverseVertexNames.size() * 2, NameSlot{0, 0, 0});
  old.swap(reverseVertexNames);
  const std::size_t mask = reverseVertexNames.size() - 1;
  for (const NameSlot& entry : old) {
    if (entry.id == 0) continue;
    std::size_t slot = entry.hash & mask;
    while (reverseVertexNames[slot].id != 0) slot = (slot + 1) & mask;
    reverseVertexNames[slot] = entry;
  }
}

void Problem::releaseNameIndex() { NameIndex().swap(reverseVertexNames); }

void Problem::restoreNameIndex() const {
  if (!reverseVertexNames.empty()) return;
  std::size_t slots = 64;
  while (indexedNames * 2 > slots) slots *= 2;
  NameIndex index(slots, NameSlot{0, 0, 0});
  const std::size_t mask = slots - 1;
  for (std::size_t id = 0; id < vertexNames.size(); ++id) {
    if (std::find(auxiliaryIds.begin(), auxiliaryIds.end(), id) != auxiliaryIds.end()) continue;
    // Stored names are distinct: each goes to the first free slot.
    const std::string& name = vertexNames[id];
    const std::uint32_t hash = hashName(name);
    std::size_t slot = hash & mask;
    while (index[slot].id != 0) slot = (slot + 1) & mask;
    index[slot] = {hash, static_cast<Vertex>(id), packShortName(name)};
  }
  reverseVertexNames.swap(index);
}

Vertex Problem::createAuxiliaryVertex() {
  vertexNames.push_back("__aux");
  auxiliaryIds.push_back(static_cast<Vertex>(vertexNames.size() - 1));
  return static_cast<Vertex>(vertexNames.size() - 1);
}

Hypergraph* Problem::createGraphFromSets(VertexSet vertices, EdgeSet edges) {
  return createGraphFromDisjointSets(std::move(vertices), VertexSet(), std::move(edges));
}

namespace {

// One node per vertex of `first`, then of `second`, in their order; one
// two-node hyperedge per pair of `edges` in its order. The nodes and
// hyperedges lie in the hypergraph's element block, and the hyperedge lists
// of nodes in more than two hyperedges in its member slots, each list sized
// by a first pass over the pairs.
template <class Vertices, class MoreVertices, class Edges>
Hypergraph* buildGraph(const Vertices& first, const MoreVertices& second, const Edges& edges) {
  static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
  // Vertex id to the position of its node; grown whenever an id does not fit.
  std::vector<std::uint32_t> positionOf(first.size() + second.size(), kNone);
  auto record = [&positionOf](Vertex id, std::size_t position) {
    if (id >= positionOf.size()) positionOf.resize(static_cast<std::size_t>(id) + 1, kNone);
    positionOf[id] = static_cast<std::uint32_t>(position);
  };

  auto* graph = new Hypergraph();
  const std::size_t nodeCount = first.size() + second.size();
  graph->reserveElements(nodeCount, edges.size());
  graph->MyNodes.reserve(nodeCount);
  graph->MyEdges.reserve(edges.size());
  for (Vertex id : first) {
    Node* n = graph->newNode(static_cast<int>(id), static_cast<int>(id));
    if (!n) _printError(113, kSourceFile, "n = new Node(*it, *it)");
    record(id, graph->MyNodes.size());
    graph->MyNodes.push_back(n);
  }
  for (Vertex id : second) {
    Node* n = graph->newNode(static_cast<int>(id), static_cast<int>(id));
    if (!n) _printError(121, kSourceFile, "n = new Node(*it, *it)");
    record(id, graph->MyNodes.size());
    graph->MyNodes.push_back(n);
  }

  // The number of hyperedges of every node (a pair (v, v) counts twice).
  std::vector<std::uint32_t> degree(nodeCount, 0);
  auto positionOfEnd = [&positionOf](Vertex id) { return id < positionOf.size() ? positionOf[id] : kNone; };
  for (const auto& [from, to] : edges) {
    const std::uint32_t a = positionOfEnd(from), b = positionOfEnd(to);
    // Both ends must be vertices of the graph.
    if (a == kNone || b == kNone) _printError(__LINE__, kSourceFile, "a && b");
    ++degree[a];
    ++degree[b];
  }
  // A node in at most two hyperedges holds them in place; the others get
  // consecutive runs of the member slots, filled in pair order.
  std::vector<std::uint32_t> next(nodeCount, 0);
  std::size_t slotCount = 0;
  for (std::size_t i = 0; i < nodeCount; ++i) {
    if (degree[i] <= 2) continue;
    next[i] = static_cast<std::uint32_t>(slotCount);
    slotCount += degree[i];
  }
  Component** slots = slotCount > 0 ? graph->memberSlots(slotCount) : nullptr;
  auto addEdge = [&](std::uint32_t position, Hyperedge* e) {
    if (degree[position] <= 2)
      graph->MyNodes[position]->insEdge(e);
    else
      slots[next[position]++] = e;
  };

  int edgeId = 0;
  for (const auto& [from, to] : edges) {
    Hyperedge* e = graph->newEdge(edgeId, edgeId);
    if (!e) _printError(128, kSourceFile, "e = new Hyperedge(edgeId, edgeId)");
    graph->MyEdges.push_back(e);
    const std::uint32_t a = positionOf[from], b = positionOf[to];
    addEdge(a, e);
    addEdge(b, e);
    e->insNode(graph->MyNodes[a]);
    e->insNode(graph->MyNodes[b]);
    ++edgeId;
  }
  for (std::size_t i = 0; i < nodeCount; ++i) {
    if (degree[i] <= 2) continue;
    Hypergraph::lendMembers(graph->MyNodes[i], slots + (next[i] - degree[i]), static_cast<int>(degree[i]));
  }

  for (Node* node : graph->MyNodes) node->updateNeighbourhood();
  for (Hyperedge* edge : graph->MyEdges) edge->updateNeighbourhood();

  graph->iMyMaxNbrOfNodes = static_cast<int>(graph->MyNodes.size());
  graph->iMyMaxNbrOfEdges = static_cast<int>(graph->MyEdges.size());
  return graph;
}

}  // namespace

Hypergraph* Problem::createGraphFromDisjointSets(VertexSet first, VertexSet second, EdgeSet edges) {
  return buildGraph(first, second, edges);
}

Hypergraph* Problem::createGraphFromSets(std::span<const Vertex> vertices,
                                         std::span<const std::pair<Vertex, Vertex>> edges) {
  return createGraphFromDisjointSets(vertices, std::span<const Vertex>(), edges);
}

Hypergraph* Problem::createGraphFromDisjointSets(std::span<const Vertex> first, std::span<const Vertex> second,
                                                 std::span<const std::pair<Vertex, Vertex>> edges) {
  return buildGraph(first, second, edges);
}

Solution* Problem::calculateSolution(AbstractHTDAlgorithm* algorithm) {
  Timer total;
  Timer step;

  if (benchmark) {
    std::cout << "Parsing... " << std::flush;
    total.start();
  }
  if (!parsed) {
    parse();
    preprocess();
    parsed = true;
    releaseNameIndex();
  }
  if (benchmark) {
    std::cout << "done. (took ";
    total.printStop(std::cout);
    std::cout << " seconds)" << std::endl;
  }

  if (benchmark) {
    std::cout << "Starting decomposition..." << std::endl;
    total.start();
  }
  Hypergraph* graph = buildHypergraphRepresentation();
  if (benchmark) {
    std::cout << "\tbuilding hypergraph took ";
    total.printStop(std::cout);
    step.start();
    std::cout << " seconds)" << std::endl;
  }

  H_BucketElim elimination;
  Hypertree* tree = elimination.buildHypertree(graph, 2, 0, false);
  // The typed copy replaces (and deletes) the bucket-elimination tree. It
  // holds vertex ids, not the hypergraph's objects, and nothing reads the
  // hypergraph afterwards: it goes before the tables are built.
  ExtendedHypertree* root = new ExtendedHypertree(tree);
  delete graph;

  if (benchmark) {
    std::cout << "\tbuilding hypertree decomposition took ";
    step.printStop(std::cout);
    std::cout << " seconds)" << std::endl;
  }
  if (benchmark) {
    std::cout << "done. (took ";
    total.printStop(std::cout);
    std::cout << " seconds)" << std::endl;
  }

  if (benchmark) {
    std::cout << "Calculating solution... " << std::flush;
    total.start();
  }
  Solution* solution = algorithm->evaluate(root, nullptr);
  if (benchmark) {
    std::cout << "done. (took ";
    total.printStop(std::cout);
    std::cout << " seconds)" << std::endl;
  }
  // The typed tree stays allocated for the whole run; the normalized nodes
  // are released as the evaluation consumes them.
  return solution;
}

int Problem::calculateTreeWidth() {
  if (!parsed) {
    parse();
    preprocess();
    parsed = true;
    releaseNameIndex();
  }
  Hypergraph* graph = buildHypergraphRepresentation();
  H_BucketElim elimination;
  // The hypergraph and the tree stay allocated: the width ends the run.
  return elimination.buildHypertree(graph, 2, 0, false)->getTreeWidth();
}

}  // namespace kivra
