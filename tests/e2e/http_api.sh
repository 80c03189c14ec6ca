#!/bin/bash
# The HTTP API of the real program, driven by curl: status, ip, a re-dial
# asked for with a wait that answers with the fresh address, the token,
# the answers to bad requests, a client that sends nothing, and the two
# ways the API refuses to listen (a non-loopback host without a token, a
# port in use), each of which the status shows while the program runs on.
#   http_api.sh VELMORA_EXE RASAPI32_DLL VELMORA_CTL
source "$(dirname "$0")/lib.sh"

port=$((20000 + RANDOM % 20000))
base="http://127.0.0.1:$port"
lay_out $'connected=Home\ndelay_ms=300\n' \
"dialertext=0
dialuser=bob
dialpwd=secret9
dialtime=0
dialwainttime=1
start=1
api=1
apiport=$port
apitoken=t0ken"

start_velmora
ctl_ok wait-shown
auth=(-H "Authorization: Bearer t0ken")

# status_of METHOD PATH [CURL ARGS...]: the answer's status code.
status_of() {
    local method="$1" path="$2"
    shift 2
    curl -s -o "$run_dir/body" -w '%{http_code}' --max-time 20 -X "$method" "$@" "$base$path" || true
}

note "waiting for the API"
deadline=$((SECONDS + 20))
until [ "$(status_of GET /status "${auth[@]}")" = 200 ]; do
    [ $SECONDS -lt $deadline ] || fail "the API did not answer within 20 s"
    sleep 0.3
done
python3 - "$run_dir/body" <<'PY' || fail "GET /status"
import json, sys
s = json.load(open(sys.argv[1], encoding="utf-8"))
expected = ["version", "entry", "enabled", "state", "address", "public_address", "since", "elapsed", "period",
            "pause", "redials", "failures", "distinct_addresses", "events"]
assert list(s) == expected, list(s)
assert s["entry"] == "Home" and s["enabled"] is True and s["period"] == 0, s
print("-- status:", s["state"], s["address"])
PY

[ "$(status_of GET /ip "${auth[@]}")" = 200 ] || fail "GET /ip: $(cat "$run_dir/body")"
first="$(tr -d '\n' < "$run_dir/body")"
[[ "$first" =~ ^10\.64\.[0-9]+\.[0-9]+$ ]] || fail "GET /ip gave '$first'"

# METHOD PATH STATUS [AUTHORIZATION, "-" for none; blanks written as _]
for c in "GET /status 401 -" "GET /status 401 Bearer_wrong" "GET /status 401 bearer_t0ken" "GET /nothing 404" \
         "DELETE /ip 405" "GET /redial 405" "POST /redial?wait=0 400"; do
    read -r method path want authorization <<<"$c"
    args=("${auth[@]}")
    [ "${authorization:-}" = - ] && args=()
    [ -n "${authorization:-}" ] && [ "$authorization" != - ] && args=(-H "Authorization: ${authorization//_/ }")
    got="$(status_of "$method" "$path" "${args[@]}")"
    [ "$got" = "$want" ] || fail "$method $path: $got, expected $want ($(cat "$run_dir/body"))"
done
[ "$(status_of DELETE /ip "${auth[@]}" -D "$run_dir/headers")" = 405 ]
grep -qi '^Allow: GET' "$run_dir/headers" || fail "405 without Allow: GET"
[ "$(status_of GET /status "${auth[@]}" -H "X-Big: $(head -c 9000 /dev/zero | tr '\0' a)")" = 431 ] ||
    fail "a 9000-byte header was not answered 431"

note "a client that sends nothing is closed"
python3 - "$port" <<'PY' || fail "a silent client was not closed within 15 s"
import socket, sys, time
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
s.settimeout(15)
start = time.monotonic()
data = s.recv(100)   # b"" once the server closes
print(f"-- closed after {time.monotonic() - start:.1f} s")
PY

note "a re-dial asked for, with a wait (period 0: only when asked)"
got="$(status_of POST '/redial?wait=60' "${auth[@]}")"
[ "$got" = 200 ] || fail "POST /redial?wait=60: $got ($(cat "$run_dir/body"))"
python3 - "$run_dir/body" "$first" <<'PY' || fail "the re-dial's answer"
import json, sys
a = json.load(open(sys.argv[1]))
assert a["previous_address"] == sys.argv[2] and a["fresh"] is True and a["attempts"] == 1, a
assert a["address"] != sys.argv[2], a
print("-- re-dial:", a)
PY
[ "$(status_of GET /ip "${auth[@]}")" = 200 ] || fail "GET /ip after the re-dial"
[ "$(tr -d '\n' < "$run_dir/body")" != "$first" ] || fail "the address did not change"

note "a host that is not a loopback address, without a token"
ctl_ok exit
wait_for_exit 20
rm -f "$run_dir/dialup.log"
lay_out $'connected=Home\n' \
"dialertext=0
dialtime=0
start=1
api=1
apihost=0.0.0.0
apiport=$port
log=1"
start_velmora
ctl_ok wait-shown
sleep 2
[ "$(status_of GET /status)" = 000 ] || fail "the API answered on 0.0.0.0 without a token"
grep -q $'\tapi\t.*needs apitoken' "$run_dir/dialup.log" || fail "no event says why the API is not served"
ctl_ok exit
wait_for_exit 20

note "a port in use"
port=$((port + 1))
python3 -c "
import socket, time
s = socket.socket()
s.bind(('127.0.0.1', $port)); s.listen(1); time.sleep(30)" &
holder=$!
sleep 0.5
rm -f "$run_dir/dialup.log"
lay_out $'connected=Home\n' \
"dialertext=0
dialtime=0
start=1
api=1
apiport=$port
log=1"
start_velmora
ctl_ok wait-shown
sleep 2
grep -q $'\tapi\t.*in use' "$run_dir/dialup.log" || fail "no event says the port is in use: $(cat "$run_dir/dialup.log")"
still_running || fail "the program ended when its port was in use"
kill "$holder" 2>/dev/null || true
ctl_ok exit
wait_for_exit 20
echo "PASS"
