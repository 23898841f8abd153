#!/usr/bin/env bash
# The threaded tests under ThreadSanitizer: configures the linux-tsan preset, builds only the test
# programs it runs, and runs them with the first race stopping the program (tests/tsan.supp would hold the
# races the design accepts).
#
# What runs: the whole integration suite (its concurrency tests put several threads on one session,
# container, contents-table view, person and group, with deletions under readers; the rest takes
# seconds more), the store library's tests (several threads and handles on one book) and the platform
# layer's kernel tests (critical sections, per-thread last error). The unit and dialog suites have no
# threads: building them under ThreadSanitizer would cost minutes for nothing it could find.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux-tsan >/dev/null
cmake --build --preset linux-tsan -j2 --target integration_tests store_tests platform_test

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"
ctest --preset linux-tsan -R '^(integration_tests|store_tests|Kernel\..*)$'
