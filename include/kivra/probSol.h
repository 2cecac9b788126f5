// One candidate solution of the ordering local searches: a vertex elimination
// ordering of the primal graph of a hypergraph (or of a graph read from a
// file), the graph itself, and the measures of the ordering (its width).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kivra {

class Hypergraph;

// The adjacency relation of the ordering model: an n x n bit matrix (n*n/8
// bytes, 512 MiB at the 65,536-node maximum, its pages zeroed by the system
// as they are first touched) answering, setting and clearing one pair in
// constant time. Symmetric adjacency is stored as both (u, v) and (v, u).
// Reading follows matrix syntax: graph[u][v] (false while no matrix is
// allocated).
class AdjacencyMatrix {
 public:
  // An n x n matrix with no pair set, replacing any earlier one; allocation
  // failure is fatal.
  void allocate(int n);
  bool allocated() const { return Bits != nullptr; }
  // u and v below n; the matrix must be allocated.
  bool test(unsigned u, unsigned v) const { return (Bits[word(u, v)] >> (v & 63u)) & 1u; }
  void set(unsigned u, unsigned v) {
    std::uint64_t& w = Bits[word(u, v)];
    const std::uint64_t b = std::uint64_t{1} << (v & 63u);
    iCount += (w & b) == 0;
    w |= b;
  }
  void clear(unsigned u, unsigned v) {
    std::uint64_t& w = Bits[word(u, v)];
    const std::uint64_t b = std::uint64_t{1} << (v & 63u);
    iCount -= (w & b) != 0;
    w &= ~b;
  }
  // Releases the matrix.
  void reset();
  // Number of pairs set.
  std::size_t size() const { return iCount; }

  class Row {
   public:
    Row(const AdjacencyMatrix* Graph, unsigned u) : Graph(Graph), u(u) {}
    bool operator[](unsigned v) const { return Graph->allocated() && Graph->test(u, v); }

   private:
    const AdjacencyMatrix* Graph;
    unsigned u;
  };
  Row operator[](unsigned u) const { return Row(this, u); }

  AdjacencyMatrix() = default;
  ~AdjacencyMatrix() { reset(); }
  AdjacencyMatrix(const AdjacencyMatrix&) = delete;
  AdjacencyMatrix& operator=(const AdjacencyMatrix&) = delete;

 private:
  std::size_t word(unsigned u, unsigned v) const { return std::size_t{u} * iWordsPerRow + (v >> 6); }

  std::uint64_t* Bits = nullptr;  // row after row, iWordsPerRow words each
  std::size_t iWordsPerRow = 0;
  std::size_t iCount = 0;
};

// Nodes are numbered 0 .. n-1 (node i is position i of the hypergraph's node
// vector) and stored in unsigned 16-bit entries, so n is at most 65536.
// Position 0 of the ordering is eliminated first.
//
// Invariants between operations: iElimOrdering and iNodePosInOrdering are
// inverse permutations; iZeroOneGraph holds exactly the primal graph
// (symmetric, self-loops on the diagonal) from createGraphFromHyp or
// readFromFile on; no node is flagged in bNodeEliminated. The model owns
// every array it allocated.
class probSol {
 public:
  // An empty model: no graph, no ordering.
  probSol();
  ~probSol();

  probSol(const probSol&) = delete;
  probSol& operator=(const probSol&) = delete;

