// Library utilities, hypergraph elements and component sets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <vector>

#include "kivra/CompSet.h"
#include "kivra/Globals.h"
#include "kivra/Hyperedge.h"
#include "kivra/Node.h"

using namespace kivra;

// ---------------------------------------------------------------- utilities

TEST(ErrorReporting, FatalAndWarningLines) {
  EXPECT_EXIT(writeErrorMsg("Position not available.", "Hypergraph::getNode", true),
              ::testing::ExitedWithCode(1), "^ERROR in Hypergraph::getNode: Position not available.\n$");
  testing::internal::CaptureStderr();
  writeErrorMsg("Something odd.", "Somewhere", false);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "WARNING in Somewhere: Something odd.\n");
}

TEST(RandomRange, BoundsAndFormula) {
  EXPECT_EQ(random_range(3, 3), 3);
  EXPECT_EQ(random_range(0, 0), 0);
  EXPECT_EXIT(random_range(1, 0), ::testing::ExitedWithCode(1),
              "^ERROR in random_range: Lower bound larger than upper bound.\n$");
  // One rand() per call, scaled without overflow even over the whole int range.
  for (unsigned seed : {1u, 7u, 12345u}) {
    srand(seed);
    std::vector<int> Raw;
    for (int i = 0; i < 50; ++i) Raw.push_back(rand());
    srand(seed);
    for (int i = 0; i < 50; ++i) {
      const int iLB = (i % 3 == 0) ? std::numeric_limits<int>::min() : -5;
      const int iUB = (i % 3 == 0) ? std::numeric_limits<int>::max() : 17;
      const long long iSpan = static_cast<long long>(iUB) - iLB + 1;
      const long long iExpected = iLB + (iSpan * Raw[static_cast<std::size_t>(i)] >> 31);
      const int v = random_range(iLB, iUB);
      EXPECT_EQ(v, iExpected);
      EXPECT_GE(v, iLB);
      EXPECT_LE(v, iUB);
    }
  }
}

TEST(SortPointers, SmallRangeIsStable) {
  int iKeys[] = {3, 1, 3, 2, 1};
  int iTags[] = {0, 1, 2, 3, 4};
  void* Ptr[5];
  for (int i = 0; i < 5; ++i) Ptr[i] = &iTags[i];
  sortPointers(Ptr, iKeys, 0, 4);
  EXPECT_EQ(std::vector<int>(iKeys, iKeys + 5), (std::vector<int>{1, 1, 2, 3, 3}));
  std::vector<int> Order;
  for (void* p : Ptr) Order.push_back(*static_cast<int*>(p));
  EXPECT_EQ(Order, (std::vector<int>{1, 4, 3, 0, 2}));
}

namespace {

// The co-sort written the direct way: partition around the last key, recurse
// on the left part, loop on the right part, insertion sort below 202 entries.
void directSort(void** Ptr, int* Key, int iL, int iR) {
  while (iR - iL > 200) {
    const int v = Key[iR];
    int i = iL - 1;
    int j = iR;
    for (;;) {
      while (Key[++i] < v) {
      }
      while (v < Key[--j])
        if (j == iL) break;
      if (i >= j) break;
      std::swap(Key[i], Key[j]);
      std::swap(Ptr[i], Ptr[j]);
    }
    std::swap(Key[i], Key[iR]);
    std::swap(Ptr[i], Ptr[iR]);
    directSort(Ptr, Key, iL, i - 1);
    iL = i + 1;
  }
  for (int k = iL + 1; k <= iR; ++k) {
    const int t = Key[k];
    void* p = Ptr[k];
    int m = k;
    for (; m > iL && Key[m - 1] > t; --m) {
      Key[m] = Key[m - 1];
      Ptr[m] = Ptr[m - 1];
    }
    Key[m] = t;
    Ptr[m] = p;
  }
}

}  // namespace

