// kestrix-firmware-bench: what the firmware reaches, measured in emulated
// time (cycles of the 16 MHz ATmega2560, not the host's clock). The bench
// plays the plugin on the board's line itself and configures the largest
// board: every pin from 2 to 53 in use and all 16 analog channels. It
// prints, for docs/performance.md:
//   the main loop's rate while outputs arrive every 25 ms;
//   a switch change to the last byte of its message on the wire;
//   an output message's last byte to its pins (an LED, 8 digits on a MAX7219);
//   a burst of switch changes faster than the line carries them: all of
//   them arrive, in order;
// then the same for a LAN board (bench_lan.h), and what the network costs
// a pass of the loop.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_lan.h"
#include "emulated_board.h"
#include "test_dir.h"

using avrboard::EmulatedBoard;

namespace {

constexpr double kMs = avrboard::kClockHz / 1000.0;

class PluginEnd {
  public:
    explicit PluginEnd(const std::string& path) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios settings{};
        tcgetattr(fd_, &settings);
        cfmakeraw(&settings);
        tcsetattr(fd_, TCSANOW, &settings);
    }
    ~PluginEnd() { close(fd_); }
    void Write(const std::string& bytes) {
        if (write(fd_, bytes.data(), bytes.size()) < 0) std::perror("write");
    }
    std::string Read() {
        char buffer[4096];
        std::string text;
        ssize_t n;
        while ((n = read(fd_, buffer, sizeof buffer)) > 0) text.append(buffer, n);
        return text;
    }

  private:
    int fd_;
};

// Runs until the line brings text containing what, at most seconds long.
bool RunUntil(EmulatedBoard& board, PluginEnd& plugin, const std::string& what, std::string* seen,
              double seconds = 5) {
    for (double t = 0; t < seconds; t += 0.001) {
        board.RunFor(0.001);
        *seen += plugin.Read();
        if (seen->find(what) != std::string::npos) return true;
    }
    return false;
}

bool Configure(EmulatedBoard& board, PluginEnd& plugin) {
    std::string seen;
    plugin.Write("XP");
    if (!RunUntil(board, plugin, "|A", &seen)) return false;
    plugin.Write(avrboard::BenchUpload(false));
    std::string analog = "A";
    for (int c = 0; c < 16; ++c) analog += std::string("\x65\x00\x64", 3);
    plugin.Write(analog);
    plugin.Write(std::string("N\x01\x04", 3));
    plugin.Write(std::string("S\x06\x25\x90\x01\x28\x00\x10", 8));
    return RunUntil(board, plugin, "~w", &seen);
}

// The same board configured as the LAN bench's board, idle: what a pass
// costs without the network.
double IdlePassWithLanPins(EmulatedBoard& board, PluginEnd& plugin) {
    for (const std::string& message : avrboard::LanBenchConfiguration()) plugin.Write(message);
    std::string seen;
    if (!RunUntil(board, plugin, "~w", &seen)) return 0;
    board.RunFor(0.5);
    return avrboard::CyclesPerPass(board, 0.2);
}

void LoopRate(EmulatedBoard& board, PluginEnd& plugin) {
    const uint64_t loops = board.loops();
    const double start = board.Now();
    for (int frame = 0; frame < 40; ++frame) {
        // A frame's outputs: an LED, a servo, a display, a stepper target.
        const char on = frame % 2 ? ')' : '(';
        plugin.Write(std::string("{\x18\x0b") + on + "\x09S\x00\x80\xbb\x44" +
                     std::string("\x04R\x05\x9f\x25\x0d\x99\x49\x25G", 10) +
                     std::string(1, static_cast<char>(frame * 10)) +
                     std::string("\x00\xc4\x09", 3));
        board.RunFor(0.025);
        plugin.Read();
    }
    std::printf("main loop: %.0f passes a second with every pin in use and outputs every 25 ms\n",
                (board.loops() - loops) / (board.Now() - start));
}

