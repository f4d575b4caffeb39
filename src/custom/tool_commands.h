// Two commands for trying a panel without the simulator's help: an output
// test that lights every LED and shows 8s on every display for a few
// seconds, and an input monitor that logs every input event and what it
// did. Users bind them to a key or a joystick button. The handlers only set
// the state below; the main cycle acts on it.
#pragma once

#include "XPLMUtilities.h"

inline constexpr const char* kOutputTestCommand = "kestrix/output_test";
inline constexpr const char* kInputMonitorCommand = "kestrix/input_monitor";
// How long the output test shows everything lit, in simulator seconds.
inline constexpr double kOutputTestSeconds = 3.0;

struct ToolCommands {
    XPLMCommandRef outputTest = nullptr;  // null until created
    XPLMCommandRef inputMonitor = nullptr;
    // Simulator time (XPLMGetElapsedTime) at which the output test ends;
    // the test runs while the clock is below it.
    double outputTestUntil = -1.0;
    bool inputMonitorOn = false;
};

extern ToolCommands toolCommands;

// Creates both commands and installs their handlers, once per module load
// (they stay while the module is loaded, like the starter commands).
void CreateToolCommands();

// The handlers: the output test starts (or starts again) on the command's
// begin; the input monitor toggles on its begin and says so in the log.
int CC_OutputTest(XPLMCommandRef command, XPLMCommandPhase phase, void* refcon);
int CC_InputMonitor(XPLMCommandRef command, XPLMCommandPhase phase, void* refcon);
