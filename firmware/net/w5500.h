// The WIZnet W5500 of an Ethernet shield, over SPI: the chip's common
// registers (its addresses, the PHY's link) and access to the register and
// buffer blocks of its eight sockets (udp_socket.h). Each SPI frame is the
// 16-bit offset, a control byte (block, read or write, variable length:
// the frame ends with chip select) and the data bytes.
#pragma once

#include <stdint.h>

#include "spi_bus.h"

namespace kxnet {

const uint8_t kW5500Version = 0x04;

// The blocks of the chip's memory.
enum class Block : uint8_t { Common, SocketRegisters, SocketTx, SocketRx };

class W5500 {
  public:
    explicit W5500(SpiBus& bus) : bus_(bus) {}

    // Whether a W5500 answers: its version register reads 0x04 and a
    // register keeps what was written to it (a line pulled high reads 0xFF
    // everywhere, one pulled low 0x00).
    bool Probe();
    // A software reset: every register and socket back to its defaults.
    // True once the chip has come out of it (checked a bounded number of
    // times: the chip is out within microseconds).
    bool Reset();
    void SetMac(const uint8_t* mac);
    void GetMac(uint8_t* mac);
    void SetAddress(const uint8_t* address, const uint8_t* mask, const uint8_t* gateway);
    // The address in use (0.0.0.0 while there is none).
    void GetAddress(uint8_t* address);
    bool LinkUp();

    void Write(uint16_t offset, Block block, uint8_t socket, const uint8_t* bytes, uint16_t count);
    void Read(uint16_t offset, Block block, uint8_t socket, uint8_t* bytes, uint16_t count);
    void WriteByte(uint16_t offset, Block block, uint8_t socket, uint8_t value) {
        Write(offset, block, socket, &value, 1);
    }
    uint8_t ReadByte(uint16_t offset, Block block, uint8_t socket);
    void Write16(uint16_t offset, Block block, uint8_t socket, uint16_t value);
    uint16_t Read16(uint16_t offset, Block block, uint8_t socket);

  private:
    SpiBus& bus_;
};

// Common registers.
namespace reg {
const uint16_t kMode = 0x0000;
const uint16_t kGateway = 0x0001;
const uint16_t kSubnetMask = 0x0005;
const uint16_t kMacAddress = 0x0009;
const uint16_t kSourceAddress = 0x000F;
const uint16_t kRetryTime = 0x0019;
const uint16_t kPhyConfig = 0x002E;
const uint16_t kVersion = 0x0039;
const uint8_t kModeReset = 0x80;
const uint8_t kPhyLinkUp = 0x01;
}  // namespace reg

}  // namespace kxnet
