// The row build that starts every parse of a board.
#include <gtest/gtest.h>

#include "config/board_tables.h"

namespace {

void GiveRowsContent(std::size_t b) {
    Board& board = Boards[b];
    board.Inputs.push_back(BoardInput{});
    board.Outputs.push_back(BoardOutput{});
    board.OutputModeLed.push_back({"12L", "mode=1"});
    board.EncoderAdditional = {3, 4, 0};
    board.StepperCommon = 7;
    board.AllowPing = true;
    board.sendall = false;
    board.AnalogAdditional[0] = 101;
}

}  // namespace

TEST(BoardTables, NewBoardsAppendWithDefaultsByBoardId) {
    EXPECT_TRUE(BuildBoardRows(0, 0));
    EXPECT_TRUE(BuildBoardRows(1, 4));
    ASSERT_EQ(Boards.size(), 2u);

    const Board& panel = Boards[0];
    EXPECT_EQ(panel.OutDevice, 0u);
    EXPECT_TRUE(panel.AllowOutput);  // a self-configuring board may receive outputs at once
    const Board& numbered = Boards[1];
    EXPECT_EQ(numbered.OutDevice, 4u);
    EXPECT_FALSE(numbered.AllowOutput);
    for (const Board& board : Boards) {
        EXPECT_FALSE(board.AllowPing);
        EXPECT_FALSE(board.LedPortSend);
        EXPECT_TRUE(board.sendall);
        EXPECT_EQ(board.StepperCommon, 100u);
        EXPECT_EQ(board.LEDCommon, 100u);
        EXPECT_EQ(board.SevenSegCommon, 100u);
        EXPECT_EQ(board.MatrixAdditional, ByteList(5, 100));
        ASSERT_EQ(board.AnalogAdditional.size(), 48u);
        for (std::size_t c = 0; c < 16; ++c) {
            EXPECT_EQ(board.AnalogAdditional[3 * c], 0);
            EXPECT_EQ(board.AnalogAdditional[3 * c + 1], 0);
            EXPECT_EQ(board.AnalogAdditional[3 * c + 2], 100);
        }
        EXPECT_TRUE(board.Inputs.empty());
        EXPECT_TRUE(board.Outputs.empty());
        EXPECT_EQ(board.SerialIndex, -1);
    }
}

TEST(BoardTables, RebuildInPlaceResetsOnlyThatBoardAndKeepsItsAddress) {
    BuildBoardRows(0, 0);
    BuildBoardRows(1, 2);
    GiveRowsContent(0);
    GiveRowsContent(1);
    Boards[0].SerialIndex = 3;
    Boards[0].UdpIP.sin_port = htons(5080);

    EXPECT_FALSE(BuildBoardRows(0, 5));
    ASSERT_EQ(Boards.size(), 2u);
    const Board& rebuilt = Boards[0];
    EXPECT_EQ(rebuilt.OutDevice, 5u);
    EXPECT_FALSE(rebuilt.AllowOutput);
    EXPECT_FALSE(rebuilt.AllowPing);
    EXPECT_TRUE(rebuilt.sendall);
    EXPECT_EQ(rebuilt.StepperCommon, 100u);
    EXPECT_TRUE(rebuilt.Inputs.empty());
    EXPECT_TRUE(rebuilt.Outputs.empty());
    EXPECT_TRUE(rebuilt.OutputModeLed.empty());
    EXPECT_TRUE(rebuilt.EncoderAdditional.empty());
    EXPECT_EQ(rebuilt.AnalogAdditional[0], 0);
    EXPECT_EQ(rebuilt.SerialIndex, 3);
    EXPECT_EQ(ntohs(rebuilt.UdpIP.sin_port), 5080);

    const Board& untouched = Boards[1];
    EXPECT_EQ(untouched.OutDevice, 2u);
    EXPECT_EQ(untouched.Inputs.size(), 1u);
    EXPECT_EQ(untouched.OutputModeLed.size(), 1u);
    EXPECT_EQ(untouched.StepperCommon, 7u);
    EXPECT_FALSE(untouched.sendall);
}

TEST(BoardTables, AnIndexThatSkipsARowIsRefused) {
    BuildBoardRows(0, 1);
    EXPECT_THROW(BuildBoardRows(2, 1), std::out_of_range);
    EXPECT_EQ(Boards.size(), 1u);
}
