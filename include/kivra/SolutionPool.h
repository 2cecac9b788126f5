// The pool that solution nodes (kivra::Solution) come from, and the reclaiming
// of the nodes a run made and no longer reaches.
//
// Nodes lie in 1 MB chunks, each aligned to its size, so that a node finds
// its chunk from its address. A chunk starts with a header (the live count
// and one bit per block telling which blocks hold a node); the nodes follow.
// Released blocks are reused, and a chunk whose nodes are all gone is given
// back. Under AddressSanitizer released blocks are poisoned and never
// reused, so that any use after release is reported.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "kivra/AbstractAlgorithm.h"
#include "kivra/SanitizerPolicy.h"

namespace kivra {

class SolutionPool {
 public:
  // The one pool of the process. It is constant-initialized and never
  // destroyed: nothing is allocated for it before main, and the result of a
  // run lives to the end of the process.
  static SolutionPool& instance();

  constexpr SolutionPool() = default;
  SolutionPool(const SolutionPool&) = delete;
  SolutionPool& operator=(const SolutionPool&) = delete;

  void* take() {
    void* block;
    if (freeList) {
      block = freeList;
      freeList = *static_cast<void**>(block);
    } else {
      if (!current || used == kBlocks) newChunk();
      block = reinterpret_cast<unsigned char*>(current) + used++ * kBlock;
    }
    Chunk* chunk = chunkOf(block);
    const std::size_t index = indexOf(block, chunk);
    chunk->occupied[index / 64] |= std::uint64_t{1} << (index % 64);
    ++chunk->live;
    ++live;
    return block;
  }

  void give(void* block) {
    Chunk* chunk = chunkOf(block);
    const std::size_t index = indexOf(block, chunk);
    chunk->occupied[index / 64] &= ~(std::uint64_t{1} << (index % 64));
    --chunk->live;
    --live;
    if constexpr (sanitizer::kAddressSanitizer) {
      sanitizer::poison(block, kBlock);
    } else {
      *static_cast<void**>(block) = freeList;
      freeList = block;
    }
  }

  // The nodes alive (made and not yet released or reclaimed).
  std::size_t liveNodes() const { return live; }
  // The flags of a node made now: one made during a run may be reclaimed.
  std::uint8_t newNodeFlags() const { return inRun ? Solution::Reclaimable : 0; }

  // A run begins: the nodes made from now on may be reclaimed. Only one run
  // at a time; false when another one is running.
  bool beginRun();
  // The run ends with `result`: every node of the run it does not reach goes,
  // and the nodes it reaches stay for good.
  void endRun(Solution* result);

  // Whether the run's nodes have grown enough since the pool last reclaimed
  // for reclaiming to pay.
  bool due() const { return runNodes() >= reclaimAt; }
  // Marks every node of the run that the roots given since the last call
  // reach (they are kept by the next sweep).
  void addRoot(Solution* root) {
    if (root) stack.push_back(root);
  }
  void markReached();
  // Releases every node of the run that is not marked and unmarks the rest;
  // at the end of a run (`final`) the rest stays for good.
  void sweep(bool final);

  // When a run reclaims: once its nodes have grown by a factor since the
  // last time, 2 at first and after a reclaim that freed much, up to
  // maximumGrowth after reclaims that freed little, and by minimumGrowth
  // nodes at least. Marking costs what is kept, so each node is visited a
  // bounded number of times on average. Tests lower both to reclaim between
  // nearly every two rules of small runs.
  static inline std::size_t minimumGrowth = std::size_t{1} << 16;
  static inline std::size_t maximumGrowth = 32;

 private:
  static constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
  static constexpr std::size_t kBlock = sizeof(Solution);
  static constexpr std::size_t kBlocks = kChunkBytes / kBlock;
  static constexpr std::size_t kWords = (kBlocks + 63) / 64;
  struct Chunk {
    std::size_t live;
    std::uint64_t occupied[kWords];
  };
  static constexpr std::size_t kFirstBlock = (sizeof(Chunk) + kBlock - 1) / kBlock;

  static Chunk* chunkOf(const void* block) {
    return reinterpret_cast<Chunk*>(reinterpret_cast<std::uintptr_t>(block) & ~(kChunkBytes - 1));
  }
  static std::size_t indexOf(const void* block, const Chunk* chunk) {
    return static_cast<std::size_t>(static_cast<const unsigned char*>(block) -
                                    reinterpret_cast<const unsigned char*>(chunk)) / kBlock;
  }
  void newChunk();
  // The run's nodes alive: what is alive beyond what was when it began.
  std::size_t runNodes() const { return live > atRunStart ? live - atRunStart : 0; }
  // Sets the growth factor and, from what the run holds now, when the pool
  // reclaims next.
  void scheduleReclaim(std::size_t factor) {
    growth = std::min(factor, maximumGrowth);
    reclaimAt = std::max(minimumGrowth, growth * runNodes());
  }

  std::vector<Chunk*> chunks;
  Chunk* current = nullptr;
  std::size_t used = 0;  // blocks of `current` handed out so far, header included
  void* freeList = nullptr;
  std::size_t live = 0;
  bool inRun = false;
  // The nodes alive when the running run began, which it never reclaims:
  // the run's growth and what it reclaims are measured from there.
  std::size_t atRunStart = 0;
  std::size_t reclaimAt = 0;  // the run's nodes at which reclaiming is due
  std::size_t growth = 2;     // the factor by which the run's nodes grow before the next reclaim
  std::vector<Solution*> stack;
};

namespace detail {

// Storage whose destructor does not destroy the pool.
union PoolStorage {
  constexpr PoolStorage() : pool() {}
  ~PoolStorage() {}
  SolutionPool pool;
};
extern constinit PoolStorage solutionPool;

}  // namespace detail

inline SolutionPool& SolutionPool::instance() { return detail::solutionPool.pool; }

}  // namespace kivra
