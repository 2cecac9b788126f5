// One node of a tree decomposition and, through its children, the subtree
// below it: a bag of hypergraph vertices (chi) and a set of hyperedges that
// covers the bag (lambda). Bucket elimination builds these trees; the typed
// decomposition of the framework derives from this class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <list>
#include <set>
#include <unordered_map>
#include <vector>

#include "kivra/FlatSet.h"

namespace kivra {

class Node;
class Hyperedge;
class Hypergraph;

// Members a bag (a cover) holds before it moves them to the heap. Sparse
// frameworks decompose into bags of a handful of vertices: those of a
// three-wide grid hold four, covered by two to four hyperedges.
inline constexpr std::size_t kInlineBagMembers = 4;
inline constexpr std::size_t kInlineCoverMembers = 4;
// A bag (chi) and its cover (lambda): sorted arrays ordered by address like
// std::set, a few members held inside the set itself.
using ChiSet = FlatSet<Node*, kInlineBagMembers>;
using LambdaSet = FlatSet<Hyperedge*, kInlineCoverMembers>;

// Every walk over a subtree (destruction, label resets, widths, shrink,
// covering, searches) is iterative, so a decomposition shaped like a path of
// hundreds of thousands of nodes is handled without deep recursion.
class Hypertree {
 public:
  // No parent, no children, empty sets, label 0.
  Hypertree();
  // Deletes every child subtree (through the virtual destructor); the chi and
  // lambda members belong to the hypergraph and are not deleted.
  virtual ~Hypertree();

  Hypertree(const Hypertree&) = delete;
  Hypertree& operator=(const Hypertree&) = delete;

  // --- Structure ---

  // Appends Child to the child list; with bSetParent, Child's parent becomes
  // this node. No duplicate check; Child is not detached from a former parent.
  void insChild(Hypertree* Child, bool bSetParent);
  // Removes the first entry equal to Child; false if absent. Child's parent
  // pointer is not touched.
  bool remChild(Hypertree* Child);
  // Sets every child's parent to null and empties the list (nothing deleted).
  void remChildren();
  void setParent(Hypertree* Parent) { MyParent = Parent; }
  Hypertree* getParent() const { return MyParent; }
  std::list<Hypertree*>* getChildren() { return &MyChildren; }
  const std::list<Hypertree*>* getChildren() const { return &MyChildren; }
  bool isRoot() const { return MyParent == nullptr; }
  // Re-roots the tree at this node, reversing the path up to the old root.
  // Fatal when a node on that path is missing from its parent's child list.
  void setRoot();

  void insChi(Node* Vertex) { chi().insert(Vertex); }
  void insLambda(Hyperedge* Edge) { lambda().insert(Edge); }
  void insPointer(void* Ptr) { pointers().insert(Ptr); }
  void insID(int iID) { ids().insert(iID); }
  ChiSet* getChi() { return &chi(); }
  const ChiSet* getChi() const {
    const Sets* Mine = findSets();
    return Mine ? &Mine->Chi : &kNoSets.Chi;
  }
  LambdaSet* getLambda() { return &lambda(); }
  const LambdaSet* getLambda() const {
    const Sets* Mine = findSets();
    return Mine ? &Mine->Lambda : &kNoSets.Lambda;
  }

  void setLabel(int iLabel) { iMyLabel = iLabel; }
  int getLabel() const { return iMyLabel; }
  // Label 0 on every node of the subtree.
  void resetLabels();
  // Numbers the subtree in pre-order starting with iStartID at this node;
  // returns the last number given.
  int setIDLabels(int iStartID);

  // This node if iID (Ptr) is attached to it, else the first hit of a
  // pre-order search of the subtree; null if none.
  Hypertree* getHTNode(int iID);
  Hypertree* getHTNode(void* Ptr);

  // Whether a depth-first walk of the subtree reaches some node twice.
  bool isCyclic();

  // --- Decomposition ---

