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
};

inline RandomInput randomInput(std::mt19937& rng, int maxArgs) {
  std::uniform_int_distribution<int> countDist(0, maxArgs);
  int n = countDist(rng);
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back("a" + std::to_string(i));
  std::uniform_real_distribution<double> unit(0, 1);
  double density = 0.05 + 0.35 * unit(rng);
  std::vector<std::string> statements;
  std::set<std::pair<int, int>> attacks;
  for (int a = 0; a < n; ++a)
    for (int b = 0; b < n; ++b) {
      double p = a == b ? density / 3 : density;
      if (unit(rng) < p) {
        attacks.insert({a, b});
        int copies = unit(rng) < 0.1 ? 2 : 1;
        for (int c = 0; c < copies; ++c)
          statements.push_back("att(" + names[a] + (unit(rng) < 0.2 ? ", " : ",") + names[b] + ").");
      }
    }
  std::set<int> inAttack;
  for (auto [a, b] : attacks) inAttack.insert(a), inAttack.insert(b);
  RandomInput in;
  for (int a = 0; a < n; ++a) {
    bool declared = unit(rng) < 0.85;
    if (declared) statements.push_back("arg(" + names[a] + ").");
    if (declared && !inAttack.count(a)) in.declaredOnly.push_back(names[a]);
  }
  std::shuffle(statements.begin(), statements.end(), rng);
  std::ostringstream text;
  text << "% random framework\n";
  for (const auto& s : statements) text << s << (unit(rng) < 0.1 ? " % note\n" : "\n");
  in.text = text.str();
  std::map<int, int> index;
  for (int a : inAttack) {
    index[a] = static_cast<int>(in.af.args.size());
    in.af.args.push_back(names[a]);
  }
  for (auto [a, b] : attacks) in.af.attacks.insert({index[a], index[b]});
  return in;
}

// Parses "{{},{a,b}}" into sets of names.
inline bool parseExtensions(const std::string& line, Extensions& out) {
  out.clear();
  if (line.size() < 2 || line.front() != '{' || line.back() != '}') return false;
  std::string body = line.substr(1, line.size() - 2);
  size_t pos = 0;
  while (pos < body.size()) {
    if (body[pos] == ',') ++pos;
    if (pos >= body.size() || body[pos] != '{') return false;
    size_t close = body.find('}', pos);
    if (close == std::string::npos) return false;
    std::string inner = body.substr(pos + 1, close - pos - 1);
    NameSet names;
    std::stringstream parts(inner);
    std::string name;
    while (std::getline(parts, name, ','))
      if (!name.empty()) names.insert(name);
    out.insert(names);
    pos = close + 1;
  }
  return true;
}

}  // namespace zelkovant_test
