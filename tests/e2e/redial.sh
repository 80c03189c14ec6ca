#!/bin/bash
# The re-dial cycle of the real program against the simulated service:
# period 3 s, pause 1 s, Enable ticked by the stored settings, the chosen
# entry connected at start. The service's record must show the connected
# entry hung up, the entry dialled again with the stored account and
# password, the dial established, and the next hang-up once the count has
# exceeded the period again. The exit item then ends the program, which
# writes its settings on the way out.
#   redial.sh VELMORA_EXE RASAPI32_DLL VELMORA_CTL
source "$(dirname "$0")/lib.sh"

lay_out $'connected=Home\nentry=Office\ndelay_ms=300\n' \
'dialwainttime=1
dialtime=3
note=kept by nobody
dialpwd=secret9
dialuser=bob
start=1
dialertext=0'

start_velmora
ctl_ok wait-shown
expect_state enabled 1

# Start, three counting ticks, the hang-up tick with its 5 s of waits, the
# re-dial tick with its pause, three counting ticks and the second hang-up:
# about 14 s.
note "waiting for the second hang-up"
wait_for_log 'RasHangUpA\(0x[0-9a-f]+ "Home"\) = 0' 40 2
python3 - "$run_dir/stderr.txt" <<'PY' || fail "the service's record does not show the re-dial cycle"
import re, sys

lines = [l.rstrip("\r\n") for l in open(sys.argv[1], encoding="utf-8", errors="replace") if l.startswith("rassim ")]

def millis(line):
    h, m, s = line.split()[1].split(":")
    return (int(h) * 3600 + int(m) * 60) * 1000 + round(float(s) * 1000)

def find(pattern, start=0):
    for i in range(start, len(lines)):
        match = re.search(pattern, lines[i])
        if match:
            return i, match
    sys.exit(f"no line /{pattern}/ after line {start}:\n" + "\n".join(lines[start:]))

def after(t0, t1):
    d = millis(t1) - millis(t0)
    return d + 86_400_000 if d < 0 else d

problems = []
def expect(ok, what):
    if not ok:
        problems.append(what)

_, connected = find(r'connected (0x[0-9a-f]+) "Home"')
first_handle = connected.group(1)
i_list, _ = find(r'RasEnumEntriesA\(.*= 0: "Home", "Office"')
i_hang1, _ = find(r'RasHangUpA\(' + first_handle + r' "Home"\) = 0')
i_dial, dial = find(r'RasDialA\(.*entry "([^"]*)", user "([^"]*)", password (\d+) bytes.*handle null->(0x[0-9a-f]+)\) = (\d+)', i_hang1)
entry, user, pwd_len, handle, result = dial.groups()
expect(entry == "Home", f"dialled entry {entry!r}, expected 'Home'")
expect(user == "bob", f"dialled with user {user!r}, expected 'bob'")
expect(pwd_len == "7", f"dialled with a password of {pwd_len} bytes, expected 7 ('secret9')")
expect(result == "0", f"RasDialA returned {result}")
i_up, _ = find(r'report ' + handle + r' "Home": message 0xCCCD, state 8192 \(connected\), error 0', i_dial)
i_hang2, _ = find(r'RasHangUpA\(' + handle + r' "Home"\) = 0', i_up)

between = lines[i_hang1 + 1:i_hang2]
expect(sum("RasDialA(" in l for l in between) == 1, "more than one dial between the two hang-ups")
expect(not any("RasHangUpA(" in l for l in between), "another hang-up between the dial and the second hang-up")

# Timing, from the service's time stamps (lower bounds hold on any machine;
# the upper bounds are loose).
t_start, t_hang1, t_dial, t_up, t_hang2 = (lines[i] for i in (i_list, i_hang1, i_dial, i_up, i_hang2))
expect(3_500 <= after(t_start, t_hang1) <= 12_000,
       f"first hang-up {after(t_start, t_hang1)} ms after start, expected the 4th tick (about 4 s)")
expect(6_500 <= after(t_hang1, t_dial) <= 14_000,
       f"dial {after(t_hang1, t_dial)} ms after the hang-up, expected 5 s of waits + 1 s tick + 1 s pause")
expect(2_800 <= after(t_dial, t_hang2) <= 8_000,
       f"second hang-up {after(t_dial, t_hang2)} ms after the dial, expected 3 counting ticks (about 3 s)")
expect(after(t_up, t_hang2) >= 0, "second hang-up before the connection was established")

for p in problems:
    print("  " + p, file=sys.stderr)
if problems:
    sys.exit(1)
print(f"-- record: hang-up {first_handle}, dial {handle} (user {user}, password {pwd_len} bytes), "
      f"connected, hang-up {handle}; gaps {after(t_start, t_hang1)}, {after(t_hang1, t_dial)}, "
      f"{after(t_dial, t_hang2)} ms")
PY

# Ticking the box at start wrote the file in the standard order, the unknown
# line gone.
expect_settings dialertext=0 dialuser=bob dialpwd=secret9 dialtime=3 dialwainttime=1 start=1
# Spoil the file: only the write on the way out can put it right again.
printf 'junk\r\n' > "$run_dir/dialup.ini"

note "exit item"
ctl_ok exit
# A tick in progress (up to 5 s of waits) runs to its end first.
wait_for_exit 20
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code, expected 0"
expect_settings dialertext=0 dialuser=bob dialpwd=secret9 dialtime=3 dialwainttime=1 start=1
echo "PASS"
