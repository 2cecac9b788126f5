// An independent brute-force reference for the four semantics: every subset of
// the framework's arguments is tested against the definitions. Shares no code
// with the solver.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace zelkovant_test {

using NameSet = std::set<std::string>;
using Extensions = std::set<NameSet>;

// A framework as the solver sees it: only the arguments that occur in an attack.
struct Framework {
  std::vector<std::string> args;
  std::set<std::pair<int, int>> attacks;  // indices into args
};

enum class Sem { Admissible, Complete, Stable, Preferred };

inline const char* semName(Sem s) {
  switch (s) {
    case Sem::Admissible: return "admissible";
    case Sem::Complete: return "complete";
    case Sem::Stable: return "stable";
    case Sem::Preferred: return "preferred";
  }
  return "";
}

inline Extensions bruteForce(const Framework& af, Sem sem) {
  const int n = static_cast<int>(af.args.size());
  std::vector<std::uint32_t> attackersOf(n, 0), attackedBy(n, 0);
  for (auto [a, b] : af.attacks) {
    attackersOf[b] |= 1u << a;
    attackedBy[a] |= 1u << b;
  }
  auto attackedSet = [&](std::uint32_t s) {
    std::uint32_t out = 0;
    for (int a = 0; a < n; ++a)
      if (s >> a & 1) out |= attackedBy[a];
    return out;
  };
  auto conflictFree = [&](std::uint32_t s) { return (attackedSet(s) & s) == 0; };
  auto defended = [&](std::uint32_t s) {  // arguments all of whose attackers s attacks
    std::uint32_t hit = attackedSet(s), out = 0;
    for (int a = 0; a < n; ++a)
      if ((attackersOf[a] & ~hit) == 0) out |= 1u << a;
    return out;
  };
  std::vector<std::uint32_t> chosen;
  const std::uint32_t all = n == 32 ? ~0u : (1u << n) - 1;
  for (std::uint64_t m = 0; m <= all; ++m) {
    auto s = static_cast<std::uint32_t>(m);
    if (!conflictFree(s)) continue;
    bool admissible = (s & ~defended(s)) == 0;
    bool ok = false;
    switch (sem) {
      case Sem::Admissible:
      case Sem::Preferred: ok = admissible; break;
      case Sem::Complete: ok = admissible && defended(s) == s; break;
      case Sem::Stable: ok = (s | attackedSet(s)) == all; break;
    }
    if (ok) chosen.push_back(s);
  }
  if (sem == Sem::Preferred) {
    std::vector<std::uint32_t> maximal;
    for (auto s : chosen) {
      bool isMax = true;
      for (auto t : chosen)
        if (t != s && (s & t) == s) isMax = false;
      if (isMax) maximal.push_back(s);
    }
    chosen = maximal;
  }
  Extensions result;
  for (auto s : chosen) {
    NameSet names;
    for (int a = 0; a < n; ++a)
      if (s >> a & 1) names.insert(af.args[a]);
    result.insert(names);
  }
  return result;
}

// A random input text together with the framework it denotes: self-attacks,
// duplicate attacks, declared arguments that attack nothing, attacks on
// undeclared arguments, comments and blanks after the comma of att.
struct RandomInput {
  std::string text;
  Framework af;
  std::vector<std::string> declaredOnly;  // declared, but in no attack
  // The id the program gives each argument: the statements are applied last
  // first, and an attack names its attacker, then the attacked argument; a
  // name gets the next id when it is first named.
  std::map<std::string, unsigned> ids;
};

inline RandomInput randomInput(std::mt19937& rng, int maxArgs) {
  std::uniform_int_distribution<int> countDist(0, maxArgs);
  int n = countDist(rng);
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back("a" + std::to_string(i));
  std::uniform_real_distribution<double> unit(0, 1);
  double density = 0.05 + 0.35 * unit(rng);
  std::vector<std::pair<std::string, std::pair<int, int>>> statements;  // text, attack (or -1, -1)
  std::set<std::pair<int, int>> attacks;
  for (int a = 0; a < n; ++a)
    for (int b = 0; b < n; ++b) {
      double p = a == b ? density / 3 : density;
      if (unit(rng) < p) {
        attacks.insert({a, b});
        int copies = unit(rng) < 0.1 ? 2 : 1;
        for (int c = 0; c < copies; ++c)
          statements.push_back({"att(" + names[a] + (unit(rng) < 0.2 ? ", " : ",") + names[b] + ").", {a, b}});
      }
    }
  std::set<int> inAttack;
  for (auto [a, b] : attacks) inAttack.insert(a), inAttack.insert(b);
  RandomInput in;
  for (int a = 0; a < n; ++a) {
    bool declared = unit(rng) < 0.85;
    if (declared) statements.push_back({"arg(" + names[a] + ").", {-1, -1}});
    if (declared && !inAttack.count(a)) in.declaredOnly.push_back(names[a]);
  }
  std::shuffle(statements.begin(), statements.end(), rng);
  std::ostringstream text;
  text << "% random framework\n";
  for (const auto& s : statements) text << s.first << (unit(rng) < 0.1 ? " % note\n" : "\n");
  in.text = text.str();
  for (auto s = statements.rbegin(); s != statements.rend(); ++s) {
    if (s->second.first < 0) continue;
    for (int named : {s->second.first, s->second.second})
      in.ids.emplace(names[named], static_cast<unsigned>(in.ids.size() + 1));
  }
  std::map<int, int> index;
  for (int a : inAttack) {
    index[a] = static_cast<int>(in.af.args.size());
    in.af.args.push_back(names[a]);
  }
  for (auto [a, b] : attacks) in.af.attacks.insert({index[a], index[b]});
  return in;
}

// The enumeration of `extensions` exactly as the program prints it: the line
// "Solutions: N", then the sets on one line, the names of each in ascending
// id order, the sets in ascending lexicographic order of their id sequences
// (so the empty set comes first, and {1} < {1,2} < {2}). `idOf` gives the id
// of a name.
template <class IdOf>
std::string printedEnumeration(const Extensions& extensions, IdOf idOf) {
  std::vector<std::vector<std::pair<unsigned, std::string>>> sets;
  for (const NameSet& extension : extensions) {
    std::vector<std::pair<unsigned, std::string>> set;
    for (const std::string& name : extension) set.push_back({static_cast<unsigned>(idOf(name)), name});
    std::sort(set.begin(), set.end());
    sets.push_back(set);
  }
  // Every name has an id of its own: comparing (id, name) pairs compares ids.
  std::sort(sets.begin(), sets.end());
  std::string text = "Solutions: " + std::to_string(sets.size()) + "\n{";
  for (std::size_t i = 0; i < sets.size(); ++i) {
    text += i > 0 ? ",{" : "{";
    for (std::size_t j = 0; j < sets[i].size(); ++j) text += (j > 0 ? "," : "") + sets[i][j].second;
    text += "}";
  }
  return text + "}\n";
}

}  // namespace zelkovant_test
