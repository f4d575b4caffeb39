// Identification of numbered boards of 1000 outputs each: the message
// through dispatch, the board's section of data.cfg parsed into its rows,
// what the user is told about its lines, and the upload. All of it happens
// within one frame, so it is what a board that switches on mid-flight costs
// that frame.
//
// The board text is the cycle benchmarks' board of 1000 outputs: 64 kinds
// of outputs over and over on the same pins, so that most lines draw a note
// (a pin the board does not have, a key used before). Each benchmark run
// identifies the same boards again after forgetting what was told, so that
// every run parses, tells and uploads as a first identification does.
// Log.txt is a file written as the simulator writes it: every string handed
// to XPLMDebugString goes out at once.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "alloc_count.h"
#include "base/log_once.h"
#include "base/settings.h"
#include "config/board_tables.h"
#include "config/load_config.h"
#include "cycle_setup.h"
#include "protocol/receive.h"
#include "simhost.h"
#include "transport/lan.h"
#include "transport/serial.h"

namespace {

constexpr int kNumberedBoards = 9;

struct IdentifyRig {
    std::string folder;
    int logFile = -1;  // the simulator's Log.txt
    std::vector<int> boardSockets;
    std::vector<sockaddr_in> boardAddresses;
};

// data.cfg with sections *1 to *9, each the board of 1000 outputs.
void WriteDataCfg(const std::string& path) {
    std::ofstream file(path);
    const std::string text = bench::BoardText(bench::kMostOutputsPerBoard);
    for (int n = 1; n <= kNumberedBoards; ++n) file << "*" << n << "\n" << text;
    if (!file) throw std::runtime_error("cannot write " + path);
}

// Board n's socket on 127.0.0.(20 + n), where its identification comes
// from and its upload goes.
int BoardSocket(int n, sockaddr_in* address) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_addr.s_addr = htonl(0x7F000014 + n);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0) {
        throw std::runtime_error("cannot bind a board socket on 127.0.0.x");
    }
    socklen_t length = sizeof *address;
    getsockname(fd, reinterpret_cast<sockaddr*>(address), &length);
    return fd;
}

void Identify(const IdentifyRig& rig, int n) {
    const std::string identity = std::string("|A\x84") + static_cast<char>('0' + n);
    HandleLanDatagram(reinterpret_cast<const uint8_t*>(identity.data()), identity.size(),
                      rig.boardAddresses[static_cast<std::size_t>(n - 1)]);
}

std::string madeFolder;

void RemoveFolder() {
    std::error_code ignored;
    if (!madeFolder.empty()) std::filesystem::remove_all(madeFolder, ignored);
}

IdentifyRig Build() {
    bench::Rig();          // the datarefs and the plugin's socket
    bench::ClearBoards();  // the cycle benchmarks' boards; their rig reads them again
    // What the areas before left: the input events' sections and port.
    ClearBoardTables();
    serial.ports.clear();
    IdentifyRig rig;
    char folder[] = "/tmp/kestrix-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) throw std::runtime_error("no folder for data.cfg");
    rig.folder = folder;
    madeFolder = rig.folder;
    std::atexit(RemoveFolder);
    WriteDataCfg(rig.folder + "/data.cfg");
    simhost::SetAircraftPath(rig.folder + "/bench.acf");
    paths.foldername = rig.folder;
    LoadConfig();
    if (ArduinoID.size() != kNumberedBoards) throw std::runtime_error("data.cfg not read");
    rig.logFile = open((rig.folder + "/Log.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int log = rig.logFile;
    simhost::SetDebugStringObserver([log](const std::string& text) {
        if (write(log, text.data(), text.size()) < 0) return;
    });
    lan.UsedAddr = {1};  // the plugin's own host, 127.0.0.1
    lan.NetworkIndices = {-1};
    for (int n = 1; n <= kNumberedBoards; ++n) {
        sockaddr_in address{};
        rig.boardSockets.push_back(BoardSocket(n, &address));
        rig.boardAddresses.push_back(address);
        Identify(rig, n);  // registered now, so that every run identifies it again
    }
    if (Boards.size() != kNumberedBoards) throw std::runtime_error("the boards did not register");
    return rig;
}

IdentifyRig& Rig() {
    static IdentifyRig rig = Build();
    return rig;
}

// Between runs, untimed: what was told about data.cfg is forgotten, as a
// new read of it or a Reconnect does, and the logs and sockets are emptied.
void StartAfresh(const IdentifyRig& rig) {
    ForgetLoggedCauses(kDataCfgCause);
    simhost::ForgetDebugStrings();
    if (ftruncate(rig.logFile, 0) != 0 || lseek(rig.logFile, 0, SEEK_SET) != 0) return;
    static char buffer[256];
    for (int fd : rig.boardSockets) {
        while (recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
    }
}

void IdentifyBoards(benchmark::State& state, int count) {
    IdentifyRig& rig = Rig();
    uint64_t allocations = 0;
    std::size_t notes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        StartAfresh(rig);
        state.ResumeTiming();
        const uint64_t before = bench::Allocations();
        for (int n = 1; n <= count; ++n) Identify(rig, n);
        allocations += bench::Allocations() - before;
        state.PauseTiming();
        notes += simhost::DebugStrings().size();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["allocs"] = static_cast<double>(allocations) / runs;
    // Strings handed to Log.txt per run: the notes and the upload's lines.
    state.counters["log_lines"] = static_cast<double>(notes) / runs;
}

void IdentifyOneBoard(benchmark::State& state) {
    IdentifyBoards(state, 1);
}

void IdentifyNineBoards(benchmark::State& state) {
    IdentifyBoards(state, kNumberedBoards);
}

}  // namespace

BENCHMARK(IdentifyOneBoard)->Unit(benchmark::kMillisecond);
BENCHMARK(IdentifyNineBoards)->Unit(benchmark::kMillisecond);
