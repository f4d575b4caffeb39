// Process-wide state of the plugin's host integration: whether the startup
// sequence has run, and the plugin's own id. The initial values below are
// the values at module load.
#pragma once

#include "XPLMDefs.h"

struct LifecycleState {
    int FirstLaunch = 1;  // 1 until FlightLoopInit has run the startup sequence
    XPLMPluginID plugin_id = 0;
};

extern LifecycleState lifecycle;

// The simulator's published name of the total flight time, looked up when the
// simulator does not know the older "sim/time/total_flight_time".
inline constexpr const char* kFlightTimeName = "sim/time/total_flight_time";
inline constexpr const char* kFlightTimePublishedName = "sim/time/total_flight_time_sec";
inline constexpr const char* kFrameTimeName = "sim/operation/misc/frame_rate_period";
