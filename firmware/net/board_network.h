// The board on the LAN: the W5500 set up from the EEPROM's settings, its
// address fixed or by DHCP, and socket 0 open on the plugin's UDP port once
// the address is there; the protocol core talks through that socket
// (pluginPort()). Once a second the chip's MAC address is read back: a chip
// that lost its setup (a reset of its own, a brown-out) or stopped
// answering is set up again, as often as it takes.
#pragma once

#include <stdint.h>

#include "dhcp_client.h"
#include "network_settings.h"
#include "udp_socket.h"
#include "w5500.h"

namespace kxnet {

// What changed, for the builder's status line (TakeChanges()).
const uint8_t kAddressTaken = 0x01;  // the address is in use, the socket open
const uint8_t kAddressLost = 0x02;   // the DHCP lease ended or was refused
const uint8_t kChipSetUpAgain = 0x04;

class BoardNetwork {
  public:
    explicit BoardNetwork(SpiBus& bus)
        : chip_(bus), plugin_(chip_, 0), dhcpSocket_(chip_, 1), dhcp_(chip_, dhcpSocket_) {}

    // False when no W5500 answers (the board then stays on USB).
    bool Start(const NetworkSettings& settings, uint8_t boardNumber, uint32_t nowMs);
    void Poll(uint32_t nowMs);

    kxfw::DatagramPort& pluginPort() { return plugin_; }
    UdpSocket& pluginSocket() { return plugin_; }
    const DhcpClient& dhcp() const { return dhcp_; }
    const NetworkSettings& settings() const { return settings_; }
    bool chipReady() const { return chipReady_; }
    bool hasAddress() const { return hasAddress_; }
    const uint8_t* address() const { return address_; }
    uint8_t TakeChanges() {
        const uint8_t changes = changes_;
        changes_ = 0;
        return changes;
    }

  private:
    bool SetUp(uint32_t nowMs);
    bool ChipKeepsSetUp();
    void TakeAddress(const uint8_t* address, const uint8_t* mask, const uint8_t* gateway);
    void DropAddress();

    W5500 chip_;
    UdpSocket plugin_;
    UdpSocket dhcpSocket_;
    DhcpClient dhcp_;
    NetworkSettings settings_;
    uint8_t number_ = 0;
    uint8_t address_[4] = {};
    bool hasAddress_ = false;
    bool chipReady_ = false;
    uint32_t lastCheckMs_ = 0;
    uint8_t changes_ = 0;
};

}  // namespace kxnet
