#include "protocol/reconnect.h"

#include <algorithm>
#include <array>

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

// What is known of one LAN host number while its board is watched.
struct HostWatch {
    float lastHeard = -1.0f;  // simulator time of its latest datagram; -1 not yet seen
    float silentAfter = kLanSilentAfter;
    int unansweredCalls = 0;
    bool gone = false;
};

struct BoardWatch {
    // Discovery ran after this start: only then may anything be called.
    bool discoveryOn = false;
    float nextSerialRescan = 0.0f;
    float nextLanCall = 0.0f;
    bool silentHostsTurn = false;  // LAN calls alternate between silent and unknown hosts
    int nextHost = 0;              // the next host number the slow sweep looks at
    std::size_t nextRegistered = 1;
    std::array<HostWatch, 256> hosts{};
};

BoardWatch watch;

// The board's line up to its counts: its number, address and name.
std::string BoardLineHead(const Board& board, const std::string& address) {
    const std::string text = BoardStatusText(board.StatusLineNumber, address, board);
    return text.substr(0, text.find(','));
}

// The board's line keeps its number, address and name; the counts give way
// to the word that says it is gone. The same text goes to the log.
void ShowDisconnected(unsigned b, const std::string& address) {
    Board& board = Boards[b];
    board.AllowOutput = false;
    board.AllowPing = false;
    ReleaseHeldInputsOf(b);
    const std::string text = BoardLineHead(board, address) + " - disconnected";
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
        ShowDisconnected(static_cast<unsigned>(b), "USB");
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

void MarkLanBoardGone(int host, std::size_t k) {
    watch.hosts[host].gone = true;
    const int b = lan.NetworkIndices[k];
    Log("\nNo answer from " + lan.Base_IP + Decimal(host));
    if (b < 0 || static_cast<std::size_t>(b) >= Boards.size()) return;
    if (Boards[b].SerialIndex >= 0) return;  // the index went to a board of another source
    ShowDisconnected(static_cast<unsigned>(b), "LAN");
}

// The next registered host (round robin) that has been silent long enough:
// called, and counted as gone once its calls go unanswered.
bool CallSilentHost(float now) {
    const std::size_t count = lan.UsedAddr.size();
    if (count < 2) return false;  // entry 0 is the plugin's own host
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const std::size_t k = 1 + (watch.nextRegistered - 1 + i) % (count - 1);
        const int host = lan.UsedAddr[k];
        if (host < 0 || host > 255) continue;
        HostWatch& h = watch.hosts[host];
        if (h.lastHeard < 0) h.lastHeard = now;  // registered before it was watched
        if (now - h.lastHeard < h.silentAfter) continue;
        watch.nextRegistered = k + 1;
        if (h.unansweredCalls >= kUnansweredCallsBeforeGone && !h.gone) MarkLanBoardGone(host, k);
        ++h.unansweredCalls;
        CallHost(host);
        return true;
    }
    return false;
}

// The slow sweep: the next host number of the prefix that is not
// registered (the plugin's own host always is).
void CallUnregisteredHost() {
    for (int tried = 0; tried < 256; ++tried) {
        const int host = watch.nextHost;
        watch.nextHost = (watch.nextHost + 1) % 256;
        if (IsRegisteredHost(host)) continue;
        CallHost(host);
        return;
    }
}

void CallOneLanHost(float now) {
    watch.silentHostsTurn = !watch.silentHostsTurn;
    if (watch.silentHostsTurn && CallSilentHost(now)) return;
    CallUnregisteredHost();
}

void RescanSerial(float now) {
    if (settings.USBcountVar <= 0 || now < watch.nextSerialRescan) return;
    watch.nextSerialRescan = now + kSerialRescanInterval;
    RescanSerialPorts(kProbesPerNewPort);
    ProbeRescannedPorts();
}

void CallLan(bool scanning, float now) {
    // While scanning, the sweep calls every host that holds no board.
    if (scanning || now < watch.nextLanCall) return;
    watch.nextLanCall = now + kLanCallInterval;
    CallOneLanHost(now);
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

void NoteLanDatagram(const sockaddr_in& sender, bool identification, float now) {
    const int host = HostNumber(sender);
    HostWatch& h = watch.hosts[host];
    const bool wasCalled = h.unansweredCalls > 0;
    h.lastHeard = now;
    h.unansweredCalls = 0;
    if (h.gone) {
        h.gone = false;
        h.silentAfter = kLanSilentAfter;
        Log("\nAnswer from " + lan.Base_IP + Decimal(host) + " again");
        // Only an identification configures it again; ask for one.
        if (!identification && IsRegisteredHost(host)) CallHost(host);
    } else if (wasCalled && identification) {
        // It was only quiet: it answered the call that silence brought.
        h.silentAfter = std::min(2 * h.silentAfter, kLanLongestSilence);
    }
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
        Log("\n" + BoardLineHead(board, "USB") + " - back on " +
            serial.ports[source.port].ComPortName);
        return static_cast<int>(b);
    }
    return -1;
}

void ForgetBoardWatch() {
    watch = BoardWatch{};
}
