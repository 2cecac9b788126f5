// Library utilities, hypergraph elements and component sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <list>
#include <memory>
#include <cstdlib>
#include <random>
#include <vector>

#include "kivra/CompSet.h"
#include "kivra/Globals.h"
#include "kivra/Hyperedge.h"
#include "kivra/Node.h"

using namespace kivra;
using ::testing::ExitedWithCode;

TEST(ComponentsDeathTest, FatalMessages) {
  EXPECT_EXIT(writeErrorMsg("Position not available.", "Hypergraph::getNode", true), ExitedWithCode(1),
              "^ERROR in Hypergraph::getNode: Position not available.\n$");
  EXPECT_EXIT(random_range(1, 0), ExitedWithCode(1), "^ERROR in random_range: Lower bound larger than upper bound.\n$");
  Hyperedge e(1, 1, 3, 2);  // three member slots, two neighbour slots
  Node a(1, 1);
  EXPECT_EXIT(e.insNode(&a, 3), ExitedWithCode(1), "^ERROR in Component::ins: Position not available.\n$");
  EXPECT_EXIT(e.getNode(3), ExitedWithCode(1), "^ERROR in Component::get: Position not available.\n$");
  EXPECT_EXIT(e.insNeighbour(&e, 2), ExitedWithCode(1),
              "^ERROR in Component::insNeighbour: Position not available.\n$");
  EXPECT_EXIT(e.getNeighbour(2), ExitedWithCode(1), "^ERROR in Component::getNeighbour: Position not available.\n$");
  CompSet None(0), One(1);
  One.insComp(&a);
  EXPECT_EXIT(None.insComp(&a), ExitedWithCode(1), "^ERROR in CompSet::insComp: Set size exceeded.\n$");
  EXPECT_FALSE(One.insComp(&a));  // a duplicate in a full set is refused, not fatal
  EXPECT_EXIT(One.remComp(5), ExitedWithCode(1), "^ERROR in CompSet::remEdge: Position not available.\n$");
}

TEST(RandomRange, OneDrawScaledWithoutOverflow) {
  srand(7);
  std::vector<int> Raw(60);
  for (int& r : Raw) r = rand();
  srand(7);
  for (int i = 0; i < 60; ++i) {
    const int iLB = i % 3 == 0 ? INT_MIN : -5, iUB = i % 3 == 0 ? INT_MAX : 17;
    const long long iSpan = static_cast<long long>(iUB) - iLB + 1;
    EXPECT_EQ(random_range(iLB, iUB), iLB + (iSpan * Raw[static_cast<size_t>(i)] >> 31));
  }
  EXPECT_EQ(random_range(3, 3), 3);
}

namespace {

// The co-sort written the direct way: partition around the last key, recurse
// on the left part, loop on the right part, insertion sort below 202 entries.
void directSort(void** Ptr, int* Key, int iL, int iR) {
  for (; iR - iL > 200;) {
    const int v = Key[iR];
    int i = iL - 1, j = iR;
    for (;;) {
      while (Key[++i] < v) {
      }
      while (v < Key[--j] && j != iL) {
      }
      if (i >= j) break;
      std::swap(Key[i], Key[j]);
      std::swap(Ptr[i], Ptr[j]);
    }
    std::swap(Key[i], Key[iR]);
    std::swap(Ptr[i], Ptr[iR]);
    directSort(Ptr, Key, iL, i - 1);
    iL = i + 1;
  }
  for (int k = iL + 1; k <= iR; ++k)
    for (int m = k; m > iL && Key[m - 1] > Key[m]; --m) {
      std::swap(Key[m], Key[m - 1]);
      std::swap(Ptr[m], Ptr[m - 1]);
    }
}

}  // namespace

