// The entry points, the start callback, the menu and the reset, driven
// through the simulator stand-in with the plugin's code linked in.
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstring>

#include "XPLMPlugin.h"
#include "base/plugin_state.h"
#include "base/settings.h"
#include "host/host_state.h"
#include "host/lifecycle.h"
#include "peers.h"
#include "plugin_fixture.h"
#include "protocol/main_cycle.h"
#include "protocol/protocol_state.h"
#include "simdata/ping.h"
#include "transport/lan.h"
#include "transport/serial.h"

using testing::HasSubstr;

namespace {

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST_F(PluginTest, StartHandsOverIdentityMenuAndOneShotCallback) {
    folder.WriteSafeConfig();
    plugin.Start();
    EXPECT_EQ(plugin.module().name, "Kestrix");
    EXPECT_EQ(plugin.module().signature, "Brennick.Kestrix");
    EXPECT_THAT(plugin.module().description, HasSubstr("connecting to client programs over LAN"));

    std::vector<simhost::MenuItem> top = simhost::MenuItems(simhost::PluginsMenu());
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].name, "Kestrix");
    EXPECT_EQ(top[0].itemRef, nullptr);
    ASSERT_NE(top[0].submenu, nullptr);
    EXPECT_EQ(simhost::MenuName(top[0].submenu), "Kestrix");
    std::vector<simhost::MenuItem> items = simhost::MenuItems(top[0].submenu);
    ASSERT_EQ(items.size(), 3u);
    const char* names[] = {"Status", "Reconnect", "Reload Plugins"};
    const char* refs[] = {"1", "2", "3"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i].name, names[i]);
        EXPECT_STREQ(static_cast<const char*>(items[i].itemRef), refs[i]);
    }

    const simhost::FlightLoop* init = simhost::FindFlightLoop(FlightLoopInit);
    ASSERT_NE(init, nullptr);
    EXPECT_EQ(init->interval, -1.0f);
    EXPECT_EQ(simhost::FindFlightLoop(MyFlightLoopCallback), nullptr);
    EXPECT_EQ(lifecycle.plugin_id, XPLMGetMyID());
}

TEST_F(PluginTest, FirstFrameRunsStartupOnceThenTheMainCycleEveryInterval) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    plugin.Start();
    EXPECT_EQ(lifecycle.FirstLaunch, 1);
    simhost::RunFrame();
    EXPECT_EQ(lifecycle.FirstLaunch, 0);
    const simhost::FlightLoop* init = simhost::FindFlightLoop(FlightLoopInit);
    ASSERT_NE(init, nullptr);
    EXPECT_EQ(init->calls, 1);
    EXPECT_EQ(init->interval, 0.0f);  // never called again
    const simhost::FlightLoop* main = simhost::FindFlightLoop(MyFlightLoopCallback);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->interval, 1.0f);
    EXPECT_EQ(main->calls, 0);

    // One second later the main cycle starts, then runs every 0.025 s.
    simhost::SetFramePeriod(0.025);
    simhost::RunFor(1.0);
    EXPECT_EQ(simhost::FindFlightLoop(MyFlightLoopCallback)->calls, 1);
    simhost::RunFrames(40);
    EXPECT_EQ(simhost::FindFlightLoop(MyFlightLoopCallback)->calls, 41);
    EXPECT_EQ(simhost::FindFlightLoop(MyFlightLoopCallback)->interval, kCycleInterval);
    EXPECT_EQ(simhost::FindFlightLoop(FlightLoopInit)->calls, 1);
}

TEST_F(PluginTest, OnlyEnablesAfterTheStartupSequenceReset) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    testing::internal::CaptureStderr();
    plugin.Start();  // XPluginStart and the first XPluginEnable
    plugin.Enable();
    std::string beforeStartup = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountOf(beforeStartup, "\n\nKestrix reconnecting..."), 0);

    simhost::RunFrame();
    testing::internal::CaptureStderr();
    plugin.Disable();
    plugin.Enable();
    plugin.Disable();
    plugin.Enable();
    std::string afterStartup = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountOf(afterStartup, "\n\nKestrix reconnecting..."), 2);
    EXPECT_EQ(simhost::FindFlightLoop(FlightLoopInit)->calls, 1);
}

TEST_F(PluginTest, MenuReconnectsReloadsAndIgnoresUnknownItems) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    StartAndInitialize();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(simhost::ChooseMenuItem("Kestrix", "Reconnect"));
    EXPECT_TRUE(simhost::ChooseMenuItem("Kestrix", "Reconnect"));
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountOf(log, "\n\nKestrix reconnecting..."), 2);
    EXPECT_EQ(CountOf(log, "\nKestrix Plugin initialized"), 2);

    EXPECT_EQ(simhost::ReloadPluginsCount(), 0);
    EXPECT_TRUE(simhost::ChooseMenuItem("Kestrix", "Reload Plugins"));
    EXPECT_EQ(simhost::ReloadPluginsCount(), 1);
}

// Airport and scenery loads early in a flight ask every board for its inputs;
// the request resets the ping timer, which is what is observed here.
TEST_F(PluginTest, EarlyAirportAndSceneryLoadsRequestInputsOnlyWhenAllowed) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    StartAndInitialize();
    simhost::SetFlightTimeRunning(false);
    auto requested = [&](int message, float flightTime) {
        simhost::SetValue("sim/time/total_flight_time_sec", flightTime);
        ping.PingTimeout = 42;
        simhost::SendMessage(plugin.module(), message);
        return ping.PingTimeout == 0;
    };
    EXPECT_TRUE(requested(XPLM_MSG_AIRPORT_LOADED, 0.0f));
    EXPECT_TRUE(requested(XPLM_MSG_SCENERY_LOADED, 4.9f));
    EXPECT_FALSE(requested(XPLM_MSG_SCENERY_LOADED, 5.0f));
    EXPECT_FALSE(requested(XPLM_MSG_AIRPORT_LOADED, 120.0f));
    EXPECT_FALSE(requested(XPLM_MSG_PLANE_LOADED, 0.0f));
    EXPECT_FALSE(requested(XPLM_MSG_AIRPORT_LOADED, std::nanf("")));

    settings.RESET_EVENTS = false;
    EXPECT_FALSE(requested(XPLM_MSG_AIRPORT_LOADED, 0.0f));
}

