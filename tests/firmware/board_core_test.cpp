// The board's protocol core against a plugin's bytes: the road, output
// records applied by pin role, input events on the line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board_core.h"
#include "fake_board.h"

using testing::ElementsAre;

namespace {

std::string UploadFor(std::vector<std::pair<int, int>> codes, int indexByte) {
    std::string upload(61, '\0');
    upload[0] = '~';
    for (auto [pin, code] : codes) upload[1 + pin] = static_cast<char>(code);
    upload[60] = static_cast<char>(indexByte);
    return upload;
}

struct Board {
    FakeLine line;
    FakeHardware hardware;
    kxfw::SerialLink link{line, kxfw::kUploadSize};
    kxfw::BoardCore core{3, hardware, link};

    std::string Exchange(const std::string& bytes) {
        line.in += bytes;
        line.out.clear();
        core.Poll();
        return line.out;
    }
    void Configure(std::vector<std::pair<int, int>> codes) {
        Exchange(UploadFor(codes, 2));
        Exchange("A" + std::string(48, '\0'));
        Exchange(std::string("N\x01\x04", 3));
        Exchange(std::string("S\x03\x05\x90\x01", 5));
        hardware.calls.clear();
    }
};

}  // namespace

TEST(firmwareCore, TheRoadFromIdentificationToOutputsOn) {
    Board board;
    board.core.Start();
    EXPECT_EQ(board.Exchange(""),
              "{|A\x84"
              "3}");
    EXPECT_EQ(board.Exchange("XP"),
              "{|A\x84"
              "3}");
    EXPECT_EQ(board.Exchange(UploadFor({{22, 1}}, 2)), "{~a}");
    EXPECT_EQ(board.Exchange("A" + std::string(48, '\0')), "{~n}");
    EXPECT_EQ(board.Exchange(std::string("N\x00", 2)), "{~s}");
    EXPECT_EQ(board.Exchange("XX" + std::string("S\x00", 2)), "{~w}");
    EXPECT_TRUE(board.core.road().outputsOn());
    // A request that finds the line full goes out once there is room.
    board.line.room = 3;
    EXPECT_EQ(board.Exchange(UploadFor({}, 2)), "");
    board.line.room = 100;
    EXPECT_EQ(board.Exchange(""), "{~a}");
}

TEST(firmwareCore, RecordsDriveOnlyPinsOfTheirRole) {
    Board board;
    board.Configure({{13, 7}, {4, 7}, {44, 7}, {7, 8}, {9, 12}, {5, 10}, {22, 1}});
    const std::string servo("\x09S\x00\x80\xbb\x44", 6);    // 1500.0
    const std::string tooLong("\x09S\x00\x40\x1c\x46", 6);  // 10000.0
    const std::string stepper("\x05G\x2c\x01\xc4\x09", 6);  // 300, frame 2500
    const std::string records = std::string("\x0d)\x16)\x07P\x80", 7) + servo + tooLong + stepper +
                                std::string("\x04R\x02\x01\x02\x2cR\x01\x81", 9);
    board.Exchange("{" + std::string(1, static_cast<char>(records.size())) + records);
    EXPECT_THAT(board.hardware.calls,
                ElementsAre("led 13 1", "pwm 7 128", "servo 9 1500", "servo 9 2600",
                            "stepper 5 300", "digits 4 2", "port 44 129"));
    EXPECT_EQ(board.hardware.lastFrame, 2500);

    // A record cut short ends the message; the records before it apply.
    board.hardware.calls.clear();
    board.Exchange(std::string("{\x04\x0d(\x07P", 6));
    EXPECT_THAT(board.hardware.calls, ElementsAre("led 13 0"));
}

TEST(firmwareCore, InputEventsGoOutFramedWithTheIndexByte) {
    Board board;
    EXPECT_EQ(board.Exchange(""), "");
    board.Configure({{22, 1}, {8, 2}});
    kxfw::InputEngine& inputs = board.core.inputs();
    inputs.SampleDigital(22, false, 0);
    inputs.SampleDigital(22, false, 5);
    inputs.queue().Push(kxfw::InputEvent{'E', 8, '-', 130});
    inputs.queue().Push(kxfw::InputEvent{'A', 3, ' ', 512});
    EXPECT_EQ(board.Exchange(""),
              "{\x02"
              "D22+}{\x02"
              "E8- d}{\x02"
              "E8- \x1e}{\x02"
              "A3 512}");
}

TEST(firmwareRoad, EachKindOfBoardTakesOnlyItsOwnConfiguration) {
    using kxfw::RoadEvent;
    struct Row {
        bool selfConfiguring;
        std::vector<RoadEvent> events;
        std::string requests;  // the requests asked, in order; "!" a refused message, "i" identified
        bool running;
    } rows[] = {
        {false,
         {RoadEvent::InputRequest, RoadEvent::ConfigUpload, RoadEvent::AnalogSettings,
          RoadEvent::SevenSegmentSettings, RoadEvent::StepperSettings},
         "answ",
         true},
        {false, {RoadEvent::IdReply, RoadEvent::AnalogSettings}, "!!", false},
        {true,
         {RoadEvent::ConfigUpload, RoadEvent::IdReply, RoadEvent::StepperSettings},
         "!a!",
         false},
        // A new upload on the way starts the road again.
        {false,
         {RoadEvent::ConfigUpload, RoadEvent::AnalogSettings, RoadEvent::ConfigUpload,
          RoadEvent::SevenSegmentSettings},
         "ana!",
         false},
        // A ping finds a board without a configuration only after it
        // restarted: it identifies itself; configured, it answers nothing.
        {false,
         {RoadEvent::Ping, RoadEvent::ConfigUpload, RoadEvent::Ping, RoadEvent::Discovery},
         "iai",
         false},
    };
    for (const Row& row : rows) {
        kxfw::BoardRoad road(row.selfConfiguring);
        std::string requests;
        for (RoadEvent event : row.events) {
            const kxfw::RoadAnswer answer = road.Take(event, 4);
            EXPECT_FALSE(answer.reportInputs) << "no report before a configuration";
            if (answer.identify) requests += 'i';
            if (answer.request) requests += answer.request;
            if (answer.wrongKind || answer.outOfTurn) requests += '!';
        }
        EXPECT_EQ(requests, row.requests);
        EXPECT_EQ(road.outputsOn(), row.running);
    }
}
