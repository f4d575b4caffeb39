// What the board sends: identification, control requests, serial framing,
// and the checks that keep a message readable for the plugin.
#include <gtest/gtest.h>

#include <fstream>

#include "board_messages.h"
#include "panel_text.h"
#include "virtual_board.h"

using namespace vboard;

TEST(boardEncode, IdentificationBytes) {
    EXPECT_EQ(NumberedIdentification(132, 1), std::string("|A\x84") + "1");
    EXPECT_EQ(NumberedIdentification(139, 9), std::string("|A\x8b") + "9");
    EXPECT_EQ(PanelIdentification("[O]\n13L 0 sim/x\n"), "|[O]\n13L 0 sim/x\n");
    EXPECT_EQ(BoardIdentity::Numbered(3, 131).IdentificationMessage(), std::string("|A\x83") + "3");
    EXPECT_EQ(BoardIdentity::Numbered(3, 131).tildeLength(), 61u);
    EXPECT_EQ(BoardIdentity::SelfConfiguring("[O]\n1L 0 a\n").tildeLength(), 7u);
    EXPECT_EQ(VersionText(132), "1.32");
    EXPECT_EQ(VersionText(100), "1.00");
    EXPECT_EQ(VersionText(5), "0.05");
}

TEST(boardEncode, ControlRequestsAndSerialFrames) {
    EXPECT_EQ(EncodeControlRequest(ControlRequest::SendAnalogSettings), "~a");
    EXPECT_EQ(EncodeControlRequest(ControlRequest::SendSevenSegmentSettings), "~n");
    EXPECT_EQ(EncodeControlRequest(ControlRequest::SendStepperSettings), "~s");
    EXPECT_EQ(EncodeControlRequest(ControlRequest::OutputsOn), "~w");
    EXPECT_EQ(EncodeControlRequest(ControlRequest::OutputsOff), "~x");
    EXPECT_EQ(FrameForSerial("~w"), "{~w}");
    EXPECT_EQ(FrameForSerial(NumberedIdentification(132, 1)), std::string("{|A\x84") + "1}");
}

TEST(boardEncode, MessagesThePluginCouldNotReadAreRefused) {
    EXPECT_EQ(WireProblem("~a", true), "");
    // A brace ends or restarts a serial frame; over UDP it is just a byte.
    EXPECT_NE(WireProblem(NumberedIdentification('{', 1), true), "");
    EXPECT_EQ(WireProblem(NumberedIdentification('{', 1), false), "");
    // The plugin cuts every message at a zero byte, on both lines.
    EXPECT_NE(WireProblem(std::string("|A\0"
                                      "1",
                                      4),
                          false),
              "");
    EXPECT_NE(WireProblem("", false), "");
}

TEST(boardPanelText, LinesAreTrimmedAndCommentsDropped) {
    EXPECT_EQ(PreparePanelText("# comment\r\n[O]\r\n\r\n  13L 0 sim/a \t\r\n\n20N 0 sim/b"),
              "[O]\n13L 0 sim/a\n20N 0 sim/b\n");
    EXPECT_EQ(PanelTextProblem("[O]\n13L 0 sim/a\n"), "");
    EXPECT_NE(PanelTextProblem("[O]\n1L a\n"), "") << "9 characters read as a numbered board";
    EXPECT_NE(PanelTextProblem("[O]\n13L 0 {sim/a}\n"), "");
    EXPECT_NE(PanelTextProblem(std::string("[O]\n13L 0 \0sim/a\n", 17)), "");
    EXPECT_NE(PanelTextProblem("[O]\n" + std::string(70000, 'x')), "");
}

TEST(boardPanelText, TheSampleConfigurationLoads) {
    std::string text, error;
    ASSERT_TRUE(LoadPanelText(KESTRIX_SOURCE_DIR "/tools/board/panel-example.cfg", &text, &error))
        << error;
    EXPECT_EQ(text.rfind("[A]\n", 0), 0u);
    EXPECT_NE(text.find("[O]\n13L 0 sim/cockpit2/annunciators/gear_unsafe\n"), std::string::npos);
    EXPECT_EQ(text.find('#'), std::string::npos);
    EXPECT_FALSE(LoadPanelText("/nonexistent/panel.cfg", &text, &error));
}
