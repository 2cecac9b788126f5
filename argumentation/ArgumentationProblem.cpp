#include "ArgumentationProblem.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <memory>
#include <span>
#include <vector>

using kivra::Vertex;
using kivra::VertexSet;

namespace {

// Whether the ascending set and the ascending range share an element: each
// member of the smaller side is looked up in the larger, so a bag-sized set
// against the adjacency of an argument with thousands of attackers costs a
// handful of look-ups.
bool intersects(const VertexSet& set, const Vertex* begin, const Vertex* end) {
  const std::size_t length = static_cast<std::size_t>(end - begin);
  if (set.empty() || length == 0) return false;
  if (set.size() <= length) {
    for (Vertex v : set) {
      if (std::binary_search(begin, end, v)) return true;
    }
    return false;
  }
  for (const Vertex* v = begin; v != end; ++v) {
    if (set.find(*v) != set.end()) return true;
  }
  return false;
}

bool intersects(const VertexSet& a, const VertexSet& b) {
  if (a.empty() || b.empty()) return false;
  const VertexSet& smaller = a.size() <= b.size() ? a : b;
  const VertexSet& larger = a.size() <= b.size() ? b : a;
  for (Vertex v : smaller) {
    if (larger.find(v) != larger.end()) return true;
  }
  return false;
}

// Sorts attacks ascending by attacker, then attacked: a least significant
// digit first radix sort over the four 16-bit digits of the pair taken as
// one 64-bit number, skipping digits that are the same in every pair.
void sortAttacks(std::vector<ArgumentationProblem::Attack>& attacks) {
  const std::size_t n = attacks.size();
  if (n < 4096) {
    std::sort(attacks.begin(), attacks.end());
    return;
  }
  std::vector<std::uint64_t> keys(n), buffer(n);
  std::vector<std::size_t> counts(4 * 65536, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint64_t key = std::uint64_t{attacks[i].first} << 32 | attacks[i].second;
    keys[i] = key;
    for (int digit = 0; digit < 4; ++digit) ++counts[digit * 65536 + (key >> (16 * digit) & 0xffff)];
  }
  for (int digit = 0; digit < 4; ++digit) {
    std::size_t* count = counts.data() + digit * 65536;
    const int shift = 16 * digit;
    if (count[keys[0] >> shift & 0xffff] == n) continue;
    std::size_t position = 0;
    for (std::size_t d = 0; d < 65536; ++d) {
      const std::size_t here = count[d];
      count[d] = position;
      position += here;
    }
    for (std::uint64_t key : keys) buffer[count[key >> shift & 0xffff]++] = key;
    keys.swap(buffer);
  }
  for (std::size_t i = 0; i < n; ++i) {
    attacks[i] = {static_cast<Vertex>(keys[i] >> 32), static_cast<Vertex>(keys[i] & 0xffffffffu)};
  }
}

}  // namespace

ArgumentationProblem::ArgumentationProblem(std::istream* input, bool quiet)
    : kivra::Problem(false),
      lexer(std::make_unique<ArgumentationFlexLexer>(nullptr, nullptr)),
      parser(std::make_unique<ArgumentationParser>(lexer.get(), input, this)),
      quiet(quiet) {}

ArgumentationProblem::~ArgumentationProblem() = default;

void ArgumentationProblem::parse() {
  parseTimer.start();
  parser->yyparse();
  absorbAttacks();
}

void ArgumentationProblem::addArgument(std::string name) {
  // Most declarations name an argument whose attacks came before them (the
  // parser applies the statements last first); the others wait until
  // preprocess, when every attack is known.
  const Vertex id = findVertexId(name);
  if (id == 0) {
    newDeclarations.push_back(std::move(name));
    return;
  }
  if (id >= declaredIds.size()) declaredIds.resize(std::max<std::size_t>(id + 1, 2 * declaredIds.size()), 0);
  declaredIds[id] = 1;
}

void ArgumentationProblem::addAttack(std::string attacker, std::string attacked) {
  Vertex from = attackArgumentId(attacker);
  Vertex to = attackArgumentId(attacked);
  newAttacks.emplace_back(from, to);
}

Vertex ArgumentationProblem::attackArgumentId(std::string& name) {
  // Only attacks store names, so every stored name is an argument.
  return storeVertexName(std::move(name));
}

