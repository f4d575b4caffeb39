// Discovery and identification, end to end through the main cycle.
#include <arpa/inet.h>

#include "base/plugin_state.h"
#include "base/settings.h"
#include "config/board_tables.h"
#include "config/status_line.h"
#include "config/status_sink.h"
#include "feature_level.h"
#include "protocol/discovery.h"
#include "protocol/protocol_state.h"
#include "protocol/receive.h"
#include "protocol_fixture.h"
#include "transport/lan.h"
#include "transport/reply.h"
#include "transport/serial.h"
#include "ui/status_window.h"

using testing::HasSubstr;

namespace {

// The address the sweep called last: discovery leaves it in My_IP_str.
std::string CalledHost() {
    return lan.My_IP_str;
}

}  // namespace

TEST_F(ProtocolTest, SweepCallsEveryHostButOurOwnOnePerCycle) {
    testenv::UdpPeer two("127.0.0.2", folder.port());
    testenv::UdpPeer last("127.0.0.255", folder.port());
    StartPlugin();
    // The first cycle called host 0; each later cycle calls the next.
    EXPECT_EQ(CalledHost(), "127.0.0.0");
    RunCycles(1);
    EXPECT_EQ(CalledHost(), "127.0.0.0") << "host 1 is our own and is not called";
    RunCycles(1);
    EXPECT_EQ(CalledHost(), "127.0.0.2");
    std::string got;
    ASSERT_TRUE(two.Receive(&got, 0));
    EXPECT_EQ(got, "XP");
    for (int host = 3; host <= 255; ++host) {
        RunCycles(1);
        ASSERT_EQ(CalledHost(), "127.0.0." + std::to_string(host));
    }
    ASSERT_TRUE(last.Receive(&got, 0));
    EXPECT_EQ(got, "XP");
    EXPECT_EQ(cycleState.Next, 0) << "after 255 the sweep starts over";
    EXPECT_EQ(settings.ScanTimeout, 512) << "no board: scanning never counts down";
}

TEST_F(ProtocolTest, WithoutScanningNothingIsCalledButBoardsStillConnect) {
    testenv::UdpPeer board("127.0.0.2", folder.port());
    testing::internal::CaptureStderr();
    StartPlugin("SCANNING_TIMEOUT = 0\n");
    RunCycles(5);
    EXPECT_TRUE(board.ReceiveAll().empty());
    board.SendToPlugin(NumberedIdentity(132, '1'), folder.port());
    RunCycles(1);
    std::string log = testing::internal::GetCapturedStderr();
    ASSERT_EQ(Boards.size(), 1u);
    EXPECT_EQ(log.find("\nScanning stopped. "), std::string::npos);
}

TEST_F(ProtocolTest, AReconnectCallsTheKnownHostsFirst) {
    testenv::UdpPeer board("127.0.0.30", folder.port());
    StartPlugin();
    board.SendToPlugin(NumberedIdentity(132, '1'), folder.port());
    RunCycles(1);
    ASSERT_EQ(Boards.size(), 1u);
    board.ReceiveAll();

    testing::internal::CaptureStderr();
    simhost::ChooseMenuItem("Kestrix", "Reconnect");
    EXPECT_EQ(lan.TempLAN, (std::vector<int>{1, 30}));
    RunCycles(1);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_THAT(log, HasSubstr("\nSending request to LAN 127.0.0.30: 2 bytes\n"));
    EXPECT_EQ(log.find("\nSending request to LAN 127.0.0.1:"), std::string::npos);
    EXPECT_TRUE(lan.TempLAN.empty());
    EXPECT_FALSE(cycleState.send_usb_request);
    std::vector<std::string> got = board.ReceiveAll();
    EXPECT_EQ(got, std::vector<std::string>{"XP"}) << "one request, not a second from the sweep";
}

