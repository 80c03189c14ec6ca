#!/bin/bash
# A fresh address when asked: with newip=3 the real program re-dials while
# the service hands back the address the entry had (twice), and accepts the
# third dial's new one. dialup.log (log=1) tells the whole cycle, one event
# a line; the service's record shows each refused connection hung up on its
# outcome, and three dials in all.
#   new_address.sh VELMORA_EXE RASAPI32_DLL VELMORA_CTL
source "$(dirname "$0")/lib.sh"

lay_out $'connected=Home\ndelay_ms=300\naddresses=Home:10.64.0.5,10.64.0.5,10.64.0.5,10.64.0.9\n' \
'dialertext=0
dialuser=bob
dialpwd=secret9
dialtime=3
dialwainttime=1
start=1
newip=3
log=1'

start_velmora
ctl_ok wait-shown

# Four ticks and the hang-up, then per dial: a tick with its pause and the
# dial, the refusal on its outcome, a tick of waits after the hang-up.
note "waiting for the third dial's fresh address"
deadline=$((SECONDS + 90))
until grep -q $'\tconnected\tHome\t10.64.0.9\t' "$run_dir/dialup.log" 2>/dev/null; do
    still_running || fail "the program ended"
    [ $SECONDS -lt $deadline ] || { cat "$run_dir/dialup.log" >&2 2>/dev/null; fail "no fresh address within 90 s"; }
    sleep 0.3
done
# One more tick shows no further dial.
sleep 2

python3 - "$run_dir/dialup.log" "$run_dir/stderr.txt" <<'PY' || fail "the log or the service's record does not show the cycle"
import re, sys

raw = open(sys.argv[1], "rb").read()
problems = []
def expect(ok, what):
    if not ok:
        problems.append(what)

expect(raw.endswith(b"\r\n") and b"\n" not in raw.replace(b"\r\n", b""), "lines are not all ended by CR LF")
expect(b"secret9" not in raw, "the password is in the log")
rows = [line.split("\t") for line in raw.decode("latin-1").split("\r\n") if line]
for row in rows:
    expect(len(row) == 7, f"a line of {len(row)} fields: {row}")
    expect(re.fullmatch(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}", row[0]) is not None, f"time {row[0]!r}")
events = [(row[1], row[3]) for row in rows if len(row) == 7]
expected = [("hangup", "10.64.0.5"), ("dial", ""), ("connected", "10.64.0.5"), ("same-address", "10.64.0.5"),
            ("hangup", "10.64.0.5"), ("dial", ""), ("connected", "10.64.0.5"), ("same-address", "10.64.0.5"),
            ("hangup", "10.64.0.5"), ("dial", ""), ("connected", "10.64.0.9")]
expect(events == expected, "events:\n  " + "\n  ".join(map(str, events)))

record = [l for l in open(sys.argv[2], encoding="utf-8", errors="replace") if l.startswith("rassim ")]
dials = [l for l in record if "RasDialA(" in l]
expect(len(dials) == 3, f"{len(dials)} dials, expected 3")
expect(any("RasGetProjectionInfoA(" in l for l in record), "no address was asked for")

for p in problems:
    print("  " + p, file=sys.stderr)
if problems:
    sys.exit(1)
print("-- log: " + ", ".join(f"{e}{' ' + a if a else ''}" for e, a in events))
PY

note "exit item"
ctl_ok exit
wait_for_exit 20
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code, expected 0"
# The options follow the six settings, in their order.
expect_settings dialertext=0 dialuser=bob dialpwd=secret9 dialtime=3 dialwainttime=1 start=1 newip=3 log=1
echo "PASS"
