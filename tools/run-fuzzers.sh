#!/usr/bin/env bash
# usage: tools/run-fuzzers.sh [--help] [fuzzer arguments...]
# Builds the libFuzzer targets of tests/fuzz with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for a fixed time on a copy of its
# seed corpus (the tree is never written to), inside a loopback-only network
# namespace. A crash, a sanitizer report, a timeout or running out of memory
# is a finding: the input that caused it is kept in the work directory and
# the script ends with status 1.
#   BUILD_DIR     build directory (default: build-fuzz)
#   FUZZ_SECONDS  seconds per target (default: 60)
#   FUZZ_TARGETS  targets to run (default: "inbound data_cfg config_ini board lan")
#   FUZZ_WORK     work directory for the corpora, logs and findings (default:
#                 a new temporary directory, removed when nothing was found)
# Further arguments go to every fuzzer, for example -max_len=65536 or -jobs=2.
set -euo pipefail
if [[ "${1:-}" == --help || "${1:-}" == -h ]]; then
    sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"
    exit 0
fi
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-"inbound data_cfg config_ini board lan"}
jobs=$(nproc 2>/dev/null || echo 2)

CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DKESTRIX_FUZZ=ON -DKESTRIX_BUILD_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" --target fuzzers

if [ -n "${FUZZ_WORK:-}" ]; then
    work=$FUZZ_WORK
    keep=1
    mkdir -p "$work"
else
    work=$(mktemp -d)
    keep=0
fi

# Seeds: the target's own corpus; the data.cfg target also starts from the
# inbound target's four-board data.cfg and the examples.
seed() {
    local target=$1 dir=$work/corpus-$1
    mkdir -p "$dir"
    cp "$top/tests/fuzz/corpus/$target/"* "$dir/"
    if [ "$target" = data_cfg ]; then
        cp "$top/tests/fuzz/boards.cfg" "$dir/"
    fi
}

# -detect_leaks=0: the plugin's state is process-wide and lives from one
# input to the next, so a leak check after every input only costs time (two
# thirds of it); the sanitizer still looks for leaks when the fuzzer exits.
found=()
for target in $targets; do
    seed "$target"
    echo "== fuzz_$target: ${seconds} s"
    status=0
    "$top/tools/loopback-only.sh" "$build/fuzz/fuzz_$target" \
        -max_total_time="$seconds" -timeout=10 -close_fd_mask=2 -detect_leaks=0 \
        -dict="$top/tests/fuzz/kestrix.dict" -artifact_prefix="$work/fuzz_$target-" \
        "$@" "$work/corpus-$target" >"$work/fuzz_$target.log" 2>&1 || status=$?
    grep -E '^(#[0-9]+ +DONE|Done )' "$work/fuzz_$target.log" | tail -1 || true
    if [ "$status" -ne 0 ]; then
        found+=("$target")
        echo "fuzz_$target found a fault (exit status $status):"
        grep -E -A40 '^==[0-9]+==ERROR|runtime error|ALARM|out-of-memory|deadly signal' \
            "$work/fuzz_$target.log" | head -60
        ls "$work"/fuzz_"$target"-* 2>/dev/null || true
    fi
done

if [ ${#found[@]} -gt 0 ]; then
    echo "Findings in: ${found[*]}. Inputs and logs are in $work; reproduce one with"
    echo "  $build/fuzz/fuzz_<target> <input file>"
    exit 1
fi
echo "No finding."
[ "$keep" -eq 1 ] || rm -rf "$work"
