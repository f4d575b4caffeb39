// The emulated shield's network: the chip's UDP sockets carried to real UDP
// sockets of this machine, on loopback only. A socket the firmware opens on
// an address 127.0.0.N (N not 0, 1 or 255) gets a real socket bound to that
// address and port; what it sends to a 127.x address goes out there, and
// what arrives there (from 127.x only) goes into the chip. DHCP (ports 67
// and 68) never leaves the test host: the fake server answers it. Anything
// else the firmware sends (a broadcast, another network) is dropped here
// and counted, never put on a real network.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

#include "fake_dhcp_server.h"
#include "w5500_model.h"

namespace avrboard {

class UdpBridge : public ChipNetwork {
  public:
    explicit UdpBridge(W5500Model& chip);
    ~UdpBridge() override;
    UdpBridge(const UdpBridge&) = delete;
    UdpBridge& operator=(const UdpBridge&) = delete;

    void SetDhcpServer(std::unique_ptr<FakeDhcpServer> server) { dhcp_ = std::move(server); }
    FakeDhcpServer* dhcpServer() { return dhcp_.get(); }

    // Datagrams waiting on the real sockets, and the DHCP server's replies,
    // into the chip.
    void Poll();

    void SocketOpened(uint8_t socket, const Address& address, uint16_t port) override;
    void SocketClosed(uint8_t socket) override;
    bool Sent(uint8_t socket, const Datagram& datagram) override;

    // The last datagrams carried, oldest first: "in " or "out " and the
    // datagram's first bytes (control bytes shown as "."), so a test can see
    // what a message answered.
    const std::deque<std::string>& recent() const { return recent_; }
    std::size_t carriedOut() const { return carriedOut_; }
    std::size_t carriedIn() const { return carriedIn_; }
    // Datagrams the firmware sent that would have left loopback.
    std::size_t keptInside() const { return keptInside_; }
    // Why a socket could not be bridged (a bind that failed), if one was not.
    const std::string& problem() const { return problem_; }

  private:
    void Close(uint8_t socket);
    void Remember(const char* direction, const uint8_t* data, std::size_t size);

    W5500Model& chip_;
    int fds_[W5500Model::kSockets];
    std::unique_ptr<FakeDhcpServer> dhcp_;
    std::deque<std::vector<uint8_t>> dhcpReplies_;
    std::deque<std::string> recent_;
    std::size_t carriedOut_ = 0, carriedIn_ = 0, keptInside_ = 0;
    std::string problem_;
};

// Whether an address is one an emulated board may take: 127.0.0.0/8 but
// not 127.0.0.1 (the plugin's) nor a network or broadcast address.
bool IsBoardLoopbackAddress(const Address& address);

}  // namespace avrboard
