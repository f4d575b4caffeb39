// Input events in a cockpit builder's words, and the bytes a board sends.
#include <gtest/gtest.h>

#include "input_commands.h"
#include "input_script.h"

using namespace vboard;

TEST(boardInputs, LinesBecomeTheMessagesABoardSends) {
    struct Row {
        std::string line;
        LineResult result;
        std::vector<std::string> messages;  // with index byte 3
    };
    const std::string b = "\x03";
    const std::vector<Row> rows = {
        {"press D44", LineResult::Command, {b + "D44+"}},
        {"  Release D44   # switch off", LineResult::Command, {b + "D44-"}},
        {"turn E7 +2", LineResult::Command, {b + "E7+ \x02"}},
        {"turn E7 -3", LineResult::Command, {b + "E7- \x03"}},
        {"turn E7 250", LineResult::Command, {b + "E7+ d", b + "E7+ d", b + "E7+ 2"}},
        {"analog A2 512", LineResult::Command, {b + "A2 512"}},
        {"press M12", LineResult::Command, {b + "M12+"}},
        {"wait 1.5", LineResult::Command, {}},
        {"# nothing", LineResult::Empty, {}},
        {"", LineResult::Empty, {}},
        {"press", LineResult::Error, {}},
        {"press d44", LineResult::Error, {}},
        {"press D44+", LineResult::Error, {}},
        {"press D{4", LineResult::Error, {}},
        {"turn D7 +2", LineResult::Error, {}},
        {"turn E7 0", LineResult::Error, {}},
        {"analog A2 -1", LineResult::Error, {}},
        {"analog A2 half", LineResult::Error, {}},
        {"wait soon", LineResult::Error, {}},
        {"flip D44", LineResult::Error, {}},
    };
    for (const Row& row : rows) {
        InputCommand command;
        std::string error;
        ASSERT_EQ(ParseInputLine(row.line, &command, &error), row.result) << row.line;
        if (row.result == LineResult::Error) {
            EXPECT_FALSE(error.empty()) << row.line;
        }
        if (row.result != LineResult::Command) continue;
        EXPECT_EQ(EncodeInputEvents(command, 3), row.messages) << row.line;
    }
}

TEST(boardInputs, LinesAreCutFromWhatIsTyped) {
    LineReader reader;
    std::string line;
    reader.Feed("press D4\nturn E", 15);
    ASSERT_TRUE(reader.Next(&line));
    EXPECT_EQ(line, "press D4");
    EXPECT_FALSE(reader.Next(&line));
    reader.Feed("7 +1", 4);
    ASSERT_TRUE(reader.Rest(&line));
    EXPECT_EQ(line, "turn E7 +1");
    EXPECT_FALSE(reader.Rest(&line));
}
