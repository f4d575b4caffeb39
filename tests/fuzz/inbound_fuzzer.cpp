// Fuzz target: the bytes boards send, from the LAN and from serial ports,
// through the receive seam the main cycle uses (framing, dispatch,
// identification, the parser, the upload, the settings replies and mode
// messages), with the tool commands (input monitor, output test) and the
// watch over boards that come and go (lost ports, rescans of the device
// folder, LAN hosts called again). A data.cfg of four boards (boards.cfg) is
// loaded, so a numbered board's identification reaches the parser with a
// real section.
//
// An input is a list of records separated by zero bytes; a zero ends what a
// datagram or a serial read contributes anyway, so no input is lost by that.
// A record's first byte b says what its other bytes are (b as unsigned):
//   "."          the end of a main cycle: pings, held inputs, the refused
//                events and input monitor reports, custom values, the
//                output test, outputs, then the next cycle's scanning step
//                and the watch over boards; the rest is ignored
//   "!"          the input monitor command (on, or off again)
//   "#"          the output test command
//   "$"          serial port (second byte / 2) % ports goes away: for an
//                even second byte it is lost at once, for an odd one its
//                device hangs up, so that its next read or write fails
//   "&"          device (second byte) % 4 of the device folder unplugged,
//                or plugged in when it is not there
//   "%"          the simulator's clock moves on by a frame and (second
//                byte) / 4 s more
//   otherwise    source (b - '0') % 10, variant (b - '0') / 10:
//     "0"        a datagram from 127.0.0.1, the plugin's own host
//     "1" to "6" a datagram from 127.0.0.2 to 127.0.0.7; the variant picks
//                the sender's port and the address's third byte
//     "7" to "9" what serial port 0, 1 or 2 read, in reads of at most 64
//                bytes, each with its turn, then further turns while the
//                port's buffer still yields messages
// For example "1|A\x84" "1" is board 1 identifying itself from 127.0.0.2,
// and "7{~w}" a request on serial port 0.
//
// A serial record's port is read first, as its turn in the main cycle
// reads it: a device that hung up is found lost there.
//
// The serial ports are the devices of a folder of the target's own, links
// to /dev/null: what the plugin writes to them goes nowhere, and a rescan
// finds them or misses them as "&" records plug them in and out. Nothing
// opens a socket: every LAN reply and discovery call fails.
#include <fcntl.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "XPLMProcessing.h"
#include "base/settings.h"
#include "config/board_tables.h"
#include "config/load_config.h"
#include "custom/custom_values.h"
#include "custom/tool_commands.h"
#include "fuzz_support.h"
#include "protocol/main_cycle.h"
#include "protocol/protocol_state.h"
#include "protocol/receive.h"
#include "protocol/reconnect.h"
#include "protocol/scanning.h"
#include "simdata/held_inputs.h"
#include "simdata/input_events.h"
#include "simdata/input_monitor.h"
#include "simdata/output_engine.h"
#include "simdata/output_test.h"
#include "simdata/ping.h"
#include "simdata/refused_events.h"
#include "simhost.h"
#include "transport/lan.h"
#include "transport/serial.h"

