#include "protocol/reconnect.h"

#include "base/log.h"
#include "base/settings.h"
#include "config/board_tables.h"
#include "config/status_line.h"
#include "protocol/discovery.h"
#include "protocol/protocol_state.h"
#include "simdata/held_inputs.h"
#include "transport/lan.h"
#include "transport/serial.h"
#include "ui/status_window.h"

namespace {

struct BoardWatch {
    // Discovery ran after this start: only then may anything be called.
    bool discoveryOn = false;
    float nextSerialRescan = 0.0f;
    float nextLanCall = 0.0f;
    int nextHost = 0;  // the next host number the slow sweep looks at
};

BoardWatch watch;

// A USB board whose port went away: its line keeps its number, address and
// name; the counts give way to the word that says it is gone. The same text goes to the log.
void ShowDisconnected(unsigned b) {
    Board& board = Boards[b];
    board.AllowOutput = false;
    board.AllowPing = false;
    ReleaseHeldInputsOf(b);
    const std::string text = BoardLineHead(board) + " - disconnected";
    SetStatusLine(board.StatusLineNumber, text);
    Log("\n" + text);
}

// Ports are removed from the end, so the indices still to look at stay.
void ReleaseLostPorts() {
    for (std::size_t p = serial.ports.size(); p-- > 0;) {
        if (!serial.ports[p].lost) continue;
        const int b = serial.ports[p].SerialIndices;
        const bool hasBoard = b >= 0 && static_cast<std::size_t>(b) < Boards.size() &&
                              Boards[b].SerialIndex == static_cast<int>(p);
        CloseSerialPortAt(p);
        if (!hasBoard) continue;
        Boards[b].SerialIndex = kNoSerialPort;
        ShowDisconnected(static_cast<unsigned>(b));
    }
}

// A device the rescan opened is asked once per rescan; when all its
// requests are spent and no board has answered, it is closed and stays
// closed until it is plugged in anew.
void ProbeRescannedPorts() {
    for (std::size_t p = serial.ports.size(); p-- > 0;) {
        SerialPort& port = serial.ports[p];
        if (port.lost || port.probesLeft < 0 || port.SerialIndices >= 0) continue;
        if (port.probesLeft == 0) {
            if (!settings.USB_FIX) CloseSerialPortAt(p);  // USB_FIX keeps every port open
            continue;
        }
        const bool first = port.probesLeft == kProbesPerNewPort;
        --port.probesLeft;
        const int n = Send_USB(port.comport, InitialMessage.data(), InitialMessage.size());
        if (first) {
            Log("\nSending request to USB " + port.ComPortName + ": " + Decimal(n) + " bytes\n");
        }
    }
}

// The slow sweep: the next host number of the prefix that is not
// registered (the plugin's own host always is). A registered host is never
// called: its board may simply be quiet, and a call would configure it
// again or, unanswered, tell nothing.
void CallUnregisteredHost() {
    for (int tried = 0; tried < 256; ++tried) {
        const int host = watch.nextHost;
        watch.nextHost = (watch.nextHost + 1) % 256;
        if (IsRegisteredHost(host)) continue;
        CallHost(host);
        return;
    }
}

void RescanSerial(float now) {
    if (settings.USBcountVar <= 0 || now < watch.nextSerialRescan) return;
    watch.nextSerialRescan = now + kSerialRescanInterval;
    RescanSerialPorts(kProbesPerNewPort);
    ProbeRescannedPorts();
}

// While scanning, the sweep calls every host that holds no board; after
// it, the slow sweep does, one host a second, unless it is switched off.
void CallLan(bool scanning, float now) {
    if (scanning || !settings.LAN_SLOW_SCAN || now < watch.nextLanCall) return;
    watch.nextLanCall = now + kLanCallInterval;
    CallUnregisteredHost();
}

}  // namespace

void KeepLookingForBoards(bool scanning, float now) {
    if (scanning) watch.discoveryOn = true;
    if (watch.discoveryOn) {
        RescanSerial(now);
        CallLan(scanning, now);
    }
    ReleaseLostPorts();
}

int AdoptDisconnectedSerialBoard(const MessageSource& source, unsigned id) {
    if (!source.isSerial || source.port < 0 ||
        static_cast<std::size_t>(source.port) >= serial.ports.size()) {
        return -1;
    }
    for (std::size_t b = 0; b < Boards.size(); ++b) {
        if (Boards[b].SerialIndex != kNoSerialPort || Boards[b].OutDevice != id) continue;
        Board& board = Boards[b];
        board.SerialIndex = source.port;
        serial.ports[source.port].SerialIndices = static_cast<int>(b);
        Log("\n" + BoardLineHead(board) + " - back on " + serial.ports[source.port].ComPortName);
        return static_cast<int>(b);
    }
    return -1;
}

void ForgetBoardWatch() {
    watch = BoardWatch{};
}
