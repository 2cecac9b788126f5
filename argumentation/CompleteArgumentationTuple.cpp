#include "CompleteArgumentationTuple.h"

bool CompleteArgumentationTuple::operator<(const kivra::Tuple& other) const {
  return precedes(static_cast<const CompleteArgumentationTuple&>(other));
}

bool CompleteArgumentationTuple::operator==(const kivra::Tuple& other) const {
  const auto& o = static_cast<const CompleteArgumentationTuple&>(other);
  return inArguments == o.inArguments && defProvedArguments == o.defProvedArguments &&
         defPendingArguments == o.defPendingArguments && outProvedArguments == o.outProvedArguments &&
         outPendingArguments == o.outPendingArguments;
}

int CompleteArgumentationTuple::hash() const { return -1; }
