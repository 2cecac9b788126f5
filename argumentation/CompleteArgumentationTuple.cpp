#include "CompleteArgumentationTuple.h"

std::strong_ordering CompleteArgumentationTuple::compareDefUnion(const CompleteArgumentationTuple& other) const {
  if (defProvedArguments.words() == 1 && defPendingArguments.words() == 1 && other.defProvedArguments.words() == 1 &&
      other.defPendingArguments.words() == 1) {
    return BagSet::compareWords(defProvedArguments.word(0) | defPendingArguments.word(0),
                                other.defProvedArguments.word(0) | other.defPendingArguments.word(0));
  }
  return getAllDefArguments() <=> other.getAllDefArguments();
}

bool CompleteArgumentationTuple::operator<(const kivra::Tuple& other) const {
  const auto& o = static_cast<const CompleteArgumentationTuple&>(other);
  if (auto c = inArguments <=> o.inArguments; c != 0) return c < 0;
  if (auto c = compareDefUnion(o); c != 0) return c < 0;
  if (auto c = defProvedArguments <=> o.defProvedArguments; c != 0) return c < 0;
  if (auto c = defPendingArguments <=> o.defPendingArguments; c != 0) return c < 0;
  if (auto c = outProvedArguments <=> o.outProvedArguments; c != 0) return c < 0;
  return outPendingArguments < o.outPendingArguments;
}

bool CompleteArgumentationTuple::operator==(const kivra::Tuple& other) const {
  const auto& o = static_cast<const CompleteArgumentationTuple&>(other);
  return inArguments == o.inArguments && defProvedArguments == o.defProvedArguments &&
         defPendingArguments == o.defPendingArguments && outProvedArguments == o.outProvedArguments &&
         outPendingArguments == o.outPendingArguments;
}

int CompleteArgumentationTuple::hash() const { return -1; }
