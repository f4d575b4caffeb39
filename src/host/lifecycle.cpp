#include "host/lifecycle.h"

#include <cstring>

#include "XPLMProcessing.h"
#include "XPStandardWidgets.h"
#include "base/guard.h"
#include "base/log.h"
#include "base/log_once.h"
#include "base/plugin_state.h"
#include "base/settings.h"
#include "config/board_tables.h"
#include "config/parser.h"
#include "config/status_line.h"
#include "host/host_state.h"
#include "protocol/main_cycle.h"
#include "protocol/protocol_state.h"
#include "protocol/receive.h"
#include "simdata/held_inputs.h"
#include "simdata/ping.h"
#include "simdata/refused_events.h"
#include "transport/lan.h"
#include "transport/serial.h"

float FlightLoopInit(float, float, int, void*) {
    // The startup sequence is guarded on its own: whatever it meets, the main
    // cycle is still registered and a Reconnect can retry.
    Guarded("startup", [] { InitializePlugin(); });
    Guarded("FlightLoopInit", [] {
        lifecycle.FirstLaunch = 0;
        XPLMRegisterFlightLoopCallback(MyFlightLoopCallback, 1.0f, nullptr);
    });
    return 0.0f;
}

void CloseTransports() {
    CloseLanSocket();
    CloseAllSerialPorts();
}

namespace {

// Every setting returns to its default but the baud rate, which stays in
// force until a config.ini names another; the address becomes empty, which
// means the same as "auto".
void RestoreSettingsKeepingBaudrate() {
    Settings restored;
    restored.Baudrate = settings.Baudrate;
    restored.SpecifiedIP.clear();
    settings = restored;
}

void ForgetLanState() {
    lan.My_IP.clear();
    lan.My_IP_str.clear();
    lan.Base_IP.clear();
    lan.addrLength = 0;
    lan.UsedAddr.clear();
    lan.NetworkIndices.clear();
}

void ForgetStartupPaths() {
    paths.foldername.clear();
    paths.filepath.clear();
    std::memset(paths.cwd, 0, sizeof paths.cwd);
}

void ForgetSerialPorts() {
    serial.ports.clear();
    serial.SerialCurrent = 0;
    serial.nbytes = 0;
    serial.max_cycles = 1;
    serial.cycle = 1;
}

}  // namespace

void ForgetConnectionsAndTables() {
    // The hosts known so far get the one-shot requests after the restart.
    lan.TempLAN = lan.UsedAddr;
    DebugAddress.clear();
    // With no port in use and USB_FIX off, ClearUSB closes every port.
    settings.USB_FIX = false;
    serial.UsedUSB.clear();
    ClearUSB();
    CloseLanSocket();

    ForgetLanState();
    ForgetStartupPaths();
    // Before the tables go: a held starter must not stay engaged.
    ReleaseAllHeldInputs();
    refusedEvents = RefusedEvents{};
    ClearBoardTables();
    defaultval = "0";
    RestoreSettingsKeepingBaudrate();
    cycleState = CycleState{};
    ping = PingState{};
    discovery = DiscoveryState{};
    msg = InboundMessage{};
    ForgetSerialPorts();
    message_line_number = 0;
    pluginState.PluginPaused = false;
    // After a restart every problem may be told again.
    ForgetLoggedCauses();
}

void ResetPlugin() {
    // Before the first frame nothing is open yet and the startup sequence is
    // still to come: a reset now would only open everything twice.
    if (lifecycle.FirstLaunch == 1) return;
    Log("\n\nKestrix reconnecting...");
    ForgetConnectionsAndTables();
    InitializePlugin();
}

int ReconnectButtonHandler(XPWidgetMessage message, XPWidgetID, intptr_t, intptr_t) {
    return Guarded("Reconnect button", 0, [&] {
        if (message != xpMsg_PushButtonPressed) return 0;
        ResetPlugin();
        return 1;
    });
}
