// How the memory pools behave under AddressSanitizer. A pool hands out blocks
// of its own chunks and reuses them, which hides a use after release from the
// sanitizer. Instrumented builds therefore take plain allocations where a
// pool can (kAddressSanitizer), and poison what a pool takes back where it
// must keep its chunks (poison, unpoison). In other builds the flag is false
// and poison and unpoison do nothing.
#pragma once

#include <cstddef>

// Defined as 1 when AddressSanitizer instruments the build: g++ announces it
// by __SANITIZE_ADDRESS__, clang only through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define KIVRA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KIVRA_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef KIVRA_ADDRESS_SANITIZER
#define KIVRA_ADDRESS_SANITIZER 0
#endif

#if KIVRA_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif

namespace kivra::sanitizer {

inline constexpr bool kAddressSanitizer = KIVRA_ADDRESS_SANITIZER;

// Marks `bytes` bytes at `block` as not to be touched until unpoisoned.
inline void poison([[maybe_unused]] const void* block, [[maybe_unused]] std::size_t bytes) {
#if KIVRA_ADDRESS_SANITIZER
  __asan_poison_memory_region(block, bytes);
#endif
}

inline void unpoison([[maybe_unused]] const void* block, [[maybe_unused]] std::size_t bytes) {
#if KIVRA_ADDRESS_SANITIZER
  __asan_unpoison_memory_region(block, bytes);
#endif
}

}  // namespace kivra::sanitizer
