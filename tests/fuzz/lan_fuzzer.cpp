// A LAN board's network path as the firmware runs it, built on the host
// against the W5500 model: datagrams from the network (untrusted: any host
// may send them) into the plugin's socket and the DHCP client's, through
// the datagram link into the protocol core, with the clock moved on between
// them. The first byte chooses whether the test host's DHCP server answers
// the board (so the bound states are reached) and whether its replies are
// spoilt by the input's bytes. The board's datagrams must be whole
// messages without a zero byte, its DHCP messages whole BOOTP messages to
// a server's port, and the address it takes one a host may have.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "board_core.h"
#include "board_network.h"
#include "board_wire.h"
#include "fake_dhcp_server.h"
#include "network_settings.h"
#include "w5500_model.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

class NoHardware : public kxfw::BoardHardware {
  public:
    void ConfigurePins(const uint8_t*, uint8_t* levels) override {
        for (int i = 0; i < 7; ++i) levels[i] = 0xFF;
    }
    void ConfigureDisplays(const uint8_t*, uint8_t) override {}
    void ConfigureSteppers(const uint8_t*, uint8_t) override {}
    void SetLed(uint8_t, bool) override {}
    void SetPwm(uint8_t, uint8_t) override {}
    void SetServo(uint8_t, uint16_t) override {}
    void SetStepper(uint8_t, int16_t, uint16_t) override {}
    void ShowDigits(uint8_t, const uint8_t*, uint8_t) override {}
    void SetLedPort(uint8_t, const uint8_t*, uint8_t) override {}
};

class Bus : public kxnet::SpiBus {
  public:
    explicit Bus(avrboard::W5500Model& chip) : chip_(chip) {}
    void Write(const uint8_t* header, uint8_t n, const uint8_t* out, uint16_t count) override {
        chip_.ChipSelect(true);
        for (uint8_t i = 0; i < n; ++i) chip_.Transfer(header[i]);
        for (uint16_t i = 0; i < count; ++i) chip_.Transfer(out[i]);
        chip_.ChipSelect(false);
    }
    void Read(const uint8_t* header, uint8_t n, uint8_t* in, uint16_t count) override {
        chip_.ChipSelect(true);
        for (uint8_t i = 0; i < n; ++i) chip_.Transfer(header[i]);
        for (uint16_t i = 0; i < count; ++i) in[i] = chip_.Transfer(0);
        chip_.ChipSelect(false);
    }

  private:
    avrboard::W5500Model& chip_;
};

// Checks what the board sends; the DHCP server's replies wait for the next
// step, spoilt when the input asks for it.
class Network : public avrboard::ChipNetwork {
  public:
    void SocketOpened(uint8_t, const avrboard::Address&, uint16_t) override {}
    void SocketClosed(uint8_t) override {}
    bool Sent(uint8_t socket, const avrboard::Datagram& datagram) override {
        if (socket == 0) {
            Check(!datagram.data.empty() && datagram.data.size() <= kxfw::kMaxBoardMessage);
            for (uint8_t byte : datagram.data) Check(byte != 0);
            return true;
        }
        Check(datagram.toPort == 67 && datagram.data.size() >= 300);
        if (server != nullptr) {
            for (auto& reply : server->Answer(datagram.data)) replies.push_back(reply);
        }
        return true;
    }
    avrboard::FakeDhcpServer* server = nullptr;
    std::vector<std::vector<uint8_t>> replies;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    avrboard::W5500Model chip;
    Network network;
    chip.SetNetwork(&network);
    avrboard::DhcpOffer offer;
    offer.address = {192, 168, 1, 77};
    offer.server = {192, 168, 1, 1};
    offer.leaseSeconds = 30;
    avrboard::FakeDhcpServer server(offer);
    if (data[0] & 1) network.server = &server;
    const bool spoil = (data[0] & 2) != 0;
    Bus bus(chip);
    kxnet::BoardNetwork board(bus);
    kxnet::NetworkSettings settings;
    Check(board.Start(settings, 4, 0));
    kxfw::DatagramLink link(board.pluginPort(), kxfw::kUploadSize);
    NoHardware hardware;
    kxfw::BoardCore core(4, hardware, link);
    uint32_t nowMs = 0;
    for (std::size_t at = 1; at + 2 <= size;) {
        const uint8_t kind = data[at] % 3, count = data[at + 1];
        at += 2;
        const std::size_t length = count < size - at ? count : size - at;
        for (auto& reply : network.replies) {
            if (spoil && length > 0) reply[data[at] % reply.size()] ^= data[at + length - 1];
            chip.ArriveOnPort(68, offer.server, 67, reply.data(), reply.size());
        }
        network.replies.clear();
        if (kind == 0) chip.ArriveAt(0, {192, 168, 1, 20}, 5080, data + at, length);
        if (kind == 1) chip.ArriveOnPort(68, {192, 168, 1, 9}, 67, data + at, length);
        if (kind == 2) nowMs += 100u * count;
        at += kind == 2 ? 0 : length;
        board.Poll(nowMs);
        core.Poll();
        nowMs += 5;
        const avrboard::Address address = chip.SourceAddress();
        Check(address == avrboard::Address{} || kxnet::IsHostAddress(address.data()));
    }
    return 0;
}
