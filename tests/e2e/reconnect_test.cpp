// Boards that come and go while the plugin runs: a serial board unplugged
// and plugged back in, a LAN board that falls silent and comes back, and
// the gates that keep the calls for them off.
#include "protocol/reconnect.h"
#include "base/plugin_state.h"
#include "base/settings.h"
#include "config/board_tables.h"
#include "input_commands.h"
#include "peers.h"
#include "transport/serial.h"
#include "ui/status_window.h"
#include "virtual_board_fixture.h"

using testing::HasSubstr;

namespace {

const char* kDataCfg =
    "*1\n[O]\n13L 0 sim/cockpit2/annunciators/master_warning\n"
    "*2\n[I]\nD25+ sim/starters/engage_starter_1\n"
    "[O]\n30L 0 sim/cockpit2/annunciators/master_caution\n";

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace

class ReconnectTest : public VirtualBoardsTest {
  protected:
    // The boards run and scanning has ended.
    void StartUntilServing() {
        simhost::SetFramePeriod(0.025);
        StartAndInitialize();
        ASSERT_TRUE(FramesUntil([&] { return AllRunning() && settings.ScanTimeout == 0; }))
            << log.str();
    }
};

TEST_F(ReconnectTest, AnUnpluggedSerialBoardIsClosedShownDisconnectedAndFoundWhenPluggedBack) {
    folder.WriteDataCfg(kDataCfg);
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 20\n");
    auto lanBoard = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
    auto usb = SerialBoard("tty.usbmodem2101", vboard::BoardIdentity::Numbered(2, 132));
    boards = {lanBoard.get(), usb.get()};
    testing::internal::CaptureStderr();
    StartUntilServing();
    const int b = usb->boardIndex();
    const int line = Boards.at(b).StatusLineNumber;
    const std::string name = std::to_string(line) + ". USB Kestrix Board #2";
    vboard::InputCommand press;
    std::string error;
    ASSERT_EQ(vboard::ParseInputLine("press D25", &press, &error), vboard::LineResult::Command);
    usb->SendInput(press);
    ASSERT_TRUE(FramesUntil([] { return simhost::Counts("sim/starters/engage_starter_1").held; }));

    // Unplugged with the starter held: the port is closed within a frame,
    // and the starter is let go.
    usb.reset();
    boards = {lanBoard.get()};
    ASSERT_TRUE(FramesUntil([&] { return serial.ports.empty(); }, 2));
    EXPECT_EQ(StatusLine(line), name + " - disconnected");
    EXPECT_FALSE(Boards.at(b).AllowOutput);
    EXPECT_FALSE(simhost::Counts("sim/starters/engage_starter_1").held);

    // The other board goes on.
    simhost::SetValue("sim/cockpit2/annunciators/master_warning", 1);
    ASSERT_TRUE(FramesUntil([&] { return lanBoard->outputs().leds.at(13); }, 20));

    // Plugged back in, on a new device: the next rescan finds it, and it is
    // the board it was.
    auto back = SerialBoard("tty.usbmodem2103", vboard::BoardIdentity::Numbered(2, 132));
    boards = {lanBoard.get(), back.get()};
    ASSERT_TRUE(FramesUntil([&] { return AllRunning(); }, 200)) << log.str();
    EXPECT_EQ(back->boardIndex(), b);
    EXPECT_EQ(Boards.size(), 2u);
    EXPECT_THAT(StatusLine(line), HasSubstr(name + ","));

    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Occurrences(err, "tty.usbmodem2101 lost (read failed), closed"), 1) << err;
    EXPECT_EQ(Occurrences(err, name + " - disconnected"), 1) << err;
    std::string simulatorLog;
    for (const std::string& text : simhost::DebugStrings()) simulatorLog += text;
    EXPECT_EQ(Occurrences(simulatorLog, name + " - disconnected"), 1);
}

