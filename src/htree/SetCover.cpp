// Greedy set cover of a vertex set by hyperedges.
//
// Labels during a run: a vertex is 0 (uncovered), 1 (covered in this step)
// or -1 (covered and settled); a hyperedge is -1 when chosen or not a
// candidate, otherwise a per-round count (first rule) or its position among
// the candidates (second rule).
#include "kivra/SetCover.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <utility>
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

// --- Cover of the hyperedges incident to a vertex set ---
//
// Candidate order: each vertex's hyperedges in its own order, repeats left
// out. A hyperedge of a prepared (high-degree) vertex that holds no other
// vertex of the set and occurs once in its list is private: all private
// hyperedges of one vertex count and score alike in every round, so they are
// kept as runs of consecutive list entries (and candidate positions) instead
// of one by one. Every other candidate is explicit. The rules below repeat
// cover()'s rounds on this representation: the same ties in the same order,
// the same floating-point sums in the same order, the same draws.

namespace {

// Prepared once per high-degree vertex.
struct HeavyIndex {
  // Per other vertex, the entries (positions in this vertex's edge list)
  // whose hyperedge holds it, ascending.
  std::unordered_map<Node*, std::vector<int>> EntriesWith;
  // Entries whose hyperedge occurs more than once in the list.
  std::vector<int> Repeated;
  // (hyperedge ID, entry) of every entry, ascending.
  std::vector<std::pair<int, int>> ByID;
};

}  // namespace

struct IncidentCoverCache::Impl {
  int iHeavyDegree;
  std::unordered_map<Node*, std::unique_ptr<HeavyIndex>> Prepared;

  const HeavyIndex* indexOf(Node* Vertex) {
    std::unique_ptr<HeavyIndex>& Slot = Prepared[Vertex];
    if (Slot) return Slot.get();
    Slot = std::make_unique<HeavyIndex>();
    std::unordered_map<Hyperedge*, int> Occurrences;
    int iDegree = Vertex->getNbrOfEdges();
    for (int j = 0; j < iDegree; ++j) {
      Hyperedge* Edge = Vertex->getEdge(j);
      ++Occurrences[Edge];
      for (int k = 0; k < Edge->getNbrOfNodes(); ++k) {
        Node* Other = Edge->getNode(k);
        if (Other == Vertex) continue;
        std::vector<int>& Entries = Slot->EntriesWith[Other];
        if (Entries.empty() || Entries.back() != j) Entries.push_back(j);
      }
      Slot->ByID.emplace_back(Edge->getID(), j);
    }
    for (int j = 0; j < iDegree; ++j)
      if (Occurrences[Vertex->getEdge(j)] > 1) Slot->Repeated.push_back(j);
    std::sort(Slot->ByID.begin(), Slot->ByID.end());
    return Slot.get();
  }
};

IncidentCoverCache::IncidentCoverCache(int iHeavyDegree) : MyImpl(std::make_unique<Impl>()) {
  MyImpl->iHeavyDegree = iHeavyDegree;
}

IncidentCoverCache::~IncidentCoverCache() = default;

