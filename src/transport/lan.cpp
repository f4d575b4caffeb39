#include "transport/lan.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "base/settings.h"
#include "transport/reply.h"

LanState lan;
uint8_t recs[kLanBufferSize];

int Send_LAN(const void* buf, std::size_t len, sockaddr_in addr) {
    bytes_sent = static_cast<int>(
        sendto(lan.sock, buf, len, 0, reinterpret_cast<const sockaddr*>(&addr), sizeof addr));
    return bytes_sent;
}

void CreateLanSocket() {
    if (lan.sock >= 0) return;  // never overwrite (and leak) an open socket
    lan.sock = socket(AF_INET, SOCK_DGRAM, 0);
    // Programs the simulator may start must not inherit the socket.
    if (lan.sock >= 0) fcntl(lan.sock, F_SETFD, FD_CLOEXEC);
}

void BindLanSocket() {
    if (lan.sock < 0) return;
    int reuse = 1;  // a restarted plugin can bind the same port at once
    setsockopt(lan.sock, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    int flags = fcntl(lan.sock, F_GETFL);
    if (flags >= 0) fcntl(lan.sock, F_SETFL, flags | O_NONBLOCK);
    std::memset(&lan.bound, 0, sizeof lan.bound);
    lan.bound.sin_family = AF_INET;
    lan.bound.sin_port = htons(static_cast<uint16_t>(settings.UDP_PORT));
    lan.bound.sin_addr.s_addr = htonl(INADDR_ANY);
    lan.discovery = lan.bound;
    // A failed bind leaves the plugin without LAN reception; nothing to retry.
    (void)bind(lan.sock, reinterpret_cast<const sockaddr*>(&lan.bound), sizeof lan.bound);
}

void CloseLanSocket() {
    if (lan.sock >= 0) close(lan.sock);
    lan.sock = -1;
}

// Nothing is zeroed beforehand: only the bytes received are looked at.
ssize_t ReceiveLanDatagram(sockaddr_in* from) {
    if (lan.sock < 0) return -1;
    sockaddr_in address{};
    lan.addrLength = sizeof address;
    ssize_t received = recvfrom(lan.sock, recs, sizeof recs, 0,
                                reinterpret_cast<sockaddr*>(&address), &lan.addrLength);
    if (received < 0) return -1;
    lan.sender = address;
    lan.discovery.sin_port = address.sin_port;
    *from = address;
    return received;
}
