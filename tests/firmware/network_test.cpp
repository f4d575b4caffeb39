// The board's network code against the W5500 model: the EEPROM's settings
// as the flash tool writes them, and the plugin's socket (whole datagrams,
// the reply address, a chip that is slow to take a command or to send).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "chip_on_host.h"
#include "fake_board.h"
#include "network_settings.h"

using testing::ElementsAre;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    return std::vector<uint8_t>(values.begin(), values.end());
}

// The EEPROM bytes kestrix-flash.sh writes for these arguments (from its
// avrdude command), or none when it refuses them.
std::vector<uint8_t> FlashToolEeprom(const std::string& arguments) {
    const std::string command = std::string(KESTRIX_SOURCE_DIR) +
                                "/tools/kestrix-flash.sh --dry-run --port /dev/ttyACM0 "
                                "--number-only " +
                                arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    if (pipe == nullptr || pclose(pipe) != 0) return {};
    const std::size_t from = output.find("eeprom:w:"), to = output.rfind(":m");
    std::vector<uint8_t> bytes;
    std::string list = output.substr(from + 9, to - from - 9) + ",";
    for (std::size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos;
         at = comma + 1)
        bytes.push_back(static_cast<uint8_t>(std::stoul(list.substr(at, comma - at), nullptr, 0)));
    return bytes;
}

}  // namespace

TEST(firmwareNet, TheFlashToolWritesWhatTheFirmwareReads) {
    struct Row {
        std::string arguments;
        bool lan, dhcp;
        std::vector<uint8_t> address, mask;
        uint16_t port;
        std::vector<uint8_t> mac;
    } rows[] = {
        {"--number 2 --lan dhcp",
         true,
         true,
         {0, 0, 0, 0},
         {0, 0, 0, 0},
         5080,
         {0x02, 0x4B, 0x58, 0, 0, 2}},
        {"--number 3 --lan 192.168.1.30 --udp-port 49001 --mac 90:A2:DA:10:20:3F",
         true,
         false,
         {192, 168, 1, 30},
         {255, 255, 255, 0},
         49001,
         {0x90, 0xA2, 0xDA, 0x10, 0x20, 0x3F}},
        {"--number 4 --lan 10.1.2.3/16",
         true,
         false,
         {10, 1, 2, 3},
         {255, 255, 0, 0},
         5080,
         {0x02, 0x4B, 0x58, 0, 0, 4}},
        {"--number 5 --usb", false, false, {}, {}, 0, {}},
    };
    for (const Row& row : rows) {
        const std::vector<uint8_t> eeprom = FlashToolEeprom(row.arguments);
        ASSERT_GE(eeprom.size(), 4u) << row.arguments;
        EXPECT_EQ(eeprom[0], 'K');
        EXPECT_EQ(eeprom[1], 'X');
        std::vector<uint8_t> settings(eeprom.begin() + 3, eeprom.end());
        settings.resize(kxnet::kSettingsSize, 0xFF);  // past what was written: erased
        kxnet::NetworkSettings parsed;
        ASSERT_EQ(kxnet::ParseNetworkSettings(settings.data(), eeprom[2], &parsed), row.lan)
            << row.arguments;
        if (!row.lan) continue;
        EXPECT_EQ(parsed.dhcp, row.dhcp) << row.arguments;
        EXPECT_EQ(std::vector<uint8_t>(parsed.address, parsed.address + 4), row.address);
        EXPECT_EQ(std::vector<uint8_t>(parsed.mask, parsed.mask + 4), row.mask);
        EXPECT_EQ(parsed.port, row.port);
        EXPECT_EQ(std::vector<uint8_t>(parsed.mac, parsed.mac + 6), row.mac);
    }
    for (const char* refused :
         {"--lan dhcp", "--number 2 --lan 192.168.1.255", "--number 2 --lan 1.2.3.4/31",
          "--number 2 --lan dhcp --udp-port 68", "--number 2 --lan dhcp --mac 01:00:5E:00:00:01"})
        EXPECT_TRUE(FlashToolEeprom(refused).empty()) << refused;
}

// Settings no host may use fall back to DHCP; a MAC that is not a board's
// to the board's own.
TEST(firmwareNet, UnusableFixedSettingsFallBackToDhcp) {
    struct Row {
        std::vector<uint8_t> bytes;
        bool dhcp;
        uint16_t port;
        uint8_t macFirst;
    } rows[] = {
        {Bytes({'F', 192, 168, 1, 30, 255, 255, 255, 0, 0, 0, 0, 0, 0xFF, 0xFF}), false, 5080,
         0x02},
        {Bytes({'F', 0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0x13, 0xD8}), true, 5080, 0x02},
        {Bytes({'F', 224, 0, 0, 1, 255, 255, 255, 0, 0, 0, 0, 0, 0x13, 0xD8}), true, 5080, 0x02},
        {Bytes({'F', 192, 168, 1, 30, 255, 0, 255, 0, 0, 0, 0, 0, 0x13, 0x89}), true, 5001, 0x02},
        {Bytes({'D', 1, 2, 3, 4, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0x01, 2, 3, 4, 5, 6}), true,
         5080, 0x02},
        {Bytes({'D', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 80, 0x90, 2, 3, 4, 5, 6}), true, 80,
         0x90},
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> bytes = row.bytes;
        bytes.resize(kxnet::kSettingsSize, 0xFF);
        kxnet::NetworkSettings parsed;
        ASSERT_TRUE(kxnet::ParseNetworkSettings(bytes.data(), 7, &parsed));
        EXPECT_EQ(parsed.dhcp, row.dhcp);
        EXPECT_EQ(parsed.port, row.port);
        EXPECT_EQ(parsed.mac[0], row.macFirst);
    }
}

class PluginSocketTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<uint8_t> eeprom =
            Bytes({'F', 192, 168, 1, 30, 255, 255, 255, 0, 0, 0, 0, 0, 0x13, 0xD8});
        eeprom.resize(kxnet::kSettingsSize, 0xFF);
        kxnet::NetworkSettings settings;
        ASSERT_TRUE(kxnet::ParseNetworkSettings(eeprom.data(), 2, &settings));
        ASSERT_TRUE(host.board.Start(settings, 2, 0));
        host.Run(10);
    }
    void Arrive(const std::string& bytes, uint16_t fromPort = 5080) {
        host.chip.ArriveAt(0, {192, 168, 1, 20}, fromPort,
                           reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::string Next() {
        const uint8_t* message = nullptr;
        uint16_t length = 0;
        if (!link.Receive(&message, &length)) return "(none)";
        return std::string(reinterpret_cast<const char*>(message), length);
    }

    ChipOnHost host;
    kxfw::DatagramLink link{host.board.pluginPort(), kxfw::kUploadSize};
};

TEST_F(PluginSocketTest, ADatagramLongerThanTheBoardTakesIsPassedOverWhole) {
    Arrive(std::string(300, 'N'));
    Arrive("XP");
    Arrive("hello");  // no plugin message: dropped, the reply address stays
    Arrive("N\x01\x04", 6000);
    EXPECT_EQ(Next(), "XP");
    EXPECT_EQ(link.peer().port, 5080);
    EXPECT_EQ(Next(), "N\x01\x04");
    EXPECT_EQ(Next(), "(none)");
    EXPECT_EQ(host.board.pluginSocket().dropped(), 1);
    EXPECT_EQ(link.noiseDatagrams(), 1);
    // The reply goes where the last message came from.
    ASSERT_TRUE(link.CanSend(3));
    link.Send(reinterpret_cast<const uint8_t*>("~a"), 2);
    ASSERT_EQ(host.network.sent.size(), 1u);
    EXPECT_EQ(host.network.sent[0].to, (avrboard::Address{192, 168, 1, 20}));
    EXPECT_EQ(host.network.sent[0].toPort, 6000);
    EXPECT_EQ(host.network.sent[0].fromPort, 5080);
}

// Past the end of the RX ring and through its pointers' wrap at 65536,
// every datagram arrives whole and in order, while the chip's command
// register stays busy for a while after each command.
TEST_F(PluginSocketTest, DatagramsStayWholeThroughTheRingsWrap) {
    host.chip.SetCommandBusyReads(2);
    std::string upload(61, '\0');
    upload[0] = '~';
    int received = 0;
    for (int i = 0; i < 1200; ++i) {
        upload[60] = static_cast<char>(i);
        Arrive(upload);
        if (i % 3 != 2) continue;  // three at a time
        for (const uint8_t* message; received <= i;) {
            uint16_t length = 0;
            if (!link.Receive(&message, &length)) break;
            ASSERT_EQ(length, 61);
            ASSERT_EQ(message[60], static_cast<uint8_t>(received)) << received;
            ++received;
        }
    }
    EXPECT_EQ(received, 1200);
    EXPECT_EQ(host.chip.commandsOverrun(), 0u);
}

TEST_F(PluginSocketTest, ASendWaitsUntilTheChipHasSentTheLastOne) {
    Arrive("XP");
    EXPECT_EQ(Next(), "XP");
    host.chip.HoldSends(true);
    ASSERT_TRUE(link.CanSend(5));
    link.Send(reinterpret_cast<const uint8_t*>("|A\x84"
                                               "2"),
              4);
    EXPECT_FALSE(link.CanSend(3));
    host.chip.HoldSends(false);
    EXPECT_TRUE(link.CanSend(3));
    EXPECT_EQ(host.network.sent.size(), 1u);
}

// A chip that sends at once must not let a queue of input events hold the
// loop: each turn sends two datagrams at most.
TEST_F(PluginSocketTest, ATurnOfTheLoopSendsTwoDatagramsAtMost) {
    FakeHardware hardware;
    kxfw::BoardCore core(2, hardware, link);
    std::string upload(61, '\0');
    upload[0] = '~';
    upload[1 + 22] = 1;
    upload[60] = 1;
    Arrive(upload);
    core.Poll();
    for (int i = 0; i < 5; ++i) core.inputs().queue().Push(kxfw::InputEvent{'D', 22, '+', 0});
    std::vector<std::size_t> sentAfterEachTurn;
    for (int turn = 0; turn < 3; ++turn) {
        core.Poll();
        sentAfterEachTurn.push_back(host.network.sent.size());
    }
    EXPECT_THAT(sentAfterEachTurn, ElementsAre(3u, 5u, 6u));  // "~a" went first
}

TEST(firmwareNet, NoChipKeepsTheBoardOnUsb) {
    ModelBus nothing(nullptr);
    kxnet::BoardNetwork board(nothing);
    kxnet::NetworkSettings settings;
    EXPECT_FALSE(board.Start(settings, 1, 0));
}
