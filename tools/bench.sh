#!/bin/bash
# Prints figures of the 64-bit Windows release build under wine; asserts
# nothing. Measures:
#   - the stripped size of Velmora.exe and the DLLs it imports;
#   - the time from starting the process to the window shown;
#   - the CPU time the idle program uses while ticking (a long period);
#   - the SendMessage round trip while idle, during the hang-up waits and
#     during the pause before a re-dial.
#   tools/bench.sh [CPU_SECONDS]   (default 60)
# VELMORA_BUILD_DIR picks another build folder than build/win64.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
cpu_seconds="${1:-60}"

build="${VELMORA_BUILD_DIR:-build/win64}"
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target Velmora rasapi32_sim velmora-ctl >/dev/null
build="$(cd "$build" && pwd)"
exe="$build/app/Velmora.exe"
ctl_exe="$build/tools/ctl/velmora-ctl.exe"

export VELMORA_WINEPREFIX="$build/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml=;rasapi32=n"
[ -n "${DISPLAY:-}" ] || source cmake/xvfb-display.sh
wine_run() { bash "$root/cmake/wine-run.sh" "$@"; }

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-bench.XXXXXX")"
pid=""
finish() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap finish EXIT

# Bring the prefix's server and services up before anything is timed.
wine_run "$ctl_exe" --timeout 0.1 wait-window </dev/null >/dev/null 2>&1 || true

# lay_out DIALUP_INI_LINES...: a fresh folder with the program, the
# simulated service (one entry, connected at start) and the settings.
lay_out() {
    dir="$work/run$((++runs))"
    mkdir -p "$dir"
    cp "$exe" "$build/ras/sim/rasapi32.dll" "$dir/"
    printf 'connected=Home\ndelay_ms=500\n' > "$dir/rassim.ini"
    printf '%s\r\n' "$@" > "$dir/dialup.ini"
}
runs=0
ctl() { wine_run "$ctl_exe" --timeout 30 --exe "$dir/Velmora.exe" "$@"; }
start() {
    # Not through a function: $! must be the wine process itself.
    bash "$root/cmake/wine-run.sh" "$dir/Velmora.exe" </dev/null >/dev/null 2>"$dir/stderr.txt" &
    pid=$!
}
stop() {
    ctl endsession >/dev/null 2>&1 || true
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
}
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
latency_of() { ctl latency "$1" | tr -d '\r'; }

# Size and imports.
cp "$exe" "$work/Velmora-stripped.exe"
x86_64-w64-mingw32-strip "$work/Velmora-stripped.exe"
size_kb=$(( ($(stat -c %s "$work/Velmora-stripped.exe") + 1023) / 1024 ))
imports="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/.*DLL Name: //p' | tr -d '\r' | sort -f | paste -sd' ')"

# Start to shown: velmora-ctl is already polling (every 5 ms) when the
# program starts, so its own start-up is not counted.
shown_times=()
for _ in 1 2 3; do
    lay_out dialertext=0 dialtime=0 start=0
    wine_run "$ctl_exe" --timeout 60 --exe "$dir/Velmora.exe" wait-shown >/dev/null 2>&1 &
    waiter=$!
    sleep 1
    t0=$(now_ms)
    start
    wait "$waiter" || true
    shown_times+=($(( $(now_ms) - t0 )))
    stop
done

# CPU while ticking with nothing to do.
lay_out dialertext=0 dialtime=100000 dialwainttime=5 start=1
start
ctl wait-shown >/dev/null
sleep 1
tr "\0" " " < "/proc/$pid/cmdline" | grep -q "Velmora.exe" || { echo "pid $pid is not the program" >&2; exit 1; }
c0=$(cpu_ticks "$pid")
sleep "$cpu_seconds"
c1=$(cpu_ticks "$pid")
hz=$(getconf CLK_TCK)
cpu_ms=$(( (c1 - c0) * 1000 / hz ))
idle_latency="$(latency_of 20)"
stop

# Latency during the hang-up waits (period 3: the 4th tick hangs up and
# waits 5 s in 100 ms slices) and during the pause (5 s in 1 s slices)
# of the next tick, which begins about 6 s after the hang-up.
lay_out dialertext=0 dialtime=3 dialwainttime=5 start=1
start
ctl wait-shown >/dev/null
for _ in $(seq 1 300); do grep -q 'RasHangUpA' "$dir/stderr.txt" 2>/dev/null && break; sleep 0.05; done
t_hangup=$(now_ms)
hangup_latency="$(latency_of 20)"
sleep "$(awk -v t=$(( t_hangup + 6500 - $(now_ms) )) 'BEGIN { print (t > 0 ? t / 1000 : 0) }')"
pause_latency="$(latency_of 20)"
# The dial follows the pause: if it came already, the figure missed it.
grep -q 'RasDialA' "$dir/stderr.txt" && pause_latency="${pause_latency} (partly after the pause)"
stop

printf '\nVelmora benchmarks (x86_64 release under wine, %s)\n\n' "$(date -u '+%Y-%m-%d %H:%M UTC')"
printf '%-44s %-34s %s\n' "Figure" "Measured" "Target"
printf '%-44s %-34s %s\n' "--------------------------------------------" "----------------------------------" "------"
printf '%-44s %-34s %s\n' "stripped Velmora.exe" "${size_kb} KB" "<= 512 KB"
printf '%-44s %-34s %s\n' "DLLs imported" "$imports" "system DLLs only"
printf '%-44s %-34s %s\n' "process start to window shown (3 runs)" "${shown_times[*]} ms" "-"
printf '%-44s %-34s %s\n' "CPU while ticking, ${cpu_seconds} s" "${cpu_ms} ms ($(awk -v c=$cpu_ms -v s=$cpu_seconds 'BEGIN { printf "%.3f", c / (s * 10) }')% of one core)" "-"
printf '%-44s %-34s %s\n' "SendMessage round trip, idle" "${idle_latency/ (20 round trips)/}" "< 50 ms"
printf '%-44s %-34s %s\n' "SendMessage round trip, hang-up waits" "${hangup_latency/ (20 round trips)/}" "< 50 ms"
printf '%-44s %-34s %s\n' "SendMessage round trip, pause" "${pause_latency/ (20 round trips)/}" "< 50 ms"
