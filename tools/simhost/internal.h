// Hooks between the parts of the stand-in that simhost.h does not publish.
#pragma once

#include <cstddef>
#include <string>

namespace simhost::detail {

// Per-part state resets, called by simhost::Reset().
void ResetDataRefs();
void ResetCommands();
void ResetFlightLoops();
void ResetMenus();
void ResetWidgets();
void ResetPluginInfo();
void ResetFeatures();
// No plugin started: also called by ForgetPlugin().
void ResetPluginState();

// What the simulator drops when it unloads a plugin, called by ForgetPlugin().
void ForgetPluginDataRefs();
void ForgetCommandHandlers();
void ForgetPluginFeatures();

// A path as XPLMGetPluginInfo and XPLMGetNthAircraftModel hand it out: in
// legacy form on a host that mimics macOS, until native paths are enabled.
std::string HandedOutPath(const std::string& nativePath);

// Sends the continue phase to every held command; run at the end of a frame.
void ContinueHeldCommands();

// The identity texts a plugin gave XPluginStart, for XPLMGetPluginInfo.
void SetPluginIdentity(const std::string& name, const std::string& signature,
                       const std::string& description);

// Writes text into a caller's buffer of size bytes: at most size - 1
// characters and always the terminating zero. Nothing when out is null or
// size is 0.
void CopyTerminated(char* out, std::size_t size, const std::string& text);

}  // namespace simhost::detail
