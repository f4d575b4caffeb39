// The records of a board's output message. Each begins with the pin byte;
// the builders write into a buffer of kMaxRecordSize bytes and return the
// record's length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/board_tables.h"

inline constexpr std::size_t kMaxRecordSize = 64;

// A byte-data record carries at most this much text, so that every record
// fits a fresh message even behind the LED port record (2 + 11 + 3 + 48).
inline constexpr std::size_t kMaxByteDataText = 48;

// The LED port: the board's LED port pin, "R", the number of port bytes,
// then the bytes from the last to the first.
std::size_t LedPortRecord(const Board& board, uint8_t* record);

// The record of one output of a numbered board (key: pin byte, kind letter)
// showing text, whose mapped value is value. By kind: L a lit or dark LED;
// N the 7-segment digits; G and g a stepper target with the frame time; P
// a PWM byte; byte data its text; any other letter the value as a float.
// Kind l has no record (see SetLedPortLed); 0 is returned for it.
std::size_t OutputRecord(const BoardOutput& out, const char* text, std::size_t length, float value,
                         float frametime, uint8_t* record);

// LED n (1 to 64) of the board's LED port: bit 7 - (n - 1) mod 8 of port
// byte (n - 1) / 8. LEDs beyond the port's bytes are ignored.
void SetLedPortLed(Board& board, int n, bool on);

// Whether an LED shows lit: the value is exactly 1, or the output is
// overridden by an input (its text is "*").
bool LedLit(const char* text, std::size_t length, float value);

// Conversions that never leave their range: a NaN gives 0, and values
// beyond the range the nearest end.
int16_t StepperTarget(float value);      // rounded half up
uint16_t FrameTimeUnits(float seconds);  // 10-microsecond units, at most 32760
uint8_t PwmByte(float value);            // truncated, low byte
