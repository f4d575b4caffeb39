// The board number lives in EEPROM, so the same firmware serves every board
// of a cockpit: bytes 0 and 1 hold "KX", byte 2 the number (1 to 9), and
// from byte 3 whether the board is on the LAN and how (network_settings.h).
// tools/kestrix-flash.sh writes them with avrdude at flash time. A board
// whose EEPROM holds no number is board 1, on USB.
#pragma once

#include <stdint.h>

#include "network_settings.h"

namespace kxavr {

const uint16_t kNumberAddress = 2;
uint8_t BoardNumberFromEeprom();
// False for a USB board.
bool NetworkSettingsFromEeprom(uint8_t boardNumber, kxnet::NetworkSettings* settings);

}  // namespace kxavr
