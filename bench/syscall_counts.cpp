// The counting stand-ins of fdatasync, fsync, stat and open, and their counts. Each forwards to the C
// library's own function. Built into the benchmark programs, and as a library to preload into another
// program (abkhost), which then prints its counts on standard error at exit when ABK_SYSCALL_COUNTS is set.
#include "bench/syscall_counts.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<long> g_flushes{0}, g_stats{0}, g_opens{0};

template <class F> F Next(const char* name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }

int OpenWith(const char* name, const char* path, int flags, va_list args) {
  g_opens++;
  mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0;
  static auto* real = Next<int (*)(const char*, int, ...)>(name);
  return real(path, flags, mode);
}

#ifdef ABK_SYSCALL_COUNTS_PRELOAD
struct PrintAtExit {
  ~PrintAtExit() {
    if (std::getenv("ABK_SYSCALL_COUNTS"))
      std::fprintf(stderr, "syscall counts: %ld flushes, %ld stats, %ld opens\n", g_flushes.load(), g_stats.load(),
                   g_opens.load());
  }
} g_print;
#endif

} // namespace

extern "C" {

int fdatasync(int fd) {
  g_flushes++;
  static auto* real = Next<int (*)(int)>("fdatasync");
  return real(fd);
}

int fsync(int fd) {
  g_flushes++;
  static auto* real = Next<int (*)(int)>("fsync");
  return real(fd);
}

int stat(const char* path, struct stat* buffer) {
  g_stats++;
  static auto* real = Next<int (*)(const char*, struct stat*)>("stat");
  return real(path, buffer);
}

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  int fd = OpenWith("open", path, flags, args);
  va_end(args);
  return fd;
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  int fd = OpenWith("open64", path, flags, args);
  va_end(args);
  return fd;
}

} // extern "C"

bench::SyscallCounts bench::CountsNow() { return {g_flushes.load(), g_stats.load(), g_opens.load()}; }
