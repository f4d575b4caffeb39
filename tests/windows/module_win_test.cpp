// win.xpl loaded as the simulator loads it on Windows: LoadLibrary of
// <X-Plane>\Resources\plugins\Kestrix\64\win.xpl, its SDK imports resolved
// against the stand-in's XPLM_64.dll and XPWidgets_64.dll, and a board on
// its own loopback address talking to it over Winsock.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "simhost.h"

namespace fs = std::filesystem;

namespace {

// A board's end of the LAN: a datagram socket on 127.0.0.2 and the
// plugin's port (the plugin binds the same port on every address).
class LoopbackBoard {
  public:
    explicit LoopbackBoard(int port) : port_(port) {
        sock_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        BOOL reuse = TRUE;
        setsockopt(sock_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
                   sizeof reuse);
        sockaddr_in own = Address("127.0.0.2", port);
        bound_ = bind(sock_, reinterpret_cast<const sockaddr*>(&own), sizeof own) == 0;
    }
    ~LoopbackBoard() { closesocket(sock_); }

    bool bound() const { return bound_; }

    void SendToPlugin(const std::string& bytes) const {
        sockaddr_in plugin = Address("127.0.0.1", port_);
        sendto(sock_, bytes.data(), static_cast<int>(bytes.size()), 0,
               reinterpret_cast<const sockaddr*>(&plugin), sizeof plugin);
    }

    // Every datagram that arrives within waitMs (wine hands datagrams over
    // asynchronously) and until none is waiting.
    std::string ReceiveAll(int waitMs = 20) const {
        std::string all;
        for (;;) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(sock_, &readable);
            timeval wait{0, all.empty() ? waitMs * 1000 : 0};
            if (select(0, &readable, nullptr, nullptr, &wait) != 1) return all;
            char buffer[2048];
            int got = recv(sock_, buffer, sizeof buffer, 0);
            if (got <= 0) return all;
            all.append(buffer, static_cast<std::size_t>(got));
        }
    }

  private:
    static sockaddr_in Address(const char* host, int port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<u_short>(port));
        inet_pton(AF_INET, host, &address.sin_addr);
        return address;
    }

    SOCKET sock_ = INVALID_SOCKET;
    int port_;
    bool bound_ = false;
};

int FreeUdpPort() {
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

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
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
        // Native paths: backslashes and a drive letter, as the simulator
        // reports them on Windows.
        root = fs::absolute(root).make_preferred();
        plugin = root / "Resources" / "plugins" / "Kestrix";
        fs::create_directories(plugin / "64");
        fs::copy_file(KESTRIX_MODULE_PATH, plugin / "64" / "win.xpl");
        aircraft = root / "Aircraft" / "Test Plane" / "test_plane.acf";
        WriteText(aircraft, "I\n1100 Version\n");
        port = FreeUdpPort();
        // Discovery stays on loopback; wine maps COM1 to the machine's own
        // serial port, which no test opens.
        WriteText(plugin / "config.ini", "IP_ADDRESS = 127.0.0.1\nPORT = " + std::to_string(port) +
                                             "\nUSB_DEVICE_COUNT = 0\n");
        std::string error;
        ASSERT_TRUE(simhost::LoadModule((plugin / "64" / "win.xpl").string(), &module, &error))
            << error;
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

    void Start() {
        simhost::LoadDataRefTable(std::string(KESTRIX_SIM_DATA_DIR) + "/DataRefs.txt");
        simhost::LoadCommandTable(std::string(KESTRIX_SIM_DATA_DIR) + "/Commands.txt");
        simhost::SetModulePath((plugin / "64" / "win.xpl").string());
        simhost::SetAircraftPath(aircraft.string());
        simhost::Start(module);
        simhost::Enable(module);
    }

    fs::path root, plugin, aircraft;
    int port = 0;
    simhost::PluginModule module;
};

}  // namespace

TEST_F(WindowsModuleTest, ReadsItsFolderAndRunsFrames) {
    WriteText(aircraft.parent_path() / "data.cfg", "*1\n");
    testing::internal::CaptureStderr();
    Start();
    EXPECT_EQ(module.name, "Kestrix");
    simhost::RunFrames(120);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("\nKestrix Plugin initialized"), std::string::npos) << log;
    // The aircraft's data.cfg, found through a backslashed path.
    EXPECT_NE(log.find("\nConfig file: " + (aircraft.parent_path() / "data.cfg").string()),
              std::string::npos)
        << log;
}

TEST_F(WindowsModuleTest, CallsABoardOnLoopbackAndUploadsItsConfiguration) {
    std::ifstream example(std::string(KESTRIX_EXAMPLES_DIR) + "/data.cfg", std::ios::binary);
    std::string cfg((std::istreambuf_iterator<char>(example)), std::istreambuf_iterator<char>());
    WriteText(aircraft.parent_path() / "data.cfg", cfg);
    LoopbackBoard board(port);
    ASSERT_TRUE(board.bound());
    Start();
    // The sweep calls 127.0.0.2 with "XP" within the first frames.
    std::string called;
    for (int frame = 0; frame < 400 && called.find("XP") == std::string::npos; ++frame) {
        simhost::RunFrames(1);
        called += board.ReceiveAll();
    }
    ASSERT_NE(called.find("XP"), std::string::npos);

    // Board 1 identifies itself; the plugin answers with its configuration.
    board.SendToPlugin(std::string("|A") + static_cast<char>(132) + '1');
    std::string answer;
    for (int frame = 0; frame < 40 && answer.empty(); ++frame) {
        simhost::RunFrames(1);
        answer = board.ReceiveAll();
        if (answer == "XP") answer.clear();
    }
    EXPECT_FALSE(answer.empty()) << "no configuration upload after the identification";
}
