#!/bin/bash
# One re-dialler per folder. A second start from the same folder lists no
# phonebook entry, brings the running program's hidden window up and ends
# with exit code 0 at once, also when started under another letter case of
# the folder's name. Two programs started at the same moment in one folder
# leave one running. A copy in another folder runs beside the first.
#   single_instance.sh VELMORA_EXE RASAPI32_DLL VELMORA_CTL
source "$(dirname "$0")/lib.sh"

lay_out $'entry=Home\nentry=Office\n' $'dialertext=1\nstart=0'
wine64="${WINE64:-/usr/lib/wine/wine64}"
[ -x "$wine64" ] || wine64="$(command -v wine64 || command -v wine)"
other_pids=()

cleanup_others() {
    for pid in "${other_pids[@]}"; do
        if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null || true; fi
    done
    cleanup
}
trap cleanup_others EXIT

# ctl_at FOLDER COMMAND...: velmora-ctl aimed at the program in FOLDER.
ctl_at() {
    local folder="$1"; shift
    timeout -k 5 35 bash "$wine_run" "$ctl_exe" --timeout 20 --exe "$folder/Velmora.exe" "$@"
}

# lay_out_in FOLDER: a copy of the program with its own files.
lay_out_in() {
    mkdir -p "$1"
    cp "$velmora_exe" "$1/Velmora.exe"
    cp "$rassim_dll" "$1/rasapi32.dll"
    printf 'entry=Home\n' > "$1/rassim.ini"
    printf 'dialertext=0\r\nstart=0\r\n' > "$1/dialup.ini"
}

# run_in FOLDER NAME: starts the program there; its pid in started_pid, its
# streams in NAME.out and NAME.err.
run_in() {
    bash "$wine_run" "$1/Velmora.exe" >"$run_dir/$2.out" 2>"$run_dir/$2.err" </dev/null &
    started_pid=$!
    other_pids+=("$started_pid")
}

# ends_within PID SECONDS: waits for the process; its exit code in ended_code.
ends_within() {
    local deadline=$((SECONDS + $2))
    while kill -0 "$1" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
    ended_code=0
    wait "$1" || ended_code=$?
}

enumerations() { grep -c 'RasEnumEntriesA' "$1" 2>/dev/null || true; }

start_velmora
ctl_ok wait-shown
ctl_ok close
ctl_ok wait-hidden
expect_state visible 0

note "a second start from the same folder"
run_in "$run_dir" second
started=$SECONDS
ends_within "$started_pid" 30 || fail "the second start did not end within 30 s"
[ "$ended_code" -eq 0 ] || fail "the second start ended with exit code $ended_code, expected 0"
note "the second start ended after $((SECONDS - started)) s"
[ "$(enumerations "$run_dir/second.err")" -eq 0 ] || fail "the second start listed the phonebook: $(cat "$run_dir/second.err")"
ctl_ok wait-shown
expect_state visible 1
still_running || fail "the first program ended"
[ "$(enumerations "$run_dir/stderr.txt")" -eq 1 ] || fail "the first program listed the phonebook more than once"

note "a start under another letter case of the folder's name"
ctl_ok close
ctl_ok wait-hidden
upper_dir="$(dirname "$run_dir")/$(basename "$run_dir" | tr '[:lower:]' '[:upper:]')"
[ "$upper_dir" != "$run_dir" ] || fail "the folder's name has no letter to change"
[ ! -e "$upper_dir" ] || fail "$upper_dir exists"
windows_path="Z:$(printf '%s' "$upper_dir/VELMORA.EXE" | tr '/' '\\')"
WINEPREFIX="$VELMORA_WINEPREFIX" WINEDEBUG=-all "$wine64" "$windows_path" \
    >"$run_dir/upper.out" 2>"$run_dir/upper.err" </dev/null &
upper_pid=$!
other_pids+=("$upper_pid")
ends_within "$upper_pid" 30 || fail "the start under $windows_path did not end within 30 s"
[ "$ended_code" -eq 0 ] || fail "the start under another case ended with exit code $ended_code"
[ "$(enumerations "$run_dir/upper.err")" -eq 0 ] || fail "the start under another case listed the phonebook"
ctl_ok wait-shown

note "a copy in another folder runs beside it"
lay_out_in "$run_dir/other"
run_in "$run_dir/other" other
other_pid=$started_pid
ctl_at "$run_dir/other" wait-shown || fail "the copy in another folder shows no window"
kill -0 "$other_pid" 2>/dev/null || fail "the copy in another folder ended"
still_running || fail "the first program ended when the other copy started"
[ "$(enumerations "$run_dir/other.err")" -eq 1 ] || fail "the other copy did not list its phonebook"

note "two starts at the same moment in a third folder leave one running"
lay_out_in "$run_dir/third"
run_in "$run_dir/third" third-a
third_a=$started_pid
run_in "$run_dir/third" third-b
third_b=$started_pid
ctl_at "$run_dir/third" wait-shown || fail "neither start in the third folder shows a window"
deadline=$((SECONDS + 30))
while kill -0 "$third_a" 2>/dev/null && kill -0 "$third_b" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "both starts in the third folder are still running"
    sleep 0.1
done
if kill -0 "$third_a" 2>/dev/null; then survivor=$third_a; ended=$third_b; else survivor=$third_b; ended=$third_a; fi
ended_code=0
wait "$ended" || ended_code=$?
[ "$ended_code" -eq 0 ] || fail "the start that gave way ended with exit code $ended_code"
total=$(( $(enumerations "$run_dir/third-a.err") + $(enumerations "$run_dir/third-b.err") ))
[ "$total" -eq 1 ] || fail "the phonebook was listed $total times in the third folder"

note "all end through their exit items"
ctl_at "$run_dir/third" exit || fail "exit in the third folder failed"
ctl_at "$run_dir/other" exit || fail "exit in the other folder failed"
ctl_ok exit
for pid in "$survivor" "$other_pid"; do
    ends_within "$pid" 15 || fail "pid $pid did not end"
    [ "$ended_code" -eq 0 ] || fail "pid $pid ended with exit code $ended_code"
done
wait_for_exit 15
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code, expected 0"
echo "PASS"