// With the number of USB boards given, the startup closes the other ports
// once that many have answered. Two boards plugged back in at once, on new
// devices: the first to answer must not close the port of the second.
TEST_F(ReconnectTest, TwoSerialBoardsPluggedBackAtOnceAreBothFound) {
    folder.WriteDataCfg(kDataCfg);
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 20\nUSB_DEVICE_COUNT = 2\n");
    auto one = SerialBoard("tty.usbmodem3101", vboard::BoardIdentity::Numbered(1, 132));
    auto two = SerialBoard("tty.usbmodem3201", vboard::BoardIdentity::Numbered(2, 132));
    boards = {one.get(), two.get()};
    StartUntilServing();
    const int indexOne = one->boardIndex(), indexTwo = two->boardIndex();

    one.reset();
    two.reset();
    boards.clear();
    ASSERT_TRUE(FramesUntil([&] { return serial.ports.empty(); }, 2));

    auto oneBack = SerialBoard("tty.usbmodem3103", vboard::BoardIdentity::Numbered(1, 132));
    auto twoBack = SerialBoard("tty.usbmodem3203", vboard::BoardIdentity::Numbered(2, 132));
    boards = {oneBack.get(), twoBack.get()};
    ASSERT_TRUE(FramesUntil([&] { return AllRunning(); }, 400)) << log.str();
    EXPECT_EQ(oneBack->boardIndex(), indexOne);
    EXPECT_EQ(twoBack->boardIndex(), indexTwo);
}

TEST_F(ReconnectTest, ASilentLanBoardIsCalledShownDisconnectedAndConfiguredWhenItAnswers) {
    folder.WriteDataCfg(kDataCfg);
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 20\n");
    auto first = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
    boards = {first.get()};
    testing::internal::CaptureStderr();
    StartUntilServing();

    // Powered off: silent past the limit, then its calls go unanswered.
    first.reset();
    boards.clear();
    const int frames = static_cast<int>((kLanSilentAfter + 8) / 0.025f);
    ASSERT_TRUE(FramesUntil(
        [] { return StatusLine(1) == "1. LAN Kestrix Board #1 - disconnected"; }, frames));
    EXPECT_FALSE(Boards.at(0).AllowOutput);

    // Powered up again: it answers the next call and is configured again.
    auto again = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
    boards = {again.get()};
    ASSERT_TRUE(FramesUntil([&] { return AllRunning(); }, 200)) << log.str();
    EXPECT_EQ(again->boardIndex(), 0);
    EXPECT_EQ(StatusLine(1), "1. LAN Kestrix Board #1,   1 outputs");

    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Occurrences(err, "\nNo answer from 127.0.0.2"), 1) << err;
    EXPECT_EQ(Occurrences(err, "1. LAN Kestrix Board #1 - disconnected"), 1) << err;
}

// The calls after scanning obey the sweep's gates: none with scanning
// switched off, none while paused. A host without a board and a serial
// device that appears later are called only when the gates are open.
TEST_F(ReconnectTest, CallsAfterScanningKeepTheSweepsGates) {
    struct Case {
        const char* name;
        const char* config;
        bool pause;
        bool called;
    };
    for (const Case& c : {Case{"open", "SCANNING_TIMEOUT = 1\n", false, true},
                          Case{"paused", "SCANNING_TIMEOUT = 1\n", true, false},
                          Case{"scanning off", "SCANNING_TIMEOUT = 0\n", false, false}}) {
        SCOPED_TRACE(c.name);
        testenv::SimFolder sim;
        testenv::PointSerialScanAt(sim.deviceDir());
        sim.WriteDataCfg(kDataCfg);
        sim.WriteSafeConfig(c.config);
        testenv::PluginHarness harness{sim, testenv::LinkedPlugin()};
        testenv::UdpPeer board("127.0.0.2", sim.port());
        testenv::UdpPeer idleHost("127.0.0.3", sim.port());
        simhost::SetFramePeriod(0.025);
        harness.Start();
        simhost::RunFrame();
        // A board announces itself unasked, which ends a scanning phase.
        board.SendToPlugin(testenv::Bytes({'|', 'A', 132, '1'}), sim.port());
        // Until the board is configured (also with scanning off) and scanning ended.
        for (int frame = 0; frame < 200 && (Boards.empty() || settings.ScanTimeout > 0); ++frame) {
            simhost::RunFrame();
        }
        ASSERT_EQ(Boards.size(), 1u);
        ASSERT_EQ(settings.ScanTimeout, 0);
        idleHost.ReceiveAll();
        if (c.pause) pluginState.PluginPaused = true;

        testenv::PseudoTerminal later;
        later.LinkAs(sim.deviceDir() + "tty.usbserial-later");
        simhost::RunFrames(static_cast<int>(8 / 0.025));
        std::string request;
        EXPECT_EQ(idleHost.Receive(&request, 50) && request == "XP", c.called);
        EXPECT_EQ(later.Read(50).rfind("XP", 0) == 0, c.called);
    }
}
