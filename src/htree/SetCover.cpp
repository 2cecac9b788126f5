// Greedy set cover of a vertex set by hyperedges.
//
// Labels during a run: a vertex is 0 (uncovered), 1 (covered in this step)
// or -1 (covered and settled); a hyperedge is -1 when chosen or not a
// candidate, otherwise a per-round count (first rule) or its position among
// the candidates (second rule).
#include "kivra/SetCover.h"

#include <cstdlib>
#include <vector>

#include "kivra/CompSet.h"
#include "kivra/Globals.h"
#include "kivra/Hyperedge.h"
#include "kivra/Node.h"

namespace kivra {

namespace {

Node* nodeAt(CompSet* Nodes, int iPos) { return reinterpret_cast<Node*>((*Nodes)[iPos]); }
Hyperedge* edgeAt(CompSet* HEdges, int iPos) { return reinterpret_cast<Hyperedge*>((*HEdges)[iPos]); }

// The tied hyperedge to take: the smallest ID (the first among equal IDs),
// or a uniformly drawn entry.
int pickFromTies(CompSet* HEdges, const std::vector<int>& Ties, bool bDeterm) {
  if (!bDeterm) return Ties[static_cast<size_t>(std::rand()) % Ties.size()];
  int iBest = Ties[0];
  for (int iPos : Ties)
    if (edgeAt(HEdges, iPos)->getID() < edgeAt(HEdges, iBest)->getID()) iBest = iPos;
  return iBest;
}

// Marks every vertex of Edge that is still uncovered as covered in this step.
void coverNodesOf(Hyperedge* Edge) {
  for (int i = 0; i < Edge->getNbrOfNodes(); ++i) {
    Node* Vertex = Edge->getNode(i);
    if (Vertex->getLabel() == 0) Vertex->setLabel(1);
  }
}

// The chosen hyperedges (label -1) in their HEdges order.
CompSet* collectChosen(CompSet* HEdges, int iChosen) {
  CompSet* Result = new CompSet(iChosen);
  for (int j = 0; j < HEdges->size(); ++j)
    if (edgeAt(HEdges, j)->getLabel() < 0) Result->insComp((*HEdges)[j]);
  return Result;
}

}  // namespace

CompSet* SetCover::cover(CompSet* Nodes, CompSet* HEdges) {
  if (!isCoverable(Nodes, HEdges)) writeErrorMsg("Covering not possible.", "SetCover::cover", true);
  // Each result replaces the best only when strictly smaller.
  CompSet* Best = NodeCover1(Nodes, HEdges, true);
  auto consider = [&Best](CompSet* Result) {
    if (Result->size() < Best->size()) {
      delete Best;
      Best = Result;
    } else {
      delete Result;
    }
  };
  consider(NodeCover1(Nodes, HEdges, false));
  consider(NodeCover2(Nodes, HEdges, true));
  consider(NodeCover2(Nodes, HEdges, false));
  return Best;
}

bool SetCover::isCoverable(CompSet* Nodes, CompSet* HEdges) {
  for (int i = 0; i < Nodes->size(); ++i) nodeAt(Nodes, i)->setLabel(0);
  for (int j = 0; j < HEdges->size(); ++j) {
    Hyperedge* Edge = edgeAt(HEdges, j);
    for (int i = 0; i < Edge->getNbrOfNodes(); ++i) Edge->getNode(i)->setLabel(1);
  }
  for (int i = 0; i < Nodes->size(); ++i)
    if (nodeAt(Nodes, i)->getLabel() == 0) return false;
  return true;
}

int SetCover::chooseForcedEdges(CompSet* Nodes, int& iUncovered) {
  int iChosen = 0;
  for (int i = 0; i < Nodes->size(); ++i) {
    Node* Vertex = nodeAt(Nodes, i);
    // Only an uncovered vertex can force a hyperedge; counting stops at the
    // second open one, which is all the decision needs.
    if (Vertex->getLabel() != 0) continue;
    Hyperedge* Open = nullptr;
    int iOpen = 0;
    for (int e = 0; e < Vertex->getNbrOfEdges() && iOpen < 2; ++e) {
      Hyperedge* Edge = Vertex->getEdge(e);
      if (Edge->getLabel() == -1) continue;
      Open = Edge;
      ++iOpen;
    }
    if (iOpen != 1) continue;
    Open->setLabel(-1);
    ++iChosen;
    for (int e = 0; e < Open->getNbrOfNodes(); ++e) Open->getNode(e)->setLabel(1);
  }
  for (int i = 0; i < Nodes->size(); ++i) {
    Node* Vertex = nodeAt(Nodes, i);
    if (Vertex->getLabel() == 1) {
      Vertex->setLabel(-1);
      --iUncovered;
    }
  }
  return iChosen;
}

CompSet* SetCover::NodeCover1(CompSet* Nodes, CompSet* HEdges, bool bDeterm) {
  int iUncovered = Nodes->size();
  for (int i = 0; i < Nodes->size(); ++i) {
    Node* Vertex = nodeAt(Nodes, i);
    for (int e = 0; e < Vertex->getNbrOfEdges(); ++e) Vertex->getEdge(e)->setLabel(-1);
    Vertex->setLabel(0);
  }
  for (int j = 0; j < HEdges->size(); ++j) edgeAt(HEdges, j)->setLabel(0);

  int iChosen = chooseForcedEdges(Nodes, iUncovered);
  std::vector<int> Ties;
  while (iUncovered > 0) {
    for (int i = 0; i < Nodes->size(); ++i) {
      Node* Vertex = nodeAt(Nodes, i);
      if (Vertex->getLabel() != 0) continue;
      for (int e = 0; e < Vertex->getNbrOfEdges(); ++e) Vertex->getEdge(e)->incLabel(1);
    }
    int iBest = -1;
    Ties.clear();
    for (int j = 0; j < HEdges->size(); ++j) {
      Hyperedge* Edge = edgeAt(HEdges, j);
      int iCount = Edge->getLabel();
      if (iCount > iBest) {
        Ties.assign(1, j);
        iBest = iCount;
      } else if (iCount == iBest) {
        Ties.push_back(j);
      }
      if (iCount > 0) Edge->setLabel(0);
    }
    Hyperedge* Pick = edgeAt(HEdges, pickFromTies(HEdges, Ties, bDeterm));
    Pick->setLabel(-1);
    ++iChosen;
    coverNodesOf(Pick);
    for (int i = 0; i < Nodes->size(); ++i) {
      Node* Vertex = nodeAt(Nodes, i);
      if (Vertex->getLabel() == 1) {
        Vertex->setLabel(-1);
        --iUncovered;
      }
    }
  }
  return collectChosen(HEdges, iChosen);
}

CompSet* SetCover::NodeCover2(CompSet* Nodes, CompSet* HEdges, bool bDeterm) {
  int iNbrOfNodes = Nodes->size();
  int iNbrOfEdges = HEdges->size();
  std::vector<double> Weights(static_cast<size_t>(iNbrOfNodes));
  std::vector<double> Scores(static_cast<size_t>(iNbrOfEdges), 0.0);
  int iUncovered = iNbrOfNodes;
  for (int i = 0; i < iNbrOfNodes; ++i) {
    Node* Vertex = nodeAt(Nodes, i);
    int iCandidates = 0;
    for (int e = 0; e < Vertex->getNbrOfEdges(); ++e) {
      Hyperedge* Edge = Vertex->getEdge(e);
      Edge->setLabel(-1);
      if (HEdges->find(Edge)) ++iCandidates;
    }
    Vertex->setLabel(0);
    // A vertex lying in many candidates weighs little, one in few much.
    Weights[i] = 1.0 - static_cast<double>(iCandidates) / iNbrOfEdges;
  }
  for (int j = 0; j < iNbrOfEdges; ++j) edgeAt(HEdges, j)->setLabel(j);

  int iChosen = chooseForcedEdges(Nodes, iUncovered);
  for (int i = 0; i < iNbrOfNodes; ++i)
    if (nodeAt(Nodes, i)->getLabel() == -1) Weights[i] = 0.0;
  for (int i = 0; i < iNbrOfNodes; ++i) {
    if (Weights[i] <= 0.0) continue;
    Node* Vertex = nodeAt(Nodes, i);
    for (int e = 0; e < Vertex->getNbrOfEdges(); ++e) {
      int iPos = Vertex->getEdge(e)->getLabel();
      if (iPos >= 0) Scores[iPos] += Weights[i];
    }
  }

  std::vector<int> Ties;
  while (iUncovered > 0) {
    int j = 0;
    while (j < iNbrOfEdges && edgeAt(HEdges, j)->getLabel() == -1) ++j;
    if (j == iNbrOfEdges) break;  // cannot happen for a coverable input
    double rBest = Scores[j];
    Ties.assign(1, j);
    // Chosen hyperedges stay out of the ties: their score of 0 could tie
    // with the open ones once only weightless vertices remain uncovered,
    // and choosing one again would cover nothing, round after round.
    for (++j; j < iNbrOfEdges; ++j) {
      if (edgeAt(HEdges, j)->getLabel() == -1) continue;
      if (Scores[j] > rBest) {
        rBest = Scores[j];
        Ties.assign(1, j);
      } else if (Scores[j] == rBest) {
        Ties.push_back(j);
      }
    }
    int iPick = pickFromTies(HEdges, Ties, bDeterm);
    Hyperedge* Pick = edgeAt(HEdges, iPick);
    Scores[iPick] = 0.0;
    Pick->setLabel(-1);
    ++iChosen;
    coverNodesOf(Pick);
    for (int i = 0; i < iNbrOfNodes; ++i) {
      Node* Vertex = nodeAt(Nodes, i);
      if (Vertex->getLabel() != 1) continue;
      for (int e = 0; e < Vertex->getNbrOfEdges(); ++e) {
        int iPos = Vertex->getEdge(e)->getLabel();
        if (iPos >= 0) Scores[iPos] -= Weights[i];
      }
      Weights[i] = 0.0;
      Vertex->setLabel(-1);
      --iUncovered;
    }
  }
  return collectChosen(HEdges, iChosen);
}

}  // namespace kivra
