// Dynamic-programming vocabulary: table rows (tuples), tables, lazy solution
// expressions, their contents and content factories, and the base classes of
// algorithms that walk a typed tree decomposition bottom-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kivra/ExtendedHypertree.h"
#include "kivra/BlockPool.h"
#include "kivra/Global.h"

namespace kivra {

class Problem;

// One row of the table of one decomposition node. Every semantics derives its
// own row class; the table orders rows by operator< alone.
class Tuple {
 public:
  virtual ~Tuple();

  // Strict weak order between rows of the same concrete class; implementations
  // may convert the argument to their own class without checking.
  virtual bool operator<(const Tuple& other) const = 0;
  virtual bool operator==(const Tuple& other) const = 0;
  virtual int hash() const = 0;
};

}  // namespace kivra

// Tables are keyed by row pointers but ordered by row value, so that equal rows
// share one entry and iteration visits rows in ascending row order.
template <>
struct std::less<kivra::Tuple*> {
  bool operator()(const kivra::Tuple* a, const kivra::Tuple* b) const { return *a < *b; }
};

namespace kivra {

class Solution;
class SolutionContent;
class Instantiator;
class SolutionPool;

// Class-specific allocation for a row class Row: objects of exactly Row's
// size come from a BlockPool, others (subclasses) from the general heap.
template <class Row>
void* allocateRow(std::size_t size) {
  return size == sizeof(Row) ? BlockPool<sizeof(Row)>::take() : ::operator new(size);
}
template <class Row>
void releaseRow(void* row, std::size_t size) {
  if (!row) return;
  if (size == sizeof(Row))
    BlockPool<sizeof(Row)>::give(row);
  else
    ::operator delete(row);
}

// The table of one decomposition node: row to lazy solution. The map itself
// owns neither its rows nor its solutions. Whoever holds a table owns it and
// its rows: the rule that makes it, then the rule it is returned to (or, for
// the root's table, the run), which releases both with
// AbstractHTDAlgorithm::releaseTable once done, or hands rows on. Solutions
// belong to no table: a run reclaims those that no table reaches.
using TupleSet = std::map<Tuple*, Solution*, std::less<Tuple*>, PoolAllocator<std::pair<Tuple* const, Solution*>>>;

enum Operation : std::int32_t {
  Value = 0,
  CrossJoin = 1,
  Union = 2,
  Add = 3,
  NewLeaf = 4,
  NewEmpty = 5
};

// What a solution expression evaluates to. The calculate operations return a
// newly allocated content of the same class and change neither operand; the
// Into operations may change `this` into the result instead. `other` is
// always of the same concrete class as `this`.
class SolutionContent {
 public:
  virtual ~SolutionContent() = 0;

  // The union of two solution sets.
  virtual SolutionContent* calculateUnion(SolutionContent* other) = 0;
  // Every solution of this combined with every solution of other.
  virtual SolutionContent* calculateCrossJoin(SolutionContent* other) = 0;
  // The vertex set added to every solution.
  virtual SolutionContent* calculateAdd(const VertexSet& vertices) = 0;

  // The union of this and every content of `others` (at least one): the
  // same as uniting them one by one from the left, which is what this
  // default does. A content whose union copies its operands does better
  // uniting all at once.
  virtual SolutionContent* calculateUnionAll(const std::vector<SolutionContent*>& others);
  // Whether long unions should be computed by calculateUnionAll, all operands
  // held at once, rather than one by one, each operand released once united.
  virtual bool prefersUnionAll() const { return false; }

  // The same operations on a content that nothing reads afterwards: the
  // content may become the result itself (it is then returned, and the
  // caller must not release it as an operand) instead of being copied into a
  // new one. The defaults compute a new content as the operations above.
  virtual SolutionContent* unionInto(SolutionContent* other) { return calculateUnion(other); }
  virtual SolutionContent* crossJoinInto(SolutionContent* other) { return calculateCrossJoin(other); }
  // Adds the vertices `ascending` (ascending ids) to every solution; the
  // default forms the vertex set and computes a new content.
  virtual SolutionContent* addInto(std::span<const Vertex> ascending);
  // Whether a content is unchanged by adding vertices to its solutions (it
  // does not keep them): adding to one that nothing reads afterwards then
  // hands it on as it is, without forming the vertex set.
  virtual bool ignoresAddedVertices() const { return false; }
  // Whether the cross join (the union) of two contents is the same in
  // either order, so that the operand that nothing reads afterwards may be
  // the one taken over.
  virtual bool crossJoinCommutes() const { return false; }
  virtual bool unionCommutes() const { return false; }
  // Whether the cross join of any content with this one (on the right, and
  // on the left when cross joins commute) equals that content: evaluation
  // then hands that content on instead of computing a copy.
  virtual bool isCrossJoinIdentity() const { return false; }
};

// Factory of the contents of one output mode; the caller owns what it returns.
class Instantiator {
 public:
  virtual ~Instantiator();

