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

void AnalogChannel::Configure(const uint8_t settings[3]) {
    how_ = settings[0];
    low_ = settings[1];
    high_ = settings[2];
    if (high_ > 100 || low_ >= high_) {  // not a usable travel: the whole range
        low_ = 0;
        high_ = 100;
    }
    now_ = sent_ = kNone;
    seen_ = 0;
}

uint16_t AnalogChannel::Thousandths(uint16_t raw, uint8_t lowPercent, uint8_t highPercent) {
    const int32_t from = static_cast<int32_t>(lowPercent) * 1023 / 100;
    const int32_t to = static_cast<int32_t>(highPercent) * 1023 / 100;
    int32_t value = (static_cast<int32_t>(raw) - from) * 1000 / (to - from);
    if (value < 0) value = 0;
    if (value > 1000) value = 1000;
    return static_cast<uint16_t>(value);
}

bool AnalogChannel::Sample(uint8_t channel, uint16_t raw, InputEvent* event) {
    if (how_ == 0) return false;
    now_ = Thousandths(raw, low_, high_);
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
