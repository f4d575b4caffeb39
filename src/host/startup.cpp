// InitializePlugin: from nothing open to ready for the main cycle.
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "XPLMPlugin.h"
#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/plugin_state.h"
#include "base/settings.h"
#include "base/settings_file.h"
#include "base/text.h"
#include "config/load_config.h"
#include "host/host_state.h"
#include "host/lifecycle.h"
#include "protocol/protocol_state.h"
#include "protocol/reconnect.h"
#include "transport/interfaces.h"
#include "transport/lan.h"
#include "transport/serial.h"
#include "ui/status_window.h"

namespace {

constexpr const char* kFixedFolderName = "Kestrix";

void PrepareStatusWindow() {
    if (window.gMenuItem == 0) {
        CreateInstructionsWidget(400, 612, 410, 445);
        XPAddWidgetCallback(window.ReconnectButton, ReconnectButtonHandler);
        window.gMenuItem = 1;
    }
    BlankStatusLines();
}

// The plugin folder holds the module directly or in a "32" or "64" folder,
// under a seven-character name ending in ".xpl".
std::string FolderFromModulePath(std::string path) {
    if (EndsWith(path, "xpl") || EndsWith(path, "XPL"))
        path.erase(path.size() - std::min<std::size_t>(8, path.size()));
    if (EndsWith(path, "32") || EndsWith(path, "64"))
        path.erase(path.size() - std::min<std::size_t>(3, path.size()));
    return path;
}

bool TryFolder(const std::string& folder) {
    paths.foldername = folder;
    paths.filepath = InFolder(folder, "config.ini");
    return ReadSettingsFile(paths.filepath);
}

void FindFolderAndReadSettings() {
    std::memset(paths.cwd, 0, sizeof paths.cwd);
    XPLMGetPluginInfo(lifecycle.plugin_id, nullptr, paths.cwd, nullptr, nullptr);
    paths.cwd[sizeof paths.cwd - 1] = '\0';
    paths.filepath = paths.cwd;
    if (TryFolder(FolderFromModulePath(paths.filepath))) return;
    std::error_code failed;
    std::string workingDir = std::filesystem::current_path(failed).u8string();
    TryFolder(InFolder(InFolder(InFolder(workingDir, "Resources"), "plugins"), kFixedFolderName));
}

void SetWindowControls() {
    const int usbOn = settings.USBcountVar > 0 ? 1 : 0;
    if (window.WindowCheckbox) {
        XPSetWidgetProperty(window.WindowCheckbox, xpProperty_ButtonState,
                            settings.WINDOW_ON_CONNECT ? 1 : 0);
    }
    if (window.UsbCheckbox) XPSetWidgetProperty(window.UsbCheckbox, xpProperty_ButtonState, usbOn);
    if (window.ToggleUSB) XPSetWidgetProperty(window.ToggleUSB, xpProperty_ButtonState, usbOn);
}

// The last IPv4 entry of the interface list wins; with none, the address
// found before stays.
void ScanInterfaces() {
    std::string address = LastIPv4InterfaceAddress();
    if (!address.empty()) lan.My_IP = address;
}

bool IsUsableSpecifiedIP(const std::string& ip) {
    return ip.size() > 6 && std::count(ip.begin(), ip.end(), '.') >= 3;
}

// Base_IP is the address up to and including its third dot; the number after
// it is our own host, which discovery never calls and which never becomes a
// board. An address whose host part is not a number gives no prefix, and
// with it no LAN discovery.
void DeriveLanPrefix() {
    const std::string& ip = lan.My_IP_str;
    std::size_t dot = std::string::npos;
    for (int dots = 0; dots < 3; ++dots) {
        dot = ip.find('.', dot == std::string::npos ? 0 : dot + 1);
        if (dot == std::string::npos) return;
    }
    int ownHost = 0;
    if (!ReadNumber(ip.substr(dot + 1), ownHost)) return;
    lan.Base_IP = ip.substr(0, dot + 1);
    lan.UsedAddr.push_back(ownHost);
    lan.NetworkIndices.push_back(-1);
}

void OpenSerialPorts() {
    if (settings.USBcountVar <= 0) {
        XPSetWidgetDescriptor(window.DetectedPortsWidget[1], "Disabled");
        return;
    }
    paths.filepath = serial.deviceDir;
    int opened = ScanSerialPorts();
    XPSetWidgetDescriptor(window.DetectedPortsWidget[1], Decimal(std::max(opened, 0)).c_str());
}

}  // namespace

void InitializePlugin() {
    PrepareStatusWindow();
    FindFolderAndReadSettings();
    SetWindowControls();
    CreateLanSocket();
    ScanInterfaces();
    BindLanSocket();
    lan.My_IP_str = IsUsableSpecifiedIP(settings.SpecifiedIP) ? settings.SpecifiedIP : lan.My_IP;
    DeriveLanPrefix();
    lan.addrLength = sizeof(sockaddr_in);
    XPSetWidgetDescriptor(window.DetectedPortsWidget[0], lan.My_IP_str.c_str());
    OpenSerialPorts();
    cycleState.send_usb_request = true;
    // Boards are watched afresh from this start, on this start's clock.
    ForgetBoardWatch();
    Log("\nKestrix Plugin initialized");
    LoadConfig();
}
