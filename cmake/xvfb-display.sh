# Sourced: sets DISPLAY to a private Xvfb display, starting one if needed.
# The display number is derived from the user id so parallel users do not meet.
VELMORA_XVFB_DISPLAY="${VELMORA_XVFB_DISPLAY:-:$(( 90 + $(id -u) % 9 ))}"
if ! xdpyinfo -display "$VELMORA_XVFB_DISPLAY" >/dev/null 2>&1 && \
   [ ! -e "/tmp/.X11-unix/X${VELMORA_XVFB_DISPLAY#:}" ]; then
    (setsid Xvfb "$VELMORA_XVFB_DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &)
    for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X${VELMORA_XVFB_DISPLAY#:}" ] && break
        sleep 0.1
    done
fi
export DISPLAY="$VELMORA_XVFB_DISPLAY"
