#include "custom/custom_refs.h"

#include "base/guard.h"
#include "custom/tool_commands.h"

std::vector<CustomDref> Kestrix_Drefs;
std::vector<CustomCommand> Kestrix_Commands;
std::vector<unsigned> CustomIndices;

namespace {

XPLMDataRef FindDataRefOrNull(const std::string& name) {
    return name.empty() ? nullptr : XPLMFindDataRef(name.c_str());
}

XPLMCommandRef FindCommandOrNull(const std::string& name) {
    return name.empty() ? nullptr : XPLMFindCommand(name.c_str());
}

}  // namespace

CustomDref::CustomDref(XPLMGetDatai_f read, XPLMSetDatai_f write, const std::string& name,
                       unsigned kind, const std::string& sourceAName,
                       const std::string& sourceBName)
    : kind(kind), name(name), read_(read), write_(write) {
    Register();
    sourceA = FindDataRefOrNull(sourceAName);
    sourceB = FindDataRefOrNull(sourceBName);
}

void CustomDref::Register() {
    if (handle != nullptr) return;
    handle = XPLMRegisterDataAccessor(name.c_str(), xplmType_Int, 1, read_, write_, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr);
}

void CustomDref::Unregister() {
    if (handle == nullptr) return;
    XPLMUnregisterDataAccessor(handle);
    handle = nullptr;
}

CustomCommand::CustomCommand(XPLMCommandCallback_f handler, const std::string& name,
                             const std::string& firstName, const std::string& secondName,
                             const std::string& thirdName)
    : name(name) {
    command = XPLMCreateCommand(name.c_str(), name.c_str());
    first = FindCommandOrNull(firstName);
    second = FindCommandOrNull(secondName);
    third = FindCommandOrNull(thirdName);
    XPLMRegisterCommandHandler(command, handler, 1, nullptr);
}

namespace {

void CreateDrefs() {
    Kestrix_Drefs.reserve(2);
    Kestrix_Drefs.emplace_back(CustomGet_Flaps, CustomWrite_Empty, "kestrix/flaps_in_transition", 1,
                               "sim/cockpit2/controls/flap_ratio",
                               "sim/flightmodel2/controls/flap_handle_deploy_ratio");
    Kestrix_Drefs.emplace_back(CustomGet_AltHold, CustomWrite_Empty, "kestrix/altitude_hold_status",
                               2, "sim/cockpit2/autopilot/altitude_hold_status", "");
}

void CreateCommands() {
    constexpr XPLMCommandCallback_f kHandlers[] = {CC_Starter1, CC_Starter2, CC_Starter3,
                                                   CC_Starter4};
    Kestrix_Commands.reserve(4);
    for (int n = 1; n <= 4; ++n) {
        const std::string number = std::to_string(n);
        Kestrix_Commands.emplace_back(kHandlers[n - 1], "kestrix/starter_ignition_" + number,
                                      "sim/starters/engage_starter_" + number,
                                      "sim/igniters/igniter_contin_on_" + number,
                                      "sim/igniters/igniter_contin_off_" + number);
    }
}

}  // namespace

// The simulator calls XPluginStart again only after XPluginStop. The stop
// unregistered the datarefs, so they are registered again, under the same
// entries (CustomIndices keeps pointing at them). Commands and their handlers
// are never removed while the module is loaded, so they are created once: a
// second handler on the same command would run every starter twice. The
// output test and input monitor follow the four starters.
void InitiateCustom() {
    if (Kestrix_Drefs.empty()) {
        CreateDrefs();
    } else {
        for (CustomDref& dref : Kestrix_Drefs) dref.Register();
    }
    if (Kestrix_Commands.empty()) CreateCommands();
    CreateToolCommands();
}

void UnregisterCustomDrefs() {
    for (CustomDref& dref : Kestrix_Drefs) dref.Unregister();
}

namespace {

int PublishedValue(std::size_t index) {
    return index < Kestrix_Drefs.size() ? Kestrix_Drefs[index].value : 0;
}

// Begin: crank the starter for as long as the command is held and switch the
// continuous ignition on; end: stop cranking and switch it off.
void RunStarter(std::size_t index, XPLMCommandPhase phase) {
    if (index >= Kestrix_Commands.size()) return;
    const CustomCommand& entry = Kestrix_Commands[index];
    if (phase == xplm_CommandBegin) {
        XPLMCommandBegin(entry.first);
        XPLMCommandOnce(entry.second);
    } else if (phase == xplm_CommandEnd) {
        XPLMCommandEnd(entry.first);
        XPLMCommandOnce(entry.third);
    }
}

// 1 lets the simulator go on to any handler another plugin installed on our
// command; the plugin has nothing to keep from them.
int StarterHandler(const char* where, std::size_t index, XPLMCommandPhase phase) {
    return Guarded(where, 1, [&] {
        RunStarter(index, phase);
        return 1;
    });
}

}  // namespace

int CustomGet_Flaps(void*) {
    return Guarded("kestrix/flaps_in_transition", 0, [] { return PublishedValue(0); });
}

int CustomGet_AltHold(void*) {
    return Guarded("kestrix/altitude_hold_status", 0, [] { return PublishedValue(1); });
}

void CustomWrite_Empty(void*, int) {
    Guarded("kestrix dataref write", [] {});
}

int CC_Starter1(XPLMCommandRef, XPLMCommandPhase phase, void*) {
    return StarterHandler("kestrix/starter_ignition_1", 0, phase);
}

int CC_Starter2(XPLMCommandRef, XPLMCommandPhase phase, void*) {
    return StarterHandler("kestrix/starter_ignition_2", 1, phase);
}

int CC_Starter3(XPLMCommandRef, XPLMCommandPhase phase, void*) {
    return StarterHandler("kestrix/starter_ignition_3", 2, phase);
}

int CC_Starter4(XPLMCommandRef, XPLMCommandPhase phase, void*) {
    return StarterHandler("kestrix/starter_ignition_4", 3, phase);
}
