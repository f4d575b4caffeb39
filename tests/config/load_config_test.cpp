// Finding data.cfg, cutting it into board sections, and the shipped example
// loaded and parsed table by table.
#include <sstream>

#include "base/settings.h"
#include "config/load_config.h"
#include "parser_fixture.h"
#include "test_env.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

// The plugin names the file it reads with the system's separator, the way
// the simulator reports paths ("\" on Windows).
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string DataCfgIn(const std::string& folder) {
    return folder + kSeparator + "data.cfg";
}

class LoadConfigTest : public ParserTest {
  protected:
    void SetUp() override {
        ParserTest::SetUp();
        testenv::MakeDirs(aircraftFolder());
        testenv::MakeDirs(pluginFolder());
        simhost::SetAircraftPath(aircraftFolder() + "/C172.acf");
        paths.foldername = pluginFolder();
    }
    std::string aircraftFolder() const { return dir.path() + "/Aircraft/C172"; }
    std::string pluginFolder() const { return dir.path() + "/Resources/plugins/Kestrix"; }

    // LoadConfig, returning what it logged.
    std::string Load() {
        testing::internal::CaptureStderr();
        LoadConfig();
        return testing::internal::GetCapturedStderr();
    }

    // Loads the shipped example and parses its section k as board 0 with
    // its own number; every note the parser makes fails the test.
    void ReadExampleSection(std::size_t k) {
        testenv::WriteFile(
            aircraftFolder() + "/data.cfg",
            testenv::ReadFile(std::string(KESTRIX_SOURCE_DIR) + "/examples/data.cfg"));
        Load();
        ASSERT_THAT(ArduinoID, ElementsAre(1u, 2u));
        ObserveNotes();
        ReadConfigFile(ArduinoConfigFile.at(k), 0, ArduinoID.at(k), MessageSource{});
        for (const ParseNote& note : notes) {
            ADD_FAILURE() << "line " << note.line << " " << NoteKindName(note.kind) << ": "
                          << note.reason << "\n  " << note.text;
        }
    }

    testenv::TempDir dir;
};

std::vector<SectionLines> Cut(const std::string& text) {
    std::istringstream file(text);
    std::vector<SectionLines> lines;
    CutConfigSections(file, &lines);
    return lines;
}

}  // namespace

TEST_F(LoadConfigTest, ReadsTheFileBesideTheUsersAircraft) {
    testenv::WriteFile(aircraftFolder() + "/data.cfg", "*2\n[I]\nD5 sim/a\n");
    testenv::WriteFile(pluginFolder() + "/data.cfg", "*3\n[I]\nD6 sim/b\n");
    const std::string log = Load();
    EXPECT_EQ(paths.filepath, DataCfgIn(aircraftFolder()));
    EXPECT_EQ(log,
              "\nConfig file: " + DataCfgIn(aircraftFolder()) + "\nReading config for board #2");
    EXPECT_THAT(ArduinoID, ElementsAre(2u));
    EXPECT_THAT(ArduinoConfigFile, ElementsAre("[I]\nD5 sim/a\n"));
}

TEST_F(LoadConfigTest, FallsBackToThePluginFolder) {
    testenv::WriteFile(pluginFolder() + "/data.cfg", "*3\n[I]\nD6 sim/b\n");
    Load();
    EXPECT_EQ(paths.filepath, DataCfgIn(pluginFolder()));
    EXPECT_THAT(ArduinoID, ElementsAre(3u));
}

TEST_F(LoadConfigTest, NeitherAByteOrderMarkNorADirectoryHidesTheBoards) {
    testenv::MakeDirs(aircraftFolder() + "/data.cfg");
    testenv::WriteFile(pluginFolder() + "/data.cfg", "\xEF\xBB\xBF*3\n[I]\nD6 sim/b\n");
    Load();
    EXPECT_EQ(paths.filepath, DataCfgIn(pluginFolder()));
    EXPECT_THAT(ArduinoID, ElementsAre(3u));
    EXPECT_THAT(ArduinoConfigFile, ElementsAre("[I]\nD6 sim/b\n"));
}

