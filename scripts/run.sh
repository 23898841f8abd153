#!/usr/bin/env bash
# The main job: builds the Linux flavour if needed, creates the sample book from samples/carnet-exemple.csv
# when it is missing, lists it, shows a group and prepares the recipients of that group.
# Installing and building say nothing when they work; when a step fails, its name and the end of its
# log (build/logs) are printed and the script exits non-zero.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/logged-steps.sh
bash scripts/install-deps.sh build || exit 1
if [ ! -f build/linux/build.ninja ]; then logged configure-linux cmake --preset linux || exit 1; fi
logged build-linux cmake --build --preset linux || exit 1

BOOK=${ABK_SAMPLE_BOOK:-build/linux/carnet-exemple.adr}
abkhost() { build/linux/bin/abkhost --book "$BOOK" --profile build/linux/abkhost-profile "$@"; }
if [ ! -f "$BOOK" ]; then
  abkhost service create --name "Carnet d'exemple" || exit 1
  if ! abkhost import samples/carnet-exemple.csv; then
    # A half-made sample book would be taken for the real one next time.
    rm -f "$BOOK"
    exit 1
  fi
fi
set -e
echo "\$ abkhost list"
abkhost list
echo
echo "\$ abkhost show \"Comité de direction\""
abkhost show "Comité de direction"
echo
echo "\$ abkhost recipients \"Comité de direction\""
abkhost recipients "Comité de direction"
