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
for command in service info list find show add edit delete recipients import export; do
  run 0 "$command" --help
  expect_out "Usage: abkhost"
done
run 2 frobnicate
expect_err "unknown command 'frobnicate'"
run 0 --version
expect_out "abkhost "
# A missing value is named as such, and is a usage error.
run 2 add person --name
expect_err "--name"
# The service makes the book's folder when it is missing.
"$ABKHOST" --book "$WORK/new/folder/book.adr" --profile "$WORK/profile2" service create >/dev/null 2>"$WORK/err" ||
  fail "service create did not make the book's folder: $(cat "$WORK/err")"

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
expect_err "'@' is not allowed"
run 1 add person --name "Noël" --fax "+33 1"
expect_err "'+' is not allowed"
run 1 add person --name "Emoji 😀" --fax 0102
expect_err "cannot hold"
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
expect_err "no entry matches 'Personne'"

# Finding people by the start of a name or of a word in it, a given name, surname or company; case and
# accents do not count. recipients takes such a part when it stands for one entry only.
run 0 find heloise
expect_out "Héloïse Dupré"
run 0 find SOCIETE --format csv
expect_out ",person,Héloïse Dupré,"
run 1 find fen --group "Équipe Rennes" --format json
expect_out "[]"
run 1 find xyz
expect_err "nothing matches 'xyz'"
run 0 recipients dupr fénelon
expect_out "0102030405"
expect_out "0499887766"
run 0 add person --name "Zoé Martin" --fax 0101
run 1 recipients zoe
expect_err "'zoe' matches 2 entries"
run 0 delete "Zoé Martin"

# Delete.
zoe=$("$ABKHOST" --book "$WORK/book.adr" list --format csv | grep "Zoé" | cut -d, -f1)
run 0 delete "$zoe" "$zoe"
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
# Imported again, every entry is found present, groups holding groups too, by name and as vCard.
run 0 import "$SAMPLE"
expect_out "Imported 0 entries, 36 already present"
run 0 export "$WORK/again.vcf"
run 0 import "$WORK/again.vcf"
expect_out "Imported 0 entries, 36 already present"

# vCard round trips: the sample book (accented names, groups choosing numbers, a group of groups) as 4.0
# (chosen by the name, in any case) and 3.0, each imported into a new book and exported again to the same
# bytes, and the new book exported as CSV the same as the sample's.
rm -f "$WORK/book.adr"
run 0 import "$SAMPLE"
run 0 export "$WORK/sample.csv"
run 0 export "$WORK/first.VCF"
run 0 export --vcard-version 3.0 "$WORK/first-3.vcf"
[ "$(grep -c $'\r$' "$WORK/first.VCF")" -eq "$(wc -l <"$WORK/first.VCF")" ] || fail "a vCard line does not end with CRLF"
for version in 4.0 3.0; do
  first=$WORK/first.VCF
  [ "$version" = 3.0 ] && first=$WORK/first-3.vcf
  rm -f "$WORK/book.adr"
  run 0 import "$first"
  expect_out "Imported 36 entries"
  run 0 export --format vcard --vcard-version "$version" -
  cmp -s "$WORK/out" "$first" || fail "the vCard $version round trip changed the file: $(diff "$WORK/out" "$first")"
  run 0 export "$WORK/again.csv"
  cmp -s "$WORK/again.csv" "$WORK/sample.csv" ||
    fail "the vCard $version round trip lost something: $(diff "$WORK/again.csv" "$WORK/sample.csv")"
done
# What a card cannot bring is refused with its line, and nothing is written.
cat >"$WORK/refused.vcf" <<'VCF'
BEGIN:VCARD
VERSION:3.0
FN:Sans Fax
TEL;TYPE=cell:0600
END:VCARD
BEGIN:VCARD
VERSION:4.0
FN:Trois Fax
TEL;TYPE=fax,work:01
TEL;TYPE=fax,home:02
TEL;TYPE=fax:03
END:VCARD
VCF
rm -f "$WORK/book.adr"
run 1 import "$WORK/refused.vcf"
expect_err "line 1: Entrez le numéro de télécopie."
expect_err "line 11: a third fax number ('03'); the book keeps two for each person"
expect_err "warning: line 4: ignored, as the book has no place for them: TEL (not fax)"
expect_err "nothing was imported: 2 problems"
# Asked to, import leaves out the persons without a fax number and names them; a third number still refuses.
run 1 import --with-fax-only "$WORK/refused.vcf"
expect_err "line 1: 'Sans Fax' left out: no fax number"
expect_err "nothing was imported: 1 problem"
head -5 "$WORK/refused.vcf" >"$WORK/nofax.vcf"
printf 'BEGIN:VCARD\nVERSION:4.0\nFN:Avec Fax\nTEL;TYPE=fax:0102\nEND:VCARD\n' >>"$WORK/nofax.vcf"
run 0 import --with-fax-only "$WORK/nofax.vcf"
expect_out "Imported 1 entry, 1 left out without a fax number"
# A phone's 2.1 card, its name in quoted-printable ISO-8859-1, read as vCard whatever the file's name; a
# second import finds it present.
printf '%s\r\n' BEGIN:VCARD VERSION:2.1 'N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Aub=E9;No=EBl' \
  'TEL;FAX:0102' END:VCARD >"$WORK/phone.txt"
run 0 import --format vcard "$WORK/phone.txt"
run 0 show "Noël Aubé"
expect_out "0102"
run 0 import --format vcard "$WORK/phone.txt"
expect_out "Imported 0 entries, 1 already present"

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

