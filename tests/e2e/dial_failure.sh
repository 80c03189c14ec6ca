#!/bin/bash
# A dial that the service fails at an intermediate state (authentication
# refused, 691, after the states 0 and 2): the real program hangs that
# dial's own handle up as soon as the report reaches it (not at the next
# tick's look-up), and dials again on
# a later tick, after the pause. Period 3 s, pause 1 s, Enable ticked by the
# stored settings, the entry not connected at start.
#   dial_failure.sh VELMORA_EXE RASAPI32_DLL VELMORA_CTL
source "$(dirname "$0")/lib.sh"

lay_out $'entry=Home\nfail_at=Home:5:691\nprogress=on\ndelay_ms=300\n' \
'dialertext=0
dialuser=bob
dialpwd=secret9
dialtime=3
dialwainttime=1
start=1'

start_velmora
ctl_ok wait-shown
note "waiting for the third dial"
wait_for_log 'RasDialA\(' 40 3
python3 - "$run_dir/stderr.txt" <<'PY' || fail "the service's record does not show each failed dial hung up before the next"
import re, sys

lines = [l.rstrip("\r\n") for l in open(sys.argv[1], encoding="utf-8", errors="replace") if l.startswith("rassim ")]
problems = []

def millis(line):
    h, m, s = line.split()[1].split(":")
    return (int(h) * 3600 + int(m) * 60) * 1000 + round(float(s) * 1000)

def after(t0, t1):
    d = millis(t1) - millis(t0)
    return d + 86_400_000 if d < 0 else d

dials = [(i, re.search(r'handle null->(0x[0-9a-f]+)\) = (\d+)', l)) for i, l in enumerate(lines) if "RasDialA(" in l]
for n, (i, match) in enumerate(dials[:2]):
    if not match or match.group(2) != "0":
        problems.append(f"dial {n + 1} did not start: {lines[i]}")
        continue
    handle = match.group(1)
    end = dials[n + 1][0]
    states = [int(m.group(1)) for l in lines[i:end] if (m := re.search(r'report ' + handle + r' .*state (\d+)', l))]
    if states != [0, 2, 5]:
        problems.append(f"dial {n + 1} reported states {states}, expected [0, 2, 5]")
    failed = [k for k in range(i, end) if re.search(r'report ' + handle + r' .*state 5 .*error 691', lines[k])]
    hung = [k for k in range(i, end) if re.search(r'RasHangUpA\(' + handle + r' "Home"\) = 0', lines[k])]
    if not failed or not hung or hung[0] < failed[0]:
        problems.append(f"dial {n + 1} ({handle}) was not hung up after its failure, before the next dial")
    elif after(lines[failed[0]], lines[hung[0]]) > 1000:
        # The next tick's look-up comes 2 s after the dial at the earliest:
        # the report itself must have led to the hang-up.
        problems.append(f"dial {n + 1} hung up {after(lines[failed[0]], lines[hung[0]])} ms after its failure")
for l in lines:
    if "RasDialA(" in l and l.endswith("= 756"):
        problems.append("a dial overlapped the one before: " + l)
    if "RasHangUpA(" in l and not l.endswith("= 0"):
        problems.append("a hang-up of a handle that was not ours: " + l)
for p in problems:
    print("  " + p, file=sys.stderr)
sys.exit(1 if problems else 0)
PY

note "exit item"
ctl_ok exit
wait_for_exit 20
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code, expected 0"
echo "PASS"
