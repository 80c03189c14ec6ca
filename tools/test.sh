#!/bin/bash
# Installs what is needed and runs every test: the portable core natively
# (ASan + UBSan, and the threaded parts under ThreadSanitizer), the settings
# fuzzer for a bounded time, the Windows build under 64-bit wine (unit,
# window and end-to-end tests), and the 32-bit Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"
fuzz_seconds="${VELMORA_FUZZ_SECONDS:-60}"

# Each step's wall time is printed when the next one starts, and the
# whole run's at the end.
run_started=$SECONDS
step_started=""
step_name=""
step_done() {
    if [ -n "$step_name" ]; then printf -- '--- %s: %d s\n' "$step_name" "$((SECONDS - step_started))"; fi
}
step() {
    step_done
    step_name="$*"
    step_started=$SECONDS
    printf '\n=== %s ===\n' "$*"
}

# What this script starts for the Windows tests (the prefix's wineserver
# and its services, an Xvfb) is stopped when it ends, however it ends.
stop_started() {
    local server=/usr/lib/wine/wineserver
    [ -x "$server" ] || server="$(command -v wineserver || echo true)"
    if [ -d build/win64/wineprefix ]; then WINEPREFIX="$PWD/build/win64/wineprefix" "$server" -k >/dev/null 2>&1 || true; fi
    if [ -n "${VELMORA_XVFB_STARTED_PID:-}" ]; then kill "$VELMORA_XVFB_STARTED_PID" 2>/dev/null || true; fi
}
trap stop_started EXIT

step "Installing packages"
bash tools/install-deps.sh

step "Style: the sources follow .clang-format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror --style=file

step "Native: ASan + UBSan"
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native -j"$jobs"

step "Native: ThreadSanitizer (the tests labelled threads)"
cmake --preset native -B build/native-tsan -DVELMORA_SANITIZE=thread >/dev/null
cmake --build build/native-tsan -j"$jobs"
# gcc's TSan runtime cannot map its shadow with the kernel's largest ASLR
# setting; run without address randomisation where setarch allows it.
tsan_prefix=()
setarch "$(uname -m)" -R true 2>/dev/null && tsan_prefix=(setarch "$(uname -m)" -R)
"${tsan_prefix[@]}" ctest --test-dir build/native-tsan --output-on-failure -L threads

step "Fuzzing the settings reader for ${fuzz_seconds}s"
bash tools/fuzz-settings.sh "$fuzz_seconds"

step "Windows x86_64 under wine"
source cmake/xvfb-display.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$jobs"
ctest --preset win64 -j"$jobs"
echo "Screenshots (build artefacts):"
bash tools/ui-screenshots.sh build/win64

step "Windows i686 (build only: the program, the control tool, the simulated DLL)"
# The 32-bit record sizes are checked at compile time in the program itself;
# its tests cannot run on these machines, so they are not built.
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs" --target Velmora velmora-ctl rasapi32_sim

step "Release packs (dist/)"
bash tools/release.sh --no-build

step_done
printf '\n=== All tests passed in %d s ===\n' "$((SECONDS - run_started))"
