#include "peers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace testenv {

void EnlargeSocketBuffer(int fd) {
    int room = 4 << 20;
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &room, sizeof room) != 0) {
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &room, sizeof room);
    }
}

bool WaitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, timeoutMs) > 0 && (entry.revents & POLLIN);
}

UdpPeer::UdpPeer(const std::string& host, int port) : host_(host), port_(port) {
    if (host.rfind("127.", 0) != 0 || host == "127.0.0.1") {
        throw std::invalid_argument("fake boards live on 127.0.0.N, N not 1");
    }
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    int reuse = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &addr.sin_addr);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        throw std::runtime_error("cannot bind fake board at " + host);
    }
}

UdpPeer::~UdpPeer() {
    if (fd_ >= 0) close(fd_);
}

void UdpPeer::SendToPlugin(const std::string& bytes, int pluginPort) const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(pluginPort));
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

void UdpPeer::EnlargeReceiveBuffer() const {
    EnlargeSocketBuffer(fd_);
}

std::vector<std::string> UdpPeer::ReceiveAll() const {
    std::vector<std::string> datagrams;
    char buffer[65536];
    ssize_t n;
    while ((n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT)) >= 0) {
        datagrams.emplace_back(buffer, static_cast<std::size_t>(n));
    }
    return datagrams;
}

bool UdpPeer::Receive(std::string* out, int timeoutMs) const {
    if (!WaitReadable(fd_, timeoutMs)) return false;
    char buffer[65536];
    ssize_t n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0) return false;
    out->assign(buffer, static_cast<std::size_t>(n));
    return true;
}

PseudoTerminal::PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    device_ = ptsname(master_);
    fcntl(master_, F_SETFL, O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal() {
    if (master_ >= 0) close(master_);
}

void PseudoTerminal::LinkAs(const std::string& linkPath) const {
    if (symlink(device_.c_str(), linkPath.c_str()) != 0) {
        throw std::runtime_error("cannot link " + linkPath);
    }
}

void PseudoTerminal::Write(const std::string& bytes) const {
    if (write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        throw std::runtime_error("short write to pseudo-terminal");
    }
}

std::string PseudoTerminal::Read(int timeoutMs) const {
    std::string text;
    if (!WaitReadable(master_, timeoutMs)) return text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(master_, buffer, sizeof buffer)) > 0) text.append(buffer, n);
    return text;
}

std::string PseudoTerminal::ReadExactly(std::size_t count, int timeoutMs) const {
    std::string text;
    char buffer[4096];
    while (text.size() < count && WaitReadable(master_, timeoutMs)) {
        ssize_t n = read(master_, buffer, std::min(sizeof buffer, count - text.size()));
        if (n <= 0) break;
        text.append(buffer, n);
    }
    return text;
}

}  // namespace testenv
