// The user CPU time of an algorithm's node rules.
#pragma once

#include "kivra/AbstractAlgorithm.h"
#include "kivra/support.h"

// Sums, per algorithm class and over the whole process, the user CPU seconds
// its branch rules and its other rules (leaf, introduction, removal,
// permutation) take. Nothing reads the sums; they are there to be looked at
// in a debugger or a profile.
//
// The clock is read once at each node boundary: a rule's time runs from
// where the rule before it stopped, which in the bottom-up walk is its last
// child (the framework's steps in between count with it), and a leaf starts
// it afresh. Reading it twice per node would cost a fifth more on long paths.
template <class Algorithm>
class NodeTimes {
 public:
  static inline double branchNodeTime = 0;
  static inline double permutationNodeTime = 0;

 protected:
  // At the very start of a leaf's rule.
  void startLeafTime() { nodeTimer.start(); }
  // At the end of a rule: adds its time, and hands its table on.
  kivra::TupleSet* permutationDone(kivra::TupleSet* table) {
    permutationNodeTime += nodeTimer.lap().first;
    return table;
  }
  kivra::TupleSet* branchDone(kivra::TupleSet* table) {
    branchNodeTime += nodeTimer.lap().first;
    return table;
  }

 private:
  kivra::Timer nodeTimer;
};
