// Iterative walks over a decomposition tree: a decomposition can be a path of
// hundreds of thousands of nodes, too deep for recursion.
//
// `Tree` is Hypertree or a class derived from it, const or not. A walk over a
// derived class enters only the children of that class; a skip predicate
// (skip(child) true) keeps it out of further subtrees.
#pragma once

#include <cstddef>
#include <iterator>
#include <list>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "kivra/Hypertree.h"

namespace kivra::treewalk {

// The skip predicate that enters every child.
struct EnterAll {
  template <class Tree>
  bool operator()(Tree*) const {
    return false;
  }
};

// A child as a node of the walk's class, or null where it is of another.
template <class Tree>
Tree* as(Hypertree* child) {
  using Plain = std::remove_const_t<Tree>;
  if constexpr (std::is_same_v<Plain, Hypertree>) {
    return child;
  } else {
    // Trees consist of one class as a rule: one type comparison settles it.
    if (child && typeid(*child) == typeid(Plain)) return static_cast<Plain*>(child);
    return dynamic_cast<Plain*>(child);
  }
}

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

namespace detail {

// The walk below postOrder and fold: enter(node) when a node is entered,
// before its children; leave(node, parent) after them, parent being the node
// whose child it is in the walk (null for root). leave returning false stops
// the walk, and walk returns false.
template <class Tree, class Enter, class Leave, class Skip>
bool walk(Tree* root, Enter&& enter, Leave&& leave, Skip&& skip) {
  struct Frame {
    Tree* node;
    decltype(root->getChildren()->begin()) next;
  };
  enter(root);
  std::vector<Frame> stack{{root, root->getChildren()->begin()}};
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next != top.node->getChildren()->end()) {
      Tree* child = as<Tree>(*top.next);
      ++top.next;
      if (!child || skip(child)) continue;
      enter(child);
      stack.push_back({child, child->getChildren()->begin()});
      continue;
    }
    Tree* done = top.node;
    stack.pop_back();
    if (!leave(done, stack.empty() ? nullptr : stack.back().node)) return false;
  }
  return true;
}

}  // namespace detail

// Calls visit on every node of the subtree below root after all nodes of its
// children's subtrees, children in list order. visit takes the node, or the
// node and the node whose child it is in the walk (null for root). It may
// change or delete the node's children, which are done with. A visit that
// returns bool stops the walk by returning false; postOrder then returns
// false, else true.
template <class Tree, class Visit, class Skip = EnterAll>
bool postOrder(Tree* root, Visit visit, Skip skip = {}) {
  return detail::walk(
      root, [](Tree*) {},
      [&](Tree* node, Tree* parent) {
        if constexpr (std::is_invocable_v<Visit&, Tree*, Tree*>) {
          if constexpr (std::is_same_v<std::invoke_result_t<Visit&, Tree*, Tree*>, bool>)
            return visit(node, parent);
          else
            return visit(node, parent), true;
        } else if constexpr (std::is_same_v<std::invoke_result_t<Visit&, Tree*>, bool>) {
          return visit(node);
        } else {
          return visit(node), true;
        }
      },
      skip);
}

// Folds the subtree below root bottom-up: a node's value is
// combine(node, values), `values` holding the values of its entered
// children in list order (combine may consume them). Returns root's value.
template <class Value, class Tree, class Combine, class Skip = EnterAll>
Value fold(Tree* root, Combine combine, Skip skip = {}) {
  std::vector<Value> values;        // values of finished subtrees not yet combined
  std::vector<std::size_t> firsts;  // per node being walked: where its children's values begin
  std::vector<Value> children;
  detail::walk(
      root, [&](Tree*) { firsts.push_back(values.size()); },
      [&](Tree* node, Tree*) {
        const auto first = values.begin() + static_cast<std::ptrdiff_t>(firsts.back());
        firsts.pop_back();
        children.assign(std::make_move_iterator(first), std::make_move_iterator(values.end()));
        values.erase(first, values.end());
        values.push_back(combine(node, children));
        return true;
      },
      skip);
  return std::move(values.back());
}

}  // namespace kivra::treewalk