TEST_F(ProtocolTest, ANumberedLanBoardGetsItsUploadAtItsOwnAddress) {
    folder.WriteDataCfg("*1\n[I]\nD7 sim/lights/landing_lights_toggle\n");
    testenv::UdpPeer board("127.0.0.20", folder.port());
    testing::internal::CaptureStderr();
    StartPlugin();
    board.SendToPlugin(NumberedIdentity(132, '1'), folder.port());
    std::string upload;
    bool received = CyclesUntilReceived(board, &upload);
    std::string log = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(received) << log;
    ASSERT_EQ(upload.size(), 61u);
    EXPECT_EQ(upload[0], '~');
    EXPECT_EQ(upload[60], 1) << "board index 0 + 1";
    EXPECT_THAT(log, HasSubstr("\nSending config"));
    EXPECT_THAT(log, HasSubstr("\nConfig sent: 61 bytes"));
    ASSERT_EQ(Boards.size(), 1u);
    EXPECT_EQ(Boards[0].OutDevice, 1u);
    EXPECT_EQ(Boards[0].SerialIndex, -1);
    EXPECT_EQ(lan.UsedAddr, (std::vector<int>{1, 20}));
    EXPECT_EQ(lan.NetworkIndices, (std::vector<int>{-1, 0}));
}

TEST_F(ProtocolTest, ANumberedSerialBoardGetsTheOneShotRequestAndItsUpload) {
    testenv::PseudoTerminal board;
    board.LinkAs(Dev("tty.usbmodem1421"));
    testing::internal::CaptureStderr();
    StartPlugin();
    EXPECT_EQ(board.ReadExactly(2), "XP");
    board.Write("noise{" + NumberedIdentity(133, '2') + "}");
    ASSERT_TRUE(CyclesUntil([] { return !Boards.empty(); }));
    std::string upload = board.ReadExactly(61);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_THAT(log,
                HasSubstr("\nSending request to USB " + Dev("tty.usbmodem1421") + ": 2 bytes\n"));
    ASSERT_EQ(upload.size(), 61u);
    EXPECT_EQ(upload[0], '~');
    EXPECT_EQ(upload[60], 1);
    ASSERT_EQ(Boards.size(), 1u);
    EXPECT_EQ(Boards[0].SerialIndex, 0);
    EXPECT_EQ(Boards[0].OutDevice, 2u);
    EXPECT_EQ(serial.UsedUSB,
              (std::vector<std::string>{Dev("tty.usbmodem1421"), Dev("cu.usbmodem1421")}));
}

TEST_F(ProtocolTest, TheExpectedNumberOfUsbBoardsClosesTheOtherPortsAtOnce) {
    testenv::PseudoTerminal a, b, c;
    a.LinkAs(Dev("tty.usbmodemA"));
    b.LinkAs(Dev("tty.usbmodemB"));
    c.LinkAs(Dev("tty.usbmodemC"));
    StartPlugin("USB_DEVICE_COUNT = 1\n");
    ASSERT_EQ(serial.ports.size(), 3u);
    EXPECT_EQ(b.ReadExactly(2), "XP");
    b.Write("{" + NumberedIdentity(132, '1') + "}");
    ASSERT_TRUE(CyclesUntil([] { return !Boards.empty(); }));
    std::string upload = b.ReadExactly(61);
    ASSERT_EQ(serial.ports.size(), 1u);
    EXPECT_EQ(serial.ports[0].ComPortName, Dev("tty.usbmodemB"));
    EXPECT_EQ(serial.max_cycles, 2);
    EXPECT_EQ(Boards[0].SerialIndex, 0);
    EXPECT_EQ(upload.size(), 61u) << "the upload went to the port that identified itself";
}

TEST_F(ProtocolTest, WrongLibraryVersionsAreRefusedWithAStatusLineShownOnce) {
    KESTRIX_ONLY_AT_LEVEL(132);
    testenv::UdpPeer old("127.0.0.40", folder.port());
    StartPlugin();
    message_line_number = 2;  // two board lines already shown
    old.SendToPlugin(NumberedIdentity(130, '1'), folder.port());
    RunCycles(1);
    EXPECT_EQ(StatusLine(3), "   1. Wrong library version - 1.30 (req. min. 1.31)");
    EXPECT_TRUE(Boards.empty()) << "no configuration read";
    old.SendToPlugin(NumberedIdentity(130, '1'), folder.port());
    RunCycles(1);
    EXPECT_EQ(message_line_number, 3) << "the warning is shown once";
    EXPECT_TRUE(old.ReceiveAll().size() <= 1) << "nothing but maybe the sweep's request";
}

