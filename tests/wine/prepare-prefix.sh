#!/usr/bin/env bash
# Creates the Wine prefix for the test runs once: a new 64-bit prefix, with Wine managing its own
# windows so that closing a dialog does not wait for a window manager.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${ABK_WINEPREFIX:=$here/../../build/win64/wineprefix}"
export WINEPREFIX=$ABK_WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
[ -f "$WINEPREFIX/.abk-ready" ] && exit 0
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
# A crashing test program must end, not wait in the debugger.
/usr/lib/wine/wine64 reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w || true
touch "$WINEPREFIX/.abk-ready"
