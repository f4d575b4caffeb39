// win.xpl against a board on a real transport: a native kestrix-board that
// run_with_board.sh starts beside this program, either on 127.0.0.2 over
// UDP or on a pseudo-terminal that wine shows as a COM port. The script
// says where the board is through the environment; run alone, these tests
// skip.
//
// The board runs on its own clock, so frames are paced by a little real
// time and bounded by a deadline instead of a frame count.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "module_fixture.h"

namespace {

using wintest::WindowsModuleTest;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// A Unix path as wine shows it, on drive Z:.
std::string DosPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::vector<std::string> ComPortNames() {
    std::vector<char> names(1 << 16);
    DWORD length = QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()));
    std::vector<std::string> ports;
    for (const char* name = names.data(); name < names.data() + length && *name != '\0';
         name += std::strlen(name) + 1) {
        if (std::strncmp(name, "COM", 3) == 0) ports.push_back(name);
    }
    return ports;
}

// Leaves the board's COM port as the only one the plugin's scan can find,
// for as long as it lives: the machine's own serial ports (wine maps COM1
// to /dev/ttyS0) must never receive the plugin's requests. The board's
// name is made a DOS device so that the list of devices shows it; wine
// opens it through $WINEPREFIX/dosdevices/comN, which the script links to
// the pseudo-terminal. The other ports' definitions come back at the end.
class OnlyBoardComPort {
  public:
    OnlyBoardComPort(const std::string& name, const std::string& unixPath) : name_(name) {
        for (const std::string& other : ComPortNames()) {
            if (other == name_) continue;
            char target[MAX_PATH] = "";
            if (QueryDosDeviceA(other.c_str(), target, sizeof target) == 0) continue;
            if (DefineDosDeviceA(DDD_REMOVE_DEFINITION, other.c_str(), nullptr)) {
                hidden_.emplace_back(other, target);
            }
        }
        dosPath_ = DosPath(unixPath);
        Show();
    }
    ~OnlyBoardComPort() {
        Withdraw();
        for (const auto& [other, target] : hidden_) {
            DefineDosDeviceA(DDD_RAW_TARGET_PATH, other.c_str(), target.c_str());
        }
    }

    // The board's name leaves the list of devices and comes back, as a
    // USB adapter's COM name does when it is unplugged and plugged in.
    void Show() {
        if (!defined_) defined_ = DefineDosDeviceA(0, name_.c_str(), dosPath_.c_str()) != 0;
    }
    void Withdraw() {
        if (defined_) defined_ = !DefineDosDeviceA(DDD_REMOVE_DEFINITION, name_.c_str(), nullptr);
    }

  private:
    std::string name_;
    std::string dosPath_;
    bool defined_ = false;
    std::vector<std::pair<std::string, std::string>> hidden_;
};

class NativeBoardTest : public WindowsModuleTest {
  protected:
    void SetUp() override {
        WindowsModuleTest::SetUp();
        wintest::WriteText(aircraft.parent_path() / "data.cfg",
                           wintest::ReadText(std::string(KESTRIX_EXAMPLES_DIR) + "/data.cfg"));
        simhost::SetCommandObserver(
            [this](const std::string& name, simhost::CommandCall) { commands.push_back(name); });
    }
    void TearDown() override {
        simhost::SetCommandObserver(nullptr);
        WindowsModuleTest::TearDown();
    }

    bool Ran(const std::string& command) const { return Runs(command) > 0; }
    long Runs(const std::string& command) const {
        return static_cast<long>(std::count(commands.begin(), commands.end(), command));
    }

    // Frames until done() holds, at most timeout of real time.
    static bool FramesUntil(const std::function<bool()>& done, std::chrono::seconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            simhost::RunFrame();
            Sleep(1);
        }
        return done();
    }

    // Frames until the command has reached the simulator, at most timeout
    // of real time.
    bool FramesUntilCommand(const std::string& command, std::chrono::seconds timeout) {
        return FramesUntil([&] { return Ran(command); }, timeout);
    }

    // The plugin's side of the road of a numbered board: the upload, then
    // the three settings the board asks for in turn.
    static void ExpectConfigured(const std::string& log) {
        for (const char* step : {"\nConfig sent: ", "\nSending analog: ",
                                 "\nSending 7-segment config: ", "\nSending Stepper config: "}) {
            EXPECT_NE(log.find(step), std::string::npos) << "no \"" << step + 1 << "\"\n" << log;
        }
    }

    // Board 2's COM port as run_with_board.sh names it (with its signal
    // folder, through which the test and the script take turns), made the
    // only COM port the scan finds for as long as *only lives; then the
    // module is loaded and started.
    void StartOnSignalledComPort(std::unique_ptr<OnlyBoardComPort>* only) {
        *only = std::make_unique<OnlyBoardComPort>(Env("KESTRIX_BOARD_COM"),
                                                   Env("KESTRIX_BOARD_DEVICE"));
        ASSERT_EQ(ComPortNames(), std::vector<std::string>{Env("KESTRIX_BOARD_COM")})
            << "other COM ports remain; the scan would write to them";
        LoadModule("IP_ADDRESS = 127.0.0.1\nPORT = " + std::to_string(wintest::FreeUdpPort()) +
                   "\nUSB_DEVICE_COUNT = 1\n");
        Start();
    }
    static bool SignalledComPortGiven() {
        return !Env("KESTRIX_BOARD_COM").empty() && !Env("KESTRIX_BOARD_DEVICE").empty() &&
               !Env("KESTRIX_BOARD_SIGNALS").empty();
    }

    std::vector<std::string> commands;
};