namespace {

struct ExplicitEdge {
  Hyperedge* Edge;
  int iPos;
  // (vertex index, number of entries of this hyperedge in its list), by vertex.
  std::vector<std::pair<int, int>> Incidences;
};

// Entries jBegin .. jBegin+iLen-1 of a vertex's list: private hyperedges at
// candidate positions iPos .. iPos+iLen-1.
struct PrivateRun {
  int iVertex;
  int iPos;
  int jBegin;
  int iLen;
};

struct Item {
  bool bRun;
  int iIndex;
};

struct IncidentVertex {
  Node* Vertex;
  const HeavyIndex* Index;  // null: every entry is explicit
  // Per explicit entry in list order: its list position and explicit index.
  std::vector<int> EntryPos;
  std::vector<int> EntryEdge;
  int iPrivate = 0;
  std::vector<int> Runs;  // by ascending jBegin
};

class IncidentProblem {
 public:
  IncidentProblem(const std::vector<Node*>& Nodes, IncidentCoverCache::Impl& Cache) {
    int s = static_cast<int>(Nodes.size());
    for (int a = 0; a < s; ++a) Index[Nodes[a]] = a;
    std::unordered_map<Hyperedge*, int> Seen;
    auto explicitEntry = [&](int a, int j, Hyperedge* Edge) {
      auto [It, bNew] = Seen.try_emplace(Edge, static_cast<int>(Explicit.size()));
      if (bNew) {
        Explicit.push_back({Edge, iPositions++, {}});
        Items.push_back({false, It->second});
      }
      ExplicitEdge& X = Explicit[static_cast<size_t>(It->second)];
      if (!X.Incidences.empty() && X.Incidences.back().first == a)
        ++X.Incidences.back().second;
      else
        X.Incidences.emplace_back(a, 1);
      Vertices[a].EntryPos.push_back(j);
      Vertices[a].EntryEdge.push_back(It->second);
    };
    Vertices.resize(static_cast<size_t>(s));
    for (int a = 0; a < s; ++a) {
      Node* Vertex = Nodes[a];
      IncidentVertex& V = Vertices[a];
      V.Vertex = Vertex;
      int iDegree = Vertex->getNbrOfEdges();
      if (iDegree <= Cache.iHeavyDegree) {
        V.Index = nullptr;
        for (int j = 0; j < iDegree; ++j) explicitEntry(a, j, Vertex->getEdge(j));
        continue;
      }
      V.Index = Cache.indexOf(Vertex);
      std::vector<int> Entries = V.Index->Repeated;
      for (int b = 0; b < s; ++b) {
        if (b == a) continue;
        auto It = V.Index->EntriesWith.find(Nodes[b]);
        if (It != V.Index->EntriesWith.end()) Entries.insert(Entries.end(), It->second.begin(), It->second.end());
      }
      std::sort(Entries.begin(), Entries.end());
      Entries.erase(std::unique(Entries.begin(), Entries.end()), Entries.end());
      int jNext = 0;
      auto addRun = [&](int jEnd) {
        if (jEnd <= jNext) return;
        V.Runs.push_back(static_cast<int>(Runs.size()));
        Items.push_back({true, static_cast<int>(Runs.size())});
        Runs.push_back({a, iPositions, jNext, jEnd - jNext});
        iPositions += jEnd - jNext;
        V.iPrivate += jEnd - jNext;
      };
      for (int j : Entries) {
        addRun(j);
        explicitEntry(a, j, Vertex->getEdge(j));
        jNext = j + 1;
      }
      addRun(iDegree);
    }
  }

  // One rule from scratch; the chosen hyperedges in candidate order.
  std::vector<Hyperedge*> solve(bool bWeighted, bool bDeterm) {
    int s = static_cast<int>(Vertices.size());
    Label.assign(static_cast<size_t>(s), 0);
    ChosenExplicit.assign(Explicit.size(), false);
    ChosenPrivate.assign(static_cast<size_t>(s), {});
    Chosen.clear();
    int iUncovered = s;

    std::vector<double> Weights(static_cast<size_t>(s), 0.0);
    if (bWeighted)
      for (int a = 0; a < s; ++a)
        Weights[a] = 1.0 - static_cast<double>(Vertices[a].Vertex->getNbrOfEdges()) / iPositions;

    chooseForced(iUncovered);

    // Scores: per explicit hyperedge, and per vertex for all its private ones.
    std::vector<double> Score(Explicit.size(), 0.0);
    std::vector<double> PrivateScore(static_cast<size_t>(s), 0.0);
    if (bWeighted) {
      for (int a = 0; a < s; ++a)
        if (Label[a] == -1) Weights[a] = 0.0;
      for (int a = 0; a < s; ++a) {
        if (Weights[a] <= 0.0) continue;
        for (int x : Vertices[a].EntryEdge)
          if (!ChosenExplicit[x]) Score[x] += Weights[a];
        PrivateScore[a] += Weights[a];
      }
    }

    std::vector<Item> Ties;
    while (iUncovered > 0) {
      if (!bWeighted) {
        for (size_t x = 0; x < Explicit.size(); ++x) {
          if (ChosenExplicit[x]) continue;
          int iCount = 0;
          for (auto [a, m] : Explicit[x].Incidences)
            if (Label[a] == 0) iCount += m;
          Score[x] = iCount;
        }
        for (int a = 0; a < s; ++a) PrivateScore[a] = Label[a] == 0 ? 1.0 : 0.0;
      }
      // The open candidates of the best score, in candidate order.
      bool bAny = false;
      double rBest = 0.0;
      auto consider = [&](double rScore) {
        if (!bAny || rScore > rBest) rBest = rScore;
        bAny = true;
      };
      for (const Item& It : Items) {
        if (!It.bRun) {
          if (!ChosenExplicit[It.iIndex]) consider(Score[It.iIndex]);
        } else if (openInRun(Runs[It.iIndex]) > 0) {
          consider(PrivateScore[Runs[It.iIndex].iVertex]);
        }
      }
      if (!bAny) break;  // cannot happen for a coverable input
      Ties.clear();
      for (const Item& It : Items) {
        if (!It.bRun) {
          if (!ChosenExplicit[It.iIndex] && Score[It.iIndex] == rBest) Ties.push_back(It);
        } else if (openInRun(Runs[It.iIndex]) > 0 && PrivateScore[Runs[It.iIndex].iVertex] == rBest) {
          Ties.push_back(It);
        }
      }
      Pick P = bDeterm ? pickSmallestID(Ties) : pickDrawn(Ties);
      choose(P);
      for (int a = 0; a < s; ++a) {
        if (Label[a] != 1) continue;
        if (bWeighted) {
          for (int x : Vertices[a].EntryEdge)
            if (!ChosenExplicit[x]) Score[x] -= Weights[a];
          PrivateScore[a] -= Weights[a];
          Weights[a] = 0.0;
        }
        Label[a] = -1;
        --iUncovered;
      }
    }
    std::sort(Chosen.begin(), Chosen.end());
    std::vector<Hyperedge*> Result;
    for (auto [iPos, Edge] : Chosen) Result.push_back(Edge);
    return Result;
  }

