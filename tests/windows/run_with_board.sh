#!/usr/bin/env bash
# Runs one case of native_board_win_test under wine with a native (Linux)
# kestrix-board beside it, then checks in the board's own log that the
# plugin configured it.
#   run_with_board.sh udp|serial BOARD WINE PROGRAM FILTER
# udp:    the board listens on 127.0.0.2 and the plugin's UDP port, which the
#         test finds in KESTRIX_BOARD_UDP_PORT. A native board, because
#         wine 8.0 binds a Windows socket asked for 127.0.0.2 to 0.0.0.0,
#         where it would take the plugin's own datagrams.
# serial: the board serves a pseudo-terminal, linked into the wine prefix as
#         dosdevices/comN; the test finds COMn in KESTRIX_BOARD_COM and the
#         link in KESTRIX_BOARD_DEVICE.
# serial-stall: as serial, then the board stops reading when the test asks
#         ("stop": the script stops its program with SIGSTOP and answers
#         "stopped") and reads again ("go", answered with "going"); the
#         board's log must then hold no byte outside a whole message.
# serial-replug: as serial, then the board is unplugged and plugged back in
#         when the test asks: the test writes "unplug" and then "plug" into
#         the folder KESTRIX_BOARD_SIGNALS; the script stops the board
#         (its pseudo-terminal hangs up) and answers "unplugged", then starts
#         a new board on a new pseudo-terminal linked as the same COMn and
#         answers "plugged".
# Without BOARD (the Windows build was configured without
# -DKESTRIX_NATIVE_BOARD) it says so and exits 77, which CTest counts as
# skipped.
set -uo pipefail
mode=$1
board=$2
wine=$3
program=$4
filter=$5

if [ -z "$board" ] || [ ! -x "$board" ]; then
    echo "skipped: no native kestrix-board; configure the Windows build with" \
        "-DKESTRIX_NATIVE_BOARD=/path/to/kestrix-board (a Linux build's bin/kestrix-board)"
    exit 77
fi

work=$(mktemp -d)
board_pid=
com_link=
cleanup() {
    if [ -n "$board_pid" ]; then
        kill "$board_pid" 2>/dev/null
        wait "$board_pid" 2>/dev/null
    fi
    [ -n "$com_link" ] && rm -f "$com_link"
    rm -rf "$work"
}
trap cleanup EXIT

# A UDP port no socket on this machine uses, outside the range the system
# hands out for port 0, so it cannot meet another test's port.
free_udp_port() {
    local port
    for _ in $(seq 50); do
        port=$((20000 + RANDOM % 10000))
        if ! command -v ss >/dev/null || [ -z "$(ss -Hlun "sport = :$port" 2>/dev/null)" ]; then
            echo "$port"
            return
        fi
    done
    echo "$port"
}

# The board writes its first line once its transport is open.
wait_for_board() {
    for _ in $(seq 200); do
        [ -s "$work/$board_log" ] && return 0
        kill -0 "$board_pid" 2>/dev/null || break
        sleep 0.05
    done
    echo "the board did not start:"
    cat "$work/$board_log"
    return 1
}

# Board 2 on a pseudo-terminal linked as $work/NAME, logging to $work/LOG.
start_serial_board() {
    "$board" --serial "$work" --name "$1" --number 2 --inputs "$work/inputs.txt" \
        --seconds 300 --label "board #2 serial" </dev/null >"$work/$2" 2>&1 &
    board_pid=$!
    board_log=$2
    wait_for_board
}

# Waits for the test to write the file $1 into the signal folder; false
# when the test has ended first.
wait_for_test() {
    while [ ! -e "$signals/$1" ]; do
        kill -0 "$test_pid" 2>/dev/null || return 1
        sleep 0.05
    done
}

# Starts the test in the background with a signal folder of its own.
start_test_with_signals() {
    signals=$work/signals
    mkdir "$signals"
    export KESTRIX_BOARD_SIGNALS=$signals
    "$wine" "$program" --gtest_filter="$filter" &
    test_pid=$!
}

