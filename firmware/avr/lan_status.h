// What a LAN board tells its builder on the USB line (115200 baud, the
// Arduino IDE's serial monitor): whether the shield answered, the address
// it took and the plugin's port, a lost lease. Written only when the
// transmit buffer has room for the whole line, so it never waits; the
// lines hold no braces, so a plugin that opens the port takes them for
// noise.
#pragma once

#include <stdint.h>

#include "board_network.h"

namespace kxavr {

void PrintNoShield(uint8_t boardNumber);
void PrintAskingForAddress(uint8_t boardNumber);
void PrintLanStatus(uint8_t boardNumber, kxnet::BoardNetwork& network, uint8_t changes);

}  // namespace kxavr