 private:
  // A candidate: an explicit hyperedge, or entry j of vertex a's list.
  struct Pick {
    int iExplicit;
    int a;
    int j;
  };

  Hyperedge* edgeOf(const Pick& P) const {
    return P.iExplicit >= 0 ? Explicit[P.iExplicit].Edge : Vertices[P.a].Vertex->getEdge(P.j);
  }

  int positionOf(const Pick& P) const {
    if (P.iExplicit >= 0) return Explicit[P.iExplicit].iPos;
    const std::vector<int>& VRuns = Vertices[P.a].Runs;
    auto It = std::upper_bound(VRuns.begin(), VRuns.end(), P.j,
                               [this](int j, int r) { return j < Runs[r].jBegin; });
    const PrivateRun& R = Runs[*std::prev(It)];
    return R.iPos + (P.j - R.jBegin);
  }

  bool isPrivateChosen(int a, int j) const {
    const std::vector<int>& C = ChosenPrivate[a];
    return std::binary_search(C.begin(), C.end(), j);
  }

  int chosenInRun(const PrivateRun& R) const {
    const std::vector<int>& C = ChosenPrivate[R.iVertex];
    return static_cast<int>(std::lower_bound(C.begin(), C.end(), R.jBegin + R.iLen) -
                            std::lower_bound(C.begin(), C.end(), R.jBegin));
  }

  int openInRun(const PrivateRun& R) const { return R.iLen - chosenInRun(R); }

  void choose(const Pick& P) {
    Hyperedge* Edge = edgeOf(P);
    if (P.iExplicit >= 0) {
      ChosenExplicit[P.iExplicit] = true;
    } else {
      std::vector<int>& C = ChosenPrivate[P.a];
      C.insert(std::upper_bound(C.begin(), C.end(), P.j), P.j);
    }
    Chosen.emplace_back(positionOf(P), Edge);
    for (int k = 0; k < Edge->getNbrOfNodes(); ++k) {
      auto It = Index.find(Edge->getNode(k));
      if (It != Index.end() && Label[It->second] == 0) Label[It->second] = 1;
    }
  }

  // A vertex still uncovered with exactly one open hyperedge forces it.
  void chooseForced(int& iUncovered) {
    int s = static_cast<int>(Vertices.size());
    for (int a = 0; a < s; ++a) {
      if (Label[a] != 0) continue;
      const IncidentVertex& V = Vertices[a];
      int iOpen = 0;
      Pick Open{-1, a, -1};
      size_t p = 0;
      for (int j = 0; j < V.Vertex->getNbrOfEdges() && iOpen < 2; ++j) {
        if (p < V.EntryPos.size() && V.EntryPos[p] == j) {
          int x = V.EntryEdge[p++];
          if (ChosenExplicit[x]) continue;
          Open = {x, a, j};
        } else {
          if (isPrivateChosen(a, j)) continue;
          Open = {-1, a, j};
        }
        ++iOpen;
      }
      if (iOpen == 1) choose(Open);
    }
    for (int a = 0; a < s; ++a)
      if (Label[a] == 1) {
        Label[a] = -1;
        --iUncovered;
      }
  }

