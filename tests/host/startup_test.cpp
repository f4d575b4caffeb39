// The startup sequence: plugin folder, settings, address and LAN prefix,
// serial ports, and what the window shows afterwards.
#include <unistd.h>

#include "XPLMPlugin.h"
#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "base/settings.h"
#include "config/board_tables.h"
#include "peers.h"
#include "plugin_fixture.h"
#include "transport/lan.h"
#include "transport/serial.h"
#include "ui/status_window.h"

namespace {

std::string Caption(XPWidgetID widget) {
    const simhost::Widget* w = simhost::FindWidget(widget);
    return w ? w->descriptor : "<no widget>";
}

intptr_t Property(XPWidgetID widget, int property) {
    return XPGetWidgetProperty(widget, property, nullptr);
}

// The control whose state shows whether USB is on: the PAUSE button, or the
// "Enable USB" check box of the earlier level.
XPWidgetID UsbControl() {
    return window.ToggleUSB ? window.ToggleUSB : window.UsbCheckbox;
}

}  // namespace

TEST_F(PluginTest, PluginFolderIsFoundFromAModuleInA64Folder) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\nUSB_DEVICE_COUNT = 3\n");
    StartAndInitialize();
    EXPECT_EQ(paths.foldername, folder.pluginFolder());
    EXPECT_EQ(settings.USBcountVar, 3);
}

TEST_F(PluginTest, PluginFolderIsFoundFromAModuleDirectlyInIt) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\nUSB_DEVICE_COUNT = 3\n");
    plugin.Start();
    simhost::SetModulePath(folder.pluginFolder() + "/mac.xpl");
    simhost::RunFrame();
    EXPECT_EQ(paths.foldername, folder.pluginFolder());
    EXPECT_EQ(settings.USBcountVar, 3);
}

// A macOS simulator hands out colon paths unless the plugin asks for native
// ones. Only the first frame runs, so nothing is sent whatever was read.
TEST_F(PluginTest, OnAMacHostConfigIniAndTheAircraftsDataCfgAreFound) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\nUSB_DEVICE_COUNT = 3\n");
    folder.WriteDataCfg("*1\n[I]\nD2 sim/lights/landing_lights_toggle\n");
    simhost::SetLegacyPaths(true);
    plugin.Start();
    simhost::SetModulePath(folder.pluginFolder() + "/64/mac.xpl");
    simhost::RunFrame();
    EXPECT_EQ(XPLMIsFeatureEnabled("XPLM_USE_NATIVE_PATHS"), 1);
    EXPECT_EQ(paths.foldername, folder.pluginFolder());
    EXPECT_EQ(settings.USBcountVar, 3);
    EXPECT_EQ(paths.filepath, folder.aircraftFolder() + "/data.cfg");
    EXPECT_EQ(ArduinoConfigFile.size(), 1u);
}

TEST_F(PluginTest, AModuleNameOfAnotherLengthFallsBackToTheFixedFolder) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\nUSB_DEVICE_COUNT = 3\n");
    ASSERT_EQ(chdir(folder.root().c_str()), 0);  // the simulator's working directory
    plugin.Start();
    simhost::SetModulePath(folder.pluginFolder() + "/64/kestrix.xpl");
    simhost::RunFrame();
    EXPECT_EQ(paths.foldername, folder.root() + "/Resources/plugins/Kestrix");
    EXPECT_EQ(settings.USBcountVar, 3) << "config.ini read from the fixed folder";
}

TEST_F(PluginTest, WithNoConfigAnywhereTheDefaultsStayAndTheFixedFolderIsUsed) {
    testenv::TempDir elsewhere;
    ASSERT_EQ(chdir(elsewhere.path().c_str()), 0);
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");  // passes the harness's check
    plugin.Start();
    std::remove((folder.pluginFolder() + "/config.ini").c_str());
    simhost::RunFrame();
    EXPECT_EQ(paths.foldername, elsewhere.path() + "/Resources/plugins/Kestrix");
    EXPECT_EQ(settings.UDP_PORT, 5080);
    EXPECT_EQ(settings.ScanTimeout, 512);
}

