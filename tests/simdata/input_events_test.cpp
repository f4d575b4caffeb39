// Input events from a board over the LAN, through the plugin's socket and
// main cycle, as the simulator sees them: dataref values and write counts,
// command counts, memory files, the log.
#include <sys/stat.h>

#include "XPLMProcessing.h"
#include "config/board_tables.h"
#include "counting_new.h"
#include "protocol/receive.h"
#include "protocol_fixture.h"
#include "simdata/held_inputs.h"
#include "simdata/input_monitor.h"
#include "simdata/output_test.h"

using testing::HasSubstr;

namespace {

const char* kPanel =
    "[A]\n"
    "T B7+\n"
    "R D32+\n"
    "S E36,4\n"
    "Q A4\n"
    "[I]\n"
    "D25+ sim/starters/engage_starter_1\n"
    "B7+ sim/cockpit2/fuel/fuel_tank_selector 1\n"
    "B7+ sim/cockpit2/fuel/fuel_tank_selector 4\n"
    "B7+ sim/cockpit2/fuel/fuel_tank_selector 3\n"
    "D32+ sim/cockpit2/autopilot/altitude_dial_ft 100+,50000\n"
    "D41+ sim/cockpit2/autopilot/airspeed_dial_kts 0.5+,10\n"
    "E35+ sim/cockpit2/autopilot/heading_dial_deg_mag_pilot 1+,0,360\n"
    "E35- sim/cockpit2/autopilot/heading_dial_deg_mag_pilot 1-,0,360\n"
    "E36+ sim/cockpit2/autopilot/vvi_dial_fpm 1+\n"
    "A3 sim/cockpit2/engine/actuators/throttle_ratio_all 0,1\n"
    "A4 sim/cockpit2/engine/actuators/mixture_ratio 0,1 2\n"
    "D50+ sim/cockpit2/switches/landing_lights_switch 1 3\n"
    "D51+ sim/cockpit2/switches/beacon_on 1\n"
    "D51+ sim/cockpit2/switches/strobe_lights_on 1\n"
    "M12+ sim/cockpit2/autopilot/altitude_dial_ft 3\n"
    "P12+ sim/cockpit2/autopilot/altitude_dial_ft 1\n";

const std::string kAltitude = "sim/cockpit2/autopilot/altitude_dial_ft";
const std::string kHeading = "sim/cockpit2/autopilot/heading_dial_deg_mag_pilot";
const std::string kStarter = "sim/starters/engage_starter_1";

std::string Turn(const std::string& key, int steps) {
    return key + " " + static_cast<char>(steps);
}

class InputEventsTest : public ProtocolTest {
  protected:
    void Connect(const std::string& section = kPanel) {
        folder.WriteDataCfg("*1\n" + section);
        StartPlugin("SCANNING_TIMEOUT = 0\n");
        board.SendToPlugin(NumberedIdentity(132, '1'), folder.port());
        std::string upload;
        ASSERT_TRUE(CyclesUntilReceived(board, &upload));
        ASSERT_EQ(Boards.size(), 1u);
    }
    // An event of board index 0 (byte 1), handled in the next cycle.
    void Send(const std::string& event, const testenv::UdpPeer& from, char indexByte = 1) {
        from.SendToPlugin(indexByte + event, folder.port());
        RunCycles(1);
    }
    void Send(const std::string& event) { Send(event, board); }
    std::string MemoryFile() const { return folder.pluginFolder() + "/memory0.txt"; }

    testenv::UdpPeer board{"127.0.0.21", folder.port()};
};

}  // namespace

TEST_F(InputEventsTest, HeldCommandsBeginAndEndAndRepeatingButtonsRepeatAfterAPause) {
    Connect();
    Send("D25+");
    EXPECT_EQ(simhost::Counts(kStarter).begin, 1);
    EXPECT_TRUE(simhost::Counts(kStarter).held);
    Send("D25+");  // pressed again before the release: once
    EXPECT_EQ(simhost::Counts(kStarter).once, 1);
    Send("D25-");
    EXPECT_EQ(simhost::Counts(kStarter).end, 1);
    EXPECT_FALSE(simhost::Counts(kStarter).held);

    Send("D32+");  // at once, then again every cycle after 16 cycles
    EXPECT_EQ(simhost::GetValue(kAltitude), 100);
    RunCycles(15);
    EXPECT_EQ(simhost::GetValue(kAltitude), 100);
    RunCycles(3);
    EXPECT_EQ(simhost::GetValue(kAltitude), 400);
    Send("D32-");
    RunCycles(5);
    EXPECT_EQ(simhost::GetValue(kAltitude), 400);
    EXPECT_TRUE(heldInputs.empty());
}

TEST_F(InputEventsTest, SwitchGroupsStepLimitsWrapAroundAndEncoderCounts) {
    Connect();
    for (int expected : {1, 4, 3, 1}) {
        Send("B7+");
        EXPECT_EQ(simhost::GetValue("sim/cockpit2/fuel/fuel_tank_selector"), expected);
    }
    EXPECT_EQ(Boards[0].Inputs[1].Mode, 32);

    const std::string airspeed = "sim/cockpit2/autopilot/airspeed_dial_kts";
    simhost::SetValue(airspeed, 9.6);
    Send("D41+");
    EXPECT_FLOAT_EQ(simhost::GetValue(airspeed), 10.1f);
    const int writes = simhost::WriteCount(airspeed);
    Send("D41+");
    EXPECT_EQ(simhost::WriteCount(airspeed), writes) << "at the limit: nothing written";

    simhost::SetValue(kHeading, 359);
    Send(Turn("E35+", 2));
    EXPECT_EQ(simhost::GetValue(kHeading), 1);
    Send(Turn("E35-", 3));
    EXPECT_EQ(simhost::GetValue(kHeading), 358);
    Send(Turn("E35+", ' '));  // 32 steps: the count byte is a space
    EXPECT_EQ(simhost::GetValue(kHeading), 30);

    const std::string vvi = "sim/cockpit2/autopilot/vvi_dial_fpm";  // skip pair (4, 0)
    Send(Turn("E36+", 3));
    EXPECT_EQ(simhost::GetValue(vvi), 0);
    Send(Turn("E36+", 3));
    EXPECT_EQ(simhost::GetValue(vvi), 1);
    Send(Turn("E36+", 8));
    EXPECT_EQ(simhost::GetValue(vvi), 3);
}