TEST_F(ProtocolTest, VersionBoundsAndTheVersionTextOfVeryOldBoards) {
    KESTRIX_ONLY_AT_LEVEL(132);
    testenv::UdpPeer newest("127.0.0.41", folder.port());
    testenv::UdpPeer ancient("127.0.0.42", folder.port());
    testenv::UdpPeer tooNew("127.0.0.43", folder.port());
    StartPlugin("SCANNING_TIMEOUT = 0\n");
    newest.SendToPlugin(NumberedIdentity(139, '1'), folder.port());
    RunCycles(1);
    EXPECT_EQ(Boards.size(), 1u) << "1.39 is accepted";
    message_line_number = 4;
    ancient.SendToPlugin(NumberedIdentity(100, '1'), folder.port());
    RunCycles(1);
    EXPECT_EQ(StatusLine(5), "   3. Wrong library version - (req. min. 1.31)");
    tooNew.SendToPlugin(NumberedIdentity(140, '1'), folder.port());
    RunCycles(1);
    EXPECT_EQ(Boards.size(), 1u) << "1.40 is refused";
}

TEST_F(ProtocolTest, FirmwareVersionsAcceptedFollowTheFeatureLevel) {
    StartPlugin("SCANNING_TIMEOUT = 0\n");
    struct Case {
        int version;
        bool at122, at132;
    };
    const Case cases[] = {{123, false, false}, {124, true, false}, {130, true, false},
                          {131, true, true},   {139, true, true},  {140, false, false}};
    int host = 60;
    for (const Case& c : cases) {
        testenv::UdpPeer board("127.0.0." + std::to_string(host++), folder.port());
        const std::size_t before = Boards.size();
        board.SendToPlugin(NumberedIdentity(c.version, '1'), folder.port());
        RunCycles(1);
        const bool accepted = KESTRIX_FEATURE_LEVEL == 122 ? c.at122 : c.at132;
        EXPECT_EQ(Boards.size(), before + (accepted ? 1 : 0)) << "version byte " << c.version;
    }
}

TEST_F(ProtocolTest, AWarningOnTheFirstLinesNeverShowsANegativeNumber) {
    KESTRIX_ONLY_AT_LEVEL(132);
    testenv::UdpPeer old("127.0.0.44", folder.port());
    StartPlugin("SCANNING_TIMEOUT = 0\n");
    old.SendToPlugin(NumberedIdentity(125, '1'), folder.port());
    RunCycles(1);
    EXPECT_EQ(StatusLine(1), "   Wrong library version - 1.25 (req. min. 1.31)");
}

TEST_F(ProtocolTest, APanelIsReadAsOutputLinesAndGetsItsIdReply) {
    testenv::UdpPeer panel("127.0.0.50", folder.port());
    testing::internal::CaptureStderr();
    StartPlugin("SCANNING_TIMEOUT = 0\n");
    panel.SendToPlugin("|13L 0 sim/cockpit2/annunciators/master_caution", folder.port());
    std::string reply;
    ASSERT_TRUE(CyclesUntilReceived(panel, &reply));
    EXPECT_EQ(reply, Bytes({'~', 0, 0, 0, 0, 0, 1}));
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("\nID sent: 1"));
    ASSERT_EQ(Boards.size(), 1u);
    EXPECT_EQ(Boards[0].OutDevice, 0u);
    EXPECT_TRUE(Boards[0].AllowOutput);
}

TEST_F(ProtocolTest, ScanningEndsTheGivenNumberOfCyclesAfterTheFirstBoard) {
    testenv::PseudoTerminal unused;
    unused.LinkAs(Dev("tty.usbmodemUnused"));
    testenv::UdpPeer board("127.0.0.60", folder.port());
    StartPlugin("SCANNING_TIMEOUT = 5\n");
    RunCycles(3);
    EXPECT_EQ(settings.ScanTimeout, 5) << "no board yet";
    board.SendToPlugin(NumberedIdentity(132, '1'), folder.port());
    testing::internal::CaptureStderr();
    RunCycles(1);  // the board is configured in this cycle
    ASSERT_EQ(Boards.size(), 1u);
    RunCycles(4);
    EXPECT_EQ(settings.ScanTimeout, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("\nFinishing scanning"),
              std::string::npos);
    testing::internal::CaptureStderr();
    RunCycles(1);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_THAT(log, HasSubstr("\nFinishing scanning for devices..."));
    EXPECT_THAT(log, HasSubstr("\nClosing " + Dev("tty.usbmodemUnused")));
    EXPECT_THAT(log, HasSubstr("\nScanning stopped. "));
    EXPECT_TRUE(serial.ports.empty());
    EXPECT_EQ(StatusLine(message_line_number + 1), "   ");
    int sweepPosition = cycleState.Next;
    RunCycles(3);
    EXPECT_EQ(cycleState.Next, sweepPosition) << "no more discovery";
}

