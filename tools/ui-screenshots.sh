#!/bin/bash
# Pictures of the main window on its four tabs and of its open tray menu,
# taken under wine and Xvfb.
#   tools/ui-screenshots.sh [build-folder] [--docs]
# Writes velmora-settings.png, velmora-update.png, velmora-history.png,
# velmora-options.png and velmora-menu.png into the build folder; with
# --docs copies them to docs/ as well.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$here/build/win64}" && pwd)"
copy_docs="${2:-}"
cmake --build "$build" --target velmora_ui_screenshot >/dev/null
"$here/tools/wine-fonts.sh" "${VELMORA_WINEPREFIX:-$build/wineprefix}" >/dev/null
exe="$build/tests/win/ui/velmora_ui_screenshot.exe"
cd "$build"
pictures=(velmora-settings velmora-update velmora-history velmora-options velmora-menu)
"$here/cmake/wine-run.sh" "$exe" "${pictures[@]/%/.bmp}"
for picture in "${pictures[@]}"; do
    convert "$picture.bmp" "$picture.png"
    rm -f "$picture.bmp"
done
if [ "$copy_docs" = "--docs" ]; then
    cp "${pictures[@]/%/.png}" "$here/docs/"
fi
printf '%s\n' "${pictures[@]/%/.png}" | sed "s|^|$build/|"
