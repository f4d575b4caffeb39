// The status window: version, address in use, serial ports, and the status
// lines of the boards that have connected.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "XPWidgetDefs.h"
#include "config/status_sink.h"

inline constexpr int kStatusLines = 11;

struct WindowState {
    int gMenuItem = 0;  // 1 while the window exists
    XPWidgetID InstructionsWidget = nullptr;
    std::array<XPWidgetID, kStatusLines> InstructionsTextWidget{};
    std::vector<std::string> InstructionsText;        // texts of the 11 status lines
    std::array<XPWidgetID, 2> DetectedPortsWidget{};  // address in use, serial ports
    XPWidgetID WindowCheckbox = nullptr;  // "Open this window ..." (null at the earlier level)
    XPWidgetID UsbCheckbox = nullptr;     // "Enable USB ..." (the earlier level only)
    XPWidgetID ToggleUSB = nullptr;       // the PAUSE button (null at the earlier level)
    XPWidgetID ReconnectButton = nullptr;
};

extern WindowState window;

// Builds the window (hidden) and stores its widget ids. The Reconnect
// button's callback restarts the whole plugin, so the host attaches it.
void CreateInstructionsWidget(int left, int top, int width, int height);

// Sets status line n's text and caption; lines outside the window are ignored.
void SetStatusLine(int n, const std::string& text);
// Text of status line n, or an empty string outside the window.
std::string StatusLine(int n);
// Empties the line texts and blanks every caption (the startup sequence).
void BlankStatusLines();
// Shows the window if it exists.
void ShowStatusWindow();

// The window as the parser's status-line sink: the lines above, and showing
// the window.
StatusLineSink& WindowStatusLines();

// Widget callbacks.
int CloseWindowHandler(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                       intptr_t param2);
int ToggleWindow(XPWidgetMessage message, XPWidgetID widget, intptr_t param1, intptr_t param2);
int ToggleEnableUSB(XPWidgetMessage message, XPWidgetID widget, intptr_t param1, intptr_t param2);
int ToggleUSBHandler(XPWidgetMessage message, XPWidgetID widget, intptr_t param1, intptr_t param2);
