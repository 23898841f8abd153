#!/usr/bin/env bash
# The README's transcripts are what the tool prints. Each fenced block that follows a line
# "<!-- checked: tour -->" or "<!-- checked: sample -->" is run in a scratch home folder and its output
# compared with the block, line by line (trailing spaces aside):
#   tour    every line "$ COMMAND" is run with bash, abkhost being the built program on the user's
#           default book and profile; the lines up to the next "$ " are what it prints. The scratch home
#           folder prints as "~".
#   sample  the block opens with "$ ./scripts/run.sh"; the rest is what its sample-book part prints
#           (scripts/sample-book.sh, run from a scratch folder with run.sh's relative paths).
# A line "..." in a block stands for any number of lines. When the tool changes, this test fails until
# the README shows what it prints now. Last, the README's two commands report a failing step: its name,
# its exit status and why (scripts/logged-steps.sh).
# Usage: readme_test.sh PATH/TO/abkhost SOURCE_DIR
set -u
ABKHOST=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
SOURCE=$(cd "$2" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

# The fenced block after the marker of NAME, without its fences.
block() {
  awk -v marker="<!-- checked: $1 -->" '
    $0 == marker { armed = 1; next }
    armed && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$SOURCE/README.md"
}

# matches EXPECTED ACTUAL: every expected line in order, "..." standing for any run of lines.
matches() {
  local -a want got
  mapfile -t want < <(sed 's/[[:space:]]*$//' "$1")
  mapfile -t got < <(sed 's/[[:space:]]*$//' "$2")
  local i=0 j=0
  while [ $i -lt ${#want[@]} ]; do
    if [ "${want[$i]}" = "..." ]; then
      i=$((i + 1))
      if [ $i -eq ${#want[@]} ]; then return 0; fi
      while [ $j -lt ${#got[@]} ] && [ "${got[$j]}" != "${want[$i]}" ]; do j=$((j + 1)); done
    fi
    if [ $j -ge ${#got[@]} ] || [ "${got[$j]}" != "${want[$i]}" ]; then return 1; fi
    i=$((i + 1))
    j=$((j + 1))
  done
  [ $j -eq ${#got[@]} ]
}

compare() { # compare NAME: the block against what was printed
  if [ ! -s "$WORK/$1.expected" ]; then
    echo "FAIL: README.md has no block marked \"<!-- checked: $1 -->\"" >&2
    failures=$((failures + 1))
  elif ! matches "$WORK/$1.expected" "$WORK/$1.actual"; then
    echo "FAIL: the README's $1 differs from what the tool prints (- README, + printed):" >&2
    diff -u "$WORK/$1.expected" "$WORK/$1.actual" | tail -n +3 >&2
    failures=$((failures + 1))
  fi
}

# The tour: each command of the block, in order, in a home folder of its own, where the default book,
# the profile and the registry file live.
block tour >"$WORK/tour.expected"
mkdir -p "$WORK/home"
{
  grep '^\$ ' "$WORK/tour.expected" | while IFS= read -r line; do
    echo "$line"
    (cd "$WORK/home" && env -i PATH="$PATH" HOME="$WORK/home" LANG=C.UTF-8 \
      bash -c "abkhost() { \"$ABKHOST\" \"\$@\"; }; ${line#\$ }" </dev/null 2>&1)
  done
} >"$WORK/tour.raw"
sed "s|$WORK/home|~|g" "$WORK/tour.raw" >"$WORK/tour.actual"
compare tour

# The sample book, as run.sh makes and shows it.
block sample >"$WORK/sample.block"
if ! head -n 1 "$WORK/sample.block" | grep -qx '\$ ./scripts/run.sh'; then
  echo "FAIL: the sample block does not open with \"\$ ./scripts/run.sh\"" >&2
  failures=$((failures + 1))
fi
tail -n +2 "$WORK/sample.block" >"$WORK/sample.expected"
mkdir -p "$WORK/sample/build/linux"
(cd "$WORK/sample" && env -i PATH="$PATH" HOME="$WORK/sample" LANG=C.UTF-8 ABKHOST="$ABKHOST" \
  ABK_SAMPLE_CSV="$SOURCE/samples/carnet-exemple.csv" bash "$SOURCE/scripts/sample-book.sh" >"$WORK/sample.actual" 2>&1)
compare sample

# A failing step of run.sh or test.sh names itself, its status and the log's lines that say why.
(ABK_LOG_DIR=$WORK/logs && source "$SOURCE/scripts/logged-steps.sh" &&
  logged "build demo" sh -c 'echo compiling; echo "demo.cpp:3: error: expected ;"; exit 3') >"$WORK/step.out" 2>&1
status=$?
grep -q "^FAILED: build demo (exit status 3); its whole output is in $WORK/logs/build-demo.log" "$WORK/step.out" &&
  grep -q "^demo.cpp:3: error: expected ;" "$WORK/step.out" && [ $status -eq 3 ] || {
  echo "FAIL: a failing step is not reported with its status and reason (status $status):" >&2
  cat "$WORK/step.out" >&2
  failures=$((failures + 1))
}
(ABK_LOG_DIR=$WORK/logs && source "$SOURCE/scripts/logged-steps.sh" && logged quiet echo fine) >"$WORK/step.out" 2>&1
[ -s "$WORK/step.out" ] && {
  echo "FAIL: a step that works prints: $(cat "$WORK/step.out")" >&2
  failures=$((failures + 1))
}

[ $failures -eq 0 ] && echo "the README's transcripts match what the tool prints"
exit $((failures > 0))
