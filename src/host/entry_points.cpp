// The five functions the simulator calls by name. Each runs guarded, so no
// exception ever reaches the simulator.
#include <cstddef>
#include <cstring>

#include "XPLMDataAccess.h"
#include "XPLMPlugin.h"
#include "XPLMProcessing.h"
#include "XPWidgets.h"
#include "base/guard.h"
#include "base/plugin_state.h"
#include "base/settings.h"
#include "config/board_tables.h"
#include "custom/custom_refs.h"
#include "host/host_state.h"
#include "host/lifecycle.h"
#include "host/plugin_menu.h"
#include "simdata/ping.h"
#include "transport/serial.h"
#include "transport/udp_socket.h"
#include "ui/status_window.h"

namespace {

constexpr const char* kPluginName = "Kestrix";
constexpr const char* kPluginSignature = "Brennick.Kestrix";
constexpr const char* kPluginDescription =
    "A plugin for reading and writing configured sets of X-Plane DataRefs and commands, "
    "connecting to client programs over LAN or USB. A new branch of the earlier Corvane plugin.";

// The simulator's identity buffers hold 256 bytes each.
constexpr std::size_t kIdentityBuffer = 256;

// Without it a macOS simulator hands out colon-separated legacy paths, in
// which the plugin folder and the aircraft folder are never found.
constexpr const char* kNativePathsFeature = "XPLM_USE_NATIVE_PATHS";

void CopyIdentity(char* out, const char* text) {
    if (out == nullptr) return;
    std::strncpy(out, text, kIdentityBuffer - 1);
    out[kIdentityBuffer - 1] = '\0';
}

XPLMDataRef FindFlightTimeDref() {
    XPLMDataRef ref = XPLMFindDataRef(kFlightTimeName);
    return ref ? ref : XPLMFindDataRef(kFlightTimePublishedName);
}

// Loading an airport or scenery early in a flight: the new flight takes over
// the positions of the cockpit hardware. While paused nothing is sent.
bool IsEarlyFlightLoad(int message) {
    if (message != XPLM_MSG_AIRPORT_LOADED && message != XPLM_MSG_SCENERY_LOADED) return false;
    if (pluginState.PluginPaused) return false;
    if (!settings.RESET_EVENTS) return false;
    float flightTime = XPLMGetDataf(pluginState.FlightTimeDref);
    return flightTime < 5.0f;  // NaN is not below
}

}  // namespace

PLUGIN_API int XPluginStart(char* outName, char* outSignature, char* outDescription) {
    Guarded("XPluginStart", [&] {
        if (XPLMHasFeature(kNativePathsFeature)) XPLMEnableFeature(kNativePathsFeature, 1);
        CopyIdentity(outName, kPluginName);
        CopyIdentity(outSignature, kPluginSignature);
        CopyIdentity(outDescription, kPluginDescription);
        if (lifecycle.FirstLaunch == 1) {
            CreatePluginMenu();
            lifecycle.plugin_id = XPLMGetMyID();
        }
        // The boards refer to serial ports by index; they follow a closed
        // port's renumbering.
        serial.onPortClosed = RenumberBoardsAfterPort;
        StartSocketLibrary();
        SetStatusLineSink(&WindowStatusLines());
        pluginState.FlightTimeDref = FindFlightTimeDref();
        pluginState.FrameTimeDref = XPLMFindDataRef(kFrameTimeName);
        InitiateCustom();
        if (lifecycle.FirstLaunch == 1) {
            XPLMRegisterFlightLoopCallback(FlightLoopInit, -1.0f, nullptr);
        }
    });
    return 1;
}

PLUGIN_API void XPluginStop(void) {
    Guarded("XPluginStop", [] {
        UnregisterCustomDrefs();
        if (window.gMenuItem == 1) {
            XPDestroyWidget(window.InstructionsWidget, 1);
            window = WindowState{};  // gMenuItem back to 0 with the rest
        }
        CloseTransports();
        StopSocketLibrary();
    });
}

PLUGIN_API int XPluginEnable(void) {
    Guarded("XPluginEnable", [] {
        if (lifecycle.FirstLaunch == 0) ResetPlugin();
    });
    return 1;
}

PLUGIN_API void XPluginDisable(void) {
    Guarded("XPluginDisable", [] { CloseTransports(); });
}

PLUGIN_API void XPluginReceiveMessage(XPLMPluginID /*fromWho*/, int message, void* /*param*/) {
    Guarded("XPluginReceiveMessage", [&] {
        if (IsEarlyFlightLoad(message)) PingInputs(1);
    });
}
