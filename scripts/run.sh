#!/usr/bin/env bash
# The main job: builds the Linux flavour and runs the substitute host on the user's default book.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build
cmake --preset linux >/dev/null
cmake --build --preset linux
exec build/linux/bin/abkhost info "$@"
