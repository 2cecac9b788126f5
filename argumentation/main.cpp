// Command-line driver: validates the options, opens the input, builds the
// problem, the algorithm of the chosen semantics and the content factory of the
// chosen output mode, then prints the version, the width, the data line or the
// solution.
#include <getopt.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>

#include "AdmissibleNormalizedArgumentation.h"
#include "AdmissibleSemiNormalizedArgumentation.h"
#include "ArgumentationProblem.h"
#include "ArgumentationSolution.h"
#include "CompleteNormalizedArgumentation.h"
#include "PreferredNormalizedArgumentation.h"
#include "StableNormalizedArgumentation.h"
#include "kivra/AbstractAlgorithm.h"
#include "kivra/CountingSolutionContent.h"
#include "kivra/support.h"

// dOpt, bOpt and enum_nbr, which the result output reads too, are defined with it.
std::string version = "2.0";
kivra::Timer timer;

namespace {

// Codes getopt_long returns for the long options.
enum LongOption { OPT_CRED = 256, OPT_SKEPT, OPT_COUNT, OPT_ENUM };

[[noreturn]] void usage() {
  std::cout << "Usage: " << kivra::sProgramName
            << " [-v] [-b] [-t] [-d] [-r <seed>] [-f <file>] [-n <normalize>] [-s <semantics>]"
               " [--enum[=number] | --count | --cred <arg> | --skept <arg>]"
            << std::endl;
  std::cout << "\t-v\t\t\tprint version information" << std::endl;
  std::cout << "\t-b\t\t\tprint benchmark information" << std::endl;
  std::cout << "\t-t\t\t\tonly perform tree decomposition step" << std::endl;
  std::cout << "\t-d\t\t\tonly print comma-separated data: 'filename; seed; time; result;'" << std::endl;
  std::cout << "\t-r <seed>\t\tinitialize random number generator with <seed>." << std::endl;
  std::cout << "\t-f <file>\t\tthe file to read the AF from" << std::endl;
  std::cout << "\t-n <normalization>\tthe tree decomposition normalization, one of {norm (default), semi}"
            << std::endl;
  std::cout << "\t-s <semantics>\t\tthe semantics, one of {admissible (default), preferred, stable, complete}"
            << std::endl;
  std::cout << "\t--enum[=number]\t\tprints an enumeration of all solutions (default)" << std::endl;
  std::cout << "\t\t\t\tnumber binds the displayed enumerations (default: not bounded)" << std::endl;
  std::cout << "\t--count\t\t\tprints the number of solutions" << std::endl;
  std::cout << "\t--cred <arg>\t\tchecks whether the argument is credulously accepted or not" << std::endl;
  std::cout << "\t--skept <arg>\t\tchecks whether the argument is skeptically accepted or not" << std::endl;
  std::exit(1);
}

// A seed word: strtol with base 0 over the whole word, clamped to 32 bits.
bool parseSeed(const char* text, std::int32_t& seed) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 0);
  if (*end != '\0') return false;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  seed = static_cast<std::int32_t>(value);
  return true;
}

// The bound of --enum=N: the leading decimal number, where it ends is not
// checked; beyond the int range it means no bound (too large) or stays negative.
int parseEnumBound(const char* text) {
  long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) return 0;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

enum class Semantics { Admissible, Preferred, Stable, Complete };

}  // namespace

