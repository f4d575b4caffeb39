#!/usr/bin/env bash
# usage: tools/run-tests.sh [--help]
# Builds Kestrix and runs every test (CTest over GoogleTest) inside a
# loopback-only network namespace.
#   BUILD_DIR   build directory (default: build)
#   CMAKE_ARGS  extra configure arguments, e.g. -DKESTRIX_SANITIZE=ON
set -euo pipefail
if [[ "${1:-}" == --help || "${1:-}" == -h ]]; then
    sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"
    exit 0
fi
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
jobs=$(nproc 2>/dev/null || echo 2)

# shellcheck disable=SC2086
cmake -S "$top" -B "$build" -DKESTRIX_BUILD_TESTS=ON ${CMAKE_ARGS:-}
cmake --build "$build" -j"$jobs"
exec "$top/tools/loopback-only.sh" ctest --test-dir "$build" --output-on-failure -j"$jobs"
