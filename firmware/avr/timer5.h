// Timer 5 runs free at 2 MHz (0.5 microseconds a tick, 32.768 ms a turn) and
// serves two drivers from its compare units: A times the servo pulses, B
// ticks the steppers. PWM on pins 44, 45 and 46 (timer 5's own outputs) is
// therefore not available; those pins switch fully on or off instead.
#pragma once

#include <stdint.h>

namespace kxavr {

const uint16_t kTicksPerMicrosecond = 2;
void Timer5Begin();

}  // namespace kxavr
