// 7-segment displays on MAX7219 driver chips, and the LED port on 74HC595
// shift registers, both shifted out bit by bit on three pins:
//   MAX7219     DIN on the 7-segment common pin (code 13), CLK on the pin
//               after it, LOAD (CS) on each display's own pin (its "N"
//               output); up to 8 digits per display, the leftmost digit of
//               the plugin's record on the chip's highest digit used, the
//               rightmost on DIG0
//   74HC595     SER on the LED port pin, SRCLK on the pin after it, RCLK
//               (latch) on the one after that; LED 1 on QA of the first
//               chip, LED 8 on QH, LED 9 on QA of the second chip
#pragma once

#include <stdint.h>

namespace kxavr {

void DisplaysConfigure(const uint8_t* pinTable, const uint8_t* pins, uint8_t count);
void DisplayShow(uint8_t pin, const uint8_t* segments, uint8_t count);
// The bytes as the plugin sends them: the last port byte first.
void LedPortShow(uint8_t pin, const uint8_t* bytes, uint8_t count);

}  // namespace kxavr
