#include "ui/status_window.h"

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "base/feature_level.h"
#include "base/plugin_state.h"
#include "base/settings.h"

WindowState window;

namespace {

const std::string kSeparator(91, '-');
constexpr const char* kNotice[] = {
    "Kestrix is free software for home cockpit builders, provided as is.",
    "It gives no warranty and never replaces certified avionics or training.",
    "Your boards, their firmware and your data.cfg are yours to check.",
};
constexpr const char* kWebsiteLine =
    "You can find all information, guides and updates on Lumora website.";
// A check box draws its text over itself: the blanks keep it clear of the box.
constexpr const char* kCheckboxText = "    Open this window when connection is established";
constexpr const char* kUsbCheckboxText =
    "    Enable USB (disable before uploading code to Arduino)";
constexpr int kLineSpacing = 18;

XPWidgetID Caption(int left, int top, int right, int bottom, const std::string& text) {
    return XPCreateWidget(left, top, right, bottom, 1, text.c_str(), 0, window.InstructionsWidget,
                          xpWidgetClass_Caption);
}

XPWidgetID Button(int left, int top, int right, int bottom, const char* text, int type,
                  int behavior) {
    XPWidgetID button = XPCreateWidget(left, top, right, bottom, 1, text, 0,
                                       window.InstructionsWidget, xpWidgetClass_Button);
    XPSetWidgetProperty(button, xpProperty_ButtonType, type);
    XPSetWidgetProperty(button, xpProperty_ButtonBehavior, behavior);
    return button;
}

void CreateHeader(int L, int T, int R) {
    Caption(L + 20, T - 50, R - 20, T - 62, kSeparator);
    for (int line = 0; line < 3; ++line) {
        int top = T - 70 - kLineSpacing * line;
        Caption(L + 20, top, R - 20, top - 12, kNotice[line]);
    }
    Caption(L + 20, T - 124, R - 20, T - 136, kWebsiteLine);
    Caption(L + 20, T - 142, R - 20, T - 154, kSeparator);
    Caption(L + 20, T - 160, R - 20, T - 172, "IP address: ");
    Caption(L + 240, T - 160, R - 20, T - 172, "Serial ports: ");
    Caption(L + 20, T - 178, R - 20, T - 190, kSeparator);
    Caption(L + 20, T - 200, R - 20, T - 212, "Connected to:");
    Caption(L + 20, T - 394, R - 20, T - 406, kSeparator);
}

void CreateValuesAndLines(int L, int T, int R) {
    // The earlier level has the USB switch where the auto-open box is now.
    const char* text = kFeatures.windowOnConnect ? kCheckboxText : kUsbCheckboxText;
    XPWidgetID box =
        Button(L + 20, T - 418, L + 40, T - 430, text, xpRadioButton, xpButtonBehaviorCheckBox);
    (kFeatures.windowOnConnect ? window.WindowCheckbox : window.UsbCheckbox) = box;
    window.DetectedPortsWidget[0] = Caption(L + 80, T - 160, R - 20, T - 172, "");
    window.DetectedPortsWidget[1] = Caption(L + 310, T - 160, R - 20, T - 172, "");
    for (int k = 0; k < kStatusLines; ++k) {
        int top = T - 200 - kLineSpacing * k;
        window.InstructionsTextWidget[k] = Caption(L + 20, top, R - 20, top - 12, "");
    }
}

void CreatePauseButton(int L, int T) {
    window.ToggleUSB = Button(L + 300, T - 200, L + 390, T - 212, "PAUSE", xpPushButton,
                              xpButtonBehaviorPushButton);
    XPSetWidgetProperty(window.ToggleUSB, xpProperty_ButtonState,
                        settings.USBcountVar >= 1 ? 1 : 0);
}

void CreateButtons(int L, int T) {
    if (kFeatures.pauseButton) CreatePauseButton(L, T);
    window.ReconnectButton = Button(L + 300, T - 28, L + 390, T - 48, "Reconnect", xpPushButton,
                                    xpButtonBehaviorPushButton);
}

}  // namespace

void CreateInstructionsWidget(int left, int top, int width, int height) {
    const int L = left, T = top, R = left + width, B = top - height;
    std::string title = "Kestrix v" + plugin_ver;
    window.InstructionsWidget =
        XPCreateWidget(L, T, R, B, 0, title.c_str(), 1, nullptr, xpWidgetClass_MainWindow);
    XPSetWidgetProperty(window.InstructionsWidget, xpProperty_MainWindowHasCloseBoxes, 1);
    CreateHeader(L, T, R);
    CreateValuesAndLines(L, T, R);
    CreateButtons(L, T);
    if (window.WindowCheckbox) XPAddWidgetCallback(window.WindowCheckbox, ToggleWindow);
    if (window.UsbCheckbox) XPAddWidgetCallback(window.UsbCheckbox, ToggleEnableUSB);
    if (window.ToggleUSB) XPAddWidgetCallback(window.ToggleUSB, ToggleUSBHandler);
    XPAddWidgetCallback(window.InstructionsWidget, CloseWindowHandler);
}

void SetStatusLine(int n, const std::string& text) {
    if (n < 0 || n >= kStatusLines) return;
    if (window.InstructionsText.size() < static_cast<std::size_t>(kStatusLines)) {
        window.InstructionsText.resize(kStatusLines, "   ");
    }
    window.InstructionsText[n] = text;
    if (window.InstructionsTextWidget[n]) {
        XPSetWidgetDescriptor(window.InstructionsTextWidget[n], text.c_str());
    }
}

std::string StatusLine(int n) {
    if (n < 0 || static_cast<std::size_t>(n) >= window.InstructionsText.size()) return "";
    return window.InstructionsText[n];
}

void BlankStatusLines() {
    window.InstructionsText.clear();
    for (int n = 0; n < kStatusLines; ++n) SetStatusLine(n, "   ");
}

void ShowStatusWindow() {
    if (window.InstructionsWidget) XPShowWidget(window.InstructionsWidget);
}

namespace {

class WindowSink : public StatusLineSink {
  public:
    void SetStatusLine(int n, const std::string& text) override { ::SetStatusLine(n, text); }
    void ShowStatusWindow() override { ::ShowStatusWindow(); }
};

}  // namespace

StatusLineSink& WindowStatusLines() {
    static WindowSink sink;
    return sink;
}