// What the plugin has written to the simulator's log so far.
std::string SimulatorLog() {
    std::string log;
    for (const std::string& line : simhost::DebugStrings()) log += line;
    return log;
}

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The files through which the test and run_with_board.sh take turns: the
// test asks for the board to be unplugged or plugged in, the script says
// when it has done so. dir is the script's folder as a Unix path.
class ScriptSignals {
  public:
    explicit ScriptSignals(const std::string& dir) : dir_(DosPath(dir)) {}
    void Ask(const char* name) const { wintest::WriteText(dir_ / name, "\n"); }
    bool Said(const char* name) const { return std::filesystem::exists(dir_ / name); }

  private:
    std::filesystem::path dir_;
};

}  // namespace

// Board 1 of examples/data.cfg on 127.0.0.2 answers the sweep, is
// configured, switches its outputs on and then presses D22, whose command
// reaches the simulator only with the index the upload gave the board.
TEST_F(NativeBoardTest, ConfiguresABoardOverUdpAndTakesItsInput) {
    const std::string port = Env("KESTRIX_BOARD_UDP_PORT");
    if (port.empty()) GTEST_SKIP() << "no board: run through run_with_board.sh udp";
    LoadModule("IP_ADDRESS = 127.0.0.1\nPORT = " + port + "\nUSB_DEVICE_COUNT = 0\n");
    testing::internal::CaptureStderr();
    Start();
    const bool pressed =
        FramesUntilCommand("sim/lights/beacon_lights_on", std::chrono::seconds(60));
    const std::string log = testing::internal::GetCapturedStderr();
    ExpectConfigured(log);
    EXPECT_TRUE(pressed) << "the board's D22 press did not reach the simulator\n" << log;
}

// Board 2 of examples/data.cfg on a COM port: found by the port scan,
// opened as \\.\COMn, configured over the line, and its D2 press arrives.
TEST_F(NativeBoardTest, ConfiguresABoardOnAComPortAndTakesItsInput) {
    const std::string com = Env("KESTRIX_BOARD_COM");
    const std::string device = Env("KESTRIX_BOARD_DEVICE");
    if (com.empty() || device.empty()) {
        GTEST_SKIP() << "no board: run through run_with_board.sh serial";
    }
    OnlyBoardComPort only(com, device);
    ASSERT_EQ(ComPortNames(), std::vector<std::string>{com})
        << "other COM ports remain; the scan would write to them";
    // The LAN is swept on loopback only and nothing answers there.
    LoadModule("IP_ADDRESS = 127.0.0.1\nPORT = " + std::to_string(wintest::FreeUdpPort()) +
               "\nUSB_DEVICE_COUNT = 1\n");
    testing::internal::CaptureStderr();
    Start();
    const bool pressed =
        FramesUntilCommand("sim/radios/com1_standy_flip", std::chrono::seconds(60));
    const std::string log = testing::internal::GetCapturedStderr();
    const std::string path = "\\\\.\\" + com;
    EXPECT_NE(log.find("\nSerial port " + path + " opened"), std::string::npos) << log;
    ExpectConfigured(log);
    EXPECT_TRUE(pressed) << "the board's D2 press did not reach the simulator\n" << log;
}