int main(int argc, char** argv) {
  timer.start();
  kivra::InitializeErrorHandling(argv[0]);
  std::int32_t seed = static_cast<std::int32_t>(time(nullptr));

  static const option long_options[] = {
      {"cred", required_argument, nullptr, OPT_CRED},
      {"skept", required_argument, nullptr, OPT_SKEPT},
      {"count", no_argument, nullptr, OPT_COUNT},
      {"enum", optional_argument, nullptr, OPT_ENUM},
      {nullptr, 0, nullptr, 0},
  };

  bool vOpt = false, tOpt = false, rOpt = false, fOpt = false, nOpt = false, sOpt = false;
  bool modeChosen = false;
  Semantics semantics = Semantics::Admissible;
  bool semiNormalized = false;
  OutputType mode = ENUMERATION;
  const char* argumentName = nullptr;
  const char* fileName = nullptr;
  int words = 1;

  int code;
  while ((code = getopt_long(argc, argv, "vs:br:f:tdn:", long_options, nullptr)) != -1) {
    ++words;
    switch (code) {
      case 'v':
        if (vOpt) usage();
        vOpt = true;
        break;
      case 't':
        if (tOpt) usage();
        tOpt = true;
        break;
      case 'b':
        if (bOpt) usage();
        bOpt = true;
        break;
      case 'd':
        if (dOpt) usage();
        dOpt = true;
        break;
      case 'r':
        ++words;
        if (rOpt || optarg == nullptr || !parseSeed(optarg, seed)) usage();
        rOpt = true;
        break;
      case 'f':
        ++words;
        if (fOpt || optarg == nullptr) usage();
        fOpt = true;
        fileName = optarg;
        break;
      case 'n':
        ++words;
        if (nOpt || optarg == nullptr) usage();
        if (std::strcmp(optarg, "norm") == 0) {
          semiNormalized = false;
        } else if (std::strcmp(optarg, "semi") == 0) {
          semiNormalized = true;
        } else {
          usage();
        }
        nOpt = true;
        break;
      case 's':
        ++words;
        if (sOpt || optarg == nullptr) usage();
        if (std::strcmp(optarg, "admissible") == 0) {
          semantics = Semantics::Admissible;
        } else if (std::strcmp(optarg, "preferred") == 0) {
          semantics = Semantics::Preferred;
        } else if (std::strcmp(optarg, "stable") == 0) {
          semantics = Semantics::Stable;
        } else if (std::strcmp(optarg, "complete") == 0) {
          semantics = Semantics::Complete;
        } else {
          usage();
        }
        sOpt = true;
        break;
      case OPT_ENUM:
        if (modeChosen) usage();
        modeChosen = true;
        mode = ENUMERATION;
        if (optarg != nullptr) enum_nbr = parseEnumBound(optarg);
        break;
      case OPT_COUNT:
        if (modeChosen) usage();
        modeChosen = true;
        mode = COUNTING;
        break;
      case OPT_CRED:
      case OPT_SKEPT:
        ++words;
        if (modeChosen || optarg == nullptr) usage();
        modeChosen = true;
        mode = code == OPT_CRED ? CREDULOUS : SKEPTICAL;
        argumentName = optarg;
        break;
      default:
        usage();
    }
  }
  if (words != argc) usage();

  std::ifstream fileInput;
  std::istream* input = &std::cin;
  if (fOpt) {
    fileInput.open(fileName);
    if (!fileInput.is_open()) {
      std::cerr << kivra::sProgramName << ": Could not find file '" << fileName << "'!" << std::endl;
      std::exit(1);
    }
    input = &fileInput;
  }

  srand(static_cast<unsigned>(seed));
  if (bOpt && !dOpt) std::cout << "Using seed: " << static_cast<std::uint32_t>(seed) << std::endl;

  // Everything made here lives until the process exits.
  auto* problem = new ArgumentationProblem(input, dOpt);

  kivra::AbstractHTDAlgorithm* algorithm = nullptr;
  if (semiNormalized && semantics != Semantics::Admissible) {
    const char* name = semantics == Semantics::Preferred ? "preferred"
                       : semantics == Semantics::Stable  ? "stable"
                                                         : "complete";
    std::cout << "Semi-normalization for " << name << " semantics currently not available" << std::endl;
    kivra::_printError("0");
  }
  switch (semantics) {
    case Semantics::Admissible:
      if (semiNormalized)
        algorithm = new AdmissibleSemiNormalizedArgumentationAlgorithm(problem);
      else
        algorithm = new AdmissibleNormalizedArgumentationAlgorithm(problem);
      break;
    case Semantics::Preferred:
      algorithm = new PreferredNormalizedArgumentationAlgorithm(problem);
      break;
    case Semantics::Stable:
      algorithm = new StableNormalizedArgumentationAlgorithm(problem);
      break;
    case Semantics::Complete:
      algorithm = new CompleteNormalizedArgumentationAlgorithm(problem);
      break;
  }

  kivra::Instantiator* instantiator = nullptr;
  switch (mode) {
    case COUNTING:
      instantiator = new kivra::GenericInstantiator<kivra::CountingSolutionContent>();
      break;
    case ENUMERATION:
      instantiator = new kivra::GenericInstantiator<kivra::EnumerationSolutionContent>();
      break;
    case CREDULOUS:
      instantiator = new ArgumentationInstantiator<CredulousSolutionContent>(argumentName, problem);
      break;
    case SKEPTICAL:
      instantiator = new ArgumentationInstantiator<SkepticalSolutionContent>(argumentName, problem);
      break;
  }

  if (vOpt) {
    std::cout << "Zelkovant Version " << version << std::endl;
  } else if (tOpt) {
    int width = problem->calculateTreeWidth();
    if (!dOpt) std::cout << "Width: ";
    std::cout << width << std::endl;
  } else if (dOpt) {
    // Without -f there is no file name: the first field stays empty.
    std::cout << (fileName != nullptr ? fileName : "") << "; " << static_cast<std::uint32_t>(seed) << "; ";
    kivra::Solution* solution = problem->calculateSolution(algorithm);
    kivra::SolutionContent* content = solution->getContent(instantiator);
    timer.printStop(std::cout);
    std::cout << "; ";
    printSolution(content, mode, problem);
    std::cout << std::endl;
  } else {
    kivra::Solution* solution = problem->calculateSolution(algorithm);
    kivra::Timer contentTimer;
    if (bOpt) {
      std::cout << "Calculating solution content... " << std::flush;
      contentTimer.start();
    }
    kivra::SolutionContent* content = solution->getContent(instantiator);
    if (bOpt) {
      std::cout << "done! (took ";
      contentTimer.printStop(std::cout);
      std::cout << " seconds)" << std::endl;
      std::cout << std::string(41, '-') << std::endl;
      std::cout << "Overall time: ";
      timer.printStop(std::cout);
      std::cout << " seconds" << std::endl;
    }
    printSolution(content, mode, problem);
  }
  std::exit(0);
}

#if defined(__SANITIZE_ADDRESS__)
// The objects of a run live until the process exits, by design: sanitizer
// builds must not report them as leaks.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif
