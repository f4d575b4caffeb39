#!/usr/bin/env bash
# usage: tools/kestrix-flash.sh [--help] --port PORT [--number N] [options]
# Flashes the Kestrix firmware onto an Arduino Mega 2560 with avrdude and
# writes the board number (1 to 9) into its EEPROM, so one firmware serves
# every board of a cockpit, and for a board with an Ethernet shield how it
# is reached on the LAN. The EEPROM keeps what was written when the
# firmware is flashed again without these options.
#   --port PORT      the board's serial port: /dev/ttyACM0 (Linux),
#                    /dev/cu.usbmodem1101 (macOS), COM3 (Windows)
#   --number N       the board number, 1 to 9 (its section *N of data.cfg)
#   --number-only    write the EEPROM only, leave the firmware as it is
#   --hex FILE       the firmware (default: kestrix-mega2560.hex beside this
#                    script, as in the release archive, else
#                    build/firmware/kestrix-mega2560.hex)
#   --programmer P   avrdude's programmer (default: wiring, the Mega's own
#                    bootloader; usbasp or avrisp for an ISP programmer)
#   --baud B         the bootloader's speed (default: 115200)
#   --dry-run        print the avrdude command instead of running it
# A LAN board (a W5500 Ethernet shield; these need --number as well):
#   --lan dhcp       its address from the network's DHCP server (the router)
#   --lan A.B.C.D[/P]  a fixed address, P the network prefix (default 24,
#                    a mask of 255.255.255.0)
#   --gateway A.B.C.D  a fixed address's gateway (default: none; the plugin
#                    and the board share a network)
#   --udp-port N     the plugin's UDP port, PORT in config.ini (default 5080)
#   --mac XX:XX:XX:XX:XX:XX  the shield's MAC address, from its sticker
#                    (default: 02:4B:58:00:00:0N, N the board number)
#   --usb            make a LAN board a USB board again
# Exit status: avrdude's, or 2 for wrong arguments.
set -euo pipefail
usage() { sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; }
if [[ "${1:-}" == --help || "${1:-}" == -h ]]; then
    usage
    exit 0
fi
here=$(cd "$(dirname "$0")" && pwd)
# Beside the script in the release archive (firmware/), else in the build tree.
hex="$here/kestrix-mega2560.hex"
[ -f "$hex" ] || hex="$(cd "$here/.." && pwd)/build/firmware/kestrix-mega2560.hex"
port="" number=""
programmer=wiring baud=115200 numberOnly=0 dryRun=0
lan="" gateway="" udpPort="" mac="" usb=0
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
        --lan) lan=${2:-}; shift 2 || fail "--lan needs dhcp or an address" ;;
        --gateway) gateway=${2:-}; shift 2 || fail "--gateway needs an address" ;;
        --udp-port) udpPort=${2:-}; shift 2 || fail "--udp-port needs a port" ;;
        --mac) mac=${2:-}; shift 2 || fail "--mac needs an address" ;;
        --usb) usb=1; shift ;;
        *) fail "unknown argument $1" ;;
    esac
done
[ -n "$port" ] || fail "--port is needed"
if [ -n "$number" ] && ! [[ "$number" =~ ^[1-9]$ ]]; then
    fail "the board number is one digit, 1 to 9"
fi
[ "$numberOnly" -eq 0 ] || [ -n "$number" ] || fail "--number-only needs --number"

# An IPv4 address as four decimal bytes separated by commas (avrdude's
# list), or a failure.
address_bytes() {
    local IFS=. part out=""
    [[ "$1" =~ ^[0-9]{1,3}(\.[0-9]{1,3}){3}$ ]] || return 1
    for part in $1; do
        [ "$((10#$part))" -le 255 ] || return 1
        out+="${out:+,}$((10#$part))"
    done
    echo "$out"
}
as_number() { # the address's four bytes as one 32-bit number
    local IFS=, a b c d
    read -r a b c d <<<"$1"
    echo $(((a << 24) | (b << 16) | (c << 8) | d))
}
as_bytes() {
    echo "$((($1 >> 24) & 255)),$((($1 >> 16) & 255)),$((($1 >> 8) & 255)),$(($1 & 255))"
}