TEST_F(InputEventsTest, AnalogAndFixedValuesReachTheirDatarefsAndElements) {
    Connect();
    Send("A3 500");
    EXPECT_FLOAT_EQ(simhost::GetValue("sim/cockpit2/engine/actuators/throttle_ratio_all"), 0.5f);
    Send("A4 500");  // squared, element 2
    EXPECT_FLOAT_EQ(simhost::GetElement("sim/cockpit2/engine/actuators/mixture_ratio", 1), 0.25f);
    const int writes = simhost::WriteCount("sim/cockpit2/engine/actuators/throttle_ratio_all");
    Send("A3 lever");
    Send("A3 nan");
    EXPECT_EQ(simhost::WriteCount("sim/cockpit2/engine/actuators/throttle_ratio_all"), writes);

    Send("D50+");
    EXPECT_EQ(simhost::GetElement("sim/cockpit2/switches/landing_lights_switch", 2), 1);
    Send("D51+");  // both inputs of the key act
    EXPECT_EQ(simhost::GetValue("sim/cockpit2/switches/beacon_on"), 1);
    EXPECT_EQ(simhost::GetValue("sim/cockpit2/switches/strobe_lights_on"), 1);
}

TEST_F(InputEventsTest, MemoryButtonsKeepAHistoryAndRestoreItNewestFirst) {
    Connect();
    for (int value : {1, 2, 3, 4}) {
        simhost::SetValue(kAltitude, value * 1000);
        Send("M12+");
    }
    EXPECT_EQ(testenv::ReadFile(MemoryFile()), "12+ 4000,3000,2000\r\n");
    for (int expected : {4000, 3000, 2000, 4000}) {
        Send("P12+");
        EXPECT_EQ(simhost::GetValue(kAltitude), expected);
    }

    // A file cut short is read as far as it goes; one that cannot be
    // replaced keeps its content, and both are logged.
    testing::internal::CaptureStderr();
    testenv::WriteFile(MemoryFile(), "7+ 1\r\n12+ 7,6");
    Send("P12+");  // the cursor stands at 2
    EXPECT_EQ(simhost::GetValue(kAltitude), 6);
    ASSERT_EQ(mkdir((MemoryFile() + ".tmp").c_str(), 0755), 0);
    Send("M12+");
    EXPECT_EQ(testenv::ReadFile(MemoryFile()), "7+ 1\r\n12+ 7,6");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_THAT(log, HasSubstr("\nValue memory " + MemoryFile() + " ends in an unfinished line"));
    EXPECT_THAT(log, HasSubstr("\nValue memory: cannot write " + MemoryFile()));
}

TEST_F(InputEventsTest, OnlyTheBoardItselfDrivesItsInputsAndDropsAreLoggedOnceASecond) {
    Connect();
    testenv::UdpPeer stranger{"127.0.0.30", folder.port()};
    const std::string line = " input events from senders that are not the board they name";
    testing::internal::CaptureStderr();
    Send("D51+", stranger);  // never identified itself
    Send("D51+", board, 2);  // names an index that is not its own
    Send("D51+", board, 5);
    RunCycles(10);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(simhost::WriteCount("sim/cockpit2/switches/beacon_on"), 0);
    EXPECT_THAT(log, HasSubstr("\nIgnored 1" + line));
    EXPECT_EQ(log.find(line, log.find(line) + 1), std::string::npos) << "within the second";

    testing::internal::CaptureStderr();
    RunCycles(45);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("\nIgnored 2" + line));
    Send("D51+");
    EXPECT_EQ(simhost::GetValue("sim/cockpit2/switches/beacon_on"), 1);
}

TEST_F(InputEventsTest, SteadyMessagesAllocateNothing) {
    Connect();
    sockaddr_in sender{};
    sender.sin_family = AF_INET;
    sender.sin_port = htons(static_cast<uint16_t>(folder.port()));
    inet_pton(AF_INET, board.host().c_str(), &sender.sin_addr);
    const std::vector<std::string> events = {
        "\x01"
        "D51+",
        "\x01"
        "B7+",
        "\x01"
        "A3 512",
        "\x01"
        "E35+ \x02",
        "\x01"
        "D25+",
        "\x01"
        "D25-",
        "\x01"
        "D32+",
        "\x01"
        "D32-"};
    // As the main cycle hands them on, with the input monitor and the output
    // test off.
    auto handleAll = [&] {
        const double now = XPLMGetElapsedTime();
        for (const std::string& e : events) {
            HandleLanDatagram(reinterpret_cast<const uint8_t*>(e.data()), e.size(), sender);
        }
        ReportInputMonitor(now);
        UpdateOutputTest(now);
    };
    // Counted from here: an earlier case in the same process may have
    // started the starter already.
    const int startsBefore = simhost::Counts(kStarter).begin;
    handleAll();  // the first round may size the buffers
    const long before = AllocationCount();
    for (int round = 0; round < 100; ++round) handleAll();
    EXPECT_EQ(AllocationCount() - before, 0);
    EXPECT_EQ(simhost::Counts(kStarter).begin - startsBefore, 101);
}
