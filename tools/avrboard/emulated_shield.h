// An Ethernet shield with a W5500 on the emulated board: the chip model on
// the ATmega2560's SPI port, which the shield models itself (each byte the
// firmware writes to SPDR is clocked to the chip and SPIF rises after the
// byte's real time at the selected SPI clock), its select on pin 10, the SD card's select on pin 4
// watched (a frame while it is low would have two devices answering), and the chip's sockets
// bridged to real UDP sockets on the board's own loopback address (udp_bridge.h), DHCP answered
// inside the test host.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fake_dhcp_server.h"
#include "udp_bridge.h"
#include "w5500_model.h"

struct avr_t;

namespace avrboard {

struct ShieldOptions {
    std::string address;  // 127.0.0.N, N not 0, 1 or 255: fixed, or offered by DHCP
    bool dhcp = true;
    uint16_t port = 5080;  // the plugin's port, as kestrix-flash.sh writes it
    uint32_t leaseSeconds = 3600;
    bool chipAnswers = true;  // false: a shield that does not answer (MISO reads high)
};

class EmulatedShield {
  public:
    static std::unique_ptr<EmulatedShield> Attach(avr_t* avr, const ShieldOptions& options,
                                                  std::string* error);
    ~EmulatedShield();

    // The EEPROM from byte 3 on, as kestrix-flash.sh writes it for a LAN board.
    std::vector<uint8_t> EepromSettings() const;
    void PinChanged(uint8_t pin, bool level);
    void Service() { bridge_.Poll(); }
    // The shield's reset follows the board's reset button.
    void Reset();

    W5500Model& chip() { return chip_; }
    UdpBridge& bridge() { return bridge_; }
    FakeDhcpServer* dhcp() { return bridge_.dhcpServer(); }
    const ShieldOptions& options() const { return options_; }
    // Frames run while the SD card was selected as well.
    std::size_t framesWithCardSelected() const { return cardConflicts_; }

    // Called back by simavr.
    void SpiWrite(uint8_t mosi);
    uint8_t SpiRead();
    void SpiByteDone();

  private:
    EmulatedShield(avr_t* avr, const ShieldOptions& options, const Address& address);

    avr_t* avr_;
    ShieldOptions options_;
    Address address_;
    W5500Model chip_;
    UdpBridge bridge_;
    uint8_t received_ = 0xFF;
    bool cardSelectHigh_ = false;
    std::size_t cardConflicts_ = 0;
};

constexpr uint8_t kShieldChipSelect = 10;
constexpr uint8_t kShieldCardSelect = 4;

}  // namespace avrboard
