#include "host/plugin_menu.h"

#include <cstring>

#include "XPLMMenus.h"
#include "XPLMPlugin.h"
#include "XPWidgets.h"
#include "base/guard.h"
#include "host/lifecycle.h"
#include "ui/status_window.h"

namespace {

// Item references handed to the simulator; compared as strings when chosen.
char kStatusRef[] = "1";
char kReconnectRef[] = "2";
char kReloadRef[] = "3";

void ShowStatusFromMenu() {
    if (window.InstructionsWidget && !XPIsWidgetVisible(window.InstructionsWidget)) {
        XPShowWidget(window.InstructionsWidget);
    }
}

}  // namespace

void CreatePluginMenu() {
    XPLMMenuID plugins = XPLMFindPluginsMenu();
    int item = XPLMAppendMenuItem(plugins, "Kestrix", nullptr, 0);
    XPLMMenuID menu = XPLMCreateMenu("Kestrix", plugins, item, InstructionsMenuHandler, nullptr);
    XPLMAppendMenuItem(menu, "Status", kStatusRef, 0);
    XPLMAppendMenuItem(menu, "Reconnect", kReconnectRef, 0);
    XPLMAppendMenuItem(menu, "Reload Plugins", kReloadRef, 0);
}

void InstructionsMenuHandler(void* /*menuRef*/, void* itemRef) {
    Guarded("menu", [&] {
        const char* ref = static_cast<const char*>(itemRef);
        if (ref == nullptr) return;
        if (std::strcmp(ref, "1") == 0) {
            ShowStatusFromMenu();
        } else if (std::strcmp(ref, "2") == 0) {
            ResetPlugin();
        } else if (std::strcmp(ref, "3") == 0) {
            XPLMReloadPlugins();
        }
    });
}
