// One row of a preferred-semantics table: a colouring of the bag together with
// the colourings of the strictly larger candidate sets (the certificates).
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "kivra/AbstractAlgorithm.h"

// The status of one bag argument v towards a candidate set E. The values
// order as integers: Attacker < Defeated < In < Out.
enum class Coloring : std::int32_t {
  Attacker = 0,  // v is not in E, attacks a member of E, and no member of E attacks v
  Defeated = 1,  // v is not in E and some member of E attacks v
  In = 2,        // v is in E
  Out = 3        // v is not in E, and neither attacks nor is attacked by a member of E
};

// One Coloring per bag argument, positional over the bag in ascending id
// order: position i belongs to the i-th smallest id.
using BagColoring = std::vector<Coloring>;
// Colourings of one bag, ordered lexicographically.
using CertificateSet = std::set<BagColoring>;

// A row stands for conflict-free sets E of the subtree below a node that share
// the colouring of the node's bag and the set of bag colourings of all their
// strictly larger candidate supersets. Every certificate of a row is itself the
// colouring of some row of the same table; the root selection relies on it.
class PreferredArgumentationTuple : public kivra::Tuple {
 public:
  PreferredArgumentationTuple() = default;
  PreferredArgumentationTuple(BagColoring coloring, CertificateSet certificates);
  ~PreferredArgumentationTuple() override = default;

  // Lexicographic over (coloring, certificates); two rows with the same
  // colouring and different certificate sets are different rows.
  // other must be a PreferredArgumentationTuple.
  bool operator<(const kivra::Tuple& other) const override;
  // Same colouring and same certificate set. other must be a
  // PreferredArgumentationTuple.
  bool operator==(const kivra::Tuple& other) const override;
  // Unused; always -1.
  int hash() const override;

  BagColoring coloring;
  CertificateSet certificates;
};