TEST(SortPointers, LargeRangesMatchTheDirectAlgorithm) {
  // Sorted like the recursive original, including the order of equal keys;
  // covers many repeats, the smallest key as first pivot, sorted and reversed
  // input, and no access outside iL..iR (guard entries).
  std::mt19937 Gen(8);
  for (int n : {202, 450, 3000}) {
    for (int iKind = 0; iKind < 3; ++iKind) {
      std::vector<int> Keys(static_cast<std::size_t>(n) + 2, -1);
      for (int i = 1; i <= n; ++i)
        Keys[static_cast<std::size_t>(i)] = iKind == 0 ? static_cast<int>(Gen() % 7) : iKind == 1 ? i : n - i;
      Keys[static_cast<std::size_t>(n)] = iKind == 0 ? -1 : Keys[static_cast<std::size_t>(n)];
      std::vector<int> Ids(Keys.size());
      std::vector<void*> P1(Keys.size());
      for (std::size_t i = 0; i < Keys.size(); ++i) {
        Ids[i] = static_cast<int>(i);
        P1[i] = &Ids[i];
      }
      std::vector<void*> P2 = P1;
      std::vector<int> K2 = Keys;
      std::vector<double> DKeys(Keys.begin(), Keys.end());
      std::vector<void*> P3 = P1;
      sortPointers(P1.data(), Keys.data(), 1, n);
      directSort(P2.data(), K2.data(), 1, n);
      sortPointers(P3.data(), DKeys.data(), 1, n);
      EXPECT_EQ(P1, P2);
      EXPECT_EQ(P1, P3);
      EXPECT_TRUE(std::is_sorted(Keys.begin() + 1, Keys.end() - 1));
      EXPECT_EQ(Keys.front(), -1);
      EXPECT_EQ(Keys.back(), -1);
    }
  }
}

TEST(SortArray, SortsAndSearches) {
  std::vector<int> a = {5, -1, 3, 3, 9, 0};
  sortArray(a.data(), 0, 5);
  EXPECT_EQ(a, (std::vector<int>{-1, 0, 3, 3, 5, 9}));
  std::vector<int> b(500);
  for (int i = 0; i < 500; ++i) b[static_cast<std::size_t>(i)] = (i * 7919) % 500;
  sortArray(b.data(), 0, 499);
  EXPECT_TRUE(std::is_sorted(b.begin(), b.end()));
  std::vector<int> untouched = {2, 1};
  sortArray(untouched.data(), 1, 0);  // empty range
  EXPECT_EQ(untouched, (std::vector<int>{2, 1}));

  int s[] = {1, 3, 5};
  EXPECT_TRUE(searchArray(s, 0, 2, 3));
  EXPECT_FALSE(searchArray(s, 0, 2, 4));
  EXPECT_FALSE(searchArray(s, 0, 2, 6));  // beyond the last entry
  EXPECT_FALSE(searchArray(s, 0, 2, 0));
  EXPECT_TRUE(searchArray(s, 0, 2, 1));
  EXPECT_TRUE(searchArray(s, 0, 2, 5));
  EXPECT_FALSE(searchArray(s, 1, 2, 1));  // outside the searched range
}

TEST(Uitoa, Decimal) {
  char c[16];
  EXPECT_STREQ(uitoa(4294967295u, c), "4294967295");
  EXPECT_EQ(uitoa(0, c), c);
  EXPECT_STREQ(c, "0");
  EXPECT_STREQ(uitoa(1020, c), "1020");
}

TEST(IsSubsetOnSets, LabelsDecide) {
  Node a(1, 1), b(2, 2), c(3, 3);
  Hyperedge e(1, 1), f(2, 2);
  EXPECT_TRUE(isSubset(std::set<Node*>{}, std::set<Node*>{&a}));
  EXPECT_TRUE(isSubset(std::set<Node*>{}, std::set<Node*>{}));
  EXPECT_TRUE(isSubset(std::set<Node*>{&a, &b}, std::set<Node*>{&a, &b, &c}));
  EXPECT_FALSE(isSubset(std::set<Node*>{&a, &c}, std::set<Node*>{&a, &b}));
  EXPECT_EQ(b.getLabel(), 1);  // members of Set2 end labelled 1
  a.setLabel(7);
  EXPECT_TRUE(isSubset(std::set<Hyperedge*>{&e}, std::set<Hyperedge*>{&e, &f}));
  EXPECT_FALSE(isSubset(std::set<Hyperedge*>{&e, &f}, std::set<Hyperedge*>{&f}));
}

// ------------------------------------------------------- nodes and hyperedges

TEST(Component, AppendAndRemove) {
  Node n(1, 10);
  Hyperedge e(5, 50), f(6, 60), g(7, 70), h(8, 80);
  n.insEdge(&e);
  n.insEdge(&e);  // no duplicate check
  n.insEdge(&f);
  n.insEdge(&g);
  EXPECT_EQ(n.getNbrOfEdges(), 4);
  EXPECT_TRUE(n.remEdge(&e));  // the first occurrence; the rest close up in order
  EXPECT_TRUE(n.remEdge(&f));
  EXPECT_FALSE(n.remEdge(&h));
  ASSERT_EQ(n.getNbrOfEdges(), 2);
  EXPECT_EQ(n.getEdge(0), &e);
  EXPECT_EQ(n.getEdge(1), &g);
  // An append after removals lands at the logical end, not past the freed slots.
  n.insEdge(&h);
  ASSERT_EQ(n.getNbrOfEdges(), 3);
  EXPECT_EQ(n.getEdge(2), &h);
}

