// The plugin's settings, which config.ini can override, and the plugin
// folder in which config.ini, the fallback data.cfg and the value memory
// files live. The initial values below are the values at module load; the
// reset says which of them a reconnect restores.
#pragma once

#include <string>

// The settings of config.ini, with their defaults.
struct Settings {
    int UDP_PORT = 5080;
    std::string SpecifiedIP = "auto";
    unsigned Baudrate = 115200;  // kept by a reset
    int USBcountVar = 1024;
    int ScanTimeout = 512;
    bool USB_FIX = false;
    bool RESET_EVENTS = true;
    // After scanning, one LAN host without a board is called each second,
    // so a board switched on later is found; 0 stops those calls.
    bool LAN_SLOW_SCAN = true;
    // The earlier level has no such setting, but the window opens all the
    // same: config.ini cannot change this value there.
    bool WINDOW_ON_CONNECT = true;
};

// The plugin folder the startup sequence finds, and the scratch paths the
// startup sequence and the data.cfg loader work in.
struct PathState {
    char cwd[2048] = {};
    std::string filepath;
    std::string foldername;  // plugin folder, no trailing slash
};

extern Settings settings;
extern PathState paths;
