// A DHCP server inside the test host, for the emulated shield: it answers
// the chip's DISCOVER with an OFFER of one address and a REQUEST for that
// address with an ACK, anything else requested with a NAK. Its replies are
// broadcast from the server's port 67 to the client's 68, as servers answer
// a client that has no address yet. Nothing of it reaches a real network:
// the bridge hands it what the chip sends to port 67.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "w5500_model.h"

namespace avrboard {

struct DhcpOffer {
    Address address{};
    Address mask{255, 255, 255, 0};
    Address router{};
    Address server{};
    uint32_t leaseSeconds = 3600;
};

class FakeDhcpServer {
  public:
    explicit FakeDhcpServer(const DhcpOffer& offer) : offer_(offer) {}

    // The replies to one client datagram (none for what is not a request).
    std::vector<std::vector<uint8_t>> Answer(const std::vector<uint8_t>& request);

    // Requests left unanswered before the server answers (lost packets, a
    // server still starting); a server that refuses every REQUEST.
    int ignore = 0;
    bool refuse = false;

    int discovers = 0, requests = 0, acks = 0, naks = 0;
    std::string hostName;                   // as the last request named the client
    std::vector<std::string> transactions;  // "DISCOVER", "REQUEST 127.0.0.21 from 0.0.0.0", ...
    const DhcpOffer& offer() const { return offer_; }
    void SetLease(uint32_t seconds) { offer_.leaseSeconds = seconds; }

  private:
    std::vector<uint8_t> Reply(const std::vector<uint8_t>& request, uint8_t type) const;
    DhcpOffer offer_;
};

std::string AddressText(const Address& address);

}  // namespace avrboard