TEST(Component, SlotModePositions) {
  Hyperedge e(1, 1, 3, 2);
  Node a(1, 1), b(2, 2), c(3, 3);
  EXPECT_EQ(e.getNbrOfNodes(), 3);
  EXPECT_EQ(e.getNbrOfNeighbours(), 2);
  EXPECT_EQ(e.getNode(0), nullptr);
  EXPECT_EQ(e.getLabel(), 0);
  EXPECT_FALSE(e.isSpecial());
  e.insNode(&c, 2);
  EXPECT_EQ(e.getNode(2), &c);
  EXPECT_EXIT(e.insNode(&a, 3), ::testing::ExitedWithCode(1), "^ERROR in Component::ins: Position not available.\n$");
  EXPECT_EXIT(e.getNode(3), ::testing::ExitedWithCode(1), "^ERROR in Component::get: Position not available.\n$");
  EXPECT_EXIT(e.insNeighbour(&e, 2), ::testing::ExitedWithCode(1),
              "^ERROR in Component::insNeighbour: Position not available.\n$");
  EXPECT_EXIT(e.getNeighbour(2), ::testing::ExitedWithCode(1),
              "^ERROR in Component::getNeighbour: Position not available.\n$");

  // updateSize counts the leading filled slots: a, null, b -> 1.
  e.insNode(&a, 0);
  e.insNode(&b, 2);
  e.updateSize();
  EXPECT_EQ(e.getNbrOfNodes(), 1);
  Node empty(9, 9, 0, 0);
  empty.updateSize();
  EXPECT_EQ(empty.getNbrOfEdges(), 0);
}

TEST(Component, CloneCopiesIdentityAndCoveredIdsOnly) {
  Node n(4, 40);
  Hyperedge e(1, 1);
  n.insEdge(&e);
  n.insCoveredID(8);
  n.insCoveredID(2);
  Node* Copy = n.clone();
  EXPECT_EQ(Copy->getID(), 4);
  EXPECT_EQ(Copy->getName(), 40);
  ASSERT_EQ(Copy->getNbrOfEdges(), 1);
  EXPECT_EQ(Copy->getEdge(0), nullptr);
  EXPECT_EQ(Copy->getNbrOfNeighbours(), 0);
  Copy->insCoveredID(1);
  EXPECT_EQ(*n.getCoveredIDs(), (std::list<int>{8, 2}));
  EXPECT_EQ(*Copy->getCoveredIDs(), (std::list<int>{8, 2, 1}));
  delete Copy;
}

namespace {

void link(Node* n, Hyperedge* e) {
  n->insEdge(e);
  e->insNode(n);
}

std::vector<int> neighbourIds(Node* n) {
  std::vector<int> Ids;
  for (int i = 0; i < n->getNbrOfNeighbours(); ++i) Ids.push_back(n->getNeighbour(i)->getID());
  return Ids;
}

std::vector<int> neighbourIds(Hyperedge* e) {
  std::vector<int> Ids;
  for (int i = 0; i < e->getNbrOfNeighbours(); ++i) Ids.push_back(e->getNeighbour(i)->getID());
  return Ids;
}

}  // namespace

TEST(Component, NeighbourhoodOfNodesAndHyperedges) {
  Node a(1, 1), b(2, 2), c(3, 3);
  Hyperedge ab(1, 1), bc(2, 2), aa(3, 3);
  link(&a, &ab);
  link(&b, &ab);
  link(&b, &bc);
  link(&c, &bc);
  link(&a, &aa);
  link(&a, &aa);  // a hyperedge listing a twice
  for (Node* n : {&a, &b, &c}) n->updateNeighbourhood();
  for (Hyperedge* e : {&ab, &bc, &aa}) e->updateNeighbourhood();
  EXPECT_EQ(neighbourIds(&a), (std::vector<int>{2}));
  EXPECT_EQ(neighbourIds(&b), (std::vector<int>{1, 3}));
  EXPECT_EQ(neighbourIds(&c), (std::vector<int>{2}));
  EXPECT_EQ(neighbourIds(&ab), (std::vector<int>{2, 3}));
  EXPECT_EQ(neighbourIds(&bc), (std::vector<int>{1}));
  EXPECT_EQ(neighbourIds(&aa), (std::vector<int>{1}));

  // Neighbours can be removed; the list closes up.
  EXPECT_TRUE(b.remNeighbour(&a));
  EXPECT_FALSE(b.remNeighbour(&a));
  EXPECT_EQ(neighbourIds(&b), (std::vector<int>{3}));
}

