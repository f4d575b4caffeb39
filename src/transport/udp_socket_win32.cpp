// Winsock: started once per module load, sockets closed with closesocket,
// non-blocking through ioctlsocket. A datagram longer than the buffer is
// reported as WSAEMSGSIZE after its first bytes were copied, as recvfrom cuts
// it elsewhere; "would block" means nothing is waiting.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "transport/udp_socket.h"

namespace {

bool started = false;

// SIO_UDP_CONNRESET, which not every set of headers declares.
constexpr DWORD kUdpConnReset = _WSAIOW(IOC_VENDOR, 12);

// The buffer-size argument of Winsock calls is an int.
int ClampedLength(std::size_t len) {
    return len > 0x7fffffff ? 0x7fffffff : static_cast<int>(len);
}

SOCKET AsSocket(int sock) {
    return static_cast<SOCKET>(static_cast<unsigned int>(sock));
}

}  // namespace

void StartSocketLibrary() {
    if (started) return;
    WSADATA data;
    started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void StopSocketLibrary() {
    if (!started) return;
    WSACleanup();
    started = false;
}

int OpenUdpSocket() {
    StartSocketLibrary();
    SOCKET sock = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (sock == INVALID_SOCKET) return -1;
    SetHandleInformation(reinterpret_cast<HANDLE>(sock), HANDLE_FLAG_INHERIT, 0);
    return static_cast<int>(sock);
}

void MakeReusableAndNonBlocking(int sock) {
    BOOL reuse = TRUE;
    setsockopt(AsSocket(sock), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
               sizeof reuse);
    u_long nonBlocking = 1;
    ioctlsocket(AsSocket(sock), FIONBIO, &nonBlocking);
    // Otherwise an ICMP "port unreachable" for an earlier send (the
    // discovery sweep calls hosts that have no board) fails the next
    // receive with WSAECONNRESET, as if the socket were broken.
    BOOL report = FALSE;
    DWORD returned = 0;
    WSAIoctl(AsSocket(sock), kUdpConnReset, &report, sizeof report, nullptr, 0, &returned, nullptr,
             nullptr);
}

bool BindUdpSocket(int sock, const sockaddr_in& address, std::string* reason) {
    if (bind(AsSocket(sock), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return true;
    char text[256] = "unknown error";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(WSAGetLastError()), 0, text, sizeof text, nullptr);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    *reason = message;
    return false;
}

int SendDatagram(int sock, const void* buf, std::size_t len, const sockaddr_in& to) {
    int sent = sendto(AsSocket(sock), static_cast<const char*>(buf), ClampedLength(len), 0,
                      reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent == SOCKET_ERROR ? -1 : sent;
}

long ReceiveDatagram(int sock, void* buf, std::size_t size, sockaddr_in* from) {
    int length = sizeof *from;
    int received = recvfrom(AsSocket(sock), static_cast<char*>(buf), ClampedLength(size), 0,
                            reinterpret_cast<sockaddr*>(from), &length);
    if (received != SOCKET_ERROR) return received;
    // WSAEWOULDBLOCK: nothing waiting. WSAEMSGSIZE: the datagram was longer
    // than the buffer and has been cut to it.
    if (WSAGetLastError() == WSAEMSGSIZE) return ClampedLength(size);
    return -1;
}

void CloseUdpSocket(int sock) {
    closesocket(AsSocket(sock));
}
