// Simulator values on their way to the boards, end to end: the plugin in
// the stand-in, virtual boards as its peers, and the exact bytes that reach
// them.
#include <algorithm>
#include <cstring>
#include <set>

#include "config/board_tables.h"
#include "virtual_board_fixture.h"

using testenv::Bytes;
using vboard::BoardIdentity;

namespace {

const std::string kEmpty = Bytes({'{', 0});

// One output of each record kind on board 1, and an LED on the LED port.
const char* kEveryKind =
    "*1\n"
    "[A]\n"
    "L 44\n"
    "[O]\n"
    "13L 0 sim/cockpit2/annunciators/master_warning\n"
    "2l 0 sim/cockpit2/annunciators/low_voltage\n"
    "4N 0 sim/cockpit2/autopilot/altitude_dial_ft 1 5 0\n"
    "8G 0 sim/cockpit2/gauges/indicators/airspeed_kts_pilot 1 0,200 0,320 2048\n"
    "7P 0 sim/cockpit2/switches/panel_brightness_ratio 1 0,1\n"
    "9S 0 sim/cockpit2/controls/flap_handle_request_ratio 1 0,1\n"
    "6 0 sim/cockpit2/radios/actuators/com1_frequency_hz_833\n"
    "3 8 sim/aircraft/view/acf_tailnum\n";

// The first message with everything: 4500 ft on five digits; 100 kt is
// 910 steps, in a frame of 2500 x 10 us; half brightness 127; the servo at
// 1500 and 118000 kHz as floats; the tail number as text.
const std::string kEveryRecord =
    Bytes({'{',  40,   13,   ')',  4,    'R',  5,    0xFF, 0x99, 0x49, 0x03, 0x03,
           8,    'G',  0x8E, 0x03, 0xC4, 0x09, 7,    'P',  0x7F, 9,    'S',  0x00,
           0x80, 0xBB, 0x44, 6,    'D',  0x00, 0x78, 0xE6, 0x47, 3,    'B',  6}) +
    "N172SP";
const std::string kLedTwoLit = Bytes({'{', 4, 44, 'R', 1, 0x40});

void SetEveryKind() {
    simhost::SetValue("sim/cockpit2/annunciators/master_warning", 1);
    simhost::SetValue("sim/cockpit2/annunciators/low_voltage", 1);
    simhost::SetValue("sim/cockpit2/autopilot/altitude_dial_ft", 4500);
    simhost::SetValue("sim/cockpit2/gauges/indicators/airspeed_kts_pilot", 100);
    simhost::SetElement("sim/cockpit2/switches/panel_brightness_ratio", 0, 0.5);
    simhost::SetValue("sim/cockpit2/controls/flap_handle_request_ratio", 0.5);
    simhost::SetValue("sim/cockpit2/radios/actuators/com1_frequency_hz_833", 118000);
    simhost::SetBytes("sim/aircraft/view/acf_tailnum", "N172SP");
}

class OutputsTest : public VirtualBoardsTest {
  protected:
    std::unique_ptr<vboard::VirtualBoard> RunNumberedBoard(const std::string& dataCfg) {
        folder.WriteDataCfg(dataCfg);
        folder.WriteSafeConfig();
        auto board = UdpBoard("127.0.0.2", BoardIdentity::Numbered(1, 132));
        boards = {board.get()};
        simhost::SetFramePeriod(0.025);
        StartAndInitialize();
        return board;
    }
    // The "{" messages that arrive from now on, up to and including the
    // first with records.
    std::vector<std::string> UpToRecords(const vboard::VirtualBoard& board) {
        const std::size_t seen = BraceMessages(board).size();
        std::vector<std::string> arrived;
        FramesUntil([&] {
            std::vector<std::string> all = BraceMessages(board);
            arrived.assign(all.begin() + std::min(seen, all.size()), all.end());
            return std::find_if(arrived.begin(), arrived.end(),
                                [](const std::string& m) { return m != kEmpty; }) != arrived.end();
        });
        auto first = std::find_if(arrived.begin(), arrived.end(),
                                  [](const std::string& m) { return m != kEmpty; });
        if (first != arrived.end()) arrived.erase(first + 1, arrived.end());
        return arrived;
    }
    std::string NextRecords(const vboard::VirtualBoard& board) {
        std::vector<std::string> arrived = UpToRecords(board);
        return arrived.empty() ? "" : arrived.back();
    }
    // Frames go by and every message the board gets is empty.
    bool OnlyEmptyMessagesFor(const vboard::VirtualBoard& board, int frames) {
        const std::size_t seen = BraceMessages(board).size();
        for (int i = 0; i < frames; ++i) Frame();
        std::vector<std::string> all = BraceMessages(board);
        return all.size() > seen && std::all_of(all.begin() + seen, all.end(),
                                                [](const std::string& m) { return m == kEmpty; });
    }
};

}  // namespace