board_log=board.log
case $mode in
udp)
    port=$(free_udp_port)
    printf 'press D22\n' >"$work/inputs.txt"
    "$board" --udp 127.0.0.2 --port "$port" --number 1 --inputs "$work/inputs.txt" \
        --seconds 300 --label "board #1 udp" </dev/null >"$work/board.log" 2>&1 &
    board_pid=$!
    wait_for_board || exit 1
    export KESTRIX_BOARD_UDP_PORT=$port
    ;;
serial | serial-replug | serial-stall)
    name=tty.usbmodemW1
    printf 'press D2\nrelease D2\n' >"$work/inputs.txt"
    start_serial_board "$name" board.log || exit 1
    dosdevices=${WINEPREFIX:-$HOME/.wine}/dosdevices
    for n in $(seq 20 99); do
        if [ ! -e "$dosdevices/com$n" ] && [ ! -L "$dosdevices/com$n" ] &&
            ln -s "$work/$name" "$dosdevices/com$n" 2>/dev/null; then
            com_link=$dosdevices/com$n
            export KESTRIX_BOARD_COM=COM$n
            break
        fi
    done
    if [ -z "$com_link" ]; then
        echo "no free COM name in $dosdevices"
        exit 1
    fi
    export KESTRIX_BOARD_DEVICE=$work/$name
    # Settings the plugin must replace: 8N1 at 115200 without flow control
    # (with XON/XOFF left on, a board's 0x13 byte would stop the line).
    stty -F "$work/$name" 9600 cs7 parenb cstopb crtscts ixon ixoff
    ;;
*)
    echo "run_with_board.sh: mode must be udp, serial, serial-stall or serial-replug" >&2
    exit 2
    ;;
esac

# The test program would start the prefix's wine server (unless one runs)
# with its own output; when that server exits it may list the objects it
# still holds, the test's DOS device names among them, thousands of lines
# that say nothing about the test. A server started here stays quiet.
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] && "$wineserver" -p3 </dev/null >/dev/null 2>&1

if [ "$mode" = serial-replug ]; then
    start_test_with_signals
    if wait_for_test unplug; then
        kill -INT "$board_pid" 2>/dev/null
        wait "$board_pid" 2>/dev/null
        board_pid=
        touch "$signals/unplugged"
        if wait_for_test plug; then
            # A new device, as a USB adapter plugged in again is one, under
            # the COM name the port had.
            name=tty.usbmodemW2
            if start_serial_board "$name" board2.log; then
                ln -sfn "$work/$name" "$com_link"
                touch "$signals/plugged"
            fi
        fi
    fi
    wait "$test_pid"
    status=$?
elif [ "$mode" = serial-stall ]; then
    start_test_with_signals
    if wait_for_test stop; then
        kill -STOP "$board_pid" 2>/dev/null
        touch "$signals/stopped"
        wait_for_test go
        kill -CONT "$board_pid" 2>/dev/null
        touch "$signals/going"
    fi
    wait "$test_pid"
    status=$?
    if grep -q -- "noise, skipped" "$work/board.log"; then
        echo "FAILED: the board read bytes that belong to no whole message"
        status=1
    fi
else
    "$wine" "$program" --gtest_filter="$filter"
    status=$?
fi

# What the plugin's COM port settings made of the terminal, read while the
# board still holds it open.
if [ "$mode" != udp ] && [ -n "$board_pid" ]; then
    settings=" $(stty -F "$work/$name" -a | tr "\n" " ")"
    for want in "speed 115200 baud" " cs8" " -parenb" " -cstopb" " -crtscts" " -ixon" " -ixoff"; do
        if [[ "$settings" != *"$want"* ]]; then
            echo "FAILED: the COM port is not set to \"${want# }\":"
            echo "$settings"
            status=1
        fi
    done
fi

if [ -n "$board_pid" ]; then
    kill -INT "$board_pid" 2>/dev/null
    wait "$board_pid" 2>/dev/null
    board_pid=
fi
logs=(board.log)
[ "$mode" = serial-replug ] && logs+=(board2.log)
for log in "${logs[@]}"; do
    echo "---- what the board saw ($log) ----"
    cat "$work/$log" 2>/dev/null
    for seen in "board index" "outputs on"; do
        if ! grep -q -- "$seen" "$work/$log" 2>/dev/null; then
            echo "FAILED: $log has no \"$seen\""
            status=1
        fi
    done
done
exit $status
