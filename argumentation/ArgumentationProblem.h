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
// Reading is built for large texts: names are found through the framework's
// hash index, attacks and declarations are collected in flat arrays while
// the parser delivers them and sorted once at the end, and the attack
// relation is kept as two flat adjacencies (attacker to attacked and
// attacked to attackers). The ordered sets some queries hand out are built
// from them on demand, a few at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
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
  // Every argument's neighbours in one array: those of argument a, ascending,
  // are targets[start[a] .. start[a + 1]). An argument at or past the last
  // entry of start has none.
  struct FlatAdjacency {
    std::vector<std::uint32_t> start;
    std::vector<kivra::Vertex> targets;
    // The neighbours of `argument`, empty when it has none.
    std::pair<const kivra::Vertex*, const kivra::Vertex*> of(kivra::Vertex argument) const {
      if (static_cast<std::size_t>(argument) + 1 >= start.size()) return {nullptr, nullptr};
      const kivra::Vertex* base = targets.data();
      return {base + start[argument], base + start[argument + 1]};
    }
  };

  // Nothing is read until parse(). The input stream is not owned and must
  // outlive the problem's parse. With `quiet` no warning is printed.
  ArgumentationProblem(std::istream* input, bool quiet);
  ~ArgumentationProblem() override;

  // Reads the framework text; a syntax error keeps the statements before it.
  void parse() override;
  // Prints the warnings on arguments that are declared but in no attack, or
  // in an attack but not declared (unless quiet), and builds the adjacency
  // the queries below need.
  void preprocess() override;
  // A new hypergraph, owned by the caller.
  kivra::Hypergraph* buildHypergraphRepresentation() override;

  // Statement receivers. The ids they give are final and known to the
  // framework's name-to-id table at once; the attacks and declarations take
  // effect once parse() or preprocess() has run.
  void addArgument(std::string name) override;
  void addAttack(std::string attacker, std::string attacked) override;
  // Starts fetching the name index entry of a name an attack will carry soon.
  void expectName(std::string_view name) override { prefetchVertexName(name); }

  // Queries; valid after preprocess().
  // The arguments `argument` attacks, or null when it attacks none. The set
  // is built on the first request for `argument` and kept: it stays valid,
  // and unchanged, while the problem lives.
  kivra::VertexSet* getAttacksFromArg(kivra::Vertex argument);
  // The arguments `argument` attacks, ascending, as a range of the flat
  // adjacency (empty when it attacks none); valid while the problem lives.
  std::pair<const kivra::Vertex*, const kivra::Vertex*> attackedRange(kivra::Vertex argument) const;
  // Whether some member of `set` attacks `argument`.
  bool argumentIsAttackedBySet(const kivra::VertexSet& set, kivra::Vertex argument) const;
  // Whether `argument` attacks some member of `set` ({a} asks whether a attacks itself).
  bool argumentAttacksSet(const kivra::VertexSet& set, kivra::Vertex argument) const;

  // Attacker -> attacked arguments, and attacked -> attackers, of a pair set.
  static Adjacency calcAttacksAdjacency(const AttackSet* pairs);
  static Adjacency calcAttackedAdjacency(const AttackSet* pairs);
  // The same of an attack list ascending by attacker, then attacked, held
  // flat; its offsets reach the last argument that has a neighbour.
  static FlatAdjacency calcAttacksAdjacency(const std::vector<Attack>& pairs);
  static FlatAdjacency calcAttackedAdjacency(const std::vector<Attack>& pairs);

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
  // Moves the collected attacks into the sorted attack list.
  void absorbAttacks();
  // Moves the collected declarations into the declared flags and names.
  void absorbDeclarations();
  // The number of arguments in attacks: they hold the ids 1 to this number,
  // since only attacks give names an id.
  kivra::Vertex argumentCount() const { return static_cast<kivra::Vertex>(vertexNames.size() - 1); }

  // Every distinct attack, ascending by attacker, then attacked.
  std::vector<Attack> attacks;
  // Built by preprocess from attacks: the arguments each argument attacks,
  // and the attackers of each argument.
  FlatAdjacency attacksAdjacency;
  FlatAdjacency attackedAdjacency;
  // The sets of attacked arguments handed out by getAttacksFromArg, by
  // attacker, made on first request: a set for every argument would hold a
  // heap node per attack for the whole run, where the semantics read the
  // flat adjacency instead.
  Adjacency attackedSets;

  // The arguments and their names take no containers of their own: the
  // argument ids (argumentIds) are 1 to argumentCount(), and the name of each
  // (argumentNames) is the framework's vertexNames entry at its id, since only
  // attacks store names.
  //
  // The declared names (declaredArguments): a flag per argument id for the
  // names that have one, and the names without an id (ascending, no
  // repeats). Their total is the number of distinct declared names.
  std::vector<char> declaredIds;
  std::vector<std::string> declaredWithoutId;
  std::size_t declaredCount = 0;

  std::unique_ptr<ArgumentationFlexLexer> lexer;
  std::unique_ptr<ArgumentationParser> parser;
  bool quiet;
  kivra::Timer parseTimer;

  // Collected, not yet absorbed: declarations of names that had no id when
  // they came, and attacks.
  std::vector<std::string> newDeclarations;
  std::vector<Attack> newAttacks;
};
