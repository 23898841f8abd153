#!/usr/bin/env bash
# The sample book's part of the main job, once the build is done: creates the book from the sample CSV
# when it is missing, lists it, shows a group and prepares the recipients of that group. Paths print as
# given, so the README's transcript of run.sh can be checked from a scratch folder.
#   ABKHOST             the program (build/linux/bin/abkhost)
#   ABK_SAMPLE_BOOK     the book (build/linux/carnet-exemple.adr)
#   ABK_SAMPLE_PROFILE  the profile file (build/linux/abkhost-profile)
#   ABK_SAMPLE_CSV      the entries (samples/carnet-exemple.csv)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${ABKHOST:-$root/build/linux/bin/abkhost}
book=${ABK_SAMPLE_BOOK:-build/linux/carnet-exemple.adr}
profile=${ABK_SAMPLE_PROFILE:-build/linux/abkhost-profile}
csv=${ABK_SAMPLE_CSV:-samples/carnet-exemple.csv}
abkhost() { "$program" --book "$book" --profile "$profile" "$@"; }

if [ ! -f "$book" ]; then
  abkhost service create --name "Carnet d'exemple" || exit 1
  if ! abkhost import "$csv"; then
    # A half-made sample book would be taken for the real one next time.
    rm -f "$book"
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
