#!/usr/bin/env bash
# Builds every flavour and runs every test: formatting, the Linux suites (plain and with sanitizers),
# the shipping-form checks of the PE32 DLLs, the win64 test programs under Wine inside Xvfb, the
# threaded tests under ThreadSanitizer, the integration suite under valgrind, and each fuzz target for
# a minute from its committed seeds (ABK_FUZZ_SECONDS changes that).
#
# Each step's output goes to build/logs/STEP.log; the script prints one line per step with its time,
# and for a failing step the lines of its log that say why and the log's end. ABK_VERBOSE=1 shows every
# step's output as it runs. Every step runs even after one fails; the exit status says whether all passed.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/logged-steps.sh
bash scripts/install-deps.sh all || exit 1

failures=()
summary=()
step() { # step NAME COMMAND...
  local name=$1 started=$SECONDS result=ok
  shift
  echo "=== $name"
  if ! logged "$name" "$@"; then
    failures+=("$name")
    result=FAILED
  fi
  local spent=$((SECONDS - started))
  summary+=("$(printf '%-28s %3dm%02ds  %s' "$name" $((spent / 60)) $((spent % 60)) "$result")")
}

check_format() {
  local files
  # Every C++ file of the tree, tracked or new, that exists in the work tree.
  files=$(git ls-files -co --exclude-standard '*.cpp' '*.h' 2>/dev/null ||
    find src bkconv host tests bench fuzz -name '*.cpp' -o -name '*.h')
  local existing=()
  for f in $files; do [ -f "$f" ] && existing+=("$f"); done
  clang-format --dry-run -Werror "${existing[@]}"
}

build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1"; }

run_wine_tests() {
  local display=:$((90 + RANDOM % 100)) xvfb status
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display
  bash tests/wine/prepare-prefix.sh
  # One wineserver for the whole run keeps each program's start-up short.
  WINEPREFIX=$PWD/build/win64/wineprefix /usr/lib/wine/wineserver -p
  WINEPREFIX=$PWD/build/win64/wineprefix WINEDEBUG=-all /usr/lib/wine/wine64 cmd.exe /c exit >/dev/null 2>&1 </dev/null
  # The dialog tests photograph the dialogs as Wine draws them and fail on a picture that does not show
  # the dialog; the pictures end up as PNG files in build/win64/screenshots (docs/screenshots keeps the
  # ones the documentation shows).
  local shots=$PWD/build/win64/screenshots
  rm -rf "$shots" && mkdir -p "$shots"
  ABK_SCREENSHOT_DIR="Z:$shots" ctest --preset win64
  status=$?
  for bmp in "$shots"/*.bmp; do
    [ -f "$bmp" ] && /usr/bin/convert "$bmp" -strip "${bmp%.bmp}.png" && rm -f "$bmp"
  done
  WINEPREFIX=$PWD/build/win64/wineprefix /usr/lib/wine/wineserver -k || true
  kill "$xvfb" 2>/dev/null || true
  return $status
}

step format check_format
for preset in linux linux-asan win32 win64; do
  step "build $preset" build $preset
done
step "test linux" ctest --preset linux
step "test linux-asan" ctest --preset linux-asan
step "test win32 shipping form" ctest --preset win32
step "test win64 under wine" run_wine_tests
step "threads under tsan" bash scripts/tsan.sh
step "integration under valgrind" bash scripts/valgrind.sh
step "fuzz targets" bash scripts/fuzz.sh "${ABK_FUZZ_SECONDS:-60}"
# What each fuzz target ran, failed or not.
sed -n '/^target /,$p' "$(log_file "fuzz targets")"

echo
printf '%s\n' "${summary[@]}"
if [ ${#failures[@]} -ne 0 ]; then
  echo "FAILED: ${failures[*]} (logs in build/logs)"
  exit 1
fi
echo "every flavour passed in $((SECONDS / 60))m$((SECONDS % 60))s"
