#!/bin/bash
# Prints the figures of the re-dial soak: the portable core against the
# simulated service with no delays, in an optimised build without
# sanitizers (their bookkeeping would show as memory growth). Asserts
# nothing.
#   tools/soak.sh [DIALS]   (default 10000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc >/dev/null
cmake --build "$build" -j"$(nproc)" --target redial_soak >/dev/null
"$build/tests/bench/redial_soak" "${1:-10000}"
