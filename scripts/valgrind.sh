#!/usr/bin/env bash
# The integration suite once under valgrind's memcheck, on the plain linux preset: any invalid read or
# write, use of uninitialised memory or bad free fails the run, and so does a definite or indirect leak.
# "Still reachable" blocks (allocated once and kept for the process's life) are not leaks here.
# Origins of uninitialised values are not tracked: it doubles the run time, and a failure can be
# rerun by hand with --track-origins=yes.
#
# The whole suite runs: it has no test on a book of thousands of entries, and under memcheck it takes
# about fifteen seconds on the two-processor development machine (the build, when needed, takes
# longer). Extra arguments go to the test program (e.g. --gtest_filter=Concurrency*).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target integration_tests

cd build/linux/bin
valgrind --quiet --error-exitcode=1 --leak-check=full --show-leak-kinds=definite,indirect \
  --errors-for-leak-kinds=definite,indirect --track-origins=no --num-callers=30 \
  --suppressions="$OLDPWD/tests/valgrind.supp" ./integration_tests "$@"
