#include "bench_lan.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>

#include "emulated_board.h"

namespace avrboard {

namespace {

constexpr double kMs = kClockHz / 1000.0;
const Address kPlugin{127, 0, 0, 1};
constexpr uint16_t kPort = 5080;

}  // namespace

// Every pin from 2 to 53 and all 16 analog channels; on the LAN every pin
// but the shield's (4, 10, 50 to 53), the display's select on 11 instead of 4.
std::string BenchUpload(bool lan) {
    std::string table(60, '\0');
    auto set = [&](int pin, int code) {
        const bool shields = pin == 4 || pin == 10 || pin >= 50;
        if (!lan || !shields) table[pin] = static_cast<char>(code);
    };
    for (int pin : {2, 6, 9}) set(pin, 12);            // servos
    for (int pin : {3, 5, 7, 10}) set(pin, 8);         // PWM
    for (int pin : {4, 11, 12, 13}) set(pin, 7);       // LEDs, the display's select
    for (int pin = 14; pin <= 29; ++pin) set(pin, 1);  // 16 switches
    for (int pin : {30, 32, 34}) set(pin, 2);          // encoders on 30 to 35
    set(36, 11), set(37, 10), set(8, 10);              // steppers, direction
    set(38, 13);                                       // 7-segment DIN (39 CLK)
    set(40, 9);                                        // 28BYJ-48 on 40 to 43
    set(44, 7);                                        // LED port on 44 to 46
    for (int pin = 47; pin <= 49; ++pin) set(pin, 5);  // matrix rows
    for (int pin = 50; pin <= 53; ++pin) set(pin, 6);  // matrix columns
    table[59] = 1;
    return "~" + table;
}

namespace {

// What the chip sends, with the cycle it was sent at.
class Capture : public ChipNetwork {
  public:
    explicit Capture(EmulatedBoard& board) : board_(board) {}
    void SocketOpened(uint8_t, const Address&, uint16_t) override {}
    void SocketClosed(uint8_t) override {}
    bool Sent(uint8_t, const Datagram& datagram) override {
        sent.emplace_back(board_.Cycles(), std::string(datagram.data.begin(), datagram.data.end()));
        return true;
    }
    std::deque<std::pair<uint64_t, std::string>> sent;

  private:
    EmulatedBoard& board_;
};

struct LanBench {
    std::unique_ptr<EmulatedBoard> board;
    std::unique_ptr<Capture> capture;

