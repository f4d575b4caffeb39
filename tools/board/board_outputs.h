// What the board's outputs show, as a cockpit builder would see them: each
// LED lit or dark, each 7-segment display's digits and points, stepper
// targets, servo, PWM and other values, the LED port's LEDs, byte-data texts
// and, on a self-configuring board, the panel's values.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "plugin_messages.h"

namespace vboard {

struct StepperTarget {
    int16_t target = 0;
    uint16_t frameUnits = 0;  // frame time in 10-microsecond units
    bool operator==(const StepperTarget& other) const {
        return target == other.target && frameUnits == other.frameUnits;
    }
};

struct LedPort {
    uint8_t pin = 0;
    std::vector<uint8_t> bytes;  // port byte 0 first (LEDs 1 to 8)
    bool Lit(int led) const;     // LED 1 to 8 x bytes
};

struct BoardOutputs {
    std::map<uint8_t, bool> leds;
    std::map<uint8_t, std::string> displays;  // digits as shown: " 1.50"
    std::map<uint8_t, StepperTarget> steppers;
    std::map<uint8_t, uint8_t> pwm;
    std::map<uint8_t, std::pair<char, float>> values;  // letter and value (servos: S)
    std::map<uint8_t, std::string> texts;
    LedPort ledPort;
    bool hasLedPort = false;
    std::map<std::string, std::string> panel;
};

// The characters a display shows for its segment bytes: a digit, "-", a
// blank, "8" for every segment lit, "?" for any other pattern; a lit point
// follows its digit as ".".
std::string DisplayText(const std::string& segmentBytes);

// Applies the records of a "{" message. An "R" record is a 7-segment display
// when its pin is one of sevenSegmentPins (as the board was told), else the
// LED port. Returns one line for each thing that now shows differently.
std::vector<std::string> ApplyRecords(const std::vector<OutputRecord>& records,
                                      const std::vector<uint8_t>& sevenSegmentPins,
                                      BoardOutputs* outputs);

// The panel's values; the same kind of lines.
std::vector<std::string> ApplyPanelValues(const std::vector<PanelValue>& values,
                                          BoardOutputs* outputs);

// Everything shown, one line per output.
std::vector<std::string> ShownLines(const BoardOutputs& outputs);

}  // namespace vboard