// Each of the 16 switches closed and opened again, one change at a time.
void SwitchLatency(EmulatedBoard& board, PluginEnd& plugin) {
    double worst = 0, sum = 0;
    const int rounds = 32;
    for (int k = 0; k < rounds; ++k) {
        const uint8_t pin = static_cast<uint8_t>(14 + k % 16);
        uint64_t lastByte = 0;
        board.onSent = [&](uint8_t byte, uint64_t cycle) {
            if (byte == '}') lastByte = cycle;
        };
        const uint64_t changed = board.Cycles();
        board.SetSwitch(pin, k < 16);
        for (int tries = 0; lastByte == 0 && tries < 10000; ++tries) board.RunFor(0.0001);
        const double ms = (lastByte - changed) / kMs;
        worst = std::max(worst, ms), sum += ms;
        board.RunFor(0.01);
        plugin.Read();
    }
    board.onSent = nullptr;
    std::printf(
        "switch change to its message's last byte on the wire: %.2f ms on average, "
        "%.2f ms at most (%d changes)\n",
        sum / rounds, worst, rounds);
}

// The UART takes a byte every 10 bit times (117647 baud: the Mega's 115200
// with its clock divider); a message's bytes handed to it at once arrive
// one after the other, the last n byte times after the first was handed over.
constexpr double kByteMs = 10 * 1000.0 / 117647;

void OutputLatency(EmulatedBoard& board, PluginEnd& plugin, avrboard::Max7219* display) {
    uint64_t handed = 0, ledChanged = 0;
    int bytes = 0;
    board.onReceived = [&](uint8_t, uint64_t cycle) {
        if (bytes++ == 0) handed = cycle;
    };
    board.onPin = [&](uint8_t pin, bool, uint64_t cycle) {
        if (pin == 12) ledChanged = cycle;
    };
    plugin.Write(std::string("{\x02\x0c)", 4));
    for (int tries = 0; ledChanged == 0 && tries < 10000; ++tries) board.RunFor(0.0001);
    std::printf("output message to its pin: LED %.3f ms after the message's last byte arrived\n",
                (ledChanged - handed) / kMs - bytes * kByteMs);
    bytes = 0;
    const uint64_t latchBefore = display->lastLatch();
    plugin.Write(std::string("{\x0b\x04R\x08\x01\x01\x01\x01\x01\x01\x01\x00", 13));
    board.RunFor(0.02);
    std::printf(
        "output message to its pins: 8 digits %.3f ms after the message's last byte arrived\n",
        display->lastLatch() > latchBefore ? (display->lastLatch() - handed) / kMs - bytes * kByteMs
                                           : -1.0);
    board.onReceived = nullptr;
    board.onPin = nullptr;
    plugin.Read();
}

// 16 switches close, open and close again, 4 ms apart: 48 changes in 12 ms,
// about 340 bytes, 30 ms of line time at 115200 baud.
void Burst(EmulatedBoard& board, PluginEnd& plugin) {
    std::string expected, seen;
    for (int round = 0; round < 3; ++round) {
        for (int pin = 14; pin <= 29; ++pin) {
            const bool closed = round % 2 == 0;
            board.SetSwitch(static_cast<uint8_t>(pin), closed);
            expected += "D" + std::to_string(pin) + (closed ? "+" : "-");
        }
        board.RunFor(0.004);
        seen += plugin.Read();
    }
    board.RunFor(0.2);
    seen += plugin.Read();
    std::string events;
    for (std::size_t at = seen.find('{'); at != std::string::npos; at = seen.find('{', at + 1)) {
        const std::size_t end = seen.find('}', at);
        if (end != std::string::npos && seen[at + 1] == '\x01')
            events += seen.substr(at + 2, end - at - 2);
    }
    std::printf(
        "burst of 48 switch changes in 12 ms: %s\n",
        events == expected ? "all 48 arrived, in order" : ("lost or reordered: " + events).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
        std::printf(
            "usage: kestrix-firmware-bench FIRMWARE.elf\n"
            "Measures the firmware in emulated time (docs/performance.md).\n");
        return argc == 2 ? 0 : 2;
    }
    avrboard::TestDir dir;
    std::string error;
    auto board = EmulatedBoard::Open({argv[1], dir.path(), "ttyACM0", 1, {}}, &error);
    if (!board) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    auto* display = board->Attach<avrboard::Max7219>(38, 39, 4);
    PluginEnd plugin(board->linkPath());
    if (!Configure(*board, plugin)) {
        std::fprintf(stderr, "the board was not configured: %s\n", board->problem().c_str());
        return 1;
    }
    LoopRate(*board, plugin);
    SwitchLatency(*board, plugin);
    OutputLatency(*board, plugin, display);
    Burst(*board, plugin);
    std::printf("stack: at most %u bytes used\n", board->stackPeak());
    return avrboard::RunLanBench(argv[1], IdlePassWithLanPins(*board, plugin)) ? 0 : 1;
}
