#include "kivra/Problem.h"

#include <iostream>
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
    : parsed(false), decomposition(nullptr), benchmark(benchmark) {
  createAuxiliaryVertex();
}

Problem::~Problem() {}

Vertex Problem::getVertexId(std::string name) {
  auto found = reverseVertexNames.find(name);
  return found == reverseVertexNames.end() ? 0 : found->second;
}

std::string Problem::getVertexName(Vertex vertex) { return vertexNames[vertex]; }

unsigned int Problem::getVertexCount() {
  return static_cast<unsigned int>(vertexNames.size()) - 1;
}

void Problem::printVertexNames(std::ostream& out) {
  for (std::size_t i = 0; i < vertexNames.size(); ++i) out << "(" << i << "=" << vertexNames[i] << ")";
  out << std::endl;
}

Vertex Problem::storeVertexName(std::string name) {
  Vertex known = getVertexId(name);
  if (known != 0) return known;
  vertexNames.push_back(name);
  Vertex id = static_cast<Vertex>(vertexNames.size() - 1);
  reverseVertexNames.emplace(std::move(name), id);
  return id;
}

Vertex Problem::createAuxiliaryVertex() {
  vertexNames.push_back("__aux");
  return static_cast<Vertex>(vertexNames.size() - 1);
}

Hypergraph* Problem::createGraphFromSets(VertexSet vertices, EdgeSet edges) {
  return createGraphFromDisjointSets(std::move(vertices), VertexSet(), std::move(edges));
}

Hypergraph* Problem::createGraphFromDisjointSets(VertexSet first, VertexSet second, EdgeSet edges) {
  // Vertex id to its node; grown whenever an id does not fit.
  std::vector<Node*> nodeOf(first.size() + second.size(), nullptr);
  auto record = [&nodeOf](Vertex id, Node* node) {
    if (id >= nodeOf.size()) nodeOf.resize(static_cast<std::size_t>(id) + 1, nullptr);
    nodeOf[id] = node;
  };

  auto* graph = new Hypergraph();
  for (Vertex id : first) {
    Node* n = new Node(static_cast<int>(id), static_cast<int>(id));
    if (!n) _printError(113, kSourceFile, "n = new Node(*it, *it)");
    record(id, n);
    graph->MyNodes.push_back(n);
  }
  for (Vertex id : second) {
    Node* n = new Node(static_cast<int>(id), static_cast<int>(id));
    if (!n) _printError(121, kSourceFile, "n = new Node(*it, *it)");
    record(id, n);
    graph->MyNodes.push_back(n);
  }

  int edgeId = 0;
  for (const auto& [from, to] : edges) {
    Hyperedge* e = new Hyperedge(edgeId, edgeId);
    if (!e) _printError(128, kSourceFile, "e = new Hyperedge(edgeId, edgeId)");
    graph->MyEdges.push_back(e);
    Node* a = from < nodeOf.size() ? nodeOf[from] : nullptr;
    Node* b = to < nodeOf.size() ? nodeOf[to] : nullptr;
    // Both ends must be vertices of the graph.
    if (!a || !b) _printError(__LINE__, kSourceFile, "a && b");
    a->insEdge(e);
    b->insEdge(e);
    e->insNode(a);
    e->insNode(b);
    ++edgeId;
  }

  for (Node* node : graph->MyNodes) node->updateNeighbourhood();
  for (Hyperedge* edge : graph->MyEdges) edge->updateNeighbourhood();

  graph->iMyMaxNbrOfNodes = static_cast<int>(graph->MyNodes.size());
  graph->iMyMaxNbrOfEdges = static_cast<int>(graph->MyEdges.size());
  return graph;
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
  // The typed copy replaces (and deletes) the bucket-elimination tree.
  auto* root = new ExtendedHypertree(tree);

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
  // The hypergraph and both typed trees stay allocated for the whole run.
  return solution;
}

int Problem::calculateTreeWidth() {
  if (!parsed) {
    parse();
    preprocess();
    parsed = true;
  }
  Hypergraph* graph = buildHypergraphRepresentation();
  H_BucketElim elimination;
  return elimination.buildHypertree(graph, 2, 0, false)->getTreeWidth();
}

}  // namespace kivra
