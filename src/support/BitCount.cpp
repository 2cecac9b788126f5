// Word-run unions with a population count: the minimum-degree ordering
// unites dense neighbour sets of thousands of words per elimination, and the
// baseline x86-64 instruction set has no population count instruction.
#include "kivra/BitCount.h"

namespace kivra {

namespace {

std::uint32_t uniteAndCountPortable(std::uint64_t* Into, const std::uint64_t* From, std::size_t iWords) {
  std::uint32_t iTotal = 0;
  for (std::size_t k = 0; k < iWords; ++k) {
    Into[k] |= From[k];
    iTotal += bitCount(Into[k]);
  }
  return iTotal;
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("popcnt"))) std::uint32_t uniteAndCountPopcnt(std::uint64_t* Into, const std::uint64_t* From,
                                                                    std::size_t iWords) {
  std::uint32_t iTotal = 0;
  for (std::size_t k = 0; k < iWords; ++k) {
    Into[k] |= From[k];
    iTotal += static_cast<std::uint32_t>(__builtin_popcountll(Into[k]));
  }
  return iTotal;
}

bool hasPopcnt() {
  static const bool bHas = __builtin_cpu_supports("popcnt");
  return bHas;
}
#endif

}  // namespace

std::uint32_t uniteAndCount(std::uint64_t* Into, const std::uint64_t* From, std::size_t iWords) {
#if defined(__x86_64__) && defined(__GNUC__)
  if (hasPopcnt()) return uniteAndCountPopcnt(Into, From, iWords);
#endif
  return uniteAndCountPortable(Into, From, iWords);
}

}  // namespace kivra