// Board 2 on a COM port that goes away and comes back, twice: first only
// its COM name leaves the list of devices (the rescan must notice), then the
// program behind the pseudo-terminal quits (its terminal hangs up, as a USB
// adapter's port does when it is pulled) and a new board starts on a new
// pseudo-terminal under the same COM name. Each time the plugin must close
// the port, show the board disconnected, and find, identify and configure it
// again by itself.
TEST_F(NativeBoardTest, FindsABoardAgainWhenItsComPortGoesAndComesBack) {
    if (!SignalledComPortGiven()) {
        GTEST_SKIP() << "no board: run through run_with_board.sh serial-replug";
    }
    const ScriptSignals script(Env("KESTRIX_BOARD_SIGNALS"));
    std::unique_ptr<OnlyBoardComPort> only;
    ASSERT_NO_FATAL_FAILURE(StartOnSignalledComPort(&only));
    const std::string path = "\\\\.\\" + Env("KESTRIX_BOARD_COM");
    const std::string flip = "sim/radios/com1_standy_flip";
    ASSERT_TRUE(FramesUntilCommand(flip, std::chrono::seconds(60))) << SimulatorLog();
    const std::string disconnected = "USB Kestrix Board #2 - disconnected";
    const std::string back = "USB Kestrix Board #2 - back on " + path;
    const auto logged = [](const std::string& line, int times) {
        return [line, times] { return Occurrences(SimulatorLog(), line) >= times; };
    };
    const auto seconds = std::chrono::seconds(30);

    only->Withdraw();
    ASSERT_TRUE(FramesUntil(logged(disconnected, 1), seconds)) << SimulatorLog();
    EXPECT_EQ(Occurrences(SimulatorLog(), path + " lost (device removed), closed"), 1);
    only->Show();
    ASSERT_TRUE(FramesUntil(logged(back, 1), seconds)) << SimulatorLog();
    ASSERT_TRUE(FramesUntil(logged("Config sent: ", 2), seconds)) << SimulatorLog();

    // The port itself must tell that its device is gone: the name stays in
    // the list until the board is shown disconnected.
    script.Ask("unplug");
    ASSERT_TRUE(FramesUntil([&] { return script.Said("unplugged"); }, seconds))
        << "the script did not stop the board";
    ASSERT_TRUE(FramesUntil(logged(disconnected, 2), seconds)) << SimulatorLog();
    EXPECT_EQ(Occurrences(SimulatorLog(), path + " lost ("), 2) << SimulatorLog();
    EXPECT_EQ(Occurrences(SimulatorLog(), path + " lost (device removed)"), 1) << SimulatorLog();
    // Unplugged for longer than one rescan, as a hand pulling a plug is.
    only->Withdraw();
    const double pluggedAt = simhost::Now() + 2.5;
    ASSERT_TRUE(FramesUntil([&] { return simhost::Now() >= pluggedAt; }, seconds));

    script.Ask("plug");
    ASSERT_TRUE(FramesUntil([&] { return script.Said("plugged"); }, seconds))
        << "the script did not start the new board";
    only->Show();
    const bool pressedAgain =
        FramesUntil([&] { return Runs(flip) >= 2; }, std::chrono::seconds(60));
    const std::string log = SimulatorLog();
    EXPECT_EQ(Occurrences(log, back), 2) << log;
    EXPECT_EQ(Occurrences(log, "Config sent: "), 3) << log;
    EXPECT_TRUE(pressedAgain) << "the new board's D2 press did not reach the simulator\n" << log;
}

// Board 2 on a COM port stops reading (the script stops its program) while
// its frequency display changes every frame: the port's buffer fills, and
// the plugin must neither wait nor send part of a message. Once the board
// reads again, what was queued goes out first; the script then finds no
// byte in the board's log that did not belong to a whole message.
TEST_F(NativeBoardTest, KeepsMessagesWholeWhileItsBoardStopsReading) {
    if (!SignalledComPortGiven()) {
        GTEST_SKIP() << "no board: run through run_with_board.sh serial-stall";
    }
    const ScriptSignals script(Env("KESTRIX_BOARD_SIGNALS"));
    std::unique_ptr<OnlyBoardComPort> only;
    ASSERT_NO_FATAL_FAILURE(StartOnSignalledComPort(&only));
    const auto seconds = std::chrono::seconds(60);
    ASSERT_TRUE(FramesUntilCommand("sim/radios/com1_standy_flip", seconds)) << SimulatorLog();

    script.Ask("stop");
    ASSERT_TRUE(FramesUntil([&] { return script.Said("stopped"); }, seconds));
    const std::string frequency = "sim/cockpit2/radios/actuators/com1_frequency_hz_833";
    int khz = 118000;
    const std::string dropped = "is not taking what is sent";
    ASSERT_TRUE(FramesUntil(
        [&] {
            simhost::SetValue(frequency, khz += 5);
            return Occurrences(SimulatorLog(), dropped) > 0;
        },
        seconds))
        << SimulatorLog();
    script.Ask("go");
    ASSERT_TRUE(FramesUntil([&] { return script.Said("going"); }, seconds));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    FramesUntil([&] { return std::chrono::steady_clock::now() > until; }, seconds);
    EXPECT_EQ(Occurrences(SimulatorLog(), dropped), 1) << SimulatorLog();
}