    void FromPlugin(const std::string& bytes) {
        board->shield()->chip().ArriveAt(
            0, kPlugin, kPort, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    bool RunUntilSent(const std::string& what, double seconds = 2) {
        for (double t = 0; t < seconds; t += 0.001) {
            board->RunFor(0.001);
            for (const auto& [cycle, bytes] : capture->sent)
                if (bytes == what) return true;
        }
        return false;
    }
};

bool Configure(LanBench& bench) {
    bench.board->RunFor(0.1);  // the shield set up, the socket open
    bench.FromPlugin("XP");
    if (!bench.RunUntilSent(std::string("|A\x84") + "1")) return false;
    for (const std::string& message : LanBenchConfiguration()) bench.FromPlugin(message);
    return bench.RunUntilSent("~w");
}

void LoopFigures(LanBench& bench, double usb) {
    bench.board->RunFor(0.5);  // settled, as the USB board was
    const std::size_t frames = bench.board->shield()->chip().frames();
    const uint64_t loops = bench.board->loops();
    const double lan = CyclesPerPass(*bench.board, 0.2);
    std::printf(
        "idle pass: %.0f cycles on the LAN, %.0f on USB with the same pins: the network "
        "costs %.0f cycles (%.1f us) a pass, %.2f SPI frames\n",
        lan, usb, lan - usb, (lan - usb) / 16,
        static_cast<double>(bench.board->shield()->chip().frames() - frames) /
            static_cast<double>(bench.board->loops() - loops));
    const uint64_t before = bench.board->loops();
    const double start = bench.board->Now();
    for (int frame = 0; frame < 40; ++frame) {
        const char on = frame % 2 ? ')' : '(';
        bench.FromPlugin(std::string("{\x18\x0b") + on + "\x09S\x00\x80\xbb\x44" +
                         std::string("\x0bR\x05\x9f\x25\x0d\x99\x49\x25G", 10) +
                         std::string(1, static_cast<char>(frame * 10)) +
                         std::string("\x00\xc4\x09", 3));
        bench.board->RunFor(0.025);
    }
    std::printf("main loop on the LAN: %.0f passes a second with outputs every 25 ms\n",
                (bench.board->loops() - before) / (bench.board->Now() - start));
}

void Latencies(LanBench& bench) {
    double worst = 0, sum = 0;
    for (int k = 0; k < 32; ++k) {
        bench.capture->sent.clear();
        const uint64_t changed = bench.board->Cycles();
        bench.board->SetSwitch(static_cast<uint8_t>(14 + k % 16), k < 16);
        for (int i = 0; i < 10000 && bench.capture->sent.empty(); ++i) bench.board->RunFor(0.0001);
        const double ms = (bench.capture->sent.front().first - changed) / kMs;
        worst = std::max(worst, ms), sum += ms;
        bench.board->RunFor(0.01);
    }
    std::printf(
        "switch change to its datagram leaving the chip: %.2f ms on average, %.2f ms at "
        "most (32 changes)\n",
        sum / 32, worst);
    uint64_t changed = 0;
    bench.board->onPin = [&](uint8_t pin, bool, uint64_t cycle) {
        if (pin == 12) changed = cycle;
    };
    const uint64_t arrived = bench.board->Cycles();
    bench.FromPlugin(std::string("{\x02\x0c)", 4));
    for (int i = 0; i < 10000 && changed == 0; ++i) bench.board->RunFor(0.0001);
    bench.board->onPin = nullptr;
    std::printf("output datagram to its pin: LED %.3f ms after it arrived in the chip\n",
                (changed - arrived) / kMs);
}

void Burst(LanBench& bench) {
    bench.capture->sent.clear();
    std::string expected, seen;
    for (int round = 0; round < 3; ++round) {
        for (int pin = 14; pin <= 29; ++pin) {
            bench.board->SetSwitch(static_cast<uint8_t>(pin), round % 2 == 0);
            expected += "D" + std::to_string(pin) + (round % 2 == 0 ? "+" : "-");
        }
        bench.board->RunFor(0.004);
    }
    bench.board->RunFor(0.2);
    for (const auto& [cycle, bytes] : bench.capture->sent)
        if (bytes.size() > 1 && bytes[0] == '\x01') seen += bytes.substr(1);
    std::printf("burst of 48 switch changes in 12 ms: %s\n",
                seen == expected ? "all 48 arrived, in order, one datagram each"
                                 : ("lost or reordered: " + seen).c_str());
}

}  // namespace

std::vector<std::string> LanBenchConfiguration() {
    std::string analog = "A";
    for (int c = 0; c < 16; ++c) analog += std::string("\x65\x00\x64", 3);
    return {BenchUpload(true), analog, std::string("N\x01\x0b", 3),
            std::string("S\x06\x25\x90\x01\x28\x00\x10", 8)};
}

double CyclesPerPass(EmulatedBoard& board, double seconds) {
    const uint64_t loops = board.loops(), cycles = board.Cycles();
    board.RunFor(seconds);
    return static_cast<double>(board.Cycles() - cycles) /
           static_cast<double>(board.loops() - loops);
}

bool RunLanBench(const std::string& firmware, double usbIdlePass) {
    LanBench bench;
    ShieldOptions shield;
    shield.address = "127.0.0.50";
    shield.dhcp = false;
    std::string error;
    bench.board = EmulatedBoard::Open({firmware, "", "", 1, shield}, &error);
    if (!bench.board) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    bench.capture = std::make_unique<Capture>(*bench.board);
    bench.board->shield()->chip().SetNetwork(bench.capture.get());
    if (!Configure(bench)) {
        std::fprintf(stderr, "the LAN board was not configured\n");
        return false;
    }
    std::printf("-- a LAN board (W5500 shield; pins 4, 10, 50 to 53 the shield's)\n");
    LoopFigures(bench, usbIdlePass);
    Latencies(bench);
    Burst(bench);
    std::printf("stack on the LAN: at most %u bytes used\n", bench.board->stackPeak());
    return true;
}

}  // namespace avrboard
