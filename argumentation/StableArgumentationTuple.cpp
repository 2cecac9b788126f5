#include "StableArgumentationTuple.h"

#include <compare>

bool StableArgumentationTuple::operator<(const kivra::Tuple& other) const {
  return precedes(static_cast<const StableArgumentationTuple&>(other));
}

bool StableArgumentationTuple::operator==(const kivra::Tuple& other) const {
  const auto& o = static_cast<const StableArgumentationTuple&>(other);
  return inArguments == o.inArguments && attackedArguments == o.attackedArguments &&
         unattackedArguments == o.unattackedArguments;
}

int StableArgumentationTuple::hash() const { return -1; }
