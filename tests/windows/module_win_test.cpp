// win.xpl in the Windows stand-in on its own: it finds its folder, its
// settings and the aircraft's data.cfg through native paths and runs frames.
#include <gtest/gtest.h>

#include <string>

#include "module_fixture.h"

namespace {

using wintest::WindowsModuleTest;

}  // namespace

TEST_F(WindowsModuleTest, ReadsItsFolderAndRunsFrames) {
    wintest::WriteText(aircraft.parent_path() / "data.cfg", "*1\n");
    // Discovery stays on loopback; no serial port is scanned, so the
    // machine's own ports (wine maps COM1 to /dev/ttyS0) stay untouched.
    LoadModule("IP_ADDRESS = 127.0.0.1\nPORT = " + std::to_string(wintest::FreeUdpPort()) +
               "\nUSB_DEVICE_COUNT = 0\n");
    testing::internal::CaptureStderr();
    Start();
    EXPECT_EQ(module.name, "Kestrix");
    simhost::RunFrames(120);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("\nKestrix Plugin initialized"), std::string::npos) << log;
    // The aircraft's data.cfg, found through a backslashed path.
    EXPECT_NE(log.find("\nConfig file: " + (aircraft.parent_path() / "data.cfg").string()),
              std::string::npos)
        << log;
}
