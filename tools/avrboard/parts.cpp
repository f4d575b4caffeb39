#include "parts.h"

namespace avrboard {

namespace {

// MAX7219 no-decode bits: 7 the point, 6 segment a ... 0 segment g.
char DigitOf(uint8_t segments) {
    static const struct {
        uint8_t lit;
        char shown;
    } kDigits[] = {{0x7E, '0'}, {0x30, '1'}, {0x6D, '2'}, {0x79, '3'}, {0x33, '4'}, {0x5B, '5'},
                   {0x5F, '6'}, {0x70, '7'}, {0x7F, '8'}, {0x7B, '9'}, {0x01, '-'}, {0x00, ' '}};
    for (const auto& digit : kDigits) {
        if (digit.lit == (segments & 0x7F)) return digit.shown;
    }
    return '?';
}

}  // namespace

void Max7219::OnPin(uint8_t pin, bool level, uint64_t cycle) {
    if (pin == din_) dinLevel_ = level;
    if (pin == clk_) {
        if (level && !clkLevel_ && !loadLevel_)
            shift_ = static_cast<uint16_t>(shift_ << 1 | dinLevel_);
        clkLevel_ = level;
    }
    if (pin == load_) {
        if (level && !loadLevel_) {
            registers_[(shift_ >> 8) & 0x0F] = static_cast<uint8_t>(shift_);
            lastLatch_ = cycle;
        }
        loadLevel_ = level;
    }
}

std::string Max7219::Text(int digits) const {
    if (registers_[0x0C] == 0) return "";  // shut down
    std::string text;
    for (int reg = digits; reg >= 1; --reg) {
        text += DigitOf(registers_[reg]);
        if (registers_[reg] & 0x80) text += '.';
    }
    return text;
}

void ShiftRegisterChain::OnPin(uint8_t pin, bool level, uint64_t cycle) {
    if (pin == ser_) serLevel_ = level;
    if (pin == srclk_) {
        if (level && !srclkLevel_) {
            // Each chip's QH feeds the next chip's SER.
            for (std::size_t k = shifted_.size() - 1; k > 0; --k) shifted_[k] = shifted_[k - 1];
            shifted_[0] = serLevel_;
        }
        srclkLevel_ = level;
    }
    if (pin == rclk_) {
        if (level && !rclkLevel_) {
            shown_ = shifted_;
            lastLatch_ = cycle;
        }
        rclkLevel_ = level;
    }
}

void StepDirDriver::OnPin(uint8_t pin, bool level, uint64_t cycle) {
    if (pin == dir_) dirLevel_ = level;
    if (pin == step_) {
        if (level && !stepLevel_) {
            position_ += dirLevel_ ? 1 : -1;
            lastStep_ = cycle;
        }
        stepLevel_ = level;
    }
}

int GearedStepper::Phase() const {
    static const uint8_t kHalfSteps[8] = {0x1, 0x3, 0x2, 0x6, 0x4, 0xC, 0x8, 0x9};
    for (int k = 0; k < 8; ++k) {
        if (kHalfSteps[k] == coils_) return k;
    }
    return -1;
}

void GearedStepper::OnPin(uint8_t pin, bool level, uint64_t) {
    if (pin < first_ || pin >= first_ + 4) return;
    const uint8_t bit = static_cast<uint8_t>(1 << (pin - first_));
    coils_ = static_cast<uint8_t>(level ? coils_ | bit : coils_ & ~bit);
    const int phase = Phase();
    if (phase < 0) return;  // between two patterns, or switched off
    if (phase_ >= 0) {
        const int moved = (phase - phase_ + 8) % 8;
        if (moved == 1) ++position_;
        if (moved == 7) --position_;
    }
    phase_ = phase;
}

}  // namespace avrboard
