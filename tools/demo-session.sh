#!/usr/bin/env bash
# The demo itself, run by run-demo.sh inside a loopback-only namespace:
# three virtual boards (numbered over UDP, numbered over a pseudo-terminal,
# and a self-configuring panel over UDP) and kestrix-sim running the plugin
# from the demo simulator folder. What the boards saw is shown at the end,
# and where the simulator's Log.txt is.
#   demo-session.sh BUILD_DIR SECONDS
set -uo pipefail
build=$1
seconds=$2
top=$(cd "$(dirname "$0")/.." && pwd)
bin="$build/bin"
root="$build/demo/X-Plane"
work=$(mktemp -d)
serial_dir="$work/dev"
mkdir -p "$serial_dir"
pids=()

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# Ctrl-C stops kestrix-sim and the boards (they get it too); the script
# itself carries on to show what the boards saw.
trap 'interrupted=1' INT

board_seconds=$((seconds + 3))
"$bin/kestrix-board" --udp 127.0.0.2 --number 1 --label "LAN board #1" \
    --seconds "$board_seconds" >"$work/lan-board.log" 2>&1 &
pids+=($!)
"$bin/kestrix-board" --serial "$serial_dir" --name tty.usbmodem2101 --number 2 \
    --label "USB board #2" --seconds "$board_seconds" >"$work/usb-board.log" 2>&1 &
pids+=($!)
"$bin/kestrix-board" --udp 127.0.0.3 --panel "$top/tools/board/panel-example.cfg" \
    --label "Lumora Panel" --seconds "$board_seconds" >"$work/panel.log" 2>&1 &
pids+=($!)

# The plugin scans for serial ports once, at startup: the USB board's link
# must be there first.
for _ in $(seq 100); do
    [ -e "$serial_dir/tty.usbmodem2101" ] && break
    sleep 0.05
done

echo "== kestrix-sim: the plugin in the demo simulator folder (${seconds} s) =="
KESTRIX_SERIAL_DIR="$serial_dir" "$bin/kestrix-sim" --root "$root" \
    --aircraft "Aircraft/Laminar Research/Cessna 172SP/Cessna_172SP.acf" --seconds "$seconds"
status=$?

for pid in "${pids[@]}"; do kill -INT "$pid" 2>/dev/null; done
wait 2>/dev/null
for log in lan-board usb-board panel; do
    echo
    echo "== what the virtual board saw: $log =="
    cat "$work/$log.log"
done
echo
echo "== the simulator's log =="
if [ -f "$root/Log.txt" ]; then
    echo "$(cd "$root" && pwd)/Log.txt: $(wc -l <"$root/Log.txt") lines from the plugin"
else
    echo "no Log.txt was written in $root"
fi
exit $status
