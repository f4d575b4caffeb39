// What the status window's controls do.
#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "base/guard.h"
#include "base/plugin_state.h"
#include "base/settings.h"
#include "base/settings_file.h"
#include "ui/status_window.h"

namespace {

const char* PausedCaption(int n) {
    if (n == 2) return " <<< Kestrix Paused >>> ";
    if (n == 4) return " Press \"Reconnect\" to resume work";
    return " ";
}

// Only the captions change (line 0 keeps its text); the line texts stay for
// the next startup to blank.
void ShowPausedNotice() {
    for (int n = 1; n < kStatusLines; ++n) {
        if (window.InstructionsTextWidget[n]) {
            XPSetWidgetDescriptor(window.InstructionsTextWidget[n], PausedCaption(n));
        }
    }
}

}  // namespace

int CloseWindowHandler(XPWidgetMessage message, XPWidgetID widget, intptr_t, intptr_t) {
    return Guarded("window close box", 0, [&] {
        if (message != xpMessage_CloseButtonPushed) return 0;
        if (window.gMenuItem == 1) XPHideWidget(widget);
        return 1;
    });
}

int ToggleWindow(XPWidgetMessage message, XPWidgetID, intptr_t, intptr_t param2) {
    return Guarded("window check box", 0, [&] {
        if (message != xpMsg_ButtonStateChanged) return 0;
        RewriteWindowOnConnect(param2 != 0);
        return 1;
    });
}

int ToggleEnableUSB(XPWidgetMessage message, XPWidgetID, intptr_t, intptr_t param2) {
    return Guarded("USB check box", 0, [&] {
        if (message != xpMsg_ButtonStateChanged) return 0;
        RewriteUsbDeviceCount(param2 != 0);
        return 1;
    });
}

int ToggleUSBHandler(XPWidgetMessage message, XPWidgetID, intptr_t, intptr_t) {
    return Guarded("PAUSE button", 0, [&] {
        if (message != xpMsg_PushButtonPressed) return 0;
        pluginState.PluginPaused = true;
        ShowPausedNotice();
        return 1;
    });
}
