// kestrix-sim as a user runs it: the built module in a simulator folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "plugin_harness.h"
#include "sim_run.h"

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
