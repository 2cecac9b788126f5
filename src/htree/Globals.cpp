// Utility functions of the hypergraph library.
#include "kivra/Globals.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <utility>
#include <vector>

#include "kivra/Hyperedge.h"
#include "kivra/Node.h"

namespace kivra {

void writeErrorMsg(const char* cMessage, const char* cLocation, bool bExitProgram) {
  std::cerr << (bExitProgram ? "ERROR in " : "WARNING in ") << (cLocation ? cLocation : "") << ": "
            << (cMessage ? cMessage : "") << std::endl;
  if (bExitProgram) exit(1);
}

int random_range(int iLB, int iUB) {
  if (iLB > iUB) writeErrorMsg("Lower bound larger than upper bound.", "random_range", true);
  // The span needs up to 32 bits and the product up to 63 bits.
  const std::int64_t iSpan = static_cast<std::int64_t>(iUB) - iLB + 1;
  const std::int64_t r = rand();
  return static_cast<int>(iLB + ((iSpan * r) >> 31));
}

namespace {

// Quicksort with the key at the right end as pivot for ranges of more than
// 201 entries, then insertion sort. Pending ranges are kept on an explicit
// stack (the larger part is deferred), so the stack depth stays logarithmic
// even when the pivot splits badly. The ranges are disjoint, so the order in
// which they are finished does not change the result.
template <typename Key, typename Swap>
void quickInsertionSort(Key* key, int iL, int iR, Swap swapAt) {
  std::vector<std::pair<int, int>> pending;
  pending.emplace_back(iL, iR);
  while (!pending.empty()) {
    auto [l, r] = pending.back();
    pending.pop_back();
    while (r - l > 200) {
      const Key pivot = key[r];
      int i = l - 1;
      int j = r;
      for (;;) {
        while (key[++i] < pivot) {
        }
        while (pivot < key[--j]) {
          if (j == l) break;
        }
        if (i >= j) break;
        swapAt(i, j);
      }
      swapAt(i, r);
      // Continue with the smaller part, defer the larger one.
      if (i - l < r - i) {
        pending.emplace_back(i + 1, r);
        r = i - 1;
      } else {
        pending.emplace_back(l, i - 1);
        l = i + 1;
      }
    }
    // Insertion sort; moving only past strictly greater keys keeps equal keys in order.
    for (int k = l + 1; k <= r; ++k) {
      for (int m = k; m > l && key[m] < key[m - 1]; --m) swapAt(m - 1, m);
    }
  }
}

template <typename Key>
void sortPointersImpl(void** Ptr, Key* key, int iL, int iR) {
  if (iR < iL + 1) return;
  quickInsertionSort(key, iL, iR, [Ptr, key](int a, int b) {
    std::swap(key[a], key[b]);
    std::swap(Ptr[a], Ptr[b]);
  });
}

template <typename Element>
bool isSubsetImpl(const std::set<Element*>* Set1, const std::set<Element*>* Set2) {
  for (Element* e : *Set1) e->setLabel(0);
  for (Element* e : *Set2) e->setLabel(1);
  for (Element* e : *Set1) {
    if (e->getLabel() == 0) return false;
  }
  return true;
}

}  // namespace

void sortPointers(void** Ptr, int* iEval, int iL, int iR) { sortPointersImpl(Ptr, iEval, iL, iR); }

void sortPointers(void** Ptr, double* rEval, int iL, int iR) { sortPointersImpl(Ptr, rEval, iL, iR); }

bool isSubset(std::set<Node*>* Set1, std::set<Node*>* Set2) { return isSubsetImpl(Set1, Set2); }

bool isSubset(std::set<Hyperedge*>* Set1, std::set<Hyperedge*>* Set2) {
  return isSubsetImpl(Set1, Set2);
}

char* uitoa(unsigned int iNumber, char* cString) {
  char cDigits[16];
  int iLen = 0;
  do {
    cDigits[iLen++] = static_cast<char>('0' + iNumber % 10);
    iNumber /= 10;
  } while (iNumber > 0);
  for (int i = 0; i < iLen; ++i) cString[i] = cDigits[iLen - 1 - i];
  cString[iLen] = '\0';
  return cString;
}

void sortArray(int* iArray, int iL, int iR) {
  if (iR < iL + 1) return;
  quickInsertionSort(iArray, iL, iR, [iArray](int a, int b) { std::swap(iArray[a], iArray[b]); });
}

bool searchArray(int* iArray, int iL, int iR, int iKey) {
  // First position in [iL, iR] whose value is >= iKey (iR + 1 if none).
  int lo = iL;
  int hi = iR + 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (iArray[mid] < iKey) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo <= iR && iArray[lo] == iKey;
}

}  // namespace kivra
