// The one UDP socket through which the plugin reaches every LAN board, and
// the LAN half of the device registry.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct LanState {
    int sock = -1;            // UDP socket; -1 while closed
    sockaddr_in serv_addr{};  // bound address, then sender of the last datagram,
                              // then destination of discovery requests
    socklen_t addrLength = 0;
    std::vector<int> UsedAddr;        // host numbers (last octet) seen; entry 0 is our own host
    std::vector<int> NetworkIndices;  // board index per UsedAddr entry, -1 for none
    std::vector<int> TempLAN;         // UsedAddr as it was when the last reset began
    std::string Base_IP;              // LAN prefix up to and including the third dot
    std::string My_IP;                // address of the last IPv4 interface found
    std::string My_IP_str;            // address in use; later scratch for discovery
};

extern LanState lan;

// One datagram's receive buffer, fixed and static.
inline constexpr std::size_t kLanBufferSize = 81920;
extern uint8_t recs[kLanBufferSize];

// Sends exactly len bytes as one datagram; stores and returns the count or -1.
int Send_LAN(const void* buf, std::size_t len, sockaddr_in addr);

// Creates the socket (first half of opening).
void CreateLanSocket();
// Options, non-blocking mode and bind to UDP_PORT on all addresses.
void BindLanSocket();
// Closes the socket once; later calls do nothing.
void CloseLanSocket();

// One LAN turn of the receive loop: takes one datagram into the current
// message (cut at its first zero byte).
void ReceiveLanDatagram();
