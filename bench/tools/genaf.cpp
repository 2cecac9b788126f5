// Writes a generated framework to standard output:
//   genaf grid <width> <length> [seed] | star <leaves> | random <args> <attacks> [seed]
//       | tree <args> [seed] | path <args> | hubs <args> <hubs> <degree> [seed]
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "../framework_generator.h"

int main(int argc, char** argv) {
  using namespace zelkovant_bench;
  auto number = [&](int i, long fallback) { return i < argc ? std::atol(argv[i]) : fallback; };
  if (argc >= 4 && std::strcmp(argv[1], "grid") == 0) {
    std::cout << gridFramework(static_cast<int>(number(2, 4)), number(3, 100), static_cast<std::uint32_t>(number(4, 1)));
  } else if (argc >= 3 && std::strcmp(argv[1], "star") == 0) {
    std::cout << starFramework(number(2, 100));
  } else if (argc >= 4 && std::strcmp(argv[1], "random") == 0) {
    std::cout << randomFramework(number(2, 100), number(3, 300), static_cast<std::uint32_t>(number(4, 1)));
  } else if (argc >= 3 && std::strcmp(argv[1], "tree") == 0) {
    std::cout << treeFramework(number(2, 100), static_cast<std::uint32_t>(number(3, 1)));
  } else if (argc >= 3 && std::strcmp(argv[1], "path") == 0) {
    std::cout << pathFramework(number(2, 100));
  } else if (argc >= 5 && std::strcmp(argv[1], "hubs") == 0) {
    std::cout << hubsFramework(number(2, 2000), number(3, 50), number(4, 100), static_cast<std::uint32_t>(number(5, 1)));
  } else {
    std::cerr << "usage: genaf grid <width> <length> [seed] | star <leaves> | random <args> <attacks> [seed] | tree <args> [seed]"
                 " | path <args> | hubs <args> <hubs> <degree> [seed]\n";
    return 1;
  }
  return 0;
}
