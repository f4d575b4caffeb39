// A virtual board on 127.0.0.N against a fake plugin on 127.0.0.1, driven
// frame by frame with Step().
#include <gtest/gtest.h>

#include <sstream>

#include "fake_plugin.h"
#include "test_env.h"
#include "udp_transport.h"

using namespace vboard;
using boardtest::ExchangeUdp;
using boardtest::FakeUdpPlugin;
using boardtest::Upload;

namespace {

using testenv::Bytes;

std::string DefaultAnalogReply() {
    std::string reply = "A";
    for (int c = 0; c < 16; ++c) reply += Bytes({0, 0, 100});
    return reply;
}

std::unique_ptr<VirtualBoard> UdpBoard(const BoardIdentity& identity, const std::string& address,
                                       int port, std::ostream& log) {
    std::string error;
    auto transport = UdpTransport::Open(address, port, &error);
    if (!transport) throw std::runtime_error(error);
    return std::make_unique<VirtualBoard>(identity, std::move(transport), log, "[test]");
}

}  // namespace

TEST(boardUdp, NumberedBoardGoesFromDiscoveryToOutputsOn) {
    const std::string board = "127.0.0.61";
    FakeUdpPlugin plugin;
    std::ostringstream log;
    auto vb = UdpBoard(BoardIdentity::Numbered(1, 132), board, plugin.port(), log);

    // The answer waits for the board's next step, as on hardware.
    plugin.SendTo(board, "XP");
    ASSERT_TRUE(boardtest::StepWhenReadable(*vb));
    EXPECT_EQ(vb->queuedAnswers(), 1u);
    EXPECT_TRUE(vb->sent().empty());
    vb->Step();
    std::string reply;
    ASSERT_TRUE(plugin.Receive(&reply));
    EXPECT_EQ(reply, std::string("|A\x84") + "1");
    EXPECT_EQ(vb->boardIndex(), -1);

    const std::string upload = Upload({{2, 1}, {6, 2 + 16 + 128}, {13, 7}, {20, 14}}, 1);
    EXPECT_EQ(ExchangeUdp(*vb, plugin, board, upload), "~a");
    EXPECT_EQ(vb->boardIndex(), 0);
    EXPECT_EQ(vb->indexByte(), 1);
    ASSERT_TRUE(vb->pinTable());
    EXPECT_EQ((*vb->pinTable())[6], 146);
    EXPECT_EQ(vb->phase(), BoardPhase::WaitingForAnalogSettings);

    std::string analog = DefaultAnalogReply();
    analog[1 + 3 * 2] = 101;
    EXPECT_EQ(ExchangeUdp(*vb, plugin, board, analog), "~n");
    EXPECT_EQ((*vb->analogSettings())[2].bytes[0], 101);

    EXPECT_EQ(ExchangeUdp(*vb, plugin, board, Bytes({'N', 1, 30})), "~s");
    EXPECT_EQ(*vb->sevenSegmentPins(), std::vector<uint8_t>{30});
    EXPECT_FALSE(vb->outputsOn());

    EXPECT_EQ(ExchangeUdp(*vb, plugin, board, Bytes({'S', 3, 8, 0x90, 0x01})), "~w");
    ASSERT_EQ(vb->steppers()->size(), 1u);
    EXPECT_EQ((*vb->steppers())[0].steps, 400);
    EXPECT_TRUE(vb->outputsOn());
    EXPECT_EQ(vb->phase(), BoardPhase::Running);

    // Mode messages after "~w"; the board answers nothing.
    plugin.SendTo(board, Bytes({'{', 2, 13, ')'}));
    plugin.SendTo(board, Bytes({'{', 6, 5, 'D', 0, 0, 0x80, 0x3F}));
    while (vb->modeRecords().size() < 2 && boardtest::StepWhenReadable(*vb)) {
    }
    ASSERT_EQ(vb->modeRecords().size(), 2u);
    EXPECT_TRUE(vb->modeRecords()[0].ledOn);
    EXPECT_EQ(vb->modeRecords()[1].value, 1.0f);

    vb->SwitchOutputsOff();
    ASSERT_TRUE(plugin.Receive(&reply));
    EXPECT_EQ(reply, "~x");
    EXPECT_FALSE(vb->outputsOn());

    const std::string text = log.str();
    EXPECT_NE(text.find("[test] <- 58 50 |XP|  discovery request"), std::string::npos) << text;
    EXPECT_NE(text.find("pin 6: encoder, first kind, type 1, mode 2 (code 146)"),
              std::string::npos);
    EXPECT_NE(text.find("pin 20: encoder, first kind, type 4 or more"), std::string::npos);
    EXPECT_NE(text.find("analog channel 2: 101, 0, 100"), std::string::npos);
    EXPECT_NE(text.find("stepper 1: pin 8, 400 steps"), std::string::npos);
    EXPECT_NE(text.find("mode or output record: pin 13 LED on"), std::string::npos);
}

TEST(boardUdp, SelfConfiguringBoardSendsItsTextAndTakesTheIdReply) {
    const std::string board = "127.0.0.62";
    const std::string config = "[O]\n13L 0 sim/cockpit2/annunciators/gear_unsafe\n";
    FakeUdpPlugin plugin;
    std::ostringstream log;
    auto vb = UdpBoard(BoardIdentity::SelfConfiguring(config), board, plugin.port(), log);

    EXPECT_EQ(ExchangeUdp(*vb, plugin, board, "XP"), "|" + config);
    // An upload is for numbered boards: ignored, nothing sent.
    plugin.SendTo(board, Upload({{2, 1}}, 1));
    ASSERT_TRUE(boardtest::StepWhenReadable(*vb));
    vb->Step();
    EXPECT_FALSE(vb->configured());
    EXPECT_EQ(vb->sent().size(), 1u);
    EXPECT_EQ(vb->queuedAnswers(), 0u);

    EXPECT_EQ(ExchangeUdp(*vb, plugin, board, Bytes({'~', 0, 0, 0, 0, 0, 3})), "~a");
    EXPECT_EQ(vb->boardIndex(), 2);
    EXPECT_FALSE(vb->pinTable());

    // The panel's output text is decoded as it arrives.
    plugin.SendTo(board, ">13L<1>");
    ASSERT_TRUE(boardtest::StepWhenReadable(*vb));
    EXPECT_EQ(vb->received().back().kind, PluginMessageKind::PanelText);
}

TEST(boardUdp, RepeatsAreCountedAndOddMessagesChangeNothing) {
    const std::string board = "127.0.0.63";
    FakeUdpPlugin plugin;
    std::ostringstream log;
    auto vb = UdpBoard(BoardIdentity::Numbered(2, 132), board, plugin.port(), log);

    // A numbered board ignores the ID reply; settings that were not asked
    // for are kept without moving the board on.
    plugin.SendTo(board, Bytes({'~', 0, 0, 0, 0, 0, 1}));
    plugin.SendTo(board, Bytes({'N', 1, 30}));
    plugin.SendTo(board, Bytes({'N', 9, 30}));  // count larger than the bytes
    plugin.SendTo(board, "XQ");
    for (int i = 0; i < 3; ++i) plugin.SendTo(board, Bytes({'{', 0}));
    plugin.SendTo(board, "XX");
    while (vb->receivedCount() < 8 && boardtest::StepWhenReadable(*vb)) {
    }
    ASSERT_EQ(vb->receivedCount(), 8u);
    EXPECT_FALSE(vb->configured());
    vb->Step();
    // Only the ping gets an answer: a board without a configuration that is
    // pinged has restarted under a plugin that knew it, and says who it is.
    ASSERT_EQ(vb->sent().size(), 1u);
    EXPECT_EQ(vb->sent().front(), BoardIdentity::Numbered(2, 132).IdentificationMessage());
    EXPECT_EQ(vb->phase(), BoardPhase::WaitingForConfiguration);
    EXPECT_EQ(*vb->sevenSegmentPins(), std::vector<uint8_t>{30});
    EXPECT_EQ(vb->received()[2].kind, PluginMessageKind::Malformed);

    const std::string text = log.str();
    EXPECT_NE(text.find("malformed: 7-segment settings of 3 bytes, expected 11"), std::string::npos)
        << text;
    EXPECT_NE(text.find("(the same 2 more times)\n[test] <- 58 58 |XX|  ping"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("7b 00"), text.rfind("7b 00")) << "an unchanged message is logged once";
}

TEST(boardUdp, OnlyOwnLoopbackAddressesAreAccepted) {
    std::string error;
    EXPECT_EQ(UdpTransport::Open("127.0.0.1", 5080, &error), nullptr);
    EXPECT_EQ(UdpTransport::Open("10.1.2.3", 5080, &error), nullptr);
    EXPECT_EQ(UdpTransport::Open("0.0.0.0", 5080, &error), nullptr);
    EXPECT_NE(error, "");
}
