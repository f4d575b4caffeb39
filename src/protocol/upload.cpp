#include "protocol/upload.h"

#include "transport/serial_port.h"

#include <algorithm>
#include <string>

#include "base/log.h"
#include "base/text.h"
#include "config/board_tables.h"
#include "transport/lan.h"
#include "transport/reply.h"
#include "transport/serial.h"

namespace {

// Count bytes hold 8 bits: a settings reply carries at most this many.
constexpr std::size_t kMaxSettingsBytes = 255;

void SetPin(PinModeTable& table, unsigned pin, uint8_t code) {
    if (pin < kConfigurablePins) table[pin] = code;
}

void SetPinRange(PinModeTable& table, unsigned first, unsigned last, uint8_t code) {
    for (unsigned pin = first; pin <= last && pin < kConfigurablePins; ++pin) table[pin] = code;
}

void SetMatrixAndCommonPins(PinModeTable& table, const Board& board) {
    const ByteList& m = board.MatrixAdditional;
    if (m.size() >= kMatrixBytes) {
        SetPinRange(table, m[0], m[1], 5);
        SetPinRange(table, m[2], m[3], 6);
    }
    SetPin(table, board.StepperCommon, 11);
    SetPin(table, board.LEDCommon, 7);
    SetPin(table, board.SevenSegCommon, 13);
    if (m.size() >= kMatrixBytes) SetPin(table, m[4], 4);
}

// "D" keys: the pin, without the "+" and "-" that mark states.
void SetDigitalInputPin(PinModeTable& table, const std::string& key) {
    std::string rest = key.substr(1);
    std::string pinText = rest.substr(0, 1);
    for (std::size_t i = 1; i < rest.size(); ++i) {
        if (rest[i] != '+' && rest[i] != '-') pinText += rest[i];
    }
    unsigned pin = 0;
    if (ReadNumber(pinText, pin)) SetPin(table, pin, 1);
}

uint8_t EncoderCode(const Board& board, const BoardInput& input, unsigned pin) {
    char kind = input.Data.empty() || input.Data[0].empty() ? '\0' : input.Data[0][0];
    uint8_t code = kind == 'E' ? 2 : kind == 'e' ? 3 : 0;
    const ByteList& records = board.EncoderAdditional;
    for (std::size_t r = 0; r + 2 < records.size(); r += 3) {
        if (records[r] != pin) continue;
        unsigned type = records[r + 1], mode = records[r + 2];
        code = static_cast<uint8_t>(type < 4 ? code + 16 * type + 64 * mode : code + 12);
        break;
    }
    return code;
}

void SetEncoderPin(PinModeTable& table, const Board& board, const BoardInput& input) {
    std::string rest = input.Datatags.substr(1);
    rest = rest.substr(0, rest.find_first_of("+-/"));
    unsigned pin = 0;
    if (ReadNumber(rest, pin)) SetPin(table, pin, EncoderCode(board, input, pin));
}

void SetInputPins(PinModeTable& table, const Board& board) {
    for (const BoardInput& input : board.Inputs) {
        if (StartsWith(input.Datatags, "D")) SetDigitalInputPin(table, input.Datatags);
        if (StartsWith(input.Datatags, "E")) SetEncoderPin(table, board, input);
    }
}

uint8_t OutputCode(char letter) {
    switch (letter) {
        case 'G':
            return 10;
        case 'L':  // LED
        case 'N':  // 7-segment display
            return 7;
        case 'P':
            return 8;
        case 'S':
            return 12;
        case 'g':
            return 9;
        default:
            return 0;
    }
}

// Output keys are in the compact form: the pin byte, then the kind letter.
void SetOutputPins(PinModeTable& table, const Board& board) {
    for (const BoardOutput& output : board.Outputs) {
        if (output.OutDrefs.empty() || output.OutDrefs[0].size() < 2) continue;
        const std::string& key = output.OutDrefs[0];
        uint8_t code = OutputCode(key[1]);
        if (code != 0) SetPin(table, static_cast<uint8_t>(key[0]), code);
    }
    for (const std::vector<std::string>& line : board.OutputModeLed) {
        if (line.empty() || line[0].size() < 2) continue;
        if (line[0].back() == 'L') SetPin(table, static_cast<uint8_t>(line[0][0]), 7);
    }
}

void FlushUnreadInput(int fd) {
    FlushSerialInput(fd);
}

template <std::size_t N>
int SendCountedBytes(const MessageSource& source, char letter, const ByteList& bytes,
                     std::array<uint8_t, N>& reply) {
    std::size_t count = std::min(bytes.size(), kMaxSettingsBytes);
    reply[0] = static_cast<uint8_t>(letter);
    reply[1] = static_cast<uint8_t>(count);
    std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count), reply.begin() + 2);
    return ReplyToSource(source, reply.data(), count + 2);
}

}  // namespace

PinModeTable BuildPinModeTable(unsigned b) {
    PinModeTable table{};
    const Board& board = Boards.at(b);
    SetMatrixAndCommonPins(table, board);
    SetInputPins(table, board);
    SetOutputPins(table, board);
    table[59] = static_cast<uint8_t>(b + 1);
    return table;
}

// Right after the upload the port's unread input is discarded, but never its
// unsent output: that would throw away the part of the upload the driver has
// not passed on yet.
void SendConfig(const MessageSource& source, unsigned b) {
    Log("\nSending config");
    PinModeTable table = BuildPinModeTable(b);
    uint8_t upload[1 + kPinModeTableSize];
    upload[0] = '~';
    std::copy(table.begin(), table.end(), upload + 1);
    int n = -1;
    const std::size_t p = static_cast<std::size_t>(source.port);
    if (source.isSerial && p < serial.ports.size()) {
        n = Send_USB(serial.ports[p].comport, upload, sizeof upload);
        serial.ports[p].SerialBuffer.clear();
        FlushUnreadInput(serial.ports[p].comport);
    } else if (!source.isSerial) {
        n = Send_LAN(upload, sizeof upload, Boards.at(b).UdpIP);
    }
    Log("\nConfig sent: " + Decimal(n) + " bytes");
}

void SendAnalogSettings(unsigned b, const MessageSource& source) {
    const ByteList& analog = Boards.at(b).AnalogAdditional;
    std::array<uint8_t, 1 + kAnalogBytes> reply{};
    reply[0] = 'A';
    if (analog.size() >= kAnalogBytes) {
        std::copy(analog.begin(), analog.begin() + kAnalogBytes, reply.begin() + 1);
    }
    int n = ReplyToSource(source, reply.data(), reply.size());
    Log("\nSending analog: " + Decimal(n) + " bytes");
}

void SendSevenSegmentSettings(unsigned b, const MessageSource& source) {
    const ByteList& pins = Boards.at(b).SevenSegAdditional;
    Log("\nReceived request for 7-segment config: " + Decimal(static_cast<long long>(pins.size())) +
        " bytes available.");
    std::array<uint8_t, 2 + kMaxSettingsBytes> reply{};
    int n = SendCountedBytes(source, 'N', pins, reply);
    Log("\nSending 7-segment config: " + Decimal(n) + " bytes");
}

void SendStepperSettings(unsigned b, const MessageSource& source) {
    const ByteList& steppers = Boards.at(b).StepperAdditional;
    Log("\nReceived request for Stepper config: " +
        Decimal(static_cast<long long>(steppers.size())) + " bytes available.");
    std::array<uint8_t, 2 + kMaxSettingsBytes> reply{};
    int n = SendCountedBytes(source, 'S', steppers, reply);
    Log("\nSending Stepper config: " + Decimal(n) + " bytes");
}
