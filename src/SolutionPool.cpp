// The solution pool's chunks and its reclaiming: marking the nodes a run
// still reaches and sweeping the rest of the run's nodes.
#include "kivra/SolutionPool.h"

#include <algorithm>
#include <iterator>

namespace kivra {

constinit detail::PoolStorage detail::solutionPool;

void SolutionPool::newChunk() {
  current = static_cast<Chunk*>(::operator new(kChunkBytes, std::align_val_t{kChunkBytes}));
  current->live = 0;
  std::fill(std::begin(current->occupied), std::end(current->occupied), 0);
  chunks.push_back(current);
  used = kFirstBlock;
}

bool SolutionPool::beginRun() {
  if (inRun) return false;
  inRun = true;
  atRunStart = live;
  scheduleReclaim(2);
  return true;
}

void SolutionPool::endRun(Solution* result) {
  addRoot(result);
  markReached();
  sweep(true);
  inRun = false;
}

void SolutionPool::markReached() {
  // The graph is large and its nodes lie in no useful order, so a node's
  // state is read a few nodes after it was asked for: each node taken off
  // the stack is fetched ahead into a small window, and checked and marked
  // when it leaves it.
  constexpr std::size_t kAhead = 16;
  Solution* window[kAhead];
  std::size_t first = 0, waiting = 0;
  for (;;) {
    while (waiting < kAhead && !stack.empty()) {
      Solution* node = stack.back();
      stack.pop_back();
      __builtin_prefetch(node);
      window[(first + waiting++) % kAhead] = node;
    }
    if (waiting == 0) break;
    Solution* node = window[first];
    first = (first + 1) % kAhead;
    --waiting;
    if (!(node->flags & Solution::Reclaimable) || (node->flags & Solution::Marked)) continue;
    node->flags |= Solution::Marked;
    if (!node->hasLeftArgument()) continue;
    stack.push_back(node->leftArgument);
    if (node->hasRightArgument()) stack.push_back(node->rightArgument);
  }
}

void SolutionPool::sweep(bool final) {
  // The marking stack may have grown as deep as the graph: its memory goes
  // back before anything else needs it.
  std::vector<Solution*>().swap(stack);
  const std::size_t before = runNodes();
  const auto kept = static_cast<std::uint8_t>(final ? ~(Solution::Marked | Solution::Reclaimable)
                                                    : ~Solution::Marked);
  freeList = nullptr;
  std::size_t chunksKept = 0;
  for (Chunk* chunk : chunks) {
    for (std::size_t word = 0; word < kWords; ++word) {
      for (std::uint64_t bits = chunk->occupied[word]; bits; bits &= bits - 1) {
        const std::size_t index = word * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
        auto* node = reinterpret_cast<Solution*>(reinterpret_cast<unsigned char*>(chunk) + index * kBlock);
        if (!(node->flags & Solution::Reclaimable)) continue;
        if (node->flags & Solution::Marked) {
          node->flags &= kept;
          continue;
        }
        node->~Solution();
        chunk->occupied[word] &= ~(std::uint64_t{1} << (index % 64));
        --chunk->live;
        --live;
        sanitizer::poison(node, kBlock);
      }
    }
    if (chunk->live == 0 && chunk != current) {
      sanitizer::unpoison(chunk, kChunkBytes);
      ::operator delete(chunk, std::align_val_t{kChunkBytes});
      continue;
    }
    chunks[chunksKept++] = chunk;
    if constexpr (!sanitizer::kAddressSanitizer) {
      // The chunk's free blocks, in address order, take the new nodes.
      const std::size_t end = chunk == current ? used : kBlocks;
      for (std::size_t index = end; index-- > kFirstBlock;) {
        if (chunk->occupied[index / 64] >> (index % 64) & 1) continue;
        void* block = reinterpret_cast<unsigned char*>(chunk) + index * kBlock;
        *static_cast<void**>(block) = freeList;
        freeList = block;
      }
    }
  }
  chunks.resize(chunksKept);
  // Marking costs what is kept: when little was reclaimed, the run grows
  // further before the next time, when much was, less.
  const std::size_t reclaimed = before - runNodes();
  if (reclaimed < before / 4)
    scheduleReclaim(growth * 4);
  else if (reclaimed > before / 2)
    scheduleReclaim(2);
  else
    scheduleReclaim(growth);
}

}  // namespace kivra
