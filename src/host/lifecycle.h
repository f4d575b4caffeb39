// The plugin's lifecycle: the one-shot start callback, the reset
// ("reconnect") and the closing of the transports.
#pragma once

#include <cstdint>

#include "XPWidgetDefs.h"

// Runs the startup sequence on the first simulator frame, then hands over to
// the main cycle. Returns 0 so the simulator never calls it again.
float FlightLoopInit(float elapsedSinceLastCall, float elapsedSinceLastFlightLoop, int counter,
                     void* refcon);

// Tears down every connection and table and runs the startup sequence again.
// Before the startup sequence has first run it does nothing: that sequence
// does it all.
void ResetPlugin();

// The first half of a reset: closes every serial port and the socket, empties
// every per-board and transport table and restores the settings' defaults
// (all but the baud rate), opening nothing. The status window and the
// plugin-owned datarefs and commands are left alone. The fuzz targets run it
// between inputs, so that each input meets the state a reconnect leaves.
void ForgetConnectionsAndTables();

// The startup sequence: window, settings, socket, address, serial ports, data.cfg.
void InitializePlugin();

// Closes the socket and every serial port once (disable and stop).
void CloseTransports();

// The status window's Reconnect button.
int ReconnectButtonHandler(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                           intptr_t param2);
