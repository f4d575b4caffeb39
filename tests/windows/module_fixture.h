// win.xpl loaded as the simulator loads it on Windows: LoadLibrary of
// <X-Plane>\Resources\plugins\Kestrix\64\win.xpl, its SDK imports resolved
// against the stand-in's XPLM_64.dll and XPWidgets_64.dll. Each test gets
// its own simulator folder under the temporary folder, with native paths
// (backslashes and a drive letter) as the simulator reports them.
#pragma once

#include <winsock2.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "simhost.h"

namespace wintest {

namespace fs = std::filesystem;

inline void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A UDP port that was free on 127.0.0.1 a moment ago: each test its own.
inline int FreeUdpPort() {
    SOCKET sock = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(sock);
    return ntohs(address.sin_port);
}

inline std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class WindowsModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        root = fs::temp_directory_path() /
               ("kestrix-win-" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        root = fs::absolute(root).make_preferred();
        plugin = root / "Resources" / "plugins" / "Kestrix";
        fs::create_directories(plugin / "64");
        fs::copy_file(KESTRIX_MODULE_PATH, plugin / "64" / "win.xpl");
        aircraft = root / "Aircraft" / "Test Plane" / "test_plane.acf";
        WriteText(aircraft, "I\n1100 Version\n");
    }

    void TearDown() override {
        if (module.handle != nullptr) {
            if (simhost::PluginEnabled()) simhost::Disable(module);
            simhost::Stop(module);
            simhost::UnloadModule(&module);
        }
        std::error_code ignored;
        fs::remove_all(root, ignored);
        WSACleanup();
    }

    // config.ini must keep discovery on loopback: IP_ADDRESS = 127.0.0.x.
    void LoadModule(const std::string& configIni) {
        WriteText(plugin / "config.ini", configIni);
        std::string error;
        ASSERT_TRUE(simhost::LoadModule((plugin / "64" / "win.xpl").string(), &module, &error))
            << error;
    }

    void Start() { StartWithPaths((plugin / "64" / "win.xpl").string(), aircraft.string()); }

    // The module and aircraft paths the stand-in reports to the plugin.
    void StartWithPaths(const std::string& modulePath, const std::string& aircraftPath) {
        simhost::LoadDataRefTable(std::string(KESTRIX_SIM_DATA_DIR) + "/DataRefs.txt");
        simhost::LoadCommandTable(std::string(KESTRIX_SIM_DATA_DIR) + "/Commands.txt");
        simhost::SetModulePath(modulePath);
        simhost::SetAircraftPath(aircraftPath);
        simhost::Start(module);
        simhost::Enable(module);
    }

    fs::path root, plugin, aircraft;
    simhost::PluginModule module;
};

}  // namespace wintest
