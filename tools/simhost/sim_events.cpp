#include "sim_events.h"

#include "sim_say.h"

#include <algorithm>
#include <cstdio>

namespace kestrix_sim {
namespace {

// The menu named in the choice, or the first submenu under Plugins.
std::string MenuNameFor(const MenuChoice& choice) {
    if (!choice.menu.empty()) return choice.menu;
    for (const simhost::MenuItem& item : simhost::MenuItems(simhost::PluginsMenu())) {
        if (item.submenu != nullptr) return item.name;
    }
    return std::string();
}

void ChooseMenu(const MenuChoice& choice, double now) {
    std::string menu = MenuNameFor(choice);
    Say("%smenu Plugins > %s > %s\n", TimeStamp(now).c_str(),
        menu.empty() ? "(no menu)" : menu.c_str(), choice.item.c_str());
    if (menu.empty() || !simhost::ChooseMenuItem(menu, choice.item))
        Say("%smenu item not found\n", TimeStamp(now).c_str());
}

const char* MessageName(int message) {
    switch (message) {
        case 101:
            return "XPLM_MSG_PLANE_CRASHED";
        case 102:
            return "XPLM_MSG_PLANE_LOADED";
        case 103:
            return "XPLM_MSG_AIRPORT_LOADED";
        case 104:
            return "XPLM_MSG_SCENERY_LOADED";
        case 105:
            return "XPLM_MSG_AIRPLANE_COUNT_CHANGED";
        case 106:
            return "XPLM_MSG_PLANE_UNLOADED";
        case 107:
            return "XPLM_MSG_WILL_WRITE_PREFS";
        case 108:
            return "XPLM_MSG_LIVERY_LOADED";
        default:
            return nullptr;
    }
}

void SendMessageNow(const MessageSend& send, double now, simhost::PluginModule& module) {
    const char* name = MessageName(send.message);
    Say("%smessage %d%s%s%s\n", TimeStamp(now).c_str(), send.message, name ? " (" : "",
        name ? name : "", name ? ")" : "");
    simhost::SendMessage(module, send.message);
}

void SetDataref(const DatarefSet& set, double now) {
    if (!simhost::HasDataRef(set.name)) {
        Say("%sset %s: no such dataref\n", TimeStamp(now).c_str(), set.name.c_str());
        return;
    }
    if (set.element == 0) {
        Say("%sset %s = %g\n", TimeStamp(now).c_str(), set.name.c_str(), set.value);
        simhost::SetValue(set.name, set.value);
    } else {
        Say("%sset %s[%d] = %g\n", TimeStamp(now).c_str(), set.name.c_str(), set.element,
            set.value);
        simhost::SetElement(set.name, set.element - 1, set.value);  // counted from 1
    }
}

void RunCommand(const CommandRun& run, double now) {
    if (!simhost::HasCommand(run.name)) {
        Say("%scommand %s: no such command\n", TimeStamp(now).c_str(), run.name.c_str());
        return;
    }
    Say("%spilot runs %s once\n", TimeStamp(now).c_str(), run.name.c_str());
    simhost::CommandOnce(run.name);
}

}  // namespace

std::string TimeStamp(double now) {
    char text[32];
    std::snprintf(text, sizeof text, "[%9.3f s] ", now);
    return text;
}

EventSchedule::EventSchedule(std::vector<MenuChoice> menus, std::vector<MessageSend> messages,
                             std::vector<DatarefSet> sets, std::vector<CommandRun> commands) {
    for (const MenuChoice& menu : menus) Add(Kind::Menu, menu.at).menu = menu;
    for (const MessageSend& message : messages) Add(Kind::Message, message.at).message = message;
    for (const DatarefSet& set : sets) Add(Kind::Set, set.at).set = set;
    for (const CommandRun& command : commands) Add(Kind::Command, command.at).command = command;
    // Equal times keep this order: menus, messages, sets, then commands.
    std::stable_sort(events_.begin(), events_.end(),
                     [](const Event& a, const Event& b) { return a.at < b.at; });
}

EventSchedule::Event& EventSchedule::Add(Kind kind, double at) {
    Event& event = events_.emplace_back();
    event.kind = kind;
    event.at = at;
    return event;
}

void EventSchedule::AddTyped(const TypedLine& line, double now) {
    switch (line.kind) {
        case TypedLine::Kind::Set:
            Add(Kind::Set, now).set = line.set;
            break;
        case TypedLine::Kind::Command:
            Add(Kind::Command, now).command = line.command;
            break;
        case TypedLine::Kind::Menu:
            Add(Kind::Menu, now).menu = line.menu;
            break;
    }
}

void EventSchedule::RunDue(double now, simhost::PluginModule& module) {
    for (Event& event : events_) {
        if (event.done || event.at > now + 1e-9) continue;
        event.done = true;
        Perform(event, now, module);
    }
}

void EventSchedule::Perform(const Event& event, double now, simhost::PluginModule& module) const {
    switch (event.kind) {
        case Kind::Menu:
            return ChooseMenu(event.menu, now);
        case Kind::Message:
            return SendMessageNow(event.message, now, module);
        case Kind::Set:
            return SetDataref(event.set, now);
        case Kind::Command:
            return RunCommand(event.command, now);
    }
}

std::string EventSchedule::Describe(const Event& event) {
    switch (event.kind) {
        case Kind::Menu:
            return "menu " + event.menu.item;
        case Kind::Message:
            return "message " + std::to_string(event.message.message);
        case Kind::Set:
            return "set " + event.set.name;
        case Kind::Command:
            return "command " + event.command.name;
    }
    return std::string();
}

void EventSchedule::ReportPending() const {
    for (const Event& event : events_) {
        if (event.done) continue;
        Say("%s at %.3f s not reached: the run ended first\n", Describe(event).c_str(), event.at);
    }
}

}  // namespace kestrix_sim
