#include "PreferredArgumentationTuple.h"

#include <utility>

PreferredArgumentationTuple::PreferredArgumentationTuple(BagColoring coloring, CertificateSet certificates)
    : coloring(std::move(coloring)), certificates(std::move(certificates)) {}

bool PreferredArgumentationTuple::operator<(const kivra::Tuple& other) const {
  const auto& o = static_cast<const PreferredArgumentationTuple&>(other);
  if (coloring < o.coloring) return true;
  if (coloring != o.coloring) return false;
  return certificates < o.certificates;
}

bool PreferredArgumentationTuple::operator==(const kivra::Tuple& other) const {
  const auto& o = static_cast<const PreferredArgumentationTuple&>(other);
  // The certificate sets are usually the larger part; their sizes decide fastest.
  return certificates.size() == o.certificates.size() && coloring == o.coloring &&
         certificates == o.certificates;
}

int PreferredArgumentationTuple::hash() const { return -1; }
