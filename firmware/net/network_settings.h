// What a board keeps in EEPROM about the network, after its number (bytes 0
// to 2: "K", "X", the number). tools/kestrix-flash.sh writes them:
//   byte  3       the board's line: "D" the LAN with an address by DHCP,
//                 "F" the LAN with the fixed address below; anything else
//                 (an erased EEPROM holds 0xFF) USB
//   bytes 4..7    the fixed address          (DHCP: not read)
//   bytes 8..11   its subnet mask
//   bytes 12..15  the gateway (0.0.0.0: none)
//   bytes 16, 17  the plugin's UDP port, high byte first (0 or 0xFFFF: 5080)
//   bytes 18..23  the shield's MAC address; erased, all zeros or a group
//                 address: 02-4B-58-00-00-0N, N the board number
// A fixed address that no host may have (0.0.0.0, a broadcast or group
// address, or a mask that is not a run of ones) falls back to DHCP.
#pragma once

#include <stdint.h>

namespace kxnet {

const uint8_t kSettingsOffset = 3;
const uint8_t kSettingsSize = 21;
const uint16_t kDefaultPort = 5080;

struct NetworkSettings {
    bool dhcp = true;
    uint8_t address[4] = {};
    uint8_t mask[4] = {};
    uint8_t gateway[4] = {};
    uint16_t port = kDefaultPort;
    uint8_t mac[6] = {};
};

// From the kSettingsSize bytes at kSettingsOffset; false when they make the
// board a USB board.
bool ParseNetworkSettings(const uint8_t* bytes, uint8_t boardNumber, NetworkSettings* out);

// Whether a host may use this address (not 0.0.0.0, 255.255.255.255, nor a
// group address).
bool IsHostAddress(const uint8_t* address);

}  // namespace kxnet
