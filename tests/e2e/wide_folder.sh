#!/bin/bash
# The program in a folder whose name the ANSI code page cannot spell
# ("拨号工具" under the default locale, whose ANSI code page is 1252): it
# loads the dialup.ini there, rewrites it at start-up ("start" is 1) and
# again on the way out, and tidies what a killed save left beside it while
# leaving other files alone. The run ends through the tray's exit item, or
# through the end of the session, whose saves leave no temporary file
# either.
#   wide_folder.sh VELMORA_EXE RASAPI32_DLL VELMORA_CTL [exit|endsession]
source "$(dirname "$0")/lib.sh"
ending="${4:-exit}"

folder="$run_dir/拨号工具"
mkdir -p "$folder"
cp "$velmora_exe" "$folder/Velmora.exe"
cp "$rassim_dll" "$folder/rasapi32.dll"
printf 'entry=Home\nentry=Office\n' > "$folder/rassim.ini"
printf '%s\r\n' start=1 DIALUSER=alice dialtime=120 noise=x dialertext=1 dialwainttime=7 > "$folder/dialup.ini"
# What a save killed in an earlier run left, and files that are not ours.
printf 'dialuser=half' > "$folder/dialup.ini.4d2-0.tmp"
printf 'dialuser=older\r\n' > "$folder/dialup.ini.4d2-1.old.tmp"
printf 'keep' > "$folder/dialup.ini.keep.tmp"
printf 'keep' > "$folder/notes.tmp"

ctl() {
    local timeout=20
    if [ "$1" = --timeout ]; then timeout="$2"; shift 2; fi
    timeout -k 5 "$((timeout + 15))" bash "$wine_run" "$ctl_exe" --timeout "$timeout" --exe "$folder/Velmora.exe" "$@"
}

expect_standard_file() {
    printf '%s\r\n' dialertext=1 dialuser=alice dialtime=120 dialwainttime=7 "start=$1" > "$run_dir/expected.ini"
    if ! cmp -s "$run_dir/expected.ini" "$folder/dialup.ini"; then
        od -c "$folder/dialup.ini" >&2
        fail "dialup.ini in the wide folder is not the expected one ($2)"
    fi
}

expect_only_foreign_leftovers() {
    local left
    left="$(cd "$folder" && ls -1 ./*.tmp | sort | tr '\n' ' ')"
    [ "$left" = "./dialup.ini.keep.tmp ./notes.tmp " ] || fail "temporary files beside dialup.ini: $left"
}

bash "$wine_run" "$folder/Velmora.exe" >"$run_dir/stdout.txt" 2>"$run_dir/stderr.txt" </dev/null &
velmora_pid=$!
note "Velmora started in $folder, pid $velmora_pid"

ctl_ok wait-shown
expect_state enabled 1
expect_counting
expect_standard_file 1 "written at start-up"
expect_only_foreign_leftovers

note "untick the box, then $ending: the file is written on the way out"
ctl_ok click-enable
expect_state enabled 0
case "$ending" in
exit|endsession) ctl_ok "$ending" ;;
*) fail "unknown ending $ending" ;;
esac
wait_for_exit 15
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code, expected 0"
expect_standard_file 0 "written on the way out"
expect_only_foreign_leftovers
echo "PASS"
