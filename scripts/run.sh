#!/usr/bin/env bash
# The main job: builds the Linux flavour if needed, creates the sample book from samples/carnet-exemple.csv
# when it is missing, lists it, shows a group and prepares the recipients of that group.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build
if [ ! -x build/linux/bin/abkhost ]; then cmake --preset linux >/dev/null; fi
cmake --build --preset linux >/dev/null
BOOK=${ABK_SAMPLE_BOOK:-build/linux/carnet-exemple.adr}
abkhost() { build/linux/bin/abkhost --book "$BOOK" --profile build/linux/abkhost-profile "$@"; }
if [ ! -f "$BOOK" ]; then
  abkhost service create --name "Carnet d'exemple"
  abkhost import samples/carnet-exemple.csv
fi
echo "\$ abkhost list"
abkhost list
echo
echo "\$ abkhost show \"Comité de direction\""
abkhost show "Comité de direction"
echo
echo "\$ abkhost recipients \"Comité de direction\""
abkhost recipients "Comité de direction"