  // The content of the empty solution set.
  virtual SolutionContent* createEmptySolution() const = 0;
  // The content of the solution set that holds exactly `vertices`.
  virtual SolutionContent* createLeafSolution(const VertexSet& vertices) const = 0;
};

// A node of a lazy expression over solution contents. Nodes form a DAG (a
// node may be an operand of several others) and are created only by the
// algorithm base class.
//
// getContent computes every node below the evaluated one at most once and
// the evaluated node keeps its content: a second call returns the same
// content without consulting the factory. Contents of inner nodes computed
// by a call are released as soon as their last parent within that call has
// used them. Keeping them all would hold a number of the size of the final
// count (or a set of sets) for every node of a run, which exhausts memory on
// large inputs. An inner node keeps its definition, so evaluating it later
// computes its content again. A node whose content would equal an operand's
// (an Add of a content that ignores added vertices, a cross join with an
// identity) shares that content within the call instead of copying it,
// unless it is the node evaluated. A Union whose Union operands have no other
// parent in the call unites all their operands itself, at once when the
// content prefers it (SolutionContent::calculateUnionAll); those inner
// Unions are not computed.
class Solution {
 public:
  // Releases this node's own content. Operands are left alone: they may be
  // shared with other expressions.
  ~Solution();

  // Evaluates the expression below this node, left operand before right,
  // without recursion, and returns the content (owned by this node). `inst`
  // makes the contents of leaves and empty solutions; it may be null when no
  // such node needs evaluation.
  SolutionContent* getContent(const Instantiator* inst);

  // Nodes come from a pool (SolutionPool): the graph of a run holds
  // millions of them, and a general-purpose allocation would add a third to
  // each. The pool also lets a run (AbstractHTDAlgorithm::evaluate) reclaim
  // the nodes that its tables no longer reach.
  static void* operator new(std::size_t size);
  static void operator delete(void* node, std::size_t size);
  // The number of nodes alive (made and not yet released or reclaimed).
  static std::size_t liveNodes();

  // Value once the node holds a content, else what it computes.
  Operation getOperation() const {
    return content ? Value : static_cast<Operation>(operation);
  }
  // The content the node holds, else null.
  SolutionContent* getStoredContent() const { return content; }
  Solution* getLeftArgument() const { return leftArgument; }
  // The second operand of a CrossJoin or Union node, else null.
  Solution* getRightArgument() const;
  // The vertex set of a NewLeaf node or the set added by an Add node.
  VertexSet getParameter() const;

 private:
  friend class AbstractHTDAlgorithm;
  friend class SolutionPool;

  explicit Solution(SolutionContent* value);
  Solution();
  explicit Solution(const VertexSet& leaf);
  Solution(Solution* child, const VertexSet& added);
  Solution(Solution* child, Vertex added);
  Solution(Operation op, Solution* left, Solution* right);

  Solution(const Solution&) = delete;
  Solution& operator=(const Solution&) = delete;

  // The vertex set of a NewLeaf or Add node, in the eight bytes in which a
  // CrossJoin or Union node holds its second operand: no vertex (zero), one
  // vertex held in place (odd: the vertex shifted left by one, plus one), or
  // the address of an array of the count followed by the vertices ascending.
  class Parameter {
   public:
    void assign(const VertexSet& vertices);
    void assign(Vertex vertex) { bits = (static_cast<std::uint64_t>(vertex) << 1) | 1; }
    // Frees the array of a set of two or more vertices.
    void release();
    VertexSet toSet() const;
    // The ids, ascending, without forming a set; `one` receives a single
    // vertex held in place, which the result then views.
    std::span<const Vertex> ids(Vertex& one) const;

