// Iterative walks over a decomposition tree, for the library's own sources: a
// decomposition can be a path of hundreds of thousands of nodes, too deep for
// recursion.
#pragma once

#include <list>
#include <vector>

#include "kivra/Hypertree.h"

namespace kivra::treewalk {

// The nodes of the subtree below Root in pre-order (children in list order).
inline std::vector<Hypertree*> preOrder(Hypertree* Root) {
  std::vector<Hypertree*> Order;
  std::vector<Hypertree*> Stack{Root};
  while (!Stack.empty()) {
    Hypertree* Current = Stack.back();
    Stack.pop_back();
    Order.push_back(Current);
    std::list<Hypertree*>* Children = Current->getChildren();
    for (auto It = Children->rbegin(); It != Children->rend(); ++It) Stack.push_back(*It);
  }
  return Order;
}

// Calls Visit on every node of the subtree below Root after all nodes of its
// children's subtrees (children in list order).
template <typename F>
void postOrder(Hypertree* Root, F Visit) {
  struct Frame {
    Hypertree* Node;
    std::list<Hypertree*>::iterator Next;
  };
  std::vector<Frame> Stack{{Root, Root->getChildren()->begin()}};
  while (!Stack.empty()) {
    Frame& Top = Stack.back();
    if (Top.Next != Top.Node->getChildren()->end()) {
      Hypertree* Child = *Top.Next;
      ++Top.Next;
      Stack.push_back({Child, Child->getChildren()->begin()});
      continue;
    }
    Hypertree* Done = Top.Node;
    Stack.pop_back();
    Visit(Done);
  }
}

}  // namespace kivra::treewalk
