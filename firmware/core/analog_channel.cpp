#include "analog_channel.h"

namespace kxfw {

namespace {

const uint16_t kNone = 0xFFFF;
const uint8_t kDefaultBand = 3;

bool IsSwitch(uint8_t how) {
    return how == 1;
}
bool IsSelector(uint8_t how) {
    return how >= 128;
}

}  // namespace

// The travel is worked out once: a reading then costs a multiplication
// (a 32-bit division takes the ATmega2560 some 40 microseconds).
void AnalogChannel::Configure(const uint8_t settings[3]) {
    how_ = settings[0];
    uint8_t low = settings[1], high = settings[2];
    if (high > 100 || low >= high) {  // not a usable travel: the whole range
        low = 0;
        high = 100;
    }
    from_ = static_cast<uint16_t>(static_cast<uint32_t>(low) * 1023 / 100);
    const uint16_t to = static_cast<uint16_t>(static_cast<uint32_t>(high) * 1023 / 100);
    scale_ = (1000UL << 16) / (to - from_);
    now_ = sent_ = kNone;
    seen_ = 0;
}

uint16_t AnalogChannel::Thousandths(uint16_t raw) const {
    if (raw <= from_) return 0;
    const uint32_t value = (static_cast<uint32_t>(raw - from_) * scale_ + 0x8000) >> 16;
    return static_cast<uint16_t>(value > 1000 ? 1000 : value);
}

bool AnalogChannel::Sample(uint8_t channel, uint16_t raw, InputEvent* event) {
    if (how_ == 0) return false;
    now_ = Thousandths(raw);
    *event = InputEvent{'A', channel, ' ', now_};
    if (IsSwitch(how_)) {
        const uint16_t on = sent_ == kNone ? (now_ >= 500 ? 1 : 0)
                            : now_ >= 600  ? 1
                            : now_ <= 400  ? 0
                                           : sent_;
        event->state = on ? '+' : '-';
        event->value = on;
        return on != sent_;
    }
    if (IsSelector(how_)) {
        const uint8_t positions = static_cast<uint8_t>(how_ - 127);
        const uint8_t position =
            static_cast<uint8_t>(1 + static_cast<uint32_t>(now_) * positions / 1001);
        // A position counts once two readings in a row agree: the wiper
        // passing between two resistors reports nothing.
        const bool steady = position == seen_;
        seen_ = position;
        event->state = '/';
        event->value = position;
        return steady && position != sent_;
    }
    const uint8_t band = how_ <= 50 && how_ >= 2 ? how_ : kDefaultBand;
    if (sent_ == kNone) return true;
    const uint16_t moved = now_ > sent_ ? now_ - sent_ : sent_ - now_;
    // The ends of the travel are always reached exactly.
    const bool end = (now_ == 0 || now_ == 1000) && now_ != sent_;
    return moved >= band || end;
}

bool AnalogChannel::Current(uint8_t channel, InputEvent* event) const {
    if (how_ == 0 || sent_ == kNone) return false;
    *event = InputEvent{'A', channel, ' ', sent_};
    if (IsSwitch(how_)) event->state = sent_ ? '+' : '-';
    if (IsSelector(how_)) event->state = '/';
    return true;
}

void AnalogChannel::Sent(const InputEvent& event) {
    sent_ = event.value;
}

}  // namespace kxfw
