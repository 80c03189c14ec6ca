#!/bin/bash
# Installs what is needed and runs every test: the portable core natively
# (ASan + UBSan, and the threaded parts under ThreadSanitizer), the settings
# fuzzer for a bounded time, the Windows build under 64-bit wine (unit,
# window and end-to-end tests), and the 32-bit Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"
fuzz_seconds="${VELMORA_FUZZ_SECONDS:-60}"

step() { printf '\n=== %s ===\n' "$*"; }

step "Installing packages"
bash tools/install-deps.sh

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
ctest --preset win64
echo "Screenshots (build artefacts):"
bash tools/ui-screenshots.sh build/win64

step "Windows i686 (build only)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"

step "All tests passed"
