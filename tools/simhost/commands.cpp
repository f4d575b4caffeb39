// Command registry and the simulator's way of running a command: handlers
// registered "before" run first, newest first, then the simulator's own
// action, then the "after" handlers, newest first. A handler that returns 0
// stops everything after it in that phase. While the plugin is disabled only
// the simulator's own action runs.
#include <algorithm>
#include <unordered_map>

#include "command_store.h"
#include "handle_arena.h"
#include "internal.h"
#include "simhost.h"

namespace simhost {
namespace detail {
namespace {

struct CommandRegistry {
    HandleArena<CommandRecord> arena;
    std::unordered_map<std::string, CommandRecord*> byName;
};

CommandRegistry& Registry() {
    static CommandRegistry registry;
    return registry;
}

bool IsRegistered(const CommandRecord& command, const CommandHandler& handler) {
    const std::vector<CommandHandler>& handlers = command.handlers;
    return std::find(handlers.begin(), handlers.end(), handler) != handlers.end();
}

// Calls the handlers of one kind, newest first, skipping any that an earlier
// handler unregistered. False when one of them stopped the command. A
// disabled plugin's handlers are not called at all.
bool CallHandlers(CommandRecord& command, const std::vector<CommandHandler>& snapshot, bool before,
                  XPLMCommandPhase phase) {
    if (!PluginCallable()) return true;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        if (it->before != before || !IsRegistered(command, *it)) continue;
        if (it->callback(&command, phase, it->refcon) == 0) return false;
    }
    return true;
}

// One phase through every handler. Handlers may register, unregister or run
// other commands meanwhile, so they are called from a snapshot.
void RunPhase(CommandRecord& command, XPLMCommandPhase phase) {
    std::vector<CommandHandler> snapshot = command.handlers;
    if (!CallHandlers(command, snapshot, true, phase)) return;
    // The simulator acts on a command when it is pressed; simActions counts
    // the presses that reached it.
    if (phase == xplm_CommandBegin) ++command.counts.simActions;
    CallHandlers(command, snapshot, false, phase);
}

}  // namespace

CommandRecord* LiveCommand(XPLMCommandRef handle) {
    CommandRecord* record = Registry().arena.Find(handle);
    return record != nullptr && record->live ? record : nullptr;
}

CommandRecord* LiveCommand(const std::string& name) {
    auto found = Registry().byName.find(name);
    if (found == Registry().byName.end() || !found->second->live) return nullptr;
    return found->second;
}

CommandRecord& MakeCommand(const std::string& name, const std::string& description) {
    CommandRegistry& registry = Registry();
    auto found = registry.byName.find(name);
    CommandRecord* record = found != registry.byName.end() ? found->second : nullptr;
    if (record == nullptr) {
        record = &registry.arena.Add();
        record->name = name;
        registry.byName.emplace(name, record);
    }
    if (!record->live) {
        record->live = true;
        record->description = description;
    }
    return *record;
}

void RunCommandOnce(CommandRecord& command) {
    ++command.counts.once;
    RunPhase(command, xplm_CommandBegin);
    RunPhase(command, xplm_CommandEnd);
}

void RunCommandBegin(CommandRecord& command) {
    ++command.counts.begin;
    command.counts.held = true;
    RunPhase(command, xplm_CommandBegin);
}

// An end without a begin is counted but sends no end phase: handlers never
// see a release of a command that was not pressed.
void RunCommandEnd(CommandRecord& command) {
    ++command.counts.end;
    if (!command.counts.held) return;
    command.counts.held = false;
    RunPhase(command, xplm_CommandEnd);
}

void ContinueHeldCommands() {
    std::deque<CommandRecord>& records = Registry().arena.Records();
    // By index: a handler may create commands while this runs.
    size_t count = records.size();
    for (size_t i = 0; i < count; ++i) {
        CommandRecord& command = records[i];
        if (command.live && command.counts.held) RunPhase(command, xplm_CommandContinue);
    }
}

void ResetCommands() {
    for (CommandRecord& command : Registry().arena.Records()) {
        command.live = false;
        command.handlers.clear();
        command.counts = CommandCounts();
    }
}

void ForgetCommandHandlers() {
    for (CommandRecord& command : Registry().arena.Records()) command.handlers.clear();
}

}  // namespace detail

XPLMCommandRef AddCommand(const std::string& name, const std::string& description) {
    if (name.empty()) return nullptr;
    return &detail::MakeCommand(name, description);
}

bool HasCommand(const std::string& name) {
    return detail::LiveCommand(name) != nullptr;
}

CommandCounts Counts(const std::string& name) {
    detail::CommandRecord* command = detail::LiveCommand(name);
    return command != nullptr ? command->counts : CommandCounts();
}

int HandlerCount(const std::string& name) {
    detail::CommandRecord* command = detail::LiveCommand(name);
    return command != nullptr ? static_cast<int>(command->handlers.size()) : 0;
}

void CommandOnce(const std::string& name) {
    if (detail::CommandRecord* command = detail::LiveCommand(name)) RunCommandOnce(*command);
}

void CommandBegin(const std::string& name) {
    if (detail::CommandRecord* command = detail::LiveCommand(name)) RunCommandBegin(*command);
}

void CommandEnd(const std::string& name) {
    if (detail::CommandRecord* command = detail::LiveCommand(name)) RunCommandEnd(*command);
}

}  // namespace simhost
