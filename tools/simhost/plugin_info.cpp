// Plugin information, the user's aircraft, reloads and debug strings.
#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "XPLMPlanes.h"
#include "XPLMPlugin.h"
#include "XPLMUtilities.h"
#include "internal.h"
#include "simhost.h"

namespace simhost {
namespace {

// Buffer sizes the published API promises callers provide.
constexpr std::size_t kInfoBufferSize = 256;
constexpr std::size_t kAircraftFileBufferSize = 256;
constexpr std::size_t kAircraftPathBufferSize = 512;

struct PluginInfo {
    XPLMPluginID id = 1;
    std::string modulePath;
    std::string aircraftPath;
    std::string name, signature, description;
    int reloads = 0;
    std::vector<std::string> debugStrings;
};

PluginInfo& Info() {
    static PluginInfo info;
    return info;
}

std::function<void(const std::string&)>& DebugObserver() {
    static std::function<void(const std::string&)> observer;
    return observer;
}

std::string FileNameOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

namespace detail {

void CopyTerminated(char* out, std::size_t size, const std::string& text) {
    if (out == nullptr || size == 0) return;
    std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

void SetPluginIdentity(const std::string& name, const std::string& signature,
                       const std::string& description) {
    Info().name = name;
    Info().signature = signature;
    Info().description = description;
}

void ResetPluginInfo() {
    Info() = PluginInfo();
}

}  // namespace detail

void SetPluginId(XPLMPluginID id) {
    Info().id = id;
}

void SetModulePath(const std::string& path) {
    Info().modulePath = path;
}

void SetAircraftPath(const std::string& path) {
    Info().aircraftPath = path;
}

int ReloadPluginsCount() {
    return Info().reloads;
}

std::vector<std::string> DebugStrings() {
    return Info().debugStrings;
}

void ForgetDebugStrings() {
    Info().debugStrings.clear();
}

void SetDebugStringObserver(std::function<void(const std::string&)> observer) {
    DebugObserver() = std::move(observer);
}

}  // namespace simhost

using simhost::detail::CopyTerminated;

XPLMPluginID XPLMGetMyID(void) {
    return simhost::Info().id;
}

int XPLMCountPlugins(void) {
    return 1;
}

// Any other id is a plugin that does not exist: empty texts.
void XPLMGetPluginInfo(XPLMPluginID inPlugin, char* outName, char* outFilePath, char* outSignature,
                       char* outDescription) {
    const simhost::PluginInfo& info = simhost::Info();
    bool known = inPlugin == info.id;
    const std::string empty;
    CopyTerminated(outName, simhost::kInfoBufferSize, known ? info.name : empty);
    CopyTerminated(outFilePath, simhost::kInfoBufferSize,
                   known ? simhost::detail::HandedOutPath(info.modulePath) : empty);
    CopyTerminated(outSignature, simhost::kInfoBufferSize, known ? info.signature : empty);
    CopyTerminated(outDescription, simhost::kInfoBufferSize, known ? info.description : empty);
}

// The simulator reloads plugins after the current callback returns; the
// stand-in counts the request and leaves the reload to its host program.
void XPLMReloadPlugins(void) {
    ++simhost::Info().reloads;
}

void XPLMGetNthAircraftModel(int inIndex, char* outFileName, char* outPath) {
    const std::string& path = simhost::Info().aircraftPath;
    bool user = inIndex == XPLM_USER_AIRCRAFT;
    CopyTerminated(outFileName, simhost::kAircraftFileBufferSize,
                   user ? simhost::FileNameOf(path) : std::string());
    CopyTerminated(outPath, simhost::kAircraftPathBufferSize,
                   user ? simhost::detail::HandedOutPath(path) : std::string());
}

void XPLMDebugString(const char* inString) {
    if (inString == nullptr) return;
    simhost::Info().debugStrings.emplace_back(inString);
    if (simhost::DebugObserver()) simhost::DebugObserver()(simhost::Info().debugStrings.back());
}
