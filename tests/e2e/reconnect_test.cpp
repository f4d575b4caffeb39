// Boards that come and go while the plugin runs: a serial board unplugged
// and plugged back in, LAN boards that are only quiet, and the gates that
// keep the calls for boards off.
#include "protocol/reconnect.h"

#include <algorithm>

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

// A LAN board is only ever quiet: nothing calls it, configures it again or
// cuts it off, whether it would answer "XP" (the virtual board) or not (a
// peer that never does once running), and a source that registered without
// a board of its own (refused firmware, holding the index the next board
// got) is no reason to touch that board either.
TEST_F(ReconnectTest, QuietLanBoardsAreNeverCalledReconfiguredOrCutOff) {
    folder.WriteDataCfg(kDataCfg);
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 20\n");
    testenv::UdpPeer refused("127.0.0.3", folder.port());
    testenv::UdpPeer mute("127.0.0.4", folder.port());
    auto board = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
    boards = {board.get()};
    testing::internal::CaptureStderr();
    simhost::SetFramePeriod(0.025);
    StartAndInitialize();
    refused.SendToPlugin(testenv::Bytes({'|', 'A', 100, '2'}), folder.port());
    mute.SendToPlugin(testenv::Bytes({'|', 'A', 132, '2'}), folder.port());
    ASSERT_TRUE(FramesUntil([&] { return AllRunning() && Boards.size() == 2; })) << log.str();
    mute.SendToPlugin("~w", folder.port());
    ASSERT_TRUE(FramesUntil([&] { return settings.ScanTimeout == 0; })) << log.str();
    // The refused source holds the index the next board, the mute one, got.
    const auto at = std::find(lan.UsedAddr.begin(), lan.UsedAddr.end(), 3);
    ASSERT_NE(at, lan.UsedAddr.end());
    ASSERT_EQ(lan.NetworkIndices[at - lan.UsedAddr.begin()], 0);

    // A minute of nothing from any of them.
    bool called = false;
    auto drain = [&] {
        for (const testenv::UdpPeer* peer : {&refused, &mute}) {
            for (const std::string& d : peer->ReceiveAll()) called = called || d == "XP";
        }
        return false;
    };
    FramesUntil(drain, static_cast<int>(60 / 0.025f));
    EXPECT_FALSE(called);
    for (unsigned b = 0; b < 2; ++b) {
        EXPECT_TRUE(Boards[b].AllowOutput) << b;
        EXPECT_THAT(StatusLine(Boards[b].StatusLineNumber),
                    testing::Not(HasSubstr("disconnected")));
    }

    // Their outputs go on.
    simhost::SetValue("sim/cockpit2/annunciators/master_warning", 1);
    simhost::SetValue("sim/cockpit2/annunciators/master_caution", 1);
    ASSERT_TRUE(FramesUntil([&] { return board->outputs().leds.at(13); }, 20));
    std::string got;
    for (int frame = 0; frame < 20 && got.find(std::string{30, ')'}) == std::string::npos;
         ++frame) {
        Frame();
        for (const std::string& d : mute.ReceiveAll()) got += d;
    }
    EXPECT_NE(got.find(std::string{30, ')'}), std::string::npos);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Occurrences(err, "\nConfig sent: 61 bytes"), 2) << err;
}

// A LAN board that restarts has no configuration; the ping of the plugin
// that knew it makes it identify itself, and it is the board it was.
TEST_F(ReconnectTest, ARestartedLanBoardIdentifiesItselfAgainAndIsConfiguredUnderItsLine) {
    folder.WriteDataCfg(kDataCfg);
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 20\n");
    auto first = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
    auto usb = SerialBoard("tty.usbmodem4101", vboard::BoardIdentity::Numbered(2, 132));
    boards = {first.get(), usb.get()};
    testing::internal::CaptureStderr();
    StartUntilServing();
    const int index = first->boardIndex();
    const int line = Boards.at(index).StatusLineNumber;

    first.reset();
    auto again = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
    boards = {again.get(), usb.get()};
    ASSERT_TRUE(FramesUntil([&] { return AllRunning(); }, static_cast<int>(4 / 0.025f)))
        << log.str();
    EXPECT_EQ(again->boardIndex(), index);
    EXPECT_EQ(Boards.size(), 2u);
    EXPECT_EQ(StatusLine(line), std::to_string(line) + ". LAN Kestrix Board #1,   1 outputs");

    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Occurrences(err, "\n" + std::to_string(line) +
                                   ". LAN Kestrix Board #1 - identified again (LAN 127.0.0.2)"),
              1)
        << err;
    // Each configuration names its board, so two boards' lines can be told apart.
    EXPECT_EQ(Occurrences(err, "Config sent: 61 bytes\nBoard #1 (LAN 127.0.0.2) configured"), 2);
    EXPECT_EQ(Occurrences(err, "Config sent: 61 bytes\nBoard #2 (USB " + folder.deviceDir() +
                                   "tty.usbmodem4101) configured"),
              1)
        << err;
}

// The calls after scanning obey the sweep's gates: none with scanning
// switched off, none while paused. A host without a board and a serial
// device that appears later are called only when the gates are open;
// LAN_SLOW_SCAN = 0 stops the LAN calls only.
TEST_F(ReconnectTest, CallsAfterScanningKeepTheSweepsGates) {
    struct Case {
        const char* name;
        const char* config;
        bool pause;
        bool lanCalled;
        bool serialCalled;
    };
    for (const Case& c : {Case{"open", "SCANNING_TIMEOUT = 1\n", false, true, true},
                          Case{"paused", "SCANNING_TIMEOUT = 1\n", true, false, false},
                          Case{"scanning off", "SCANNING_TIMEOUT = 0\n", false, false, false},
                          Case{"slow LAN scan off", "SCANNING_TIMEOUT = 1\nLAN_SLOW_SCAN = 0\n",
                               false, false, true}}) {
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
        EXPECT_EQ(idleHost.Receive(&request, 50) && request == "XP", c.lanCalled);
        EXPECT_EQ(later.Read(50).rfind("XP", 0) == 0, c.serialCalled);
    }
}
