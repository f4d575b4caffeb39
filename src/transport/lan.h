// The one UDP socket through which the plugin reaches every LAN board, and
// the LAN half of the device registry.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/socket_address.h"

struct LanState {
    int sock = -1;         // UDP socket; -1 while closed
    sockaddr_in bound{};   // what the socket is bound to: UDP_PORT on all addresses
    sockaddr_in sender{};  // sender of the most recently received datagram
    // Where discovery requests go: the address of the host being called, on
    // UDP_PORT until a datagram arrives, from then on on the source port of
    // the most recently received datagram.
    sockaddr_in discovery{};
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

// Creates the socket (first half of opening), unless one is open.
void CreateLanSocket();
// Options, non-blocking mode and bind to UDP_PORT on all addresses.
void BindLanSocket();
// Closes the socket once; later calls do nothing.
void CloseLanSocket();

// The reception of one LAN turn of the receive loop: takes one waiting
// datagram into recs (a longer one is cut to the buffer) and its sender into
// *from. Returns its length, 0 for an empty datagram, or -1 when nothing is
// waiting.
ssize_t ReceiveLanDatagram(sockaddr_in* from);
