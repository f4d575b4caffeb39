// Whole-state resets.
#include "internal.h"
#include "observers.h"
#include "simhost.h"

namespace simhost {

void Reset() {
    detail::ResetDataRefs();
    detail::ResetCommands();
    detail::ResetFlightLoops();
    detail::ResetMenus();
    detail::ResetWidgets();
    detail::ResetPluginInfo();
    detail::ResetPluginState();
    detail::ResetFeatures();
    SetWidgetObserver(nullptr);
    detail::ResetObservers();
    SetDebugStringObserver(nullptr);
}

void ForgetPlugin() {
    detail::ForgetPluginDataRefs();
    detail::ForgetCommandHandlers();
    for (const FlightLoop& loop : FlightLoops())
        XPLMUnregisterFlightLoopCallback(loop.callback, loop.refcon);
    detail::ResetMenus();
    detail::ResetWidgets();
    detail::ForgetPluginFeatures();
    detail::ResetPluginState();
}

}  // namespace simhost
