// Process-wide state of the plugin's host integration: the lifecycle flags,
// the settings that config.ini can override, and the startup scratch paths.
// The initial values below are the values at module load; ResetPlugin says
// which of them a reconnect restores.
#pragma once

#include <string>

#include "XPLMDataAccess.h"
#include "XPLMDefs.h"

struct LifecycleState {
    int FirstLaunch = 1;  // 1 until FlightLoopInit has run the startup sequence
    int gMenuItem = 0;    // 1 while the status window exists
    XPLMPluginID plugin_id = 0;
    XPLMDataRef FlightTimeDref = nullptr;  // total flight time, seconds
    XPLMDataRef FrameTimeDref = nullptr;   // "sim/operation/misc/frame_rate_period"
    std::string plugin_ver = "1.32";
    bool PluginPaused = false;
    float frametime = 30.0f;  // last frame period in seconds; kept by a reset
};

// The eight settings of config.ini, with their defaults.
struct Settings {
    int UDP_PORT = 5080;
    std::string SpecifiedIP = "auto";
    unsigned Baudrate = 115200;  // kept by a reset
    int USBcountVar = 1024;
    int ScanTimeout = 512;
    bool USB_FIX = false;
    bool RESET_EVENTS = true;
    bool WINDOW_ON_CONNECT = true;
};

// Scratch of the startup sequence and the plugin folder it finds.
struct StartupState {
    char cwd[2048] = {};
    std::string filepath;
    std::string foldername;  // plugin folder, no trailing slash
};

extern LifecycleState lifecycle;
extern Settings settings;
extern StartupState startup;

// The simulator's published name of the total flight time, looked up when the
// simulator does not know the older "sim/time/total_flight_time".
inline constexpr const char* kFlightTimeName = "sim/time/total_flight_time";
inline constexpr const char* kFlightTimePublishedName = "sim/time/total_flight_time_sec";
inline constexpr const char* kFrameTimeName = "sim/operation/misc/frame_rate_period";
