// Loading a plugin module and calling its entry points as the simulator does.
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "internal.h"
#include "simhost.h"

namespace simhost {
namespace {

// XPluginStart's buffers, as large as the simulator's.
constexpr std::size_t kStartBufferSize = 256;

// Whether the simulator may call into the plugin. None: no plugin was started
// since the last Reset or ForgetPlugin, and the stand-in calls every callback.
enum class PluginState { None, Disabled, Enabled };

PluginState& State() {
    static PluginState state = PluginState::None;
    return state;
}

// The system's loader: LoadLibrary on Windows as the simulator uses it there,
// dlopen elsewhere.
#ifdef _WIN32
// Names the module like dlerror does, so that the reason says which file.
void* OpenLibrary(const std::string& path, std::string* reason) {
    HMODULE handle = LoadLibraryA(path.c_str());
    if (handle == nullptr) {
        const DWORD code = GetLastError();
        char text[256] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, sizeof text, nullptr);
        std::string why = text;
        while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
        *reason = path + ": LoadLibrary failed with error " + std::to_string(code) +
                  (why.empty() ? "" : " (" + why + ")");
    }
    return reinterpret_cast<void*>(handle);
}

void* FindSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void CloseLibrary(void* handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}
#else
void* OpenLibrary(const std::string& path, std::string* reason) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* text = dlerror();
        *reason = text != nullptr ? text : "cannot load " + path;
    }
    return handle;
}

void* FindSymbol(void* handle, const char* name) {
    return dlsym(handle, name);
}

void CloseLibrary(void* handle) {
    dlclose(handle);
}
#endif

template <typename Function>
bool LookUp(void* handle, const char* name, Function* out, std::string* error) {
    *out = reinterpret_cast<Function>(FindSymbol(handle, name));
    if (*out != nullptr) return true;
    if (error != nullptr) *error = std::string("missing entry point ") + name;
    return false;
}

bool LookUpEntryPoints(void* handle, PluginModule* module, std::string* error) {
    return LookUp(handle, "XPluginStart", &module->start, error) &&
           LookUp(handle, "XPluginStop", &module->stop, error) &&
           LookUp(handle, "XPluginEnable", &module->enable, error) &&
           LookUp(handle, "XPluginDisable", &module->disable, error) &&
           LookUp(handle, "XPluginReceiveMessage", &module->receive, error);
}

}  // namespace

namespace detail {

void ResetPluginState() {
    State() = PluginState::None;
}

}  // namespace detail

bool PluginEnabled() {
    return State() == PluginState::Enabled;
}

bool PluginCallable() {
    return State() != PluginState::Disabled;
}

bool LoadModule(const std::string& path, PluginModule* out, std::string* error) {
    if (out == nullptr) return false;
    *out = PluginModule();
    std::string reason;
    void* handle = OpenLibrary(path, &reason);
    if (handle == nullptr) {
        if (error != nullptr) *error = reason;
        return false;
    }
    if (!LookUpEntryPoints(handle, out, error)) {
        if (error != nullptr) *error = path + ": " + *error;
        CloseLibrary(handle);
        *out = PluginModule();
        return false;
    }
    out->handle = handle;
    return true;
}

void UnloadModule(PluginModule* module) {
    if (module == nullptr) return;
    if (module->handle != nullptr) CloseLibrary(module->handle);
    *module = PluginModule();
}

int Start(PluginModule& module) {
    if (module.start == nullptr) return 0;
    State() = PluginState::Disabled;
    char name[kStartBufferSize] = {};
    char signature[kStartBufferSize] = {};
    char description[kStartBufferSize] = {};
    int result = module.start(name, signature, description);
    // A plugin that fills a buffer to the end must not make us read past it.
    name[kStartBufferSize - 1] = signature[kStartBufferSize - 1] = '\0';
    description[kStartBufferSize - 1] = '\0';
    module.name = name;
    module.signature = signature;
    module.description = description;
    detail::SetPluginIdentity(module.name, module.signature, module.description);
    return result;
}

// The plugin counts as enabled once XPluginEnable has said yes; a refusal
// leaves it disabled.
int Enable(PluginModule& module) {
    int enabled = module.enable != nullptr ? module.enable() : 0;
    State() = enabled != 0 ? PluginState::Enabled : PluginState::Disabled;
    return enabled;
}

void Disable(PluginModule& module) {
    if (module.disable != nullptr) module.disable();
    State() = PluginState::Disabled;
}

// The simulator disables a plugin before it stops it.
void Stop(PluginModule& module) {
    State() = PluginState::Disabled;
    if (module.stop != nullptr) module.stop();
}

// The simulator sends messages to enabled plugins only.
void SendMessage(PluginModule& module, int message, void* param) {
    if (module.receive != nullptr && PluginCallable())
        module.receive(XPLM_PLUGIN_XPLANE, message, param);
}

}  // namespace simhost