void ArgumentationProblem::absorbAttacks() {
  if (newAttacks.empty()) return;
  sortAttacks(newAttacks);
  if (attacks.empty()) {
    attacks.swap(newAttacks);
  } else {
    const std::size_t middle = attacks.size();
    attacks.insert(attacks.end(), newAttacks.begin(), newAttacks.end());
    std::inplace_merge(attacks.begin(), attacks.begin() + static_cast<std::ptrdiff_t>(middle), attacks.end());
  }
  attacks.erase(std::unique(attacks.begin(), attacks.end()), attacks.end());
  std::vector<Attack>().swap(newAttacks);
}

void ArgumentationProblem::absorbDeclarations() {
  declaredIds.resize(std::max<std::size_t>(declaredIds.size(), static_cast<std::size_t>(argumentCount()) + 1), 0);
  // Names declared earlier without an id may have one by now.
  std::vector<std::string> withoutId;
  withoutId.swap(declaredWithoutId);
  for (std::string& name : newDeclarations) withoutId.push_back(std::move(name));
  std::vector<std::string>().swap(newDeclarations);
  std::size_t kept = 0;
  constexpr std::size_t kAhead = 8;
  for (std::size_t i = 0; i < withoutId.size(); ++i) {
    if (i + kAhead < withoutId.size()) prefetchVertexName(withoutId[i + kAhead]);
    std::string& name = withoutId[i];
    const Vertex id = findVertexId(name);
    if (id != 0) {
      declaredIds[id] = 1;
    } else {
      if (kept != i) withoutId[kept] = std::move(name);
      ++kept;
    }
  }
  withoutId.resize(kept);
  std::sort(withoutId.begin(), withoutId.end());
  withoutId.erase(std::unique(withoutId.begin(), withoutId.end()), withoutId.end());
  declaredWithoutId.swap(withoutId);
  declaredCount = declaredWithoutId.size() + static_cast<std::size_t>(std::count(declaredIds.begin(), declaredIds.end(), 1));
}

void ArgumentationProblem::preprocess() {
  absorbAttacks();
  absorbDeclarations();
  if (!quiet) warnAboutArguments();
  attacksAdjacency = calcAttacksAdjacency(attacks);
  attackedAdjacency = calcAttackedAdjacency(attacks);
}

void ArgumentationProblem::warnAboutArguments() {
  // Only the counts are compared: a framework with as many declared names as
  // attacking or attacked arguments gets no warning even when they differ.
  const std::size_t arguments = argumentCount();
  if (declaredCount > arguments) {
    std::cout << std::endl
              << "The following arguments do not appear in any attack relation (they will be ignored):" << std::endl;
    for (const std::string& name : declaredWithoutId) std::cout << name << "; ";
    std::cout << std::endl;
  } else if (declaredCount < arguments) {
    std::cout << std::endl << "The following arguments have not been explicitly defined as argument:" << std::endl;
    for (Vertex id = 1; id <= arguments; ++id) {
      if (!declaredIds[id]) std::cout << vertexNames[id] << "; ";
    }
    std::cout << std::endl;
  }
  // Checked right after the flush, so that the error text names the failed
  // write, and before any decomposition work is spent on a run whose output
  // is lost.
  if (!std::cout) kivra::_printError("could not write to standard output");
}

kivra::Hypergraph* ArgumentationProblem::buildHypergraphRepresentation() {
  absorbAttacks();
  std::vector<Vertex> ids(argumentCount());
  for (Vertex id = 1; id <= ids.size(); ++id) ids[id - 1] = id;
  // The ids and the attacks are ascending and without repeats: the sets'
  // order, without copying them into tree sets.
  return createGraphFromSets(std::span<const Vertex>(ids), std::span<const Attack>(attacks));
}

ArgumentationProblem::Adjacency ArgumentationProblem::calcAttacksAdjacency(const AttackSet* pairs) {
  // Pairs come ordered by attacker, then attacked: every key and every
  // member is appended at the end of its container.
  Adjacency adjacency;
  auto current = adjacency.end();
  for (const Attack& attack : *pairs) {
    if (current == adjacency.end() || current->first != attack.first) {
      current = adjacency.emplace_hint(adjacency.end(), attack.first, VertexSet());
    }
    current->second.insert(current->second.end(), attack.second);
  }
  return adjacency;
}

