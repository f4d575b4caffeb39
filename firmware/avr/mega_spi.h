// The Mega 2560's SPI port to the W5500 of an Ethernet shield: SCK 52, MOSI
// 51, MISO 50 (on the ICSP header the shield plugs into), the chip's select
// on pin 10. Pin 53 (the port's own select) stays a high output, or the
// port would fall out of master mode; pin 4 (the shield's SD card select)
// stays high so the card never answers. These six pins are the shield's.
#pragma once

#include <stdint.h>

#include "pin_modes.h"
#include "spi_bus.h"

namespace kxavr {

// Pins 4, 10 and 50 to 53.
const uint8_t kShieldPins[kxfw::kPinSetBytes] = {0x10, 0x04, 0, 0, 0, 0, 0x3C};

class MegaSpi : public kxnet::SpiBus {
  public:
    // Master, mode 0, 8 MHz (the clock / 2); MISO pulled up, so a missing
    // chip reads 0xFF.
    void Begin();
    // Every shield pin an input again without pull-up, the port off.
    void End();

    void Write(const uint8_t* header, uint8_t headerLength, const uint8_t* out,
               uint16_t count) override;
    void Read(const uint8_t* header, uint8_t headerLength, uint8_t* in, uint16_t count) override;
};

}  // namespace kxavr
