// The bag of one decomposition node as positions: its arguments, the attacks
// among them as position masks (BagAttacks), and the moves of position sets
// into a parent's bag with fewer arguments (BagProjection) or more
// (BagEmbedding).
#pragma once

#include <cstddef>
#include <vector>

#include "BagSet.h"
#include "kivra/Global.h"

class ArgumentationProblem;

// The arguments of one bag, ascending, and the attacks among them as
// position masks, asked of the framework once per node so that the rules
// answer every attack question of a row with a few word operations.
class BagAttacks {
 public:
  // `bag` ascending (a decomposition node's vertex list is).
  BagAttacks(const std::vector<kivra::Vertex>& bag, ArgumentationProblem* problem) { assign(bag, problem); }
  // The empty bag; assign() fills it.
  BagAttacks() = default;
  // Makes this the bag `bag`, reusing the storage of the previous one: the
  // rules keep one per algorithm, so that a node costs no allocation.
  const BagAttacks& assign(const std::vector<kivra::Vertex>& bag, ArgumentationProblem* problem);
  BagAttacks(const kivra::VertexSet& bag, ArgumentationProblem* problem)
      : BagAttacks(std::vector<kivra::Vertex>(bag.begin(), bag.end()), problem) {}

  std::size_t size() const { return members.size(); }
  const std::vector<kivra::Vertex>& arguments() const { return members; }
  kivra::Vertex vertex(std::size_t position) const { return members[position]; }
  // The position of a member of the bag.
  std::size_t position(kivra::Vertex argument) const;
  // Every position of the bag, and the empty set of the bag's width.
  const BagSet& all() const { return everything; }
  BagSet none() const { return BagSet(members.size()); }

  // Positions the argument at `position` attacks, and positions attacking it.
  const BagSet& attacksOf(std::size_t position) const { return targets[position]; }
  const BagSet& attackersOf(std::size_t position) const { return sources[position]; }
  bool attacks(std::size_t from, std::size_t to) const { return targets[from].test(to); }
  // Positions attacked by some member of s, and positions attacking some member of s.
  BagSet attackedBy(const BagSet& s) const;
  BagSet attackersOf(const BagSet& s) const;

  // The arguments at the positions of s, and the positions of the bag
  // members among the arguments of s.
  kivra::VertexSet vertices(const BagSet& s) const;
  BagSet positions(const kivra::VertexSet& s) const;
  BagSet positions(const std::vector<kivra::Vertex>& s) const;

  // Every subset of `candidates` free of attacks within itself (so without
  // self-attackers), in the order of ArgumentationUtil::conflictFreeSets.
  std::vector<BagSet> conflictFreeSubsets(const BagSet& candidates) const;

 private:
  std::vector<kivra::Vertex> members;
  std::vector<BagSet> targets;
  std::vector<BagSet> sources;
  BagSet everything;
};

// Moves position sets from a child's bag into a bag that lacks some of the
// child's arguments.
class BagProjection {
 public:
  // `kept`: the smaller bag, ascending; `leaving`: the child's arguments not in it.
  // `leaving` ascending.
  BagProjection(const std::vector<kivra::Vertex>& kept, const std::vector<kivra::Vertex>& leaving) {
    assign(kept, leaving);
  }
  BagProjection() = default;
  // Makes this the projection between the given bags, reusing its storage.
  const BagProjection& assign(const std::vector<kivra::Vertex>& kept, const std::vector<kivra::Vertex>& leaving);
  BagProjection(const std::vector<kivra::Vertex>& kept, const kivra::VertexSet& leaving)
      : BagProjection(kept, std::vector<kivra::Vertex>(leaving.begin(), leaving.end())) {}
  // s without the leaving positions, in the smaller bag's positions.
  BagSet apply(const BagSet& s) const;

  BagSet removed;  // the leaving arguments' positions in the child's bag
 private:
  std::vector<std::size_t> descending;  // the same positions, largest first
  std::size_t childWidth = 0;
};

// Moves position sets from a bag into a bag with additional arguments.
class BagEmbedding {
 public:
  // `added`: the positions of the additional arguments in the larger bag of `width` positions.
  BagEmbedding(const BagSet& added, std::size_t width);
  BagSet apply(const BagSet& s) const;

 private:
  std::vector<std::size_t> ascending;
  std::size_t smallWidth;
};
