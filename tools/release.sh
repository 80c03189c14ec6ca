#!/bin/bash
# Builds the two Windows releases and packs each into one zip a user
# downloads: dist/Velmora-<version>-win64.zip and -win32.zip, each holding
# the stripped Velmora.exe and a short readme, with a SHA-256 sum beside it.
# The packs are checked: exactly those two files, and an exe that imports
# nothing but the system's own DLLs.
#   tools/release.sh [--no-build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=1
[ "${1:-}" = "--no-build" ] && build=0
version="$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
[ -n "$version" ] || { echo "release.sh: no version in CMakeLists.txt" >&2; exit 1; }
mkdir -p dist

# The DLLs every Windows since 7 has; anything else would have to be
# shipped. Names compare without regard to case, as Windows loads them.
system_dlls='^(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|ole32|oleaut32|rasapi32|shell32|shlwapi|user32|uxtheme|version|winhttp|ws2_32|mswsock)\.dll$'

pack() {
    local arch="$1" preset="$2" triple="$3"
    if [ "$build" = 1 ]; then
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset" -j"$(nproc)" --target Velmora
    fi
    local stage
    stage="$(mktemp -d)"
    cp "build/$preset/app/Velmora.exe" "$stage/Velmora.exe"
    "$triple-strip" "$stage/Velmora.exe"
    sed "s/@VERSION@/$version/g; s/@ARCH@/$arch/g" tools/release-readme.txt | sed 's/$/\r/' > "$stage/readme.txt"

    local zip="dist/Velmora-$version-$arch.zip"
    rm -f "$zip"
    (cd "$stage" && python3 -m zipfile -c "$OLDPWD/$zip" Velmora.exe readme.txt)
    (cd dist && sha256sum "$(basename "$zip")" > "$(basename "$zip").sha256")

    # The checks.
    local listed
    listed="$(python3 -c 'import sys, zipfile; print(" ".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")"
    [ "$listed" = "Velmora.exe readme.txt" ] || { echo "release.sh: $zip holds: $listed" >&2; exit 1; }
    local dll
    while read -r dll; do
        [[ "${dll,,}" =~ $system_dlls ]] || { echo "release.sh: Velmora.exe ($arch) imports $dll" >&2; exit 1; }
    done < <("$triple-objdump" -p "$stage/Velmora.exe" | sed -n 's/.*DLL Name: //p' | tr -d '\r')
    (cd dist && sha256sum -c --quiet "$(basename "$zip").sha256")
    printf '%s  %d KB\n' "$zip" "$((($(stat -c %s "$zip") + 1023) / 1024))"
    rm -rf "$stage"
}

pack win64 win64 x86_64-w64-mingw32
pack win32 win32 i686-w64-mingw32
