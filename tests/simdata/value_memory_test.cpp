// The memory file's text: what a save leaves and what a restore reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/message_source.h"
#include "base/settings.h"
#include "config/board_tables.h"
#include "config/parser.h"
#include "simdata/value_memory.h"
#include "simhost.h"
#include "test_env.h"

TEST(ValueMemoryText, SavesKeepTheHistoryOfTheirLineAndEveryOtherLine) {
    struct Row {
        std::string before, key, value;
        float keep;
        std::string after;
    };
    const std::vector<Row> rows = {
        {"", "12+", "3.5", 1, "12+ 3.5\r\n"},
        {"12+ 3\r\n", "12+", "4", 3, "12+ 4,3\r\n"},
        {"12+ 3,2,1\r\n", "12+", "4", 3, "12+ 4,3,2\r\n"},
        {"12+ 3,2,1\r\n", "12+", "4", 0, "12+ 4\r\n"},  // the new value always
        {"7+ 1\r\n12+ 2\r\n9- 5\r\n", "12+", "8", 2, "7+ 1\r\n12+ 8,2\r\n9- 5\r\n"},
        {"7+ 1\n", "12+", "8", 2, "7+ 1\r\n12+ 8\r\n"},  // bare "\n" lines get "\r\n"
        // A file cut short: its unfinished line is kept, the new one follows.
        {"7+ 1\r\n9- 5,", "12+", "8", 2, "7+ 1\r\n9- 5,\r\n12+ 8\r\n"},
        {"12+ 3,,2\r\n", "12+", "4", 5, "12+ 4,3,2\r\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(TextAfterSave(row.before, row.key, row.value, row.keep), row.after) << row.before;
    }
}

TEST(ValueMemoryText, RestoresFindTheFirstLineOfTheirKey) {
    std::vector<std::string> values;
    EXPECT_TRUE(ValuesUnder("7+ 1\r\n12+ 4,3,2\r\n12+ 9\r\n", "12+", &values));
    EXPECT_EQ(values, (std::vector<std::string>{"4", "3", "2"}));
    EXPECT_TRUE(ValuesUnder("12+\r\n", "12+", &values));
    EXPECT_TRUE(values.empty());
    EXPECT_FALSE(ValuesUnder("7+ 1\r\n", "12+", &values));

    const std::vector<std::pair<float, std::string>> formats = {
        {3.5f, "3.5"}, {100, "100"}, {-0.25f, "-0.25"}, {1234567, "1.23457e+06"}, {0, "0"}};
    for (const auto& [value, text] : formats) EXPECT_EQ(FormatMemoryValue(value), text);
}

// Every save replaces the file (the C library's rename refuses an existing
// file on Windows), also in a plugin folder whose name is not ASCII: the
// simulator hands its paths over in UTF-8.
TEST(ValueMemoryFile, EverySaveReplacesTheFileWhateverTheFolderIsCalled) {
    const std::string kAltitude = "sim/cockpit2/autopilot/altitude_dial_ft";
    simhost::Reset();
    simhost::AddDataRef(kAltitude, xplmType_Float, true);
    testenv::TempDir dir;
    for (const std::string name : {"Kestrix", "Kestrix J\xC3\xBCrgen"}) {  // "ü" in UTF-8
        paths.foldername = dir.path() + "/" + name;
        std::filesystem::create_directories(std::filesystem::u8path(paths.foldername));
        Boards.clear();
        ReadConfigFile("[I]\nM12+ " + kAltitude + " 3\n", 0, 1, MessageSource{});
        ASSERT_EQ(Boards.size(), 1u);
        for (int value : {1000, 2000}) {
            simhost::SetValue(kAltitude, value);
            SaveDataref(0, 0, Boards[0].Inputs[0].InputArrayNum);
        }
        std::ifstream file(std::filesystem::u8path(MemoryPath(0)), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text, "12+ 2000,1000\r\n") << name;
    }
}
