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
    if (set.element < 0) {
        Say("%sset %s = %g\n", TimeStamp(now).c_str(), set.name.c_str(), set.value);
        simhost::SetValue(set.name, set.value);
    } else {
        Say("%sset %s[%d] = %g\n", TimeStamp(now).c_str(), set.name.c_str(), set.element,
            set.value);
        simhost::SetElement(set.name, set.element, set.value);
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
    for (const MenuChoice& menu : menus) {
        Event event;
        event.at = menu.at;
        event.isMenu = true;
        event.menu = menu;
        events_.push_back(event);
    }
    for (const MessageSend& message : messages) {
        Event event;
        event.at = message.at;
        event.message = message;
        events_.push_back(event);
    }
    for (const DatarefSet& set : sets) {
        Event event;
        event.at = set.at;
        event.isSet = true;
        event.set = set;
        events_.push_back(event);
    }
    for (const CommandRun& command : commands) {
        Event event;
        event.at = command.at;
        event.isCommand = true;
        event.command = command;
        events_.push_back(event);
    }
    // Equal times keep this order: menus, messages, sets, then commands.
    std::stable_sort(events_.begin(), events_.end(),
                     [](const Event& a, const Event& b) { return a.at < b.at; });
}

void EventSchedule::RunDue(double now, simhost::PluginModule& module) {
    for (Event& event : events_) {
        if (event.done || event.at > now + 1e-9) continue;
        event.done = true;
        Perform(event, now, module);
    }
}

void EventSchedule::Perform(const Event& event, double now, simhost::PluginModule& module) const {
    if (event.isMenu) {
        ChooseMenu(event.menu, now);
    } else if (event.isSet) {
        SetDataref(event.set, now);
    } else if (event.isCommand) {
        RunCommand(event.command, now);
    } else {
        SendMessageNow(event.message, now, module);
    }
}

void EventSchedule::ReportPending() const {
    for (const Event& event : events_) {
        if (event.done) continue;
        if (event.isMenu) {
            Say("menu %s at %.3f s not reached: the run ended first\n", event.menu.item.c_str(),
                event.at);
        } else if (event.isSet) {
            Say("set %s at %.3f s not reached: the run ended first\n", event.set.name.c_str(),
                event.at);
        } else if (event.isCommand) {
            Say("command %s at %.3f s not reached: the run ended first\n",
                event.command.name.c_str(), event.at);
        } else {
            Say("message %d at %.3f s not reached: the run ended first\n", event.message.message,
                event.at);
        }
    }
}

}  // namespace kestrix_sim
