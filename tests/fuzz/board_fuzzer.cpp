// The board's receive path as the firmware runs it, built on the host: the
// plugin's bytes through the serial link's framing into the protocol core,
// the same bytes once more as one datagram (the LAN seam), and a turn of the
// inputs and of the send path after each piece. Everything the core hands
// the hardware must lie within the pins and ranges the board has, and every
// message the board sends must be one well-formed frame.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "board_core.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

class CheckedHardware : public kxfw::BoardHardware {
  public:
    void ConfigurePins(const uint8_t*, uint8_t* levels) override {
        for (int i = 0; i < 7; ++i) levels[i] = static_cast<uint8_t>(0xA5 ^ i);
    }
    void ConfigureDisplays(const uint8_t* pins, uint8_t count) override {
        Check(count <= kxfw::kMaxDisplays);
        for (uint8_t i = 0; i < count; ++i) sum += pins[i];
    }
    void ConfigureSteppers(const uint8_t* bytes, uint8_t count) override {
        for (uint8_t i = 0; i < 3 * count; ++i) sum += bytes[i];
    }
    void SetLed(uint8_t pin, bool) override { Check(pin < kxfw::kPinCount); }
    void SetPwm(uint8_t pin, uint8_t) override { Check(pin < kxfw::kPinCount); }
    void SetServo(uint8_t pin, uint16_t us) override {
        Check(pin < kxfw::kPinCount && us >= kxfw::kServoShortest && us <= kxfw::kServoLongest);
    }
    void SetStepper(uint8_t pin, int16_t, uint16_t) override { Check(pin < kxfw::kPinCount); }
    void ShowDigits(uint8_t pin, const uint8_t* segments, uint8_t count) override {
        Check(pin < kxfw::kPinCount);
        for (uint8_t i = 0; i < count; ++i) sum += segments[i];
    }
    void SetLedPort(uint8_t pin, const uint8_t* bytes, uint8_t count) override {
        Check(pin < kxfw::kPinCount);
        for (uint8_t i = 0; i < count; ++i) sum += bytes[i];
    }
    unsigned sum = 0;
};

// The plugin's bytes in pieces of varying size; what the board writes is
// checked frame by frame.
class PieceStream : public kxfw::ByteStream {
  public:
    int16_t ReadByte() override {
        if (at >= end) return -1;
        return *at++;
    }
    uint16_t WriteRoom() override { return room; }
    void WriteByte(uint8_t byte) override {
        Check(room > 0);
        --room;
        if (byte == '{') {
            Check(!inFrame);
            inFrame = true;
        } else if (byte == '}') {
            Check(inFrame);
            inFrame = false;
        } else {
            Check(inFrame);
        }
    }
    const uint8_t* at = nullptr;
    const uint8_t* end = nullptr;
    uint16_t room = 0;
    bool inFrame = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    CheckedHardware hardware;
    PieceStream stream;
    kxfw::SerialLink link(stream, kxfw::kUploadSize);
    kxfw::BoardCore core(5, hardware, link);
    core.Start();
    std::size_t offset = 0;
    uint8_t now = 0;
    while (offset < size) {
        const std::size_t piece = 1 + data[offset] % 67;
        stream.at = data + offset;
        stream.end = data + std::min(size, offset + piece);
        stream.room = static_cast<uint16_t>(data[offset] * 3 % 200);
        offset += piece;
        core.Poll();
        // The inputs change with the bytes, so events meet the send path.
        kxfw::InputEngine& inputs = core.inputs();
        for (uint8_t pin = 0; pin < kxfw::kPinCount; ++pin) {
            inputs.SampleDigital(pin, (data[offset % size] >> (pin & 7)) & 1, now);
        }
        for (uint8_t e = 0; e < inputs.encoderCount(); ++e) {
            inputs.SampleEncoder(e, static_cast<uint8_t>(data[(offset + e) % size] & 3), now);
        }
        inputs.SampleMatrixRow(now % 8, data[offset % size], now);
        inputs.SampleAnalog(now % 16, static_cast<uint16_t>(data[offset % size] * 4));
        now = static_cast<uint8_t>(now + 2);
        Check(!stream.inFrame);
    }
    core.HandleMessage(data, static_cast<uint16_t>(std::min<std::size_t>(size, 0xFFFF)));
    stream.room = 0xFFFF;
    stream.at = stream.end = nullptr;
    core.Poll();
    Check(!stream.inFrame);
    return 0;
}