TEST_F(OutputsTest, EveryRecordKindArrivesAsTheBoardExpectsIt) {
    auto board = RunNumberedBoard(kEveryKind);
    SetEveryKind();
    EXPECT_EQ(NextRecords(*board), kEveryRecord);
    // The LED port's bit went in with that pass; its record leads the next message.
    std::vector<std::string> next = UpToRecords(*board);
    ASSERT_EQ(next.size(), 1u) << "the very next message";
    EXPECT_EQ(next[0], kLedTwoLit);
    ASSERT_TRUE(OnlyEmptyMessagesFor(*board, 5));

    const vboard::BoardOutputs& shown = board->outputs();
    EXPECT_EQ(shown.displays.at(4), " 4500");
    EXPECT_TRUE(shown.leds.at(13));
    EXPECT_TRUE(shown.ledPort.Lit(2));
    EXPECT_EQ(shown.steppers.at(8).target, 910);
    EXPECT_EQ(shown.texts.at(3), "N172SP");
}

TEST_F(OutputsTest, OnlyChangedTextsAreSentAndInputsMayOverrideThem) {
    auto board = RunNumberedBoard(kEveryKind);
    SetEveryKind();
    ASSERT_EQ(NextRecords(*board), kEveryRecord);
    ASSERT_EQ(NextRecords(*board), kLedTwoLit);

    const std::string altitude4510 = Bytes({'{', 8, 4, 'R', 5, 0xFF, 0x99, 0x49, 0x9F, 0x03});
    simhost::SetValue("sim/cockpit2/autopilot/altitude_dial_ft", 4510);
    EXPECT_EQ(NextRecords(*board), altitude4510);
    // 4510.4 ft still reads 4510, and 100.01 kt is only a fraction of a step
    // more: their texts are unchanged, so nothing goes out.
    simhost::SetValue("sim/cockpit2/autopilot/altitude_dial_ft", 4510.4);
    simhost::SetValue("sim/cockpit2/gauges/indicators/airspeed_kts_pilot", 100.01);
    EXPECT_TRUE(OnlyEmptyMessagesFor(*board, 5));

    simhost::SetValue("sim/cockpit2/annunciators/master_warning", 0);
    simhost::SetValue("sim/cockpit2/annunciators/low_voltage", 0);
    EXPECT_EQ(NextRecords(*board), Bytes({'{', 2, 13, '('}));
    EXPECT_EQ(NextRecords(*board), Bytes({'{', 4, 44, 'R', 1, 0x00}));

    // An input overrides the display ("!"): every segment lit, once.
    Boards.at(0).Outputs.at(2).Previous = "!";
    EXPECT_EQ(NextRecords(*board), Bytes({'{', 8, 4, 'R', 5, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(OnlyEmptyMessagesFor(*board, 5));
    // Released ("?"): the value again.
    Boards.at(0).Outputs.at(2).Previous = "?";
    EXPECT_EQ(NextRecords(*board), altitude4510);
}

// Every record that fits in a fresh message fits a message behind the LED
// port record; a longer one would not fit behind eight float records and
// waits for the next message, as the outputs behind a full message do.
TEST_F(OutputsTest, FullMessagesLeaveTheRestForTheNextPasses) {
    std::string cfg = "*1\n[O]\n";
    for (int pin = 20; pin <= 31; ++pin) {
        cfg += pin == 28 ? "28N 0 sim/cockpit2/autopilot/heading_dial_deg_mag_pilot 1 16 0\n"
                         : std::to_string(pin) + " 0 sim/cockpit2/autopilot/altitude_dial_ft\n";
    }
    auto board = RunNumberedBoard(cfg);
    auto floats = [](std::initializer_list<int> pins, float value) {
        std::string bytes;
        uint8_t v[4];
        std::memcpy(v, &value, 4);
        for (int pin : pins) bytes += Bytes({pin, 'D', v[0], v[1], v[2], v[3]});
        return bytes;
    };
    const std::string display = Bytes({28, 'R', 16}) + std::string(15, '\xFF') + "\x03";

    EXPECT_EQ(NextRecords(*board), Bytes({'{', 48}) + floats({20, 21, 22, 23, 24, 25, 26, 27}, 0));
    std::vector<std::string> next = UpToRecords(*board);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0], Bytes({'{', 37}) + display + floats({29, 30, 31}, 0));

    // Eleven floats change: nine records (56 bytes) now, two in the next pass.
    simhost::SetValue("sim/cockpit2/autopilot/altitude_dial_ft", 1);
    EXPECT_EQ(NextRecords(*board),
              Bytes({'{', 54}) + floats({20, 21, 22, 23, 24, 25, 26, 27, 29}, 1));
    next = UpToRecords(*board);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0], Bytes({'{', 12}) + floats({30, 31}, 1));

    // Changing every frame, the outputs behind the cut still take their turn.
    std::set<uint8_t> reached;
    for (int frame = 0; frame < 6; ++frame) {
        simhost::SetValue("sim/cockpit2/autopilot/altitude_dial_ft", 2 + frame);
        for (const vboard::OutputRecord& record :
             vboard::DecodePluginMessage(NextRecords(*board)).records) {
            reached.insert(record.pin);
        }
    }
    EXPECT_EQ(reached.size(), 11u);
}

