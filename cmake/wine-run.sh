#!/bin/bash
# Runs a Windows program under 64-bit wine, quietly and headless.
# The prefix lives in the build folder (VELMORA_WINEPREFIX overrides it);
# a wineserver kept alive with -p makes each run take a fraction of a second.
# Without a DISPLAY a private Xvfb is started and left for later runs.
set -u
exe="$1"; shift
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "$(dirname "$exe")" && pwd)"
while [ "$build" != "/" ] && [ ! -f "$build/CMakeCache.txt" ]; do build="$(dirname "$build")"; done
[ "$build" = "/" ] && build="$(cd "$(dirname "$exe")" && pwd)"
export WINEPREFIX="${VELMORA_WINEPREFIX:-$build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINE64="${WINE64:-/usr/lib/wine/wine64}"
[ -x "$WINE64" ] || WINE64="$(command -v wine64 || command -v wine)"
WINESERVER="${WINESERVER:-/usr/lib/wine/wineserver}"
[ -x "$WINESERVER" ] || WINESERVER="$(command -v wineserver)"
if [ -z "${DISPLAY:-}" ]; then
    source "$here/xvfb-display.sh"
fi
mkdir -p "$WINEPREFIX"
# Set a new prefix up once, with its output away from the caller's pipes:
# the services wine starts there outlive this run (the persistent server
# keeps them) and would hold the test runner's output open.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINE64" wineboot -i </dev/null >/dev/null 2>&1 || true
    [ -x "$here/../tools/wine-fonts.sh" ] && "$here/../tools/wine-fonts.sh" "$WINEPREFIX" </dev/null >/dev/null 2>&1 || true
fi
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
exec "$WINE64" "$exe" "$@"
