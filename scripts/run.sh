#!/usr/bin/env bash
# The main job: builds the Linux flavour if needed, then creates the sample book from
# samples/carnet-exemple.csv when it is missing, lists it, shows a group and prepares the recipients of
# that group (scripts/sample-book.sh). Installing and building say nothing when they work; when a step
# fails, its name and the end of its log (build/logs) are printed and the script exits non-zero.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/logged-steps.sh
bash scripts/install-deps.sh build || exit 1
if [ ! -f build/linux/build.ninja ]; then logged configure-linux cmake --preset linux || exit 1; fi
logged build-linux cmake --build --preset linux || exit 1
exec bash scripts/sample-book.sh
