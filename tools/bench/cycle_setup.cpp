#include "cycle_setup.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "XPLMDataAccess.h"
#include "base/message_source.h"
#include "base/plugin_state.h"
#include "base/settings.h"
#include "config/board_tables.h"
#include "config/parser.h"
#include "protocol/main_cycle.h"
#include "simhost.h"
#include "transport/lan.h"

namespace bench {

namespace {

int valueStep = 0;
uint64_t reads = 0;
int outputsPerBoard = 0;
std::vector<XPLMDataRef> handles;

// A value in [0, 1) of its own for every dataref, moving on by a fixed
// amount at every step, so every output's text changes with the step.
float ReadStepValue(void* refcon) {
    ++reads;
    const float index = static_cast<float>(reinterpret_cast<intptr_t>(refcon));
    const float v = index * 0.0137f + static_cast<float>(valueStep) * 0.0711f;
    return v - std::floor(v);
}

std::string ValueName(int k) {
    return "bench/value_" + std::to_string(k);
}

void RegisterValues() {
    for (int k = 0; k < kMostOutputsPerBoard; ++k) {
        XPLMRegisterDataAccessor(ValueName(k).c_str(), xplmType_Float, 0, nullptr, nullptr,
                                 ReadStepValue, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr,
                                 reinterpret_cast<void*>(static_cast<intptr_t>(k)), nullptr);
    }
}

// In every 64 outputs: 16 LEDs, 8 LED-port LEDs, 8 four-digit displays, 8
// steppers, 8 servos, 8 PWM outputs and 8 float outputs; pins from 10,
// LED-port LEDs 1 to 8.
std::string OutputLine(int k) {
    const std::string value = " bench/value_" + std::to_string(k);
    const int place = k % kOutputsPerBoard;
    const std::string pin = std::to_string(10 + place);
    switch (place / 8) {
        case 0:
        case 1:
            return pin + "L 2" + value;
        case 2:
            return std::to_string(place - 15) + "l 2" + value;
        case 3:
            return pin + "N 2" + value + " 1 4 0";
        case 4:
            return pin + "G 0" + value + " 1 0,1 0,360 400";
        case 5:
            return pin + "S 0" + value + " 1 0,1";
        case 6:
            return pin + "P 0" + value + " 1 0,1";
        default:
            return pin + " 2" + value;
    }
}

}  // namespace

std::string BoardText(int n) {
    std::string text = "[A]\nL 9\n[O]\n";
    for (int k = 0; k < n; ++k) text += OutputLine(k) + "\n";
    return text;
}

namespace {

int BoardSocket(int b, sockaddr_in* address) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_addr.s_addr = htonl(0x7F00000A + b);  // 127.0.0.10 + b
    int size = 4 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0) {
        throw std::runtime_error("cannot bind a board socket on 127.0.0.x");
    }
    socklen_t length = sizeof *address;
    getsockname(fd, reinterpret_cast<sockaddr*>(address), &length);
    return fd;
}

CycleRig Build() {
    simhost::Reset();
    simhost::AddDataRef("sim/operation/misc/frame_rate_period", xplmType_Float, true);
    simhost::SetValue("sim/operation/misc/frame_rate_period", 0.025);
    pluginState.FrameTimeDref = XPLMFindDataRef("sim/operation/misc/frame_rate_period");
    RegisterValues();

    settings.ScanTimeout = 0;  // scanning is over
    settings.UDP_PORT = 0;     // any free port: nothing is sent to the plugin
    CreateLanSocket();
    BindLanSocket();
    if (lan.sock < 0) throw std::runtime_error("no UDP socket");

    Boards.clear();  // whatever the benchmarks before left
    CycleRig rig;
    for (int b = 0; b < kBoards; ++b) {
        sockaddr_in address{};
        rig.boardSockets.push_back(BoardSocket(b, &address));
        rig.boardAddresses.push_back(address);
    }
    return rig;
}

void ReadBoards(const CycleRig& rig, int n) {
    const std::string text = BoardText(n);
    handles.clear();
    for (int b = 0; b < kBoards; ++b) {
        ReadConfigFile(text, static_cast<std::size_t>(b), 1, LanSource(rig.boardAddresses[b]));
        Boards.at(b).AllowOutput = true;
        for (const BoardOutput& out : Boards[b].Outputs) handles.push_back(out.Drefread);
    }
    if (Boards.size() != kBoards || Boards[0].Outputs.size() != static_cast<std::size_t>(n)) {
        throw std::runtime_error("the boards did not load as written");
    }
    std::fputs("\n", stderr);  // ends the parser's last line
    outputsPerBoard = n;
}

}  // namespace

CycleRig& Rig() {
    static CycleRig rig = Build();
    if (outputsPerBoard == 0) ReadBoards(rig, kOutputsPerBoard);
    return rig;
}

void UseOutputsPerBoard(int n) {
    CycleRig& rig = Rig();
    if (n != outputsPerBoard) ReadBoards(rig, n);
}

void ClearBoards() {
    Boards.clear();
    handles.clear();
    outputsPerBoard = 0;
}

const std::vector<XPLMDataRef>& OutputHandles() {
    return handles;
}

uint64_t ReadsSoFar() {
    return reads;
}

void SetValueStep(int step) {
    valueStep = step;
}

void DrainBoards() {
    static char buffer[256];
    for (int fd : Rig().boardSockets) {
        while (recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
    }
}

void RunMainCycle() {
    MyFlightLoopCallback(0.025f, 0.025f, 0, nullptr);
}

}  // namespace bench