  // Merges redundant nodes: a node whose bag lies inside a child's bag takes
  // over that child's bag and place; a child whose bag lies inside its
  // parent's bag is absorbed. With bLambdaUnion, lambda sets are united on
  // both kinds of merge; otherwise the upward merge replaces the parent's
  // lambda by the child's and the downward merge keeps the parent's.
  void shrink(bool bLambdaUnion);
  // Shrink's merges at this node alone, for a tree shrunk node by node while
  // it is built bottom-up: every subtree below must already be shrunk.
  void shrinkNode(bool bLambdaUnion);
  // The bag members that shrinking's subset tests have read so far in this
  // process (at most), and one per test: what shrinking has cost.
  static std::uint64_t shrinkWork();
  // Shrink's upward merge with Child, a child whose bag contains this bag:
  // this node takes over Child's bag, lambda (united with its own when
  // bLambdaUnion) and children, and Child is deleted.
  void mergeUpward(Hypertree* Child, bool bLambdaUnion);
  // Covers every bag of the subtree by hyperedges of HGraph (pre-order); the
  // vertices already covered by a node's lambda are not covered again.
  // Fatal ("Covering not possible.") when a bag vertex lies in no hyperedge.
  void setLambda(Hypergraph* HGraph);
  // Inserts into ConflictVars the chi members (with bDual, the lambda
  // members) of every node of the subtree whose lambda has iWidth members.
  void getConflictVars(std::set<Node*>* ConflictVars, int iWidth, bool bDual);

  // --- Measures ---

  // Largest lambda size in the subtree.
  int getHTreeWidth();
  // Largest chi size in the subtree minus one (-1 when every bag is empty).
  int getTreeWidth();
  // Number of nodes in the subtree, this node included.
  unsigned int getNumberOfDescendants();
  unsigned int getNumberOfLeafNodes();
  // Number of nodes with two or more children in the subtree.
  virtual unsigned int getNumberOfJoinNodes();

  // --- Operations of the dual mode of bucket elimination ---

  // Exchanges the contents of chi and lambda on every node of the subtree.
  void swapChiLambda();
  // Thins the lambda sets against the neighbouring nodes: top-down, then
  // bottom-up.
  void reduceLambda();
  // Rebuilds the bags from the lambda sets: every hyperedge's vertices go to
  // the node with the smallest lambda holding it, then the bags are closed
  // under the connectedness condition.
  void setChi(Hypergraph* HGraph);
  // Replaces every lambda by a cover of the bag chosen from that lambda.
  void elimCovEdges();
  // Re-covers this node's bag from scratch and keeps the fresh cover when it
  // is strictly smaller; the children are covered by setLambda.
  void resetLambda(Hypergraph* HGraph);

  // --- Checks, statistics and GML output ---
  // They overwrite the labels of tree nodes and of HGraph's nodes and
  // hyperedges. Each check returns a witness of the first violation found,
  // or null when the condition holds.

  // Every hyperedge of HGraph lies within some bag: the first one (stored
  // order) that does not.
  Hyperedge* checkCond1(Hypergraph* HGraph);
  // Labels with 1 every hyperedge of HGraph whose nodes all lie in one bag
  // of the subtree or carry a non-zero label until they first occur in a bag
  // (pre-order); afterwards every bag node has label 0.
  void labelCovEdges(Hypergraph* HGraph);
  // The bags holding a vertex are connected: a vertex that leaves a bag
  // below a node and reappears in that node's bag (or in a later sibling).
  Node* checkCond2(Hypergraph* HGraph);
  // Every bag is covered by its node's lambda: the first node (pre-order)
  // whose bag is not.
  Hypertree* checkCond3(Hypergraph* HGraph);
  // Special condition: no vertex of a node's lambda that is missing from the
  // node's bag occurs in a bag of its subtree. The first node (pre-order)
  // that breaks it.
  Hypertree* checkCond4(Hypergraph* HGraph);

  // Text output is not available: always fatal.
  void outputToText(const char* cNameOfFile);
  // Sum over the nodes with exactly one child of the size of the symmetric
  // difference of their bag and the child's bag; the average divides by the
  // number of such nodes.
  unsigned int getChiSetChangeSum();
  double getAverageChiSetChange();
  // Sum over the nodes with two or more children of the size of the
  // intersection of the node's bag with all its children's bags; the
  // average divides by getNumberOfJoinNodes().
  unsigned int getJoinOverheadSum();
  double getAverageJoinOverhead();
  // Writes the subtree as a GML graph to cNameOfFile: one node per tree node
  // (numbered in pre-order from 1) labelled with its hyperedge and vertex
  // names, one edge per parent/child pair. Fatal when the file cannot be
  // opened.
  void outputToGML(Hypergraph* HGraph, const char* cNameOfFile);

