#!/usr/bin/env bash
# abkhost as a person uses it: every command run as a process against a scratch book and profile.
# Usage: abkhost_test.sh PATH/TO/abkhost SAMPLE.csv
set -u
ABKHOST=$1
SAMPLE=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export ABK_REGISTRY_FILE=$WORK/registry
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# run NAME EXPECTED_STATUS ARGS...: runs abkhost on the scratch book, keeps stdout and stderr.
run() {
  local expected=$1
  shift
  "$ABKHOST" --book "$WORK/book.adr" --profile "$WORK/profile" "$@" >"$WORK/out" 2>"$WORK/err"
  local status=$?
  [ "$status" -eq "$expected" ] || fail "abkhost $* exited $status, not $expected: $(cat "$WORK/err")"
}
expect_out() { grep -qF -- "$1" "$WORK/out" || fail "stdout lacks '$1': $(cat "$WORK/out")"; }
expect_err() { grep -qF -- "$1" "$WORK/err" || fail "stderr lacks '$1': $(cat "$WORK/err")"; }

# Help on every command.
for command in service info list show add edit delete recipients import export; do
  run 0 "$command" --help
  expect_out "usage: abkhost"
done
run 2 frobnicate
expect_err "unknown command"

# The service and its profile file.
run 0 service create --name "Fax du siège"
expect_out "Service created: Fax du siège"
grep -q "^file_path=$WORK/book.adr" "$WORK/profile" || fail "the profile file lacks the book"
grep -q "^service_uid=[0-9A-F]\{32\}$" "$WORK/profile" || fail "the profile file lacks the service identifier"
run 0 service configure --name "Télécopies"
expect_out "Service configured: Télécopies"
run 1 service configure --name "   "
expect_err "$(printf 'nom')"
run 0 info
expect_out "PR_DISPLAY_NAME      Télécopies"

# Persons through the person dialog, refused ones with the dialog's message.
run 0 add person --first Héloïse --last Dupré --company "Crémerie" --fax 0102030405 --fax-desc Bureau \
  --fax2 0607080910 --fax2-desc Maison --keyword client
expect_out "Added person"
run 0 add person --name "Zoé Fénelon" --fax 0499887766
run 1 add person --name "Sans Numéro"
expect_err "télécopie"
run 1 add person --name "Noël" --fax "01@02"
expect_err "caractères non valides"
run 1 add person --fax 0102
expect_err "nom"
run 0 list --format csv
expect_out "person,Héloïse Dupré,Crémerie,,0102030405,Bureau,0607080910,Maison,client"
grep -q "Sans Numéro\|Noël" "$WORK/out" && fail "a refused person was written"
person=$(grep "Héloïse Dupré" "$WORK/out" | cut -d, -f1)
# A save the book cannot take is reported, and the book keeps what it had.
cp "$WORK/book.adr" "$WORK/before-fault.adr"
BKCONV_TEST_FAULT=1:io run 1 edit person "Zoé Fénelon" --company Orvex
expect_err "cannot be read or written"
BKCONV_TEST_FAULT=1:full run 1 add person --name "Pleine" --fax 0102030405
expect_err "the disk is full"
cmp -s "$WORK/book.adr" "$WORK/before-fault.adr" || fail "a failed save changed the book"
run 0 edit person "$person" --company "Société Générale" --fax2 ""
run 0 show "$person"
expect_out "PR_COMPANY_NAME                Société Générale"
expect_out "PR_BUSINESS_FAX_NUMBER         0102030405"
run 1 edit person "$person" --fax ""
expect_err "télécopie"

# Groups through the group dialog.
run 0 add group "Équipe" --member "Héloïse Dupré" --member "Zoé Fénelon:primary"
expect_out "Added group"
run 1 add group "Vide"
expect_err "membre"
run 1 add group "Fantôme" --member "Personne Inconnue"
expect_err "Personne Inconnue"
run 0 list --group "Équipe" --format json
expect_out '"name": "Zoé Fénelon"'
run 0 edit group "Équipe" --name "Équipe Rennes" --remove "Zoé Fénelon"
run 0 show "Équipe Rennes"
expect_out "members (1):"
run 0 recipients "Équipe Rennes" "Zoé Fénelon"
expect_out "0102030405"
expect_out "0499887766"
run 1 recipients "Personne"
expect_err "no entry named"

# Delete.
zoe=$("$ABKHOST" --book "$WORK/book.adr" list --format csv | grep "Zoé" | cut -d, -f1)
run 0 delete "$zoe"
expect_out "Deleted person $zoe: Zoé Fénelon"
run 1 delete 999999
run 0 list
grep -q "Zoé" "$WORK/out" && fail "the deleted person is still listed"

