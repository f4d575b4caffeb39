#include "protocol/identification.h"

#include "transport/serial_port.h"

#include <algorithm>
#include <cctype>

#include "base/log.h"
#include "base/text.h"
#include "config/board_tables.h"
#include "config/parser.h"
#include "config/status_line.h"
#include "protocol/discovery.h"
#include "protocol/protocol_state.h"
#include "protocol/reconnect.h"
#include "protocol/upload.h"
#include "simdata/mode_message.h"
#include "transport/lan.h"
#include "transport/serial.h"
#include "ui/status_window.h"

namespace {

// Identification of a self-configuring board: its whole configuration.
constexpr std::size_t kLongestNumberedIdentity = 9;
constexpr std::size_t kIdReplySize = 7;

void SendIdReply(const MessageSource& source, int b) {
    uint8_t reply[kIdReplySize] = {'~', 0, 0, 0, 0, 0, static_cast<uint8_t>(b + 1)};
    int n = -1;
    if (source.isSerial) {
        SerialPort& port = serial.ports.at(source.port);
        n = Send_USB(port.comport, reply, sizeof reply);
        port.SerialBuffer.clear();
        // Unread input only: unsent output would be the reply itself.
        FlushSerialInput(port.comport);
    } else {
        n = Send_LAN(reply, sizeof reply, Boards.at(b).UdpIP);
    }
    if (n > 0) Log("\nID sent: " + Decimal(b + 1));
}

void ConfigureSelfConfiguringBoard(std::string text, int b, const MessageSource& source) {
    if (!StartsWith(text, "[")) text = "[O]\n" + text;
    ReadConfigFile(text, static_cast<std::size_t>(b), 0, source);
    SendIdReply(source, b);
}

bool AlreadyWarned(int b) {
    return std::find(discovery.wrong_versions.begin(), discovery.wrong_versions.end(),
                     static_cast<unsigned>(b)) != discovery.wrong_versions.end();
}

// The warning takes the next status line; it is shown once per board index.
void WarnWrongVersion(int b, unsigned version) {
    if (AlreadyWarned(b)) return;
    int n = ++message_line_number;
    std::string line = "   ";
    if (n - 2 >= 0) line += Decimal(n - 2) + ". ";  // a negative number means nothing
    line += "Wrong library version - ";
    if (version > 118) line += VersionText(version) + " ";
    line += "(req. min. " + VersionText(lib_ver) + ")";
    SetStatusLine(n, line);
    discovery.wrong_versions.push_back(static_cast<unsigned>(b));
}

unsigned VersionOf(const std::string& identity) {
    return static_cast<uint8_t>(identity[1]);
}

bool IsRefusedVersion(unsigned version) {
    return version < lib_ver || version >= max_lib_ver;
}

// A numbered board names itself with "A", its version byte and one digit;
// anything else names no section and is left unconfigured, like a message
// of neither form.
bool IsNumberedIdentity(const std::string& identity) {
    return StartsWith(identity, "A") && std::isdigit(static_cast<unsigned char>(identity[2]));
}

void ConfigureNumberedBoard(int b, unsigned number, const MessageSource& source) {
    auto section = std::find(ArduinoID.begin(), ArduinoID.end(), number);
    std::string text;
    if (section != ArduinoID.end()) text = ArduinoConfigFile.at(section - ArduinoID.begin());
    ReadConfigFile(text, static_cast<std::size_t>(b), number, source);
    SendConfig(source, static_cast<unsigned>(b));
}

}  // namespace

std::string VersionText(unsigned version) {
    std::string digits = Decimal(version);
    return digits.substr(0, 1) + "." + digits.substr(1);
}

void HandleIdentification(const std::string& message, MessageSource& source) {
    const std::string identity = message.substr(1);
    int b = ConnectionExists(source, true);
    if (b < 0) return;
    const bool hasRows = static_cast<std::size_t>(b) < Boards.size();
    const bool owned = hasRows && SourceOwnsBoard(b, source);
    // A LAN board that restarted may send from another source port: it is
    // reached where its latest identification came from.
    if (owned && !source.isSerial) Boards[b].UdpIP = source.sender;
    const bool selfConfiguring = identity.size() > kLongestNumberedIdentity;
    if (!selfConfiguring && !IsNumberedIdentity(identity)) return;
    // Refused before anything else changes, so that repeating the
    // identification changes nothing, whatever other boards did meanwhile.
    if (!selfConfiguring && IsRefusedVersion(VersionOf(identity))) {
        WarnWrongVersion(b, VersionOf(identity));
        return;
    }
    // A source whose index another source's board took (it first sent an
    // identification that configured nothing) gets a board of its own.
    if (hasRows && !owned) b = ReassignSourceIndex(source);
    const unsigned id = selfConfiguring ? 0 : static_cast<unsigned>(identity[2] - '0');
    // A board plugged back in, on whatever port, is the board it was.
    if (!hasRows) {
        const int back = AdoptDisconnectedSerialBoard(source, id);
        if (back >= 0) b = back;
    }
    if (selfConfiguring) {
        ConfigureSelfConfiguringBoard(identity, b, source);
    } else {
        ConfigureNumberedBoard(b, id, source);
    }
}

void OutputsOn(unsigned b, const MessageSource& source) {
    Board& board = Boards.at(b);
    board.AllowPing = true;
    board.AllowOutput = true;
    if (!board.sendall) return;
    for (std::size_t m = 0; m < board.OutputModeLed.size(); ++m) {
        const std::vector<std::string>& line = board.OutputModeLed[m];
        std::vector<std::string> parts = SplitBy(line.size() > 1 ? line[1] : "", '=');
        unsigned mode = parts.size() >= 2 ? NumberOrZero<unsigned>(parts[1]) : 0;
        SendMode(source, b, static_cast<unsigned>(m), 1, mode);
    }
}

void OutputsOff(unsigned b) {
    Board& board = Boards.at(b);
    board.AllowPing = false;
    board.AllowOutput = false;
}