TEST(SortPointers, MatchesTheDirectAlgorithm) {
  // Same order of equal keys as the recursive form, for int and double keys;
  // many repeats, the smallest key as first pivot, sorted and reversed input,
  // small ranges, and no access outside iL..iR (guard entries).
  std::mt19937 Gen(8);
  for (int n : {5, 202, 450, 3000})
    for (int iKind = 0; iKind < 3; ++iKind) {
      std::vector<int> Keys(static_cast<size_t>(n) + 2, -1), Ids(Keys.size());
      for (int i = 1; i <= n; ++i)
        Keys[static_cast<size_t>(i)] = iKind == 0 ? static_cast<int>(Gen() % 7) : iKind == 1 ? i : n - i;
      if (iKind == 0) Keys[static_cast<size_t>(n)] = -1;
      std::vector<void*> P1(Keys.size());
      for (size_t i = 0; i < Keys.size(); ++i) P1[i] = &(Ids[i] = static_cast<int>(i));
      std::vector<void*> P2 = P1, P3 = P1;
      std::vector<int> K2 = Keys;
      std::vector<double> DKeys(Keys.begin(), Keys.end());
      sortPointers(P1.data(), Keys.data(), 1, n);
      directSort(P2.data(), K2.data(), 1, n);
      sortPointers(P3.data(), DKeys.data(), 1, n);
      EXPECT_EQ(P1, P2);
      EXPECT_EQ(P1, P3);
      EXPECT_TRUE(std::is_sorted(Keys.begin() + 1, Keys.end() - 1));
      EXPECT_EQ(Keys.front() + Keys.back(), -2);
    }
}

TEST(Component, RemovalsSlotsAndNeighbourhoods) {
  Node a(1, 10);
  Hyperedge e(5, 50), f(6, 60), g(7, 70), h(8, 80);
  for (Hyperedge* x : {&e, &e, &f, &g}) a.insEdge(x);  // no duplicate check
  EXPECT_TRUE(a.remEdge(&e));  // the first occurrence; the rest close up in order
  EXPECT_TRUE(a.remEdge(&f));
  EXPECT_FALSE(a.remEdge(&h));
  a.insEdge(&h);  // lands at the logical end, not past the freed slots
  ASSERT_EQ(a.getNbrOfEdges(), 3);
  EXPECT_EQ((std::vector<Hyperedge*>{a.getEdge(0), a.getEdge(1), a.getEdge(2)}), (std::vector<Hyperedge*>{&e, &g, &h}));

  // updateSize counts the leading filled slots: a, null, b -> 1.
  Hyperedge Slots(1, 1, 3, 0);
  Node b(2, 2);
  Slots.insNode(&a, 0);
  Slots.insNode(&b, 2);
  Slots.updateSize();
  EXPECT_EQ(Slots.getNbrOfNodes(), 1);

  // A hyperedge's neighbour list, computed on the first read after an
  // update, reflects the membership at that time.
  for (Hyperedge* x : {&f, &g}) b.insEdge(x);
  f.insNode(&b);
  f.updateNeighbourhood();
  EXPECT_EQ(f.getNbrOfNeighbours(), 1);
  b.insEdge(&h);
  EXPECT_EQ(f.getNbrOfNeighbours(), 1);
  f.updateNeighbourhood();
  ASSERT_EQ(f.getNbrOfNeighbours(), 2);
  EXPECT_EQ(f.getNeighbour(1), &h);
}

TEST(CompSet, AgreesWithAPlainList) {
  // Random inserts and removals (by element and by position) across the size
  // where membership is hashed.
  for (int iCapacity : {3, 150}) {
    std::vector<Node*> Pool;
    for (int i = 0; i < iCapacity + 50; ++i) Pool.push_back(new Node(i, i));
    CompSet s(iCapacity);
    std::vector<Node*> Model;
    std::mt19937 Gen(3);
    for (int step = 0; step < 3000; ++step) {
      Node* x = Pool[Gen() % Pool.size()];
      const bool bIn = std::find(Model.begin(), Model.end(), x) != Model.end();
      ASSERT_EQ(s.find(x), bIn);
      if (Gen() % 3 != 0 && static_cast<int>(Model.size()) < iCapacity) {
        ASSERT_EQ(s.insComp(x), !bIn);
        if (!bIn) Model.push_back(x);
      } else if (!Model.empty() && Gen() % 2) {
        const int iPos = static_cast<int>(Gen() % Model.size());
        s.remComp(iPos);
        Model.erase(Model.begin() + iPos);
      } else {
        ASSERT_EQ(s.remComp(x), bIn);
        if (bIn) Model.erase(std::find(Model.begin(), Model.end(), x));
      }
      ASSERT_EQ(s.size(), static_cast<int>(Model.size()));
      ASSERT_EQ(s[s.size()], nullptr);
      const size_t iAt = Model.empty() ? 0 : step % Model.size();
      ASSERT_EQ(s[static_cast<int>(iAt)], Model.empty() ? nullptr : Model[iAt]);
    }
    for (Node* n : Pool) delete n;
  }
}

