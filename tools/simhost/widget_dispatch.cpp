// Widget message dispatch and the user's clicks.
//
// Each widget that receives a message offers it to its callbacks from the
// most recently added to the oldest until one returns non-zero. Callbacks may
// add callbacks or destroy widgets meanwhile, so they are called from a copy
// and the walk stops at a widget that was destroyed. While the plugin is
// disabled no callback hears anything.
#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "widget_store.h"

namespace simhost {
namespace detail {
namespace {

enum class Offer { UntilHandled, ToAll, FirstOnly };

bool OfferToCallbacks(WidgetRecord& record, XPWidgetMessage message, intptr_t param1,
                      intptr_t param2, Offer offer) {
    if (!PluginCallable()) return false;  // a disabled plugin hears no message
    std::vector<XPWidgetFunc_t> callbacks = record.widget.callbacks;
    bool handled = false;
    for (XPWidgetFunc_t callback : callbacks) {
        if (!record.live && message != xpMsg_Destroy) break;
        if (callback(message, record.widget.id, param1, param2) != 0) {
            handled = true;
            if (offer == Offer::UntilHandled) break;
        }
        if (offer == Offer::FirstOnly) break;
    }
    return handled;
}

bool SendUpChain(WidgetRecord& target, XPWidgetMessage message, intptr_t param1, intptr_t param2) {
    for (WidgetRecord* record = &target; record != nullptr;
         record = LiveWidget(record->widget.parent)) {
        if (OfferToCallbacks(*record, message, param1, param2, Offer::UntilHandled)) return true;
    }
    return false;
}

// The target, then its children depth-first, whether or not one handles it.
bool SendRecursive(WidgetRecord& target, XPWidgetMessage message, intptr_t param1,
                   intptr_t param2) {
    bool handled = OfferToCallbacks(target, message, param1, param2, Offer::UntilHandled);
    std::vector<XPWidgetID> children = target.widget.children;
    for (XPWidgetID child : children) {
        if (WidgetRecord* record = LiveWidget(child))
            handled = SendRecursive(*record, message, param1, param2) || handled;
    }
    return handled;
}

// The user acts only on widgets that exist.
bool SendUserAction(XPWidgetID id, XPWidgetMessage message, intptr_t param2) {
    WidgetRecord* record = LiveWidget(id);
    if (record == nullptr) return false;
    return SendUpChain(*record, message, reinterpret_cast<intptr_t>(id), param2);
}

}  // namespace

bool DispatchWidgetMessage(WidgetRecord& target, XPWidgetMessage message, XPDispatchMode mode,
                           intptr_t param1, intptr_t param2) {
    switch (mode) {
        case xpMode_Direct:
            return OfferToCallbacks(target, message, param1, param2, Offer::UntilHandled);
        case xpMode_UpChain:
            return SendUpChain(target, message, param1, param2);
        case xpMode_Recursive:
            return SendRecursive(target, message, param1, param2);
        case xpMode_DirectAllCallbacks:
            return OfferToCallbacks(target, message, param1, param2, Offer::ToAll);
        case xpMode_Once:
            return OfferToCallbacks(target, message, param1, param2, Offer::FirstOnly);
        default:
            return false;
    }
}

}  // namespace detail

bool PushButton(XPWidgetID button) {
    return detail::SendUserAction(button, xpMsg_PushButtonPressed, 0);
}

bool ToggleCheckBox(XPWidgetID button) {
    if (detail::LiveWidget(button) == nullptr) return false;
    intptr_t state = XPGetWidgetProperty(button, xpProperty_ButtonState, nullptr) != 0 ? 0 : 1;
    XPSetWidgetProperty(button, xpProperty_ButtonState, state);
    return detail::SendUserAction(button, xpMsg_ButtonStateChanged, state);
}

bool PressCloseBox(XPWidgetID window) {
    return detail::SendUserAction(window, xpMessage_CloseButtonPushed, 0);
}

}  // namespace simhost
