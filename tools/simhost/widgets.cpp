// Widget registry and the control API's view of the widget tree.
#include "handle_arena.h"
#include "internal.h"
#include "simhost.h"
#include "widget_store.h"

namespace simhost {
namespace detail {
namespace {

HandleArena<WidgetRecord>& Arena() {
    static HandleArena<WidgetRecord> arena;
    return arena;
}

std::function<void(XPWidgetID)>& Observer() {
    static std::function<void(XPWidgetID)> observer;
    return observer;
}

}  // namespace

WidgetRecord* LiveWidget(XPWidgetID id) {
    WidgetRecord* record = Arena().Find(id);
    return record != nullptr && record->live ? record : nullptr;
}

WidgetRecord& AddWidgetRecord() {
    WidgetRecord& record = Arena().Add();
    record.widget.id = &record;
    record.live = true;
    return record;
}

void NotifyWidgetObserver(XPWidgetID id) {
    if (Observer()) Observer()(id);
}

// Forgets every widget without calling any widget callback: the plugin that
// owns them may already be stopped.
void ResetWidgets() {
    for (WidgetRecord& record : Arena().Records()) {
        record.live = false;
        record.widget.children.clear();
        record.widget.callbacks.clear();
        record.widget.parent = nullptr;
    }
}

}  // namespace detail

std::vector<XPWidgetID> Widgets() {
    std::vector<XPWidgetID> ids;
    for (detail::WidgetRecord& record : detail::Arena().Records()) {
        if (record.live) ids.push_back(record.widget.id);
    }
    return ids;
}

const Widget* FindWidget(XPWidgetID id) {
    detail::WidgetRecord* record = detail::LiveWidget(id);
    return record != nullptr ? &record->widget : nullptr;
}

XPWidgetID FindWidgetByDescriptor(const std::string& text) {
    for (detail::WidgetRecord& record : detail::Arena().Records()) {
        if (record.live && record.widget.descriptor == text) return record.widget.id;
    }
    return nullptr;
}

bool IsShown(XPWidgetID id) {
    detail::WidgetRecord* record = detail::LiveWidget(id);
    if (record == nullptr) return false;
    for (; record != nullptr; record = detail::LiveWidget(record->widget.parent)) {
        if (!record->widget.visible) return false;
    }
    return true;
}

void SetWidgetObserver(std::function<void(XPWidgetID)> observer) {
    detail::Observer() = std::move(observer);
}

}  // namespace simhost
