#!/usr/bin/env bash
# Configures, builds and runs every test through CTest. Usage: scripts/test.sh [ctest arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TALVIK_BUILD_DIR:-build}
jobs=${TALVIK_JOBS:-2}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
