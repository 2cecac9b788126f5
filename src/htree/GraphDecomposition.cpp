// Bucket elimination of a plain graph into flat bags.
//
// The steps are those of H_BucketElim with shrinking on the fly, on ordering
// positions instead of node objects: the bucket of position i holds the
// neighbours of its vertex at lower positions; the node made at position i
// either takes the place of its only child when that child's bag holds the
// vertex and its bucket, or gets the vertex, its bucket and the members below
// i of its children's bags; it waits in the child list of its highest member
// below i (or, with none, under the root) and is shrunk as soon as its
// subtree is complete. Bags are ascending position lists, so the members
// below i form a prefix and bag inclusion is a merge.
#include "kivra/GraphDecomposition.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "kivra/Globals.h"

namespace kivra {

namespace {

using Index = std::uint32_t;
constexpr Index kNone = std::numeric_limits<Index>::max();

// Neighbour lists by vertex index (list position): both ends of every edge
// that joins two different vertices, repeats kept.
struct Adjacency {
  std::vector<std::uint32_t> Start;
  std::vector<Index> Adjacent;
};

Adjacency adjacencyOf(const std::vector<Vertex>& Vertices, const std::vector<std::pair<Vertex, Vertex>>& Edges) {
  const std::size_t n = Vertices.size();
  Vertex iLargest = 0;
  for (Vertex v : Vertices) iLargest = std::max(iLargest, v);
  std::vector<Index> IndexOf(n == 0 ? 0 : static_cast<std::size_t>(iLargest) + 1, kNone);
  for (std::size_t i = 0; i < n; ++i) IndexOf[Vertices[i]] = static_cast<Index>(i);
  auto indexOf = [&IndexOf](Vertex v) {
    if (v >= IndexOf.size() || IndexOf[v] == kNone)
      writeErrorMsg("Edge with a vertex that is not listed.", "decomposeGraph", true);
    return IndexOf[v];
  };

  Adjacency Graph;
  Graph.Start.assign(n + 1, 0);
  for (const auto& [From, To] : Edges) {
    const Index a = indexOf(From), b = indexOf(To);
    if (a == b) continue;
    ++Graph.Start[a + 1];
    ++Graph.Start[b + 1];
  }
  for (std::size_t i = 0; i < n; ++i) Graph.Start[i + 1] += Graph.Start[i];
  Graph.Adjacent.resize(Graph.Start[n]);
  std::vector<std::uint32_t> Next(Graph.Start.begin(), Graph.Start.end() - 1);
  for (const auto& [From, To] : Edges) {
    const Index a = IndexOf[From], b = IndexOf[To];
    if (a == b) continue;
    Graph.Adjacent[Next[a]++] = b;
    Graph.Adjacent[Next[b]++] = a;
  }
  return Graph;
}

// The positions below i of the neighbours of the vertex at position i,
// ascending, into Bucket.
void lowerNeighbours(const Adjacency& Graph, const std::vector<Index>& Order, const std::vector<Index>& Position,
                     Index i, std::vector<Index>& Bucket) {
  Bucket.clear();
  const Index v = Order[i];
  for (std::uint32_t k = Graph.Start[v]; k < Graph.Start[v + 1]; ++k) {
    const Index p = Position[Graph.Adjacent[k]];
    if (p < i) Bucket.push_back(p);
  }
  std::sort(Bucket.begin(), Bucket.end());
  Bucket.erase(std::unique(Bucket.begin(), Bucket.end()), Bucket.end());
}

// The tree while it is built: bags as ascending positions, children in order.
// A node absorbed by another is emptied and never referenced again.
class Builder {
 public:
  explicit Builder(std::size_t iExpected) {
    Bags.reserve(iExpected);
    Kids.reserve(iExpected);
  }

  Index add(std::vector<Index> Bag, std::vector<Index> Children) {
    Bags.push_back(std::move(Bag));
    Kids.push_back(std::move(Children));
    return static_cast<Index>(Bags.size() - 1);
  }

  std::vector<Index>& bag(Index x) { return Bags[x]; }
  std::vector<Index>& kids(Index x) { return Kids[x]; }

