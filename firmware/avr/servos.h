// Hobby servos on any pins, all from timer 5's compare unit A: every 20 ms
// every servo pin goes high at once, and each goes low again when its pulse
// width has passed, the widths taken in ascending order. Any number of
// servos thus keeps the 50 Hz frame. Widths are 400 to 2600 microseconds.
#pragma once

#include <stdint.h>

namespace kxavr {

const uint8_t kMaxServos = 16;

// Forget every servo (a new pin table); their pins stay low.
void ServosClear();
// The pulse width for a servo pin, taken from the next frame on; a pin seen
// for the first time becomes a servo while there is room for it.
void ServoSet(uint8_t pin, uint16_t microseconds);

}  // namespace kxavr
