// An allocation-failure shim for LD_PRELOAD: counts the heap allocations a
// program makes from the start of main and, from the k-th one on, fails every
// one of them as an exhausted heap does (a null result, errno ENOMEM).
//
//   ZELKOVANT_FAIL_ALLOC_AT=k       the first allocation to fail (1 = the first
//                                   one main makes); unset or 0: none fails
//   ZELKOVANT_ALLOC_COUNT_FILE=path at exit, the number of allocations counted
//                                   is written to this file in decimal
//   ZELKOVANT_FAIL_ALLOC_BEFORE_MAIN=1  every allocation before main fails
//
// Allocations before main (the dynamic loader, the start-up of the C and C++
// runtimes, static constructors) are not counted and, unless asked, never
// fail. A program cannot report anything there, so its static constructors
// must not allocate; the runtimes cope with a failure there. Every allocating entry of the C library is
// covered (operator new and the C++ runtime allocate through them); the C
// library calls these same entries for its own allocations (fopen, strdup,
// stdio buffers). The real allocator is reached through its __libc_ names, so
// that nothing here needs the dynamic loader to find it.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);
}

namespace {

bool armed = false;                 // main has started
bool failBeforeMain = false;        // allocations before main fail
unsigned long counted = 0;          // allocations since then
unsigned long failFrom = 0;         // 0: never fail
const char* countFile = nullptr;

// Whether the allocation about to be made must fail; counts it.
bool failNext() {
  if (!armed) {
    if (failBeforeMain) errno = ENOMEM;
    return failBeforeMain;
  }
  ++counted;
  if (failFrom != 0 && counted >= failFrom) {
    errno = ENOMEM;
    return true;
  }
  return false;
}

unsigned long parseCount(const char* text) {
  unsigned long value = 0;
  if (text == nullptr) return 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + static_cast<unsigned long>(*text - '0');
  return value;
}

// Written with system calls only: the heap may be failing by now.
void writeCount() {
  if (countFile == nullptr) return;
  int fd = open(countFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  char digits[32];
  int n = 0;
  unsigned long value = counted;
  do {
    digits[sizeof digits - 1 - n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  ssize_t ignored = write(fd, digits + sizeof digits - n, static_cast<std::size_t>(n));
  (void)ignored;
  close(fd);
}

// Runs before the program's own static constructors: libraries are set up
// before the program that needs them.
__attribute__((constructor)) void readStartUpSetting() {
  const char* value = getenv("ZELKOVANT_FAIL_ALLOC_BEFORE_MAIN");
  failBeforeMain = value != nullptr && value[0] == '1';
}

using MainFunction = int (*)(int, char**, char**);
MainFunction realMain = nullptr;

int armedMain(int argc, char** argv, char** envp) {
  failFrom = parseCount(getenv("ZELKOVANT_FAIL_ALLOC_AT"));
  countFile = getenv("ZELKOVANT_ALLOC_COUNT_FILE");
  // Runs after every exit handler the program registers in main.
  atexit(writeCount);
  armed = true;
  return realMain(argc, argv, envp);
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) { return failNext() ? nullptr : __libc_malloc(size); }

void* calloc(std::size_t count, std::size_t size) { return failNext() ? nullptr : __libc_calloc(count, size); }

// A resize to nothing frees the block: it allocates nothing.
void* realloc(void* block, std::size_t size) {
  if (block != nullptr && size == 0) return __libc_realloc(block, 0);
  return failNext() ? nullptr : __libc_realloc(block, size);
}

void* reallocarray(void* block, std::size_t count, std::size_t size) {
  std::size_t total;
  if (__builtin_mul_overflow(count, size, &total)) {
    errno = ENOMEM;
    return nullptr;
  }
  return realloc(block, total);
}

void* memalign(std::size_t alignment, std::size_t size) {
  return failNext() ? nullptr : __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }

int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
  if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
  if (failNext()) return ENOMEM;
  void* block = __libc_memalign(alignment, size);
  if (block == nullptr) return ENOMEM;
  *result = block;
  return 0;
}

void* valloc(std::size_t size) { return failNext() ? nullptr : __libc_valloc(size); }

void* pvalloc(std::size_t size) { return failNext() ? nullptr : __libc_pvalloc(size); }

// The program's main is reached through the C library's start routine: the
// wrapper around it arms the counter.
int __libc_start_main(MainFunction main, int argc, char** argv, void (*init)(), void (*fini)(),
                      void (*rtldFini)(), void* stackEnd) {
  using Start = int (*)(MainFunction, int, char**, void (*)(), void (*)(), void (*)(), void*);
  auto start = reinterpret_cast<Start>(dlsym(RTLD_NEXT, "__libc_start_main"));
  realMain = main;
  return start(armedMain, argc, argv, init, fini, rtldFini, stackEnd);
}

}  // extern "C"
