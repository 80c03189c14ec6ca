#!/bin/bash
# Maps the window's font "宋体" (SimSun) to WenQuanYi Zen Hei in a wine
# prefix, so that Chinese captions are legible under wine. Idempotent.
#   tools/wine-fonts.sh <WINEPREFIX>
set -euo pipefail
prefix="${1:?usage: tools/wine-fonts.sh <WINEPREFIX>}"
mkdir -p "$prefix"
export WINEPREFIX="$(cd "$prefix" && pwd)"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINE64="${WINE64:-/usr/lib/wine/wine64}"
[ -x "$WINE64" ] || WINE64="$(command -v wine64 || command -v wine)"
if [ -z "${DISPLAY:-}" ]; then
    source "$(dirname "$0")/../cmake/xvfb-display.sh"
fi
reg="$(mktemp --suffix=.reg)"
trap 'rm -f "$reg"' EXIT
# A UTF-16 registry file keeps the Chinese value name intact whatever the
# locale of this shell.
python3 - "$reg" <<'PY'
import sys
text = ('Windows Registry Editor Version 5.00\r\n\r\n'
        '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        '"\u5b8b\u4f53"="WenQuanYi Zen Hei"\r\n'
        '"SimSun"="WenQuanYi Zen Hei"\r\n'
        '"NSimSun"="WenQuanYi Zen Hei"\r\n')
with open(sys.argv[1], 'wb') as f:
    f.write(b'\xff\xfe' + text.encode('utf-16-le'))
PY
"$WINE64" regedit /S "Z:${reg//\//\\}"
echo "fonts mapped in $WINEPREFIX"
