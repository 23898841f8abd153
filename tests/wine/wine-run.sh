#!/usr/bin/env bash
# Runs one Windows test program under 64-bit Wine: the emulator that ctest uses for the win64 flavour.
# The prefix lives in the build tree and is prepared once (see prepare-prefix.sh); a display comes from
# the caller (DISPLAY), or from a private Xvfb when none is set.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${ABK_WINEPREFIX:=$here/../../build/win64/wineprefix}"
export WINEPREFIX=$ABK_WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
"$here/prepare-prefix.sh"
# Wine's own services (explorer, winedevice) start with the first program and would inherit the test's
# output pipes, keeping ctest waiting after the test ends. Start them here, with a persistent server,
# away from those pipes.
if ! pgrep -f "wineserver64 -p" >/dev/null 2>&1; then
  /usr/lib/wine/wineserver -p >/dev/null 2>&1 </dev/null || true
fi
if [ -n "${DISPLAY:-}" ]; then
  /usr/lib/wine/wine64 cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" /usr/lib/wine/wine64 "$@"
fi
exec /usr/lib/wine/wine64 "$@"
