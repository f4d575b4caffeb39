// Loading a plugin module and calling its entry points as the simulator does.
#include <dlfcn.h>

#include "internal.h"
#include "simhost.h"

namespace simhost {
namespace {

// XPluginStart's buffers, as large as the simulator's.
constexpr std::size_t kStartBufferSize = 256;

template <typename Function>
bool LookUp(void* handle, const char* name, Function* out, std::string* error) {
    *out = reinterpret_cast<Function>(dlsym(handle, name));
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

bool LoadModule(const std::string& path, PluginModule* out, std::string* error) {
    if (out == nullptr) return false;
    *out = PluginModule();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        if (error != nullptr) *error = reason != nullptr ? reason : "cannot load " + path;
        return false;
    }
    if (!LookUpEntryPoints(handle, out, error)) {
        if (error != nullptr) *error = path + ": " + *error;
        dlclose(handle);
        *out = PluginModule();
        return false;
    }
    out->handle = handle;
    return true;
}

void UnloadModule(PluginModule* module) {
    if (module == nullptr) return;
    if (module->handle != nullptr) dlclose(module->handle);
    *module = PluginModule();
}

int Start(PluginModule& module) {
    if (module.start == nullptr) return 0;
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

int Enable(PluginModule& module) {
    return module.enable != nullptr ? module.enable() : 0;
}

void Disable(PluginModule& module) {
    if (module.disable != nullptr) module.disable();
}

void Stop(PluginModule& module) {
    if (module.stop != nullptr) module.stop();
}

void SendMessage(PluginModule& module, int message, void* param) {
    if (module.receive != nullptr) module.receive(XPLM_PLUGIN_XPLANE, message, param);
}

}  // namespace simhost