TEST_F(ProtocolTest, TheSpinnerTurnsOnTheScanningLine) {
    StartPlugin();
    std::string marks;
    for (int i = 0; i < 5; ++i) {
        marks += StatusLine(message_line_number + 1)[1];
        RunCycles(1);
    }
    EXPECT_EQ(marks, "|/-\\|");
}

TEST_F(ProtocolTest, PauseLeavesEverythingUnreadAndUnsent) {
    KESTRIX_ONLY_AT_LEVEL(132);
    testenv::UdpPeer board("127.0.0.2", folder.port());
    StartPlugin();
    simhost::PushButton(window.ToggleUSB);
    board.ReceiveAll();
    int next = cycleState.Next;
    board.SendToPlugin(NumberedIdentity(132, '1'), folder.port());
    RunCycles(10);
    EXPECT_TRUE(Boards.empty());
    EXPECT_EQ(cycleState.Next, next);
    EXPECT_TRUE(board.ReceiveAll().empty());
    EXPECT_FLOAT_EQ(simhost::FindFlightLoop(MyFlightLoopCallback)->interval, 0.025f);
    simhost::PushButton(window.ReconnectButton);
    EXPECT_FALSE(pluginState.PluginPaused);
    board.SendToPlugin(NumberedIdentity(132, '1'), folder.port());
    RunCycles(1);
    EXPECT_EQ(Boards.size(), 1u);
}

// A source that registered with a message of neither form holds an index
// without a board; it must never reach another source's board.
TEST_F(ProtocolTest, ASourceRegisteredWithoutABoardNeverReachesAnotherBoard) {
    testenv::UdpPeer stray("127.0.0.70", folder.port());
    testenv::UdpPeer board("127.0.0.71", folder.port());
    StartPlugin("SCANNING_TIMEOUT = 0\n");
    stray.SendToPlugin("|XYZW", folder.port());
    RunCycles(1);
    EXPECT_EQ(lan.NetworkIndices.back(), 0) << "registered, with no rows";
    stray.SendToPlugin("~w", folder.port());
    RunCycles(1);
    EXPECT_TRUE(Boards.empty());

    board.SendToPlugin(NumberedIdentity(132, '1'), folder.port());
    RunCycles(1);
    ASSERT_EQ(Boards.size(), 1u);
    board.ReceiveAll();
    stray.SendToPlugin("~a", folder.port());
    stray.SendToPlugin("~w", folder.port());
    RunCycles(1);
    EXPECT_TRUE(stray.ReceiveAll().empty());
    EXPECT_FALSE(Boards[0].AllowOutput) << "the stray source switched nothing on";

    stray.SendToPlugin(NumberedIdentity(132, '2'), folder.port());
    RunCycles(1);
    ASSERT_EQ(Boards.size(), 2u) << "identified properly, it gets a board of its own";
    EXPECT_EQ(Boards[0].OutDevice, 1u);
    EXPECT_EQ(Boards[1].OutDevice, 2u);
    std::string upload;
    ASSERT_TRUE(stray.Receive(&upload));
    ASSERT_EQ(upload.size(), 61u);
    EXPECT_EQ(upload[60], 2);
}

// A fault while one message is handled abandons that message only; the user
// finds it in Log.txt, and the next message of the same cycle is handled.
TEST_F(ProtocolTest, AFaultInOneMessageIsLoggedAndAbandonsThatMessageOnly) {
    struct FailingOnce : StatusLineSink {
        void SetStatusLine(int, const std::string&) override {
            if (!failed) {
                failed = true;
                throw std::runtime_error("status line fault");
            }
        }
        void ShowStatusWindow() override {}
        bool failed = false;
    } sink;
    testenv::UdpPeer first("127.0.0.80", folder.port());
    testenv::UdpPeer second("127.0.0.81", folder.port());
    StartPlugin("SCANNING_TIMEOUT = 0\n");
    SetStatusLineSink(&sink);
    first.SendToPlugin(NumberedIdentity(132, '1'), folder.port());
    second.SendToPlugin(NumberedIdentity(132, '2'), folder.port());
    const std::size_t logged = simhost::DebugStrings().size();
    testing::internal::CaptureStderr();
    RunCycles(1);
    std::string log = testing::internal::GetCapturedStderr();
    SetStatusLineSink(nullptr);
    EXPECT_THAT(log, HasSubstr("\nKestrix: inbound message abandoned: status line fault"));
    std::vector<std::string> debug = simhost::DebugStrings();
    EXPECT_THAT(
        std::vector<std::string>(debug.begin() + static_cast<std::ptrdiff_t>(logged), debug.end()),
        testing::Contains("Kestrix: inbound message abandoned: status line fault\n"));
    EXPECT_TRUE(first.ReceiveAll().empty()) << "the abandoned identification got no upload";
    std::string upload;
    ASSERT_TRUE(second.Receive(&upload));
    EXPECT_EQ(upload.size(), 61u);
}

