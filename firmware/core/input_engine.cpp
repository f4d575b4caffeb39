#include "input_engine.h"

#include <string.h>

#include "pin_modes.h"

namespace kxfw {

void InputEngine::SetStable(uint8_t pin, bool high) {
    state_[pin] = static_cast<uint8_t>((state_[pin] & kDigital) | (high ? kHigh : 0));
}

void InputEngine::Clear() {
    queue_.Clear();
    reportAt_ = kNoReport;
}

void InputEngine::Configure(const uint8_t* pinTable, const uint8_t* levels) {
    Clear();
    for (uint8_t pin = 0; pin < kPinCount; ++pin) state_[pin] = Bit(levels, pin) ? kHigh : 0;
    matrixPin_ = 0xFF;
    encoderCount_ = 0;
    for (uint8_t pin = 0; pin < kPinCount; ++pin) {
        const PinRole role = DecodePinMode(pinTable[pin]);
        if (role.family == PinFamily::DigitalInput) state_[pin] |= kDigital;
        if (role.family == PinFamily::MatrixExtraPin) matrixPin_ = pin;
        if (role.family == PinFamily::Encoder && pin + 1 < kPinCount &&
            encoderCount_ < kMaxEncoders) {
            EncoderSlot& slot = encoders_[encoderCount_++];
            slot.pin = pin;
            slot.reversed = role.encoderKind == 2;
            slot.buttons = role.typeFourOrMore;
            slot.mode = role.encoderMode;
            slot.lastStep = 0;
            slot.stepped = false;
            const uint8_t phases = static_cast<uint8_t>((Bit(levels, pin) << 1) |
                                                        Bit(levels, static_cast<uint8_t>(pin + 1)));
            slot.decoder.Reset(role.encoderType, phases);
        }
    }
    if (matrixPin_ != 0xFF) state_[matrixPin_] |= kDigital;
    ConfigureMatrix(pinTable);
    // The analog channels wait for the settings of this configuration.
    static const uint8_t kUnused[3] = {0, 0, 100};
    for (uint8_t c = 0; c < kAnalogChannels; ++c) analog_[c].Configure(kUnused);
}

// The rows are the pins coded 5 and the columns those coded 6, each a run of
// consecutive pins; a run longer than 8 pins is cut at 8.
void InputEngine::ConfigureMatrix(const uint8_t* pinTable) {
    rows_ = columns_ = 0;
    for (uint8_t pin = 0; pin < kPinCount; ++pin) {
        if (pinTable[pin] == 5 && rows_ < kMaxMatrixRows) {
            if (rows_ == 0) rowFrom_ = pin;
            if (pin == rowFrom_ + rows_) ++rows_;
        }
        if (pinTable[pin] == 6 && columns_ < kMaxMatrixColumns) {
            if (columns_ == 0) columnFrom_ = pin;
            if (pin == columnFrom_ + columns_) ++columns_;
        }
    }
    if (rows_ == 0 || columns_ == 0) rows_ = columns_ = 0;
    memset(keyStable_, 0, sizeof keyStable_);  // every key open
    memset(keyPending_, 0, sizeof keyPending_);
}

void InputEngine::ConfigureAnalog(const uint8_t* settings48) {
    for (uint8_t c = 0; c < kAnalogChannels; ++c) analog_[c].Configure(settings48 + 3 * c);
}

InputEvent InputEngine::DigitalEvent(uint8_t pin, bool high) const {
    // A closed contact pulls the pin low: on, pressed.
    const char state = high ? '-' : '+';
    if (pin == matrixPin_) return InputEvent{'B', 0, state, 0};
    return InputEvent{'D', pin, state, 0};
}

// A level that differs from the stable one counts once it has held for
// kDebounceMs; a change that finds the queue full stays pending and goes in
// at a later sample. True when the change counts now.
bool InputEngine::Debounce(uint8_t pin, bool high, uint8_t nowMs) {
    uint8_t& state = state_[pin];
    if (((state & kHigh) != 0) == high) {
        state = static_cast<uint8_t>(state & ~kPending);
        return false;
    }
    if (!(state & kPending)) {
        state = static_cast<uint8_t>(state | kPending);
        since_[pin] = nowMs;
        return false;
    }
    return static_cast<uint8_t>(nowMs - since_[pin]) >= kDebounceMs;
}

void InputEngine::SampleDigital(uint8_t pin, bool high, uint8_t nowMs) {
    if (pin >= kPinCount || !(state_[pin] & kDigital)) return;
    if (!Debounce(pin, high, nowMs)) return;
    if (!queue_.Push(DigitalEvent(pin, high))) return;
    SetStable(pin, high);
}

void InputEngine::AddSteps(uint8_t pin, bool up, uint8_t steps) {
    InputEvent* last = queue_.back();
    const char state = up ? '+' : '-';
    if (last != nullptr && last->letter == 'E' && last->number == pin && last->state == state &&
        last->value + steps <= 0xFFFF) {
        last->value = static_cast<uint16_t>(last->value + steps);
        return;
    }
    // With the queue full the steps wait in the decoder's next samples: the
    // phases are read again next turn, so only steps beyond that are lost.
    queue_.Push(InputEvent{'E', pin, state, steps});
}

void InputEngine::SampleEncoder(uint8_t index, uint8_t phases, uint8_t nowMs) {
    if (index >= encoderCount_) return;
    EncoderSlot& slot = encoders_[index];
    int8_t step = 0;
    if (slot.buttons) {
        // Each button debounced like a switch; a press is one step.
        for (uint8_t k = 0; k < 2; ++k) {
            const uint8_t pin = static_cast<uint8_t>(slot.pin + k);
            const bool high = (phases >> (1 - k)) & 1;
            if (!Debounce(pin, high, nowMs)) continue;
            SetStable(pin, high);
            if (!high) step = k == 0 ? 1 : -1;
        }
    } else {
        step = slot.decoder.Sample(phases);
    }
    if (step == 0) return;
    uint8_t steps = 1;
    if (slot.mode > 0 && slot.stepped &&
        static_cast<uint8_t>(nowMs - slot.lastStep) < kAccelerationWindowMs) {
        steps = static_cast<uint8_t>(1 + slot.mode);
    }
    slot.lastStep = nowMs;
    slot.stepped = true;
    AddSteps(slot.pin, (step > 0) != slot.reversed, steps);
}

void InputEngine::SampleMatrixRow(uint8_t row, uint8_t columnLevels, uint8_t nowMs) {
    if (row >= rows_) return;
    const uint8_t mask = static_cast<uint8_t>((1u << columns_) - 1);
    // Bit set: key closed (its column pulled low through the driven row).
    const uint8_t closed = static_cast<uint8_t>(~columnLevels & mask);
    const uint8_t differ = static_cast<uint8_t>(closed ^ keyStable_[row]);
    if (differ == 0) {
        keyPending_[row] = 0;
        return;
    }
    if (differ != keyPending_[row]) {  // a new change starts the wait again
        keyPending_[row] = differ;
        keySince_[row] = nowMs;
        return;
    }
    if (static_cast<uint8_t>(nowMs - keySince_[row]) < kDebounceMs) return;
    for (uint8_t c = 0; c < columns_; ++c) {
        if (!((differ >> c) & 1)) continue;
        const bool on = (closed >> c) & 1;
        const uint8_t key = static_cast<uint8_t>(row * columns_ + c + 1);
        if (!queue_.Push(InputEvent{'B', key, on ? '+' : '-', 0})) return;
        keyStable_[row] = static_cast<uint8_t>(keyStable_[row] ^ (1 << c));
        keyPending_[row] = static_cast<uint8_t>(keyPending_[row] & ~(1 << c));
    }
}

void InputEngine::SampleAnalog(uint8_t channel, uint16_t raw) {
    if (channel >= kAnalogChannels || queue_.full()) return;
    InputEvent event;
    if (!analog_[channel].Sample(channel, raw, &event)) return;
    queue_.Push(event);
    analog_[channel].Sent(event);
}

// The report's positions: the 54 pins, then the matrix keys, then the
// analog channels. Returns false past the end; *queued says whether the
// position was done (false: the queue is full, try it again later).
bool InputEngine::ReportOne(uint16_t at, bool* queued) {
    *queued = true;
    if (at < kPinCount) {
        const uint8_t pin = static_cast<uint8_t>(at);
        if (state_[pin] & kDigital) *queued = queue_.Push(DigitalEvent(pin, state_[pin] & kHigh));
        return true;
    }
    at = static_cast<uint16_t>(at - kPinCount);
    const uint16_t keys = static_cast<uint16_t>(rows_ * columns_);
    if (at < keys) {
        const uint8_t row = static_cast<uint8_t>(at / columns_);
        const uint8_t c = static_cast<uint8_t>(at % columns_);
        const bool on = (keyStable_[row] >> c) & 1;
        *queued = queue_.Push(InputEvent{'B', static_cast<uint8_t>(at + 1), on ? '+' : '-', 0});
        return true;
    }
    at = static_cast<uint16_t>(at - keys);
    if (at >= kAnalogChannels) return false;
    InputEvent event;
    if (analog_[at].Current(static_cast<uint8_t>(at), &event)) *queued = queue_.Push(event);
    return true;
}

void InputEngine::ContinueReport() {
    while (reportAt_ != kNoReport) {
        bool queued = false;
        if (!ReportOne(reportAt_, &queued)) {
            reportAt_ = kNoReport;
            return;
        }
        if (!queued) return;
        ++reportAt_;
    }
}

}  // namespace kxfw