TEST_F(OutputsTest, ThePanelGetsKeyedTextsOfWhatChanged) {
    folder.WriteSafeConfig();
    simhost::SetFramePeriod(0.025);
    StartAndInitialize();
    simhost::SetValue("sim/cockpit2/annunciators/master_caution", 1);
    simhost::SetValue("sim/cockpit2/gauges/indicators/airspeed_kts_pilot", 120.56);
    const double lights[] = {1.5, 2, 3};
    for (int k = 0; k < 3; ++k) {
        simhost::SetElement("sim/cockpit2/switches/landing_lights_switch", k, lights[k]);
    }
    auto panel =
        UdpBoard("127.0.0.3", BoardIdentity::SelfConfiguring(
                                  "[O]\n"
                                  "12L -1 sim/cockpit2/annunciators/master_caution\n"
                                  "30N 1 sim/cockpit2/gauges/indicators/airspeed_kts_pilot 1 3 0\n"
                                  "40 1 sim/cockpit2/switches/landing_lights_switch 3\n"));
    boards = {panel.get()};
    auto panelTexts = [&] {
        std::vector<std::string> texts;
        for (const vboard::PluginMessage& m : panel->received()) {
            if (m.kind == vboard::PluginMessageKind::PanelText) texts.push_back(m.bytes);
        }
        return texts;
    };
    ASSERT_TRUE(FramesUntil([&] { return !panelTexts().empty(); }));
    EXPECT_EQ(panelTexts()[0], ">12L<1>30N<120.5>40<1.5,2,3>");

    simhost::SetValue("sim/cockpit2/gauges/indicators/airspeed_kts_pilot", 121.04);
    ASSERT_TRUE(FramesUntil([&] { return panelTexts().size() == 2; }));
    EXPECT_EQ(panelTexts()[1], ">30N<121.0>");
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(panelTexts().size(), 2u) << "nothing changed, nothing sent";
}

TEST_F(OutputsTest, AReconnectedBoardGetsEveryOutputAgain) {
    auto board = RunNumberedBoard(kEveryKind);
    SetEveryKind();
    ASSERT_EQ(NextRecords(*board), kEveryRecord);
    ASSERT_EQ(NextRecords(*board), kLedTwoLit);
    ASSERT_TRUE(OnlyEmptyMessagesFor(*board, 3));

    // Reconnect: the board is found, configured and switched on again, and
    // everything it shows is sent again although nothing changed.
    simhost::ChooseMenuItem("Kestrix", "Reconnect");
    ASSERT_TRUE(FramesUntil([&] { return Boards.size() == 1 && Boards[0].AllowOutput; }));
    EXPECT_EQ(NextRecords(*board), kEveryRecord);
    EXPECT_EQ(NextRecords(*board), kLedTwoLit);
}