  // Builds the primal graph of a hypergraph (which must have up-to-date node
  // neighbour lists) as neighbour lists and as iZeroOneGraph, its per-node
  // hyperedge lists, and the reverse of the node numbering as initial
  // ordering. Node labels become node numbers and
  // hyperedge labels hyperedge numbers. The hypergraph is not owned.
  void createGraphFromHyp(Hypergraph* myHypergraph);
  // The list-only variant: identity ordering, neighbour lists without
  // iZeroOneGraph and without hyperedge lists (adjacency is then asked
  // through bAreNodesConnected).
  void createGraphFromHypNew(Hypergraph* myHypergraph);
  // Builds the graph (neighbour lists and iZeroOneGraph) from a graph file:
  // a line "p <word> <nodes> <edges>", then lines "e <u> <v>" with nodes
  // numbered from 1; lines starting with any other character are skipped. A
  // file that cannot be opened ends the process (message on standard output,
  // status 1), and so does a node count above 65536 or a count beyond an int
  // ("Set size exceeded."). Edge lines before the problem line or naming
  // nodes outside 1 .. n are skipped.
  void readFromFile(const char* strnameoffile);

  // Recomputes the fitness (the width of the ordering; smaller is better).
  // (-1, -1) evaluates the whole ordering; with iHighPosition >= 0 the
  // positions beyond it keep their stored values (valid when only positions
  // up to iHighPosition changed since the last computation).
  void calculateFitness(int iLowestPosition, int iHighPosition);
  // Experimental variant: random choice of the largest-clique node among
  // ties and a secondary measure in hypertree mode.
  void calculateFitnessTest(int iLowestPosition, int iHighPosition);
  // Whether one node occurs in the other's working neighbour list (the
  // shorter list is searched).
  bool bAreNodesConnected(int iNode1, int iNode2);

  // Greedy orderings. None computes the fitness. Ties are broken by the
  // reservoir rule while scanning the nodes by increasing number: a strictly
  // better node becomes the choice (tie count 1); an equal one raises the tie
  // count to k and replaces the choice when rand() % k + 1 == k.
  void MCSOrdering();
  void NewMCSOrder();
  void MinDegreeOrdering();
  void MinFillOrdering();
  void MinDegreeAndFillOrdering();
  void MinFillAndDegreeOrdering();
  // Minimum fill for a model built by createGraphFromHypNew.
  void NewMinFillOrder();
  // Does nothing.
  void NewMinDegreeOrder();
  // The identity ordering: position i holds node i.
  void randomIntialSolution();
  // Copies an ordering in (n entries), rebuilds the positions and computes
  // the whole fitness.
  void setNewOrdering(unsigned short* iNewOrdering);

  // Bounds for moving iNode: *iPrePos is the largest position of a listed
  // neighbour flagged eliminated (0 when none), *iSucPos the smallest
  // position of any other listed neighbour (n when none). Between fitness
  // computations no node is flagged.
  void nearestNodes(int iNode, int* iPrePos, int* iSucPos);
  // Moves iNode to iPosition, shifting the nodes in between by one towards
  // its old position; computes the whole fitness.
  void DoMove(int iNode, int iPosition);
  // Exchanges iNode with the node at iPosition; windowed fitness.
  void Swap(int iNode, int iPosition);
  // Two swaps, then one windowed fitness over the four positions involved.
  void doubleSwap(int iNode, int iPosition, int iNode2, int iPosition2);
  // The fitness DoMove / Swap would give; ordering and measures are restored
  // (a move trial leaves iMaxCliqueNodes as the trial computed it).
  double calculateFitnessFromMove(int iNode, int iPosition);
  double calculateFitnessFromSwap(int iNode, int iPosition);

  // Random perturbations.
  void moveLargestCliques(int NumberOfMoves);
  void performNRandSwaps(int randomMoveNr);
  void performNRandMoves(int randomMoveNr);
  // Draws random numbers only; the solution does not change.
  void destroyPart(int randomMoveNr);

