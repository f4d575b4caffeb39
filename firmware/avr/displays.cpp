#include "displays.h"

#include <Arduino.h>

#include "fast_pin.h"
#include "segments.h"
#include "wire_format.h"

namespace kxavr {

namespace {

const uint8_t kMaxDigits = 8;
// MAX7219 registers.
const uint8_t kDecodeMode = 0x09, kIntensity = 0x0A, kScanLimit = 0x0B, kShutdown = 0x0C,
              kDisplayTest = 0x0F;

FastPin dataPin, clockPin;

// The clock rests low; each bit is taken on its rising edge.
void ShiftByte(const FastPin& data, const FastPin& clock, uint8_t byte, bool msbFirst) {
    for (uint8_t i = 0; i < 8; ++i) {
        data.Set(msbFirst ? (byte & 0x80) : (byte & 0x01));
        byte = msbFirst ? static_cast<uint8_t>(byte << 1) : static_cast<uint8_t>(byte >> 1);
        clock.Pulse();
    }
}

void Max7219Write(const FastPin& load, uint8_t reg, uint8_t value) {
    load.Set(false);
    ShiftByte(dataPin, clockPin, reg, true);
    ShiftByte(dataPin, clockPin, value, true);
    load.Set(true);  // the rising edge latches the 16 bits
}

void OutputLow(uint8_t pin) {
    if (pin >= kxfw::kPinCount) return;
    digitalWrite(pin, LOW);
    pinMode(pin, OUTPUT);
}

}  // namespace

void DisplaysConfigure(const uint8_t* pinTable, const uint8_t* pins, uint8_t count) {
    uint8_t common = 0xFF;
    for (uint8_t pin = 0; pin < kxfw::kPinCount; ++pin) {
        if (pinTable[pin] == 13) common = pin;
    }
    if (common == 0xFF || common + 1 >= kxfw::kPinCount) return;
    OutputLow(common);
    OutputLow(static_cast<uint8_t>(common + 1));
    dataPin = FastPin::For(common);
    clockPin = FastPin::For(static_cast<uint8_t>(common + 1));
    for (uint8_t i = 0; i < count; ++i) {
        if (pins[i] >= kxfw::kPinCount) continue;
        digitalWrite(pins[i], HIGH);
        pinMode(pins[i], OUTPUT);
        const FastPin load = FastPin::For(pins[i]);
        Max7219Write(load, kDisplayTest, 0);
        Max7219Write(load, kDecodeMode, 0);
        Max7219Write(load, kScanLimit, kMaxDigits - 1);
        Max7219Write(load, kIntensity, 8);
        for (uint8_t digit = 1; digit <= kMaxDigits; ++digit) Max7219Write(load, digit, 0);
        Max7219Write(load, kShutdown, 1);
    }
}

void DisplayShow(uint8_t pin, const uint8_t* segments, uint8_t count) {
    if (!dataPin.valid() || pin >= kxfw::kPinCount) return;
    const FastPin load = FastPin::For(pin);
    const uint8_t digits = count < kMaxDigits ? count : kMaxDigits;
    // Digit k from the left goes to register digits - k: the rightmost on DIG0.
    for (uint8_t k = 0; k < digits; ++k) {
        Max7219Write(load, static_cast<uint8_t>(digits - k), kxfw::SegmentsForMax7219(segments[k]));
    }
}

void LedPortShow(uint8_t pin, const uint8_t* bytes, uint8_t count) {
    if (pin + 2 >= kxfw::kPinCount) return;
    const FastPin data = FastPin::For(pin);
    const FastPin clock = FastPin::For(static_cast<uint8_t>(pin + 1));
    const FastPin latch = FastPin::For(static_cast<uint8_t>(pin + 2));
    OutputLow(static_cast<uint8_t>(pin + 1));
    OutputLow(static_cast<uint8_t>(pin + 2));
    // The last port byte goes out first and ends in the farthest chip; each
    // byte least significant bit first, so its bit 7 (the lowest LED
    // number) ends on QA.
    for (uint8_t i = 0; i < count; ++i) ShiftByte(data, clock, bytes[i], false);
    latch.Pulse();
}

}  // namespace kxavr
