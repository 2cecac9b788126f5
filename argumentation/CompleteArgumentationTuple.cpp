#include "CompleteArgumentationTuple.h"

namespace {

// Walks the ascending union of two ascending sets one element at a time.
class UnionCursor {
 public:
  UnionCursor(const kivra::VertexSet& a, const kivra::VertexSet& b)
      : ai(a.begin()), ae(a.end()), bi(b.begin()), be(b.end()) {}

  bool atEnd() const { return ai == ae && bi == be; }

  kivra::Vertex current() const {
    if (ai == ae) return *bi;
    if (bi == be) return *ai;
    return *ai < *bi ? *ai : *bi;
  }

  void advance() {
    kivra::Vertex v = current();
    if (ai != ae && *ai == v) ++ai;
    if (bi != be && *bi == v) ++bi;
  }

 private:
  kivra::VertexSet::const_iterator ai, ae, bi, be;
};

}  // namespace

kivra::VertexSet CompleteArgumentationTuple::getAllDefArguments() const {
  kivra::VertexSet all(defProvedArguments);
  all.insert(defPendingArguments.begin(), defPendingArguments.end());
  return all;
}

kivra::VertexSet CompleteArgumentationTuple::getAllOutArguments() const {
  kivra::VertexSet all(outProvedArguments);
  all.insert(outPendingArguments.begin(), outPendingArguments.end());
  return all;
}

std::strong_ordering CompleteArgumentationTuple::compareDefUnion(
    const CompleteArgumentationTuple& other) const {
  UnionCursor mine(defProvedArguments, defPendingArguments);
  UnionCursor theirs(other.defProvedArguments, other.defPendingArguments);
  while (!mine.atEnd() && !theirs.atEnd()) {
    if (auto c = mine.current() <=> theirs.current(); c != 0) return c;
    mine.advance();
    theirs.advance();
  }
  // A proper prefix is the smaller set.
  if (mine.atEnd() && theirs.atEnd()) return std::strong_ordering::equal;
  return mine.atEnd() ? std::strong_ordering::less : std::strong_ordering::greater;
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
         defPendingArguments == o.defPendingArguments &&
         outProvedArguments == o.outProvedArguments &&
         outPendingArguments == o.outPendingArguments;
}

int CompleteArgumentationTuple::hash() const { return -1; }