// A board that restarts may send from another source port; its upload or ID
// reply must follow it there, for numbered boards and panels alike.
TEST_F(ProtocolTest, ABoardBackOnANewSourcePortIsAnsweredThere) {
    StartPlugin("SCANNING_TIMEOUT = 0\n");
    const struct {
        const char* host;
        std::string identity;
        std::size_t answer;
    } boards[] = {{"127.0.0.90", NumberedIdentity(132, '1'), 61},
                  {"127.0.0.91", "|13L 0 sim/cockpit2/annunciators/master_caution", 7}};
    for (std::size_t k = 0; k < 2; ++k) {
        testenv::UdpPeer before(boards[k].host, folder.port());
        before.SendToPlugin(boards[k].identity, folder.port());
        std::string answer;
        ASSERT_TRUE(CyclesUntilReceived(before, &answer));
        EXPECT_EQ(answer.size(), boards[k].answer);
        RunCycles(1);
        before.ReceiveAll();  // the panel's first output message went here too

        testenv::UdpPeer after(boards[k].host, testenv::FreeUdpPort());
        after.SendToPlugin(boards[k].identity, folder.port());
        ASSERT_TRUE(CyclesUntilReceived(after, &answer)) << boards[k].host;
        EXPECT_EQ(answer.size(), boards[k].answer);
        EXPECT_TRUE(before.ReceiveAll().empty()) << "nothing to the old port";
        EXPECT_EQ(ntohs(Boards.at(k).UdpIP.sin_port), after.port());
    }
    EXPECT_EQ(Boards.size(), 2u) << "each board kept its index";
}

// A refused board that repeats its identification after other boards took
// indices in between changes nothing: no second warning, no new index.
// 1.23 is refused at both feature levels.
TEST_F(ProtocolTest, ARefusedBoardRepeatingItselfLaterChangesNothing) {
    testenv::UdpPeer old("127.0.0.45", folder.port());
    testenv::UdpPeer good("127.0.0.46", folder.port());
    StartPlugin("SCANNING_TIMEOUT = 0\n");
    old.SendToPlugin(NumberedIdentity(123, '1'), folder.port());
    RunCycles(1);
    good.SendToPlugin(NumberedIdentity(132, '2'), folder.port());
    RunCycles(1);
    ASSERT_EQ(Boards.size(), 1u);
    const int lines = message_line_number;
    const std::vector<int> indices = lan.NetworkIndices;
    const std::vector<unsigned> warned = discovery.wrong_versions;

    old.SendToPlugin(NumberedIdentity(123, '1'), folder.port());
    RunCycles(1);
    EXPECT_EQ(message_line_number, lines) << "no second warning on another line";
    EXPECT_EQ(lan.NetworkIndices, indices);
    EXPECT_EQ(discovery.wrong_versions, warned);
    EXPECT_EQ(Boards.size(), 1u);
    EXPECT_EQ(StatusLine(lines + 1), "   ");
}

// "ID sent" reports a reply that went out, never a failed send. Through the
// receive seam, on a port whose device is gone (its descriptor is closed).
TEST(IdReply, AFailedSendIsNotReportedAsSent) {
    serial.ports.emplace_back();
    serial.ports[0].ComPortName = "/dev/cu.usbmodemGone";
    const std::string bytes = "{|13L 0 sim/cockpit2/annunciators/master_caution}";
    testing::internal::CaptureStderr();
    HandleSerialTurn(0, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_EQ(Boards.size(), 1u) << "the panel was read";
    EXPECT_EQ(bytes_sent, -1);
    EXPECT_EQ(log.find("ID sent"), std::string::npos) << log;
}
