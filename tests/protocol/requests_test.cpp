// Control requests, settings replies, mode messages, and what a flood of
// messages may take from one cycle.
#include "XPLMPlugin.h"
#include "config/board_tables.h"
#include "feature_level.h"
#include "protocol/protocol_state.h"
#include "protocol/upload.h"
#include "protocol_fixture.h"
#include "transport/serial.h"
#include "ui/status_window.h"

namespace {

const std::string kFloat1 = Bytes({0x00, 0x00, 0x80, 0x3F});

class RequestsTest : public ProtocolTest {
  protected:
    // A numbered LAN board, configured; its upload is already read.
    void ConnectBoard() {
        StartPlugin("SCANNING_TIMEOUT = 0\n");
        board.SendToPlugin(NumberedIdentity(132, '1'), folder.port());
        std::string upload;
        ASSERT_TRUE(CyclesUntilReceived(board, &upload));
        ASSERT_EQ(upload.size(), 61u);
        ASSERT_EQ(Boards.size(), 1u);
    }
    std::string Ask(const std::string& request) {
        board.SendToPlugin(request, folder.port());
        std::string reply;
        CyclesUntilReceived(board, &reply, 5);
        return reply;
    }
    testenv::UdpPeer board{"127.0.0.20", folder.port()};
};

}  // namespace

TEST_F(RequestsTest, SettingsRepliesCarryTheBoardsRows) {
    ConnectBoard();
    std::string analog = Ask("~a");
    ASSERT_EQ(analog.size(), 49u);
    EXPECT_EQ(analog[0], 'A');
    EXPECT_EQ(analog.substr(1, 6), Bytes({0, 0, 100, 0, 0, 100}));

    Boards[0].SevenSegAdditional = {30};
    Boards[0].StepperAdditional = {4, 144, 1, 7, 0x20, 0x03};
    EXPECT_EQ(Ask("~n"), Bytes({'N', 1, 30}));
    EXPECT_EQ(Ask("~s"), Bytes({'S', 6, 4, 144, 1, 7, 0x20, 0x03}));

    Boards[0].AnalogAdditional.resize(10);  // fewer than 48 bytes: zeros are sent
    EXPECT_EQ(Ask("~a"), "A" + std::string(48, '\0'));
}

TEST_F(RequestsTest, ARowTooLongForItsCountByteIsCutToWhatTheCountSays) {
    ConnectBoard();
    Boards[0].SevenSegAdditional.assign(300, 9);
    std::string reply = Ask("~n");
    ASSERT_EQ(reply.size(), 257u);
    EXPECT_EQ(static_cast<uint8_t>(reply[1]), 255);
}

TEST_F(RequestsTest, OutputsOnSendsTheModeLinesWhileEverythingIsDue) {
    ConnectBoard();
    Boards[0].OutputModeLed = {{Bytes({12, 'L'}), "kestrix_mode=1"},
                               {Bytes({13, 'L'}), "kestrix_mode=2"},
                               {Bytes({5, 'D'}), "sim/x"}};
    EXPECT_EQ(Ask("~w"), Bytes({'{', 2, 12, ')'}));
    std::vector<std::string> rest = board.ReceiveAll();
    ASSERT_EQ(rest.size(), 3u);
    EXPECT_EQ(rest[0], Bytes({'{', 2, 13, '('}));
    EXPECT_EQ(rest[1], Bytes({'{', 6, 5, 'D'}) + kFloat1);
    EXPECT_EQ(rest[2], Bytes({'{', 0})) << "then the cycle's output message";
    EXPECT_TRUE(Boards[0].AllowOutput);
    EXPECT_TRUE(Boards[0].AllowPing);

    EXPECT_EQ(Ask("~x"), "");
    EXPECT_FALSE(Boards[0].AllowOutput);
    EXPECT_FALSE(Boards[0].AllowPing);
    Boards[0].sendall = false;
    EXPECT_EQ(Ask("~w"), Bytes({'{', 0})) << "no mode message: only the cycle's outputs";
    EXPECT_TRUE(Boards[0].AllowOutput);
}

TEST_F(RequestsTest, LedPortModeLinesSetTheirBitForTheOutputs) {
    ConnectBoard();
    Boards[0].LedPortData = {0, 0};
    Boards[0].OutputModeLed = {{Bytes({10, 'l'}), "mode=1"}, {Bytes({70, 'l'}), "mode=1"}};
    // LED 10 is the second bit from the top of port byte 1, as for outputs;
    // the bytes go out last first at the start of the cycle's output message.
    EXPECT_EQ(Ask("~w"), Bytes({'{', 5, 100, 'R', 2, 0x40, 0x00}));
    EXPECT_FALSE(Boards[0].LedPortSend);
    EXPECT_EQ(Boards[0].LedPortData, (ByteList{0, 0x40}));
}

