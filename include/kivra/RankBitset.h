// A set of indices 0..n-1 with fast rank selection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kivra/BitCount.h"

namespace kivra {

// A bitset with counts per block of 2^kWordShift words and per 64 such
// blocks, so that the r-th smallest member is found with a few short scans
// instead of a tree descent. Smaller blocks make setting a member no dearer
// and shorten the last scan; larger ones take less room.
template <unsigned kWordShift = 6>
class RankBitset {
 public:
  explicit RankBitset(std::size_t n = 0) { reset(n); }

  // Indices 0..n-1, none a member.
  void reset(std::size_t n) {
    Words.assign((n + 63) / 64, 0);
    Mid.assign((n + kBlockBits - 1) / kBlockBits, 0);
    Top.assign((n + kTopBits - 1) / kTopBits, 0);
  }

  void set(std::uint32_t i) {
    Words[i >> 6] |= std::uint64_t{1} << (i & 63);
    ++Mid[i >> kBlockShift];
    ++Top[i >> kTopShift];
  }

  void clear(std::uint32_t i) {
    Words[i >> 6] &= ~(std::uint64_t{1} << (i & 63));
    --Mid[i >> kBlockShift];
    --Top[i >> kTopShift];
  }

  // The member with exactly r smaller members (r below the member count).
  std::uint32_t select(std::uint32_t r) const {
    std::size_t t = 0;
    while (Top[t] <= r) r -= Top[t++];
    std::size_t m = t << 6;
    while (Mid[m] <= r) r -= Mid[m++];
    std::size_t w = m << kWordShift;
    for (;; ++w) {
      const std::uint32_t c = bitCount(Words[w]);
      if (c > r) break;
      r -= c;
    }
    std::uint64_t x = Words[w];
    for (; r > 0; --r) x &= x - 1;
    return static_cast<std::uint32_t>((w << 6) + static_cast<std::size_t>(__builtin_ctzll(x)));
  }

 private:
  static constexpr unsigned kBlockShift = 6 + kWordShift;
  static constexpr unsigned kTopShift = kBlockShift + 6;
  static constexpr std::size_t kBlockBits = std::size_t{1} << kBlockShift;
  static constexpr std::size_t kTopBits = std::size_t{1} << kTopShift;

  std::vector<std::uint64_t> Words;
  std::vector<std::uint32_t> Mid;
  std::vector<std::uint32_t> Top;
};

}  // namespace kivra
