// What each mode code of the configuration upload's pin table tells a pin to
// be. The board only reads these codes; the plugin derives them from the
// board's section of data.cfg.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pin_modes.h"
#include "wire_format.h"

namespace vboard {

constexpr std::size_t kPinCount = kxfw::kPinCount;          // pins 0..53 carry a mode code
constexpr std::size_t kPinTableSize = kxfw::kPinTableSize;  // + 5 reserved bytes + index byte
constexpr std::size_t kIndexByte = kxfw::kIndexByte;
using PinTable = std::array<uint8_t, kPinTableSize>;

// The roles themselves are the firmware's (firmware/core/pin_modes.h).
using kxfw::DecodePinMode;
using kxfw::PinFamily;
using kxfw::PinRole;

// "digital input", "encoder, first kind, type 1, mode 2", ...
std::string DescribePinRole(const PinRole& role);

// One line per pin with a role ("pin 13: LED / 7-segment / LED port output
// (code 7)"), then remarks on the reserved bytes; a line saying so when no
// pin has a role.
std::vector<std::string> PinTableLines(const PinTable& table);

}  // namespace vboard
