// A pin's port registers and bit, looked up once, so that reading or
// writing it in the loop and in interrupts costs a few cycles instead of
// digitalRead's table walk.
#pragma once

#include <Arduino.h>

namespace kxavr {

struct FastPin {
    volatile uint8_t* in = nullptr;
    volatile uint8_t* out = nullptr;
    uint8_t mask = 0;

    static FastPin For(uint8_t pin) {
        FastPin fast;
        const uint8_t port = digitalPinToPort(pin);
        fast.in = portInputRegister(port);
        fast.out = portOutputRegister(port);
        fast.mask = digitalPinToBitMask(pin);
        return fast;
    }
    bool valid() const { return out != nullptr; }
    bool Read() const { return (*in & mask) != 0; }
    // Safe against an interrupt writing another pin of the same port.
    void Write(bool high) const {
        const uint8_t saved = SREG;
        cli();
        if (high) {
            *out |= mask;
        } else {
            *out &= static_cast<uint8_t>(~mask);
        }
        SREG = saved;
    }
    // Without turning interrupts off: writing the bit to the input register
    // flips the output bit in one store, which no interrupt can split. For
    // pins that only the loop drives (the displays' and the LED port's
    // lines); reading the output bit is safe there.
    void Set(bool high) const {
        if (((*out & mask) != 0) != high) *in = mask;
    }
    void Pulse() const {
        *in = mask;
        *in = mask;
    }
    // Inside an interrupt (interrupts already off).
    void WriteFromInterrupt(bool high) const {
        if (high) {
            *out |= mask;
        } else {
            *out &= static_cast<uint8_t>(~mask);
        }
    }
};

}  // namespace kxavr
