// Reading and rewriting config.ini.
#include <gtest/gtest.h>

#include <sstream>

#include "base/feature_level.h"
#include "base/settings.h"
#include "base/settings_file.h"
#include "test_env.h"

namespace {

void Read(const std::string& text) {
    std::istringstream file(text);
    ReadSettings(file);
}

}  // namespace

TEST(SettingsFile, BlanksCommentsLineEndsAndTheLastLineWin) {
    Read(
        "# a comment\n"
        "\n"
        "PORT=6000\r\n"
        "  # not a comment, but its key matches nothing\n"
        "USB_BAUD = 5 7 6 0 0\n"
        "US B_DEVICE_COUNT = 2\n"
        "SCANNING_TIMEOUT = 100\n"
        "SCANNING_TIMEOUT = 300 cycles\n"
        "IP_ADDRESS = 127.0.0.4\n"
        "UNKNOWN_KEY = 1\n"
        "port = 7000\n"
        "RESET_EVENTS = 0");  // no final line feed
    EXPECT_EQ(settings.UDP_PORT, 6000);
    EXPECT_EQ(settings.Baudrate, 57600u);
    EXPECT_EQ(settings.USBcountVar, 2);
    EXPECT_EQ(settings.ScanTimeout, 300);
    EXPECT_EQ(settings.SpecifiedIP, "127.0.0.4");
    EXPECT_FALSE(settings.RESET_EVENTS);
}

TEST(SettingsFile, UnusableValuesLeaveTheSetting) {
    Read(
        "PORT = abc\n"
        "USB_DEVICE_COUNT = x5\n"
        "WINDOW_ON_CONNECT = 2\n"
        "RESET_EVENTS = true\n"
        "USB_FIX = false\n"
        "SCANNING_TIMEOUT\n"
        "=5\n");
    EXPECT_EQ(settings.UDP_PORT, 5080);
    EXPECT_EQ(settings.USBcountVar, 1024);
    EXPECT_EQ(settings.WINDOW_ON_CONNECT, Settings{}.WINDOW_ON_CONNECT);
    EXPECT_TRUE(settings.RESET_EVENTS);
    EXPECT_FALSE(settings.USB_FIX);
    EXPECT_EQ(settings.ScanTimeout, 512);
}

TEST(SettingsFile, BooleansAreZeroOrOneAndPortsMustFitAPortNumber) {
    Read("USB_FIX = 1\nWINDOW_ON_CONNECT = 0\nPORT = 70000\n");
    EXPECT_TRUE(settings.USB_FIX);
    // The earlier level has no such key: the window keeps opening there.
    EXPECT_EQ(settings.WINDOW_ON_CONNECT, !kFeatures.windowOnConnect);
    EXPECT_EQ(settings.UDP_PORT, 5080) << "70000 would bind port 4464";
    Read("PORT = 0\nPORT = -1\n");
    EXPECT_EQ(settings.UDP_PORT, 5080);
    Read("PORT = 65535\n");
    EXPECT_EQ(settings.UDP_PORT, 65535);
}

TEST(SettingsFile, NumbersIgnoreTheProcessLocale) {
    struct Grouping : std::numpunct<char> {
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    std::locale::global(std::locale(std::locale::classic(), new Grouping));
    Read("USB_BAUD = 57.600\n");
    std::locale::global(std::locale::classic());
    EXPECT_EQ(settings.Baudrate, 57u) << "a dot is never a thousands separator here";
}

class SettingsRewrite : public ::testing::Test {
  protected:
    SettingsRewrite() { paths.foldername = dir.path(); }
    std::string Path() const { return dir.path() + "/config.ini"; }
    testenv::TempDir dir;
};

TEST_F(SettingsRewrite, UncheckingMovesTheKeyToTheEndAndCheckingRemovesIt) {
    testenv::WriteFile(Path(),
                       "# settings\r\n"
                       "WINDOW_ON_CONNECT = 1\n"
                       "\n"
                       "PORT = 6000\r\n"
                       "WINDOW_ON_CONNECT=0\n"
                       "USB_FIX = 1");
    RewriteWindowOnConnect(false);
    EXPECT_FALSE(settings.WINDOW_ON_CONNECT);
    EXPECT_EQ(testenv::ReadFile(Path()),
              "# settings\r\n\nPORT = 6000\r\nUSB_FIX = 1\nWINDOW_ON_CONNECT = 0\n");

    RewriteWindowOnConnect(true);
    EXPECT_TRUE(settings.WINDOW_ON_CONNECT);
    EXPECT_EQ(testenv::ReadFile(Path()), "# settings\r\n\nPORT = 6000\r\nUSB_FIX = 1\n");
}

TEST_F(SettingsRewrite, WithoutAFileNothingIsCreated) {
    RewriteWindowOnConnect(false);
    EXPECT_FALSE(settings.WINDOW_ON_CONNECT);
    EXPECT_FALSE(testenv::FileExists(Path()));
}
