// The firmware's network code on the host against the W5500 model: an SPI
// bus that clocks each frame's bytes through the model, and a network that
// keeps what the chip sent and lets a DHCP server answer, on a clock the
// test advances.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "board_network.h"
#include "fake_dhcp_server.h"
#include "spi_bus.h"
#include "w5500_model.h"

class ModelBus : public kxnet::SpiBus {
  public:
    explicit ModelBus(avrboard::W5500Model* chip) : chip_(chip) {}
    void Write(const uint8_t* header, uint8_t headerLength, const uint8_t* out,
               uint16_t count) override {
        Frame(header, headerLength, out, nullptr, count);
    }
    void Read(const uint8_t* header, uint8_t headerLength, uint8_t* in, uint16_t count) override {
        Frame(header, headerLength, nullptr, in, count);
    }

  private:
    // Without a chip the line reads as its pull-up: 0xFF.
    void Frame(const uint8_t* header, uint8_t headerLength, const uint8_t* out, uint8_t* in,
               uint16_t count) {
        if (chip_ != nullptr) chip_->ChipSelect(true);
        for (uint8_t i = 0; i < headerLength; ++i) Clock(header[i]);
        for (uint16_t i = 0; i < count; ++i) {
            const uint8_t back = Clock(out != nullptr ? out[i] : 0);
            if (in != nullptr) in[i] = back;
        }
        if (chip_ != nullptr) chip_->ChipSelect(false);
    }
    uint8_t Clock(uint8_t byte) { return chip_ != nullptr ? chip_->Transfer(byte) : 0xFF; }
    avrboard::W5500Model* chip_;
};

class HostNetwork : public avrboard::ChipNetwork {
  public:
    void SocketOpened(uint8_t, const avrboard::Address&, uint16_t) override {}
    void SocketClosed(uint8_t) override {}
    bool Sent(uint8_t, const avrboard::Datagram& datagram) override {
        sent.push_back(datagram);
        if (datagram.toPort == 67 && server != nullptr) {
            for (auto& reply : server->Answer(datagram.data)) {
                if (mangle) mangle(&reply);
                replies.push_back(std::move(reply));
            }
        }
        return true;
    }
    std::vector<avrboard::Datagram> sent;
    avrboard::FakeDhcpServer* server = nullptr;
    std::function<void(std::vector<uint8_t>*)> mangle;
    std::vector<std::vector<uint8_t>> replies;  // delivered on the next step
};

// A board's network with a chip, on a millisecond clock of its own.
struct ChipOnHost {
    avrboard::W5500Model chip;
    HostNetwork network;
    ModelBus bus{&chip};
    kxnet::BoardNetwork board{bus};
    uint32_t nowMs = 0;

    ChipOnHost() { chip.SetNetwork(&network); }
    // The loop for this long, a pass every passMs; the server's replies
    // arrive one pass after the request.
    void Run(uint32_t ms, uint32_t passMs = 5) {
        for (uint32_t end = nowMs + ms; nowMs < end; nowMs += passMs) {
            for (auto& reply : network.replies) {
                const avrboard::Address server = network.server->offer().server;
                chip.ArriveOnPort(68, server, 67, reply.data(), reply.size());
            }
            network.replies.clear();
            board.Poll(nowMs);
        }
    }
    std::string SourceAddress() const { return avrboard::AddressText(chip.SourceAddress()); }
};
