// Input events: messages per second through framing, dispatch and the
// simulator action, with no socket or terminal behind the receive seam,
// beside the bare receive call the main cycle makes for every LAN turn.
//
// Two boards are set up the way the main cycle meets them: board 1 on the
// LAN (127.0.0.2), board 2 on a serial port, each with a few hundred inputs
// so that the lookup of a key is measured at a realistic size.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "config/board_tables.h"
#include "protocol/receive.h"
#include "simhost.h"
#include "transport/lan.h"
#include "transport/serial.h"

namespace {

// Filler: a few hundred switches before the inputs the benchmarks press.
std::string BoardText() {
    std::string text =
        "[A]\nT B7+\n[I]\n"
        "B7+ sim/cockpit2/fuel/fuel_tank_selector 1\n"
        "B7+ sim/cockpit2/fuel/fuel_tank_selector 4\n"
        "B7+ sim/cockpit2/fuel/fuel_tank_selector 3\n";
    for (int k = 100; k < 400; ++k) {
        const std::string element = std::to_string(k % 128 + 1);
        text += "D" + std::to_string(k) + "+ sim/cockpit2/switches/generic_lights_switch 1 " +
                element + "\n";
    }
    text +=
        "D22+ sim/lights/beacon_lights_on\n"
        "D23+ sim/cockpit2/switches/landing_lights_on 1\n"
        "E36+ sim/cockpit2/autopilot/heading_dial_deg_mag_pilot 1+,0,360\n"
        "A3 sim/cockpit2/engine/actuators/throttle_ratio_all 0,1\n";
    return text;
}

sockaddr_in LanBoardAddress() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(5080);
    inet_pton(AF_INET, "127.0.0.2", &address.sin_addr);
    return address;
}

const uint8_t* Raw(const std::string& bytes) {
    return reinterpret_cast<const uint8_t*>(bytes.data());
}

// Once per program: the stand-in's tables, the two boards identified and
// configured through the seam. Sends have no socket or port and fail at once.
void SetUpBoards() {
    static bool done = false;
    if (done) return;
    done = true;
    // The log lines of the set-up are not what is measured.
    if (std::freopen("/dev/null", "w", stderr) == nullptr) return;
    simhost::Reset();
    Boards.clear();  // whatever the benchmarks before left; board 1 is index 0
    serial.ports.clear();
    simhost::LoadDataRefTable(std::string(KESTRIX_SIM_DATA_DIR) + "/DataRefs.txt");
    simhost::LoadCommandTable(std::string(KESTRIX_SIM_DATA_DIR) + "/Commands.txt");
    lan.UsedAddr = {1};  // the plugin's own host, 127.0.0.1
    lan.NetworkIndices = {-1};
    ArduinoID = {1, 2};
    ArduinoConfigFile = {BoardText(), BoardText()};
    const std::string lanIdentity = std::string("|A\x84") + "1";
    HandleLanDatagram(Raw(lanIdentity), lanIdentity.size(), LanBoardAddress());
    SerialPort port;
    port.ComPortName = "/dev/tty.usbmodem-bench";
    serial.ports.push_back(port);
    const std::string usbIdentity = std::string("{|A\x84") + "2}";
    HandleSerialTurn(0, Raw(usbIdentity), usbIdentity.size());
}

// Writes to the dataref, or runs of the command, named so far: shown per
// message, so a run that measured a dropped message stands out.
int Effects(const std::string& name) {
    return simhost::WriteCount(name) + simhost::Counts(name).once;
}

void Report(benchmark::State& state, const std::string& name, int before) {
    state.SetItemsProcessed(state.iterations());
    state.counters["effects_per_msg"] =
        static_cast<double>(Effects(name) - before) / static_cast<double>(state.iterations());
}

void LanEvents(benchmark::State& state, const std::string& event, const std::string& name) {
    SetUpBoards();
    const std::string message = "\x01" + event;
    const sockaddr_in sender = LanBoardAddress();
    const int before = Effects(name);
    for (auto _ : state) HandleLanDatagram(Raw(message), message.size(), sender);
    Report(state, name, before);
}

void SerialEvents(benchmark::State& state, const std::string& event, const std::string& name) {
    SetUpBoards();
    const std::string framed = "{\x02" + event + "}";
    const int before = Effects(name);
    for (auto _ : state) HandleSerialTurn(0, Raw(framed), framed.size());
    Report(state, name, before);
}

const std::string kBeacon = "sim/lights/beacon_lights_on";
const std::string kHeading = "sim/cockpit2/autopilot/heading_dial_deg_mag_pilot";

void BM_InputLanCommand(benchmark::State& state) {
    LanEvents(state, "D22+", kBeacon);
}
void BM_InputLanIntDataref(benchmark::State& state) {
    LanEvents(state, "D23+", "sim/cockpit2/switches/landing_lights_on");
}
void BM_InputLanEncoderWrap(benchmark::State& state) {
    LanEvents(state, "E36+ \x03", kHeading);
}
void BM_InputLanAnalog(benchmark::State& state) {
    LanEvents(state, "A3 512", "sim/cockpit2/engine/actuators/throttle_ratio_all");
}
void BM_InputLanSwitchGroup(benchmark::State& state) {
    LanEvents(state, "B7+", "sim/cockpit2/fuel/fuel_tank_selector");
}
void BM_InputLanNoSuchKey(benchmark::State& state) {
    LanEvents(state, "D999+", kBeacon);
}
void BM_InputLanRefusedSender(benchmark::State& state) {
    SetUpBoards();
    const std::string message =
        "\x02"
        "D22+";  // board 1's address naming board 2
    const sockaddr_in sender = LanBoardAddress();
    const int before = Effects(kBeacon);
    for (auto _ : state) HandleLanDatagram(Raw(message), message.size(), sender);
    Report(state, kBeacon, before);
}
void BM_InputSerialCommand(benchmark::State& state) {
    SerialEvents(state, "D22+", kBeacon);
}
void BM_InputSerialEncoderWrap(benchmark::State& state) {
    SerialEvents(state, "E36+ \x03", kHeading);
}

// What every LAN turn of the main cycle costs at least: one recvfrom on the
// non-blocking socket that finds nothing.
void BM_BareRecvfromEmpty(benchmark::State& state) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_in own{};
    own.sin_family = AF_INET;
    own.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<const sockaddr*>(&own), sizeof own);
    uint8_t buffer[2048];
    for (auto _ : state) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        benchmark::DoNotOptimize(
            recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length));
    }
    close(fd);
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_BareRecvfromEmpty);
BENCHMARK(BM_InputLanCommand);
BENCHMARK(BM_InputLanIntDataref);
BENCHMARK(BM_InputLanEncoderWrap);
BENCHMARK(BM_InputLanAnalog);
BENCHMARK(BM_InputLanSwitchGroup);
BENCHMARK(BM_InputLanNoSuchKey);
BENCHMARK(BM_InputLanRefusedSender);
BENCHMARK(BM_InputSerialCommand);
BENCHMARK(BM_InputSerialEncoderWrap);
