#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "transport/udp_socket.h"

void StartSocketLibrary() {}

void StopSocketLibrary() {}

int OpenUdpSocket() {
    int sock = socket(AF_INET, SOCK_DGRAM, 0);
    if (sock >= 0) fcntl(sock, F_SETFD, FD_CLOEXEC);
    return sock;
}

void MakeReusableAndNonBlocking(int sock) {
    int reuse = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    int flags = fcntl(sock, F_GETFL);
    if (flags >= 0) fcntl(sock, F_SETFL, flags | O_NONBLOCK);
}

bool BindUdpSocket(int sock, const sockaddr_in& address, std::string* reason) {
    if (bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
    *reason = std::strerror(errno);
    return false;
}

int SendDatagram(int sock, const void* buf, std::size_t len, const sockaddr_in& to) {
    return static_cast<int>(
        sendto(sock, buf, len, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to));
}

long ReceiveDatagram(int sock, void* buf, std::size_t size, sockaddr_in* from) {
    socklen_t length = sizeof *from;
    ssize_t received = recvfrom(sock, buf, size, 0, reinterpret_cast<sockaddr*>(from), &length);
    return received < 0 ? -1 : static_cast<long>(received);
}

void CloseUdpSocket(int sock) {
    close(sock);
}
