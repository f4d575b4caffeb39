#include "protocol/discovery.h"

#include "base/socket_address.h"

#include <algorithm>

#include "base/log.h"
#include "base/settings.h"
#include "base/text.h"
#include "config/board_tables.h"
#include "protocol/protocol_state.h"
#include "transport/lan.h"
#include "transport/serial.h"

namespace {

bool Contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// Points the discovery address (port unchanged) at host h of the prefix.
// Fails when the prefix gives no address, so no request goes to a stale one.
bool AimAtHost(int host) {
    lan.My_IP_str = lan.Base_IP + Decimal(host);
    if (lan.Base_IP.empty()) return false;
    lan.discovery.sin_family = AF_INET;
    return inet_pton(AF_INET, lan.My_IP_str.c_str(), &lan.discovery.sin_addr) == 1;
}

int SendDiscoveryRequest() {
    return Send_LAN(InitialMessage.data(), InitialMessage.size(), lan.discovery);
}

}  // namespace

int HostNumber(const sockaddr_in& address) {
    return static_cast<int>(ntohl(address.sin_addr.s_addr) & 0xFF);
}

bool IsRegisteredHost(int host) {
    return Contains(lan.UsedAddr, host);
}

namespace {

int LanConnection(const MessageSource& source, bool create) {
    const int host = HostNumber(source.sender);
    for (std::size_t k = 0; k < lan.UsedAddr.size(); ++k) {
        if (lan.UsedAddr[k] != host) continue;
        return k == 0 ? -1 : lan.NetworkIndices[k];  // entry 0 is our own host
    }
    if (!create) return -1;
    lan.UsedAddr.push_back(host);
    lan.NetworkIndices.push_back(static_cast<int>(Boards.size()));
    return static_cast<int>(Boards.size());
}

// Both names of a device (tty. and cu.) count as in use; a name without a
// dot after its last separator, as Linux ("/dev/ttyUSB0") and Windows
// ("\\.\COM3") give their ports, counts under its own path.
void MarkPortInUse(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::size_t dot = path.find('.', slash == std::string::npos ? 0 : slash + 1);
    if (dot == std::string::npos) {
        serial.UsedUSB.push_back(path);
        return;
    }
    serial.UsedUSB.push_back(dir + "tty" + path.substr(dot));
    serial.UsedUSB.push_back(dir + "cu" + path.substr(dot));
}

int PortIndexOf(const std::string& path) {
    for (std::size_t p = 0; p < serial.ports.size(); ++p) {
        if (serial.ports[p].ComPortName == path) return static_cast<int>(p);
    }
    return -1;
}

int SerialConnection(MessageSource& source, bool create) {
    int p = source.port;
    if (p < 0 || static_cast<std::size_t>(p) >= serial.ports.size()) return -1;
    if (serial.ports[p].SerialIndices >= 0) return serial.ports[p].SerialIndices;
    if (!create) return -1;
    ++discovery.USBLength;
    const std::string path = serial.ports[p].ComPortName;
    MarkPortInUse(path);
    // The startup's ports: once the expected number of boards has answered,
    // the others are closed. A port a later rescan opened is no part of
    // that count's closing: other boards plugged in with it may still be
    // answering their requests, and such a port is closed by its own probes.
    const bool startupPort = serial.ports[p].probesLeft < 0;
    if (startupPort && discovery.USBLength >= settings.USBcountVar) {
        ClearUSB();  // every expected USB board has been found
        // The sending port stays the port being handled, wherever it moved.
        p = PortIndexOf(path);
        source.port = p;
        if (p < 0) return -1;
    }
    serial.ports[p].SerialBuffer.clear();
    serial.ports[p].SerialIndices = static_cast<int>(Boards.size());
    return serial.ports[p].SerialIndices;
}

}  // namespace

void DiscoverySweepStep() {
    bool allow = !Contains(lan.UsedAddr, cycleState.Next);
    if (!Contains(lan.TempLAN, cycleState.Next) && allow && AimAtHost(cycleState.Next)) {
        SendDiscoveryRequest();
    }
    cycleState.Next = cycleState.Next <= 254 ? cycleState.Next + 1 : 0;
}

void SendOneShotRequests() {
    for (const SerialPort& port : serial.ports) {
        if (port.SerialIndices >= 0) continue;
        int n = Send_USB(port.comport, InitialMessage.data(), InitialMessage.size());
        Log("\nSending request to USB " + port.ComPortName + ": " + Decimal(n) + " bytes\n");
    }
    for (int host : lan.TempLAN) {
        if (Contains(lan.UsedAddr, host)) continue;
        int n = AimAtHost(host) ? SendDiscoveryRequest() : -1;
        Log("\nSending request to LAN " + lan.My_IP_str + ": " + Decimal(n) + " bytes\n");
    }
    lan.TempLAN.clear();
    cycleState.send_usb_request = false;
}

int CallHost(int host) {
    return AimAtHost(host) ? SendDiscoveryRequest() : -1;
}

int ConnectionExists(MessageSource& source, bool create) {
    return source.isSerial ? SerialConnection(source, create) : LanConnection(source, create);
}

bool SourceOwnsBoard(int b, const MessageSource& source) {
    if (b < 0 || static_cast<std::size_t>(b) >= Boards.size()) return false;
    const Board& board = Boards[b];
    if (source.isSerial) return board.SerialIndex == source.port;
    return board.SerialIndex < 0 && HostNumber(board.UdpIP) == HostNumber(source.sender);
}

int ReassignSourceIndex(const MessageSource& source) {
    int next = static_cast<int>(Boards.size());
    if (source.isSerial) {
        serial.ports.at(source.port).SerialIndices = next;
        return next;
    }
    int host = HostNumber(source.sender);
    for (std::size_t k = 1; k < lan.UsedAddr.size(); ++k) {
        if (lan.UsedAddr[k] == host) lan.NetworkIndices[k] = next;
    }
    return next;
}
