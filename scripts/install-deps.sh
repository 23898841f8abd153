#!/usr/bin/env bash
# Installs with apt-get whatever the build and the tests need and the machine lacks. Prints one line
# naming what it installs; apt-get's own output goes to build/logs/install-deps.log and is shown when
# the installation fails.
# Usage: install-deps.sh [build|all]   (build: the Linux build only; all: every flavour and the Wine runs)
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/logged-steps.sh
what=${1:-all}

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
want() { # want PACKAGE TEST...
  local package=$1
  shift
  "$@" || need+=("$package")
}
want cmake have_cmd cmake
want ninja-build have_cmd ninja
want g++ have_cmd g++
want libgtest-dev test -f /usr/src/googletest/CMakeLists.txt -a -f /usr/include/gtest/gtest.h
want libgmock-dev test -f /usr/include/gmock/gmock.h
want clang-format have_cmd clang-format
want libbenchmark-dev test -f /usr/include/benchmark/benchmark.h
# abkhost parses its arguments with CLI11 (header-only; the Windows builds use a copy in the build tree).
want libcli11-dev test -f /usr/include/CLI/CLI.hpp
# The Linux build compiles the dialog and string resources with mingw's windres, which preprocesses
# them with mingw's gcc against the mingw-w64 headers (windows.h, commctrl.h).
want binutils-mingw-w64-x86-64 have_cmd x86_64-w64-mingw32-windres
want mingw-w64-x86-64-dev test -f /usr/x86_64-w64-mingw32/include/windows.h
want gcc-mingw-w64-x86-64-posix have_cmd x86_64-w64-mingw32-gcc-posix
if [ "$what" = all ]; then
  # The fuzz targets (clang with libFuzzer) and the valgrind run of the integration suite.
  want clang have_cmd clang++
  want libclang-rt-14-dev sh -c 'ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1'
  want valgrind have_cmd valgrind
  want g++-mingw-w64-i686 have_cmd i686-w64-mingw32-g++-posix
  want g++-mingw-w64-x86-64 have_cmd x86_64-w64-mingw32-g++-posix
  want binutils-mingw-w64-i686 have_cmd i686-w64-mingw32-windres
  want wine64 test -x /usr/lib/wine/wine64
  want xvfb have_cmd Xvfb
  want xauth have_cmd xauth
  # Turns the dialogs' screenshots into PNG files and measures them.
  want imagemagick test -x /usr/bin/convert
fi

[ ${#need[@]} -eq 0 ] && exit 0
echo "installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
logged install-deps-update "${sudo_cmd[@]}" apt-get update -q || exit 1
logged install-deps "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${need[@]}"
