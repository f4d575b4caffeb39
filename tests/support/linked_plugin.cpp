// The entry points of the plugin code linked into an in-process test.
#include "XPLMPlugin.h"
#include "plugin_harness.h"
#include "transport/serial.h"

PLUGIN_API int XPluginStart(char*, char*, char*);
PLUGIN_API void XPluginStop(void);
PLUGIN_API int XPluginEnable(void);
PLUGIN_API void XPluginDisable(void);
PLUGIN_API void XPluginReceiveMessage(XPLMPluginID, int, void*);

namespace testenv {

simhost::PluginModule LinkedPlugin() {
    simhost::PluginModule module;
    module.start = XPluginStart;
    module.stop = XPluginStop;
    module.enable = XPluginEnable;
    module.disable = XPluginDisable;
    module.receive = XPluginReceiveMessage;
    return module;
}

void PointSerialScanAt(const std::string& dir) {
    serial.deviceDir = dir;
}

}  // namespace testenv