ArgumentationProblem::Adjacency ArgumentationProblem::calcAttackedAdjacency(const AttackSet* pairs) {
  // The reversed pairs, sorted, are built like the attacker side.
  std::vector<Attack> reversed;
  reversed.reserve(pairs->size());
  for (const Attack& attack : *pairs) reversed.emplace_back(attack.second, attack.first);
  std::sort(reversed.begin(), reversed.end());
  Adjacency adjacency;
  auto current = adjacency.end();
  for (const Attack& attack : reversed) {
    if (current == adjacency.end() || current->first != attack.first) {
      current = adjacency.emplace_hint(adjacency.end(), attack.first, VertexSet());
    }
    current->second.insert(current->second.end(), attack.second);
  }
  return adjacency;
}

ArgumentationProblem::FlatAdjacency ArgumentationProblem::calcAttacksAdjacency(const std::vector<Attack>& pairs) {
  // The pairs are ascending by attacker: each attacker's targets follow the
  // previous attackers' ones, in the order of the list.
  FlatAdjacency adjacency;
  adjacency.start.assign(pairs.empty() ? 0 : static_cast<std::size_t>(pairs.back().first) + 2, 0);
  for (const Attack& attack : pairs) ++adjacency.start[attack.first + 1];
  for (std::size_t i = 1; i < adjacency.start.size(); ++i) adjacency.start[i] += adjacency.start[i - 1];
  adjacency.targets.resize(pairs.size());
  for (std::size_t k = 0; k < pairs.size(); ++k) adjacency.targets[k] = pairs[k].second;
  return adjacency;
}

ArgumentationProblem::FlatAdjacency ArgumentationProblem::calcAttackedAdjacency(const std::vector<Attack>& pairs) {
  // A counting sort on the attacked argument; walking the pairs in order
  // keeps each argument's attackers ascending.
  FlatAdjacency adjacency;
  if (pairs.empty()) return adjacency;
  Vertex last = 0;
  for (const Attack& attack : pairs) last = std::max(last, attack.second);
  std::vector<std::uint32_t>& start = adjacency.start;
  start.assign(static_cast<std::size_t>(last) + 2, 0);
  for (const Attack& attack : pairs) ++start[attack.second + 1];
  for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
  // start[b] serves as b's write position, so that it ends where b + 1
  // begins; shifting by one place then restores the beginnings.
  adjacency.targets.resize(pairs.size());
  for (const Attack& attack : pairs) adjacency.targets[start[attack.second]++] = attack.first;
  for (std::size_t i = start.size() - 1; i > 0; --i) start[i] = start[i - 1];
  start[0] = 0;
  return adjacency;
}

VertexSet* ArgumentationProblem::getAttacksFromArg(Vertex argument) {
  const auto [begin, end] = attacksAdjacency.of(argument);
  if (begin == end) return nullptr;
  auto [entry, made] = attackedSets.try_emplace(argument);
  // The range is ascending: every member is appended at the end.
  if (made)
    for (const Vertex* target = begin; target != end; ++target) entry->second.insert(entry->second.end(), *target);
  return &entry->second;
}

std::pair<const Vertex*, const Vertex*> ArgumentationProblem::attackedRange(Vertex argument) const {
  return attacksAdjacency.of(argument);
}

bool ArgumentationProblem::argumentIsAttackedBySet(const VertexSet& set, Vertex argument) const {
  const auto [begin, end] = attackedAdjacency.of(argument);
  return intersects(set, begin, end);
}

bool ArgumentationProblem::argumentAttacksSet(const VertexSet& set, Vertex argument) const {
  const auto [begin, end] = attacksAdjacency.of(argument);
  return intersects(set, begin, end);
}

bool ArgumentationProblem::isDisjoint(const VertexSet& a, const VertexSet& b) const { return !intersects(a, b); }

std::string ArgumentationProblem::getArgumentString(Vertex argument) const {
  return argument >= 1 && argument <= argumentCount() ? vertexNames[argument] : std::string();
}

ArgumentationProblem::AttackSet ArgumentationProblem::getAttacksAsNbr() const {
  AttackSet set;
  for (const Attack& attack : attacks) set.emplace_hint(set.end(), attack);
  for (const Attack& attack : newAttacks) set.insert(attack);
  return set;
}
