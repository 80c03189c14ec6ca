#!/bin/bash
# Pictures of the main window on its two tabs, taken under wine and Xvfb.
#   tools/ui-screenshots.sh [build-folder] [--docs]
# Writes velmora-settings.png and velmora-update.png into the build folder;
# with --docs copies them to docs/ as well.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$here/build/win64}" && pwd)"
copy_docs="${2:-}"
cmake --build "$build" --target velmora_ui_screenshot >/dev/null
"$here/tools/wine-fonts.sh" "${VELMORA_WINEPREFIX:-$build/wineprefix}" >/dev/null
exe="$build/tests/win/ui/velmora_ui_screenshot.exe"
cd "$build"
"$here/cmake/wine-run.sh" "$exe" velmora-settings.bmp velmora-update.bmp
convert velmora-settings.bmp velmora-settings.png
convert velmora-update.bmp velmora-update.png
rm -f velmora-settings.bmp velmora-update.bmp
if [ "$copy_docs" = "--docs" ]; then
    cp velmora-settings.png velmora-update.png "$here/docs/"
fi
echo "$build/velmora-settings.png $build/velmora-update.png"