   private:
    std::uint64_t bits;
  };
  static_assert(sizeof(Vertex*) <= sizeof(std::uint64_t));
  bool hasRightArgument() const { return operation == CrossJoin || operation == Union; }
  bool hasParameter() const { return operation == NewLeaf || operation == Add; }
  bool hasLeftArgument() const { return hasRightArgument() || operation == Add; }
  // Computes this node's content from the contents of its `count` operands
  // (a Union's may be more than two, see getContent).
  // `mayBorrow`: whether the node may share an operand's content instead
  // of owning its own (not the node getContent returns).
  void evaluateLocally(const Instantiator* inst, Solution* const* operands, std::size_t count, bool mayBorrow);
  // Shares `from`'s content until this node's last parent has used it.
  void borrow(Solution* from);
  bool borrows() const { return flags & Borrowed; }
  // The operand whose content a borrowing node shares.
  Solution* lender() const { return flags & BorrowedRight ? rightArgument : leftArgument; }
  // One parent has used this node's content; the last one releases it.
  void consumed();
  // Whether the parent now computing is the last one to use this content, so
  // that it may take the content over instead of copying it.
  bool lastUse() const;
  // Hands the content over to the caller; consumed() then releases nothing.
  SolutionContent* takeContent();

  // The node is kept small: the second operand and the parameter never occur
  // together, and a one-vertex parameter (the usual Add) is stored in place.
  SolutionContent* content;
  Solution* leftArgument;
  union {
    Solution* rightArgument;  // CrossJoin and Union
    Parameter parameter;      // NewLeaf and Add
  };
  std::uint8_t operation;  // an Operation
  // The bits of `flags`.
  enum Flag : std::uint8_t {
    // The running evaluate may reclaim the node: it was made during the run
    // and is not part of an earlier run's result (see SolutionPool).
    Reclaimable = 1,
    // Reached from what the run holds, while the pool reclaims.
    Marked = 2,
    // The content is borrowed from the left or the right operand (only
    // during getContent; see borrow()).
    BorrowedLeft = 4,
    BorrowedRight = 8,
    Borrowed = BorrowedLeft | BorrowedRight,
  };
  std::uint8_t flags;
  // During getContent: parents within the call that have still to use this
  // node's content. Zero outside getContent.
  std::uint32_t pendingParents;
};

namespace enumeration {

struct Flat;
class Piece;

// A shared handle to a tree of vertex pieces (see EnumerationSolutionContent):
// copies share the pieces, the last handle releases them.
class Pieces {
 public:
  Pieces() = default;
  // Takes over the one reference that `owned` holds.
  explicit Pieces(Piece* owned) : piece(owned) {}
  Pieces(const Pieces& other);
  Pieces(Pieces&& other) noexcept : piece(other.piece) { other.piece = nullptr; }
  Pieces& operator=(const Pieces& other);
  Pieces& operator=(Pieces&& other) noexcept;
  ~Pieces();

  Piece* get() const { return piece; }
  explicit operator bool() const { return piece != nullptr; }
  // Gives up the reference held, leaving the handle empty.
  Piece* release() {
    Piece* held = piece;
    piece = nullptr;
    return held;
  }

 private:
  Piece* piece = nullptr;
};

}  // namespace enumeration

// The set of all solutions, each a vertex set, in lexicographic order of
// their ascending id sequences (a proper prefix first): the order in which
// they are printed.
//
// The sets are kept in two parts: flat sets (one array of ids, each set
// ascending, in order and without duplicates) shared by every content that
// holds them unchanged, and the vertices added to every one of them, kept in
// a shared tree of unsorted pieces. Adding vertices, and the cross join with
// a single set, only add pieces to that tree: a long extension built an
// argument at a time, or a set at a time through nested joins, costs time
// linear in its length and is sorted once, when its sets are first read: by
// a union of two contents that both hold sets, by a cross join of two
// contents of several sets each, or by the accessors below. A piece already
// in order that is large against the whole is merged in, not sorted again.
class EnumerationSolutionContent : public SolutionContent {
 public:
  EnumerationSolutionContent();
  explicit EnumerationSolutionContent(const VertexSet& vertices);
  ~EnumerationSolutionContent() override;

  SolutionContent* calculateUnion(SolutionContent* other) override;
  SolutionContent* calculateCrossJoin(SolutionContent* other) override;
  SolutionContent* calculateAdd(const VertexSet& vertices) override;

  SolutionContent* calculateUnionAll(const std::vector<SolutionContent*>& others) override;
  bool prefersUnionAll() const override { return true; }
  SolutionContent* unionInto(SolutionContent* other) override;
  SolutionContent* crossJoinInto(SolutionContent* other) override;
  SolutionContent* addInto(std::span<const Vertex> ascending) override;
  bool crossJoinCommutes() const override { return true; }
  bool unionCommutes() const override { return true; }
  // Exactly the empty set.
  bool isCrossJoinIdentity() const override;

