// A simulator folder on disk and the plugin driven in it through the
// simulator stand-in, frame by frame on the virtual clock.
//
// Network safety: Start() refuses to run the plugin unless the config.ini it
// will read names a loopback IP_ADDRESS (so the discovery sweep stays on
// 127.0.0.x) or switches scanning off with SCANNING_TIMEOUT = 0. On Windows,
// where the serial scan finds the machine's own COM ports whatever folder
// the test names, it also needs USB_DEVICE_COUNT = 0 (WriteSafeConfig
// writes it there).
#pragma once

#include <string>

#include "simhost.h"
#include "test_env.h"

namespace testenv {

class SimFolder {
  public:
    SimFolder();

    std::string root() const { return dir_.path(); }
    std::string pluginFolder() const { return root() + "/Resources/plugins/Kestrix"; }
    std::string modulePath() const { return pluginFolder() + "/64/lin.xpl"; }
    std::string aircraftFolder() const { return root() + "/Aircraft/Test Plane"; }
    std::string aircraftPath() const { return aircraftFolder() + "/test_plane.acf"; }
    // An empty directory the serial scan looks in instead of /dev/.
    std::string deviceDir() const { return root() + "/dev/"; }
    int port() const { return port_; }

    // config.ini with IP_ADDRESS = 127.0.0.1, this folder's own PORT and
    // the extra lines given.
    void WriteSafeConfig(const std::string& extraLines = "") const;
    void WriteConfig(const std::string& text) const;
    void WriteDataCfg(const std::string& text) const;
    void WritePluginDataCfg(const std::string& text) const;

    // Throws unless config.ini keeps discovery on loopback.
    void CheckNetworkSafety() const;

  private:
    TempDir dir_;
    int port_;
};

class PluginHarness {
  public:
    PluginHarness(const SimFolder& folder, simhost::PluginModule module);
    ~PluginHarness();
    PluginHarness(const PluginHarness&) = delete;
    PluginHarness& operator=(const PluginHarness&) = delete;

    // Stand-in set-up, XPluginStart and XPluginEnable, as the simulator does
    // on load. Does not run a frame.
    void Start();
    // XPluginEnable and XPluginDisable through the stand-in, which calls no
    // callback of the plugin while it is disabled.
    int Enable() { return simhost::Enable(module_); }
    void Disable() { simhost::Disable(module_); }
    // XPluginDisable (when enabled) and XPluginStop; the destructor calls it
    // when needed.
    void Stop();
    void RunFrames(int frames) { simhost::RunFrames(frames); }
    simhost::PluginModule& module() { return module_; }

  private:
    const SimFolder& folder_;
    simhost::PluginModule module_;
    bool started_ = false;
};

// The built module copied into the folder's plugin folder and loaded from
// there as the simulator loads it; the module scans the folder's device
// directory, never /dev/ (it reads KESTRIX_SERIAL_DIR when it is loaded).
// False with the reason in *error when it cannot be loaded.
#ifndef _WIN32
bool LoadBuiltModule(const SimFolder& folder, const std::string& builtModule,
                     simhost::PluginModule* module, std::string* error);
#endif

// The plugin's entry points linked into the test program (in-process tests).
simhost::PluginModule LinkedPlugin();
// Makes the linked-in plugin scan dir instead of /dev/.
void PointSerialScanAt(const std::string& dir);

}  // namespace testenv
