// Credulous and skeptical acceptance as solution contents, their content
// factory, and the printing of a run's final solution content.
#pragma once

#include "kivra/AbstractAlgorithm.h"
#include "kivra/Global.h"
#include "kivra/Problem.h"

// Options of the command-line driver read by printSolution: -d (one data
// line), -b (timing lines) and the bound of --enum (0 or negative: no bound).
extern bool dOpt;
extern bool bOpt;
extern int enum_nbr;

// What a run prints.
enum OutputType : int { COUNTING = 0, ENUMERATION = 1, CREDULOUS = 2, SKEPTICAL = 3 };

// Writes `content` to standard output in the form of `mode` (normal, or the
// last field of the -d data line when dOpt is set). Argument names come from
// `problem`. A null content, an unknown mode, or a content of another class
// than the mode's writes nothing.
void printSolution(kivra::SolutionContent* content, OutputType mode, kivra::Problem* problem);

// Whether one argument belongs to SOME solution of the set of solutions the
// content stands for.
class CredulousSolutionContent : public kivra::SolutionContent {
 public:
  // The single solution s. Ends the process if `name` has no vertex id.
  CredulousSolutionContent(const kivra::VertexSet& s, const char* name, kivra::Problem* p);
  // The empty solution set. Ends the process if `name` has no vertex id.
  CredulousSolutionContent(const char* name, kivra::Problem* p);
  // The empty solution set, for an id known to exist.
  CredulousSolutionContent(unsigned int id, kivra::Problem* p);
  ~CredulousSolutionContent() override;

  // Each returns a new content with the same vertexId and problem.
  kivra::SolutionContent* calculateUnion(kivra::SolutionContent* other) override;
  kivra::SolutionContent* calculateCrossJoin(kivra::SolutionContent* other) override;
  kivra::SolutionContent* calculateAdd(const kivra::VertexSet& s) override;

  bool accepted;
  kivra::Vertex vertexId;
  kivra::Problem* problem;
  // Whether the solution set has a member at all. Combining with an empty set
  // gives an empty set, in which nothing is credulously accepted.
  bool hasSolution;

 private:
  // Sets vertexId from the name; an unknown name ends the process (status 1).
  void calcVertexId(kivra::Problem* p, const char* name);
};

// Whether one argument belongs to EVERY solution of the set of solutions the
// content stands for (vacuously true for the empty set).
class SkepticalSolutionContent : public kivra::SolutionContent {
 public:
  SkepticalSolutionContent(const kivra::VertexSet& s, const char* name, kivra::Problem* p);
  SkepticalSolutionContent(const char* name, kivra::Problem* p);
  SkepticalSolutionContent(unsigned int id, kivra::Problem* p);
  ~SkepticalSolutionContent() override;

  kivra::SolutionContent* calculateUnion(kivra::SolutionContent* other) override;
  kivra::SolutionContent* calculateCrossJoin(kivra::SolutionContent* other) override;
  kivra::SolutionContent* calculateAdd(const kivra::VertexSet& s) override;

  bool accepted;
  kivra::Vertex vertexId;
  kivra::Problem* problem;

 private:
  void calcVertexId(kivra::Problem* p, const char* name);
};

// Content factory of the acceptance modes; T is CredulousSolutionContent or
// SkepticalSolutionContent. The name is not copied and must outlive the
// factory. The caller owns every content returned.
template <class T>
class ArgumentationInstantiator : public kivra::Instantiator {
 public:
  ArgumentationInstantiator(const char* name, kivra::Problem* p) : argumentName(name), problem(p) {}
  ~ArgumentationInstantiator() override {}

  kivra::SolutionContent* createEmptySolution() const override { return new T(argumentName, problem); }
  kivra::SolutionContent* createLeafSolution(const kivra::VertexSet& s) const override {
    return new T(s, argumentName, problem);
  }

  const char* argumentName;
  kivra::Problem* problem;
};