// The simulator publishes the flight time under its "_sec" name only; the
// gate must read the real clock, not a handle that reads 0 forever.
TEST_F(PluginTest, FlightTimeGateReadsThePublishedDataref) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    plugin.Start();
    ASSERT_FALSE(simhost::HasDataRef("sim/time/total_flight_time"));
    ASSERT_NE(pluginState.FlightTimeDref, nullptr);
    simhost::SetValue("sim/time/total_flight_time_sec", 300.0);
    EXPECT_FLOAT_EQ(XPLMGetDataf(pluginState.FlightTimeDref), 300.0f);
}

// The simulator calls nothing of a disabled plugin: no main cycle runs and no
// board hears from it. Enabling it resets it and the cycle runs on at once.
TEST_F(PluginTest, DisabledRunsNoCycleAndEnabledResetsAndRunsAgain) {
    testenv::UdpPeer board("127.0.0.3", folder.port());
    folder.WriteSafeConfig();  // scanning on: the sweep calls 127.0.0.3 in its 4th cycle
    StartAndInitialize();
    auto cycles = [] { return simhost::FindFlightLoop(MyFlightLoopCallback)->calls; };
    simhost::RunFor(1.2);
    ASSERT_GT(cycles(), 0);
    EXPECT_FALSE(board.ReceiveAll().empty()) << "the sweep reached the board";

    plugin.Disable();
    int before = cycles();
    simhost::RunFor(10.0);
    simhost::ChooseMenuItem("Kestrix", "Reconnect");
    EXPECT_EQ(cycles(), before);
    EXPECT_TRUE(board.ReceiveAll().empty());

    testing::internal::CaptureStderr();
    plugin.Enable();
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("\n\nKestrix reconnecting..."));
    simhost::RunFrame();
    EXPECT_EQ(cycles(), before + 1);
    simhost::RunFrames(4);  // the sweep starts over at host 0
    EXPECT_EQ(board.ReceiveAll(), std::vector<std::string>{"XP"});
}

// After XPluginDisable the closed descriptor numbers may be handed to someone
// else in the simulator; the next enable's reset and the stop must not close
// them again.
TEST_F(PluginTest, DescriptorsClosedByDisableAreNeverClosedAgain) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    StartAndInitialize();
    int firstSocket = lan.sock;
    ASSERT_GE(firstSocket, 0);
    plugin.Disable();
    int taken = open("/dev/null", O_RDONLY);  // takes the freed number
    ASSERT_EQ(taken, firstSocket);
    plugin.Enable();  // the reset must not close it
    EXPECT_NE(fcntl(taken, F_GETFD), -1) << "the reset closed someone else's descriptor";

    int secondSocket = lan.sock;
    plugin.Disable();
    int takenAgain = open("/dev/null", O_RDONLY);
    ASSERT_EQ(takenAgain, secondSocket);
    plugin.Stop();  // nor the stop
    EXPECT_NE(fcntl(takenAgain, F_GETFD), -1) << "the stop closed someone else's descriptor";
    close(taken);
    close(takenAgain);
}

TEST_F(PluginTest, ResetRestoresDefaultsButKeepsBaudrateAndFrameTime) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\nUSB_BAUD = 57600\nRESET_EVENTS = 0\n");
    StartAndInitialize();
    EXPECT_EQ(settings.Baudrate, 57600u);
    EXPECT_FALSE(settings.RESET_EVENTS);
    pluginState.frametime = 0.02f;
    pluginState.PluginPaused = true;

    // Without USB_BAUD the earlier speed stays; everything else is default.
    folder.WriteConfig("IP_ADDRESS = 127.0.0.1\nSCANNING_TIMEOUT = 0\n");
    ResetPlugin();
    EXPECT_EQ(settings.Baudrate, 57600u);
    EXPECT_TRUE(settings.RESET_EVENTS);
    EXPECT_EQ(settings.UDP_PORT, 5080);
    EXPECT_EQ(settings.SpecifiedIP, "127.0.0.1");
    EXPECT_FALSE(pluginState.PluginPaused);
    EXPECT_FLOAT_EQ(pluginState.frametime, 0.02f);
}

// "Reconnect" before the first frame: the start that follows does it all,
// once: one socket, each port opened once, one discovery request per port.
TEST_F(PluginTest, AReconnectBeforeTheFirstFrameLeavesEverythingToTheStart) {
    testenv::PseudoTerminal board;
    board.LinkAs(folder.deviceDir() + "tty.usbmodem1");
    folder.WriteSafeConfig();
    const int before = testenv::OpenDescriptorCount();
    plugin.Start();
    EXPECT_TRUE(simhost::ChooseMenuItem("Kestrix", "Reconnect"));
    simhost::SetFramePeriod(0.025);
    simhost::RunFrame();  // the start
    EXPECT_EQ(testenv::OpenDescriptorCount(), before + 2) << "one socket and one port";
    EXPECT_EQ(serial.ports.size(), 1u);
    EXPECT_EQ(serial.max_cycles, 2);
    simhost::RunFor(1.1);  // the first main cycle sends the one-shot requests
    EXPECT_EQ(board.Read(), "XP");
}
