#!/usr/bin/env bash
# abkhost.exe under Wine: names typed with accents or outside the book's code page, output redirected as
# UTF-8, a CSV and a vCard round trip of accented names, and names found without their accents.
# Usage: abkhost_wine_test.sh WINE-RUN.sh PATH/TO/abkhost.exe
set -u
WINE_RUN=$1
ABKHOST=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
run() { # run EXPECTED_STATUS ARGS...
  local expected=$1
  shift
  "$WINE_RUN" "$ABKHOST" --book "Z:$WORK/book.adr" --profile "Z:$WORK/profile" "$@" >"$WORK/out" 2>"$WORK/err"
  local status=$?
  [ "$status" -eq "$expected" ] || fail "abkhost $* exited $status, not $expected: $(cat "$WORK/err")"
}

run 0 add person --name "Zoé Ärger" --company "Crémerie" --fax 0102030405
run 0 list --format csv
grep -qF "person,Zoé Ärger,Crémerie," "$WORK/out" || fail "the name did not come out as UTF-8: $(od -c "$WORK/out" | head)"
run 1 add person --name "日本語" --fax 0102030405
grep -qF "'日本語' holds characters the address book cannot hold" "$WORK/err" || fail "a name outside the code page was not refused by name: $(cat "$WORK/err")"
run 0 add group "Équipe" --member "Zoé Ärger"
run 0 export "Z:$WORK/first.csv"
rm -f "$WORK/book.adr"
run 0 import "Z:$WORK/first.csv"
run 0 export -
tr -d '\r' <"$WORK/out" | cmp -s - "$WORK/first.csv" || fail "the round trip changed the file: $(diff "$WORK/out" "$WORK/first.csv")"
# Typed without its accents, in any case, a name is still found, and resolves as a recipient; a vCard
# round trip keeps the accents.
run 0 find ARG --format csv
grep -qF "person,Zoé Ärger,Crémerie," "$WORK/out" || fail "find did not match without accents: $(cat "$WORK/out")"
run 0 recipients "zoe"
grep -qF "0102030405" "$WORK/out" || fail "recipients did not resolve a part of the name: $(cat "$WORK/err")"
run 0 export "Z:$WORK/book.vcf"
rm -f "$WORK/book.adr"
run 0 import "Z:$WORK/book.vcf"
run 0 show "Zoé Ärger"

[ "$failures" -eq 0 ] || exit 1
echo "abkhost under Wine: accented names behaved"
