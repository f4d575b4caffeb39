// The command functions of XPLMUtilities.
#include "XPLMUtilities.h"
#include "command_store.h"
#include "observers.h"

using simhost::detail::CommandHandler;
using simhost::detail::CommandRecord;
using simhost::detail::LiveCommand;

XPLMCommandRef XPLMFindCommand(const char* inName) {
    if (inName == nullptr) return nullptr;
    return LiveCommand(std::string(inName));
}

void XPLMCommandBegin(XPLMCommandRef inCommand) {
    CommandRecord* command = LiveCommand(inCommand);
    if (command == nullptr) return;
    simhost::detail::NotifyCommandCall(command->name, simhost::CommandCall::Begin);
    RunCommandBegin(*command);
}

void XPLMCommandEnd(XPLMCommandRef inCommand) {
    CommandRecord* command = LiveCommand(inCommand);
    if (command == nullptr) return;
    simhost::detail::NotifyCommandCall(command->name, simhost::CommandCall::End);
    RunCommandEnd(*command);
}

void XPLMCommandOnce(XPLMCommandRef inCommand) {
    CommandRecord* command = LiveCommand(inCommand);
    if (command == nullptr) return;
    simhost::detail::NotifyCommandCall(command->name, simhost::CommandCall::Once);
    RunCommandOnce(*command);
}

XPLMCommandRef XPLMCreateCommand(const char* inName, const char* inDescription) {
    if (inName == nullptr || inName[0] == '\0') return nullptr;
    return &simhost::detail::MakeCommand(inName, inDescription != nullptr ? inDescription : "");
}

// Registering the same handler, phase and refcon twice keeps one entry, so a
// command never calls one handler twice per phase.
void XPLMRegisterCommandHandler(XPLMCommandRef inComand, XPLMCommandCallback_f inHandler,
                                int inBefore, void* inRefcon) {
    CommandRecord* command = LiveCommand(inComand);
    if (command == nullptr || inHandler == nullptr) return;
    CommandHandler handler{inHandler, inBefore != 0, inRefcon};
    for (const CommandHandler& existing : command->handlers) {
        if (existing == handler) return;
    }
    command->handlers.push_back(handler);
}

void XPLMUnregisterCommandHandler(XPLMCommandRef inComand, XPLMCommandCallback_f inHandler,
                                  int inBefore, void* inRefcon) {
    CommandRecord* command = LiveCommand(inComand);
    if (command == nullptr) return;
    CommandHandler handler{inHandler, inBefore != 0, inRefcon};
    std::vector<CommandHandler>& handlers = command->handlers;
    for (auto it = handlers.begin(); it != handlers.end(); ++it) {
        if (*it == handler) {
            handlers.erase(it);
            return;
        }
    }
}
