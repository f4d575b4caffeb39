// Switches, encoders, matrix keys and analog channels turned into events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input_engine.h"

using kxfw::InputEngine;
using kxfw::InputEvent;

namespace {

std::string Text(const InputEvent& e) {
    std::string text = std::string(1, e.letter) + std::to_string(e.number) + e.state;
    if (e.letter == 'E' || e.state == ' ' || e.state == '/') text += std::to_string(e.value);
    return text;
}

std::vector<std::string> Drain(InputEngine& engine) {
    std::vector<std::string> events;
    while (!engine.queue().empty()) {
        events.push_back(Text(engine.queue().front()));
        engine.queue().Pop();
    }
    return events;
}

InputEngine* Configured(std::vector<std::pair<int, int>> codes) {
    static InputEngine engine;
    uint8_t table[60] = {};
    for (auto [pin, code] : codes) table[pin] = static_cast<uint8_t>(code);
    uint8_t levels[7] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    engine.Configure(table, levels);
    return &engine;
}

}  // namespace

TEST(firmwareInputs, EncoderTypesCountDetentsAndIgnoreBounce) {
    struct Row {
        int code;
        std::vector<uint8_t> phases;
        std::vector<std::string> events;
    } rows[] = {
        {2, {2, 0, 1, 3}, {"E8+1"}},                   // type 0: a full cycle is a step
        {2, {1, 0, 2, 3}, {"E8-1"}},                   // backwards
        {2, {2, 3, 2, 0, 1, 3}, {"E8+1"}},             // bounce back and forth
        {3, {2, 0, 1, 3}, {"E8-1"}},                   // second kind counts the other way
        {2 + 16, {2, 0, 1, 3}, {"E8+2"}},              // type 1: two steps per cycle
        {2 + 32, {2, 0}, {"E8+2"}},                    // type 2: every edge
        {2 + 48, {2, 0, 1, 3, 2, 0}, {"E8+1"}},        // type 3: rests at 00
        {2 + 64, {2, 0, 1, 3, 2, 0, 1, 3}, {"E8+3"}},  // mode 1: fast steps count twice
        {14, {1, 3, 2, 3}, {"E8+1", "E8-1"}},          // "B": two buttons
    };
    for (const Row& row : rows) {
        InputEngine& engine = *Configured({{8, row.code}});
        uint8_t ms = 0;
        for (uint8_t p : row.phases) {
            engine.SampleEncoder(0, p, ms);
            engine.SampleEncoder(0, p, static_cast<uint8_t>(ms + 4));  // held past the debounce
            ms = static_cast<uint8_t>(ms + 5);
        }
        EXPECT_EQ(Drain(engine), row.events) << row.code;
    }
}

TEST(firmwareInputs, SwitchesCountAfterTheDebounceAndWaitForRoomInTheQueue) {
    InputEngine& engine = *Configured({{22, 1}, {23, 1}});
    engine.SampleDigital(22, false, 0);
    engine.SampleDigital(22, true, 1);  // bounce: starts again
    engine.SampleDigital(22, false, 2);
    engine.SampleDigital(22, false, 3);
    EXPECT_TRUE(Drain(engine).empty());
    engine.SampleDigital(22, false, 4);  // held for the debounce time
    EXPECT_EQ(Drain(engine), std::vector<std::string>{"D22+"});

    // A full queue holds the change back; it goes in, in order, once there is room.
    while (engine.queue().Push(InputEvent{'A', 0, ' ', 1})) {
    }
    engine.SampleDigital(23, false, 10);
    engine.SampleDigital(23, false, 20);
    engine.queue().Pop();
    engine.SampleDigital(23, false, 21);
    EXPECT_EQ(Drain(engine).back(), "D23+");
}

TEST(firmwareInputs, MatrixKeysAndReportOfEveryInput) {
    InputEngine& engine =
        *Configured({{30, 5}, {31, 5}, {40, 6}, {41, 6}, {42, 6}, {9, 4}, {22, 1}});
    ASSERT_EQ(engine.matrixRows(), 2);
    ASSERT_EQ(engine.matrixColumns(), 3);
    engine.SampleMatrixRow(1, 0b101, 0);  // row 1, column 1 closed
    engine.SampleMatrixRow(1, 0b101, 5);
    engine.SampleDigital(9, false, 0);
    engine.SampleDigital(9, false, 5);
    EXPECT_EQ(Drain(engine), (std::vector<std::string>{"B5+", "B0+"}));

    uint8_t settings[48] = {};
    settings[3 * 2] = 101, settings[3 * 2 + 2] = 100;
    engine.ConfigureAnalog(settings);
    engine.SampleAnalog(2, 512);
    Drain(engine);
    engine.StartReport();
    engine.ContinueReport();
    EXPECT_EQ(Drain(engine), (std::vector<std::string>{"B0+", "D22-", "B1-", "B2-", "B3-", "B4-",
                                                       "B5+", "B6-", "A2 500"}));
}

TEST(firmwareInputs, AnalogChannelsReportAsTheirSettingsSay) {
    struct Row {
        uint8_t settings[3];
        std::vector<uint16_t> raw;
        std::vector<std::string> events;
    } rows[] = {
        {{101, 0, 100}, {0, 2, 40, 41, 1023}, {"A0 0", "A0 39", "A0 1000"}},
        {{20, 0, 100}, {500, 510, 530}, {"A0 489", "A0 518"}},
        {{101, 10, 90}, {102, 511, 920}, {"A0 0", "A0 500", "A0 1000"}},
        {{1, 0, 100}, {100, 500, 700, 500, 300}, {"A0-", "A0+", "A0-"}},
        {{127 + 3, 0, 100}, {0, 0, 600, 600, 1023}, {"A0/1", "A0/2"}},
        {{0, 0, 100}, {0, 1023}, {}},
    };
    for (const Row& row : rows) {
        InputEngine engine;
        uint8_t settings[48] = {};
        for (int k = 0; k < 3; ++k) settings[k] = row.settings[k];
        engine.ConfigureAnalog(settings);
        for (uint16_t raw : row.raw) engine.SampleAnalog(0, raw);
        EXPECT_EQ(Drain(engine), row.events) << int(row.settings[0]);
    }
}

TEST(firmwareInputs, NothingIsLostWhileTheQueueIsFull) {
    InputEngine& engine = *Configured({{8, 2}, {22, 1}, {23, 1}});
    engine.SampleDigital(23, false, 0);
    engine.SampleDigital(23, false, 5);
    while (engine.queue().Push(InputEvent{'E', 8, '+', 1})) {
    }
    // Steps add up in the newest event of their encoder.
    for (uint8_t phases : {2, 0, 1, 3, 2, 0, 1, 3}) engine.SampleEncoder(0, phases, 50);
    EXPECT_EQ(engine.queue().back()->value, 3);
    // A report waits for room and goes on where it stopped.
    engine.StartReport();
    engine.ContinueReport();
    EXPECT_TRUE(engine.reporting());
    std::vector<std::string> events = Drain(engine);
    engine.ContinueReport();
    EXPECT_FALSE(engine.reporting());
    events = Drain(engine);
    EXPECT_EQ(events, (std::vector<std::string>{"D22-", "D23+"}));
}
