#!/usr/bin/env bash
# usage: tools/kestrix-flash.sh [--help] --port PORT [--number N] [options]
# Flashes the Kestrix firmware onto an Arduino Mega 2560 with avrdude and
# writes the board number (1 to 9) into its EEPROM, so one firmware serves
# every board of a cockpit. The number stays in EEPROM when the firmware is
# flashed again without --number.
#   --port PORT      the board's serial port: /dev/ttyACM0 (Linux),
#                    /dev/cu.usbmodem1101 (macOS), COM3 (Windows)
#   --number N       the board number, 1 to 9 (its section *N of data.cfg)
#   --number-only    write the number only, leave the firmware as it is
#   --hex FILE       the firmware (default: build/firmware/kestrix-mega2560.hex)
#   --programmer P   avrdude's programmer (default: wiring, the Mega's own
#                    bootloader; usbasp or avrisp for an ISP programmer)
#   --baud B         the bootloader's speed (default: 115200)
#   --dry-run        print the avrdude command instead of running it
# Exit status: avrdude's, or 2 for wrong arguments.
set -euo pipefail
usage() { sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; }
if [[ "${1:-}" == --help || "${1:-}" == -h ]]; then
    usage
    exit 0
fi
top=$(cd "$(dirname "$0")/.." && pwd)
port="" number="" hex="$top/build/firmware/kestrix-mega2560.hex"
programmer=wiring baud=115200 numberOnly=0 dryRun=0
fail() {
    echo "kestrix-flash: $1" >&2
    usage >&2
    exit 2
}
while [ $# -gt 0 ]; do
    case "$1" in
        --port) port=${2:-}; shift 2 || fail "--port needs a port" ;;
        --number) number=${2:-}; shift 2 || fail "--number needs a number" ;;
        --number-only) numberOnly=1; shift ;;
        --hex) hex=${2:-}; shift 2 || fail "--hex needs a file" ;;
        --programmer) programmer=${2:-}; shift 2 || fail "--programmer needs a name" ;;
        --baud) baud=${2:-}; shift 2 || fail "--baud needs a speed" ;;
        --dry-run) dryRun=1; shift ;;
        *) fail "unknown argument $1" ;;
    esac
done
[ -n "$port" ] || fail "--port is needed"
if [ -n "$number" ] && ! [[ "$number" =~ ^[1-9]$ ]]; then
    fail "the board number is one digit, 1 to 9"
fi
[ "$numberOnly" -eq 0 ] || [ -n "$number" ] || fail "--number-only needs --number"

# -D: the bootloader erases what it writes itself; a chip erase would also
# clear the EEPROM with the board number.
command=(avrdude -p atmega2560 -c "$programmer" -P "$port" -b "$baud" -D)
if [ "$numberOnly" -eq 0 ]; then
    [ "$dryRun" -eq 1 ] || [ -f "$hex" ] || fail "no firmware at $hex (build it first)"
    command+=(-U "flash:w:$hex:i")
fi
# EEPROM bytes 0 to 2: "K", "X" and the number.
[ -z "$number" ] || command+=(-U "eeprom:w:0x4b,0x58,$number:m")

if [ "$dryRun" -eq 1 ]; then
    echo "${command[*]}"
    exit 0
fi
exec "${command[@]}"
