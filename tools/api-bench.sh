#!/bin/bash
# Prints figures of the HTTP API in the 64-bit release build under wine;
# asserts nothing. The real program runs on the simulated rasapi32.dll with
# api=1 and a token. Measures:
#   - the stripped size of Velmora.exe with the server in;
#   - GET /status under wrk (2 threads, 4 connections): requests per second
#     and the latency's median and 99th percentile;
#   - the window's SendMessage round trip (velmora-ctl latency), idle and
#     while wrk runs;
#   - POST /redial?wait=60 from the request to the answer, beside the sum
#     of the cycle's fixed waits (5 s after the hang-up, the pause, the
#     simulated dial's delay).
#   tools/api-bench.sh [WRK_SECONDS]   (default 10)
# VELMORA_BUILD_DIR picks another build folder than build/win64.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
wrk_seconds="${1:-10}"
pause_s=1
dial_delay_ms=500
token=t0ken

build="${VELMORA_BUILD_DIR:-build/win64}"
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target Velmora rasapi32_sim velmora-ctl >/dev/null
build="$(cd "$build" && pwd)"
exe="$build/app/Velmora.exe"
ctl_exe="$build/tools/ctl/velmora-ctl.exe"

export VELMORA_WINEPREFIX="$build/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml=;rasapi32=n"
[ -n "${DISPLAY:-}" ] || source cmake/xvfb-display.sh

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-api-bench.XXXXXX")"
pid=""
wrk_pid=""
finish() {
    if [ -n "$wrk_pid" ] && kill -0 "$wrk_pid" 2>/dev/null; then kill "$wrk_pid" 2>/dev/null || true; fi
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap finish EXIT

# Bring the prefix's server and services up before anything is timed.
bash cmake/wine-run.sh "$ctl_exe" --timeout 0.1 wait-window </dev/null >/dev/null 2>&1 || true

port=$((20000 + RANDOM % 20000))
base="http://127.0.0.1:$port"
dir="$work/run"
mkdir -p "$dir"
cp "$exe" "$build/ras/sim/rasapi32.dll" "$dir/"
printf 'connected=Home\ndelay_ms=%s\n' "$dial_delay_ms" > "$dir/rassim.ini"
# Period 0: the cycle re-dials only when asked.
printf '%s\r\n' dialertext=0 dialuser=bob dialpwd=secret9 dialtime=0 "dialwainttime=$pause_s" start=1 \
    api=1 "apiport=$port" "apitoken=$token" > "$dir/dialup.ini"

ctl() { bash "$root/cmake/wine-run.sh" "$ctl_exe" --timeout 30 --exe "$dir/Velmora.exe" "$@"; }
latency_of() { ctl latency "$1" | tr -d '\r'; }
# "min=.. median=M max=X ms (N round trips)" -> "median M ms, max X ms"
short_latency() { sed -n 's/.*median=\([0-9.]*\) max=\([0-9.]*\) ms.*/median \1 ms, max \2 ms/p'; }

# Not through a function: $! must be the wine process itself.
bash "$root/cmake/wine-run.sh" "$dir/Velmora.exe" </dev/null >/dev/null 2>"$dir/stderr.txt" &
pid=$!
ctl wait-shown >/dev/null
auth=(-H "Authorization: Bearer $token")
for _ in $(seq 1 100); do
    [ "$(curl -s -o /dev/null -w '%{http_code}' --max-time 2 "${auth[@]}" "$base/status" || true)" = 200 ] && break
    sleep 0.2
done

# Size.
cp "$exe" "$work/Velmora-stripped.exe"
x86_64-w64-mingw32-strip "$work/Velmora-stripped.exe"
size_kb=$(( ($(stat -c %s "$work/Velmora-stripped.exe") + 1023) / 1024 ))

idle_latency="$(latency_of 50 | short_latency)"

# Throughput, with the window's round trip measured meanwhile.
wrk -t2 -c4 -d"${wrk_seconds}s" --latency "${auth[@]}" "$base/status" > "$work/wrk.txt" 2>&1 &
wrk_pid=$!
sleep 2
busy_latency="$(latency_of 50 | short_latency)"
wait "$wrk_pid" || true
wrk_pid=""
requests_per_s="$(sed -n 's/^Requests\/sec: *//p' "$work/wrk.txt")"
p50="$(awk '$1 == "50%" { print $2 }' "$work/wrk.txt")"
p99="$(awk '$1 == "99%" { print $2 }' "$work/wrk.txt")"
wrk_errors="$(grep -E 'Non-2xx|Socket errors' "$work/wrk.txt" | tr -s ' ' | paste -sd';' || true)"

# A re-dial with a wait: hang-up, 5 s, the pause, the dial and its delay.
redial="$(curl -s -o "$work/redial.json" -w '%{http_code} %{time_total}' --max-time 90 -X POST "${auth[@]}" \
    "$base/redial?wait=60" || true)"
redial_status="${redial%% *}"
redial_s="${redial##* }"
fixed_s="$(awk -v p="$pause_s" -v d="$dial_delay_ms" 'BEGIN { printf "%.1f", 5 + p + d / 1000 }')"

ctl endsession >/dev/null 2>&1 || true
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done

printf '\nVelmora HTTP API benchmarks (x86_64 release under wine, %s)\n\n' "$(date -u '+%Y-%m-%d %H:%M UTC')"
printf '%-46s %s\n' "Figure" "Measured"
printf '%-46s %s\n' "----------------------------------------------" "----------------------------------"
printf '%-46s %s\n' "stripped Velmora.exe" "${size_kb} KB (at most 1024 KB)"
printf '%-46s %s\n' "GET /status, wrk -t2 -c4, ${wrk_seconds} s" "${requests_per_s:-?} requests/s"
printf '%-46s %s\n' "GET /status latency" "median ${p50:-?}, 99th percentile ${p99:-?}"
[ -z "$wrk_errors" ] || printf '%-46s %s\n' "wrk errors" "$wrk_errors"
printf '%-46s %s\n' "SendMessage round trip, idle (50)" "${idle_latency:-?}"
printf '%-46s %s\n' "SendMessage round trip, under wrk (50)" "${busy_latency:-?}"
printf '%-46s %s\n' "POST /redial?wait=60" "HTTP ${redial_status:-?} after ${redial_s:-?} s (fixed waits ${fixed_s} s)"
printf '%-46s %s\n' "its answer" "$(head -c 200 "$work/redial.json" 2>/dev/null || true)"
