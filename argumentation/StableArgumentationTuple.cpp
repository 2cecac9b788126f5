#include "StableArgumentationTuple.h"

#include <compare>

bool StableArgumentationTuple::operator<(const kivra::Tuple& other) const {
  const auto& o = static_cast<const StableArgumentationTuple&>(other);
  if (auto c = inArguments <=> o.inArguments; c != 0) return c < 0;
  if (auto c = attackedArguments <=> o.attackedArguments; c != 0) return c < 0;
  return unattackedArguments < o.unattackedArguments;
}

bool StableArgumentationTuple::operator==(const kivra::Tuple& other) const {
  const auto& o = static_cast<const StableArgumentationTuple&>(other);
  return inArguments == o.inArguments && attackedArguments == o.attackedArguments &&
         unattackedArguments == o.unattackedArguments;
}

int StableArgumentationTuple::hash() const { return -1; }