  // The number of sets.
  std::size_t size() const;
  // The ids of the i-th set (i < size()), ascending.
  std::span<const Vertex> operator[](std::size_t i) const;
  // All sets in order, as vertex sets.
  std::vector<VertexSet> getSets() const;

  // The ids that enumeration contents have sorted, or copied into new
  // storage, since the process started: what building and reading sets
  // costs, whatever the time.
  static std::uint64_t handledIds();

 private:
  // Puts the added vertices into the flat sets.
  void settle() const;
  // Whether this holds exactly one set, the case in which joins add pieces.
  bool single() const;

  struct Enumerations {
    // The flat sets; never null.
    std::shared_ptr<const enumeration::Flat> sets;
    // The vertices to add to every one of them, or nothing.
    enumeration::Pieces added;
  };
  // The cross join of the single set `one` with `other`'s sets.
  static Enumerations joinSingle(const Enumerations& one, const Enumerations& other);
  // Reading the sets settles the added vertices into new flat sets, which
  // changes nothing that can be observed; hence mutable.
  mutable Enumerations enumerations;
};

// Whether at least one solution exists.
class ConsistencySolutionContent : public SolutionContent {
 public:
  ConsistencySolutionContent();
  explicit ConsistencySolutionContent(const VertexSet& vertices);
  ~ConsistencySolutionContent() override;

  SolutionContent* calculateUnion(SolutionContent* other) override;
  SolutionContent* calculateCrossJoin(SolutionContent* other) override;
  SolutionContent* calculateAdd(const VertexSet& vertices) override;

  bool consistent;
};

// Factory for any content class T with a default constructor (the empty
// solution set) and a constructor from a vertex set (a single solution).
template <class T>
class GenericInstantiator : public Instantiator {
 public:
  GenericInstantiator() {}
  ~GenericInstantiator() override {}

  SolutionContent* createEmptySolution() const override { return new T(); }
  SolutionContent* createLeafSolution(const VertexSet& vertices) const override {
    return new T(vertices);
  }
};

// Runs a dynamic-programming algorithm over a typed decomposition: prepares
// the tree, evaluates its nodes bottom-up, selects the result, and offers
// the operations that attach lazy solutions to rows and fill tables.
class AbstractHTDAlgorithm {
 public:
  // `problem` is not owned.
  explicit AbstractHTDAlgorithm(Problem* problem);
  virtual ~AbstractHTDAlgorithm();

  // Prepares `tree`, evaluates its root and returns the selected solution.
  // With a null `inst` every solution stays lazy until Solution::getContent.
  // `tree` is left as it is.
  //
  // Where walkNormalization names a form (the semi-normalized and normalized
  // bases), the run walks the prepared tree bottom-up and normalizes it one
  // node at a time, evaluating each new node once its children's tables are
  // ready, so that only the parts of the normalized tree not yet consumed
  // exist at once: a rule may read its children's nodes until it returns,
  // and they are then deleted; the root goes after selectSolution. Without
  // a form the rules run on the prepared tree as it is, each evaluating its
  // children itself. The root's table and its rows are released after
  // selectSolution.
  //
  // Solutions made during the run that the result does not reach are
  // reclaimed (their contents released with them), at the latest when the
  // run returns; nodes made before the run are left alone. During the walk,
  // between two rules, the tables are the only holders of solutions: the
  // run reclaims now and then every node made during it that no table it
  // holds reaches. One run at a time.
  Solution* evaluate(const ExtendedHypertree* tree, Instantiator* inst);

  // Deletes every row of `table`, then the table; its solutions are left to
  // the pool (a run reclaims what no table reaches).
  static void releaseTable(TupleSet* table);
  // Deletes the rows of `table` from `from` on, then the table: the rows
  // before `from` have been deleted or handed on by the caller.
  static void releaseTable(TupleSet* table, TupleSet::iterator from);

 protected:
  virtual Problem* problem();
  // The tree the algorithm runs on; here the tree itself. The semi-normalized
  // and normalized bases return `root` too: the walk normalizes it (see
  // walkNormalization).
  virtual const ExtendedHypertree* prepareHypertreeDecomposition(const ExtendedHypertree* root);
  // The form into which the run normalizes the prepared tree while it walks
  // it, or none: the rules then run on the prepared tree as it is.
  virtual std::optional<NormalizationType> walkNormalization() const;
  // Folds the root's table into the run's solution. The table stays the
  // run's, which releases it afterwards.
  virtual Solution* selectSolution(TupleSet* tuples, const ExtendedHypertree* root) = 0;
  // Returns a new table for `node`, owned by the caller: its rows with it
  // (see releaseTable).
  virtual TupleSet* evaluateNode(const ExtendedHypertree* node) = 0;

