#include "mega_pins.h"

namespace avrboard {

const PortBit kMegaPinPorts[kMegaPins] = {
    {'E', 0}, {'E', 1}, {'E', 4}, {'E', 5}, {'G', 5}, {'E', 3}, {'H', 3}, {'H', 4}, {'H', 5},
    {'H', 6}, {'B', 4}, {'B', 5}, {'B', 6}, {'B', 7}, {'J', 1}, {'J', 0}, {'H', 1}, {'H', 0},
    {'D', 3}, {'D', 2}, {'D', 1}, {'D', 0}, {'A', 0}, {'A', 1}, {'A', 2}, {'A', 3}, {'A', 4},
    {'A', 5}, {'A', 6}, {'A', 7}, {'C', 7}, {'C', 6}, {'C', 5}, {'C', 4}, {'C', 3}, {'C', 2},
    {'C', 1}, {'C', 0}, {'D', 7}, {'G', 2}, {'G', 1}, {'G', 0}, {'L', 7}, {'L', 6}, {'L', 5},
    {'L', 4}, {'L', 3}, {'L', 2}, {'L', 1}, {'L', 0}, {'B', 3}, {'B', 2}, {'B', 1}, {'B', 0},
};

namespace {

// Channel A's mode bits are 7:6, B's 5:4, C's 3:2.
const PwmChannel kPwm[] = {
    {2, 0x90, 4, 0x9A},  {3, 0x90, 2, 0x9C},  {4, 0x44, 4, 0x48},  {5, 0x90, 6, 0x98},
    {6, 0xA0, 6, 0xA8},  {7, 0xA0, 4, 0xAA},  {8, 0xA0, 2, 0xAC},  {9, 0xB0, 4, 0xB4},
    {10, 0xB0, 6, 0xB3}, {11, 0x80, 6, 0x88}, {12, 0x80, 4, 0x8A}, {13, 0x44, 6, 0x47},
};

}  // namespace

const PwmChannel* PwmChannelOf(uint8_t pin) {
    for (const PwmChannel& channel : kPwm) {
        if (channel.pin == pin) return &channel;
    }
    return nullptr;
}

}  // namespace avrboard
