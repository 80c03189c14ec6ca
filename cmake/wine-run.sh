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

# Runs a command with none of this shell's descriptors: no standard streams
# and nothing the caller left open beyond them.
detached() {
    (
        for fd in $(ls /proc/$BASHPID/fd); do
            [ "$fd" -gt 2 ] && eval "exec $fd>&-" 2>/dev/null
        done
        exec "$@" </dev/null >/dev/null 2>&1
    ) || true
}

# The server and the services wine starts with it (services.exe, rpcss,
# winedevice, ...) outlive this run: the persistent server keeps them. Had
# the test itself started them, they would inherit its output pipes and the
# test runner would wait on those pipes for ever. So whenever no server runs
# for the prefix (a new prefix, a reboot, a killed server), start the server
# and the services here, detached, before the test.
# Runs started in parallel (ctest -j) take turns here, so that one of them
# boots the prefix and the others find it ready.
exec {prefix_lock}>"$WINEPREFIX.lock"
flock "$prefix_lock"
if ! "$WINESERVER" -k0 </dev/null >/dev/null 2>&1; then
    detached "$WINESERVER" -p
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        detached "$WINE64" wineboot -i
        [ -x "$here/../tools/wine-fonts.sh" ] && detached "$here/../tools/wine-fonts.sh" "$WINEPREFIX"
    else
        detached "$WINE64" wineboot
    fi
fi
exec {prefix_lock}>&-
exec "$WINE64" "$exe" "$@"
