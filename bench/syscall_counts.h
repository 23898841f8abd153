// Counts of the file-system calls that cost a process the most, taken as the calls happen: flushes
// (fdatasync, fsync), file-status calls on a path (stat) and file opens. Unlike wall times they do not
// vary from run to run. The calls are counted by functions of the same names defined in the program
// itself (or in the preloaded counting library for another program), which come before the C library's
// when the store library looks them up.
#pragma once

namespace bench {

struct SyscallCounts {
  long flushes = 0;
  long stats = 0;
  long opens = 0;
};

// Counts since the program started.
SyscallCounts CountsNow();

inline SyscallCounts operator-(const SyscallCounts& a, const SyscallCounts& b) {
  return {a.flushes - b.flushes, a.stats - b.stats, a.opens - b.opens};
}

} // namespace bench
