// What the plugin tells the user when something is wrong, end to end: each
// problem once in Log.txt and on standard error however often its board
// identifies itself, and again after a Reconnect.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <utility>

#include "config/board_tables.h"
#include "peers.h"
#include "protocol/protocol_state.h"
#include "test_env.h"
#include "virtual_board_fixture.h"

namespace {

// Lines 4, 5 and 9 are a skipped line and two unresolved names.
const char* kDataCfg =
    "*1\n[I]\nD2 sim/lights/landing_lights_toggle\nD3\nD4 sim/no/such_command_here\n[O]\n"
    "13L 0 sim/cockpit2/annunciators/master_warning\n\n14L 0 sim/not/a/dataref\n";

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string LogTxt() {
    std::string text;
    for (const std::string& line : simhost::DebugStrings()) text += line;
    return text;
}

}  // namespace

TEST_F(VirtualBoardsTest, EachProblemIsToldOnceAndAgainAfterReconnect) {
    folder.WriteDataCfg(kDataCfg);
    folder.WriteSafeConfig();
    const std::string gone = folder.deviceDir() + "tty.usbmodem-gone";
    ASSERT_EQ(symlink((folder.root() + "/unplugged").c_str(), gone.c_str()), 0);
    auto first = UdpBoard("127.0.0.2", vboard::BoardIdentity::Numbered(1, 132));
    auto twin = UdpBoard("127.0.0.3", vboard::BoardIdentity::Numbered(1, 132));
    auto unknown = UdpBoard("127.0.0.4", vboard::BoardIdentity::Numbered(7, 132));
    auto old = UdpBoard("127.0.0.5", vboard::BoardIdentity::Numbered(2, 123));
    boards = {first.get(), twin.get(), unknown.get()};
    testing::internal::CaptureStderr();
    StartAndInitialize();
    auto uploads = [] { return Count(LogTxt(), "Config sent: 61 bytes"); };
    ASSERT_TRUE(FramesUntil([&] {
        old->Step();
        return AllRunning() && !discovery.wrong_versions.empty();
    })) << log.str();

    // Every board identifies itself again (from its own address), the
    // refused one first: the plugin uploads again and says nothing new.
    const std::size_t before = uploads();
    const std::pair<const char*, vboard::VirtualBoard*> again[] = {{"127.0.0.5", old.get()},
                                                                   {"127.0.0.2", first.get()},
                                                                   {"127.0.0.3", twin.get()},
                                                                   {"127.0.0.4", unknown.get()}};
    for (const auto& [host, board] : again) {
        testenv::UdpPeer(host, folder.port())
            .SendToPlugin(board->identity().IdentificationMessage(), folder.port());
    }
    ASSERT_TRUE(FramesUntil([&] { return uploads() >= before + 3; })) << log.str();
    const std::string stderrText = testing::internal::GetCapturedStderr();

    const std::string lines[] = {
        "data.cfg line 4: skipped: a line needs more than two characters\n",
        "data.cfg line 5: not resolved: \"sim/no/such_command_here\"",
        "data.cfg line 9: not resolved: dataref \"sim/not/a/dataref\" does not exist\n",
        "Two boards identified as board #1: LAN 127.0.0.2 and LAN 127.0.0.3;",
        "Board #7 (LAN 127.0.0.4) identified, but " + folder.aircraftFolder() +
            "/data.cfg has no section *7: the board has no inputs and no outputs\n",
        "Board #2 (LAN 127.0.0.5): firmware library version 1.23 is too old; it needs ",
        "open_port: Unable to open serial port - : No such file or directory\n",
        "Serial port " + gone + " cannot be opened: No such file or directory\n",
    };
    const std::string logTxt = LogTxt();
    for (const std::string& line : lines) {
        EXPECT_EQ(Count(logTxt, "Kestrix: " + line), 1u) << line;
        EXPECT_EQ(Count(stderrText, line), 1u) << line;
    }

    // After a Reconnect every problem is told again, once.
    simhost::ChooseMenuItem("Kestrix", "Reconnect");
    ASSERT_TRUE(FramesUntil([&] {
        old->Step();
        return uploads() >= before + 6 && discovery.wrong_versions.size() == 1;
    })) << log.str();
    const std::string afterReconnect = LogTxt();
    for (const std::string& line : lines)
        EXPECT_EQ(Count(afterReconnect, "Kestrix: " + line), 2u) << line;
}

TEST_F(VirtualBoardsTest, StartupProblemsAreToldAndTheInstalledSampleIsNotRead) {
    folder.WriteSafeConfig("SCANNING_TIMEOUT = 0\n");
    folder.WritePluginDataCfg("*1\n[I]\nD2 sim/lights/landing_lights_toggle\n");
    // Another program holds the port, without sharing it.
    const int holder = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(folder.port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    StartAndInitialize();
    const std::string aircraftFile = folder.aircraftFolder() + "/data.cfg";
    const std::string pluginFile = folder.pluginFolder() + "/data.cfg";
    const std::string port = "Kestrix: UDP port " + std::to_string(folder.port()) +
                             " cannot be used: Address already in use; no LAN board is heard";
    EXPECT_EQ(Count(LogTxt(), port), 1u);
    EXPECT_EQ(Count(LogTxt(), "Kestrix: No data.cfg beside the aircraft (" + aircraftFile +
                                  "): using " + pluginFile + "\n"),
              1u);

    // The install's sample, however complete, is not read.
    std::remove(pluginFile.c_str());
    testenv::WriteFile(pluginFile + ".sample",
                       testenv::ReadFile(std::string(KESTRIX_SOURCE_DIR) + "/examples/data.cfg"));
    simhost::ChooseMenuItem("Kestrix", "Reconnect");
    EXPECT_TRUE(ArduinoID.empty());
    EXPECT_EQ(Count(LogTxt(), "Kestrix: No data.cfg was read: there is none beside the aircraft (" +
                                  aircraftFile + ") nor in the plugin folder (" + pluginFile +
                                  "); numbered boards get no inputs and no outputs\n"),
              1u);
    EXPECT_EQ(Count(LogTxt(), port), 2u);
    close(holder);
}