TEST_F(PluginTest, ASpecifiedAddressSetsThePrefixAndOwnHost) {
    folder.WriteSafeConfig("IP_ADDRESS = 127.0.0.44\n");
    StartAndInitialize();
    EXPECT_EQ(lan.My_IP_str, "127.0.0.44");
    EXPECT_EQ(lan.Base_IP, "127.0.0.");
    EXPECT_EQ(lan.UsedAddr, std::vector<int>{44});
    EXPECT_EQ(lan.NetworkIndices, std::vector<int>{-1});
    EXPECT_EQ(lan.addrLength, 16u);
    EXPECT_EQ(Caption(window.DetectedPortsWidget[0]), "127.0.0.44");
}

class UnusableAddress : public PluginTest, public testing::WithParamInterface<const char*> {};

TEST_P(UnusableAddress, FallsBackToTheInterfaceAddress) {
    folder.WriteSafeConfig(std::string("SCANNING_TIMEOUT = 0\nIP_ADDRESS = ") + GetParam() + "\n");
    StartAndInitialize();
    EXPECT_EQ(settings.SpecifiedIP, GetParam());
    EXPECT_FALSE(lan.My_IP.empty()) << "the machine has at least loopback";
    EXPECT_EQ(lan.My_IP_str, lan.My_IP);
}

INSTANTIATE_TEST_SUITE_P(TooShortOrTooFewDots, UnusableAddress,
                         testing::Values("1.2.3", "auto", "127.1.1", "1.2.3.", "10.0.0"));

TEST_F(PluginTest, AnAddressWhoseHostPartIsNoNumberGivesNoPrefix) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\nIP_ADDRESS = 127.0.0.x\n");
    StartAndInitialize();
    EXPECT_EQ(lan.My_IP_str, "127.0.0.x");
    EXPECT_TRUE(lan.Base_IP.empty());
    EXPECT_TRUE(lan.UsedAddr.empty());
}

TEST_F(PluginTest, UsbDisabledOpensNoPortAndSaysSo) {
    testenv::PseudoTerminal board;
    board.LinkAs(folder.deviceDir() + "tty.usbmodem1");
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\nUSB_DEVICE_COUNT = 0\n");
    StartAndInitialize();
    EXPECT_TRUE(serial.ports.empty());
    EXPECT_EQ(Caption(window.DetectedPortsWidget[1]), "Disabled");
    EXPECT_EQ(Property(UsbControl(), xpProperty_ButtonState), 0);
}

TEST_F(PluginTest, WindowShowsAddressPortsAndBlankLinesAfterStartup) {
    testenv::PseudoTerminal a, b;
    a.LinkAs(folder.deviceDir() + "tty.usbmodem1");
    b.LinkAs(folder.deviceDir() + "cu.usbserial-2");
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\nWINDOW_ON_CONNECT = 0\n");
    StartAndInitialize();
    EXPECT_EQ(Caption(window.InstructionsWidget),
              KESTRIX_FEATURE_LEVEL == 122 ? "Kestrix v1.22" : "Kestrix v1.32");
    EXPECT_FALSE(simhost::IsShown(window.InstructionsWidget));
    EXPECT_EQ(Caption(window.DetectedPortsWidget[0]), "127.0.0.1");
    EXPECT_EQ(Caption(window.DetectedPortsWidget[1]), "2");
    ASSERT_EQ(window.InstructionsText.size(), 11u);
    for (int n = 0; n < 11; ++n) {
        EXPECT_EQ(window.InstructionsText[n], "   ");
        EXPECT_EQ(Caption(window.InstructionsTextWidget[n]), "   ");
    }
    if (window.WindowCheckbox) {
        EXPECT_EQ(Property(window.WindowCheckbox, xpProperty_ButtonState), 0);
    }
    EXPECT_EQ(Property(UsbControl(), xpProperty_ButtonState), 1);
}

TEST_F(PluginTest, StartupLogsInItsOrder) {
    testenv::PseudoTerminal a;
    a.LinkAs(folder.deviceDir() + "tty.usbmodem1");
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    testing::internal::CaptureStderr();
    StartAndInitialize();
    std::string log = testing::internal::GetCapturedStderr();
    std::size_t found = log.find("\nFound serial port: ");
    std::size_t opened = log.find(" opened");
    std::size_t initialized = log.find("\nKestrix Plugin initialized");
    ASSERT_NE(found, std::string::npos);
    EXPECT_LT(found, opened);
    EXPECT_LT(opened, initialized);
    EXPECT_NE(initialized, std::string::npos);
}
