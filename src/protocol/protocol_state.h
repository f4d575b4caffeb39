// Process-wide state of the main cycle and the board protocol.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CycleState {
    int cycle = 1;       // turns still to take in the current receive loop
    int max_cycles = 1;  // 1 (the LAN) plus the number of open serial ports
    int PingTimeout = 0;
    int Next = 0;                   // host number the discovery sweep calls next
    bool send_usb_request = false;  // one-shot requests due on the next scanning cycle
};

struct DiscoveryState {
    int USBLength = 0;                     // serial identifications since the start
    std::vector<unsigned> wrong_versions;  // board indices already warned about
    std::vector<std::string> splitpair;    // handlers' scratch tokens
};

// Output message buffer, shared by the mode messages and the output engine.
inline constexpr std::size_t kOutputMessageSize = 64;
struct OutputMessage {
    uint8_t omsg[kOutputMessageSize] = {};
    int oln = 0;
};

extern CycleState cycleState;
extern OutputMessage output;
extern DiscoveryState discovery;

// Accepted firmware library versions: from lib_ver up to, not including, max_lib_ver.
inline constexpr uint8_t lib_ver = 131;
inline constexpr uint8_t max_lib_ver = 140;
// The discovery request and the periodic ping.
inline const std::string InitialMessage = "XP";
inline const std::string PingChar = "XX";
