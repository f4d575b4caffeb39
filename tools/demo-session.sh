#!/usr/bin/env bash
# usage: tools/demo-session.sh BUILD_DIR SECONDS
# The demo itself, run by run-demo.sh inside a loopback-only namespace:
# three virtual boards (numbered over UDP, numbered over a pseudo-terminal,
# and a self-configuring panel over UDP) and kestrix-sim running the plugin
# from the demo simulator folder. Once configured, the two numbered boards
# flip switches, turn encoders and move levers (examples/demo/*-inputs.txt),
# and kestrix-sim prints every dataref write and command that reaches the
# simulator; meanwhile the simulator's values (an autopilot altitude among
# them) go out to the boards' displays and LEDs. Halfway through, the USB
# board is unplugged (it quits, and its pseudo-terminal goes away) and a
# little later plugged back in on a new one: the plugin shows it
# disconnected, finds it again by itself and configures it, without a
# Reconnect. What the boards saw is shown at the end, and where the
# simulator's Log.txt is.
set -uo pipefail
if [[ "${1:-}" == --help || "${1:-}" == -h ]]; then
    sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"
    exit 0
fi
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
    --inputs "$top/examples/demo/lan-board-inputs.txt" \
    --seconds "$board_seconds" </dev/null >"$work/lan-board.log" 2>&1 &
pids+=($!)
# The USB board is unplugged after unplug_at seconds and plugged back in,
# as a new device, at replug_at.
unplug_at=$((seconds * 2 / 5))
replug_at=$((unplug_at + 2))
"$bin/kestrix-board" --serial "$serial_dir" --name tty.usbmodem2101 --number 2 \
    --inputs "$top/examples/demo/usb-board-inputs.txt" \
    --label "USB board #2" --seconds "$unplug_at" </dev/null >"$work/usb-board.log" 2>&1 &
pids+=($!)
(
    sleep "$replug_at"
    exec "$bin/kestrix-board" --serial "$serial_dir" --name tty.usbmodem2103 --number 2 \
        --inputs "$top/examples/demo/usb-board-inputs.txt" --label "USB board #2, plugged back in" \
        --seconds "$((board_seconds - replug_at))" </dev/null >"$work/usb-board-again.log" 2>&1
) &
pids+=($!)
"$bin/kestrix-board" --udp 127.0.0.3 --panel "$top/tools/board/panel-example.cfg" \
    --label "Lumora Panel" --seconds "$board_seconds" </dev/null >"$work/panel.log" 2>&1 &
pids+=($!)
# Where the firmware and the emulator are built: the Kestrix firmware itself
# as board 3, in an emulated Arduino Mega 2560 on a USB device of its own.
firmware="$build/firmware/kestrix-mega2560.elf"
emulated=()
if [ -x "$bin/kestrix-avr-board" ] && [ -f "$firmware" ]; then
    "$bin/kestrix-avr-board" --firmware "$firmware" --serial "$serial_dir" --name ttyACM3 \
        --number 3 --inputs "$top/examples/demo/emulated-board-inputs.txt" \
        --label "[emulated Mega #3]" --seconds "$board_seconds" </dev/null \
        >"$work/emulated-board.log" 2>&1 &
    pids+=($!)
    emulated=(emulated-board)
fi

# The plugin scans for serial ports once, at startup: the USB board's link
# must be there first.
for _ in $(seq 100); do
    [ -e "$serial_dir/tty.usbmodem2101" ] &&
        { [ ${#emulated[@]} -eq 0 ] || [ -e "$serial_dir/ttyACM3" ]; } && break
    sleep 0.05
done

echo "== kestrix-sim: the plugin in the demo simulator folder (${seconds} s) =="
# The pilot dials the autopilot altitude up twice, and altitude hold arms,
# then captures: the LAN board's 7-segment display and its altitude-hold
# LED (pin 11), and the panel's values, follow.
# In a run of 17 s or more, the pilot presses the output test's key at
# 13 s: for 3 s every LED lights and every display shows 8s, then the
# boards show the simulator's values again.
ap=sim/cockpit2/autopilot
output_test=()
[ "$seconds" -ge 17 ] && output_test=(--command kestrix/output_test@13)
KESTRIX_SERIAL_DIR="$serial_dir" "$bin/kestrix-sim" --root "$root" \
    --aircraft "Aircraft/Laminar Research/Cessna 172SP/Cessna_172SP.acf" --seconds "$seconds" \
    --set "$ap/altitude_dial_ft=3000@4" --set "$ap/altitude_dial_ft=4500@5.5" \
    --set "$ap/altitude_hold_status=1@5.5" --set "$ap/altitude_hold_status=2@7" \
    "${output_test[@]}"
status=$?

for pid in "${pids[@]}"; do kill -INT "$pid" 2>/dev/null; done
wait 2>/dev/null
for log in lan-board usb-board usb-board-again panel; do
    echo
    echo "== what the virtual board saw: $log =="
    cat "$work/$log.log" 2>/dev/null
done
for log in "${emulated[@]}"; do
    echo
    echo "== what the Kestrix firmware did on the emulated board: $log =="
    cat "$work/$log.log" 2>/dev/null
done
echo
echo "== the USB board unplugged at ${unplug_at} s and plugged back in at ${replug_at} s =="
grep -E "lost \(|disconnected|back on" "$root/Log.txt" 2>/dev/null
echo
echo "== the simulator's log =="
if [ -f "$root/Log.txt" ]; then
    echo "$(cd "$root" && pwd)/Log.txt: $(wc -l <"$root/Log.txt") lines from the plugin"
else
    echo "no Log.txt was written in $root"
fi
exit $status
