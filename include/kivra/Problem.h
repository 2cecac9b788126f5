// Base of every problem the framework solves: vertex-name tables, hypergraph
// construction from plain vertex and edge sets, and the solving pipeline
// (parse, preprocess, build the hypergraph, decompose, evaluate).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
#include "kivra/ExtendedHypertree.h"
#include "kivra/Global.h"
#include "kivra/Hypergraph.h"
#include "kivra/LargeTable.h"

namespace kivra {

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
  // solution is wholly lazy. The hypergraph goes once the typed tree is
  // built, the normalized nodes as the evaluation consumes them; the typed
  // tree and the solution stay for the run.
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
    if (reverseVertexNames.empty()) return;
    const NameSlot* slot = reverseVertexNames.data() + (hashName(name) & (reverseVertexNames.size() - 1));
#if defined(__x86_64__)
    // The compiler drops __builtin_prefetch of an address computed this way.
    asm volatile("prefetcht0 %0" : : "m"(*slot));
#else
    __builtin_prefetch(slot);
#endif
  }
  // Appends the auxiliary vertex "__aux" (no reverse entry) and returns its id.
  Vertex createAuxiliaryVertex();

  static Hypergraph* createGraphFromSets(VertexSet vertices, EdgeSet edges);
  // One node per vertex (first set, then second, each ascending; ID and name
  // the vertex id) and one two-node hyperedge per pair in pair order.
  static Hypergraph* createGraphFromDisjointSets(VertexSet first, VertexSet second, EdgeSet edges);
  // The same two on the sets given as ascending lists without repeats, so
  // that a large framework's sets need not be copied into tree sets first.
  static Hypergraph* createGraphFromSets(std::span<const Vertex> vertices,
                                         std::span<const std::pair<Vertex, Vertex>> edges);
  static Hypergraph* createGraphFromDisjointSets(std::span<const Vertex> first, std::span<const Vertex> second,
                                                 std::span<const std::pair<Vertex, Vertex>> edges);

  // A slot of the name index: 32 hash bits, the id (0: free slot) and, for
  // a name of at most 7 bytes, the name itself with its length.
  struct NameSlot {
    std::uint32_t hash;
    Vertex id;
    std::uint64_t shortName;  // bytes and length of a short name, else 0
  };
  using NameIndex = std::vector<NameSlot, LargeTableAllocator<NameSlot>>;

  // Id to name; id 0 is the auxiliary vertex "__aux".
  NameMap vertexNames;
  // Name to id for every name stored by storeVertexName ("__aux" made by
  // createAuxiliaryVertex has no entry): open addressing with linear probing
  // over NameSlots, so that a look-up of a short name reads no other memory;
  // longer names are confirmed against vertexNames. At most half full; the
  // slot count is a power of two. Read it through findVertexId. The
  // pipeline drops it once the input is read (decomposing and evaluating
  // look no name up, and a large framework's index takes tens of
  // megabytes); the next look-up or store makes it again, hence mutable.
  mutable NameIndex reverseVertexNames;
  // The input has been read and preprocessed.
  bool parsed;
  // Not used by the pipeline; stays null.
  ExtendedHypertree* decomposition;
  // calculateSolution prints its progress and timing lines.
  bool benchmark;

 private:
  // Up to eight bytes of a name as one number, the first byte lowest.
  static std::uint64_t nameBytes(const char* p, std::size_t count) {
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < count; ++i) bytes |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    return bytes;
  }
  // Eight bytes at a time, each step a multiply and a shift; names are short.
  static std::uint32_t hashName(std::string_view name) {
    std::uint64_t h = 0x9e3779b97f4a7c15ull ^ name.size();
    const char* p = name.data();
    std::size_t left = name.size();
    for (; left >= 8; left -= 8, p += 8) {
      h = (h ^ nameBytes(p, 8)) * 0xff51afd7ed558ccdull;
      h ^= h >> 32;
    }
    if (left > 0) {
      h = (h ^ nameBytes(p, left)) * 0xff51afd7ed558ccdull;
      h ^= h >> 32;
    }
    h *= 0xc4ceb9fe1a85ec53ull;
    return static_cast<std::uint32_t>(h >> 32);
  }
  // A name of at most 7 bytes with its length, 0 for a longer name.
  static std::uint64_t packShortName(std::string_view name) {
    return name.size() > 7 ? 0 : name.size() | nameBytes(name.data(), name.size()) << 8;
  }
  std::size_t nameSlotOf(std::string_view name, std::uint32_t hash, std::uint64_t packed) const;
  void growNameIndex();
  // Drops the name index (see reverseVertexNames); restoreNameIndex makes
  // it again from vertexNames when it is not there.
  void releaseNameIndex();
  void restoreNameIndex() const;
  // Ids made by createAuxiliaryVertex, which the index leaves out.
  std::vector<Vertex> auxiliaryIds;
  // The number of names in reverseVertexNames.
  std::size_t indexedNames = 0;
};

}  // namespace kivra