# CSV round trip: the sample book, exported, imported into an empty book, exported again.
rm -f "$WORK/book.adr"
run 0 import "$SAMPLE"
run 0 export "$WORK/first.csv"
run 0 list --format csv
cp "$WORK/out" "$WORK/first-list.csv"
rm -f "$WORK/book.adr"
run 0 import "$WORK/first.csv"
run 0 export "$WORK/second.csv"
cmp -s "$WORK/first.csv" "$WORK/second.csv" || fail "the round trip changed the book: $(diff "$WORK/first.csv" "$WORK/second.csv")"
grep -qF "person,Héloïse Dupré,Héloïse,Dupré,Société Générale des Fromages,Comptabilité,0140000000,Bureau,06-10-00-00-00,Domicile" \
  "$WORK/second.csv" || fail "accents or the second fax number were lost"
[ "$(wc -l <"$WORK/second.csv")" -eq "$(wc -l <"$SAMPLE")" ] || fail "the round trip lost entries"

# A group's choice of number survives the import: one member by its second number, one by its first.
cat >"$WORK/choice.csv" <<'CSV'
type,name,first,last,company,department,fax,fax_description,fax2,fax2_description,keyword,members
person,Éloi Marchand,,,,,01-11,Bureau,06-22,Portable,,
person,Inès Roux,,,,,01-33,,06-44,,,
group,Astreinte,,,,,,,,,,Éloi Marchand:secondary;Inès Roux:primary
CSV
rm -f "$WORK/book.adr"
run 0 import "$WORK/choice.csv"
run 0 recipients Astreinte
expect_out "06-22"
expect_out "01-33"
grep -qF "01-11" "$WORK/out" && fail "the unchosen first number of Éloi Marchand is a recipient"
grep -qF "06-44" "$WORK/out" && fail "the unchosen second number of Inès Roux is a recipient"
run 0 export "$WORK/choice-out.csv"
grep -qF "Éloi Marchand:secondary;Inès Roux:primary" "$WORK/choice-out.csv" ||
  grep -qF "Inès Roux:primary;Éloi Marchand:secondary" "$WORK/choice-out.csv" ||
  fail "the export lost the chosen numbers: $(cat "$WORK/choice-out.csv")"

# Import with bad rows: each reported with its reason, the others written.
cat >"$WORK/bad.csv" <<'CSV'
type,name,first,last,company,department,fax,fax_description,fax2,fax2_description,keyword,members
person,Aurélie Bon,,,,,0102030405,,,,,
person,Sans Fax,,,,,,,,,,
person,Mauvais Numéro,,,,,01#é2,,,,,
robot,R2,,,,,,,,,,
group,,,,,,,,,,,Aurélie Bon
group,Amis,,,,,,,,,,Aurélie Bon;Inconnu
CSV
rm -f "$WORK/book.adr"
run 1 import "$WORK/bad.csv"
expect_out "Imported 2 entries"
expect_err "line 3: Entrez le numéro de télécopie."
expect_err "line 4:"
expect_err "line 5: unknown type 'robot'"
expect_err "line 6:"
expect_err "line 7: member 'Inconnu'"
run 0 list --group Amis --format csv
expect_out "Aurélie Bon"

# A group that names a group defined further down: each group with its members is one transaction,
# the later group made in it, and no row is refused.
cat >"$WORK/nested.csv" <<'CSV'
type,name,first,last,company,department,fax,fax_description,fax2,fax2_description,keyword,members
person,Aurélie Bon,,,,,0102030405,,,,,
group,Tous,,,,,,,,,,Équipe;Aurélie Bon
group,Équipe,,,,,,,,,nuit,Aurélie Bon
CSV
rm -f "$WORK/book.adr"
run 0 import "$WORK/nested.csv"
expect_out "Imported 3 entries"
run 0 list --group Tous --format csv
expect_out "group,Équipe"
run 0 show "Équipe"
expect_out "PR_COMMENT                     nuit"

# Check and repair: a sound book, then one with a byte damaged in the middle of its transactions.
run 0 check
expect_out "The book is sound: 3 entries"
for name in Bruno Chloé Denis Emma; do run 0 add person --name "$name" --fax 0102030405; done
size=$(stat -c %s "$WORK/book.adr")
printf '\xff' | dd of="$WORK/book.adr" bs=1 seek=$((size * 2 / 3)) conv=notrunc status=none
cp "$WORK/book.adr" "$WORK/damaged-copy.adr"
# A damaged book is never shown as an empty one, and nothing is written to it.
run 1 list
expect_err "the book is damaged"
run 1 add person --name "Fanny" --fax 0102030405
expect_err "the book is damaged"
run 1 edit person Bruno --company Orvex
cmp -s "$WORK/book.adr" "$WORK/damaged-copy.adr" || fail "the damaged book was written to"
run 1 check
expect_out "The book is damaged from byte"
run 0 repair
expect_out "Repaired: kept"
expect_out "lost 1 transaction"
cmp -s "$WORK/book.adr.damaged" "$WORK/damaged-copy.adr" || fail "the damaged book was not kept as it was"
run 0 list --format csv
[ "$(grep -c '^[0-9]' "$WORK/out")" -eq 6 ] || fail "the repair did not keep every other entry: $(cat "$WORK/out")"
run 0 check
expect_out "The book is sound"

[ "$failures" -eq 0 ] || exit 1
echo "abkhost: every command behaved"
