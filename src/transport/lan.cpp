#include "transport/lan.h"

#include <cstring>

#include "base/log.h"
#include "base/settings.h"
#include "transport/reply.h"
#include "transport/udp_socket.h"

LanState lan;
uint8_t recs[kLanBufferSize];

int Send_LAN(const void* buf, std::size_t len, sockaddr_in addr) {
    bytes_sent = lan.sock < 0 ? -1 : SendDatagram(lan.sock, buf, len, addr);
    return bytes_sent;
}

void CreateLanSocket() {
    if (lan.sock >= 0) return;  // never overwrite (and leak) an open socket
    lan.sock = OpenUdpSocket();
}

void BindLanSocket() {
    if (lan.sock < 0) return;
    MakeReusableAndNonBlocking(lan.sock);
    std::memset(&lan.bound, 0, sizeof lan.bound);
    lan.bound.sin_family = AF_INET;
    lan.bound.sin_port = htons(static_cast<uint16_t>(settings.UDP_PORT));
    lan.bound.sin_addr.s_addr = htonl(INADDR_ANY);
    lan.discovery = lan.bound;
    // A failed bind leaves the plugin without LAN reception; nothing to
    // retry, but the user has to know why no LAN board answers.
    std::string reason;
    if (!BindUdpSocket(lan.sock, lan.bound, &reason)) {
        Log("\nUDP port " + Decimal(settings.UDP_PORT) + " cannot be used: " + reason +
            "; no LAN board is heard (PORT in config.ini chooses another port)");
    }
}

void CloseLanSocket() {
    if (lan.sock >= 0) CloseUdpSocket(lan.sock);
    lan.sock = -1;
}

// Nothing is zeroed beforehand: only the bytes received are looked at.
ssize_t ReceiveLanDatagram(sockaddr_in* from) {
    if (lan.sock < 0) return -1;
    sockaddr_in address{};
    lan.addrLength = sizeof address;
    ssize_t received = ReceiveDatagram(lan.sock, recs, sizeof recs, &address);
    if (received < 0) return -1;
    lan.sender = address;
    lan.discovery.sin_port = address.sin_port;
    *from = address;
    return received;
}
