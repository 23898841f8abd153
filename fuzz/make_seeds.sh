#!/usr/bin/env bash
# Rewrites the committed seed corpus under fuzz/corpus/ with the linux-fuzz build's seed writer.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ ! -f build/linux-fuzz/CMakeCache.txt ]]; then
  cmake --preset linux-fuzz >/dev/null
fi
cmake --build --preset linux-fuzz -j2 --target fuzz_make_seeds
rm -rf fuzz/corpus
build/linux-fuzz/bin/fuzz_make_seeds fuzz/corpus
find fuzz/corpus -type f | sort
