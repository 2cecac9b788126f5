// Command-line driver: validates the options, opens the input, builds the
// problem, the algorithm of the chosen semantics and the content factory of the
// chosen output mode, then prints the version, the width, the data line or the
// solution.
#include <fcntl.h>
#include <getopt.h>
#include <gmp.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <new>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

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

const char* const kOutputFailed = "could not write to standard output";

[[noreturn]] void outputFailed() { kivra::_printError(kOutputFailed); }

// Called right after a flush, so that errno still names the failed write.
void checkOutput() {
  if (!std::cout) outputFailed();
}

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
  // After a failed write the stream stays bad and no later write is tried,
  // so errno still names that failure.
  checkOutput();
  std::exit(1);
}

// A seed word: strtol with base 0 over the whole word. Every value from 0 to
// 4294967295 is taken as its 32-bit pattern, so a seed printed as an unsigned
// number replays the same run; values beyond clamp to the signed 32-bit limits.
bool parseSeed(const char* text, std::int32_t& seed) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 0);
  if (*end != '\0') return false;
  if (value > UINT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  seed = value > INT32_MAX ? static_cast<std::int32_t>(static_cast<std::uint32_t>(value))
                           : static_cast<std::int32_t>(value);
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

// Standard input read straight from its descriptor. A failed read (a
// directory, a closed descriptor, an I/O error part-way) throws, which the
// stream turns into its bad state: the scanner then stops with its input
// error, exactly as for a file named by -f, instead of taking the failure
// for the end of the input.
class DescriptorInputBuffer : public std::streambuf {
 public:
  explicit DescriptorInputBuffer(int fd) : fd(fd) {}

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    ssize_t n;
    do {
      n = ::read(fd, block, sizeof block);
    } while (n < 0 && errno == EINTR);
    if (n < 0) throw std::ios_base::failure("read error on standard input");
    if (n == 0) return traits_type::eof();
    setg(block, block, block + n);
    return traits_type::to_int_type(block[0]);
  }

 private:
  int fd;
  char block[1 << 16];
};

// The one report of an exhausted heap, whatever ran out of memory.
[[noreturn]] void memoryExhausted() {
  errno = ENOMEM;
  kivra::_printError("Error assigning memory.");
}

// GMP's own allocation functions abort the process when the heap is
// exhausted. These report it as every other allocation failure is reported.
// They end the run where they are instead of throwing: GMP's functions are
// not made to be left by an exception, and nothing could be done with a
// half-computed number anyway.
void* gmpAllocate(std::size_t size) {
  void* block = std::malloc(size);
  if (block == nullptr) memoryExhausted();
  return block;
}

void* gmpReallocate(void* block, std::size_t, std::size_t size) {
  void* moved = std::realloc(block, size);
  if (moved == nullptr && size != 0) memoryExhausted();
  return moved;
}

void gmpFree(void* block, std::size_t) { std::free(block); }

// Standard output as the program writes it, remembering whether the last
// character written ended its line. Everything is handed on at once to the
// stream buffer standard output had before, so errors, flushes and buffering
// stay exactly as they were.
class LineTrackingBuffer : public std::streambuf {
 public:
  explicit LineTrackingBuffer(std::streambuf* target) : target(target) {}
  bool lineOpen() const { return open; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const int_type written = target->sputc(traits_type::to_char_type(c));
    if (!traits_type::eq_int_type(written, traits_type::eof())) open = traits_type::to_char_type(c) != '\n';
    return written;
  }
  std::streamsize xsputn(const char* text, std::streamsize n) override {
    const std::streamsize written = target->sputn(text, n);
    if (written > 0) open = text[written - 1] != '\n';
    return written;
  }
  int sync() override { return target->pubsync(); }

 private:
  std::streambuf* target;
  bool open = false;
};

LineTrackingBuffer* trackedOutput = nullptr;

// Runs when the process exits. A completed run has ended every line it
// wrote; a run that stops on an error may have written part of one (the
// first fields of the data line, the "Calculating solution content... " of
// -b, a part of a long enumeration). That line is ended, so that output
// appended after it (the next run's data line) starts on a line of its own.
void endOpenLine() {
  if (trackedOutput != nullptr && trackedOutput->lineOpen() && std::cout) std::cout.put('\n');
}

// Ends a completed run: everything written must have reached standard output.
[[noreturn]] void finishRun() {
  // A write that failed before left the stream bad and errno naming the
  // failure: keep it. Otherwise only this flush's own failure is named.
  if (std::cout) {
    errno = 0;
    std::cout.flush();
  }
  if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) outputFailed();
  std::exit(0);
}

// The long option a name given on the command line stands for: the exact
// name, else the one option it abbreviates (getopt_long has already refused
// unknown and ambiguous names).
const option* findLongOption(const option* options, std::string_view name) {
  const option* prefixed = nullptr;
  for (const option* o = options; o->name != nullptr; ++o) {
    std::string_view full = o->name;
    if (full == name) return o;
    if (prefixed == nullptr && full.starts_with(name)) prefixed = o;
  }
  return prefixed;
}