TEST(Component, MemberListsAgreeWithAPlainListAcrossGrowth) {
  // Random appends and removals move member lists between their in-place
  // and heap storage; the list must always read like a plain vector.
  std::mt19937 Rng(5);
  std::vector<Hyperedge*> Pool;
  for (int i = 0; i < 12; ++i) Pool.push_back(new Hyperedge(i, i));
  for (int iRound = 0; iRound < 40; ++iRound) {
    int iSlots = static_cast<int>(Rng() % 4);  // 0 starts in append mode
    std::unique_ptr<Node> Owned(iSlots == 0 ? new Node(1, 1) : new Node(1, 1, iSlots, iSlots));
    Node& Vertex = *Owned;
    std::vector<Hyperedge*> Model;
    for (int i = 0; i < iSlots; ++i) {
      Vertex.insEdge(Pool[static_cast<size_t>(i)], i);
      Model.push_back(Pool[static_cast<size_t>(i)]);
    }
    for (int iStep = 0; iStep < 30; ++iStep) {
      Hyperedge* Edge = Pool[Rng() % Pool.size()];
      if (Rng() % 3 == 0) {
        auto It = std::find(Model.begin(), Model.end(), Edge);
        EXPECT_EQ(Vertex.remEdge(Edge), It != Model.end());
        if (It != Model.end()) Model.erase(It);
      } else {
        Vertex.insEdge(Edge);
        Model.push_back(Edge);
      }
      ASSERT_EQ(Vertex.getNbrOfEdges(), static_cast<int>(Model.size()));
      for (int i = 0; i < Vertex.getNbrOfEdges(); ++i) ASSERT_EQ(Vertex.getEdge(i), Model[static_cast<size_t>(i)]);
    }
  }
  // A clone has as many empty member slots and a copy of the covered IDs.
  Hyperedge Big(3, 30);
  for (int i = 0; i < 5; ++i) Big.insNode(reinterpret_cast<Node*>(Pool[static_cast<size_t>(i)]));
  Big.insCoveredID(8);
  Big.insCoveredID(9);
  Hyperedge* Copy = Big.clone();
  ASSERT_EQ(Copy->getNbrOfNodes(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Copy->getNode(i), nullptr);
  EXPECT_EQ(*Copy->getCoveredIDs(), (std::list<int>{8, 9}));
  Copy->insCoveredID(10);
  EXPECT_EQ(Big.getCoveredIDs()->size(), 2u);
  delete Copy;
  for (Hyperedge* Edge : Pool) delete Edge;
}

TEST(Component, NeighboursListedWithoutStoringThemReadAsStored) {
  // Vertices of random hyperedges (repeated members, shared IDs): the list
  // written out before the first read, and after edits of the stored list,
  // must be what getNeighbour reads.
  std::mt19937 Rng(3);
  std::vector<Node*> Nodes;
  std::vector<Hyperedge*> Edges;
  for (int i = 0; i < 30; ++i) Nodes.push_back(new Node(static_cast<int>(Rng() % 10), i));
  for (int k = 0; k < 40; ++k) {
    Edges.push_back(new Hyperedge(k, k));
    for (unsigned j = 0, iSize = 1 + Rng() % 5; j < iSize; ++j) {
      Node* V = Nodes[Rng() % Nodes.size()];
      Edges.back()->insNode(V);
      V->insEdge(Edges.back());
    }
  }
  std::vector<Component*> Listed;
  auto stored = [](Node* V) {
    std::vector<Component*> List;
    for (int j = 0; j < V->getNbrOfNeighbours(); ++j) List.push_back(V->getNeighbour(j));
    return List;
  };
  for (Node* V : Nodes) {
    V->updateNeighbourhood();
    V->listNeighbours(Listed);
    EXPECT_EQ(Listed, stored(V));
    if (V->getNbrOfNeighbours() > 0) V->remNeighbour(V->getNeighbour(0));
    V->listNeighbours(Listed);
    EXPECT_EQ(Listed, stored(V));
  }
  for (Hyperedge* E : Edges) delete E;
  for (Node* V : Nodes) delete V;
}
