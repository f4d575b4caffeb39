// A board on the local network, kept on loopback: it binds its own address
// 127.0.0.N and the plugin's port (the plugin binds that port on every
// address; the more specific bind receives the datagrams sent to 127.0.0.N)
// and answers whoever sent the latest datagram.
#pragma once

#include <netinet/in.h>

#include <memory>
#include <string>

#include "transport.h"

namespace vboard {

// Accepts 127.0.0.0/8 except 127.0.0.1, which belongs to the plugin: traffic
// never leaves the machine, and the board never shadows the plugin's address.
bool ParseBoardAddress(const std::string& text, in_addr* address, std::string* error);

bool IsLoopback(const in_addr& address);

class UdpTransport : public BoardTransport {
  public:
    // nullptr with a reason when the address is refused or cannot be bound.
    static std::unique_ptr<UdpTransport> Open(const std::string& address, int port,
                                              std::string* error);
    ~UdpTransport() override;
    UdpTransport(const UdpTransport&) = delete;
    UdpTransport& operator=(const UdpTransport&) = delete;

    int descriptor() const override { return fd_; }
    void Receive(std::vector<Incoming>* out) override;
    bool Send(const std::string& message, std::string* wire, std::string* error) override;
    bool serial() const override { return false; }
    std::string description() const override;

  private:
    UdpTransport(int fd, const sockaddr_in& own, const sockaddr_in& peer);

    int fd_;
    sockaddr_in own_;
    sockaddr_in peer_;  // the plugin: 127.0.0.1:port until a datagram says otherwise
};

}  // namespace vboard
