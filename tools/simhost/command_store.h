// The records behind command handles.
#pragma once

#include <string>
#include <vector>

#include "XPLMUtilities.h"
#include "simhost.h"

namespace simhost::detail {

struct CommandHandler {
    XPLMCommandCallback_f callback = nullptr;
    bool before = false;
    void* refcon = nullptr;

    bool operator==(const CommandHandler& other) const {
        return callback == other.callback && before == other.before && refcon == other.refcon;
    }
};

struct CommandRecord {
    std::string name;
    std::string description;
    bool live = false;
    std::vector<CommandHandler> handlers;  // in registration order
    CommandCounts counts;
};

CommandRecord* LiveCommand(XPLMCommandRef handle);
CommandRecord* LiveCommand(const std::string& name);
// Creates the command, or revives it under its old handle, or returns the
// live one (whose description is kept).
CommandRecord& MakeCommand(const std::string& name, const std::string& description);

// The SDK's and the control API's ways of running a command.
void RunCommandOnce(CommandRecord& command);
void RunCommandBegin(CommandRecord& command);
void RunCommandEnd(CommandRecord& command);

}  // namespace simhost::detail