  // The smallest ID among the ties, the first in candidate order among
  // equal IDs.
  Pick pickSmallestID(const std::vector<Item>& Ties) {
    Pick Best{-1, -1, -1};
    std::pair<int, int> BestKey{0, 0};
    bool bHave = false;
    auto offer = [&](const Pick& P) {
      std::pair<int, int> Key{edgeOf(P)->getID(), positionOf(P)};
      if (!bHave || Key < BestKey) {
        Best = P;
        BestKey = Key;
        bHave = true;
      }
    };
    std::vector<int> Offered;  // vertices whose private candidates were offered
    for (const Item& It : Ties) {
      if (!It.bRun) {
        offer({It.iIndex, -1, -1});
        continue;
      }
      int a = Runs[It.iIndex].iVertex;
      if (std::find(Offered.begin(), Offered.end(), a) != Offered.end()) continue;
      Offered.push_back(a);
      // All open private candidates of a are tied: the first of them by ID.
      const IncidentVertex& V = Vertices[a];
      for (auto [iID, j] : V.Index->ByID) {
        if (std::binary_search(V.EntryPos.begin(), V.EntryPos.end(), j) || isPrivateChosen(a, j)) continue;
        offer({-1, a, j});
        break;
      }
    }
    return Best;
  }

  // Entry rand() % k of the k tied candidates in candidate order.
  Pick pickDrawn(const std::vector<Item>& Ties) {
    size_t iTotal = 0;
    for (const Item& It : Ties) iTotal += It.bRun ? static_cast<size_t>(openInRun(Runs[It.iIndex])) : 1;
    size_t r = static_cast<size_t>(std::rand()) % iTotal;
    for (const Item& It : Ties) {
      if (!It.bRun) {
        if (r == 0) return {It.iIndex, -1, -1};
        --r;
        continue;
      }
      const PrivateRun& R = Runs[It.iIndex];
      size_t iOpen = static_cast<size_t>(openInRun(R));
      if (r >= iOpen) {
        r -= iOpen;
        continue;
      }
      // The r-th open entry of the run, stepping over chosen ones.
      int j = R.jBegin + static_cast<int>(r);
      const std::vector<int>& C = ChosenPrivate[R.iVertex];
      for (auto It2 = std::lower_bound(C.begin(), C.end(), R.jBegin); It2 != C.end() && *It2 <= j; ++It2) ++j;
      return {-1, R.iVertex, j};
    }
    return {-1, -1, -1};  // not reached: r < iTotal
  }

  std::unordered_map<Node*, int> Index;
  std::vector<IncidentVertex> Vertices;
  std::vector<ExplicitEdge> Explicit;
  std::vector<PrivateRun> Runs;
  std::vector<Item> Items;  // candidates in order
  int iPositions = 0;

  std::vector<int> Label;  // 0 uncovered, 1 covered in this step, -1 settled
  std::vector<bool> ChosenExplicit;
  std::vector<std::vector<int>> ChosenPrivate;  // per vertex, ascending entries
  std::vector<std::pair<int, Hyperedge*>> Chosen;
};

}  // namespace

std::vector<Hyperedge*> SetCover::coverIncident(const std::vector<Node*>& Nodes, IncidentCoverCache& Cache) {
  for (Node* Vertex : Nodes)
    if (Vertex->getNbrOfEdges() == 0) writeErrorMsg("Covering not possible.", "SetCover::cover", true);
  IncidentProblem Problem(Nodes, *Cache.MyImpl);
  std::vector<Hyperedge*> Best = Problem.solve(false, true);
  for (auto [bWeighted, bDeterm] : {std::pair{false, false}, std::pair{true, true}, std::pair{true, false}}) {
    std::vector<Hyperedge*> Result = Problem.solve(bWeighted, bDeterm);
    if (Result.size() < Best.size()) Best.swap(Result);
  }
  return Best;
}

}  // namespace kivra
