// Generators of argumentation frameworks in the input format, for benchmarks
// and for manual measurements with large inputs.
#pragma once

#include <cstdint>
#include <random>
#include <sstream>
#include <string>

namespace zelkovant_bench {

inline std::string argName(long i) {
  std::string name(1, 'a');
  name += std::to_string(i);
  return name;
}

// A grid of `width` rows and `length` columns; neighbours in a row or column
// attack each other in a random direction, one pair in five in both. The
// decomposition width stays near `width` whatever the length.
inline std::string gridFramework(int width, long length, std::uint32_t seed = 1) {
  std::mt19937 rng(seed);
  std::ostringstream out;
  auto id = [&](long column, int row) { return column * width + row; };
  for (long c = 0; c < length; ++c)
    for (int r = 0; r < width; ++r) out << "arg(" << argName(id(c, r)) << ").\n";
  auto link = [&](long a, long b) {
    unsigned pick = rng() % 5;  // 0: both directions, odd: a to b, even: b to a
    bool forward = pick == 0 || pick % 2 == 1;
    bool backward = pick == 0 || pick % 2 == 0;
    if (forward) out << "att(" << argName(a) << "," << argName(b) << ").\n";
    if (backward) out << "att(" << argName(b) << "," << argName(a) << ").\n";
  };
  for (long c = 0; c < length; ++c)
    for (int r = 0; r < width; ++r) {
      if (r + 1 < width) link(id(c, r), id(c, r + 1));
      if (c + 1 < length) link(id(c, r), id(c + 1, r));
    }
  return out.str();
}

// One argument attacking `leaves` others.
inline std::string starFramework(long leaves) {
  std::ostringstream out;
  for (long i = 1; i <= leaves; ++i) out << "att(" << argName(0) << "," << argName(i) << ").\n";
  return out.str();
}

// A path: each of `args` arguments attacks the next one.
inline std::string pathFramework(long args) {
  std::string text;
  for (long i = 0; i + 1 < args; ++i) text += "att(" + argName(i) + "," + argName(i + 1) + ").\n";
  return text;
}

// `args` arguments, each attacking one other at random, and the first
// `hubs` of them attacking `degree` more each: a sparse framework with a
// few vertices of high degree.
inline std::string hubsFramework(long args, long hubs, long degree, std::uint32_t seed = 1) {
  std::mt19937_64 rng(seed);
  std::ostringstream out;
  for (long i = 0; i < args; ++i) out << "att(" << argName(i) << "," << argName(static_cast<long>(rng() % args)) << ").\n";
  for (long h = 0; h < hubs && h < args; ++h)
    for (long k = 0; k < degree; ++k)
      out << "att(" << argName(h) << "," << argName(static_cast<long>(rng() % args)) << ").\n";
  return out.str();
}

// `attacks` attacks between random pairs of `args` arguments.
inline std::string randomFramework(long args, long attacks, std::uint32_t seed = 1) {
  std::mt19937_64 rng(seed);
  std::ostringstream out;
  for (long i = 0; i < attacks; ++i)
    out << "att(" << argName(static_cast<long>(rng() % args)) << "," << argName(static_cast<long>(rng() % args))
        << ").\n";
  return out.str();
}

// A tree of `args` arguments: each argument after the first attacks, or is
// attacked by, one of the three arguments before it, chosen at random, in a
// random direction. The tree is deep (long branches that fork now and then),
// so decompositions have width 1 and long paths of nodes. The framework has
// no cycle: its stable, complete and preferred extensions are its one
// grounded extension, which holds about half the arguments.
inline std::string treeFramework(long args, std::uint32_t seed = 1) {
  std::mt19937_64 rng(seed);
  std::string text;
  for (long i = 0; i < args; ++i) text += "arg(" + argName(i) + ").\n";
  for (long i = 1; i < args; ++i) {
    const long earlier = i - 1 - static_cast<long>(rng() % static_cast<std::uint64_t>(i < 3 ? i : 3));
    const bool attacks = rng() % 2 == 0;
    const long from = attacks ? i : earlier, to = attacks ? earlier : i;
    text += "att(" + argName(from) + "," + argName(to) + ").\n";
  }
  return text;
}

}  // namespace zelkovant_bench
