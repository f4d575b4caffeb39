// The line to the network chip: one SPI frame at a time, chip select held
// low for the whole frame. A frame is a few header bytes (address and
// control, as the chip wants them), then count bytes either written from
// out or read into in. The board's SPI port does this on the ATmega2560; the
// tests put a model of the chip behind it.
#pragma once

#include <stdint.h>

namespace kxnet {

class SpiBus {
  public:
    virtual void Write(const uint8_t* header, uint8_t headerLength, const uint8_t* out,
                       uint16_t count) = 0;
    virtual void Read(const uint8_t* header, uint8_t headerLength, uint8_t* in, uint16_t count) = 0;

  protected:
    ~SpiBus() {}
};

}  // namespace kxnet