TEST_F(LoadConfigTest, WithoutAnyFileNoBoardHasASection) {
    EXPECT_EQ(Load(), "\nConfig file: " + DataCfgIn(pluginFolder()) +
                          "\nNo data.cfg was read: there is none beside the aircraft (" +
                          DataCfgIn(aircraftFolder()) + ") nor in the plugin folder (" +
                          DataCfgIn(pluginFolder()) +
                          "); numbered boards get no inputs and no outputs");
    EXPECT_THAT(ArduinoID, IsEmpty());
    EXPECT_THAT(ArduinoConfigFile, IsEmpty());
}

// With no aircraft loaded the plugin folder's file is the only one, and the
// log does not name a folder of no aircraft.
TEST_F(LoadConfigTest, WithoutAnAircraftOnlyThePluginFolderIsLookedIn) {
    simhost::SetAircraftPath("");
    EXPECT_THAT(Load(), HasSubstr("there is none beside an aircraft (none is loaded) nor in"));
    testenv::WriteFile(DataCfgIn(pluginFolder()), "*3\n[I]\nD6 sim/b\n");
    EXPECT_THAT(Load(), HasSubstr("\nNo data.cfg beside an aircraft (none is loaded): using " +
                                  DataCfgIn(pluginFolder())));
    EXPECT_THAT(ArduinoID, ElementsAre(3u));
}

TEST(CutConfigSections, StoresSectionLinesAndDropsInfoBlocks) {
    const std::vector<SectionLines> lines = Cut("*2\n[I]\nD5 sim/a\n@info\nx\n[O]\n3L sim/b\n");
    EXPECT_THAT(ArduinoID, ElementsAre(2u));
    EXPECT_THAT(ArduinoConfigFile, ElementsAre("[I]\nD5 sim/a\n[O]\n3L sim/b\n"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].header, 1u);
    EXPECT_THAT(lines[0].stored, ElementsAre(2u, 3u, 6u, 7u));
}

TEST(CutConfigSections, KeepsNothingOutsideNumberedSections) {
    Cut("# free text\n[I]\nD1 sim/a\n*0\n[I]\nD2 sim/b\n*1\nD3 before any header\n"
        "  [A]  \r\n@ info \r\nhidden\n@note\n[I]\r\n\tD4 sim/c\t\r\n\n*12\n[O]\n*\n[I]\nD5 x\n");
    EXPECT_THAT(ArduinoID, ElementsAre(0u, 1u, 1u, static_cast<unsigned>('\0' - '0')));
    // The section letter carries over a "*" line; lines are stored trimmed;
    // *12 is board 1; a bare * is a board no identification can announce.
    EXPECT_THAT(ArduinoConfigFile, ElementsAre("", "D3 before any header\n[A]\n[I]\nD4 sim/c\n\n",
                                               "[O]\n", "[I]\nD5 x\n"));
}

