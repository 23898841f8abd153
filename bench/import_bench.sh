#!/usr/bin/env bash
# Importing 2700 persons and 300 groups of eight members (the 3000 entries a book holds) with abkhost into a
# new book, and what it costs: the wall time and, counted by a preloaded library, the flushes, file-status
# calls and file opens; then the same book exported as vCard and imported into another new book.
#   cmake --build --preset linux --target abkhost abk_syscall_counts_preload && bench/import_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/linux/bin
work=$(mktemp -d)
# On a failure the import's last words say why.
finish() {
  local status=$?
  [ "$status" -eq 0 ] || tail -3 "$work/err" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT
{
  echo "type,name,first,last,company,department,fax,fax_description,fax2,fax2_description,keyword,members"
  for i in $(seq 1 2700); do
    echo "person,Person $i,First $i,Last $i,Company $((i % 50)),Dept,01-23-45-$i,office,06-78-90-$i,home,kw,"
  done
  for g in $(seq 1 300); do
    members=""
    for m in $(seq 0 7); do members+="Person $(((g * 8 + m) % 2700 + 1));"; done
    echo "group,Group $g,,,,,,,,,team,${members%;}"
  done
} >"$work/book.csv"
# timed_import FILE BOOK: imports FILE into a new BOOK with the calls counted, and prints the counts and the
# wall time.
timed_import() {
  local start end
  start=$(date +%s.%N)
  ABK_SYSCALL_COUNTS=1 LD_PRELOAD="$PWD/$bin/libabk_syscall_counts_preload.so" \
    "$bin/abkhost" --book "$2" --profile "$work/profile" import "$1" 2>"$work/err"
  end=$(date +%s.%N)
  grep "syscall counts" "$work/err"
  awk -v s="$start" -v e="$end" -v f="$(basename "$1")" -v b="$(stat -c %s "$1")" \
    'BEGIN { printf "%s (%d bytes) imported in %.2f s\n", f, b, e - s }'
}
timed_import "$work/book.csv" "$work/book.adr"
"$bin/abkhost" --book "$work/book.adr" --profile "$work/profile" export "$work/book.vcf" 2>/dev/null
timed_import "$work/book.vcf" "$work/cards.adr"
