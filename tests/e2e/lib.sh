# Shared by the end-to-end tests: a private folder with copies of the
# program, the simulated rasapi32.dll and their ini files; the program run
# under wine in the background; velmora-ctl aimed at that one program; and
# checks of the settings file and the simulated service's record.
# Usage: source lib.sh EXE DLL CTL
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
velmora_exe="$(realpath "$1")"
rassim_dll="$(realpath "$2")"
ctl_exe="$(realpath "$3")"
wine_run="${VELMORA_WINE_RUN:-$here/../../cmake/wine-run.sh}"
# All runs share the build's prefix (and its persistent wineserver), also
# when the copies live outside the build folder.
if [ -z "${VELMORA_WINEPREFIX:-}" ]; then
    build="$(dirname "$velmora_exe")"
    while [ "$build" != "/" ] && [ ! -f "$build/CMakeCache.txt" ]; do build="$(dirname "$build")"; done
    export VELMORA_WINEPREFIX="$build/wineprefix"
fi
export WINEDLLOVERRIDES="mscoree,mshtml=;rasapi32=n"

tmp_root="${VELMORA_E2E_TMP:-${TMPDIR:-/tmp}}"
mkdir -p "$tmp_root"
run_dir="$(mktemp -d "$tmp_root/$(basename "$0" .sh).XXXXXX")"
velmora_pid=""

fail() {
    echo "FAIL: $*" >&2
    if [ -f "$run_dir/stderr.txt" ]; then
        echo "--- the program's stderr:" >&2
        cat "$run_dir/stderr.txt" >&2
    fi
    exit 1
}

note() { echo "-- $*"; }

# Ends a program still running when the test ends, by its own pid only:
# the wineserver is shared with other tests.
cleanup() {
    if [ -n "$velmora_pid" ] && kill -0 "$velmora_pid" 2>/dev/null; then
        kill -TERM "$velmora_pid" 2>/dev/null || true
        sleep 0.5
        kill -KILL "$velmora_pid" 2>/dev/null || true
    fi
    if [ "${VELMORA_E2E_KEEP:-0}" != 1 ]; then rm -rf "$run_dir"; fi
}
trap cleanup EXIT

# lay_out RASSIM_INI_TEXT DIALUP_INI_TEXT (dialup.ini lines end in CR LF)
lay_out() {
    cp "$velmora_exe" "$run_dir/Velmora.exe"
    cp "$rassim_dll" "$run_dir/rasapi32.dll"
    printf '%s' "$1" > "$run_dir/rassim.ini"
    printf '%s' "$2" | sed 's/$/\r/' > "$run_dir/dialup.ini"
}

start_velmora() {
    bash "$wine_run" "$run_dir/Velmora.exe" >"$run_dir/stdout.txt" 2>"$run_dir/stderr.txt" </dev/null &
    velmora_pid=$!
    note "Velmora started, pid $velmora_pid, in $run_dir"
}

# ctl [--timeout S] COMMAND [ARG]: velmora-ctl aimed at this test's program.
ctl() {
    local timeout=20
    if [ "$1" = --timeout ]; then timeout="$2"; shift 2; fi
    timeout -k 5 "$((timeout + 15))" bash "$wine_run" "$ctl_exe" --timeout "$timeout" --exe "$run_dir/Velmora.exe" "$@"
}

ctl_ok() { ctl "$@" || fail "velmora-ctl $* failed"; }

# state_of KEY: one value of `velmora-ctl state`.
state_of() {
    local out
    out="$(ctl state)" || fail "velmora-ctl state failed"
    printf '%s\n' "$out" | sed -n "s/^$1=//p" | tr -d '\r'
}

expect_state() {
    local got
    got="$(state_of "$1")"
    [ "$got" = "$2" ] || fail "$1 is '$got', expected '$2'"
}

# The ticks have begun: the counter shows a count ("0" when the box was
# ticked, more once a tick has come, which on a slow machine may be before
# this looks).
expect_counting() {
    local label
    label="$(state_of label1)"
    [[ "$label" =~ ^[0-9]+$ ]] || fail "label1 is '$label', expected a count"
}

still_running() { kill -0 "$velmora_pid" 2>/dev/null; }

# wait_for_exit SECONDS: waits for the program to end; sets exit_code.
wait_for_exit() {
    local deadline=$((SECONDS + $1))
    while still_running; do
        [ $SECONDS -lt $deadline ] || fail "the program did not end within $1 s"
        sleep 0.1
    done
    exit_code=0
    wait "$velmora_pid" || exit_code=$?
    velmora_pid=""
}

# expect_settings LINE...: dialup.ini holds exactly these lines, each
# ending in CR LF.
expect_settings() {
    printf '%s\r\n' "$@" > "$run_dir/expected.ini"
    if ! cmp -s "$run_dir/expected.ini" "$run_dir/dialup.ini"; then
        echo "--- dialup.ini:" >&2
        od -c "$run_dir/dialup.ini" >&2
        fail "dialup.ini does not hold the expected settings"
    fi
}

# wait_for_log PATTERN SECONDS [COUNT]: waits until the service's record on
# stderr has COUNT (default 1) lines matching the extended regular
# expression.
wait_for_log() {
    local deadline=$((SECONDS + $2))
    until [ "$(grep -Ec -- "$1" "$run_dir/stderr.txt" 2>/dev/null)" -ge "${3:-1}" ]; do
        still_running || fail "the program ended while waiting for /$1/"
        [ $SECONDS -lt $deadline ] || fail "no line /$1/ within $2 s"
        sleep 0.2
    done
}