  // The merges of Hypertree::shrinkNode(false) at x, whose subtrees are all
  // shrunk. Upward: a child whose bag contains x's bag gives x its bag and
  // its children (appended, checked in turn). Downward: a child whose bag
  // lies in x's bag is absorbed, its children appended and checked in turn.
  // Processing a queue that appended children join keeps the list order.
  void shrinkNode(Index x) {
    Queue.swap(Kids[x]);
    Kept.clear();
    for (std::size_t r = 0; r < Queue.size(); ++r) {
      const Index c = Queue[r];
      if (std::includes(Bags[c].begin(), Bags[c].end(), Bags[x].begin(), Bags[x].end())) {
        Bags[x].swap(Bags[c]);
        absorb(c);
      } else {
        Kept.push_back(c);
      }
    }
    Queue.swap(Kept);
    Kept.clear();
    for (std::size_t r = 0; r < Queue.size(); ++r) {
      const Index c = Queue[r];
      if (std::includes(Bags[x].begin(), Bags[x].end(), Bags[c].begin(), Bags[c].end())) {
        absorb(c);
      } else {
        Kept.push_back(c);
      }
    }
    Kids[x].assign(Kept.begin(), Kept.end());
    Queue.clear();
  }

  // The nodes below Root in pre-order, children in list order.
  std::vector<Index> preOrder(Index Root) const {
    std::vector<Index> Order;
    std::vector<Index> Stack{Root};
    while (!Stack.empty()) {
      const Index x = Stack.back();
      Stack.pop_back();
      Order.push_back(x);
      Stack.insert(Stack.end(), Kids[x].rbegin(), Kids[x].rend());
    }
    return Order;
  }

 private:
  // Queues c's children and releases c.
  void absorb(Index c) {
    Queue.insert(Queue.end(), Kids[c].begin(), Kids[c].end());
    std::vector<Index>().swap(Kids[c]);
    std::vector<Index>().swap(Bags[c]);
  }

