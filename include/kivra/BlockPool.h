// Fixed-size blocks from large chunks, and an allocator of node-based
// containers built on them.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

#include "kivra/SanitizerPolicy.h"

namespace kivra {

// Blocks of `Size` bytes, aligned to `Align`, handed out from large chunks
// and reused once given back (one pool per size and alignment). Table
// entries and rows come and go by the million, each far smaller than a
// general-purpose allocation costs. The chunks are never given back: they
// serve every later take of the process. Builds with AddressSanitizer use
// plain allocations, so that it still sees every use after release and
// every double release.
template <std::size_t Size, std::size_t Align = alignof(std::max_align_t)>
class BlockPool {
 public:
  static void* take() {
    if constexpr (sanitizer::kAddressSanitizer) {
      return ::operator new(Size);
    } else {
      if (freeList) {
        FreeBlock* block = freeList;
        freeList = block->next;
        return block;
      }
      if (used == kBlocksPerChunk) {
        chunk = static_cast<Block*>(::operator new(sizeof(Block) * kBlocksPerChunk));
        used = 0;
      }
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
    }
  }

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  struct alignas(Align < alignof(FreeBlock) ? alignof(FreeBlock) : Align) Block {
    unsigned char bytes[Size < sizeof(FreeBlock) ? sizeof(FreeBlock) : Size];
  };
  static constexpr std::size_t kBlocksPerChunk = 65536 / sizeof(Block) > 1 ? 65536 / sizeof(Block) : 1;
  static inline Block* chunk = nullptr;  // the newest chunk
  static inline std::size_t used = kBlocksPerChunk;
  static inline FreeBlock* freeList = nullptr;
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
