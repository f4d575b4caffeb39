// Process-wide values that every subsystem may read: the pause flag, the
// simulator's two time datarefs with the last frame period, and the
// version text. The initial values below are the values at module load.
#pragma once

#include <string>

#include "XPLMDataAccess.h"
#include "base/feature_level.h"

struct PluginState {
    bool PluginPaused = false;             // PAUSE button; the main cycle idles until a reset
    XPLMDataRef FlightTimeDref = nullptr;  // total flight time, seconds
    XPLMDataRef FrameTimeDref = nullptr;   // "sim/operation/misc/frame_rate_period"
    float frametime = 30.0f;               // last frame period in seconds; kept by a reset
};

extern PluginState pluginState;

// The version text shown in the status window's title.
inline const std::string plugin_ver = kFeatures.version;