  // Without an Instantiator: lazy NewEmpty / NewLeaf nodes; with one: Value
  // nodes holding the Instantiator's contents.
  Solution* createEmptySolution();
  Solution* createLeafSolution(const VertexSet& vertices);
  // `op` must be CrossJoin or Union.
  Solution* combineSolutions(Operation op, Solution* left, Solution* right);
  // A lazy Add node, also when an Instantiator is set.
  Solution* addToSolution(Solution* solution, const VertexSet& vertices);
  Solution* addToSolution(Solution* solution, Vertex vertex);

  // Inserts (tuple, solution). When an equal row is already a key, its entry
  // is replaced by (tuple, combineSolutions(op, old solution, solution)), and
  // the displaced row is returned: it is no longer in the table, and the
  // caller, which owns the table's rows, may release it. Null when the row
  // is new. A row that follows every key of the table costs one comparison.
  Tuple* addToTupleSet(Tuple* tuple, Solution* solution, TupleSet* table, Operation op);

 private:
  friend class AbstractSemiNormalizedHTDAlgorithm;

  // The table the walk evaluated for `node` and no rule has taken yet
  // (ownership passes to the caller), else null.
  TupleSet* takeFinishedTable(const ExtendedHypertree* node);

  // evaluate without reclaiming.
  Solution* run(const ExtendedHypertree* tree, Instantiator* inst);
  // Whether this run reclaims solutions (the pool allows one run at a time).
  bool reclaiming = false;
  // Between two rules: reclaims the nodes of the run that the tables the
  // walk holds do not reach, once the run has grown enough since it last did.
  void reclaimUnreachable();

  // The walk over `source` that normalizes each node of it into `form` once
  // its children's normalized trees are evaluated, then evaluates the new
  // nodes. Returns the normalized root, whose table is left in pendingTables.
  ExtendedHypertree* evaluateNormalizing(const ExtendedHypertree* source, NormalizationType form);
  // Evaluates every node of `piece` without a table yet, in post-order,
  // deleting consumed children; `piece`'s table is left in pendingTables.
  void evaluatePiece(ExtendedHypertree* piece);
  // During the walk: evaluated nodes whose table no rule has taken yet.
  std::unordered_map<const ExtendedHypertree*, TupleSet*> pendingTables;

  Problem* prob;
  Instantiator* inst;
};

// Algorithms over a semi-normalized tree: Branch nodes have their own rule,
// every other typed node goes to evaluatePermutationNode.
class AbstractSemiNormalizedHTDAlgorithm : public AbstractHTDAlgorithm {
 public:
  explicit AbstractSemiNormalizedHTDAlgorithm(Problem* problem);
  ~AbstractSemiNormalizedHTDAlgorithm() override;

 protected:
  // The tree itself, which the walk semi-normalizes.
  const ExtendedHypertree* prepareHypertreeDecomposition(const ExtendedHypertree* root) override;
  // SemiNormalization.
  std::optional<NormalizationType> walkNormalization() const override;
  TupleSet* evaluateNode(const ExtendedHypertree* node) override;
  virtual TupleSet* evaluateBranchNode(const ExtendedHypertree* node) = 0;
  virtual TupleSet* evaluatePermutationNode(const ExtendedHypertree* node) = 0;
};

// Algorithms over a normalized tree: one rule each for Leaf, Introduction,
// Removal and Branch nodes.
class AbstractNormalizedHTDAlgorithm : public AbstractSemiNormalizedHTDAlgorithm {
 public:
  explicit AbstractNormalizedHTDAlgorithm(Problem* problem);
  ~AbstractNormalizedHTDAlgorithm() override;

 protected:
  // The tree itself, which the walk normalizes.
  const ExtendedHypertree* prepareHypertreeDecomposition(const ExtendedHypertree* root) override;
  // DefaultNormalization.
  std::optional<NormalizationType> walkNormalization() const override;
  TupleSet* evaluatePermutationNode(const ExtendedHypertree* node) override;
  virtual TupleSet* evaluateIntroductionNode(const ExtendedHypertree* node) = 0;
  virtual TupleSet* evaluateRemovalNode(const ExtendedHypertree* node) = 0;
  virtual TupleSet* evaluateLeafNode(const ExtendedHypertree* node) = 0;
};

}  // namespace kivra
