#!/usr/bin/env bash
# Runs every libFuzzer target of the linux-fuzz preset for SECONDS each (default 60), from a scratch
# copy of the committed seed corpus, and prints the executions of each. Exits non-zero when a target
# found a crash, a leak or a timeout; the input that did it is kept and its path printed.
#   scripts/fuzz.sh [SECONDS]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(entry_ids recipients props tables store)

if [[ ! -f build/linux-fuzz/CMakeCache.txt ]]; then
  cmake --preset linux-fuzz >/dev/null || exit 1
fi
cmake --build --preset linux-fuzz -j2 || exit 1

scratch=$PWD/build/linux-fuzz/fuzz-run
rm -rf "$scratch"
mkdir -p "$scratch"
# The programs' books, in memory when possible; gone when the script ends, whatever the programs did.
ABK_FUZZ_SCRATCH=$(mktemp -d /dev/shm/abk-fuzz-run.XXXXXX 2>/dev/null || mktemp -d)
export ABK_FUZZ_SCRATCH
trap 'rm -rf "$ABK_FUZZ_SCRATCH"' EXIT
summary=()
failed=0
for target in "${targets[@]}"; do
  work=$scratch/$target
  mkdir -p "$work/corpus" "$work/artifacts"
  cp fuzz/corpus/"$target"/* "$work/corpus/" 2>/dev/null
  echo "=== fuzz_$target for ${seconds}s"
  # Each run's log and findings stay in the scratch folder.
  build/linux-fuzz/bin/fuzz_"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1
  status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
  finding=$(ls "$work"/artifacts/* 2>/dev/null | head -1)
  if [[ $status -ne 0 || -n $finding ]]; then
    failed=1
    result="FAILED (exit $status) ${finding:-see $work/log}"
    grep -m 5 -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|host blocks|bad frees)' "$work/log"
  else
    result=ok
  fi
  summary+=("$(printf '%-12s %12s  %s' "$target" "${executions:-?}" "$result")")
done

echo
printf '%-12s %12s  %s\n' target executions result
for line in "${summary[@]}"; do echo "$line"; done
exit $failed
