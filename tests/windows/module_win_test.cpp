// win.xpl in the Windows stand-in on its own: it finds its folder, its
// settings and the aircraft's data.cfg through native paths and runs frames.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
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

// The simulator hands its paths over in UTF-8: a folder name the ANSI code
// page cannot hold must still lead to config.ini and data.cfg. Should the
// lookup fail, the plugin falls back to the working directory, which holds
// a config.ini that keeps the serial scan off as well.
TEST_F(WindowsModuleTest, FindsItsFilesInFoldersWithNonAsciiNames) {
    namespace fs = std::filesystem;
    const fs::path fallback = root / "cwd";
    wintest::WriteText(fallback / "Resources" / "plugins" / "Kestrix" / "config.ini",
                       "IP_ADDRESS = 127.0.0.1\nSCANNING_TIMEOUT = 0\nUSB_DEVICE_COUNT = 0\n");
    ASSERT_TRUE(SetCurrentDirectoryW(fallback.wstring().c_str()));
    // "Jürgen" and "Cub – Ü" in UTF-8.
    const fs::path unicodeRoot = root / fs::u8path("J\xC3\xBCrgen");
    const fs::path unicodePlugin = unicodeRoot / "Resources" / "plugins" / "Kestrix";
    const fs::path unicodeAircraft =
        unicodeRoot / "Aircraft" / fs::u8path("Cub \xE2\x80\x93 \xC3\x9C") / "cub.acf";
    const int port = wintest::FreeUdpPort();
    wintest::WriteText(
        unicodePlugin / "config.ini",
        "IP_ADDRESS = 127.0.0.1\nUSB_DEVICE_COUNT = 0\nPORT = " + std::to_string(port) + "\n");
    wintest::WriteText(unicodeAircraft, "I\n1100 Version\n");
    // Only the plugin folder holds a data.cfg: found there, it shows that
    // config.ini was read from that folder too.
    wintest::WriteText(unicodePlugin / "data.cfg", "*1\n");
    LoadModule("IP_ADDRESS = 127.0.0.1\nSCANNING_TIMEOUT = 0\nUSB_DEVICE_COUNT = 0\n");
    testing::internal::CaptureStderr();
    StartWithPaths((unicodePlugin / "64" / "win.xpl").u8string(), unicodeAircraft.u8string());
    simhost::RunFrames(60);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("\nConfig file: " + unicodePlugin.u8string() +
                       "\\data.cfg\n"
                       "Reading config for board #1"),
              std::string::npos)
        << log;
}
