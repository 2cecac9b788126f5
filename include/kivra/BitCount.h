// The number of set bits of a word, for the bit sets of the ordering
// heuristics and of the solver's bags.
#pragma once

#include <cstddef>
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

// Into[k] |= From[k] for k < iWords; returns the number of set bits of the
// result. Uses the processor's population count where it has one (checked
// once at run time), the branch-free count otherwise.
std::uint32_t uniteAndCount(std::uint64_t* Into, const std::uint64_t* From, std::size_t iWords);

}  // namespace kivra
