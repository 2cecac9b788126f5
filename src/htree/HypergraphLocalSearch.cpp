// The hypergraph's door into the local-search heuristics: an elimination
// order computed through the ordering model and its search driver.
#include "kivra/Hypergraph.h"

#include <new>

#include "kivra/Globals.h"
#include "kivra/TabuSearch.h"
#include "kivra/probSol.h"

namespace kivra {

Node** Hypergraph::getLocalSearchOrder(int preElim) {
  (void)preElim;
  probSol Model;
  TabuSearch Driver;
  Model.createGraphFromHyp(this);
  Driver.setTSParametres(TabuSearch::SimAnn, 100, 1, 100000000, 2000, 1000, 10000000, 10, false,
                         TabuSearch::largestCperturbation, 3, 10, true, TabuSearch::acceptSolWithBound, true, 3);
  Driver.iteratedLocalSearch(Model);

  const int n = getNbrOfNodes();
  Node** Order = new (std::nothrow) Node*[static_cast<std::size_t>(n) + 1];
  if (Order == nullptr) writeErrorMsg("Error assigning memory.", "Hypergraph::getLocalSearchOrder", true);
  // Position 0 of the model is eliminated first and ends at the back.
  for (int i = 0; i < n; ++i) {
    Order[n - 1 - Model.iNodePosInOrdering[i]] = MyNodes[static_cast<std::size_t>(i)];
    MyNodes[static_cast<std::size_t>(i)]->setLabel(0);
  }
  Order[n] = nullptr;
  return Order;
}

}  // namespace kivra
