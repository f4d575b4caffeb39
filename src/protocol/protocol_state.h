// Process-wide state of the main cycle and the board protocol.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/feature_level.h"

struct CycleState {
    int Next = 0;                   // host number the discovery sweep calls next
    bool send_usb_request = false;  // one-shot requests due on the next scanning cycle
};

struct DiscoveryState {
    int USBLength = 0;                     // serial identifications since the start
    std::vector<unsigned> wrong_versions;  // board indices already warned about
    std::vector<std::string> splitpair;    // handlers' scratch tokens
};

extern CycleState cycleState;
extern DiscoveryState discovery;

// Accepted firmware library versions: from lib_ver up to, not including, max_lib_ver.
inline constexpr uint8_t lib_ver = kFeatures.minLibVersion;
inline constexpr uint8_t max_lib_ver = kFeatures.maxLibVersion;
// The discovery request.
inline const std::string InitialMessage = "XP";
