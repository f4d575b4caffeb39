#include "protocol/identification.h"

#include "transport/serial_port.h"

#include <algorithm>
#include <cctype>

#include "base/log.h"
#include "base/log_once.h"
#include "base/settings.h"
#include "base/text.h"
#include "config/board_tables.h"
#include "config/load_config.h"
#include "config/parser.h"
#include "config/section_notes.h"
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

unsigned VersionOf(const std::string& identity) {
    return static_cast<uint8_t>(identity[1]);
}

bool AlreadyWarned(int b) {
    return std::find(discovery.wrong_versions.begin(), discovery.wrong_versions.end(),
                     static_cast<unsigned>(b)) != discovery.wrong_versions.end();
}

std::string DottedAddress(const sockaddr_in& address) {
    const uint32_t a = ntohl(address.sin_addr.s_addr);
    return Decimal(a >> 24) + "." + Decimal((a >> 16) & 0xFF) + "." + Decimal((a >> 8) & 0xFF) +
           "." + Decimal(a & 0xFF);
}

// Where a message came from or a board is reached, as the log names it:
// "LAN 192.168.1.30", "USB /dev/ttyUSB0", or "USB" for a port not open.
std::string PlaceText(bool isSerial, int port, const sockaddr_in& address) {
    if (!isSerial) return "LAN " + DottedAddress(address);
    if (port < 0 || static_cast<std::size_t>(port) >= serial.ports.size()) return "USB";
    return "USB " + serial.ports[static_cast<std::size_t>(port)].ComPortName;
}

std::string SourceText(const MessageSource& source) {
    return PlaceText(source.isSerial, source.port, source.sender);
}

std::string BoardPlace(const Board& board) {
    return PlaceText(board.SerialIndex >= 0, board.SerialIndex, board.UdpIP);
}

void LogRefusedVersion(const std::string& identity, const MessageSource& source) {
    const unsigned version = VersionOf(identity);
    const std::string named =
        version > 118 ? VersionText(version) : "unknown (byte " + Decimal(version) + ")";
    Log("\nBoard #" + identity.substr(2, 1) + " (" + SourceText(source) +
        "): firmware library version " + named + " is " +
        (version < lib_ver ? "too old" : "newer than this plugin knows") + "; it needs " +
        VersionText(lib_ver) + " to " + VersionText(max_lib_ver - 1u) +
        ". The board is not configured");
}

// The warning takes the next status line; it is shown once per board index.
void WarnWrongVersion(int b, const std::string& identity, const MessageSource& source) {
    if (AlreadyWarned(b)) return;
    LogRefusedVersion(identity, source);
    const unsigned version = VersionOf(identity);
    int n = ++message_line_number;
    std::string line = "   ";
    if (n - 2 >= 0) line += Decimal(n - 2) + ". ";  // a negative number means nothing
    line += "Wrong library version - ";
    if (version > 118) line += VersionText(version) + " ";
    line += "(req. min. " + VersionText(lib_ver) + ")";
    SetStatusLine(n, line);
    discovery.wrong_versions.push_back(static_cast<unsigned>(b));
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

// Two boards that announce the same number both get its section and both
// show its outputs: almost surely a board flashed with the wrong number.
void NoteSameNumber(int b, unsigned number, const MessageSource& source) {
    if (number == 0) return;  // the id of every self-configuring board
    for (std::size_t c = 0; c < Boards.size(); ++c) {
        if (c == static_cast<std::size_t>(b) || Boards[c].OutDevice != number) continue;
        LogOnce("board number twice " + Decimal(number),
                "\nTwo boards identified as board #" + Decimal(number) + ": " +
                    BoardPlace(Boards[c]) + " and " + SourceText(source) +
                    "; both get its section of data.cfg");
        return;
    }
}

// After the configuration's own lines ("Sending config", "Config sent: ..."),
// which boards all write alike: which board it was and where it is.
void LogConfigured(int b, const MessageSource& source) {
    const unsigned number = Boards.at(b).OutDevice;
    const std::string name = number == 0 ? "Lumora Panel" : "Board #" + Decimal(number);
    Log("\n" + name + " (" + SourceText(source) + ") configured");
}

void ConfigureNumberedBoard(int b, unsigned number, const MessageSource& source) {
    NoteSameNumber(b, number, source);
    auto section = std::find(ArduinoID.begin(), ArduinoID.end(), number);
    if (section != ArduinoID.end()) {
        ReadConfigSection(static_cast<std::size_t>(section - ArduinoID.begin()),
                          static_cast<std::size_t>(b), number, source);
    } else {
        LogOnce(std::string(kDataCfgCause) + "no section " + Decimal(number),
                "\nBoard #" + Decimal(number) + " (" + SourceText(source) + ") identified, but " +
                    paths.filepath + " has no section *" + Decimal(number) +
                    ": the board has no inputs and no outputs");
        ReadConfigFile("", static_cast<std::size_t>(b), number, source);
    }
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
        WarnWrongVersion(b, identity, source);
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
    // A board that restarted, or was only reset, on the source it had.
    if (owned)
        Log("\n" + BoardLineHead(Boards[b]) + " - identified again (" + SourceText(source) + ")");
    if (selfConfiguring) {
        ConfigureSelfConfiguringBoard(identity, b, source);
    } else {
        ConfigureNumberedBoard(b, id, source);
    }
    LogConfigured(b, source);
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
