// Utility functions of the hypergraph library: its error reporter, bounded
// random numbers, co-sorting of pointer arrays and small set/array helpers.
#pragma once

#include <set>

namespace kivra {

class Node;
class Hyperedge;

// Writes "ERROR in <cLocation>: <cMessage>" (or "WARNING in ..." when
// bExitProgram is false) as one flushed line to stderr. With bExitProgram the
// process then ends with exit status 1; otherwise the function returns.
void writeErrorMsg(const char* cMessage, const char* cLocation, bool bExitProgram);

// A uniform integer in [iLB, iUB] drawn from exactly one rand() value:
// iLB + floor((iUB - iLB + 1) * rand() / 2^31). iLB > iUB is fatal.
int random_range(int iLB, int iUB);

// Co-sorts Ptr[iL..iR] and iEval[iL..iR] by ascending key. Ranges of at most
// 201 entries are insertion-sorted (equal keys keep their order); larger ones
// are first partitioned around the key at iR.
void sortPointers(void** Ptr, int* iEval, int iL, int iR);
void sortPointers(void** Ptr, double* rEval, int iL, int iR);

// Set1 is a subset of Set2. Uses the members' labels as scratch state and
// leaves them changed (members of Set2 end with label 1).
bool isSubset(std::set<Node*>* Set1, std::set<Node*>* Set2);
bool isSubset(std::set<Hyperedge*>* Set1, std::set<Hyperedge*>* Set2);

// Decimal text of iNumber into cString (at least 11 characters); returns cString.
char* uitoa(unsigned int iNumber, char* cString);

// Sorts iArray[iL..iR] ascending (same algorithm as sortPointers).
void sortArray(int* iArray, int iL, int iR);

// Whether iKey occurs in the ascending entries iArray[iL..iR] (binary search).
bool searchArray(int* iArray, int iL, int iR, int iKey);

}  // namespace kivra
