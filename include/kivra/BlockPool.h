// Fixed-size blocks from large chunks, and an allocator of node-based
// containers built on them.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

#include "kivra/SanitizerPolicy.h"

namespace kivra {

// Blocks of `Size` bytes, aligned to `Align`, handed out from large chunks
// and reused once given back (one pool per size, alignment and policy).
// Table entries and rows come and go by the million, each far smaller than a
// general-purpose allocation costs. By default the chunks are never given
// back: they serve every later take of the process. With `ReturnsChunks`,
// every chunk goes back to the general heap as soon as no block is taken,
// so that the memory of a structure freed as a whole (a decomposition tree)
// is there for what comes next. Builds with AddressSanitizer use plain
// allocations, so that it still sees every use after release and every
// double release.
template <std::size_t Size, std::size_t Align = alignof(std::max_align_t), bool ReturnsChunks = false>
class BlockPool {
 public:
  static void* take() {
    if constexpr (sanitizer::kAddressSanitizer) {
      return ::operator new(Size);
    } else {
      if (freeList) {
        FreeBlock* block = freeList;
        freeList = block->next;
        if constexpr (ReturnsChunks) ++taken;
        return block;
      }
      if (used == kBlocksPerChunk) {
        Block* previous = chunk;
        chunk = static_cast<Block*>(::operator new(sizeof(Block) * kBlocksPerChunk));
        used = 0;
        if constexpr (ReturnsChunks) {
          // The first block of a chunk links it to the chunk before.
          *reinterpret_cast<Block**>(chunk) = previous;
          used = 1;
        }
      }
      if constexpr (ReturnsChunks) ++taken;
      return &chunk[used++];
    }
  }
  static void give(void* block) {
    if constexpr (sanitizer::kAddressSanitizer) {
      ::operator delete(block);
    } else {
      auto* released = static_cast<FreeBlock*>(block);
      released->next = freeList;
      freeList = released;
      if constexpr (ReturnsChunks)
        if (--taken == 0) returnChunks();
    }
  }

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  struct alignas(Align < alignof(FreeBlock) ? alignof(FreeBlock) : Align) Block {
    unsigned char bytes[Size < sizeof(FreeBlock) ? sizeof(FreeBlock) : Size];
  };
  // At least two, so that a chunk that links to the one before has room.
  static constexpr std::size_t kBlocksPerChunk = 65536 / sizeof(Block) > 2 ? 65536 / sizeof(Block) : 2;
  static void returnChunks() {
    while (chunk) {
      Block* previous = *reinterpret_cast<Block**>(chunk);
      ::operator delete(chunk);
      chunk = previous;
    }
    freeList = nullptr;
    used = kBlocksPerChunk;
  }
  static inline Block* chunk = nullptr;  // the newest chunk
  static inline std::size_t used = kBlocksPerChunk;
  static inline FreeBlock* freeList = nullptr;
  static inline std::size_t taken = 0;  // blocks out, counted with ReturnsChunks
};

// Allocator of node-based containers (tables): single entries from the
// BlockPool of their size (see there for Align), arrays from the general
// heap.
template <class T, std::size_t Align = alignof(std::max_align_t)>
struct PoolAllocator {
  using value_type = T;
  using Pool = BlockPool<sizeof(T), Align>;
  template <class U>
  struct rebind {
    using other = PoolAllocator<U, Align>;
  };
  PoolAllocator() = default;
  template <class U>
  PoolAllocator(const PoolAllocator<U, Align>&) {}
  T* allocate(std::size_t n) {
    if (n == 1) return static_cast<T*>(Pool::take());
    return std::allocator<T>().allocate(n);
  }
  void deallocate(T* p, std::size_t n) {
    if (n == 1)
      Pool::give(p);
    else
      std::allocator<T>().deallocate(p, n);
  }
  friend bool operator==(const PoolAllocator&, const PoolAllocator&) { return true; }
};

}  // namespace kivra
