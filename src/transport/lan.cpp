#include "transport/lan.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "base/settings.h"
#include "transport/message.h"

LanState lan;
uint8_t recs[kLanBufferSize];
InboundMessage msg;
int bytes_sent = 0;

int Send_LAN(const void* buf, std::size_t len, sockaddr_in addr) {
    bytes_sent = static_cast<int>(
        sendto(lan.sock, buf, len, 0, reinterpret_cast<const sockaddr*>(&addr), sizeof addr));
    return bytes_sent;
}

void CreateLanSocket() {
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
    std::memset(&lan.serv_addr, 0, sizeof lan.serv_addr);
    lan.serv_addr.sin_family = AF_INET;
    lan.serv_addr.sin_port = htons(static_cast<uint16_t>(settings.UDP_PORT));
    lan.serv_addr.sin_addr.s_addr = htonl(INADDR_ANY);
    // A failed bind leaves the plugin without LAN reception; nothing to retry.
    (void)bind(lan.sock, reinterpret_cast<const sockaddr*>(&lan.serv_addr), sizeof lan.serv_addr);
}

void CloseLanSocket() {
    if (lan.sock >= 0) close(lan.sock);
    lan.sock = -1;
}

void ReceiveLanDatagram() {
    lan.addrLength = sizeof lan.serv_addr;
    ssize_t received = recvfrom(lan.sock, recs, sizeof recs, 0,
                                reinterpret_cast<sockaddr*>(&lan.serv_addr), &lan.addrLength);
    // The message is the datagram up to its first zero byte; nothing is
    // zeroed beforehand because only the bytes received are looked at.
    std::size_t length = received > 0 ? static_cast<std::size_t>(received) : 0;
    const char* text = reinterpret_cast<const char*>(recs);
    msg.st.assign(text, strnlen(text, length));
    msg.recsize = static_cast<int>(msg.st.size());
    msg.MessageIsSerial = 0;
}