TEST(Component, HyperedgeNeighboursReflectMembersAtUpdate) {
  // The list computed on first read after an update matches the membership
  // at that time, and a later update recomputes it.
  Node a(1, 1), b(2, 2);
  Hyperedge e(1, 1), f(2, 2), g(3, 3);
  link(&a, &e);
  link(&a, &f);
  e.updateNeighbourhood();
  EXPECT_EQ(neighbourIds(&e), (std::vector<int>{2}));
  link(&a, &g);
  EXPECT_EQ(neighbourIds(&e), (std::vector<int>{2}));  // not yet updated
  e.updateNeighbourhood();
  EXPECT_EQ(neighbourIds(&e), (std::vector<int>{2, 3}));
  (void)b;
}

// ----------------------------------------------------------- component sets

TEST(CompSet, InsertRemoveAndPositions) {
  Node a(1, 1), b(2, 2), c(3, 3), d(4, 4);
  CompSet s(3);
  EXPECT_TRUE(s.empty());
  EXPECT_FALSE(s.isSpecial());
  EXPECT_TRUE(s.insComp(&a));
  EXPECT_FALSE(s.insComp(&a));
  EXPECT_EQ(s.size(), 1);
  EXPECT_TRUE(s.insComp(&b));
  EXPECT_TRUE(s.insComp(&c));
  EXPECT_FALSE(s.insComp(&b));  // a duplicate in a full set is refused, not fatal
  EXPECT_EXIT(s.insComp(&d), ::testing::ExitedWithCode(1), "^ERROR in CompSet::insComp: Set size exceeded.\n$");
  EXPECT_EXIT(s.remComp(5), ::testing::ExitedWithCode(1), "^ERROR in CompSet::remEdge: Position not available.\n$");
  EXPECT_TRUE(s.remComp(&a));
  EXPECT_EQ(s[0], &b);
  EXPECT_EQ(s[1], &c);
  EXPECT_EQ(s[2], nullptr);
  EXPECT_EQ(s[-1], nullptr);
  EXPECT_FALSE(s.remComp(&a));
  EXPECT_FALSE(s.find(&a));
  EXPECT_TRUE(s.find(&c));
  s.remComp(0);
  EXPECT_EQ(s.size(), 1);
  EXPECT_EQ(s[0], &c);
  EXPECT_TRUE(s.insComp(&a));  // room again after removals
  EXPECT_EQ(s[1], &a);

  CompSet none(0);
  EXPECT_EXIT(none.insComp(&a), ::testing::ExitedWithCode(1), "^ERROR in CompSet::insComp: Set size exceeded.\n$");
}

TEST(CompSet, LargeSetsAgreeWithAPlainList) {
  // Random inserts and removals past the size where membership is hashed.
  std::vector<Node*> Pool;
  for (int i = 0; i < 200; ++i) Pool.push_back(new Node(i, i));
  CompSet s(150);
  std::vector<Node*> Model;
  std::mt19937 Gen(3);
  for (int step = 0; step < 5000; ++step) {
    Node* x = Pool[Gen() % Pool.size()];
    const bool bIn = std::find(Model.begin(), Model.end(), x) != Model.end();
    ASSERT_EQ(s.find(x), bIn);
    if (Gen() % 3 != 0 && Model.size() < 150) {
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
  }
  ASSERT_EQ(s.size(), static_cast<int>(Model.size()));
  for (std::size_t i = 0; i < Model.size(); ++i) EXPECT_EQ(s[static_cast<int>(i)], Model[i]);
  for (Node* n : Pool) delete n;
}

TEST(CompSet, SubsetAndSortByLabels) {
  Node a(1, 1), b(2, 2), c(3, 3);
  CompSet Small(2), Big(3), Empty(1);
  Small.insComp(&a);
  Small.insComp(&c);
  Big.insComp(&c);
  Big.insComp(&b);
  Big.insComp(&a);
  EXPECT_TRUE(Small.isSubset(&Big));
  EXPECT_FALSE(Big.isSubset(&Small));
  EXPECT_TRUE(Empty.isSubset(&Small));

  a.setLabel(5);
  b.setLabel(-1);
  c.setLabel(5);
  Big.sortByLabels();
  EXPECT_EQ(Big[0], &b);
  EXPECT_EQ(Big[1], &c);  // equal labels keep their order in small sets
  EXPECT_EQ(Big[2], &a);
  EXPECT_TRUE(Big.find(&a));
}
