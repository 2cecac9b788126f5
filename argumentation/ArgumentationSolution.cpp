#include "ArgumentationSolution.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "kivra/CountingSolutionContent.h"
#include "kivra/support.h"

using kivra::SolutionContent;
using kivra::Vertex;
using kivra::VertexSet;

bool dOpt = false;
bool bOpt = false;
int enum_nbr = 0;

namespace {

// The message for an argument name without a vertex id; ends the process.
[[noreturn]] void unknownArgument(const char* name) {
  std::cerr << "Argument '" << name << "' does not appear in the argumentation framework." << std::endl;
  std::exit(1);
}

Vertex lookUpArgument(kivra::Problem* p, const char* name) {
  const Vertex id = p->getVertexId(std::string(name));
  if (id == 0) unknownArgument(name);
  return id;
}

// Writes what `text` holds to standard output and empties it. A failed write
// ends the run: the output would be incomplete.
void writeOut(std::string& text) {
  std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
  std::cout.flush();
  if (!std::cout) kivra::_printError("could not write to standard output");
  text.clear();
}

void printEnumeration(const kivra::EnumerationSolutionContent& content, kivra::Problem* problem) {
  std::string text;
  if (!dOpt) {
    text = "Solutions: " + std::to_string(content.size()) + "\n";
    writeOut(text);
  }
  // Each set goes out with a flush of its own, so a reader of a long
  // enumeration sees it set by set and the output of a stopped run ends at a
  // set boundary. Names are looked up once per argument and kept with the
  // comma that follows them; a set's last comma becomes its closing brace.
  std::vector<std::string> namesWithComma;
  text += '{';
  const std::size_t shown =
      enum_nbr > 0 ? std::min(content.size(), static_cast<std::size_t>(enum_nbr)) : content.size();
  for (std::size_t i = 0; i < shown; ++i) {
    text += i > 0 ? ",{" : "{";
    for (Vertex v : content[i]) {
      if (v >= namesWithComma.size()) namesWithComma.resize(v + 1);
      std::string& name = namesWithComma[v];
      if (name.empty()) name = problem->getVertexName(v) + ',';
      text += name;
    }
    if (text.back() == ',')
      text.back() = '}';
    else
      text += '}';
    writeOut(text);
  }
  text += dOpt ? "};" : "}\n";
  writeOut(text);
}

void printAcceptance(bool accepted) {
  std::cout << (accepted ? "YES" : "NO");
  if (dOpt) {
    std::cout << "; ";
  } else {
    std::cout << std::endl;
  }
}

}  // namespace

void printSolution(SolutionContent* content, OutputType mode, kivra::Problem* problem) {
  if (content == nullptr) return;
  switch (mode) {
    case COUNTING: {
      auto* counting = dynamic_cast<kivra::CountingSolutionContent*>(content);
      if (counting == nullptr) return;
      // The digits are formed (which takes memory) before any of the line
      // is written: a failure leaves no line without its number.
      const std::string count = counting->count.get_str();
      if (dOpt) {
        std::cout << count << "; ";
      } else {
        std::cout << "Solutions: " << count << std::endl;
      }
      return;
    }
    case ENUMERATION: {
      auto* enumeration = dynamic_cast<kivra::EnumerationSolutionContent*>(content);
      if (enumeration != nullptr) printEnumeration(*enumeration, problem);
      return;
    }
    case CREDULOUS: {
      auto* credulous = dynamic_cast<CredulousSolutionContent*>(content);
      if (credulous != nullptr) printAcceptance(credulous->accepted);
      return;
    }
    case SKEPTICAL: {
      auto* skeptical = dynamic_cast<SkepticalSolutionContent*>(content);
      if (skeptical != nullptr) printAcceptance(skeptical->accepted);
      return;
    }
  }
}

// ---- credulous acceptance ----

CredulousSolutionContent::CredulousSolutionContent(const VertexSet& s, const char* name, kivra::Problem* p)
    : accepted(false), vertexId(0), problem(p), hasSolution(true) {
  calcVertexId(p, name);
  accepted = s.count(vertexId) != 0;
}

CredulousSolutionContent::CredulousSolutionContent(const char* name, kivra::Problem* p)
    : accepted(false), vertexId(0), problem(p), hasSolution(false) {
  calcVertexId(p, name);
}

CredulousSolutionContent::CredulousSolutionContent(unsigned int id, kivra::Problem* p)
    : accepted(false), vertexId(id), problem(p), hasSolution(false) {}

CredulousSolutionContent::~CredulousSolutionContent() {}

void CredulousSolutionContent::calcVertexId(kivra::Problem* p, const char* name) {
  vertexId = lookUpArgument(p, name);
}

SolutionContent* CredulousSolutionContent::calculateUnion(SolutionContent* other) {
  const auto* o = static_cast<const CredulousSolutionContent*>(other);
  auto* result = new CredulousSolutionContent(vertexId, problem);
  result->hasSolution = hasSolution || o->hasSolution;
  result->accepted = accepted || o->accepted;
  return result;
}

SolutionContent* CredulousSolutionContent::calculateCrossJoin(SolutionContent* other) {
  const auto* o = static_cast<const CredulousSolutionContent*>(other);
  auto* result = new CredulousSolutionContent(vertexId, problem);
  // Joining with the empty set gives the empty set, where nothing is accepted.
  result->hasSolution = hasSolution && o->hasSolution;
  result->accepted = result->hasSolution && (accepted || o->accepted);
  return result;
}

SolutionContent* CredulousSolutionContent::calculateAdd(const VertexSet& s) {
  auto* result = new CredulousSolutionContent(vertexId, problem);
  // Adding to every member of the empty set leaves it empty.
  result->hasSolution = hasSolution;
  result->accepted = hasSolution && (accepted || s.count(vertexId) != 0);
  return result;
}

// ---- skeptical acceptance ----

SkepticalSolutionContent::SkepticalSolutionContent(const VertexSet& s, const char* name, kivra::Problem* p)
    : accepted(false), vertexId(0), problem(p) {
  calcVertexId(p, name);
  accepted = s.count(vertexId) != 0;
}

SkepticalSolutionContent::SkepticalSolutionContent(const char* name, kivra::Problem* p)
    : accepted(true), vertexId(0), problem(p) {
  calcVertexId(p, name);
}

SkepticalSolutionContent::SkepticalSolutionContent(unsigned int id, kivra::Problem* p)
    : accepted(true), vertexId(id), problem(p) {}

SkepticalSolutionContent::~SkepticalSolutionContent() {}

void SkepticalSolutionContent::calcVertexId(kivra::Problem* p, const char* name) {
  vertexId = lookUpArgument(p, name);
}

SolutionContent* SkepticalSolutionContent::calculateUnion(SolutionContent* other) {
  const auto* o = static_cast<const SkepticalSolutionContent*>(other);
  auto* result = new SkepticalSolutionContent(vertexId, problem);
  result->accepted = accepted && o->accepted;
  return result;
}

// An empty operand is accepted (vacuously), which makes the empty join
// accepted too, as it should be.
SolutionContent* SkepticalSolutionContent::calculateCrossJoin(SolutionContent* other) {
  const auto* o = static_cast<const SkepticalSolutionContent*>(other);
  auto* result = new SkepticalSolutionContent(vertexId, problem);
  result->accepted = accepted || o->accepted;
  return result;
}

SolutionContent* SkepticalSolutionContent::calculateAdd(const VertexSet& s) {
  auto* result = new SkepticalSolutionContent(vertexId, problem);
  result->accepted = accepted || s.count(vertexId) != 0;
  return result;
}
