// The plugin's own datarefs and commands, published under "kestrix/".
#pragma once

#include <string>
#include <vector>

#include "XPLMDataAccess.h"
#include "XPLMUtilities.h"

// One plugin-owned integer dataref derived from simulator datarefs.
class CustomDref {
  public:
    CustomDref() = default;
    // Registers the dataref (integer, writable) and looks up its sources;
    // an empty source name leaves that source null.
    CustomDref(XPLMGetDatai_f read, XPLMSetDatai_f write, const std::string& name, unsigned kind,
               const std::string& sourceAName, const std::string& sourceBName);

    // Registers the dataref again under its name after an unregistration.
    void Register();
    void Unregister();

    XPLMDataRef sourceA = nullptr;
    XPLMDataRef sourceB = nullptr;
    unsigned kind = 0;  // 1 flaps in transition, 2 altitude hold status
    float blinkCounter = 0;
    int value = 0;
    std::string name;
    XPLMDataRef handle = nullptr;  // null while unregistered

  private:
    XPLMGetDatai_f read_ = nullptr;
    XPLMSetDatai_f write_ = nullptr;
};

// One plugin-owned command combining simulator commands.
class CustomCommand {
  public:
    CustomCommand() = default;
    // Creates the command (its name doubles as description), looks up the
    // simulator commands and installs the handler before the simulator's own.
    CustomCommand(XPLMCommandCallback_f handler, const std::string& name,
                  const std::string& firstName, const std::string& secondName,
                  const std::string& thirdName);

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

// Accessors of the datarefs: the published values; writes are accepted and
// change nothing.
int CustomGet_Flaps(void* refcon);
int CustomGet_AltHold(void* refcon);
void CustomWrite_Empty(void* refcon, int value);

// The starter-ignition commands, one per engine.
int CC_Starter1(XPLMCommandRef command, XPLMCommandPhase phase, void* refcon);
int CC_Starter2(XPLMCommandRef command, XPLMCommandPhase phase, void* refcon);
int CC_Starter3(XPLMCommandRef command, XPLMCommandPhase phase, void* refcon);
int CC_Starter4(XPLMCommandRef command, XPLMCommandPhase phase, void* refcon);