TEST_F(LoadConfigTest, TheExampleBoardLoadsCompletely) {
    ReadExampleSection(0);
    const Board& board = Boards.at(0);

    EXPECT_EQ(board.StepperCommon, 40u);
    EXPECT_EQ(board.SevenSegCommon, 41u);
    EXPECT_EQ(board.LEDCommon, 44u);
    EXPECT_EQ(board.MatrixAdditional, ByteList(5, 100));
    EXPECT_EQ(board.EncoderAdditional, (ByteList{34, 1, 0, 36, 1, 1, 38, 2, 0}));

    EXPECT_THAT(Keys(), ElementsAre("D22+", "D22-", "D23+", "D23-", "D24+", "D24-", "D25+", "D26+",
                                    "D27+", "D28+", "D30/1+", "D30/2+", "D30/3+", "D32+", "D33+",
                                    "E34+", "E34-", "E36+", "E36-", "E38+", "E38-", "A0", "A1"));
    for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(Input(i).InputArrayNum, 0) << i;
    EXPECT_EQ(Input(0).InputDataPointer, XPLMFindCommand("sim/lights/beacon_lights_on"));
    EXPECT_EQ(Input(6).Contval, 1) << "starter";
    EXPECT_EQ(Input(7).Contval, -1);
    EXPECT_EQ(Input(7).InputDefault, 3.0f);
    EXPECT_EQ(Input(8).Contval, 1) << "ignition key in start position";
    EXPECT_EQ(Input(8).InputDrefTypes, xplmType_IntArray);
    EXPECT_EQ(Input(9).Contval, 1) << "annunciator test";
    EXPECT_EQ(Input(10).Mode, 31);
    EXPECT_EQ(Input(11).InputDefault, 4.0f);
    EXPECT_EQ(Input(13).Contval, 2);
    EXPECT_EQ(Input(13).InputIncrementDir, 1);
    EXPECT_EQ(Input(13).InputDefault, 100.0f);
    EXPECT_THAT(Input(13).InputDataRange, ElementsAre(50000.0f));
    EXPECT_EQ(Input(14).InputIncrementDir, -1);
    EXPECT_THAT(Input(14).InputDataRange, ElementsAre(0.0f));
    for (std::size_t i = 15; i < 21; ++i) EXPECT_EQ(Input(i).Mode, 1) << i;
    EXPECT_THAT(Input(17).InputDataRange, ElementsAre(0.0f, 360.0f));
    EXPECT_THAT(Input(17).InputSkip, ElementsAre(2, 0));
    EXPECT_THAT(Input(18).InputSkip, ElementsAre(2, 0));
    EXPECT_THAT(Input(19).InputSkip, IsEmpty());
    EXPECT_THAT(Input(21).InputDataRange, ElementsAre(0.0f, 1.0f));
    EXPECT_EQ(Input(22).InputDefault, 2.0f) << "squared response";
    EXPECT_EQ(board.AnalogAdditional[0], 101);
    EXPECT_EQ(board.AnalogAdditional[3], 30);

    ASSERT_EQ(board.Outputs.size(), 13u);
    const std::vector<std::string> keys = {
        CompactKey(13, 'L'), CompactKey(12, 'L'), CompactKey(11, 'L'), CompactKey(10, 'L'),
        CompactKey(1, 'l'),  CompactKey(2, 'l'),  CompactKey(3, 'l'),  CompactKey(5, 'N'),
        CompactKey(6, 'N'),  CompactKey(4, 'N'),  CompactKey(8, 'G'),  CompactKey(9, 'S'),
        CompactKey(7, 'P')};
    for (std::size_t j = 0; j < keys.size(); ++j) {
        EXPECT_EQ(Output(j).OutDrefs[0], keys[j]) << j;
        EXPECT_NE(Output(j).Drefread, nullptr) << j;
        EXPECT_TRUE(Output(j).OutputActive) << j;
        EXPECT_EQ(Output(j).Precision, -1) << j;
        EXPECT_EQ(Output(j).Arraynum, 1) << j;
    }
    EXPECT_THAT(Output(2).OutRange1, ElementsAre(2.0f));
    EXPECT_THAT(Output(2).OutRange2, ElementsAre(2.0f));
    EXPECT_EQ(Output(3).Type, xplmType_FloatArray);
    EXPECT_THAT(Output(7).OutDrefs,
                ElementsAre(keys[7], "0", "sim/cockpit2/autopilot/heading_dial_deg_mag_pilot", "1",
                            "3", "0", "z"));
    EXPECT_THAT(Output(10).OutRange1, ElementsAre(0.0f, 200.0f));
    ASSERT_EQ(Output(10).OutRange2.size(), 2u);
    EXPECT_FLOAT_EQ(Output(10).OutRange2[1], 320.0f * 2048 / 360);
    EXPECT_THAT(Output(11).OutRange2, ElementsAre(500.0f, 2500.0f));
    EXPECT_THAT(Output(12).OutRange2, ElementsAre(0.0f, 255.0f));
    EXPECT_EQ(board.SevenSegAdditional, (ByteList{5, 6, 4}));
    EXPECT_EQ(board.StepperAdditional, (ByteList{8, 0, 8}));
    EXPECT_EQ(board.LedPortData.size(), 1u);
    EXPECT_THAT(StatusLine(1), HasSubstr("Kestrix Board #1,   23 inputs,   13 outputs"));
}

TEST_F(LoadConfigTest, TheExampleRadioPanelLoadsCompletely) {
    ReadExampleSection(1);
    const Board& board = Boards.at(0);
    EXPECT_THAT(Keys(), ElementsAre("D2+", "E3+", "E3-", "E5+", "E5-"));
    EXPECT_EQ(Input(0).InputDataPointer, XPLMFindCommand("sim/radios/com1_standy_flip"));
    ASSERT_EQ(board.Outputs.size(), 3u);
    EXPECT_EQ(board.SevenSegAdditional, (ByteList{20, 21}));
    for (const BoardOutput& output : board.Outputs) EXPECT_NE(output.Drefread, nullptr);
}