namespace {

constexpr int kSources = 10;
constexpr int kFirstSerialSource = 7;

// The data.cfg sections as the loader cut them, once.
std::vector<std::string> loadedSections;
std::vector<unsigned> loadedIds;

// The device folder the serial scans look at, with a trailing slash.
std::string deviceDir;

// Its devices: two names of one device (both count as in use once a board
// identifies on either), a Linux name without a dot, all three open at the
// start, and a device plugged in only by an "&" record.
const char* const kDeviceNames[] = {"tty.usbmodem1401", "cu.usbmodem1401", "ttyACM0", "ttyACM1"};
constexpr int kStartPorts = 3;
constexpr int kDevices = 4;

bool DevicePresent(int d) {
    return access((deviceDir + kDeviceNames[d]).c_str(), F_OK) == 0;
}

void PlugDevice(int d, bool in) {
    const std::string path = deviceDir + kDeviceNames[d];
    if (DevicePresent(d) == in) return;
    const int status = in ? symlink("/dev/null", path.c_str()) : unlink(path.c_str());
    if (status != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

void RemoveDeviceDir() {
    for (int d = 0; d < kDevices; ++d) unlink((deviceDir + kDeviceNames[d]).c_str());
    rmdir(deviceDir.c_str());
}

// The device behind port p hangs up, as an unplugged adapter does: its
// descriptor becomes a pseudo-terminal whose other end is closed, on which
// every read and write fails.
void HangUpPort(std::size_t p) {
    const int fd = serial.ports[p].comport;
    if (fd < 0) return;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) std::abort();
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0 || dup2(slave, fd) < 0) std::abort();
    close(slave);
    close(master);
}

// As the startup sequence leaves things with IP_ADDRESS = 127.0.0.1, three
// serial ports found and data.cfg loaded, with no socket. Scanning ends four
// cycles after the first board, and the second serial board closes the
// ports without one, so both ways of closing them are reached.
void StartedPlugin() {
    fuzz::FreshPlugin();
    toolCommands.inputMonitorOn = false;
    toolCommands.outputTestUntil = -1.0;
    outputTest = OutputTestState{};
    ForgetInputMonitor();
    ForgetBoardWatch();
    settings.SpecifiedIP = "127.0.0.1";
    settings.ScanTimeout = 4;
    settings.USBcountVar = 2;
    lan.My_IP_str = "127.0.0.1";
    lan.Base_IP = "127.0.0.";
    lan.UsedAddr = {1};
    lan.NetworkIndices = {-1};
    lan.addrLength = sizeof(sockaddr_in);
    serial.onPortClosed = RenumberBoardsAfterPort;
    serial.deviceDir = deviceDir;
    for (int d = 0; d < kDevices; ++d) PlugDevice(d, d < kStartPorts);
    for (int d = 0; d < kStartPorts; ++d) {
        serial.ports.emplace_back();
        SerialPort& port = serial.ports.back();
        port.ComPortName = deviceDir + kDeviceNames[d];
        port.comport = open("/dev/null", O_RDWR | O_CLOEXEC);
        if (port.comport < 0) std::abort();
        serial.knownPaths.push_back(port.ComPortName);
        ++serial.max_cycles;
    }
    cycleState.send_usb_request = true;
    ArduinoConfigFile = loadedSections;
    ArduinoID = loadedIds;
}

sockaddr_in LanSender(int source, int variant) {
    sockaddr_in sender{};
    sender.sin_family = AF_INET;
    sender.sin_port = htons(static_cast<uint16_t>(50000 + variant % 4));
    const uint32_t third = static_cast<uint32_t>(variant / 4 % 2);
    sender.sin_addr.s_addr = htonl((127u << 24) | (third << 8) | static_cast<uint32_t>(source + 1));
    return sender;
}

// As the LAN turn hands a datagram on.
void LanRecord(int source, int variant, const uint8_t* bytes, std::size_t length) {
    const sockaddr_in sender = LanSender(source, variant);
    length = std::min(length, kLanBufferSize);
    HandleLanDatagram(bytes, length, sender);
}

// The receive loop's turns of one port: a turn per read, then turns without
// new bytes while the buffer yields messages. A turn follows its port when
// an identification closed the ports before it.
void SerialRecord(int index, const uint8_t* bytes, std::size_t length) {
    if (serial.ports.empty()) return;
    int p = index % static_cast<int>(serial.ports.size());
    ReadSerialPort(p);  // nothing waits on /dev/null; a hung-up device is lost
    std::size_t offset = 0;
    do {
        const std::size_t read = std::min(kSerialReadSize, length - offset);
        p = HandleSerialTurn(p, bytes + offset, read).port;
        offset += read;
        if (p < 0) return;
    } while (offset < length);
    for (int turn = 0; turn < kMaxMessagesPerSource; ++turn) {
        const SerialTurn next = HandleSerialTurn(p, nullptr, 0);
        if (!next.framed || next.port < 0) return;
        p = next.port;
    }
}

// What follows the receive loop in a main cycle, then what comes before the
// next cycle's receive loop: the scanning step and the watch over boards.
void EndOfCycle() {
    const double now = XPLMGetElapsedTime();
    PingInputs(0);
    PingInputs(1);
    ServeHeldInputs();
    ReportRefusedInputEvents(now);
    ReportInputMonitor(now);
    UpdateCustomValues();
    UpdateOutputTest(now);
    SendBoardOutputs();
    const bool scanning = settings.ScanTimeout > 0;
    if (scanning) ScanningStep();
    KeepLookingForBoards(scanning, XPLMGetElapsedTime());
}

// The records that are no board's bytes; false for a source record.
bool ControlRecord(const uint8_t* bytes, std::size_t length) {
    const int arg = length > 1 ? bytes[1] : 0;
    switch (bytes[0]) {
        case '.':
            EndOfCycle();
            return true;
        case '!':
            CC_InputMonitor(nullptr, xplm_CommandBegin, nullptr);
            return true;
        case '#':
            CC_OutputTest(nullptr, xplm_CommandBegin, nullptr);
            return true;
        case '$': {
            if (serial.ports.empty()) return true;
            const std::size_t p = static_cast<std::size_t>(arg / 2) % serial.ports.size();
            if (arg % 2 == 0) {
                LoseSerialPort(p, "read failed");
            } else {
                HangUpPort(p);
            }
            return true;
        }
        case '&':
            PlugDevice(arg % kDevices, !DevicePresent(arg % kDevices));
            return true;
        case '%':
            // One frame as long as the step: no flight loop is registered.
            simhost::SetFramePeriod(arg / 4.0 + 0.025);
            simhost::RunFrame();
            simhost::SetFramePeriod(0.025);
            return true;
        default:
            return false;
    }
}

void Record(const uint8_t* bytes, std::size_t length) {
    if (length == 0 || ControlRecord(bytes, length)) return;
    const int selector = static_cast<uint8_t>(bytes[0] - '0');
    const int source = selector % kSources;
    const int variant = selector / kSources;
    if (source < kFirstSerialSource) {
        LanRecord(source, variant, bytes + 1, length - 1);
    } else {
        SerialRecord(source - kFirstSerialSource, bytes + 1, length - 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char dir[] = "/tmp/kestrix-fuzz-devices-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        std::perror("inbound fuzzer: mkdtemp");
        std::abort();
    }
    deviceDir = std::string(dir) + "/";
    std::atexit(RemoveDeviceDir);
    const std::string text = fuzz::ReadWholeFile(KESTRIX_FUZZ_BOARDS);
    std::istringstream in(text);
    CutConfigSections(in);
    if (ArduinoConfigFile.empty()) {
        std::fprintf(stderr, "inbound fuzzer: no board sections in %s\n", KESTRIX_FUZZ_BOARDS);
        std::abort();
    }
    loadedSections = ArduinoConfigFile;
    loadedIds = ArduinoID;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    StartedPlugin();
    std::size_t start = 0;
    for (std::size_t k = 0; k <= size; ++k) {
        if (k < size && data[k] != 0) continue;
        Record(data + start, k - start);
        start = k + 1;
    }
    EndOfCycle();
    return 0;
}
