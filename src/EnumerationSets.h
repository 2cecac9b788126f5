// The set builders under kivra::EnumerationSolutionContent: views of sets
// laid out as a content lays them out (one array of ids, each set ascending,
// with the offsets where each set starts), builders that form such sets, the
// operations on sorted runs of sets the content's operations are made of, and
// the pieces in which a content keeps the vertices added to all its sets.
//
// A content's sets are kept sorted and duplicate-free, so every operation
// either preserves an order it can predict (a merge of sorted runs, or a
// vertex inserted that no set holds) or forms its sets and sorts them once.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
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

// Flat sets, in order and without duplicates, shared by the contents that
// hold them; never changed once shared.
struct Flat {
  Ids ids;
  Offsets offsets{0};

  std::size_t size() const { return offsets.size() - 1; }
  SetsView view() const { return viewOf(ids, offsets); }
};

// No set at all, and the one empty set.
const std::shared_ptr<const Flat>& noSets();
const std::shared_ptr<const Flat>& emptySet();
// Flat sets made from what a builder formed.
std::shared_ptr<const Flat> adopt(SetsBuilder&& formed);

// One piece of the vertices added to every set of a content: its own ids,
// the one set of a shared Flat, and up to two further pieces, all of whose
// vertices belong to it as well. Pieces form a DAG: a piece may be reached
// twice, which adds nothing to a set. A piece is changed only while one
// handle alone holds it.
class Piece {
 public:
  std::uint32_t refs = 1;
  // The collection that last visited the piece (see collectAscending).
  std::uint32_t stamp = 0;
  // Whether `ids` are ascending without repetitions.
  bool sorted = false;
  Ids ids;
  std::shared_ptr<const Flat> set;  // a Flat of one set, or null
  Piece* next[2] = {nullptr, nullptr};
};

// The pieces of `a` and of `b` (either may be empty) as one.
Pieces join(Pieces a, Pieces b);
// `pieces` with the vertices `ids` (any order) added. A piece that nothing
// else holds takes them in place.
void addTo(Pieces& pieces, std::span<const Vertex> ids);
// The one set of `one` (a Flat of one set) as a piece, shared, not copied.
Pieces setPiece(const std::shared_ptr<const Flat>& one);
// The vertices of every piece reached from `pieces`, ascending, without
// repetitions.
Ids collectAscending(const Pieces& pieces);
// When the vertices of `pieces` are exactly the one set of a shared Flat,
// that Flat; else null.
std::shared_ptr<const Flat> soleSet(const Pieces& pieces);

// The ids sorted or copied into new storage so far (see
// EnumerationSolutionContent::handledIds).
extern std::uint64_t handled;

// The union of two sorted runs as one sorted run, appended to `out`.
void mergeUnique(SetsView a, SetsView b, SetsBuilder& out);
// Merges sorted runs into one sorted run without repetitions, appended to `out`.
void mergeRuns(const std::vector<SetsView>& runs, SetsBuilder& out);
// Appends {e ∪ added : e in `in`} (`in` a sorted run, `added` ascending) to
// `out` as one sorted run.
void addSet(SetsView in, Ascending added, SetsBuilder& out);

}  // namespace kivra::enumeration
