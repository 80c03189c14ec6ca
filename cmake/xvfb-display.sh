# Sourced: sets DISPLAY to a private Xvfb display, starting one if needed
# (then VELMORA_XVFB_STARTED_PID names it, for the caller to stop).
#
# A display is reused only when a server really answers on it: a lock file
# or socket left in /tmp by a server that is gone (a restarted machine keeps
# them) proves nothing. A new server picks a free display number itself
# (-displayfd), so it never meets another user's server or a stale lock, and
# the number is remembered in a per-user file for later runs.
velmora_display_answers() {
    [ -n "$1" ] && xdpyinfo -display "$1" >/dev/null 2>&1
}

# Prints the new display and, on a second line, the server's pid.
velmora_start_xvfb() {
    local numfile pidfile
    numfile="$(mktemp)"
    pidfile="$(mktemp)"
    (setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
        3>"$numfile" </dev/null >/dev/null 2>&1 & echo $! >"$pidfile")
    local n=""
    for _ in $(seq 1 100); do
        n="$(tr -dc '0-9' <"$numfile")"
        [ -n "$n" ] && velmora_display_answers ":$n" && break
        sleep 0.1
    done
    if [ -n "$n" ]; then printf ':%s\n%s\n' "$n" "$(cat "$pidfile")"; fi
    rm -f "$numfile" "$pidfile"
}

velmora_display_file="${TMPDIR:-/tmp}/velmora-xvfb-display.$(id -u)"
if velmora_display_answers "${VELMORA_XVFB_DISPLAY:-}"; then
    :
elif velmora_display_answers "$(cat "$velmora_display_file" 2>/dev/null)"; then
    VELMORA_XVFB_DISPLAY="$(cat "$velmora_display_file")"
else
    velmora_started="$(velmora_start_xvfb)"
    VELMORA_XVFB_DISPLAY="$(printf '%s\n' "$velmora_started" | sed -n 1p)"
    # The server this shell started, for whoever sourced this to stop.
    VELMORA_XVFB_STARTED_PID="$(printf '%s\n' "$velmora_started" | sed -n 2p)"
    if velmora_display_answers "$VELMORA_XVFB_DISPLAY"; then
        echo "$VELMORA_XVFB_DISPLAY" >"$velmora_display_file"
    else
        echo "xvfb-display.sh: could not start Xvfb" >&2
    fi
fi
export VELMORA_XVFB_DISPLAY
export DISPLAY="$VELMORA_XVFB_DISPLAY"
