#!/usr/bin/env bash
# usage: tools/run-demo.sh [--help]
# Builds Kestrix and runs the main job: kestrix-sim loads the built plugin
# from a demo simulator folder with the example aircraft, and three virtual
# boards connect to it (numbered over UDP, numbered over a pseudo-terminal,
# and a self-configuring panel), on loopback only; with the AVR toolchain
# and simavr installed, the Kestrix firmware joins them as board 3 in an
# emulated Arduino Mega 2560.
#   BUILD_DIR     build directory (default: build-demo)
#   DEMO_SECONDS  how long the demo runs (default: 20); Ctrl-C stops it early
set -euo pipefail
if [[ "${1:-}" == --help || "${1:-}" == -h ]]; then
    sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"
    exit 0
fi
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build-demo}
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S "$top" -B "$build" -DKESTRIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target kestrix-sim kestrix-board demo_root
# The firmware in an emulated board beside them, where the AVR toolchain and
# simavr are installed (user guide, section 11).
targets=$(cmake --build "$build" --target help)
if grep -q kestrix-avr-board <<<"$targets"; then
    cmake --build "$build" -j"$jobs" --target kestrix-avr-board kestrix_firmware
fi
exec "$top/tools/loopback-only.sh" "$top/tools/demo-session.sh" "$build" "${DEMO_SECONDS:-20}"
