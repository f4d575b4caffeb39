// kestrix-sim as a user runs it: the built module in a simulator folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "plugin_harness.h"
#include "sim_run.h"
#include "simhost.h"

using testing::HasSubstr;
using testing::Not;

// What the plugin gives XPLMDebugString goes to Log.txt in the root, which
// each run starts afresh, and no longer also to the terminal.
TEST(KestrixSim, WritesThePluginsLogToLogTxtInTheRootOnly) {
    testenv::SimFolder folder;
    std::filesystem::copy_file(KESTRIX_MODULE_PATH, folder.modulePath());
    setenv("KESTRIX_SERIAL_DIR", folder.deviceDir().c_str(), 1);
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    const std::string logPath = folder.root() + "/Log.txt";
    testenv::WriteFile(logPath, "a line of an earlier run\n");

    kestrix_sim::SimOptions options;
    options.root = folder.root();
    options.frames = 60;
    options.fast = true;
    const volatile std::sig_atomic_t stop = 0;
    testing::internal::CaptureStderr();
    const int status = kestrix_sim::RunSimulation(options, &stop);
    const std::string terminal = testing::internal::GetCapturedStderr();
    ASSERT_EQ(status, 0) << terminal;

    const std::string log = testenv::ReadFile(logPath);
    EXPECT_THAT(log, Not(HasSubstr("earlier run")));
    EXPECT_THAT(log, HasSubstr("Kestrix: Kestrix Plugin initialized\n"));
    EXPECT_THAT(terminal, HasSubstr("Kestrix Plugin initialized"));  // the stderr line
    EXPECT_THAT(terminal, Not(HasSubstr("debug:")));
    EXPECT_THAT(terminal, HasSubstr("log: " + logPath));
}

// Lines typed while it runs act at the next frame; elements count from 1,
// as in data.cfg.
TEST(KestrixSim, TakesValuesCommandsAndMenuChoicesTypedOnStandardInput) {
    testenv::SimFolder folder;
    std::filesystem::copy_file(KESTRIX_MODULE_PATH, folder.modulePath());
    setenv("KESTRIX_SERIAL_DIR", folder.deviceDir().c_str(), 1);
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    int typed[2];
    ASSERT_EQ(pipe(typed), 0);
    const std::string lines =
        "sim/cockpit2/autopilot/altitude_dial_ft = 4500\n"
        "sim/flightmodel2/gear/deploy_ratio[2]=0.5\n"
        "sim/flightmodel2/gear/deploy_ratio[0] = 1\n"
        "command sim/lights/beacon_lights_on\n"
        "menu Reconnect\n"
        "sim/cockpit2/switches/avionics_power_on 1";  // no '=', and no final newline
    ASSERT_EQ(write(typed[1], lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    close(typed[1]);
    ASSERT_EQ(dup2(typed[0], STDIN_FILENO), STDIN_FILENO);
    close(typed[0]);

    kestrix_sim::SimOptions options;
    options.root = folder.root();
    options.frames = simhost::FrameCount() + 60;  // the stand-in counts frames from its start
    options.fast = true;
    const volatile std::sig_atomic_t stop = 0;
    testing::internal::CaptureStderr();
    ASSERT_EQ(kestrix_sim::RunSimulation(options, &stop), 0);
    const std::string terminal = testing::internal::GetCapturedStderr();

    EXPECT_EQ(simhost::GetValue("sim/cockpit2/autopilot/altitude_dial_ft"), 4500);
    EXPECT_EQ(simhost::GetElement("sim/flightmodel2/gear/deploy_ratio", 1), 0.5);
    EXPECT_EQ(simhost::GetElement("sim/flightmodel2/gear/deploy_ratio", 0), 0);
    EXPECT_THAT(terminal, HasSubstr("set sim/flightmodel2/gear/deploy_ratio[2] = 0.5"));
    EXPECT_THAT(terminal, HasSubstr("pilot runs sim/lights/beacon_lights_on once"));
    EXPECT_THAT(terminal, HasSubstr("Kestrix reconnecting..."));
    EXPECT_THAT(terminal,
                HasSubstr("not understood: \"sim/flightmodel2/gear/deploy_ratio[0] = 1\""));
    EXPECT_THAT(terminal,
                HasSubstr("not understood: \"sim/cockpit2/switches/avionics_power_on 1\""));
}