  std::vector<std::vector<Index>> Bags;
  std::vector<std::vector<Index>> Kids;
  std::vector<Index> Queue;
  std::vector<Index> Kept;
};

}  // namespace

GraphDecomposition decomposeGraph(const std::vector<Vertex>& Vertices,
                                  const std::vector<std::pair<Vertex, Vertex>>& Edges) {
  GraphDecomposition Result;
  const std::size_t n = Vertices.size();
  if (n == 0) {
    // A single node with an empty bag (tree width -1).
    Result.BagStart.assign(2, 0);
    Result.ChildStart.assign(2, 0);
    return Result;
  }

  const Adjacency Graph = adjacencyOf(Vertices, Edges);
  const std::vector<Index> Order = minimumDegreeOrder(Graph.Start, Graph.Adjacent, static_cast<int>(n), 0);
  std::vector<Index> Position(n);
  for (Index p = 0; p < n; ++p) Position[Order[p]] = p;

  Builder Tree(n);
  std::vector<std::vector<Index>> ChildLists(n);
  std::vector<Index> Independent;
  std::vector<Index> Bucket;
  Index Current = 0;
  for (Index i = static_cast<Index>(n); i-- > 0;) {
    lowerNeighbours(Graph, Order, Position, i, Bucket);
    std::vector<Index>& Waiting = ChildLists[i];
    bool bTakeChild = false;
    if (i > 0 && Waiting.size() == 1) {
      const std::vector<Index>& ChildBag = Tree.bag(Waiting[0]);
      bTakeChild = std::binary_search(ChildBag.begin(), ChildBag.end(), i) &&
                   std::includes(ChildBag.begin(), ChildBag.end(), Bucket.begin(), Bucket.end());
    }
    if (bTakeChild) {
      // The bag would lie inside the only child's bag: the child takes the
      // node's place with its bag and children.
      Current = Waiting[0];
    } else {
      std::vector<Index> Bag(Bucket);
      Bag.push_back(i);
      for (Index Child : Waiting) {
        const std::vector<Index>& ChildBag = Tree.bag(Child);
        Bag.insert(Bag.end(), ChildBag.begin(), std::lower_bound(ChildBag.begin(), ChildBag.end(), i));
      }
      std::sort(Bag.begin(), Bag.end());
      Bag.erase(std::unique(Bag.begin(), Bag.end()), Bag.end());
      Current = Tree.add(std::move(Bag), std::move(Waiting));
    }
    std::vector<Index>().swap(Waiting);
    if (i == 0) break;
    // The parent is the highest member below i.
    const std::vector<Index>& Bag = Tree.bag(Current);
    auto Below = std::lower_bound(Bag.begin(), Bag.end(), i);
    if (Below == Bag.begin())
      Independent.push_back(Current);
    else
      ChildLists[*std::prev(Below)].push_back(Current);
    Tree.shrinkNode(Current);
  }
  // Trees of further connected parts hang directly under the root.
  std::vector<Index>& RootKids = Tree.kids(Current);
  RootKids.insert(RootKids.end(), Independent.begin(), Independent.end());
  std::vector<Index>().swap(Independent);
  std::vector<std::vector<Index>>().swap(ChildLists);
  Tree.shrinkNode(Current);

  // Number the nodes in pre-order and write bags as vertex ids.
  const std::vector<Index> Nodes = Tree.preOrder(Current);
  Index iLargest = 0;
  for (Index x : Nodes) iLargest = std::max(iLargest, x);
  std::vector<Index> NumberOf(static_cast<std::size_t>(iLargest) + 1, kNone);
  for (std::size_t k = 0; k < Nodes.size(); ++k) NumberOf[Nodes[k]] = static_cast<Index>(k);

  Result.BagStart.reserve(Nodes.size() + 1);
  Result.ChildStart.reserve(Nodes.size() + 1);
  Result.BagStart.push_back(0);
  Result.ChildStart.push_back(0);
  for (Index x : Nodes) {
    const std::size_t iFirst = Result.Bags.size();
    for (Index p : Tree.bag(x)) Result.Bags.push_back(Vertices[Order[p]]);
    std::sort(Result.Bags.begin() + static_cast<std::ptrdiff_t>(iFirst), Result.Bags.end());
    Result.BagStart.push_back(static_cast<std::uint32_t>(Result.Bags.size()));
    for (Index Child : Tree.kids(x)) Result.Children.push_back(NumberOf[Child]);
    Result.ChildStart.push_back(static_cast<std::uint32_t>(Result.Children.size()));
  }
  return Result;
}

int graphTreeWidth(const std::vector<Vertex>& Vertices, const std::vector<std::pair<Vertex, Vertex>>& Edges) {
  const std::size_t n = Vertices.size();
  if (n == 0) return -1;
  const Adjacency Graph = adjacencyOf(Vertices, Edges);
  const std::vector<Index> Order = minimumDegreeOrder(Graph.Start, Graph.Adjacent, static_cast<int>(n), 0);
  std::vector<Index> Position(n);
  for (Index p = 0; p < n; ++p) Position[Order[p]] = p;
  // Bag i: the vertex at position i, its lower neighbours and the members
  // below i of its children's bags, gathered in Below[i]; a bag's parent is
  // its highest member below it. Shrinking keeps the largest bag.
  std::vector<std::vector<Index>> Below(n);
  std::vector<Index> Bag;
  std::vector<Index> Bucket;
  std::size_t iLargest = 0;
  for (Index i = static_cast<Index>(n); i-- > 0;) {
    Bag.swap(Below[i]);
    std::vector<Index>().swap(Below[i]);
    lowerNeighbours(Graph, Order, Position, i, Bucket);
    Bag.insert(Bag.end(), Bucket.begin(), Bucket.end());
    std::sort(Bag.begin(), Bag.end());
    Bag.erase(std::unique(Bag.begin(), Bag.end()), Bag.end());
    iLargest = std::max(iLargest, Bag.size() + 1);
    if (!Bag.empty()) {
      std::vector<Index>& Parent = Below[Bag.back()];
      Parent.insert(Parent.end(), Bag.begin(), Bag.end() - 1);
    }
    Bag.clear();
  }
  return static_cast<int>(iLargest) - 1;
}

}  // namespace kivra
