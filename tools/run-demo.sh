#!/usr/bin/env bash
# Builds Kestrix and runs the main job: kestrix-sim loads the built plugin
# from a demo simulator folder with the example aircraft, on loopback only.
#   BUILD_DIR     build directory (default: build)
#   DEMO_SECONDS  how long the demo runs (default: 20); Ctrl-C stops it early
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S "$top" -B "$build" -DKESTRIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target kestrix-sim demo_root
root="$build/demo/X-Plane"
exec "$top/tools/loopback-only.sh" "$build/bin/kestrix-sim" --root "$root" \
    --aircraft "Aircraft/Laminar Research/Cessna 172SP/Cessna_172SP.acf" \
    --seconds "${DEMO_SECONDS:-20}"
