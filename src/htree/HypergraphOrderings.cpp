// Vertex elimination orderings of a hypergraph.
#include <cstdlib>

#include "kivra/Globals.h"
#include "kivra/Hypergraph.h"

namespace kivra {

Node** Hypergraph::getInputOrder(int) {
  const int n = iMyMaxNbrOfNodes;
  Node** Order = new Node*[static_cast<std::size_t>(n) + 1];
  for (int i = 0; i < n; ++i) Order[i] = MyNodes[static_cast<std::size_t>(i)];
  Order[n] = nullptr;
  return Order;
}

Node** Hypergraph::getMIWOrder(int preElim) { return getInputOrder(preElim); }
Node** Hypergraph::getMFOrder(int preElim) { return getInputOrder(preElim); }
Node** Hypergraph::getMCSOrder(int preElim) { return getInputOrder(preElim); }
Node** Hypergraph::getRandomOrder() { return getInputOrder(0); }
void Hypergraph::setMCSOrder() {}
void Hypergraph::setMFOrder() {}

}  // namespace kivra
