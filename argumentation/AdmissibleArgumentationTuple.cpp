#include "AdmissibleArgumentationTuple.h"

bool AdmissibleArgumentationTuple::operator<(const kivra::Tuple& other) const {
  return precedes(static_cast<const AdmissibleArgumentationTuple&>(other));
}

bool AdmissibleArgumentationTuple::operator==(const kivra::Tuple& other) const {
  const auto& o = static_cast<const AdmissibleArgumentationTuple&>(other);
  return inArguments == o.inArguments && attackingArguments == o.attackingArguments &&
         defeatedArguments == o.defeatedArguments && outArguments == o.outArguments;
}

int AdmissibleArgumentationTuple::hash() const { return -1; }
