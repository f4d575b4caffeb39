// UART0 (the USB line of the Mega 2560) through the Arduino core's
// interrupt-driven ring buffers: reading takes what the receive interrupt has
// stored, writing only ever what fits, so the loop never waits on the line.
#pragma once

#include <Arduino.h>

#include "board_link.h"

namespace kxavr {

class SerialStream : public kxfw::ByteStream {
  public:
    int16_t ReadByte() override { return static_cast<int16_t>(Serial.read()); }
    uint16_t WriteRoom() override { return static_cast<uint16_t>(Serial.availableForWrite()); }
    void WriteByte(uint8_t byte) override { Serial.write(byte); }
};

}  // namespace kxavr
