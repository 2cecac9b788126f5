#include "ArgumentationProblem.h"

#include <iostream>

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
      quiet(quiet) {}

ArgumentationProblem::~ArgumentationProblem() = default;

void ArgumentationProblem::parse() {
  parseTimer.start();
  parser->yyparse();
}

void ArgumentationProblem::addArgument(std::string name) { declaredArguments.insert(std::move(name)); }

void ArgumentationProblem::addAttack(std::string attacker, std::string attacked) {
  Vertex ids[2];
  std::string* names[2] = {&attacker, &attacked};
  for (int i = 0; i < 2; ++i) {
    Vertex id = getVertexId(*names[i]);
    if (id == 0) {
      id = storeVertexName(*names[i]);
      argumentIds.insert(argumentIds.end(), id);  // new ids only grow
      argumentNames.emplace_hint(argumentNames.end(), id, *names[i]);
    }
    ids[i] = id;
  }
  attacks.emplace(ids[0], ids[1]);
}

void ArgumentationProblem::preprocess() {
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
  // Attackers of one argument arrive in ascending order.
  Adjacency adjacency;
  for (const Attack& attack : *pairs) {
    VertexSet& attackers = adjacency[attack.second];
    attackers.insert(attackers.end(), attack.first);
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