// Whether every word after the program name is one option, or the separate
// argument word of the option before it: no cluster (-vb), no argument joined
// to its option (-fx, --cred=a), no positional word, no "-" or "--". The
// optional number of --enum is the one argument that is joined (--enum=2).
bool onlyOptionWords(const std::vector<const char*>& words, const option* options) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string_view word = words[i];
    if (word.size() == 2 && word[0] == '-' && word[1] != '-') {
      if (std::strchr("srfn", word[1]) != nullptr) ++i;
      continue;
    }
    if (word.size() <= 2 || !word.starts_with("--")) return false;
    std::string_view body = word.substr(2);
    std::size_t equals = body.find('=');
    const option* o = findLongOption(options, body.substr(0, equals));
    if (o == nullptr) return false;
    if (o->has_arg == required_argument) {
      if (equals != std::string_view::npos) return false;
      ++i;
    } else if (o->has_arg == no_argument && equals != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

// One run of the program; it always ends the process.
[[noreturn]] void run(int argc, char** argv) {
  timer.start();
  kivra::InitializeErrorHandling(argv[0]);
  std::int32_t seed = static_cast<std::int32_t>(time(nullptr));

  // Whether standard input is open at all, asked before anything could take
  // its descriptor. A closed one leaves EBADF behind, which is no reason for
  // any later failure.
  const bool stdinOpen = fcntl(STDIN_FILENO, F_GETFD) != -1;
  errno = 0;

  mp_set_memory_functions(gmpAllocate, gmpReallocate, gmpFree);
  trackedOutput = new LineTrackingBuffer(std::cout.rdbuf());
  std::cout.rdbuf(trackedOutput);
  std::atexit(endOpenLine);

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
  // getopt_long reorders argv; the words are checked in their given order.
  const std::vector<const char*> words(argv, argv + argc);

  int code;
  while ((code = getopt_long(argc, argv, "vs:br:f:tdn:", long_options, nullptr)) != -1) {
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
        if (rOpt || optarg == nullptr || !parseSeed(optarg, seed)) usage();
        rOpt = true;
        break;
      case 'f':
        if (fOpt || optarg == nullptr) usage();
        fOpt = true;
        fileName = optarg;
        break;
      case 'n':
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
        if (modeChosen || optarg == nullptr) usage();
        modeChosen = true;
        mode = code == OPT_CRED ? CREDULOUS : SKEPTICAL;
        argumentName = optarg;
        break;
      default:
        usage();
    }
  }
  if (!onlyOptionWords(words, long_options)) usage();

  std::ifstream fileInput;
  DescriptorInputBuffer stdinBuffer(stdinOpen ? STDIN_FILENO : -1);
  std::istream stdinStream(&stdinBuffer);
  std::istream* input = &stdinStream;
  if (fOpt) {
    errno = 0;
    fileInput.open(fileName);
    if (!fileInput.is_open()) {
      // Opening needs memory too; its failure is no missing file.
      if (errno == ENOMEM) memoryExhausted();
      std::cerr << kivra::sProgramName << ": Could not find file '" << fileName << "'!" << std::endl;
      std::exit(1);
    }
    input = &fileInput;
  }

  srand(static_cast<unsigned>(seed));
  if (bOpt && !dOpt) {
    std::cout << "Using seed: " << static_cast<std::uint32_t>(seed) << std::endl;
    checkOutput();
  }

  // Everything made here lives until the process exits.
  auto* problem = new ArgumentationProblem(input, dOpt);

  kivra::AbstractHTDAlgorithm* algorithm = nullptr;
  if (semiNormalized && semantics != Semantics::Admissible) {
    const char* name = semantics == Semantics::Preferred ? "preferred"
                       : semantics == Semantics::Stable  ? "stable"
                                                         : "complete";
    std::cout << "Semi-normalization for " << name << " semantics currently not available" << std::endl;
    // A reason that could not be written is not lost without a word: that
    // failure is reported first, in the form of every report, and the
    // refusal follows as always.
    if (!std::cout) {
      std::cerr << kivra::sProgramName << ": ERROR - " << kOutputFailed << " - " << std::strerror(errno)
                << std::endl;
    }
    // The refusal is no failure of the system: whatever errno holds is not
    // its reason.
    errno = 0;
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
    checkOutput();
  } else if (tOpt) {
    int width = problem->calculateTreeWidth();
    if (!dOpt) std::cout << "Width: ";
    std::cout << width << std::endl;
    checkOutput();
  } else if (dOpt) {
    // Without -f there is no file name: the first field stays empty.
    std::cout << (fileName != nullptr ? fileName : "") << "; " << static_cast<std::uint32_t>(seed) << "; ";
    kivra::Solution* solution = problem->calculateSolution(algorithm);
    kivra::SolutionContent* content = solution->getContent(instantiator);
    timer.printStop(std::cout);
    std::cout << "; ";
    printSolution(content, mode, problem);
    std::cout << std::endl;
    checkOutput();
  } else {
    kivra::Solution* solution = problem->calculateSolution(algorithm);
    kivra::Timer contentTimer;
    if (bOpt) {
      std::cout << "Calculating solution content... " << std::flush;
      checkOutput();
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
      checkOutput();
    }
    printSolution(content, mode, problem);
  }
  finishRun();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    run(argc, argv);
  } catch (const std::bad_alloc&) {
    // The objects of the run are never released, so nothing is left to free:
    // report the failure in the program's own form.
    memoryExhausted();
  }
}

#if KIVRA_ADDRESS_SANITIZER
// The objects of a run live until the process exits, by design: sanitizer
// builds must not report them as leaks.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif
