// The status window: layout, its controls, and what resets do to it.
#include "ui/status_window.h"
#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "base/plugin_state.h"
#include "base/settings.h"
#include "feature_level.h"
#include "peers.h"
#include "plugin_fixture.h"
#include "transport/lan.h"
#include "transport/serial.h"

using testing::HasSubstr;

namespace {

const simhost::Widget& W(XPWidgetID id) {
    const simhost::Widget* w = simhost::FindWidget(id);
    if (w == nullptr) throw std::runtime_error("no such widget");
    return *w;
}

void ExpectBox(XPWidgetID id, int left, int top, int right, int bottom) {
    const simhost::Widget& w = W(id);
    EXPECT_EQ(w.left, left);
    EXPECT_EQ(w.top, top);
    EXPECT_EQ(w.right, right);
    EXPECT_EQ(w.bottom, bottom);
}

class WindowTest : public PluginTest {
  protected:
    void SetUp() override {
        folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
        StartAndInitialize();
    }
};

}  // namespace

TEST_F(WindowTest, LayoutFollowsTheWindowsGeometry) {
    KESTRIX_ONLY_AT_LEVEL(132);
    const simhost::Widget& main = W(window.InstructionsWidget);
    ExpectBox(window.InstructionsWidget, 400, 612, 810, 167);
    EXPECT_TRUE(main.isRoot);
    EXPECT_EQ(main.widgetClass, xpWidgetClass_MainWindow);
    EXPECT_EQ(main.properties.at(xpProperty_MainWindowHasCloseBoxes), 1);
    EXPECT_EQ(main.children.size(), 27u);  // 11 captions, the box, 2 values, 11 lines, 2 buttons
    ExpectBox(window.InstructionsTextWidget[0], 420, 412, 790, 400);
    ExpectBox(window.InstructionsTextWidget[10], 420, 232, 790, 220);
    ExpectBox(window.DetectedPortsWidget[0], 480, 452, 790, 440);
    ExpectBox(window.DetectedPortsWidget[1], 710, 452, 790, 440);
    ExpectBox(window.WindowCheckbox, 420, 194, 440, 182);
    ExpectBox(window.ToggleUSB, 700, 412, 790, 400);
    ExpectBox(window.ReconnectButton, 700, 584, 790, 564);

    const simhost::Widget& box = W(window.WindowCheckbox);
    EXPECT_EQ(box.descriptor, "    Open this window when connection is established");
    EXPECT_EQ(box.properties.at(xpProperty_ButtonType), xpRadioButton);
    EXPECT_EQ(box.properties.at(xpProperty_ButtonBehavior), xpButtonBehaviorCheckBox);
    EXPECT_EQ(W(window.ToggleUSB).descriptor, "PAUSE");
    EXPECT_EQ(W(window.ToggleUSB).properties.at(xpProperty_ButtonBehavior),
              xpButtonBehaviorPushButton);
    EXPECT_EQ(W(window.ReconnectButton).descriptor, "Reconnect");
    EXPECT_NE(simhost::FindWidgetByDescriptor("Connected to:"), nullptr);
    EXPECT_NE(simhost::FindWidgetByDescriptor("IP address: "), nullptr);
    EXPECT_NE(simhost::FindWidgetByDescriptor("Serial ports: "), nullptr);
    EXPECT_NE(simhost::FindWidgetByDescriptor(
                  "You can find all information, guides and updates on Lumora website."),
              nullptr);
    EXPECT_NE(simhost::FindWidgetByDescriptor(std::string(91, '-')), nullptr);
}

TEST_F(WindowTest, StatusShowsTheWindowAndTheCloseBoxHidesIt) {
    EXPECT_FALSE(simhost::IsShown(window.InstructionsWidget));
    simhost::ChooseMenuItem("Kestrix", "Status");
    EXPECT_TRUE(simhost::IsShown(window.InstructionsWidget));
    simhost::ChooseMenuItem("Kestrix", "Status");  // already visible: nothing changes
    EXPECT_TRUE(simhost::IsShown(window.InstructionsWidget));
    EXPECT_TRUE(simhost::PressCloseBox(window.InstructionsWidget));
    EXPECT_FALSE(simhost::IsShown(window.InstructionsWidget));
    EXPECT_NE(simhost::FindWidget(window.InstructionsWidget), nullptr) << "hidden, not destroyed";
}

TEST_F(WindowTest, PauseStopsTheCycleAndShowsTheNoticeUntilAReconnect) {
    KESTRIX_ONLY_AT_LEVEL(132);
    SetStatusLine(0, "line zero");
    SetStatusLine(1, "1. LAN Kestrix Board #1");
    EXPECT_TRUE(simhost::PushButton(window.ToggleUSB));
    EXPECT_TRUE(pluginState.PluginPaused);
    EXPECT_EQ(W(window.InstructionsTextWidget[0]).descriptor, "line zero");
    EXPECT_EQ(W(window.InstructionsTextWidget[2]).descriptor, " <<< Kestrix Paused >>> ");
    EXPECT_EQ(W(window.InstructionsTextWidget[4]).descriptor,
              " Press \"Reconnect\" to resume work");
    for (int n : {1, 3, 5, 6, 7, 8, 9, 10}) {
        EXPECT_EQ(W(window.InstructionsTextWidget[n]).descriptor, " ") << n;
    }
    EXPECT_EQ(window.InstructionsText[1], "1. LAN Kestrix Board #1") << "only the captions change";

    EXPECT_TRUE(simhost::PushButton(window.ToggleUSB));  // a second press does not resume
    EXPECT_TRUE(pluginState.PluginPaused);

    EXPECT_TRUE(simhost::PushButton(window.ReconnectButton));
    EXPECT_FALSE(pluginState.PluginPaused);
    for (int n = 0; n < 11; ++n) EXPECT_EQ(W(window.InstructionsTextWidget[n]).descriptor, "   ");
}

TEST_F(WindowTest, TheCheckBoxRewritesConfigAndTheNextStartupKeepsIt) {
    KESTRIX_ONLY_AT_LEVEL(132);
    EXPECT_EQ(XPGetWidgetProperty(window.WindowCheckbox, xpProperty_ButtonState, nullptr), 1);
    EXPECT_TRUE(simhost::ToggleCheckBox(window.WindowCheckbox));
    EXPECT_FALSE(settings.WINDOW_ON_CONNECT);
    std::string config = testenv::ReadFile(folder.pluginFolder() + "/config.ini");
    EXPECT_EQ(config.substr(config.size() - 22), "WINDOW_ON_CONNECT = 0\n");

    simhost::ChooseMenuItem("Kestrix", "Reconnect");
    EXPECT_FALSE(settings.WINDOW_ON_CONNECT);
    EXPECT_EQ(XPGetWidgetProperty(window.WindowCheckbox, xpProperty_ButtonState, nullptr), 0);
    ShowStatusWindow();  // what a board's connection does when the setting is on
    simhost::PressCloseBox(window.InstructionsWidget);

    EXPECT_TRUE(simhost::ToggleCheckBox(window.WindowCheckbox));
    EXPECT_TRUE(settings.WINDOW_ON_CONNECT);
    EXPECT_THAT(testenv::ReadFile(folder.pluginFolder() + "/config.ini"),
                testing::Not(HasSubstr("WINDOW_ON_CONNECT")));
}

TEST_F(WindowTest, ResetsReuseTheWindowAndLeakNoDescriptor) {
    testenv::PseudoTerminal a, b;
    a.LinkAs(folder.deviceDir() + "tty.usbmodemA");
    b.LinkAs(folder.deviceDir() + "tty.usbmodemB");
    XPWidgetID before = window.InstructionsWidget;
    std::size_t widgets = simhost::Widgets().size();
    simhost::PushButton(window.ReconnectButton);
    ASSERT_EQ(serial.ports.size(), 2u);
    int descriptors = testenv::OpenDescriptorCount();
    for (int i = 0; i < 50; ++i) simhost::PushButton(window.ReconnectButton);
    EXPECT_EQ(testenv::OpenDescriptorCount(), descriptors);
    EXPECT_EQ(serial.ports.size(), 2u);
    EXPECT_GE(lan.sock, 0);
    EXPECT_EQ(window.InstructionsWidget, before);
    EXPECT_EQ(simhost::Widgets().size(), widgets);
}

// The project declares the SDK's widget numbers itself; a module built with
// a wrong one talks nonsense to the real simulator. The published values:
TEST(WidgetDeclarations, CarryTheNumbersOfThePublishedSdk) {
    const struct {
        const char* name;
        int declared;
        int published;
    } numbers[] = {
        {"xpProperty_MainWindowHasCloseBoxes", xpProperty_MainWindowHasCloseBoxes, 1200},
        {"xpMessage_CloseButtonPushed", xpMessage_CloseButtonPushed, 1200},
        {"xpProperty_ButtonType", xpProperty_ButtonType, 1300},
        {"xpProperty_ButtonBehavior", xpProperty_ButtonBehavior, 1301},
        {"xpProperty_ButtonState", xpProperty_ButtonState, 1302},
        {"xpMsg_PushButtonPressed", xpMsg_PushButtonPressed, 1300},
        {"xpMsg_ButtonStateChanged", xpMsg_ButtonStateChanged, 1301},
        {"xpProperty_CaptionLit", xpProperty_CaptionLit, 1600},
    };
    for (const auto& n : numbers) EXPECT_EQ(n.declared, n.published) << n.name;
}
