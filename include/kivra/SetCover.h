// Greedy set cover: a small set of hyperedges that together contain every
// vertex of a given vertex set.
#pragma once

#include <memory>
#include <vector>

namespace kivra {

class CompSet;
class Hyperedge;
class Node;

// What coverIncident prepares once per high-degree vertex and reuses across
// calls (all calls on one hypergraph, which must not change meanwhile).
class IncidentCoverCache {
 public:
  // Vertices with more than iHeavyDegree hyperedges are prepared.
  explicit IncidentCoverCache(int iHeavyDegree);
  ~IncidentCoverCache();

  IncidentCoverCache(const IncidentCoverCache&) = delete;
  IncidentCoverCache& operator=(const IncidentCoverCache&) = delete;

  struct Impl;
  std::unique_ptr<Impl> MyImpl;
};

// Runs two greedy rules (most uncovered vertices; heaviest weight of
// uncovered vertices, rare vertices weighing more), each once with a
// deterministic (smallest ID) and once with a random tie-break, and keeps the
// first of the smallest results. Overwrites the labels of the vertices and
// hyperedges involved.
class SetCover {
 public:
  SetCover();
  virtual ~SetCover();

  SetCover(const SetCover&) = delete;
  SetCover& operator=(const SetCover&) = delete;

  // A new set (owned by the caller) of hyperedges of HEdges covering every
  // vertex of Nodes, in their HEdges order. Fatal ("Covering not possible.")
  // when a vertex of Nodes lies in no hyperedge of HEdges.
  CompSet* cover(CompSet* Nodes, CompSet* HEdges);
  // The same on plain lists (Nodes and HEdges each without repeats); the
  // chosen hyperedges in their HEdges order. One SetCover reuses its working
  // memory across calls.
  std::vector<Hyperedge*> cover(const std::vector<Node*>& Nodes, const std::vector<Hyperedge*>& HEdges);
  // The same into Out (cleared first), for callers that cover many sets.
  void cover(const std::vector<Node*>& Nodes, const std::vector<Hyperedge*>& HEdges, std::vector<Hyperedge*>& Out);

  // The same cover, with the same random draws, as cover() with Nodes in
  // this order and, as candidates, every hyperedge of every vertex of Nodes
  // (each vertex's hyperedges in its own order, repeats left out), in the
  // candidates' order. The hyperedges of a high-degree vertex that meet no
  // other vertex of Nodes all score alike; they are handled as runs, so
  // such a vertex costs little per call beyond its preparation in Cache.
  std::vector<Hyperedge*> coverIncident(const std::vector<Node*>& Nodes, IncidentCoverCache& Cache);

  struct Model;

 private:
  // Loads Nodes and HEdges into the working model; false when some vertex
  // lies in no hyperedge of HEdges.
  bool isCoverable(const std::vector<Node*>& Nodes, const std::vector<Hyperedge*>& HEdges);
  // The two rules on the loaded model: the chosen candidate positions,
  // ascending, held by the model until the next rule runs.
  std::vector<int>& NodeCover1(bool bDeterm);
  std::vector<int>& NodeCover2(bool bDeterm);
  std::vector<int>& runRule(bool bWeighted, bool bDeterm);
  // A rule's state before its first round: forced hyperedges chosen,
  // weights and scores set; iUncovered the vertices left.
  void startRule(bool bWeighted, int& iUncovered);
  // Chooses the hyperedges a vertex is bound to because it is still
  // uncovered and lies in exactly one open hyperedge; lowers iUncovered by
  // the vertices they cover.
  void chooseForcedEdges(int& iUncovered);

  std::unique_ptr<Model> MyModel;
};

}  // namespace kivra
