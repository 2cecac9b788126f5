#include "ArgumentationProblem.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <iostream>
#include <vector>

using kivra::Vertex;
using kivra::VertexSet;

namespace {

// Whether the two sets share an element: each member of the smaller set is
// looked up in the larger, so a bag-sized set against the adjacency of an
// argument with thousands of attackers costs a handful of look-ups.
bool intersects(const VertexSet& a, const VertexSet& b) {
  if (a.empty() || b.empty()) return false;
  const VertexSet& smaller = a.size() <= b.size() ? a : b;
  const VertexSet& larger = a.size() <= b.size() ? b : a;
  for (Vertex v : smaller) {
    if (larger.find(v) != larger.end()) return true;
  }
  return false;
}

bool adjacentToSet(const ArgumentationProblem::Adjacency& adjacency, const VertexSet& set, Vertex argument) {
  if (set.empty()) return false;
  auto entry = adjacency.find(argument);
  if (entry == adjacency.end()) return false;
  return intersects(set, entry->second);
}

}  // namespace

ArgumentationProblem::ArgumentationProblem(std::istream* input, bool quiet)
    : kivra::Problem(false),
      lexer(std::make_unique<ArgumentationFlexLexer>(nullptr, nullptr)),
      parser(std::make_unique<ArgumentationParser>(lexer.get(), input, this)),
      quiet(quiet),
      nameSlots(1024) {}

ArgumentationProblem::~ArgumentationProblem() = default;

void ArgumentationProblem::parse() {
  parseTimer.start();
  parser->yyparse();
  absorbStatements();
}

void ArgumentationProblem::addArgument(std::string name) { newDeclarations.push_back(std::move(name)); }

void ArgumentationProblem::addAttack(std::string attacker, std::string attacked) {
  Vertex from = attackArgumentId(attacker);
  Vertex to = attackArgumentId(attacked);
  newAttacks.emplace_back(from, to);
}

Vertex ArgumentationProblem::attackArgumentId(std::string& name) {
  std::size_t hash = std::hash<std::string_view>()(name);
  std::uint32_t tag = static_cast<std::uint32_t>(hash >> 32);
  std::size_t mask = nameSlots.size() - 1;
  std::size_t slot = hash & mask;
  for (; nameSlots[slot].second != 0; slot = (slot + 1) & mask) {
    if (nameSlots[slot].first == tag && vertexNames[nameSlots[slot].second] == name) return nameSlots[slot].second;
  }
  // Names stored in the framework's table by others keep their id and
  // change nothing here.
  if (reverseVertexNames.size() > absorbedNames) {
    Vertex stored = getVertexId(name);
    if (stored != 0) return stored;
  }
  // The id the framework's table gives its next name.
  Vertex id = static_cast<Vertex>(vertexNames.size());
  vertexNames.push_back(name);
  argumentIds.insert(argumentIds.end(), id);
  argumentNames.emplace_hint(argumentNames.end(), id, std::move(name));
  newNames.push_back(id);
  nameSlots[slot] = {tag, id};
  if (++usedNameSlots * 2 > nameSlots.size()) growNameSlots();
  return id;
}

void ArgumentationProblem::growNameSlots() {
  std::vector<std::pair<std::uint32_t, Vertex>> old(nameSlots.size() * 2);
  old.swap(nameSlots);
  std::size_t mask = nameSlots.size() - 1;
  for (const auto& [tag, id] : old) {
    if (id == 0) continue;
    std::size_t slot = std::hash<std::string_view>()(vertexNames[id]) & mask;
    while (nameSlots[slot].second != 0) slot = (slot + 1) & mask;
    nameSlots[slot] = {tag, id};
  }
}

void ArgumentationProblem::absorbStatements() {
  if (!newNames.empty()) {
    // In name order every entry goes to the end of the ordered table.
    std::sort(newNames.begin(), newNames.end(),
              [this](Vertex a, Vertex b) { return vertexNames[a] < vertexNames[b]; });
    for (Vertex id : newNames) reverseVertexNames.emplace_hint(reverseVertexNames.end(), vertexNames[id], id);
    absorbedNames += newNames.size();
    std::vector<Vertex>().swap(newNames);
  }
  if (!newDeclarations.empty()) {
    std::sort(newDeclarations.begin(), newDeclarations.end());
    for (std::string& name : newDeclarations) declaredArguments.emplace_hint(declaredArguments.end(), std::move(name));
    std::vector<std::string>().swap(newDeclarations);
  }
  if (!newAttacks.empty()) {
    std::sort(newAttacks.begin(), newAttacks.end());
    for (const Attack& attack : newAttacks) attacks.emplace_hint(attacks.end(), attack);
    std::vector<Attack>().swap(newAttacks);
  }
}

void ArgumentationProblem::preprocess() {
  absorbStatements();
  if (!quiet) warnAboutArguments();
  attacksAdjacency = calcAttacksAdjacency(&attacks);
  attackedAdjacency = calcAttackedAdjacency(&attacks);
}

void ArgumentationProblem::warnAboutArguments() {
  // Only the sizes are compared: a framework with as many declared names as
  // attacking or attacked arguments gets no warning even when they differ.
  if (declaredArguments.size() > argumentIds.size()) {
    std::cout << std::endl
              << "The following arguments do not appear in any attack relation (they will be ignored):" << std::endl;
    for (const std::string& name : declaredArguments) {
      if (getVertexId(name) == 0) std::cout << name << "; ";
    }
    std::cout << std::endl;
  } else if (declaredArguments.size() < argumentIds.size()) {
    std::cout << std::endl << "The following arguments have not been explicitly defined as argument:" << std::endl;
    for (Vertex id : argumentIds) {
      const std::string& name = argumentNames.at(id);
      if (declaredArguments.find(name) == declaredArguments.end()) std::cout << name << "; ";
    }
    std::cout << std::endl;
  }
}

kivra::Hypergraph* ArgumentationProblem::buildHypergraphRepresentation() {
  return createGraphFromSets(argumentIds, attacks);
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

VertexSet* ArgumentationProblem::getAttacksFromArg(Vertex argument) {
  auto entry = attacksAdjacency.find(argument);
  return entry == attacksAdjacency.end() ? nullptr : &entry->second;
}

bool ArgumentationProblem::argumentIsAttackedBySet(const VertexSet& set, Vertex argument) const {
  return adjacentToSet(attackedAdjacency, set, argument);
}

bool ArgumentationProblem::argumentAttacksSet(const VertexSet& set, Vertex argument) const {
  return adjacentToSet(attacksAdjacency, set, argument);
}

bool ArgumentationProblem::isDisjoint(const VertexSet& a, const VertexSet& b) const { return !intersects(a, b); }

std::string ArgumentationProblem::getArgumentString(Vertex argument) const {
  auto entry = argumentNames.find(argument);
  return entry == argumentNames.end() ? std::string() : entry->second;
}

ArgumentationProblem::AttackSet ArgumentationProblem::getAttacksAsNbr() const { return attacks; }
