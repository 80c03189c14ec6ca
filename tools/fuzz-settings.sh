#!/bin/bash
# Fuzzes the settings reader for a bounded time.
#   tools/fuzz-settings.sh [seconds]     (default 60)
# Configures and builds build/fuzz with clang (VELMORA_FUZZ_BUILD overrides
# the folder), then runs the fuzzer on a copy of the seed corpus so that
# the seeds in the repository stay as they are. Exits non-zero when the
# fuzzer finds a crash, a leak or a broken invariant; the reproducer is
# left in the build folder.
set -euo pipefail

seconds="${1:-60}"
case "$seconds" in
    ''|*[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2 ;;
esac

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VELMORA_FUZZ_BUILD:-$root/build/fuzz}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" \
    -DVELMORA_FUZZ=ON -DVELMORA_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target settings_fuzzer -j2

work="$build/fuzz-settings"
rm -rf "$work/corpus"
mkdir -p "$work/corpus" "$work/artifacts"
cp "$root/tests/fuzz/corpus/settings/"* "$work/corpus/"

echo "Fuzzing the settings reader for ${seconds}s"
"$build/tests/fuzz/settings_fuzzer" \
    -max_total_time="$seconds" \
    -max_len=4096 \
    -timeout=10 \
    -dict="$root/tests/fuzz/settings.dict" \
    -artifact_prefix="$work/artifacts/" \
    "$work/corpus"
