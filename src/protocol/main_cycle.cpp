#include "protocol/main_cycle.h"

#include "XPLMDataAccess.h"
#include "base/guard.h"
#include "base/log.h"
#include "base/plugin_state.h"
#include "base/settings.h"
#include "custom/custom_values.h"
#include "protocol/dispatch.h"
#include "protocol/framing.h"
#include "protocol/protocol_state.h"
#include "protocol/scanning.h"
#include "simdata/input_events.h"
#include "simdata/output_engine.h"
#include "simdata/ping.h"
#include "transport/lan.h"
#include "transport/message.h"
#include "transport/serial.h"

namespace {

// One turn of the serial port SerialCurrent: read what has arrived, then
// cut the next message out of its buffer.
void SerialTurn() {
    try {
        ReadSerialPort();
    } catch (...) {
        // Out of memory while appending: start the port over.
        Log("\nUSB read error");
        std::size_t p = static_cast<std::size_t>(serial.SerialCurrent);
        if (p < serial.ports.size()) serial.ports[p].SerialBuffer.clear();
        ClearMessage(msg);
        return;
    }
    FrameSerialMessage();
}

// A fault while one message is handled abandons that message only.
void HandleMessage() {
    try {
        DispatchMessage(msg.st);
    } catch (...) {
    }
}

// Every waiting datagram first, then each serial port in list order; a
// source keeps its turn while it delivers messages, up to a bound, so a
// flood can neither hold the simulator's frame nor starve the ports.
void ReceiveLoop() {
    serial.cycle = serial.max_cycles;
    serial.SerialCurrent = 0;
    int deliveredThisTurn = 0;
    while (serial.cycle > 0) {
        ClearMessage(msg);
        if (serial.cycle == serial.max_cycles) {
            ReceiveLanDatagram();
        } else {
            SerialTurn();
        }
        if (msg.recsize > 0) {
            HandleMessage();
            if (++deliveredThisTurn < kMaxMessagesPerSource) continue;
        }
        deliveredThisTurn = 0;
        --serial.cycle;
        if (msg.MessageIsSerial == 1) ++serial.SerialCurrent;
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
    PingTimer();
    ServeHeldInputs();
    UpdateCustomValues();
    pluginState.frametime = XPLMGetDataf(pluginState.FrameTimeDref);
    SendBoardOutputs();
}

void RunCycle() {
    if (pluginState.PluginPaused) return;
    if (settings.ScanTimeout > 0) ScanningStep();
    ReceiveLoop();
    PostReceive();
}

}  // namespace

float MyFlightLoopCallback(float, float, int, void*) {
    Guarded("main cycle", RunCycle);
    return kCycleInterval;
}
