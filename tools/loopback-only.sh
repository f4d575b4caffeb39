#!/usr/bin/env bash
# usage: tools/loopback-only.sh COMMAND [ARGUMENTS...]
# Runs a command in a fresh network namespace whose only interface is
# loopback, so nothing it sends can leave the machine. Where namespaces are
# not allowed, runs it plainly after a warning.
set -euo pipefail
if [[ "${1:-}" == --help || "${1:-}" == -h ]]; then
    sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"
    exit 0
fi

in_namespace() {
    ip link set lo up && exec "$@"
}

if command -v ip >/dev/null 2>&1; then
    if unshare -n true 2>/dev/null; then
        exec unshare -n bash -c "$(declare -f in_namespace); in_namespace \"\$@\"" bash "$@"
    elif unshare -rn true 2>/dev/null; then
        exec unshare -rn bash -c "$(declare -f in_namespace); in_namespace \"\$@\"" bash "$@"
    fi
fi
echo "warning: no network namespace available (needs unshare and ip); running without one" >&2
exec "$@"
