#include "protocol/main_cycle.h"

#include "XPLMDataAccess.h"
#include "XPLMProcessing.h"
#include "base/guard.h"
#include "base/plugin_state.h"
#include "base/settings.h"
#include "custom/custom_values.h"
#include "protocol/protocol_state.h"
#include "protocol/receive.h"
#include "protocol/reconnect.h"
#include "protocol/scanning.h"
#include "simdata/held_inputs.h"
#include "simdata/input_monitor.h"
#include "simdata/output_engine.h"
#include "simdata/output_test.h"
#include "simdata/ping.h"
#include "simdata/refused_events.h"
#include "transport/lan.h"
#include "transport/serial.h"

namespace {

// A LAN turn: one datagram, if one is waiting. An empty datagram, or one
// that begins with a zero byte, is dropped by the seam but still counts as
// taken: only a reception that finds nothing waiting ends the LAN's turns,
// so another device's keep-alives cannot hold up the boards' messages.
bool LanTurn() {
    sockaddr_in sender{};
    const ssize_t got = ReceiveLanDatagram(&sender);
    if (got < 0) return false;
    HandleLanDatagram(recs, static_cast<std::size_t>(got), sender);
    return true;
}

// A turn of port SerialCurrent: what has arrived, then its next message.
// The turn follows its port when an identification closed ports before it.
bool SerialTurnOfCurrentPort() {
    const int p = serial.SerialCurrent;
    const std::size_t got = ReadSerialPort(p);
    const SerialTurn turn = HandleSerialTurn(p, recs_usb, got);
    serial.SerialCurrent = turn.port;
    return turn.framed;
}

// Every waiting datagram first, then each serial port in list order; a
// source keeps its turn while it delivers, up to a bound, so a flood can
// neither hold the simulator's frame nor starve the ports.
void ReceiveLoop() {
    serial.cycle = serial.max_cycles;
    serial.SerialCurrent = 0;
    int takenThisTurn = 0;
    while (serial.cycle > 0) {
        const bool lanTurn = serial.cycle == serial.max_cycles;
        const bool took = lanTurn ? LanTurn() : SerialTurnOfCurrentPort();
        if (took && ++takenThisTurn < kMaxMessagesPerSource) continue;
        takenThisTurn = 0;
        --serial.cycle;
        if (!lanTurn) ++serial.SerialCurrent;
    }
}

void PingTimer() {
    if (ping.PingTimeout > 100) {
        PingInputs(0);
    } else {
        ++ping.PingTimeout;
    }
}

void PostReceive() {
    const double now = XPLMGetElapsedTime();
    PingTimer();
    ServeHeldInputs();
    ReportRefusedInputEvents(now);
    ReportInputMonitor(now);
    UpdateCustomValues();
    pluginState.frametime = XPLMGetDataf(pluginState.FrameTimeDref);
    UpdateOutputTest(now);
    SendBoardOutputs();
}

void RunCycle() {
    if (pluginState.PluginPaused) return;
    SendQueuedSerialBytes();
    const bool scanning = settings.ScanTimeout > 0;
    if (scanning) ScanningStep();
    KeepLookingForBoards(scanning, XPLMGetElapsedTime());
    ReceiveLoop();
    PostReceive();
}

}  // namespace

float MyFlightLoopCallback(float, float, int, void*) {
    Guarded("main cycle", RunCycle);
    return kCycleInterval;
}