  AdjacencyMatrix iZeroOneGraph;      // primal graph; fill edges while a computation runs
  bool* bNodeEliminated;              // per node: eliminated in the computation in progress
  Hypergraph* Hyp;                    // source hypergraph, not owned; null for a file graph
  unsigned short* iTempNodes;         // scratch: the nodes of the current bag (hypertree mode)
  int* iEdgeSelected;                 // scratch: column stamp per hyperedge (hypertree mode)
  unsigned short* iNrOfNeighboors;    // primal degree per node
  unsigned short* iNrOfNodeEdges;     // number of hyperedges per node
  unsigned short** iNodesEdges;       // per node: the numbers of its hyperedges
  unsigned short** iGraph;            // per node: primal neighbours, then fill entries
  bool bHypertreeAlg;                 // fitness by hyperedge covers of the bags (not for file graphs)
  unsigned short* iTempNrOfNeighboors;  // working length of each neighbour list
  unsigned short* iNodePosInOrdering;   // position of each node
  unsigned short* iMaxCliqueNodes;    // nodes attaining the largest value
  int iNrOfNodes;
  int iNrOfEdges;
  unsigned short* iCliqueSizes;       // per position: the value computed there
  unsigned short* iElimOrdering;      // node per position; position 0 eliminated first
  long lNumberOfEvaluations;          // not maintained by the model
  float fFitness;
  int iLargestClique;
  int iLargestCliqueNode;
  int iNrNodesLargestClique;

 private:
  // Releases every array and resets the model to empty.
  void release();
  // Allocates the per-node arrays shared by all builders for n nodes.
  void allocateNodeArrays(int n, const char* cLocation);
  // Appends w to v's neighbour list at its working length (growing the row).
  void appendNeighbour(int v, int w);
  // Appends w to v's primal neighbour list (primal and working length grow).
  void appendPrimal(int v, int w);
  void ensureRowCapacity(int v, unsigned iNeeded);
  // A list-only model has no iZeroOneGraph: the fitness and the greedy
  // orderings that need one build it from the primal lists on first use.
  // Any other model has it already.
  void ensureAdjacency();
  // Removes the fill entries of every working list from iZeroOneGraph, in
  // both directions (bBothDirections) or only as (owner, entry).
  void clearFill(bool bBothDirections);
  // Cover size of the bag iTempNodes[0 .. iBagSize-1] by its hyperedges
  // (columns numbered by iEdgeSelected[e] - iStamp), by the greedy set cover.
  int coverSize(int iBagSize, int iColumns, int iStamp);
  // The last position a computation with window end iHighPosition must
  // evaluate (-1: all): the window extended over the stale stored values.
  int windowEnd(int iHighPosition) const;
  // Records what a computation left stale: nothing when it ran to the end
  // (iStop -1), else the positions from its early stop iStop to the end of
  // its computed part iHigh (-1: the whole ordering).
  void noteStale(int iStop, int iHigh);
  // No stored value is current (a new graph or a new ordering).
  void markAllStale();
  bool isStale(int a) const { return iMyStaleFrom <= a && a <= iMyStaleTo; }
  // Exchanges iNode with the node at iPosition, without fitness.
  void exchange(int iNode, int iPosition);
  // Minimum degree with fill as tie filter (bDegreeFirst), or minimum fill
  // with degree as second key.
  void combinedOrdering(bool bDegreeFirst);
  // Adds the fill edge u-w to both lists and to the adjacency relation.
  void addFillEdge(int u, int w);
  // Number of non-adjacent pairs among the uneliminated entries of v's list.
  long countFill(int v);

  std::vector<unsigned> RowCapacity;  // allocated entries of each iGraph row
  // The positions whose iCliqueSizes entry is not the value of the current
  // ordering (left behind by an early stop), as one interval; empty when
  // iMyStaleFrom > iMyStaleTo. Windowed computations recompute them.
  int iMyStaleFrom = 0;
  int iMyStaleTo = -1;
  // Hyperedge lists are kept only while hyperedge numbers fit 16 bits.
  bool bMyEdgeListsValid = false;
  // Scratch copies of the trial moves (reused to avoid allocations).
  std::vector<unsigned short> SavedPositions, SavedCliqueSizes, SavedOrdering, SavedMaxCliqueNodes;
};

}  // namespace kivra
