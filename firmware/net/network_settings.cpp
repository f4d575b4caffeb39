#include "network_settings.h"

#include <string.h>

namespace kxnet {

namespace {

const uint8_t kDhcpMark = 'D';
const uint8_t kFixedMark = 'F';

// The board number in the last byte of a locally administered address.
void DefaultMac(uint8_t boardNumber, uint8_t* mac) {
    const uint8_t prefix[5] = {0x02, 0x4B, 0x58, 0x00, 0x00};
    memcpy(mac, prefix, sizeof prefix);
    mac[5] = boardNumber;
}

bool UsableMac(const uint8_t* mac) {
    bool allZero = true, allOnes = true;
    for (uint8_t i = 0; i < 6; ++i) {
        allZero = allZero && mac[i] == 0;
        allOnes = allOnes && mac[i] == 0xFF;
    }
    return !allZero && !allOnes && (mac[0] & 1) == 0;
}

// Ones from the top, then zeros only, and at least one of each.
bool UsableMask(const uint8_t* mask) {
    const uint32_t bits = (static_cast<uint32_t>(mask[0]) << 24) |
                          (static_cast<uint32_t>(mask[1]) << 16) |
                          (static_cast<uint32_t>(mask[2]) << 8) | mask[3];
    const uint32_t hosts = ~bits;
    return bits != 0 && hosts != 0 && (hosts & (hosts + 1)) == 0;
}

}  // namespace

bool IsHostAddress(const uint8_t* address) {
    bool allZero = true, allOnes = true;
    for (uint8_t i = 0; i < 4; ++i) {
        allZero = allZero && address[i] == 0;
        allOnes = allOnes && address[i] == 0xFF;
    }
    return !allZero && !allOnes && address[0] < 224;
}

bool ParseNetworkSettings(const uint8_t* bytes, uint8_t boardNumber, NetworkSettings* out) {
    const uint8_t mark = bytes[0];
    if (mark != kDhcpMark && mark != kFixedMark) return false;
    NetworkSettings settings;
    memcpy(settings.address, bytes + 1, 4);
    memcpy(settings.mask, bytes + 5, 4);
    memcpy(settings.gateway, bytes + 9, 4);
    settings.dhcp =
        mark == kDhcpMark || !IsHostAddress(settings.address) || !UsableMask(settings.mask);
    if (settings.dhcp) {
        memset(settings.address, 0, 4);
        memset(settings.mask, 0, 4);
        memset(settings.gateway, 0, 4);
    }
    const uint16_t port = static_cast<uint16_t>((bytes[13] << 8) | bytes[14]);
    settings.port = port == 0 || port == 0xFFFF ? kDefaultPort : port;
    memcpy(settings.mac, bytes + 15, 6);
    if (!UsableMac(settings.mac)) DefaultMac(boardNumber, settings.mac);
    *out = settings;
    return true;
}

}  // namespace kxnet
