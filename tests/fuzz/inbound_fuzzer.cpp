// Fuzz target: the bytes boards send, from the LAN and from serial ports,
// through the receive seam the main cycle uses (framing, dispatch,
// identification, the parser, the upload, the settings replies and mode
// messages). A data.cfg of four boards (boards.cfg) is loaded, so a
// numbered board's identification reaches the parser with a real section.
//
// An input is a list of records separated by zero bytes; a zero ends what a
// datagram or a serial read contributes anyway, so no input is lost by that.
// A record's first byte b says what its other bytes are (b as unsigned):
//   "."          the end of a main cycle: pings, held inputs, the refused
//                events report, custom values, outputs, and
//                the next cycle's scanning step; the rest is ignored
//   otherwise    source (b - '0') % 10, variant (b - '0') / 10:
//     "0"        a datagram from 127.0.0.1, the plugin's own host
//     "1" to "6" a datagram from 127.0.0.2 to 127.0.0.7; the variant picks
//                the sender's port and the address's third byte
//     "7" to "9" what serial port 0, 1 or 2 read, in reads of at most 64
//                bytes, each with its turn, then further turns while the
//                port's buffer still yields messages
// For example "1|A\x84" "1" is board 1 identifying itself from 127.0.0.2,
// and "7{~w}" a request on serial port 0.
#include <netinet/in.h>

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
#include "fuzz_support.h"
#include "protocol/main_cycle.h"
#include "protocol/protocol_state.h"
#include "protocol/receive.h"
#include "protocol/scanning.h"
#include "simdata/held_inputs.h"
#include "simdata/input_events.h"
#include "simdata/output_engine.h"
#include "simdata/ping.h"
#include "simdata/refused_events.h"
#include "transport/lan.h"
#include "transport/serial.h"

namespace {

constexpr int kSources = 10;
constexpr int kFirstSerialSource = 7;

// The data.cfg sections as the loader cut them, once.
std::vector<std::string> loadedSections;
std::vector<unsigned> loadedIds;

// Two names of one device (both count as in use once a board identifies on
// either) and a Linux name without a dot.
const char* const kPortNames[] = {"/dev/tty.usbmodem1401", "/dev/cu.usbmodem1401", "/dev/ttyACM0"};

// As the startup sequence leaves things with IP_ADDRESS = 127.0.0.1, three
// serial ports found and data.cfg loaded, but with nothing open. Scanning
// ends four cycles after the first board, and the second serial board closes
// the ports without one, so both ways of closing them are reached.
void StartedPlugin() {
    fuzz::FreshPlugin();
    settings.SpecifiedIP = "127.0.0.1";
    settings.ScanTimeout = 4;
    settings.USBcountVar = 2;
    lan.My_IP_str = "127.0.0.1";
    lan.Base_IP = "127.0.0.";
    lan.UsedAddr = {1};
    lan.NetworkIndices = {-1};
    lan.addrLength = sizeof(sockaddr_in);
    serial.onPortClosed = RenumberBoardsAfterPort;
    for (const char* name : kPortNames) {
        serial.ports.emplace_back();
        serial.ports.back().ComPortName = name;
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

void LanRecord(int source, int variant, const uint8_t* bytes, std::size_t length) {
    HandleLanDatagram(bytes, std::min(length, kLanBufferSize), LanSender(source, variant));
}

// The receive loop's turns of one port: a turn per read, then turns without
// new bytes while the buffer yields messages. A turn follows its port when
// an identification closed the ports before it.
void SerialRecord(int index, const uint8_t* bytes, std::size_t length) {
    if (serial.ports.empty()) return;
    int p = index % static_cast<int>(serial.ports.size());
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

// What follows the receive loop in a main cycle, then the next cycle's
// scanning step.
void EndOfCycle() {
    PingInputs(0);
    PingInputs(1);
    ServeHeldInputs();
    ReportRefusedInputEvents(XPLMGetElapsedTime());
    UpdateCustomValues();
    SendBoardOutputs();
    if (settings.ScanTimeout > 0) ScanningStep();
}

void Record(const uint8_t* bytes, std::size_t length) {
    if (length == 0) return;
    if (bytes[0] == '.') {
        EndOfCycle();
        return;
    }
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