 protected:
  // The upward merge with the child at It; returns the position after it.
  std::list<Hypertree*>::iterator mergeUpwardAt(std::list<Hypertree*>::iterator It, bool bLambdaUnion);
  void reduceLambdaTopDown();
  void reduceLambdaBottomUp();
  void setChi_Conn(Hypergraph* HGraph);
  // CovNodes is indexed by hyperedge label (its position in the hypergraph).
  void selCovHTNodes(Hypertree** CovNodes);
  void labelChiSets(int iLabel);
  // The recursive parts of checkCond2 and checkCond3 (labels prepared).
  Node* checkCond2();
  Hypertree* checkCond3();
  // The node blocks and the edge blocks of the GML text (numbers prepared).
  void writeGMLNodes(std::ostream& GMLFile);
  void writeGMLEdges(std::ostream& GMLFile);

  // The bag and cover of a node, made on first use: nodes of typed trees,
  // millions of them, keep their bags elsewhere and never use them. They are
  // taken from a pool that goes back to the heap once the last of them is
  // gone (a decomposition tree is freed as a whole).
  struct Sets {
    ChiSet Chi;
    LambdaSet Lambda;
    static void* operator new(std::size_t iSize);
    static void operator delete(void* Ptr);
  };
  // The pointer and identifier sets, which the decomposition itself never
  // fills, lie apart from the node, found by its address.
  struct Tags {
    std::set<void*> Pointers;
    std::set<int> IDs;
  };
  static const Sets kNoSets;
  Sets* findSets() const { return reinterpret_cast<Sets*>(MySets & ~kFlags); }
  Sets& sets() {
    if (Sets* Mine = findSets()) return *Mine;
    return makeSets();
  }
  Sets& makeSets();
  Tags& tags();
  // The tags of this node, null when it has none.
  const Tags* findTags() const;
  ChiSet& chi() { return sets().Chi; }
  LambdaSet& lambda() { return sets().Lambda; }
  std::set<void*>& pointers() { return tags().Pointers; }
  std::set<int>& ids() { return tags().IDs; }
  // Adds Other's pointers to this node's.
  void mergePointers(const Hypertree* Other) {
    if (const Tags* Theirs = Other->findTags()) pointers().insert(Theirs->Pointers.begin(), Theirs->Pointers.end());
  }

  // Calls Visit on every node of Order. The nodes of a decomposition lie all
  // over memory and a walk does little at each, so each node's object is
  // fetched a few steps before it is visited, and its bag and cover, whose
  // address the object holds, a few steps after that.
  template <class Visit>
  static void visitFetchingAhead(const std::vector<Hypertree*>& Order, Visit&& visit) {
    constexpr std::size_t kObjectAhead = 12;
    constexpr std::size_t kSetsAhead = 6;
    const std::size_t iSize = Order.size();
    for (std::size_t i = 0; i < iSize; ++i) {
      if (i + kObjectAhead < iSize) __builtin_prefetch(Order[i + kObjectAhead]);
      if (i + kSetsAhead < iSize)
        if (const Sets* Ahead = Order[i + kSetsAhead]->findSets()) {
          __builtin_prefetch(Ahead);
          __builtin_prefetch(reinterpret_cast<const unsigned char*>(Ahead) + sizeof(Sets) - 1);
        }
      visit(Order[i]);
    }
  }

  Hypertree* MyParent;
  std::list<Hypertree*> MyChildren;  // owned
  // Sets*, null until made, with the flags below in its low bits.
  std::uintptr_t MySets;
  int iMyLabel;

 private:
  static constexpr std::uintptr_t kTagged = 1;  // the node has tags
  static constexpr std::uintptr_t kFlags = 1;
  static std::unordered_map<const Hypertree*, Tags>& tagTable();
};

}  // namespace kivra
