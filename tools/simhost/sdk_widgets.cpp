// The XPWidgets functions. Operations on a destroyed or unknown widget do
// nothing; the observer hears of every change of a text or of what is shown.
#include <algorithm>
#include <cstring>

#include "XPWidgets.h"
#include "widget_store.h"

namespace {

using simhost::detail::LiveWidget;
using simhost::detail::NotifyWidgetObserver;
using simhost::detail::WidgetRecord;

void Detach(WidgetRecord& record) {
    if (WidgetRecord* parent = LiveWidget(record.widget.parent)) {
        std::vector<XPWidgetID>& siblings = parent->widget.children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), record.widget.id),
                       siblings.end());
    }
    record.widget.parent = nullptr;
}

// The widget's callbacks hear xpMsg_Destroy first (param1 1 when a parent's
// destruction takes it along); children go with it or lose their parent.
void Destroy(WidgetRecord& record, bool withChildren, bool byParent) {
    simhost::detail::DispatchWidgetMessage(record, xpMsg_Destroy, xpMode_DirectAllCallbacks,
                                           byParent ? 1 : 0, 0);
    if (!record.live) return;  // a callback destroyed it already
    std::vector<XPWidgetID> children = record.widget.children;
    for (XPWidgetID child : children) {
        WidgetRecord* childRecord = LiveWidget(child);
        if (childRecord == nullptr) continue;
        if (withChildren) {
            Destroy(*childRecord, true, true);
        } else {
            childRecord->widget.parent = nullptr;
        }
    }
    Detach(record);
    record.live = false;
    record.widget.children.clear();
    record.widget.callbacks.clear();
    NotifyWidgetObserver(record.widget.id);
}

void SetVisible(XPWidgetID id, bool visible) {
    WidgetRecord* record = LiveWidget(id);
    if (record == nullptr || record->widget.visible == visible) return;
    record->widget.visible = visible;
    NotifyWidgetObserver(id);
    simhost::detail::DispatchWidgetMessage(*record, visible ? xpMsg_Shown : xpMsg_Hidden,
                                           xpMode_UpChain, reinterpret_cast<intptr_t>(id), 0);
}

}  // namespace

XPWidgetID XPCreateWidget(int inLeft, int inTop, int inRight, int inBottom, int inVisible,
                          const char* inDescriptor, int inIsRoot, XPWidgetID inContainer,
                          XPWidgetClass inClass) {
    WidgetRecord& record = simhost::detail::AddWidgetRecord();
    simhost::Widget& widget = record.widget;
    widget.left = inLeft;
    widget.top = inTop;
    widget.right = inRight;
    widget.bottom = inBottom;
    widget.visible = inVisible != 0;
    widget.isRoot = inIsRoot != 0;
    widget.widgetClass = inClass;
    widget.descriptor = inDescriptor != nullptr ? inDescriptor : "";
    if (WidgetRecord* parent = LiveWidget(inContainer)) {
        widget.parent = inContainer;
        parent->widget.children.push_back(widget.id);
    }
    NotifyWidgetObserver(widget.id);
    return widget.id;
}

void XPDestroyWidget(XPWidgetID inWidget, int inDestroyChildren) {
    if (WidgetRecord* record = LiveWidget(inWidget))
        Destroy(*record, inDestroyChildren != 0, false);
}

int XPSendMessageToWidget(XPWidgetID inWidget, XPWidgetMessage inMessage, XPDispatchMode inMode,
                          intptr_t inParam1, intptr_t inParam2) {
    WidgetRecord* record = LiveWidget(inWidget);
    if (record == nullptr) return 0;
    return simhost::detail::DispatchWidgetMessage(*record, inMessage, inMode, inParam1, inParam2)
               ? 1
               : 0;
}

void XPShowWidget(XPWidgetID inWidget) {
    SetVisible(inWidget, true);
}

void XPHideWidget(XPWidgetID inWidget) {
    SetVisible(inWidget, false);
}

// Visible to the user: the widget and every parent are visible.
int XPIsWidgetVisible(XPWidgetID inWidget) {
    return simhost::IsShown(inWidget) ? 1 : 0;
}

void XPSetWidgetDescriptor(XPWidgetID inWidget, const char* inDescriptor) {
    WidgetRecord* record = LiveWidget(inWidget);
    if (record == nullptr) return;
    std::string text = inDescriptor != nullptr ? inDescriptor : "";
    bool changed = record->widget.descriptor != text;
    record->widget.descriptor = std::move(text);
    if (changed) NotifyWidgetObserver(inWidget);
    simhost::detail::DispatchWidgetMessage(*record, xpMsg_DescriptorChanged, xpMode_Direct, 0, 0);
}

// strncpy semantics, as published: a descriptor that fills the buffer is not
// terminated. Returns the descriptor's full length.
int XPGetWidgetDescriptor(XPWidgetID inWidget, char* outDescriptor, int inMaxDescLength) {
    WidgetRecord* record = LiveWidget(inWidget);
    if (record == nullptr) {
        if (outDescriptor != nullptr && inMaxDescLength > 0) outDescriptor[0] = '\0';
        return 0;
    }
    const std::string& text = record->widget.descriptor;
    int length = static_cast<int>(text.size());
    if (outDescriptor != nullptr && inMaxDescLength > 0) {
        int copied = std::min(length, inMaxDescLength);
        std::memcpy(outDescriptor, text.data(), copied);
        if (copied < inMaxDescLength) outDescriptor[copied] = '\0';
    }
    return length;
}

void XPSetWidgetProperty(XPWidgetID inWidget, XPWidgetPropertyID inProperty, intptr_t inValue) {
    WidgetRecord* record = LiveWidget(inWidget);
    if (record == nullptr) return;
    record->widget.properties[inProperty] = inValue;
    simhost::detail::DispatchWidgetMessage(*record, xpMsg_PropertyChanged, xpMode_Direct,
                                           inProperty, inValue);
}

intptr_t XPGetWidgetProperty(XPWidgetID inWidget, XPWidgetPropertyID inProperty, int* inExists) {
    if (inExists != nullptr) *inExists = 0;
    WidgetRecord* record = LiveWidget(inWidget);
    if (record == nullptr) return 0;
    auto found = record->widget.properties.find(inProperty);
    if (found == record->widget.properties.end()) return 0;
    if (inExists != nullptr) *inExists = 1;
    return found->second;
}

// The newest callback is offered messages first; it hears xpMsg_Create with
// param1 1, as a callback attached to an existing widget does.
void XPAddWidgetCallback(XPWidgetID inWidget, XPWidgetFunc_t inNewCallback) {
    WidgetRecord* record = LiveWidget(inWidget);
    if (record == nullptr || inNewCallback == nullptr) return;
    std::vector<XPWidgetFunc_t>& callbacks = record->widget.callbacks;
    callbacks.insert(callbacks.begin(), inNewCallback);
    if (simhost::PluginCallable()) inNewCallback(xpMsg_Create, inWidget, 1, 0);
}
