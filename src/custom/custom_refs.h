// The plugin's own datarefs and commands, published under "kestrix/".
#pragma once

#include <string>
#include <vector>

#include "XPLMDataAccess.h"
#include "XPLMUtilities.h"

// One plugin-owned integer dataref derived from simulator datarefs.
class CustomDref {
  public:
    XPLMDataRef sourceA = nullptr;
    XPLMDataRef sourceB = nullptr;
    unsigned kind = 0;  // 1 flaps in transition, 2 altitude hold status
    float blinkCounter = 0;
    int value = 0;
    std::string name;
    XPLMDataRef handle = nullptr;
};

// One plugin-owned command combining simulator commands.
class CustomCommand {
  public:
    std::string name;
    XPLMCommandRef command = nullptr;
    XPLMCommandRef first = nullptr;
    XPLMCommandRef second = nullptr;
    XPLMCommandRef third = nullptr;
};

extern std::vector<CustomDref> Kestrix_Drefs;
extern std::vector<CustomCommand> Kestrix_Commands;
// Indices into Kestrix_Drefs that some loaded output shows; only grows.
extern std::vector<unsigned> CustomIndices;

// Registers the plugin-owned datarefs and commands (every XPluginStart).
void InitiateCustom();
// Unregisters the plugin-owned datarefs (XPluginStop).
void UnregisterCustomDrefs();
