// The Arduino Mega 2560's pin numbers on the ATmega2560's ports, as the
// Arduino core's "mega" variant maps them, and the timer compare registers
// behind its PWM pins (data-space addresses, ATmega2560 datasheet).
#pragma once

#include <cstdint>

namespace avrboard {

constexpr int kMegaPins = 54;

struct PortBit {
    char port;
    uint8_t bit;
};
extern const PortBit kMegaPinPorts[kMegaPins];

// A PWM pin's timer: its TCCRnA (the compare output mode bits of the
// channel at comShift) and its 8-bit compare value register.
struct PwmChannel {
    uint8_t pin;
    uint16_t tccra;
    uint8_t comShift;
    uint16_t ocr;
};
// nullptr for a pin without PWM.
const PwmChannel* PwmChannelOf(uint8_t pin);

}  // namespace avrboard