TEST_F(RequestsTest, UnknownRequestsAndUnknownSourcesAreIgnored) {
    ConnectBoard();
    EXPECT_EQ(Ask("~q"), "");
    testenv::UdpPeer stranger("127.0.0.99", folder.port());
    stranger.SendToPlugin("~a", folder.port());
    stranger.SendToPlugin("~w", folder.port());
    RunCycles(2);
    EXPECT_TRUE(stranger.ReceiveAll().empty());
    EXPECT_FALSE(Boards[0].AllowOutput);
    EXPECT_EQ(Ask("|AB"), "") << "an identification of 3 characters is nothing";
    EXPECT_EQ(Boards.size(), 1u);
}

TEST_F(RequestsTest, AFloodOfDatagramsCannotHoldACycleNorStarveTheSerialPorts) {
    testenv::PseudoTerminal usb;
    usb.LinkAs(Dev("tty.usbmodemF"));
    ConnectBoard();
    ASSERT_EQ(serial.ports.size(), 1u);
    usb.Write("{" + NumberedIdentity(132, '2') + "}");
    ASSERT_TRUE(CyclesUntil([] { return Boards.size() == 2; }));
    usb.ReadExactly(61);

    // A socket's default buffer holds about 256 tiny datagrams; make room for
    // more than one cycle's worth so the bound is what stops the turn.
    testenv::EnlargeSocketBuffer(lan.sock);
    board.EnlargeReceiveBuffer();
    const int flood = 600;
    for (int i = 0; i < flood; ++i) board.SendToPlugin("~n", folder.port());
    usb.Write("{~n}");
    ASSERT_TRUE(testenv::WaitReadable(serial.ports[0].comport));
    RunCycles(1);
    std::size_t firstCycle = board.ReceiveAll().size();
    EXPECT_EQ(usb.ReadExactly(2), Bytes({'N', 0})) << "the port had its turn in that cycle";
    RunCycles(3);
    std::size_t later = board.ReceiveAll().size();
    EXPECT_EQ(firstCycle, std::min<std::size_t>(firstCycle + later, kMaxMessagesPerSource));
    EXPECT_GT(firstCycle + later, static_cast<std::size_t>(kMaxMessagesPerSource))
        << "the socket must have queued more than one cycle's worth for this to test anything";
}

// Keep-alives of other devices (empty datagrams, or ones that begin with a
// zero byte) are dropped without ending the LAN's turn, and count against
// the per-source bound like any datagram.
TEST_F(RequestsTest, EmptyAndZeroLeadingDatagramsNeitherEndTheTurnNorEscapeTheBound) {
    ConnectBoard();
    testenv::UdpPeer keepAlive("127.0.0.21", folder.port());
    for (int i = 0; i < 20; ++i) {
        keepAlive.SendToPlugin(i % 2 ? "" : std::string("\0ping", 5), folder.port());
        board.SendToPlugin("~n", folder.port());
    }
    RunCycles(1);
    EXPECT_EQ(board.ReceiveAll().size(), 20u) << "every request answered in the same cycle";

    testenv::EnlargeSocketBuffer(lan.sock);
    for (int i = 0; i < kMaxMessagesPerSource; ++i) keepAlive.SendToPlugin("", folder.port());
    board.SendToPlugin("~n", folder.port());
    RunCycles(1);
    EXPECT_TRUE(board.ReceiveAll().empty()) << "the bound ended the turn before the request";
    RunCycles(1);
    EXPECT_EQ(board.ReceiveAll().size(), 1u);
}

// A mode line's letter is the last character of its key, for the mode
// message as for the upload (a panel's key such as "12L" is longer than a
// pin byte and a letter).
TEST_F(RequestsTest, AModeLineTakesItsLetterFromTheEndOfItsKey) {
    ConnectBoard();
    Boards[0].OutputModeLed = {{Bytes({12, 'x', 'L'}), "mode=1"}};
    EXPECT_EQ(Ask("~w"), Bytes({'{', 2, 12, ')'}));
    EXPECT_EQ(BuildPinModeTable(0)[12], 7) << "the upload reads the same letter";
}

// An early airport load asks the boards for their inputs, unless the plugin
// is paused: then nothing at all is sent.
TEST_F(RequestsTest, NoInputRequestGoesOutWhilePaused) {
    KESTRIX_ONLY_AT_LEVEL(132);
    ConnectBoard();
    EXPECT_EQ(Ask("~w"), Bytes({'{', 0}));
    simhost::SetFlightTimeRunning(false);
    simhost::SetValue("sim/time/total_flight_time_sec", 0.0);
    simhost::SendMessage(plugin.module(), XPLM_MSG_AIRPORT_LOADED);
    std::string request;
    ASSERT_TRUE(board.Receive(&request));
    EXPECT_EQ(request, "XR");

    simhost::PushButton(window.ToggleUSB);
    simhost::SendMessage(plugin.module(), XPLM_MSG_AIRPORT_LOADED);
    EXPECT_FALSE(board.Receive(&request, 100)) << request;
}
