// An abstract argumentation framework as a problem of the dynamic-programming
// framework: named arguments and the attacks between them, read from the
// framework text, turned into a hypergraph (one vertex per argument that
// takes part in an attack, one two-vertex edge per attack) and asked about
// attacks by the semantics algorithms.
//
// Ids: an argument gets a vertex id when an attack first names it, attacker
// before attacked, counting from 1 (0 is the framework's auxiliary vertex).
// The parser delivers the statements in reverse file order, so the attacker
// of the last attack of the file gets id 1. An argument that is only
// declared, never attacked nor attacking, gets no id and is not part of the
// framework. A text without attacks gives a hypergraph without vertices.
//
// Reading is built for large texts: names are found through a hash table,
// and declarations, attacks and the name-to-id entries are collected in flat
// arrays while the parser delivers them, then moved into the ordered
// containers in one sorted pass at the end of parse(), or at preprocess()
// for statements added directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ArgumentationLexer.h"
#include "ArgumentationParser.h"
#include "kivra/Global.h"
#include "kivra/Hypergraph.h"
#include "kivra/Problem.h"
#include "kivra/support.h"

class ArgumentationProblem : public kivra::Problem, public ArgumentationStatementSink {
 public:
  using Attack = std::pair<kivra::Vertex, kivra::Vertex>;
  using AttackSet = std::set<Attack>;
  using Adjacency = std::map<kivra::Vertex, kivra::VertexSet>;

  // Nothing is read until parse(). The input stream is not owned and must
  // outlive the problem's parse. With `quiet` no warning is printed.
  ArgumentationProblem(std::istream* input, bool quiet);
  ~ArgumentationProblem() override;

  // Reads the framework text; a syntax error keeps the statements before it.
  void parse() override;
  // Prints the warnings on arguments that are declared but in no attack, or
  // in an attack but not declared (unless quiet), and builds the adjacency
  // maps the queries below need.
  void preprocess() override;
  // A new hypergraph, owned by the caller.
  kivra::Hypergraph* buildHypergraphRepresentation() override;

  // Statement receivers. Their effect shows in the framework's name-to-id
  // table and in the attack and declaration sets once parse() or
  // preprocess() has run; the ids they give are final at once.
  void addArgument(std::string name) override;
  void addAttack(std::string attacker, std::string attacked) override;

  // Queries; valid after preprocess().
  // The arguments `argument` attacks, or null when it attacks none.
  kivra::VertexSet* getAttacksFromArg(kivra::Vertex argument);
  // Whether some member of `set` attacks `argument`.
  bool argumentIsAttackedBySet(const kivra::VertexSet& set, kivra::Vertex argument) const;
  // Whether `argument` attacks some member of `set` ({a} asks whether a attacks itself).
  bool argumentAttacksSet(const kivra::VertexSet& set, kivra::Vertex argument) const;

  // Attacker -> attacked arguments, and attacked -> attackers, of a pair set.
  static Adjacency calcAttacksAdjacency(const AttackSet* pairs);
  static Adjacency calcAttackedAdjacency(const AttackSet* pairs);

  // True when either set is empty or they share no element.
  bool isDisjoint(const kivra::VertexSet& a, const kivra::VertexSet& b) const;
  // The name of an argument id; "" for an id that names no argument.
  std::string getArgumentString(kivra::Vertex argument) const;
  // A copy of the attack relation as id pairs.
  AttackSet getAttacksAsNbr() const;

 private:
  void warnAboutArguments();
  // The id of an argument named in an attack; a new id for a new name.
  kivra::Vertex attackArgumentId(std::string& name);
  void growNameSlots();
  // Moves the collected statements into the ordered containers.
  void absorbStatements();

  AttackSet attacks;                       // (attacker, attacked); duplicates collapse
  Adjacency attacksAdjacency;              // built by preprocess
  Adjacency attackedAdjacency;             // built by preprocess
  kivra::VertexSet argumentIds;            // every argument that takes part in an attack
  std::set<std::string> declaredArguments; // names of arg(...) statements
  std::map<kivra::Vertex, std::string> argumentNames;
  std::unique_ptr<ArgumentationFlexLexer> lexer;
  std::unique_ptr<ArgumentationParser> parser;
  bool quiet;
  kivra::Timer parseTimer;

  // Hash table of the names addAttack gave an id: open addressing with
  // linear probing, (upper hash bits, id) per slot, id 0 for a free slot;
  // the names themselves are read from the framework's vertex names. At most
  // half full; the slot count is a power of two.
  std::vector<std::pair<std::uint32_t, kivra::Vertex>> nameSlots;
  std::size_t usedNameSlots = 0;
  // Of those names, how many have entered the framework's name-to-id table.
  std::size_t absorbedNames = 0;

  // Collected, not yet absorbed: ids of new names, declarations and attacks.
  std::vector<kivra::Vertex> newNames;
  std::vector<std::string> newDeclarations;
  std::vector<Attack> newAttacks;
};
