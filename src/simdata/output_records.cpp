#include "simdata/output_records.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "simdata/seven_segment.h"

namespace {

constexpr uint8_t kLit = ')';
constexpr uint8_t kDark = '(';
constexpr uint16_t kMostFrameTimeUnits = 32760;

void PutLe16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value & 0xFF);
    out[1] = static_cast<uint8_t>(value >> 8);
}

void PutLeFloat(uint8_t* out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

double Clamped(double value, double low, double high) {
    if (std::isnan(value)) return 0;
    return std::min(std::max(value, low), high);
}

std::size_t SevenSegmentRecord(uint8_t pin, const SevenSegmentLayout& layout, const char* text,
                               std::size_t length, float value, uint8_t* record) {
    record[0] = pin;
    record[1] = 'R';
    record[2] = layout.digits;
    EncodeSevenSegment(text, length, value, layout, record + 3);
    return 3 + layout.digits;
}

std::size_t StepperRecord(uint8_t pin, float value, float frametime, uint8_t* record) {
    record[0] = pin;
    record[1] = 'G';
    PutLe16(record + 2, static_cast<uint16_t>(StepperTarget(value)));
    PutLe16(record + 4, FrameTimeUnits(frametime));
    return 6;
}

std::size_t ByteDataRecord(uint8_t pin, const char* text, std::size_t length, uint8_t* record) {
    const std::size_t sent = std::min(length, kMaxByteDataText);
    record[0] = pin;
    record[1] = 'B';
    record[2] = static_cast<uint8_t>(sent);
    std::memcpy(record + 3, text, sent);
    return 3 + sent;
}

std::size_t ValueRecord(uint8_t pin, char kind, float value, uint8_t* record) {
    record[0] = pin;
    record[1] = static_cast<uint8_t>(kind);
    PutLeFloat(record + 2, value);
    return 6;
}

}  // namespace

int16_t StepperTarget(float value) {
    return static_cast<int16_t>(
        Clamped(std::floor(static_cast<double>(value) + 0.5), INT16_MIN, INT16_MAX));
}

uint16_t FrameTimeUnits(float seconds) {
    return static_cast<uint16_t>(
        Clamped(static_cast<double>(seconds) * 100000.0, 0, kMostFrameTimeUnits));
}

uint8_t PwmByte(float value) {
    const double whole = std::trunc(Clamped(value, INT_MIN, INT_MAX));
    return static_cast<uint8_t>(static_cast<long long>(whole) & 0xFF);
}

bool LedLit(const char* text, std::size_t length, float value) {
    return value == 1.0f || (length == 1 && text[0] == '*');
}

std::size_t LedPortRecord(const Board& board, uint8_t* record) {
    const std::size_t count = std::min(board.LedPortData.size(), kMaxLedPortBytes);
    record[0] = static_cast<uint8_t>(board.LEDCommon);
    record[1] = 'R';
    record[2] = static_cast<uint8_t>(count);
    for (std::size_t i = 0; i < count; ++i) record[3 + i] = board.LedPortData[count - 1 - i];
    return 3 + count;
}

void SetLedPortLed(Board& board, int n, bool on) {
    if (n < 1 || n > static_cast<int>(8 * kMaxLedPortBytes)) return;
    const std::size_t entry = static_cast<std::size_t>(n - 1) / 8;
    if (entry >= board.LedPortData.size()) return;
    const uint8_t bit = static_cast<uint8_t>(0x80u >> ((n - 1) % 8));
    uint8_t& port = board.LedPortData[entry];
    port = on ? static_cast<uint8_t>(port | bit) : static_cast<uint8_t>(port & ~bit);
}

std::size_t OutputRecord(const BoardOutput& out, const char* text, std::size_t length, float value,
                         float frametime, uint8_t* record) {
    const uint8_t pin = out.Compact.pin;
    const char kind = out.Compact.kind;
    if (kind == 'l') return 0;
    if (out.Compact.read == OutputRead::Bytes) return ByteDataRecord(pin, text, length, record);
    switch (kind) {
        case 'L':
            record[0] = pin;
            record[1] = LedLit(text, length, value) ? kLit : kDark;
            return 2;
        case 'N':
            return SevenSegmentRecord(pin, out.Compact.layout, text, length, value, record);
        case 'G':
        case 'g':
            return StepperRecord(pin, value, frametime, record);
        case 'P':
            record[0] = pin;
            record[1] = 'P';
            record[2] = PwmByte(value);
            return 3;
        default:
            return ValueRecord(pin, kind, value, record);
    }
}
