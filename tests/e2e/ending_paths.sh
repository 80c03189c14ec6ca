#!/bin/bash
# The ways the real program ends, each in its own run:
#   exit-item     the tray menu's exit item during the first showing: the
#                 real menu, opened by the icon's right-button release and
#                 answered with the item's access key
#   close-hidden  close hides, the icon's double-click shows again, a
#                 message of another icon is ignored, close hides again and
#                 a close while hidden ends the program
#   endsession    the session ends: the window agrees and the program ends
# Every path ends with exit code 0 and the settings written. The stored
# file has its keys in another order, a key in capitals and lines the
# program does not know, and "start" 0 so that nothing is written at
# start-up: finding the file in the standard order afterwards shows that
# it was written on the way out.
#   ending_paths.sh VELMORA_EXE RASAPI32_DLL VELMORA_CTL SCENARIO
source "$(dirname "$0")/lib.sh"
scenario="${4:?scenario: exit-item, close-hidden or endsession}"

stored='start=0
colour=blue
dialwainttime=7
DIALUSER=alice
dialtime=120
a line without an equals sign
dialpwd=pw=1
dialertext=1'
lay_out $'entry=Home\nentry=Office\n' "$stored"
cp "$run_dir/dialup.ini" "$run_dir/stored.ini"

expect_written() {
    expect_settings dialertext=1 dialuser=alice dialpwd=pw=1 dialtime=120 dialwainttime=7 start=0
}

expect_hidden_and_running() {
    ctl_ok wait-hidden
    sleep 0.5
    still_running || fail "the program ended when it should only hide"
    expect_state visible 0
}

start_velmora
ctl_ok wait-shown
expect_state tab 1
expect_state enabled 0
expect_state label1 ""
cmp -s "$run_dir/stored.ini" "$run_dir/dialup.ini" || fail "dialup.ini was written at start-up with start=0"

case "$scenario" in
exit-item)
    note "exit item while the window is shown"
    ctl_ok exit
    ;;
close-hidden)
    note "close hides"
    ctl_ok close
    expect_hidden_and_running
    note "a double-click of another icon is ignored"
    ctl_ok tray-other-id
    sleep 0.5
    expect_state visible 0
    note "a double-click of the icon shows the window again, as it was"
    ctl_ok show
    ctl_ok wait-shown
    expect_state tab 1
    note "another icon's message leaves the shown window shown"
    ctl_ok tray-other-id
    sleep 0.5
    expect_state visible 1
    note "close hides again, close while hidden ends"
    ctl_ok close
    expect_hidden_and_running
    cmp -s "$run_dir/stored.ini" "$run_dir/dialup.ini" || fail "dialup.ini was written before the end"
    ctl_ok close
    ;;
endsession)
    note "the session ends"
    ctl_ok endsession
    ;;
*)
    fail "unknown scenario $scenario"
    ;;
esac

wait_for_exit 15
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code, expected 0"
expect_written
echo "PASS"
