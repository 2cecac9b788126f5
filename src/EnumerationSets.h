// The set builders under kivra::EnumerationSolutionContent: views of sets
// laid out as a content lays them out (one array of ids, each set ascending,
// with the offsets where each set starts), builders that form such sets, and
// the operations on sorted runs of sets the content's operations are made of.
//
// A content's sets are kept sorted and duplicate-free, so every operation
// either preserves an order it can predict (a merge of sorted runs, or a
// vertex inserted that no set holds) or forms its sets and sorts them once.
#pragma once

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

#include "kivra/Global.h"

namespace kivra::enumeration {

using Ids = std::vector<Vertex>;
using Offsets = std::vector<std::size_t>;
using Ascending = std::span<const Vertex>;

// Read access to sets in a content's layout.
struct SetsView {
  const Vertex* ids;
  const std::size_t* offsets;
  std::size_t count;

  Ascending operator[](std::size_t i) const { return {ids + offsets[i], ids + offsets[i + 1]}; }
  // The number of ids of all sets.
  std::size_t vertices() const { return offsets[count] - offsets[0]; }
};

// Sets being formed, in a content's layout.
struct SetsBuilder {
  Ids ids;
  Offsets offsets{0};

  std::size_t size() const { return offsets.size() - 1; }
  SetsView view() const { return {ids.data(), offsets.data(), size()}; }
  Ascending operator[](std::size_t i) const { return view()[i]; }
  // Ends the set whose ids were appended since the last one ended.
  void close() { offsets.push_back(ids.size()); }
  void append(Ascending set) {
    ids.insert(ids.end(), set.begin(), set.end());
    close();
  }
  // Room for `sets` more sets of `vertices` ids in all; growth stays
  // geometric when a builder is appended to repeatedly.
  void reserve(std::size_t sets, std::size_t vertices) {
    grow(offsets, offsets.size() + sets);
    grow(ids, ids.size() + vertices);
  }

 private:
  template <class T>
  static void grow(std::vector<T>& v, std::size_t needed) {
    if (needed > v.capacity()) v.reserve(std::max(needed, 2 * v.capacity()));
  }
};


inline SetsView viewOf(const std::vector<Vertex>& ids, const std::vector<std::size_t>& offsets) {
  return {ids.data(), offsets.data(), offsets.size() - 1};
}

// The union of two sorted runs as one sorted run, appended to `out`.
void mergeUnique(SetsView a, SetsView b, SetsBuilder& out);
// Merges sorted runs into one sorted run without repetitions, appended to `out`.
void mergeRuns(const std::vector<SetsView>& runs, SetsBuilder& out);
// Appends {e ∪ added : e in `in`} (`in` a sorted run, `added` ascending) to
// `out` as one sorted run.
void addSet(SetsView in, Ascending added, SetsBuilder& out);

}  // namespace kivra::enumeration