# The network settings, EEPROM bytes 3 to 23 (firmware/net/network_settings.h).
network=""
if [ -n "$lan" ] || [ "$usb" -eq 1 ]; then
    [ -n "$number" ] || fail "the network settings need --number (they follow it in EEPROM)"
    [ -z "$lan" ] || [ "$usb" -eq 0 ] || fail "--lan and --usb exclude each other"
fi
[ -n "$lan" ] || [ -z "$gateway$udpPort$mac" ] || fail "--gateway, --udp-port and --mac need --lan"
if [ "$usb" -eq 1 ]; then
    network=",0x55" # "U": any byte but "D" and "F" makes a USB board
elif [ -n "$lan" ]; then
    fixed="0,0,0,0,0,0,0,0,0,0,0,0"
    mark=0x44 # "D"
    if [ "$lan" != dhcp ]; then
        prefix=24 host=${lan%/*}
        [ "$host" = "$lan" ] || prefix=${lan#*/}
        [[ "$prefix" =~ ^[0-9]+$ ]] && [ "$prefix" -ge 8 ] && [ "$prefix" -le 30 ] ||
            fail "the network prefix is 8 to 30 (24 for 255.255.255.0)"
        hostBytes=$(address_bytes "$host") || fail "$host is not an IPv4 address"
        value=$(as_number "$hostBytes")
        mask=$(((0xFFFFFFFF << (32 - prefix)) & 0xFFFFFFFF))
        hostPart=$((value & ~mask & 0xFFFFFFFF))
        if [ "$hostPart" -eq 0 ] || [ "$hostPart" -eq $((~mask & 0xFFFFFFFF)) ] ||
            [ $((value >> 24)) -eq 0 ] || [ $((value >> 24)) -ge 224 ]; then
            fail "$lan is not an address a board can have"
        fi
        gatewayBytes="0,0,0,0"
        if [ -n "$gateway" ]; then
            gatewayBytes=$(address_bytes "$gateway") || fail "$gateway is not an IPv4 address"
        fi
        fixed="$hostBytes,$(as_bytes "$mask"),$gatewayBytes"
        mark=0x46 # "F"
    fi
    udpPort=${udpPort:-5080}
    [[ "$udpPort" =~ ^[0-9]{1,5}$ ]] && [ "$udpPort" -ge 1 ] && [ "$udpPort" -le 65535 ] ||
        fail "the UDP port is 1 to 65535"
    [ "$udpPort" -ne 67 ] && [ "$udpPort" -ne 68 ] || fail "ports 67 and 68 are DHCP's"
    macBytes="0xff,0xff,0xff,0xff,0xff,0xff"
    if [ -n "$mac" ]; then
        [[ "$mac" =~ ^([0-9A-Fa-f]{2}[:-]){5}[0-9A-Fa-f]{2}$ ]] || fail "$mac is not a MAC address"
        macBytes=$(echo "$mac" | tr ':-' ',,' | sed 's/\([0-9A-Fa-f]\{2\}\)/0x\1/g')
        [ $((${macBytes%%,*} & 1)) -eq 0 ] || fail "$mac is a group address, not a board's"
        [ "$(echo "$macBytes" | tr -d '0x,')" != "" ] || fail "$mac is all zeros"
    fi
    network=",$mark,$fixed,$((udpPort >> 8)),$((udpPort & 255)),$macBytes"
fi

# -D: the bootloader erases what it writes itself; a chip erase would also
# clear the EEPROM with the board number.
command=(avrdude -p atmega2560 -c "$programmer" -P "$port" -b "$baud" -D)
if [ "$numberOnly" -eq 0 ]; then
    [ "$dryRun" -eq 1 ] || [ -f "$hex" ] || fail "no firmware at $hex (build it first)"
    command+=(-U "flash:w:$hex:i")
fi
# EEPROM bytes 0 to 2: "K", "X" and the number; the network settings after.
[ -z "$number" ] || command+=(-U "eeprom:w:0x4b,0x58,$number$network:m")

if [ "$dryRun" -eq 1 ]; then
    echo "${command[*]}"
    exit 0
fi
exec "${command[@]}"
