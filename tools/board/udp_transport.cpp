#include "udp_transport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "board_messages.h"

namespace vboard {

namespace {

constexpr std::size_t kMaxDatagram = 65536;

std::string AddressText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

sockaddr_in SocketAddress(const in_addr& host, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr = host;
    return address;
}

int BoundSocket(const sockaddr_in& own, std::string* error) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    int reuse = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&own), sizeof own) != 0) {
        *error = "cannot bind " + AddressText(own) + ": " + std::strerror(errno);
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

bool IsLoopback(const in_addr& address) {
    return (ntohl(address.s_addr) >> 24) == 127;
}

bool ParseBoardAddress(const std::string& text, in_addr* address, std::string* error) {
    if (inet_pton(AF_INET, text.c_str(), address) != 1) {
        *error = "\"" + text + "\" is not an IPv4 address";
        return false;
    }
    if (!IsLoopback(*address)) {
        *error = text + " is not a loopback address (127.0.0.N): boards stay on this machine";
        return false;
    }
    if (ntohl(address->s_addr) == INADDR_LOOPBACK) {
        *error = "127.0.0.1 is the plugin's address; give the board its own 127.0.0.N";
        return false;
    }
    return true;
}

std::unique_ptr<UdpTransport> UdpTransport::Open(const std::string& address, int port,
                                                 std::string* error) {
    in_addr host{};
    if (!ParseBoardAddress(address, &host, error)) return nullptr;
    sockaddr_in own = SocketAddress(host, port);
    int fd = BoundSocket(own, error);
    if (fd < 0) return nullptr;
    in_addr plugin{};
    plugin.s_addr = htonl(INADDR_LOOPBACK);
    return std::unique_ptr<UdpTransport>(new UdpTransport(fd, own, SocketAddress(plugin, port)));
}

UdpTransport::UdpTransport(int fd, const sockaddr_in& own, const sockaddr_in& peer)
    : fd_(fd), own_(own), peer_(peer) {}

UdpTransport::~UdpTransport() {
    close(fd_);
}

void UdpTransport::Receive(std::vector<Incoming>* out) {
    std::string buffer(kMaxDatagram, '\0');
    for (;;) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        ssize_t n = recvfrom(fd_, &buffer[0], buffer.size(), MSG_DONTWAIT,
                             reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                out->push_back(
                    {Incoming::Type::Note, std::string("recvfrom: ") + std::strerror(errno)});
            }
            return;
        }
        if (from.sin_family != AF_INET || !IsLoopback(from.sin_addr)) {
            out->push_back({Incoming::Type::Note, "dropped a datagram from outside loopback"});
            continue;
        }
        peer_ = from;
        if (n == 0) {
            out->push_back({Incoming::Type::Note, "empty datagram from " + AddressText(from)});
            continue;
        }
        out->push_back({Incoming::Type::Message, buffer.substr(0, static_cast<std::size_t>(n))});
    }
}

bool UdpTransport::Send(const std::string& message, std::string* wire, std::string* error) {
    *wire = message;
    std::string problem = WireProblem(message, false);
    if (!problem.empty()) {
        *error = problem;
        return false;
    }
    ssize_t n = sendto(fd_, message.data(), message.size(), 0,
                       reinterpret_cast<const sockaddr*>(&peer_), sizeof peer_);
    if (n != static_cast<ssize_t>(message.size())) {
        *error =
            "sendto " + AddressText(peer_) + ": " + (n < 0 ? std::strerror(errno) : "short send");
        return false;
    }
    return true;
}

std::string UdpTransport::description() const {
    return "udp " + AddressText(own_) + ", plugin at " + AddressText(peer_);
}

}  // namespace vboard
