// The 32-bit module's earlier feature level: its version, a window without
// PAUSE and with the "Enable USB" check box, and no WINDOW_ON_CONNECT.
#include "feature_level.h"
#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "base/settings.h"
#include "config/parser.h"
#include "plugin_fixture.h"
#include "ui/status_window.h"

using testing::HasSubstr;

namespace {

const char* const kUsbBoxText = "    Enable USB (disable before uploading code to Arduino)";

class EarlierLevelTest : public PluginTest {
  protected:
    void StartWith(const std::string& config) {
        folder.WriteSafeConfig(config);
        StartAndInitialize();
    }
    std::string Config() { return testenv::ReadFile(folder.pluginFolder() + "/config.ini"); }
    std::string Descriptor(XPWidgetID id) { return simhost::FindWidget(id)->descriptor; }
};

}  // namespace

TEST_F(EarlierLevelTest, WindowShowsVersion122AndTheUsbBoxInsteadOfPause) {
    KESTRIX_ONLY_AT_LEVEL(122);
    StartWith("SCANNING_TIMEOUT = 0\n");
    EXPECT_EQ(Descriptor(window.InstructionsWidget), "Kestrix v1.22");
    EXPECT_EQ(simhost::FindWidgetByDescriptor("PAUSE"), nullptr);
    EXPECT_EQ(window.ToggleUSB, nullptr);
    EXPECT_EQ(window.WindowCheckbox, nullptr);
    EXPECT_EQ(simhost::FindWidget(window.InstructionsWidget)->children.size(), 26u);

    const simhost::Widget* box = simhost::FindWidget(window.UsbCheckbox);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->descriptor, kUsbBoxText);
    EXPECT_EQ(std::vector<int>({box->left, box->top, box->right, box->bottom}),
              std::vector<int>({420, 194, 440, 182}));
    EXPECT_EQ(box->properties.at(xpProperty_ButtonBehavior), xpButtonBehaviorCheckBox);
    EXPECT_EQ(box->properties.at(xpProperty_ButtonState), 1) << "USB on by default";
}

TEST_F(EarlierLevelTest, ClearingTheUsbBoxWritesUsbDeviceCountZeroAndCheckingRemovesIt) {
    KESTRIX_ONLY_AT_LEVEL(122);
    StartWith("USB_DEVICE_COUNT = 2\n# keep me\nSCANNING_TIMEOUT = 0\n");
    const std::string kept =
        Config().substr(0, Config().find("USB_DEVICE_COUNT")) + "# keep me\nSCANNING_TIMEOUT = 0\n";

    EXPECT_TRUE(simhost::ToggleCheckBox(window.UsbCheckbox));
    EXPECT_EQ(Config(), kept + "USB_DEVICE_COUNT = 0\n");
    simhost::ChooseMenuItem("Kestrix", "Reconnect");
    EXPECT_EQ(settings.USBcountVar, 0);
    EXPECT_EQ(Descriptor(window.DetectedPortsWidget[1]), "Disabled");
    EXPECT_EQ(XPGetWidgetProperty(window.UsbCheckbox, xpProperty_ButtonState, nullptr), 0);

    EXPECT_TRUE(simhost::ToggleCheckBox(window.UsbCheckbox));
    EXPECT_EQ(Config(), kept);
    simhost::ChooseMenuItem("Kestrix", "Reconnect");
    EXPECT_EQ(settings.USBcountVar, 1024);
    EXPECT_EQ(XPGetWidgetProperty(window.UsbCheckbox, xpProperty_ButtonState, nullptr), 1);
}

// The earlier level has no WINDOW_ON_CONNECT key, but the flag is there
// with its value true: the window opens whenever a board has been read.
TEST_F(EarlierLevelTest, WindowOnConnectKeyIsIgnoredAndTheWindowOpensOnConnect) {
    KESTRIX_ONLY_AT_LEVEL(122);
    StartWith("SCANNING_TIMEOUT = 0\nWINDOW_ON_CONNECT = 0\n");
    EXPECT_TRUE(settings.WINDOW_ON_CONNECT);
    ReadConfigFile("[O]\n5L 0 sim/cockpit2/annunciators/master_warning\n", 0, 0, MessageSource{});
    EXPECT_THAT(StatusLine(1), HasSubstr("1."));
    EXPECT_TRUE(simhost::IsShown(window.InstructionsWidget)) << "a board connected";
}

TEST_F(EarlierLevelTest, TheCurrentLevelHasPauseAndNoUsbBox) {
    KESTRIX_ONLY_AT_LEVEL(132);
    StartWith("SCANNING_TIMEOUT = 0\n");
    EXPECT_EQ(Descriptor(window.InstructionsWidget), "Kestrix v1.32");
    EXPECT_EQ(window.UsbCheckbox, nullptr);
    EXPECT_EQ(simhost::FindWidgetByDescriptor(kUsbBoxText), nullptr);
    EXPECT_NE(simhost::FindWidgetByDescriptor("PAUSE"), nullptr);
}
