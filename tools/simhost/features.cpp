// SDK features a plugin switches on for itself, and the legacy colon paths
// a macOS simulator hands out until the plugin asks for native ones.
#include <map>
#include <string>
#include <vector>

#include "XPLMPlugin.h"
#include "internal.h"
#include "simhost.h"

namespace simhost {
namespace {

const char kNativePaths[] = "XPLM_USE_NATIVE_PATHS";
const char kNativeWidgetWindows[] = "XPLM_USE_NATIVE_WIDGET_WINDOWS";

// The boot volume's name as the legacy paths show it.
const char kBootVolume[] = "Macintosh HD";
const char kVolumesFolder[] = "/Volumes/";

struct Features {
    // Every feature this simulator offers, and whether the plugin enabled it.
    std::map<std::string, bool> enabled{{kNativePaths, false}, {kNativeWidgetWindows, false}};
    bool legacyPaths = false;
};

Features& State() {
    static Features features;
    return features;
}

// The path's names between slashes, empty ones (from "//" or a trailing
// slash) left out. A ':' may be part of a native name; legacy paths use ':'
// as separator and show it as '/'.
std::vector<std::string> NamesOf(const std::string& path) {
    std::vector<std::string> names(1);
    for (char c : path) {
        if (c == '/') {
            if (!names.back().empty()) names.emplace_back();
        } else {
            names.back() += c == ':' ? '/' : c;
        }
    }
    if (names.back().empty()) names.pop_back();
    return names;
}

std::string Joined(const std::vector<std::string>& names, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < names.size(); ++i) text += (i > from ? ":" : "") + names[i];
    return text;
}

}  // namespace

namespace detail {

void ResetFeatures() {
    State() = Features();
}

void ForgetPluginFeatures() {
    for (auto& feature : State().enabled) feature.second = false;
}

std::string HandedOutPath(const std::string& nativePath) {
    if (!State().legacyPaths || State().enabled[kNativePaths]) return nativePath;
    return LegacyPath(nativePath);
}

}  // namespace detail

void SetLegacyPaths(bool on) {
    State().legacyPaths = on;
}

std::string LegacyPath(const std::string& nativePath) {
    if (nativePath.empty()) return nativePath;
    std::vector<std::string> names = NamesOf(nativePath);
    if (nativePath[0] != '/') return ":" + Joined(names, 0);
    // "/Volumes/Data/x" lies on the volume "Data"; "/Volumes/Data" is its root.
    if (nativePath.compare(0, sizeof kVolumesFolder - 1, kVolumesFolder) == 0 && names.size() > 1)
        return names[1] + ":" + Joined(names, 2);
    return std::string(kBootVolume) + ":" + Joined(names, 0);
}

}  // namespace simhost

int XPLMHasFeature(const char* inFeature) {
    if (inFeature == nullptr) return 0;
    return simhost::State().enabled.count(inFeature) != 0 ? 1 : 0;
}

// Unknown features read as off rather than as an error.
int XPLMIsFeatureEnabled(const char* inFeature) {
    if (inFeature == nullptr) return 0;
    auto found = simhost::State().enabled.find(inFeature);
    return found != simhost::State().enabled.end() && found->second ? 1 : 0;
}

// A feature this simulator does not offer is ignored.
void XPLMEnableFeature(const char* inFeature, int inEnable) {
    if (inFeature == nullptr) return;
    auto found = simhost::State().enabled.find(inFeature);
    if (found != simhost::State().enabled.end()) found->second = inEnable != 0;
}
