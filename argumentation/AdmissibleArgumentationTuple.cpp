#include "AdmissibleArgumentationTuple.h"

bool AdmissibleArgumentationTuple::operator<(const kivra::Tuple& other) const {
  const auto& o = static_cast<const AdmissibleArgumentationTuple&>(other);
  if (auto c = inArguments <=> o.inArguments; c != 0) return c < 0;
  if (auto c = attackingArguments <=> o.attackingArguments; c != 0) return c < 0;
  if (auto c = defeatedArguments <=> o.defeatedArguments; c != 0) return c < 0;
  return outArguments < o.outArguments;
}

bool AdmissibleArgumentationTuple::operator==(const kivra::Tuple& other) const {
  const auto& o = static_cast<const AdmissibleArgumentationTuple&>(other);
  return inArguments == o.inArguments && attackingArguments == o.attackingArguments &&
         defeatedArguments == o.defeatedArguments && outArguments == o.outArguments;
}

int AdmissibleArgumentationTuple::hash() const { return -1; }
