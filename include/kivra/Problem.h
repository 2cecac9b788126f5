// Base of every problem the framework solves: vertex-name tables, hypergraph
// construction from plain vertex and edge sets, and the solving pipeline
// (parse, preprocess, build the hypergraph, decompose, evaluate).
#pragma once

#include <ostream>
#include <string>

#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/Global.h"
#include "kivra/Hypergraph.h"

namespace kivra {

class Problem {
 public:
  // With `benchmark`, calculateSolution prints progress and timing lines.
  explicit Problem(bool benchmark);
  virtual ~Problem();

  // Reads the problem's input; called at most once by the pipeline.
  virtual void parse() = 0;
  // Runs once right after parse.
  virtual void preprocess() = 0;
  // A new hypergraph of the problem, owned by the caller.
  virtual Hypergraph* buildHypergraphRepresentation() = 0;

  // Parses (once), decomposes and evaluates with `algorithm`; the returned
  // solution is wholly lazy. Nothing built on the way is released.
  Solution* calculateSolution(AbstractHTDAlgorithm* algorithm);
  // Parses (once) and returns the width of a new decomposition.
  int calculateTreeWidth();

  // The id of `name`, 0 when it has none (also for the auxiliary vertex).
  Vertex getVertexId(std::string name);
  // The name of an id obtained from this problem.
  std::string getVertexName(Vertex vertex);
  // The number of named vertices, the auxiliary vertex not counted.
  unsigned int getVertexCount();
  // "(id=name)" for every id from 0, then a newline.
  void printVertexNames(std::ostream& out);

 protected:
  // The id of `name`, stored under the next free id when it has none.
  Vertex storeVertexName(std::string name);
  // Appends the auxiliary vertex "__aux" (no reverse entry) and returns its id.
  Vertex createAuxiliaryVertex();

  static Hypergraph* createGraphFromSets(VertexSet vertices, EdgeSet edges);
  // One node per vertex (first set, then second, each ascending; ID and name
  // the vertex id) and one two-node hyperedge per pair in pair order.
  static Hypergraph* createGraphFromDisjointSets(VertexSet first, VertexSet second, EdgeSet edges);

  NameMap vertexNames;
  ReverseNameMap reverseVertexNames;
  bool parsed;
  ExtendedHypertree* decomposition;
  bool benchmark;
};

}  // namespace kivra
