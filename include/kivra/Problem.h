// Base of every problem the framework solves: vertex-name tables, hypergraph
// construction from plain vertex and edge sets, and the solving pipeline
// (parse, preprocess, build the hypergraph, decompose, evaluate).
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/Global.h"
#include "kivra/Hypergraph.h"

namespace kivra {

// Allocates large arrays on huge pages where the system offers them, so that
// random accesses across a table of many megabytes miss the TLB less often.
template <class T>
struct LargeTableAllocator {
  using value_type = T;
  LargeTableAllocator() = default;
  template <class U>
  LargeTableAllocator(const LargeTableAllocator<U>&) {}
  T* allocate(std::size_t n);
  void deallocate(T* p, std::size_t) { std::free(p); }
  template <class U>
  bool operator==(const LargeTableAllocator<U>&) const { return true; }
};

template <class T>
T* LargeTableAllocator<T>::allocate(std::size_t n) {
  constexpr std::size_t kHugePage = std::size_t{1} << 21;
  const std::size_t bytes = n * sizeof(T);
  void* p = nullptr;
  if (bytes >= 2 * kHugePage) {
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    p = std::aligned_alloc(kHugePage, rounded);
    if (p != nullptr) madvise(p, rounded, MADV_HUGEPAGE);
  } else {
    p = std::malloc(bytes == 0 ? 1 : bytes);
  }
  if (p == nullptr) throw std::bad_alloc();
  return static_cast<T*>(p);
}

class Problem {
 public:
  // With `benchmark`, calculateSolution prints progress and timing lines.
  explicit Problem(bool benchmark);
  virtual ~Problem();

  // Reads the problem's input; called at most once by the pipeline.
  virtual void parse() = 0;
  // Runs once right after parse.
  virtual void preprocess() = 0;
  // A new hypergraph of the problem, owned by the caller.
  virtual Hypergraph* buildHypergraphRepresentation() = 0;

  // Parses (once), decomposes and evaluates with `algorithm`; the returned
  // solution is wholly lazy. Nothing built on the way is released.
  Solution* calculateSolution(AbstractHTDAlgorithm* algorithm);
  // Parses (once) and returns the width of a new decomposition.
  int calculateTreeWidth();

  // The id of `name`, 0 when it has none (also for the auxiliary vertex).
  Vertex getVertexId(std::string name);
  // The name of an id obtained from this problem.
  std::string getVertexName(Vertex vertex);
  // The number of named vertices, the auxiliary vertex not counted.
  unsigned int getVertexCount();
  // "(id=name)" for every id from 0, then a newline.
  void printVertexNames(std::ostream& out);

 protected:
  // The id of `name`, stored under the next free id when it has none.
  Vertex storeVertexName(std::string name);
  // The id of `name`, 0 when it has none.
  Vertex findVertexId(std::string_view name) const;
  // Starts fetching the memory a look-up of `name` will read first.
  void prefetchVertexName(std::string_view name) const {
    __builtin_prefetch(&nameIndex[hashName(name) & (nameIndex.size() - 1)]);
  }
  // Appends the auxiliary vertex "__aux" (no reverse entry) and returns its id.
  Vertex createAuxiliaryVertex();

  static Hypergraph* createGraphFromSets(VertexSet vertices, EdgeSet edges);
  // One node per vertex (first set, then second, each ascending; ID and name
  // the vertex id) and one two-node hyperedge per pair in pair order.
  static Hypergraph* createGraphFromDisjointSets(VertexSet first, VertexSet second, EdgeSet edges);
  // The same graph as createGraphFromSets from the same vertices and pairs,
  // given as ascending lists without repeats.
  static Hypergraph* createGraphFromSortedLists(const std::vector<Vertex>& vertices,
                                                const std::vector<std::pair<Vertex, Vertex>>& edges);

  NameMap vertexNames;
  bool parsed;
  ExtendedHypertree* decomposition;
  bool benchmark;

 private:
  // Name to id for every name stored by storeVertexName ("__aux" made by
  // createAuxiliaryVertex has no entry): open addressing with linear probing,
  // id 0 marking a free slot. A slot keeps 32 hash bits and, for a name of at
  // most 7 bytes, the name itself with its length, so that a look-up of a
  // short name reads no other memory; longer names are confirmed against
  // vertexNames. At most half full; the slot count is a power of two.
  struct NameSlot {
    std::uint32_t hash;
    Vertex id;
    std::uint64_t shortName;  // bytes and length of a short name, else 0
  };
  static std::uint32_t hashName(std::string_view name);
  static std::uint64_t packShortName(std::string_view name);
  std::size_t nameSlotOf(std::string_view name, std::uint32_t hash, std::uint64_t packed) const;
  void growNameIndex();
  std::vector<NameSlot, LargeTableAllocator<NameSlot>> nameIndex;
  std::size_t indexedNames = 0;
};

}  // namespace kivra