# Import with bad rows: every one reported with its line and reason, and nothing written.
cat >"$WORK/bad.csv" <<'CSV'
type,name,first,last,company,department,fax,fax_description,fax2,fax2_description,keyword,members
person,Aurélie Bon,,,,,0102030405,,,,,
person,Sans Fax,,,,,,,,,,
person,Mauvais Numéro,,,,,01#é2,,,,,
robot,R2,,,,,,,,,,
group,,,,,,,,,,,Aurélie Bon
group,Amis,,,,,,,,,,Aurélie Bon;Inconnu
person,Court,0102
person,"Pas fermé,,,,,,0102030405,,,,,
person,Après,,,,,0102030405,,,,,
CSV
rm -f "$WORK/book.adr"
run 1 import "$WORK/bad.csv"
expect_err "line 3: Entrez le numéro de télécopie."
expect_err "line 4:"
expect_err "line 5: unknown type 'robot'"
expect_err "line 6: Entrez le nom du groupe."
expect_err "line 7: member 'Inconnu' is neither in the file nor in the address book"
expect_err "line 8: 3 columns instead of 12"
expect_err "line 9: quote opened on line 9 is not closed"
expect_err "nothing was imported: 7 problems"
run 0 list --format csv
grep -q "Aurélie" "$WORK/out" && fail "an import with problems wrote entries"

# What the dialogs refuse, import refuses too: a cycle of groups, a group of more than 256.
cat >"$WORK/cycle.csv" <<'CSV'
type,name,fax,members
person,Aurélie Bon,0102030405,
group,GA,,GB;Aurélie Bon
group,GB,,GA
CSV
run 1 import "$WORK/cycle.csv"
expect_err "line 3: Le groupe ajouté en tant que membre du groupe comprend le groupe en cours de modification."
awk 'BEGIN { print "type,name,fax,members"; for (i = 0; i < 300; i++) { print "person,P" i ",01" i ","; m = m (i ? ";" : "") "P" i }
  print "group,Grand,," m }' >"$WORK/big.csv"
run 1 import --dry-run "$WORK/big.csv"
expect_err "line 302: Nombre de membres enregistrés trop important."

# Files as spreadsheets write them: a byte order mark, semicolons, CR LF, Windows-1252.
printf '\xef\xbb\xbfType;Display name;Fax;Members\r\nperson;Zoé Ärger;0102;\r\n' >"$WORK/excel.csv"
run 0 import --dry-run "$WORK/excel.csv"
expect_out "Would import 1 persons and 0 groups"
printf 'type;name;fax\r\nperson;Zo\xe9 \xc4rger;0102\r\n' >"$WORK/ansi.csv"
run 0 import "$WORK/ansi.csv"
expect_err "not UTF-8; it was read as Windows-1252"
run 0 show "Zoé Ärger"
run 0 --output-encoding windows-1252 list --format csv
grep -q "$(printf 'Zo\xe9 \xc4rger')" "$WORK/out" || fail "--output-encoding windows-1252 did not write Windows-1252"
# Run again, the entry is present and not added twice.
run 0 import "$WORK/ansi.csv"
expect_out "Imported 0 entries, 1 already present"
run 0 list --format csv
[ "$(grep -c "Zoé Ärger" "$WORK/out")" -eq 1 ] || fail "a second import doubled an entry"

# Names holding the separator or quotes, and two persons of one name, come back to the same bytes; a
# control character is shown escaped, never sent to the terminal.
cat >"$WORK/names.csv" <<'CSV'
type,name,fax,fax2,members,id
person,"Smith; John",0101,,,1
person,Bob,0202,0203,,2
person,Bob,0303,,,3
person,"Dit ""le grand""",0404,,,4
group,Équipe,,,"""Smith; John"";#2:secondary;#3;""Dit """"le grand"""""";Vide?",5
group,Vide?,,,#3,6
CSV
rm -f "$WORK/book.adr"
run 0 import "$WORK/names.csv"
run 0 export "$WORK/names-1.csv"
rm -f "$WORK/book.adr"
run 0 import "$WORK/names-1.csv"
run 0 export -
cmp -s "$WORK/out" "$WORK/names-1.csv" || fail "duplicate or quoted names changed in a round trip: $(diff "$WORK/out" "$WORK/names-1.csv")"
expect_err "Exported 6 entries to the standard output"
run 0 recipients Équipe
expect_out "0203"
grep -qF "0202" "$WORK/out" && fail "the unchosen number of the first Bob is a recipient"
run 1 show Bob
expect_err "2 entries are named 'Bob': 2 (person), 3 (person)"
run 0 add group Bobs --member 3
run 0 add person --name "$(printf 'Evil\033[2J')" --fax 0102
run 0 list
expect_out 'Evil\e[2J'
grep -q "$(printf '\033')" "$WORK/out" && fail "a control character reached the terminal"

# Export never writes over the book, whatever the name, and replaces its target whole.
cp "$WORK/book.adr" "$WORK/before-export.adr"
run 1 export "$WORK/book.adr"
expect_err "is the address book itself"
run 1 export "$WORK/before-export.adr"
expect_err "is an address book"
cmp -s "$WORK/book.adr" "$WORK/before-export.adr" || fail "an export onto the book changed it"
ls "$WORK" | grep -q "abkhost-tmp" && fail "export left its temporary file"

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
