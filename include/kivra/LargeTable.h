// An allocator for arrays of many megabytes.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdlib>
#include <new>

namespace kivra {

// Allocates large arrays on huge pages where the system offers them, so that
// filling them takes few page faults and random accesses across them miss
// the TLB less often. Small arrays come from malloc.
template <class T>
struct LargeTableAllocator {
  using value_type = T;
  LargeTableAllocator() = default;
  template <class U>
  LargeTableAllocator(const LargeTableAllocator<U>&) {}
  T* allocate(std::size_t n);
  void deallocate(T* p, std::size_t) { std::free(p); }
  template <class U>
  bool operator==(const LargeTableAllocator<U>&) const {
    return true;
  }
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

}  // namespace kivra
