#include "plugin_harness.h"

#include <stdlib.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace testenv {

namespace {

std::string WithoutBlanks(std::string text) {
    std::string out;
    for (char c : text) {
        if (c != ' ' && c != '\r') out += c;
    }
    return out;
}

bool IsLoopbackAddress(const std::string& value) {
    return value.rfind("127.", 0) == 0 && value.size() > 6;
}

bool ScanningIsOff(const std::string& value) {
    try {
        return std::stoi(value) <= 0;
    } catch (...) {
        return false;
    }
}

}  // namespace

SimFolder::SimFolder() : port_(FreeUdpPort()) {
    MakeDirs(pluginFolder() + "/64");
    MakeDirs(deviceDir());
    WriteFile(aircraftPath(), "I\n1100 Version\n");
}

void SimFolder::WriteSafeConfig(const std::string& extraLines) const {
    std::ostringstream text;
    text << "# written by the test harness: discovery stays on loopback\n"
         << "IP_ADDRESS = 127.0.0.1\n"
         << "PORT = " << port_ << "\n"
#ifdef _WIN32
         << "USB_DEVICE_COUNT = 0\n"
#endif
         << extraLines;
    WriteConfig(text.str());
}

void SimFolder::WriteConfig(const std::string& text) const {
    WriteFile(pluginFolder() + "/config.ini", text);
}

void SimFolder::WriteDataCfg(const std::string& text) const {
    WriteFile(aircraftFolder() + "/data.cfg", text);
}

void SimFolder::WritePluginDataCfg(const std::string& text) const {
    WriteFile(pluginFolder() + "/data.cfg", text);
}

// Reads config.ini the way the plugin does (last line of a key wins).
void SimFolder::CheckNetworkSafety() const {
    std::istringstream file(ReadFile(pluginFolder() + "/config.ini"));
    std::string line, address, scanning, usbCount;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = WithoutBlanks(line.substr(0, eq));
        std::string value = WithoutBlanks(line.substr(eq + 1));
        if (key == "IP_ADDRESS") address = value;
        if (key == "SCANNING_TIMEOUT") scanning = value;
        if (key == "USB_DEVICE_COUNT") usbCount = value;
    }
#ifdef _WIN32
    // The Windows scan finds every COM port of the machine (under wine, COM1
    // is /dev/ttyS0), not the test's own device folder.
    if (usbCount != "0") {
        throw std::runtime_error(
            "refusing to start the plugin: on Windows config.ini must set USB_DEVICE_COUNT = 0, "
            "or the serial scan would write to the machine's own COM ports");
    }
#else
    (void)usbCount;
#endif
    if (IsLoopbackAddress(address) || ScanningIsOff(scanning)) return;
    throw std::runtime_error(
        "refusing to start the plugin: config.ini must set a loopback IP_ADDRESS or "
        "SCANNING_TIMEOUT = 0, or the discovery sweep would leave the machine");
}

#ifndef _WIN32
bool LoadBuiltModule(const SimFolder& folder, const std::string& builtModule,
                     simhost::PluginModule* module, std::string* error) {
    std::filesystem::copy_file(builtModule, folder.modulePath());
    setenv("KESTRIX_SERIAL_DIR", folder.deviceDir().c_str(), 1);
    return simhost::LoadModule(folder.modulePath(), module, error);
}
#endif

PluginHarness::PluginHarness(const SimFolder& folder, simhost::PluginModule module)
    : folder_(folder), module_(module) {}

PluginHarness::~PluginHarness() {
    if (started_) Stop();
}

void PluginHarness::Start() {
    folder_.CheckNetworkSafety();
    simhost::LoadDataRefTable(std::string(KESTRIX_SIM_DATA_DIR) + "/DataRefs.txt");
    simhost::LoadCommandTable(std::string(KESTRIX_SIM_DATA_DIR) + "/Commands.txt");
    simhost::SetModulePath(folder_.modulePath());
    simhost::SetAircraftPath(folder_.aircraftPath());
    simhost::Start(module_);
    simhost::Enable(module_);
    started_ = true;
}

void PluginHarness::Stop() {
    if (simhost::PluginEnabled()) simhost::Disable(module_);
    simhost::Stop(module_);
    started_ = false;
}

}  // namespace testenv
