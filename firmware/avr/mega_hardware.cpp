#include "mega_hardware.h"

#include <Arduino.h>

#include "displays.h"
#include "pin_modes.h"
#include "servos.h"
#include "steppers.h"

namespace kxavr {

namespace {

const uint8_t kFirstFreePin = 2;  // 0 and 1: UART0

void Output(uint8_t pin, bool high) {
    digitalWrite(pin, high ? HIGH : LOW);
    pinMode(pin, OUTPUT);
}

// What one mode code makes of its pin (the drivers set up the pins they
// take beside it).
void TakeRole(uint8_t pin, uint8_t code) {
    using kxfw::PinFamily;
    const kxfw::PinRole role = kxfw::DecodePinMode(code);
    switch (role.family) {
        case PinFamily::DigitalInput:
        case PinFamily::MatrixExtraPin:
        case PinFamily::MatrixSecondRange:
            pinMode(pin, INPUT_PULLUP);
            break;
        case PinFamily::Encoder:
            pinMode(pin, INPUT_PULLUP);
            if (pin + 1 < kxfw::kPinCount) pinMode(pin + 1, INPUT_PULLUP);
            break;
        case PinFamily::MatrixFirstRange:
            Output(pin, true);  // a row rests high and is pulled low to be read
            break;
        case PinFamily::LedOutput:
        case PinFamily::PwmOutput:
        case PinFamily::ServoOutput:
        case PinFamily::StepperFirstKind:
        case PinFamily::StepperDirection:
            Output(pin, false);
            break;
        default:
            break;
    }
}

}  // namespace

void MegaHardware::ConfigurePins(const uint8_t* pinTable, uint8_t* levels) {
    for (uint8_t i = 0; i < kxfw::kPinTableSize; ++i) pinTable_[i] = pinTable[i];
    ServosClear();
    // Every pin without a role is left floating, whatever it was before.
    for (uint8_t pin = kFirstFreePin; pin < kxfw::kPinCount; ++pin) {
        if (Reserved(pin)) continue;
        pinMode(pin, INPUT);
        const uint8_t port = digitalPinToPort(pin);
        in_[pin] = portInputRegister(port);
        mask_[pin] = digitalPinToBitMask(pin);
    }
    switchCount_ = 0;
    for (uint8_t pin = kFirstFreePin; pin < kxfw::kPinCount; ++pin) {
        TakeRole(pin, pinTable[pin]);
        if (pinTable[pin] == 1 || pinTable[pin] == 4) switches_[switchCount_++] = pin;
    }
    SteppersConfigure(pinTable);
    row_ = 0;
    delayMicroseconds(20);  // the pull-ups settle before the first reading
    for (uint8_t pin = kFirstFreePin; pin < kxfw::kPinCount; ++pin) {
        if (!Reserved(pin) && Level(pin))
            levels[pin >> 3] = static_cast<uint8_t>(levels[pin >> 3] | (1 << (pin & 7)));
    }
}

void MegaHardware::ConfigureDisplays(const uint8_t* pins, uint8_t count) {
    DisplaysConfigure(pinTable_, pins, count);
}

void MegaHardware::ConfigureSteppers(const uint8_t* bytes, uint8_t count) {
    SteppersSetTurns(bytes, count);
}

void MegaHardware::SetLed(uint8_t pin, bool on) {
    digitalWrite(pin, on ? HIGH : LOW);
}

// Pins 44 to 46 belong to timer 5 (servos and steppers): full on or off.
void MegaHardware::SetPwm(uint8_t pin, uint8_t value) {
    if (pin >= 44 && pin <= 46) {
        digitalWrite(pin, value >= 128 ? HIGH : LOW);
        return;
    }
    analogWrite(pin, value);
}

void MegaHardware::SetServo(uint8_t pin, uint16_t microseconds) {
    ServoSet(pin, microseconds);
}

void MegaHardware::SetStepper(uint8_t pin, int16_t target, uint16_t frameUnits) {
    StepperTarget(pin, target, frameUnits);
}

void MegaHardware::ShowDigits(uint8_t pin, const uint8_t* segments, uint8_t count) {
    DisplayShow(pin, segments, count);
}

// The port's clock and latch follow its data pin: none of them may be the
// shield's.
void MegaHardware::SetLedPort(uint8_t pin, const uint8_t* bytes, uint8_t count) {
    for (uint8_t k = 0; k < 3; ++k) {
        if (Reserved(static_cast<uint8_t>(pin + k))) return;
    }
    LedPortShow(pin, bytes, count);
}

void MegaHardware::ReservePins(const uint8_t* pinSet) {
    for (uint8_t i = 0; i < kxfw::kPinSetBytes; ++i) reserved_[i] = pinSet[i];
}

void MegaHardware::ScanInputs(kxfw::InputEngine& inputs, uint8_t nowMs) {
    for (uint8_t i = 0; i < switchCount_; ++i) {
        inputs.SampleDigital(switches_[i], Level(switches_[i]), nowMs);
    }
    for (uint8_t e = 0; e < inputs.encoderCount(); ++e) {
        const uint8_t pin = inputs.encoder(e).pin;
        const uint8_t phases = static_cast<uint8_t>((Level(pin) << 1) | Level(pin + 1));
        inputs.SampleEncoder(e, phases, nowMs);
    }
    ScanMatrixRow(inputs, nowMs);
    ScanAnalog(inputs);
}

// One row per pass: pulled low, the columns read, back high.
void MegaHardware::ScanMatrixRow(kxfw::InputEngine& inputs, uint8_t nowMs) {
    if (inputs.matrixRows() == 0) return;
    if (row_ >= inputs.matrixRows()) row_ = 0;
    const uint8_t rowPin = inputs.matrixRowPin(row_);
    digitalWrite(rowPin, LOW);
    delayMicroseconds(5);  // the column lines settle through the wiring
    uint8_t columns = 0;
    for (uint8_t c = 0; c < inputs.matrixColumns(); ++c) {
        if (Level(inputs.matrixColumnPin(c))) columns = static_cast<uint8_t>(columns | (1 << c));
    }
    digitalWrite(rowPin, HIGH);
    inputs.SampleMatrixRow(row_, columns, nowMs);
    ++row_;
}

// The analog channels in turn, one conversion per pass, against AVcc.
void MegaHardware::ScanAnalog(kxfw::InputEngine& inputs) {
    if (converting_) {
        if (ADCSRA & _BV(ADSC)) return;
        const uint8_t low = ADCL;
        const uint8_t high = ADCH;
        converting_ = false;
        inputs.SampleAnalog(channel_, static_cast<uint16_t>((high << 8) | low));
        ++channel_;
    }
    for (uint8_t tried = 0; tried < kxfw::kAnalogChannels; ++tried, ++channel_) {
        if (channel_ >= kxfw::kAnalogChannels) channel_ = 0;
        if (!inputs.AnalogUsed(channel_)) continue;
        ADCSRB = static_cast<uint8_t>((ADCSRB & ~_BV(MUX5)) | ((channel_ >> 3) << MUX5));
        ADMUX = static_cast<uint8_t>(_BV(REFS0) | (channel_ & 7));
        ADCSRA |= _BV(ADSC);
        converting_ = true;
        return;
    }
}

}  // namespace kxavr
