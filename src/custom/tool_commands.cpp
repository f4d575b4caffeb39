#include "custom/tool_commands.h"

#include "XPLMProcessing.h"
#include "base/guard.h"
#include "base/log.h"

ToolCommands toolCommands;

namespace {

XPLMCommandRef CreateWithHandler(const char* name, const char* description,
                                 XPLMCommandCallback_f handler) {
    XPLMCommandRef command = XPLMCreateCommand(name, description);
    XPLMRegisterCommandHandler(command, handler, 1, nullptr);
    return command;
}

}  // namespace

void CreateToolCommands() {
    if (toolCommands.outputTest == nullptr) {
        toolCommands.outputTest = CreateWithHandler(
            kOutputTestCommand,
            "Kestrix: light every LED and show 8s on every display for 3 seconds", CC_OutputTest);
    }
    if (toolCommands.inputMonitor == nullptr) {
        toolCommands.inputMonitor = CreateWithHandler(
            kInputMonitorCommand, "Kestrix: log every input event from the boards (on/off)",
            CC_InputMonitor);
    }
}

// 1: other plugins' handlers of the command may run too; the plugin has
// nothing to keep from them.
int CC_OutputTest(XPLMCommandRef, XPLMCommandPhase phase, void*) {
    return Guarded(kOutputTestCommand, 1, [&] {
        if (phase != xplm_CommandBegin) return 1;
        toolCommands.outputTestUntil = XPLMGetElapsedTime() + kOutputTestSeconds;
        Log("\nOutput test: every LED and display lit for 3 seconds");
        return 1;
    });
}

int CC_InputMonitor(XPLMCommandRef, XPLMCommandPhase phase, void*) {
    return Guarded(kInputMonitorCommand, 1, [&] {
        if (phase != xplm_CommandBegin) return 1;
        toolCommands.inputMonitorOn = !toolCommands.inputMonitorOn;
        Log(toolCommands.inputMonitorOn ? "\nInput monitor on: every input event is logged"
                                        : "\nInput monitor off");
        return 1;
    });
}
