#!/usr/bin/env bash
# usage: tools/make-release.sh [--help]
# Makes Kestrix-<version>.zip, the archive a builder downloads and drops
# into the simulator, from four builds: Linux 64-bit (with the board
# firmware, which needs the AVR tools), Linux 32-bit, Windows (mingw-w64)
# and macOS (universal, cmake/zig-macos.cmake). A build folder
# that does not exist yet is configured (Release); each is brought up to
# date, then the checks that read its module run (exports, imports, the
# Mach-O check); the archive takes exactly the files they passed, and
# tools/release/check_archive.cmake then checks the archive's listing and
# every file's checksum.
#   LINUX_BUILD    Linux 64-bit build (default: build-release/linux64)
#   LINUX32_BUILD  Linux 32-bit build (default: build-release/linux32)
#   WINDOWS_BUILD  Windows build (default: build-release/windows)
#   MACOS_BUILD    macOS build (default: build-release/macos)
#   OUT_DIR        where the archive goes (default: out)
set -euo pipefail
if [[ "${1:-}" == --help || "${1:-}" == -h ]]; then
    sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"
    exit 0
fi
top=$(cd "$(dirname "$0")/.." && pwd)
lin=${LINUX_BUILD:-$top/build-release/linux64}
lin32=${LINUX32_BUILD:-$top/build-release/linux32}
win=${WINDOWS_BUILD:-$top/build-release/windows}
mac=${MACOS_BUILD:-$top/build-release/macos}
out=${OUT_DIR:-$top/out}
version=$(sed -n 's/^project(Kestrix VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
jobs=$(nproc 2>/dev/null || echo 2)

# prepare <build> <test regex> <targets> -- <configure arguments>
# Configures a missing build, builds the targets and runs the checks that
# read what they built; ctest fails if no check matched.
prepare() {
    local dir=$1 checks=$2 targets=$3
    shift 4
    if [[ ! -f "$dir/CMakeCache.txt" ]]; then
        cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DKESTRIX_BUILD_TESTS=ON "$@"
    fi
    # shellcheck disable=SC2086
    cmake --build "$dir" -j"$jobs" --target $targets
    ctest --test-dir "$dir" -R "$checks" --no-tests=error --output-on-failure
}
prepare "$lin" '^(module_exports_only_entry_points|firmware\.no_heap_and_half_the_chip)$' \
    "kestrix_plugin kestrix-check kestrix_firmware" --
prepare "$lin32" '^module_exports_only_entry_points$' kestrix_plugin -- -DKESTRIX_32BIT=ON
prepare "$win" '^win\.(module_imports_and_exports|install_layout)$' \
    "kestrix_plugin kestrix-check" -- -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake"
prepare "$mac" '^mac\.' "kestrix_plugin kestrix-check" -- \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/zig-macos.cmake"

# Where each file of the archive comes from, in the archive's order.
stage=$out/Kestrix-$version
files=(
    "$stage/README.txt" README.txt
    "$lin/Kestrix/64/lin.xpl" Kestrix/64/lin.xpl
    "$mac/Kestrix/64/mac.xpl" Kestrix/64/mac.xpl
    "$win/Kestrix/64/win.xpl" Kestrix/64/win.xpl
    "$lin32/Kestrix/32/lin.xpl" Kestrix/32/lin.xpl
    "$top/examples/config.ini" Kestrix/config.ini
    "$top/examples/data.cfg" Kestrix/data.cfg.sample
    "$lin/bin/kestrix-check" kestrix-check/linux/kestrix-check
    "$mac/bin/kestrix-check" kestrix-check/macos/kestrix-check
    "$win/bin/kestrix-check.exe" kestrix-check/windows/kestrix-check.exe
    "$lin/firmware/kestrix-mega2560.hex" firmware/kestrix-mega2560.hex
    "$top/tools/kestrix-flash.sh" firmware/kestrix-flash.sh
    "$top/docs/user-guide.md" docs/user-guide.md
    "$top/docs/data-cfg.md" docs/data-cfg.md
    "$top/docs/reconnecting.md" docs/reconnecting.md
)
# The user guide's wiring pictures.
for picture in "$top"/docs/wiring/*.svg; do
    files+=("$picture" "docs/wiring/$(basename "$picture")")
done
rm -rf "$stage"
mkdir -p "$stage"
sed "s/@VERSION@/$version/" "$top/tools/release/README.txt.in" >"$stage/README.txt"
hashes=$out/Kestrix-$version.sha256
archive=$out/Kestrix-$version.zip
: >"$hashes"
names=()
for ((i = 0; i < ${#files[@]}; i += 2)); do
    from=${files[i]} name=${files[i + 1]}
    # The checksum of the file the checks above passed, taken before it is
    # copied: the archive check compares the packed file with it.
    echo "$(sha256sum <"$from" | cut -d' ' -f1)  $name" >>"$hashes"
    if [[ "$from" != "$stage/$name" ]]; then
        mkdir -p "$(dirname "$stage/$name")"
        cp "$from" "$stage/$name"
    fi
    names+=("$name")
done
rm -f "$archive"
(cd "$stage" && cmake -E tar cf "$archive" --format=zip "${names[@]}")
cmake -DARCHIVE="$archive" -DHASHES="$hashes" -DWORK="$out/check" \
    -P "$top/tools/release/check_archive.cmake"
rm -rf "$out/check"
echo "$archive"
