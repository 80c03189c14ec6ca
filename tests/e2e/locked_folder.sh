#!/bin/bash
# The program in a folder where no file can be made: its dialup.ini says
# "start" is 1, so the save at start-up fails, and so does the save on the
# way out. Both fail quietly: the window comes up with the box ticked, the
# program ends with exit code 0, the file keeps its bytes and no temporary
# file is left. Root writes past the permission bits, so for root the
# folder is made immutable instead (skipped where that is not allowed).
#   locked_folder.sh VELMORA_EXE RASAPI32_DLL VELMORA_CTL
source "$(dirname "$0")/lib.sh"

folder="$run_dir/locked"
mkdir -p "$folder"
cp "$velmora_exe" "$folder/Velmora.exe"
cp "$rassim_dll" "$folder/rasapi32.dll"
printf 'entry=Home\nentry=Office\n' > "$folder/rassim.ini"
printf '%s\r\n' start=1 dialertext=1 dialuser=alice noise=x > "$folder/dialup.ini"
cp "$folder/dialup.ini" "$run_dir/stored.ini"

unlock() {
    if [ "$(id -u)" -eq 0 ]; then chattr -i "$folder" 2>/dev/null || true; else chmod u+w "$folder"; fi
}
cleanup_locked() { unlock; cleanup; }
trap cleanup_locked EXIT

if [ "$(id -u)" -eq 0 ]; then
    if ! chattr +i "$folder" 2>/dev/null; then
        echo "SKIP: cannot make a folder immutable here"
        exit 77
    fi
else
    chmod a-w "$folder"
fi
if touch "$folder/probe" 2>/dev/null; then
    rm -f "$folder/probe"
    fail "the folder is still writable"
fi

ctl() {
    local timeout=20
    if [ "$1" = --timeout ]; then timeout="$2"; shift 2; fi
    timeout -k 5 "$((timeout + 15))" bash "$wine_run" "$ctl_exe" --timeout "$timeout" --exe "$folder/Velmora.exe" "$@"
}

bash "$wine_run" "$folder/Velmora.exe" >"$run_dir/stdout.txt" 2>"$run_dir/stderr.txt" </dev/null &
velmora_pid=$!
note "Velmora started in the locked folder, pid $velmora_pid"

ctl_ok wait-shown
expect_state enabled 1
expect_counting
ctl_ok exit
wait_for_exit 15
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code, expected 0"
cmp -s "$run_dir/stored.ini" "$folder/dialup.ini" || fail "dialup.ini changed in the locked folder"
left="$(cd "$folder" && ls -1)"
[ "$left" = "$(printf '%s\n' Velmora.exe dialup.ini rasapi32.dll rassim.ini | sort)" ] \
    || fail "files in the locked folder: $left"
echo "PASS"
