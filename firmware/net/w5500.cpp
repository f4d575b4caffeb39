#include "w5500.h"

namespace kxnet {

namespace {

// Block select bits: 0 the common registers, then per socket n its
// registers (4n + 1), TX buffer (4n + 2) and RX buffer (4n + 3).
uint8_t Control(Block block, uint8_t socket, bool write) {
    uint8_t bsb = 0;
    if (block != Block::Common)
        bsb = static_cast<uint8_t>(4 * socket + static_cast<uint8_t>(block));
    return static_cast<uint8_t>((bsb << 3) | (write ? 0x04 : 0x00));
}

const uint8_t kResetChecks = 200;

}  // namespace

void W5500::Write(uint16_t offset, Block block, uint8_t socket, const uint8_t* bytes,
                  uint16_t count) {
    const uint8_t header[3] = {static_cast<uint8_t>(offset >> 8), static_cast<uint8_t>(offset),
                               Control(block, socket, true)};
    bus_.Write(header, sizeof header, bytes, count);
}

void W5500::Read(uint16_t offset, Block block, uint8_t socket, uint8_t* bytes, uint16_t count) {
    const uint8_t header[3] = {static_cast<uint8_t>(offset >> 8), static_cast<uint8_t>(offset),
                               Control(block, socket, false)};
    bus_.Read(header, sizeof header, bytes, count);
}

uint8_t W5500::ReadByte(uint16_t offset, Block block, uint8_t socket) {
    uint8_t value = 0;
    Read(offset, block, socket, &value, 1);
    return value;
}

void W5500::Write16(uint16_t offset, Block block, uint8_t socket, uint16_t value) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    Write(offset, block, socket, bytes, 2);
}

uint16_t W5500::Read16(uint16_t offset, Block block, uint8_t socket) {
    uint8_t bytes[2] = {};
    Read(offset, block, socket, bytes, 2);
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

bool W5500::Probe() {
    if (ReadByte(reg::kVersion, Block::Common, 0) != kW5500Version) return false;
    // The retry time register: written and read back, then its default.
    const uint16_t saved = Read16(reg::kRetryTime, Block::Common, 0);
    Write16(reg::kRetryTime, Block::Common, 0, 0x5AA5);
    const bool kept = Read16(reg::kRetryTime, Block::Common, 0) == 0x5AA5;
    Write16(reg::kRetryTime, Block::Common, 0, saved);
    return kept;
}

bool W5500::Reset() {
    WriteByte(reg::kMode, Block::Common, 0, reg::kModeReset);
    for (uint8_t i = 0; i < kResetChecks; ++i) {
        if ((ReadByte(reg::kMode, Block::Common, 0) & reg::kModeReset) == 0) return true;
    }
    return false;
}

void W5500::SetMac(const uint8_t* mac) {
    Write(reg::kMacAddress, Block::Common, 0, mac, 6);
}

void W5500::GetMac(uint8_t* mac) {
    Read(reg::kMacAddress, Block::Common, 0, mac, 6);
}

void W5500::SetAddress(const uint8_t* address, const uint8_t* mask, const uint8_t* gateway) {
    Write(reg::kGateway, Block::Common, 0, gateway, 4);
    Write(reg::kSubnetMask, Block::Common, 0, mask, 4);
    Write(reg::kSourceAddress, Block::Common, 0, address, 4);
}

void W5500::GetAddress(uint8_t* address) {
    Read(reg::kSourceAddress, Block::Common, 0, address, 4);
}

bool W5500::LinkUp() {
    return (ReadByte(reg::kPhyConfig, Block::Common, 0) & reg::kPhyLinkUp) != 0;
}

}  // namespace kxnet
