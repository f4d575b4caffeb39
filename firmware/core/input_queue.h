// Input events waiting for the line, oldest first. The queue is bounded
// (kQueuedEvents); the inputs never lose a change to it: a switch whose new
// position finds the queue full keeps it as pending and queues it once there
// is room, and encoder steps add up in the newest event of their encoder.
#pragma once

#include <stdint.h>

namespace kxfw {

struct InputEvent {
    char letter;     // D switch, E encoder, A analog, B matrix key
    uint8_t number;  // pin, channel or key number
    char state;      // '+' '-' (switch, encoder direction, analog switch), ' ' value, '/' position
    uint16_t value;  // encoder steps, analog reading in thousandths, selector position
};

const uint8_t kQueuedEvents = 64;

class InputQueue {
  public:
    bool Push(const InputEvent& event) {
        if (count_ >= kQueuedEvents) return false;
        events_[(head_ + count_) % kQueuedEvents] = event;
        ++count_;
        return true;
    }
    bool empty() const { return count_ == 0; }
    bool full() const { return count_ >= kQueuedEvents; }
    uint8_t count() const { return count_; }
    uint8_t room() const { return static_cast<uint8_t>(kQueuedEvents - count_); }
    const InputEvent& front() const { return events_[head_]; }
    InputEvent& front() { return events_[head_]; }
    void Pop() {
        if (count_ == 0) return;
        head_ = static_cast<uint8_t>((head_ + 1) % kQueuedEvents);
        --count_;
    }
    // The newest event, for encoder steps to add up in (nullptr when empty).
    InputEvent* back() {
        return count_ == 0 ? nullptr : &events_[(head_ + count_ - 1) % kQueuedEvents];
    }
    void Clear() { head_ = count_ = 0; }

  private:
    InputEvent events_[kQueuedEvents];
    uint8_t head_ = 0;
    uint8_t count_ = 0;
};

}  // namespace kxfw
