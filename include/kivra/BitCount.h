// The number of set bits of a word, for the bit sets of the ordering
// heuristics and of the solver's bags.
#pragma once

#include <cstdint>

namespace kivra {

// Branch-free and inline: std::popcount becomes a library call on the
// baseline x86-64 instruction set.
inline std::uint32_t bitCount(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555ULL;
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<std::uint32_t>((x * 0x0101010101010101ULL) >> 56);
}

}  // namespace kivra
