// The records behind widget ids, shared by the widget functions and the
// message dispatch.
#pragma once

#include "simhost.h"

namespace simhost::detail {

struct WidgetRecord {
    Widget widget;
    bool live = false;
};

WidgetRecord* LiveWidget(XPWidgetID id);
WidgetRecord& AddWidgetRecord();
void NotifyWidgetObserver(XPWidgetID id);

// Sends a message in one of the SDK's dispatch modes; true when a callback
// handled it.
bool DispatchWidgetMessage(WidgetRecord& target, XPWidgetMessage message, XPDispatchMode mode,
                           intptr_t param1, intptr_t param2);

}  // namespace simhost::detail
