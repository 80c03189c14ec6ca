#!/bin/bash
# Runs Velmora on this machine (Debian 12): installs the packages, builds
# the 64-bit Windows program with the simulated remote-access service,
# lays out a demo folder in build/demo and runs it under wine. The window
# opens on $DISPLAY when set, otherwise on a private Xvfb display. The
# simulated service prints every call on this console, so the re-dial
# cycle (every 10 s, 2 s pause) can be watched here. Ctrl+C ends the
# program the way logging off does, and its settings are saved.
#   tools/run.sh [--keep-settings]   keep build/demo/dialup.ini from the last run
# VELMORA_BUILD_DIR picks another build folder than build/win64.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
keep_settings=0
[ "${1:-}" = "--keep-settings" ] && keep_settings=1

echo "== Installing packages"
bash tools/install-deps.sh

build="${VELMORA_BUILD_DIR:-build/win64}"
echo "== Building ($build)"
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target Velmora rasapi32_sim velmora-ctl
build="$(cd "$build" && pwd)"

demo="$root/build/demo"
echo "== Laying out $demo"
mkdir -p "$demo"
cp "$build/app/Velmora.exe" "$build/ras/sim/rasapi32.dll" "$build/tools/ctl/velmora-ctl.exe" "$demo/"
cp tools/demo/rassim.ini "$demo/rassim.ini"
if [ "$keep_settings" = 0 ] || [ ! -f "$demo/dialup.ini" ]; then
    cp tools/demo/dialup.ini "$demo/dialup.ini"
fi

export VELMORA_WINEPREFIX="$build/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml=;rasapi32=n"
if [ -z "${DISPLAY:-}" ]; then
    source cmake/xvfb-display.sh
    echo "== No DISPLAY: the window opens on the private Xvfb display $DISPLAY"
fi
wine_run() { bash "$root/cmake/wine-run.sh" "$@"; }
ctl() { wine_run "$demo/velmora-ctl.exe" --timeout 20 --exe "$demo/Velmora.exe" "$@"; }

echo "== Preparing the wine prefix (first time: about half a minute)"
# wine-run.sh sets a new prefix up (with the font mapping that makes the
# Chinese captions legible) and brings its services up away from this
# console.
wine_run "$demo/velmora-ctl.exe" --timeout 0.1 wait-window </dev/null >/dev/null 2>&1 || true

echo "== Running Velmora: the service's calls follow. Ctrl+C ends it."
# The program runs in a process group of its own (job control), so Ctrl+C
# reaches only this script, which then ends the program properly.
set -m
# Not through the function: $! must be the wine process itself.
bash "$root/cmake/wine-run.sh" "$demo/Velmora.exe" </dev/null &
pid=$!
set +m

stop() {
    trap '' INT TERM
    echo
    echo "== Ending Velmora (the session-end message: the settings are written)"
    ctl endsession || ctl exit || true
    for _ in $(seq 1 200); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "Velmora did not end within 20 s; stopping it" >&2
        kill -KILL "$pid" 2>/dev/null || true
        exit 1
    fi
    code=0
    wait "$pid" || code=$?
    echo "== Velmora ended (exit code $code). Settings saved in $demo/dialup.ini:"
    sed 's/^\(dialpwd=\).*/\1(hidden)/' "$demo/dialup.ini" | tr -d '\r'
    exit "$code"
}
trap stop INT TERM

# wait returns early when a signal arrives; the trap then ends the run.
code=0
wait "$pid" || code=$?
echo "== Velmora ended by itself (exit code $code)"
exit "$code"
