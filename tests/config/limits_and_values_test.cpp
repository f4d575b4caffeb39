// What one board text may create.
#include "parser_fixture.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST_F(ParserTest, ABoardTextCreatesNoMoreThanTheLimitsAndSaysSoOnce) {
    ObserveNotes();
    std::string text = "[I]\n";
    for (std::size_t i = 0; i < kMaxInputs + 3; ++i) text += "D5+ D\n";
    text += "[O]\n";
    for (std::size_t j = 0; j < kMaxOutputs - 1; ++j) text += "5L 0 sim/x\n";
    text += "6L D5=1\n7L D5=2\n8L 0 sim/x\n";
    testing::internal::CaptureStderr();
    const Board& board = Parse(text, 3);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(board.Inputs.size(), kMaxInputs);
    EXPECT_EQ(board.Outputs.size() + board.OutputModeLed.size(), kMaxOutputs);
    std::vector<std::size_t> lines;
    for (const ParseNote& note : notes) {
        if (note.reason.find("at most") != std::string::npos) lines.push_back(note.line);
    }
    // The first input past the limit, and the second mode line ("[I]", the
    // inputs, "[O]", kMaxOutputs - 1 outputs and the first mode line before it).
    EXPECT_THAT(lines, ElementsAre(kMaxInputs + 2, kMaxInputs + 3 + kMaxOutputs + 3));
    EXPECT_THAT(log, HasSubstr("\nBoard #3: more than 2048 inputs, the rest are ignored"));
    EXPECT_THAT(log, HasSubstr("\nBoard #3: more than 1024 outputs, the rest are ignored"));
    EXPECT_EQ(log.find("more than", log.find("outputs") + 1), std::string::npos) << "once each";
}
