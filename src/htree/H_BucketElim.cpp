// Bucket elimination: a tree decomposition along a vertex elimination
// ordering.
//
// During construction a vertex's label is its position in the ordering
// (position 0 is eliminated last) and a hyperedge's label its bucket state:
// 0 unassigned, 1 assigned in the current step, -1 assigned earlier. Bucket i
// holds the vertices that must share a bag with the i-th vertex when it is
// eliminated; the tree node made for position i waits in the child list of
// the next vertex of its bag to be eliminated.
#include "kivra/H_BucketElim.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "kivra/CompSet.h"
#include "kivra/Globals.h"
#include "kivra/Hyperedge.h"
#include "kivra/Hypergraph.h"
#include "kivra/Hypertree.h"
#include "kivra/Node.h"

namespace kivra {

namespace {

Node* nodeAt(CompSet* Set, int iPos) { return reinterpret_cast<Node*>((*Set)[iPos]); }

// Whether Vertex and every member of Bucket lie in Tree's bag.
bool containsBag(Hypertree* Tree, Node* Vertex, CompSet* Bucket) {
  const ChiSet& Chi = *Tree->getChi();
  if (Chi.count(Vertex) == 0) return false;
  for (int k = 0; k < Bucket->size(); ++k)
    if (Chi.count(nodeAt(Bucket, k)) == 0) return false;
  return true;
}

// Number of ordering attempts of the ordering improvements.
constexpr int kImprovementAttempts = 8;

}  // namespace

Node** H_BucketElim::ordering(Hypergraph* HGraph, int iHeuristic, int preElim) {
  switch (iHeuristic) {
    case 1:
      return HGraph->getInputOrder(preElim);
    case 2:
      return HGraph->getMIWOrder(preElim);
    case 3:
      return HGraph->getMFOrder(preElim);
    case 4:
      return HGraph->getMCSOrder(preElim);
    default:
      writeErrorMsg("Unknown variable order heuristic.", "H_BucketElim::buildHypertree", true);
  }
  return nullptr;
}

Hypertree* H_BucketElim::buildHypertree(Hypergraph* HGraph, int iHeuristic, int preElim, bool bDual) {
  if (bDual) HGraph->makeDual();
  Node** VarOrder = ordering(HGraph, iHeuristic, preElim);
  Hypertree* Tree = buildHypertree(HGraph, VarOrder, bDual);
  delete[] VarOrder;
  if (bDual) HGraph->makeDual();
  return Tree;
}

Hypertree* H_BucketElim::buildHypertree(Hypergraph* HGraph, Node** VarOrder, bool bDual) {
  int n = HGraph->getNbrOfNodes();
  std::vector<CompSet*> Buckets(static_cast<size_t>(n), nullptr);
  HGraph->resetEdgeLabels(0);
  for (int i = 0; i < n; ++i) VarOrder[i]->setLabel(i);

  Hypertree* Tree;
  Hypertree* DualTree = nullptr;
  if (!bDual) {
    fillBuckets1(Buckets.data(), n, VarOrder);
    Tree = eliminateBuckets(Buckets.data(), n, VarOrder, false, true);
  } else {
    fillBuckets2(Buckets.data(), n, VarOrder);
    Tree = eliminateBuckets(Buckets.data(), n, VarOrder, false, false);
    DualTree = eliminateBuckets(Buckets.data(), n, VarOrder, true, false);
  }
  for (CompSet* Bucket : Buckets) delete Bucket;
  Buckets.clear();
  Buckets.shrink_to_fit();

  if (!bDual) {
    Tree->setLambda(HGraph);
    return Tree;
  }
  Tree->shrink(false);

  // Both trees are decompositions of the dual hypergraph; turn each into a
  // decomposition of the primal one and keep the narrower.
  HGraph->makeDual();
  for (Hypertree* Current : {Tree, DualTree}) {
    if (Current == DualTree) Current->shrink(false);
    Current->swapChiLambda();
    Current->reduceLambda();
    Current->swapChiLambda();
    Current->shrink(false);
    Current->swapChiLambda();
    Current->reduceLambda();
    Current->setChi(HGraph);
    Current->elimCovEdges();
    Current->resetLambda(HGraph);
  }
  HGraph->makeDual();
  if (DualTree->getHTreeWidth() >= Tree->getHTreeWidth()) {
    delete DualTree;
  } else {
    delete Tree;
    Tree = DualTree;
  }
  Tree->shrink(false);
  return Tree;
}

void H_BucketElim::fillBuckets1(CompSet** Buckets, int iNbrOfBuckets, Node** VarOrder) {
  // The ordering visits the vertices in no order of their addresses: the
  // vertices a few steps ahead, then their edge lists, their hyperedges and
  // the ends of those, are fetched into the cache while this step works.
  constexpr int kAhead = 8;
  for (int i = 0; i < iNbrOfBuckets; ++i) {
    if (i + 2 * kAhead < iNbrOfBuckets) __builtin_prefetch(VarOrder[i + 2 * kAhead]);
    if (i + 3 * kAhead / 2 < iNbrOfBuckets) VarOrder[i + 3 * kAhead / 2]->prefetchMembers();
    if (i + kAhead < iNbrOfBuckets) {
      const Node* Ahead = VarOrder[i + kAhead];
      for (int e = 0; e < Ahead->getNbrOfEdges() && e < 4; ++e) __builtin_prefetch(Ahead->getEdge(e));
    }
    if (i + kAhead / 2 < iNbrOfBuckets) {
      const Node* Ahead = VarOrder[i + kAhead / 2];
      for (int e = 0; e < Ahead->getNbrOfEdges() && e < 4; ++e) {
        const Hyperedge* Edge = Ahead->getEdge(e);
        for (int k = 0; k < Edge->getNbrOfNodes() && k < 2; ++k) __builtin_prefetch(Edge->getNode(k));
      }
    }
    Node* Vertex = VarOrder[i];
    // Each hyperedge goes to the bucket of its vertex eliminated first (the
    // highest position); its other vertices join that bucket.
    int iSize = 0;
    for (int e = 0; e < Vertex->getNbrOfEdges(); ++e) {
      Hyperedge* Edge = Vertex->getEdge(e);
      if (Edge->getLabel() != 0) continue;
      bool bHighest = true;
      for (int k = 0; k < Edge->getNbrOfNodes() && bHighest; ++k)
        bHighest = Edge->getNode(k)->getLabel() <= i;
      if (!bHighest) continue;
      Edge->setLabel(1);
      iSize += Edge->getNbrOfNodes();
    }
    Buckets[i] = new CompSet(iSize);
    for (int e = 0; e < Vertex->getNbrOfEdges(); ++e) {
      Hyperedge* Edge = Vertex->getEdge(e);
      if (Edge->getLabel() <= 0) continue;
      Edge->setLabel(-1);
      for (int k = 0; k < Edge->getNbrOfNodes(); ++k) Buckets[i]->insComp(Edge->getNode(k));
    }
    Buckets[i]->remComp(Vertex);
  }
}

void H_BucketElim::fillBuckets2(CompSet** Buckets, int iNbrOfBuckets, Node** VarOrder) {
  for (int i = 0; i < iNbrOfBuckets; ++i) {
    Node* Vertex = VarOrder[i];
    Buckets[i] = new CompSet(Vertex->getNbrOfEdges());
    for (int e = 0; e < Vertex->getNbrOfEdges(); ++e) {
      Hyperedge* Edge = Vertex->getEdge(e);
      Node* Latest = nullptr;
      for (int k = 0; k < Edge->getNbrOfNodes(); ++k) {
        Node* Member = Edge->getNode(k);
        if (Member->getLabel() < i && (Latest == nullptr || Member->getLabel() > Latest->getLabel()))
          Latest = Member;
      }
      if (Latest != nullptr) Buckets[i]->insComp(Latest);
    }
  }
}

Hypertree* H_BucketElim::eliminateBuckets(CompSet** Buckets, int iNbrOfBuckets, Node** VarOrder, bool bDual,
                                          bool bShrink) {
  // Nothing to eliminate: the decomposition is a single node with an empty
  // bag (tree width -1), which shrinking, covering and the typed conversion
  // all accept.
  if (iNbrOfBuckets == 0) return new Hypertree();

  // The child lists, one per position, are threaded through the positions
  // of the trees waiting in them: Made[j] is the tree made for position j,
  // Next[j] the position after j in the same list, -1 at the end. A list is
  // appended to at its tail and read once, in order.
  const std::size_t n = static_cast<std::size_t>(iNbrOfBuckets);
  std::vector<Hypertree*> Made(n, nullptr);
  std::vector<int> Head(n, -1), Tail(n, -1), Next(n, -1);
  std::vector<Hypertree*> Independent;
  std::vector<Node*> Members;
  // Where each sorted run of Members begins, and room to merge the runs.
  std::vector<std::size_t> Runs;
  std::vector<Node*> Merged;
  // Members as one ascending range (by address, the bags' order): the runs
  // are merged pairwise, so a large bag gathered from many children's bags
  // costs a merge per level instead of a sort.
  auto mergeRuns = [&Members, &Runs, &Merged]() {
    Runs.push_back(Members.size());
    while (Runs.size() > 2) {
      Merged.resize(Members.size());
      std::size_t iKept = 0;
      for (std::size_t r = 0; r + 1 < Runs.size(); r += 2) {
        const std::size_t iEnd = r + 2 < Runs.size() ? Runs[r + 2] : Runs[r + 1];
        std::merge(Members.begin() + static_cast<std::ptrdiff_t>(Runs[r]),
                   Members.begin() + static_cast<std::ptrdiff_t>(Runs[r + 1]),
                   Members.begin() + static_cast<std::ptrdiff_t>(Runs[r + 1]),
                   Members.begin() + static_cast<std::ptrdiff_t>(iEnd),
                   Merged.begin() + static_cast<std::ptrdiff_t>(Runs[r]), std::less<Node*>());
        Runs[iKept++] = Runs[r];
      }
      Runs[iKept++] = Runs.back();
      Runs.resize(iKept);
      Members.swap(Merged);
    }
  };

  // Dual mode removes each eliminated vertex from every later bucket; this
  // index of the buckets holding a vertex (by position) spares a scan of all
  // of them. Entries may go stale when buckets shrink; removal then misses.
  std::vector<std::vector<int>> HoldingBuckets;
  if (bDual) {
    HoldingBuckets.resize(static_cast<size_t>(iNbrOfBuckets));
    for (int j = 0; j < iNbrOfBuckets; ++j)
      for (int k = 0; k < Buckets[j]->size(); ++k)
        HoldingBuckets[nodeAt(Buckets[j], k)->getLabel()].push_back(j);
  }

  // The positions are visited in no order of the addresses of their
  // vertices and trees: a few steps ahead, the bucket, then its members and
  // the bags of the trees waiting so far, are fetched into the cache.
  constexpr int kAhead = 8;
  auto prefetchAhead = [&](int i) {
    if (i - 2 * kAhead >= 0) {
      __builtin_prefetch(Buckets[i - 2 * kAhead]);
      __builtin_prefetch(VarOrder[i - 2 * kAhead]);
    }
    if (i - kAhead < 0) return;
    const std::size_t iAhead = static_cast<std::size_t>(i - kAhead);
    if (!bDual) {
      CompSet* Bucket = Buckets[iAhead];
      for (int k = 0; k < Bucket->size() && k < 8; ++k) __builtin_prefetch(nodeAt(Bucket, k));
    }
    for (int j = Head[iAhead]; j != -1; j = Next[static_cast<std::size_t>(j)]) {
      const Hypertree* Waiting = Made[static_cast<std::size_t>(j)];
      __builtin_prefetch(Waiting->getChi()->begin());
    }
  };

  Hypertree* Current = nullptr;
  for (int i = iNbrOfBuckets - 1; i >= 0; --i) {
    prefetchAhead(i);
    Current = new Hypertree();
    Node* Vertex = VarOrder[i];
    bool bTakenOver = false;
    const int iFirst = Head[static_cast<std::size_t>(i)];
    if (bShrink && i > 0 && iFirst != -1 && Next[static_cast<std::size_t>(iFirst)] == -1 &&
        containsBag(Made[static_cast<std::size_t>(iFirst)], Vertex, Buckets[i])) {
      // The bag would lie inside the only child's bag, so shrinking starts by
      // handing the child's bag and place to this node; the bag itself need
      // not be built. Its members below position i, all that the parent
      // choice reads, are exactly the child's members below position i. (The
      // root is left out: the other parts' trees join its list first.)
      Hypertree* Child = Made[static_cast<std::size_t>(iFirst)];
      Current->insChild(Child, true);
      Current->mergeUpward(Child, false);
      bTakenOver = true;
    } else {
      // The bag's members are gathered first and go in as one range, so a
      // large bag is not built by moving its sorted members once per member.
      Members.assign(1, Vertex);
      if (!bDual) {
        for (int k = 0; k < Buckets[i]->size(); ++k) Members.push_back(nodeAt(Buckets[i], k));
      } else {
        for (int j : HoldingBuckets[i])
          if (j > i) Buckets[j]->remComp(Vertex);
      }
      std::sort(Members.begin(), Members.end(), std::less<Node*>());
      Runs.assign(1, 0);
      for (int j = iFirst; j != -1; j = Next[static_cast<std::size_t>(j)]) {
        Hypertree* Child = Made[static_cast<std::size_t>(j)];
        Current->insChild(Child, true);
        // A child's bag is ascending, and so is what it passes on.
        Runs.push_back(Members.size());
        for (Node* Member : *Child->getChi())
          if (bDual || Member->getLabel() < i) Members.push_back(Member);
      }
      mergeRuns();
      Current->getChi()->insert(Members.begin(), Members.end());
    }
    // Without the dual mode nothing reads bucket i again.
    if (bShrink) {
      delete Buckets[i];
      Buckets[i] = nullptr;
    }
    if (bDual) minimize(Current->getChi(), i, Buckets, iNbrOfBuckets);

    if (i > 0) {
      int iParent = -1;
      for (Node* Member : *Current->getChi()) {
        int iLabel = Member->getLabel();
        if (iLabel < i) {
          iParent = std::max(iParent, iLabel);
        } else if (bDual) {
          CompSet* Bucket = Buckets[iLabel];
          for (int k = 0; k < Bucket->size(); ++k) {
            int iBelow = nodeAt(Bucket, k)->getLabel();
            if (iBelow < i) iParent = std::max(iParent, iBelow);
          }
        }
      }
      if (iParent == -1) {
        Independent.push_back(Current);
      } else {
        const std::size_t iAt = static_cast<std::size_t>(i);
        const std::size_t iList = static_cast<std::size_t>(iParent);
        Made[iAt] = Current;
        if (Tail[iList] == -1)
          Head[iList] = i;
        else
          Next[static_cast<std::size_t>(Tail[iList])] = i;
        Tail[iList] = i;
      }
      // Its subtree is complete: shrinking it now merges exactly what
      // shrinking the whole tree afterwards would, keeps the bags of long
      // nested chains from piling up, and leaves the members below position
      // i, which the parent reads, unchanged. A node that took over its only
      // child's bag holds just that child's children, which were tested
      // against this very bag when the child was shrunk: nothing merges.
      if (bShrink) {
        if (bTakenOver)
          Current->setLabel(1);
        else
          Current->shrinkNode(false);
      }
    }
  }
  // Trees of further connected parts hang directly under the root.
  for (Hypertree* Tree : Independent) Current->insChild(Tree, true);
  if (bShrink) Current->shrinkNode(false);
  return Current;
}

void H_BucketElim::minimize(ChiSet* Chi, int iOrderPos, CompSet** Buckets, int iNbrOfBuckets) {
  (void)iNbrOfBuckets;
  // Candidates in ordering position, so that the outcome does not depend on
  // addresses.
  std::vector<Node*> Candidates(Chi->begin(), Chi->end());
  std::sort(Candidates.begin(), Candidates.end(),
            [](const Node* A, const Node* B) { return A->getLabel() < B->getLabel(); });
  Chi->clear();
  int k = static_cast<int>(Candidates.size());
  auto bucketOf = [Buckets](Node* Candidate) { return Buckets[Candidate->getLabel()]; };

  // Vertices not yet eliminated stay; they leave the buckets of the others.
  for (int x = 0; x < k; ++x) {
    Node* Kept = Candidates[x];
    if (Kept == nullptr || Kept->getLabel() > iOrderPos) continue;
    Chi->insert(Kept);
    for (int y = 0; y < k; ++y) {
      Node* Other = Candidates[y];
      if (y == x || Other == nullptr || Other->getLabel() <= iOrderPos) continue;
      CompSet* Bucket = bucketOf(Other);
      Bucket->remComp(Kept);
      if (Bucket->empty()) Candidates[y] = nullptr;
    }
    Candidates[x] = nullptr;
  }

  // Largest buckets first; the members of each run of equal bucket size
  // after its first are shuffled by rand() keys. Dropped entries go last.
  std::vector<int> Keys(static_cast<size_t>(k));
  auto sortCandidates = [&]() {
    std::stable_partition(Candidates.begin(), Candidates.end(), [](Node* C) { return C != nullptr; });
    int iLive = static_cast<int>(std::count_if(Candidates.begin(), Candidates.end(),
                                               [](Node* C) { return C != nullptr; }));
    if (iLive < 2) return;
    for (int x = 0; x < iLive; ++x) Keys[x] = -bucketOf(Candidates[x])->size();
    sortPointers(reinterpret_cast<void**>(Candidates.data()), Keys.data(), 0, iLive - 1);
    for (int iStart = 0; iStart < iLive;) {
      int iEnd = iStart;
      while (iEnd + 1 < iLive && Keys[iEnd + 1] == Keys[iStart]) ++iEnd;
      if (iEnd > iStart) {
        std::vector<int> Shuffle;
        for (int x = iStart + 1; x <= iEnd; ++x) Shuffle.push_back(std::rand());
        for (int x = iStart + 1; x <= iEnd; ++x) Keys[x] = Shuffle[x - iStart - 1];
        sortPointers(reinterpret_cast<void**>(Candidates.data()), Keys.data(), iStart + 1, iEnd);
        for (int x = iStart; x <= iEnd; ++x) Keys[x] = -bucketOf(Candidates[x])->size();
      }
      iStart = iEnd + 1;
    }
  };
  sortCandidates();

  // A candidate whose bucket is no larger than the number of candidates
  // whose buckets it contains is replaced, with them, by its bucket.
  auto isBucketSubset = [](CompSet* Small, CompSet* Large) {
    for (int m = 0; m < Small->size(); ++m)
      if (!Large->find((*Small)[m])) return false;
    return true;
  };
  std::vector<int> Collected;
  for (int x = 0; x < k;) {
    Node* Head = Candidates[x];
    if (Head == nullptr) {
      ++x;
      continue;
    }
    CompSet* HeadBucket = bucketOf(Head);
    Collected.assign(1, x);
    for (int y = x + 1; y < k; ++y)
      if (Candidates[y] != nullptr && isBucketSubset(bucketOf(Candidates[y]), HeadBucket))
        Collected.push_back(y);
    if (HeadBucket->size() > static_cast<int>(Collected.size())) {
      ++x;
      continue;
    }
    for (int y : Collected) Candidates[y] = nullptr;
    for (int m = 0; m < HeadBucket->size(); ++m) {
      Node* Member = nodeAt(HeadBucket, m);
      Chi->insert(Member);
      for (int y = 0; y < k; ++y) {
        if (Candidates[y] == nullptr) continue;
        CompSet* Bucket = bucketOf(Candidates[y]);
        Bucket->remComp(Member);
        if (Bucket->empty()) Candidates[y] = nullptr;
      }
    }
    sortCandidates();
    x = 1;
  }

  // The rest: a bucket of one member stands for its candidate; otherwise (or
  // when the bucket ran empty) the candidate itself stays in the bag.
  for (Node* Candidate : Candidates) {
    if (Candidate == nullptr) continue;
    CompSet* Bucket = bucketOf(Candidate);
    Chi->insert(Bucket->size() == 1 ? nodeAt(Bucket, 0) : Candidate);
  }
}

void H_BucketElim::improveOrderRand(Hypergraph* HGraph, Node** VarOrder, bool bDual) {
  int n = HGraph->getNbrOfNodes();
  if (n <= 1) return;
  Hypertree* Tree = buildHypertree(HGraph, VarOrder, bDual);
  int iBest = Tree->getHTreeWidth();
  delete Tree;
  for (int iAttempt = 0; iAttempt < kImprovementAttempts; ++iAttempt) {
    int k = random_range(0, n - 2);
    std::swap(VarOrder[k], VarOrder[k + 1]);
    Tree = buildHypertree(HGraph, VarOrder, bDual);
    int iWidth = Tree->getHTreeWidth();
    delete Tree;
    if (iWidth <= iBest)
      iBest = iWidth;
    else
      std::swap(VarOrder[k], VarOrder[k + 1]);
  }
}

void H_BucketElim::improveOrderConf(Hypergraph* HGraph, Node** VarOrder, bool bDual) {
  int n = HGraph->getNbrOfNodes();
  std::set<Node*> Conflicts;
  int iWidth = 0;
  auto measure = [&](Hypertree* Tree) {
    iWidth = Tree->getHTreeWidth();
    Conflicts.clear();
    Tree->getConflictVars(&Conflicts, iWidth, bDual);
  };
  Hypertree* Tree = buildHypertree(HGraph, VarOrder, bDual);
  measure(Tree);
  delete Tree;

  for (int iRound = 0; iRound < kImprovementAttempts; ++iRound) {
    // Nothing to move when no vertex is involved in a widest node (a
    // hypergraph without vertices).
    if (Conflicts.empty()) return;
    // The conflict vertices are drawn from in ordering position, so that the
    // draw does not depend on addresses.
    std::unordered_map<Node*, int> Position;
    for (int i = 0; i < n; ++i) Position[VarOrder[i]] = i;
    std::vector<Node*> Candidates(Conflicts.begin(), Conflicts.end());
    std::sort(Candidates.begin(), Candidates.end(),
              [&Position](Node* A, Node* B) { return Position[A] < Position[B]; });
    Node* Picked = Candidates[random_range(0, static_cast<int>(Candidates.size()) - 1)];
    int p = Position[Picked];
    for (int j = std::max(0, p - 4); j <= p + 4 && j < n; ++j) {
      if (j == p) continue;
      std::swap(VarOrder[p], VarOrder[j]);
      Tree = buildHypertree(HGraph, VarOrder, bDual);
      if (Tree->getHTreeWidth() <= iWidth) {
        measure(Tree);
        delete Tree;
        break;
      }
      std::swap(VarOrder[p], VarOrder[j]);
      delete Tree;
    }
  }
}

}  // namespace kivra
