#include "udp_bridge.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace avrboard {

namespace {

constexpr uint16_t kDhcpServerPort = 67, kDhcpClientPort = 68;
// The chip takes no IP fragments: on Ethernet no UDP datagram longer than
// this reaches it.
constexpr std::size_t kLongestDatagram = 1472;
constexpr std::size_t kRecentKept = 32, kRecentBytes = 8;

sockaddr_in SocketAddress(const Address& address, uint16_t port) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    std::memcpy(&out.sin_addr, address.data(), 4);
    return out;
}

bool IsLoopback(const Address& address) {
    return address[0] == 127;
}

}  // namespace

bool IsBoardLoopbackAddress(const Address& address) {
    return IsLoopback(address) && !(address[1] == 0 && address[2] == 0 && address[3] <= 1) &&
           address[3] != 255 && address[3] != 0;
}

UdpBridge::UdpBridge(W5500Model& chip) : chip_(chip) {
    for (int& fd : fds_) fd = -1;
    chip_.SetNetwork(this);
}

UdpBridge::~UdpBridge() {
    chip_.SetNetwork(nullptr);
    for (uint8_t n = 0; n < W5500Model::kSockets; ++n) Close(n);
}

void UdpBridge::Close(uint8_t socket) {
    if (fds_[socket] >= 0) close(fds_[socket]);
    fds_[socket] = -1;
}

void UdpBridge::Remember(const char* direction, const uint8_t* data, std::size_t size) {
    std::string text = direction;
    for (std::size_t i = 0; i < size && i < kRecentBytes; ++i)
        text += data[i] >= 0x20 && data[i] < 0x7F ? static_cast<char>(data[i]) : '.';
    recent_.push_back(text);
    if (recent_.size() > kRecentKept) recent_.pop_front();
}

void UdpBridge::SocketOpened(uint8_t socket, const Address& address, uint16_t port) {
    Close(socket);
    if (port == kDhcpServerPort || port == kDhcpClientPort || !IsBoardLoopbackAddress(address))
        return;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int reuse = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    const sockaddr_in own = SocketAddress(address, port);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&own), sizeof own) != 0) {
        problem_ = "cannot bind " + AddressText(address) + ":" + std::to_string(port) + ": " +
                   std::strerror(errno);
        if (fd >= 0) close(fd);
        return;
    }
    fds_[socket] = fd;
}

void UdpBridge::SocketClosed(uint8_t socket) {
    Close(socket);
}

bool UdpBridge::Sent(uint8_t socket, const Datagram& datagram) {
    const bool broadcast = datagram.to == Address{255, 255, 255, 255};
    if (datagram.toPort == kDhcpServerPort && datagram.fromPort == kDhcpClientPort && dhcp_) {
        for (auto& reply : dhcp_->Answer(datagram.data)) dhcpReplies_.push_back(std::move(reply));
        return true;
    }
    if (fds_[socket] >= 0 && IsLoopback(datagram.to) && !broadcast) {
        const sockaddr_in to = SocketAddress(datagram.to, datagram.toPort);
        const ssize_t n = sendto(fds_[socket], datagram.data.data(), datagram.data.size(), 0,
                                 reinterpret_cast<const sockaddr*>(&to), sizeof to);
        if (n == static_cast<ssize_t>(datagram.data.size())) ++carriedOut_;
        Remember("out ", datagram.data.data(), datagram.data.size());
        return true;
    }
    ++keptInside_;
    return broadcast;  // a unicast to no host here: as if its ARP went unanswered
}

void UdpBridge::Poll() {
    while (!dhcpReplies_.empty() && dhcp_) {
        const std::vector<uint8_t>& reply = dhcpReplies_.front();
        chip_.ArriveOnPort(kDhcpClientPort, dhcp_->offer().server, kDhcpServerPort, reply.data(),
                           reply.size());
        dhcpReplies_.pop_front();
    }
    uint8_t buffer[65536];
    for (uint8_t n = 0; n < W5500Model::kSockets; ++n) {
        for (;;) {
            if (fds_[n] < 0) break;
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            const ssize_t size = recvfrom(fds_[n], buffer, sizeof buffer, 0,
                                          reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (size < 0) break;
            Address sender;
            std::memcpy(sender.data(), &from.sin_addr, 4);
            if (!IsLoopback(sender) || static_cast<std::size_t>(size) > kLongestDatagram) continue;
            Remember("in ", buffer, static_cast<std::size_t>(size));
            if (chip_.ArriveAt(n, sender, ntohs(from.sin_port), buffer,
                               static_cast<std::size_t>(size)))
                ++carriedIn_;
        }
    }
}

}  // namespace avrboard
