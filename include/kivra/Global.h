// Vertex and edge types shared by the framework and the solver.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kivra {

// A vertex identifier; 0 is the auxiliary vertex and the answer for unknown names.
using Vertex = std::uint32_t;
using VertexSet = std::set<Vertex>;
// Two-vertex edges, ordered by first then second vertex.
using EdgeSet = std::set<std::pair<Vertex, Vertex>>;
// Vertex id to name (indexed by id) and name to vertex id.
using NameMap = std::vector<std::string>;
using ReverseNameMap = std::map<std::string, Vertex>;

}  // namespace kivra
